#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/File.h"
#include "tests/mwWinAPI/TempFolder.h"

using mwtest::GetBytes;
using mwtest::PutBytes;
using mwWinAPI::TextFile;

namespace {

const std::wstring kUtf32Message = L"UTF-32 ist derzeit nicht implementiert";
constexpr int kForce = TextFile::FORCE_ENCODING;

std::string Bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

class TextFileTest : public ::testing::Test {
 protected:
  // Reads `bytes` as a file with the request and returns the encoding used.
  int Read(const std::string& bytes, int requested, std::wstring& text) {
    const std::wstring path = folder_.Path(L"read.txt");
    if (!PutBytes(path, bytes)) ADD_FAILURE() << "cannot write the test file";
    const TextFile file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    bool usedDefault = true;
    const int used = file.ReadText(text, requested, &usedDefault);
    EXPECT_FALSE(usedDefault);
    return used;
  }
  std::wstring ReadAs(const std::string& bytes, int requested) {
    std::wstring text = L"old";
    Read(bytes, requested, text);
    return text;
  }
  // The message of the file_io_error that reading throws.
  std::wstring ReadError(const std::string& bytes, int requested) {
    try {
      std::wstring text;
      Read(bytes, requested, text);
    } catch (const mwstd::file_io_error& e) {
      return e.what();
    }
    return L"<no error>";
  }

  // The bytes WriteText leaves in a new file; its result goes to `result`.
  std::string Written(const std::wstring& text, TextFile::ENCODING encoding, DWORD* result = nullptr,
                      bool* usedDefault = nullptr) {
    const std::wstring path = folder_.Path(L"write.txt");
    {
      const TextFile file(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
      const DWORD n = file.WriteText(text, encoding, usedDefault);
      if (result) *result = n;
    }
    return GetBytes(path);
  }

  mwtest::TempFolder folder_;
};

TEST_F(TextFileTest, MarksDecideTheEncoding) {
  std::wstring text;
  EXPECT_EQ(ReadError(Bytes({0xFF, 0xFE, 0x00, 0x00, 0x41, 0, 0, 0}), TextFile::UTF16_LE), kUtf32Message);
  EXPECT_EQ(ReadError(Bytes({0x00, 0x00, 0xFE, 0xFF, 0, 0, 0, 0x41}), TextFile::UTF8), kUtf32Message);
  EXPECT_EQ(Read(Bytes({0xFF, 0xFE, 0x41, 0x00}), TextFile::ANSI, text), TextFile::UTF16_LE);
  EXPECT_EQ(text, L"A");
  EXPECT_EQ(Read(Bytes({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42}), TextFile::UTF8, text), TextFile::UTF16_BE);
  EXPECT_EQ(text, L"AB");
  EXPECT_EQ(Read("\xEF\xBB\xBF"
                 "a\xC3\xA4",
                 TextFile::ANSI, text),
            TextFile::UTF8);
  EXPECT_EQ(text, L"a\u00E4");
  // Without a mark the request decides; UTF-16 stops at the first zero character.
  EXPECT_EQ(Read(Bytes({0x61, 0x62, 0x63, 0x64}), TextFile::UTF16_LE, text), TextFile::UTF16_LE);
  EXPECT_EQ(text, L"\x6261\x6463");
  EXPECT_EQ(ReadAs(Bytes({0xFF, 0xFE, 0x41, 0x00, 0x00, 0x00, 0x42, 0x00}), TextFile::ANSI), L"A");
}

TEST_F(TextFileTest, Utf8WithoutMarkIsReadAsRequested) {
  const std::string bytes = "Gr\xC3\xBC\xC3\x9F";
  std::wstring text;
  EXPECT_EQ(Read(bytes, TextFile::UTF8, text), TextFile::UTF8);
  EXPECT_EQ(text, L"Gr\u00FC\u00DF");
  EXPECT_EQ(Read(bytes, TextFile::ANSI, text), TextFile::ANSI);
  EXPECT_NE(text, L"Gr\u00FC\u00DF");
  if (::GetACP() == 1252) {
    EXPECT_EQ(text, L"Gr\u00C3\u00BC\u00C3\u0178");
  }
  // Decoding ends at the first zero byte.
  EXPECT_EQ(ReadAs(std::string("ab\0cd", 5), TextFile::UTF8), L"ab");
  EXPECT_EQ(ReadAs(std::string("ab\0cd", 5), TextFile::ANSI), L"ab");
}

TEST_F(TextFileTest, ForcedEncodingSkipsTheMarkAndIgnoresIt) {
  std::wstring text;
  EXPECT_EQ(Read("\xFF\xFE"
                 "\xC3\xA4x",
                 TextFile::UTF8 | kForce, text),
            TextFile::UTF8);
  EXPECT_EQ(text, L"\u00E4x");
  // The text then starts at an odd offset.
  EXPECT_EQ(Read(Bytes({0xEF, 0xBB, 0xBF, 0x41, 0x00, 0x42, 0x00}), TextFile::UTF16_LE | kForce, text),
            TextFile::UTF16_LE);
  EXPECT_EQ(text, L"AB");
  EXPECT_EQ(Read(Bytes({0xFF, 0xFE, 0x00, 0x41, 0x00, 0x42}), TextFile::UTF16_BE | kForce, text),
            TextFile::UTF16_BE);
  EXPECT_EQ(text, L"AB");
}

TEST_F(TextFileTest, ShortFilesAreDecodedAsRequested) {
  std::wstring text;
  for (const int requested : {TextFile::ANSI, TextFile::UTF8, TextFile::UTF16_LE, TextFile::UTF16_BE}) {
    EXPECT_EQ(Read("", requested, text), requested);
    EXPECT_EQ(text, L"") << requested;
  }
  EXPECT_EQ(ReadError("", TextFile::UTF32_LE), kUtf32Message);
  // FF FE is no mark in a file of fewer than 4 bytes.
  EXPECT_EQ(ReadAs(Bytes({0xFF, 0xFE, 0x41}), TextFile::ANSI).size(), 3u);
  EXPECT_EQ(ReadAs(Bytes({0xFF, 0xFE, 0x41}), TextFile::UTF16_LE), L"\xFEFF");
  EXPECT_EQ(ReadAs(Bytes({0x00, 0x41}), TextFile::UTF16_BE), L"A");
  EXPECT_EQ(ReadAs("\xC3\xA4", TextFile::UTF8), L"\u00E4");
  // The flag only guards against marks; it is not an encoding of its own.
  EXPECT_EQ(Read("\xC3\xA4", TextFile::UTF8 | kForce, text), TextFile::UTF8);
  EXPECT_EQ(text, L"\u00E4");
}

// Only complete byte pairs are characters: a trailing odd byte is neither read
// beyond the data nor taken as half a character.
TEST_F(TextFileTest, OddSizedUtf16StaysInsideTheData) {
  EXPECT_EQ(ReadAs(Bytes({0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00, 0x43}), TextFile::ANSI), L"AB");
  EXPECT_EQ(ReadAs(Bytes({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42, 0x43}), TextFile::ANSI), L"AB");
  EXPECT_EQ(ReadAs(Bytes({0xFE, 0xFF, 0x00, 0x41, 0x42}), TextFile::ANSI), L"A");
  EXPECT_EQ(ReadAs(Bytes({0xFF, 0xFE, 0x41, 0x00, 0x42}), TextFile::ANSI), L"A");
  EXPECT_EQ(ReadAs(Bytes({0x41}), TextFile::UTF16_LE), L"");
}

TEST_F(TextFileTest, WrittenBytes) {
  DWORD result = 0;
  EXPECT_EQ(Written(L"abc", TextFile::UTF8, &result), std::string("abc\0", 4));
  EXPECT_EQ(result, 4u);
  EXPECT_EQ(Written(L"abc", TextFile::UTF16_LE, &result), Bytes({0xFF, 0xFE, 0x61, 0, 0x62, 0, 0x63, 0}));
  EXPECT_EQ(result, 6u);
  EXPECT_EQ(Written(L"abc", TextFile::UTF16_BE, &result), Bytes({0xFE, 0xFF, 0, 0x61, 0, 0x62, 0, 0x63}));
  EXPECT_EQ(result, 6u);
  bool usedDefault = true;
  EXPECT_EQ(Written(L"abc", TextFile::ANSI, &result, &usedDefault), std::string("abc\0", 4));
  EXPECT_EQ(result, 4u);
  EXPECT_FALSE(usedDefault);

  // UTF8 ends at the first zero character, UTF-16 and ANSI take the whole string.
  const std::wstring withZero(L"a\0b", 3);
  EXPECT_EQ(Written(withZero, TextFile::UTF8), std::string("a\0", 2));
  EXPECT_EQ(Written(withZero, TextFile::UTF16_LE), Bytes({0xFF, 0xFE, 0x61, 0, 0, 0, 0x62, 0}));
  EXPECT_EQ(Written(withZero, TextFile::ANSI), std::string("a\0b\0", 4));
  EXPECT_EQ(Written(L"", TextFile::UTF8), std::string(1, '\0'));
  EXPECT_EQ(Written(L"", TextFile::ANSI), std::string(1, '\0'));
  EXPECT_EQ(Written(L"", TextFile::UTF16_BE), Bytes({0xFE, 0xFF}));

  if (::GetACP() == 1252) {
    EXPECT_EQ(Written(L"\u00E4\u4E2D", TextFile::ANSI, nullptr, &usedDefault), std::string("\xE4?\0", 3));
    EXPECT_TRUE(usedDefault);
  }
}

TEST_F(TextFileTest, Utf32IsNotWritten) {
  for (const auto encoding : {TextFile::UTF32_LE, TextFile::UTF32_BE}) {
    bool usedDefault = true;
    try {
      Written(L"abc", encoding, nullptr, &usedDefault);
      ADD_FAILURE() << "UTF-32 must not be written";
    } catch (const mwstd::file_io_error& e) {
      EXPECT_EQ(e.what(), kUtf32Message);
    }
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(GetBytes(folder_.Path(L"write.txt")), "");
  }
}

TEST_F(TextFileTest, UmlautsAndNonBmpCharactersRoundTrip) {
  const std::wstring text = L"Gr\u00FC\u00DFe \u00C4\u00D6\u00DC \u20AC \U0001F600 \U00010348!\r\n";
  ASSERT_EQ(text.size(), 20u);  // the two characters beyond the BMP are surrogate pairs
  const std::string utf8 = Written(text, TextFile::UTF8);
  EXPECT_NE(utf8.find("\xF0\x9F\x98\x80"), std::string::npos);
  EXPECT_NE(utf8.find("Gr\xC3\xBC\xC3\x9F"
                      "e"),
            std::string::npos);
  std::wstring back;
  EXPECT_EQ(Read(utf8, TextFile::UTF8, back), TextFile::UTF8);
  EXPECT_EQ(back, text);
  for (const auto encoding : {TextFile::UTF16_LE, TextFile::UTF16_BE}) {
    EXPECT_EQ(Read(Written(text, encoding), TextFile::ANSI, back), encoding);
    EXPECT_EQ(back, text);
  }
}

}  // namespace
