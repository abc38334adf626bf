// Helpers every program uses: split, UTF-8 conversion, the string table and
// (natively) the crash-safe file replacement.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Split.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/Utf.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "mwWinAPI/NativeStrings.h"
#endif

using mwWinAPI::FromUtf8;
using mwWinAPI::ToUtf8;

TEST(Split, PiecesIncludingEmptyOnes) {
  std::vector<std::wstring> parts{L"kept"};
  EXPECT_EQ(3u, mwstd::split(parts, L"a;b;", L';'));
  EXPECT_EQ((std::vector<std::wstring>{L"kept", L"a", L"b", L""}), parts);

  parts.clear();
  EXPECT_EQ(1u, mwstd::split(parts, L"", L';'));
  EXPECT_EQ((std::vector<std::wstring>{L""}), parts);

  parts.clear();
  EXPECT_EQ(4u, mwstd::split(parts, L";x;;", L';'));
  EXPECT_EQ((std::vector<std::wstring>{L"", L"x", L"", L""}), parts);
}

TEST(Utf, RoundTripsEveryPlane) {
  // ASCII, umlauts, a CJK character and a character outside the BMP.
  const std::string bytes = "abc \xC3\xA4\xC3\xB6\xC3\x9F \xE6\xBC\xA2 \xF0\x9F\x9A\x82";
  const std::wstring wide = FromUtf8(bytes);
  EXPECT_EQ(bytes, ToUtf8(wide));
  EXPECT_EQ(L'\u00e4', wide[4]);
  // The train is one character natively, a surrogate pair on Windows.
  EXPECT_EQ(sizeof(wchar_t) == 2 ? 12u : 11u, wide.size());
}

TEST(Utf, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(L"a\uFFFDb", FromUtf8("a\xFF"
                                  "b"));         // invalid lead byte
  EXPECT_EQ(L"a\uFFFD", FromUtf8("a\xE6\xBC"));  // truncated at the end
  EXPECT_EQ(L"\uFFFDz", FromUtf8("\xC0\xAF"
                                 "z"));                               // overlong slash
  EXPECT_EQ(L"\uFFFD", FromUtf8("\xED\xA0\x80"));                     // encoded surrogate
  EXPECT_EQ(std::string("\0x", 2), ToUtf8(std::wstring(L"\0x", 2)));  // zeros pass through
}

TEST(StringTable, LoadsTextsByIdentifier) {
#ifndef _WIN32
  mwWinAPI::SetNativeLanguage(mwWinAPI::Language::English);
#endif
  mwWinAPI::StringTable table;
  EXPECT_EQ(std::wstring(L" is not a valid Project-File"), table.Load(145));
  const wchar_t* buffer = table.Load(178);
  EXPECT_EQ(std::wstring(L"Ellipsis factor must be greater than 0!\n"), buffer);
  EXPECT_EQ(std::wstring(), table.Load(4711));  // missing: empty, no failure
  EXPECT_EQ(buffer, table.Load(139));           // one buffer, reused
  EXPECT_EQ(L"Both Start- and Endplain are not allowed to be hgiher than the plain count!", table.LoadS(205));
}

#ifndef _WIN32
TEST(StringTable, GermanTextsComeFromTheSameSource) {
  mwWinAPI::SetNativeLanguage(mwWinAPI::Language::German);
  mwWinAPI::StringTable table;
  EXPECT_EQ(L" ist keine g\u00fcltige Projektdatei", table.LoadS(145));
  EXPECT_EQ(L"Der Ellipsenfaktor muss gr\u00f6\u00dfer als 0 sein!\n\"", table.LoadS(178));
  EXPECT_EQ(L" zum Download bereit", table.LoadS(196));
  mwWinAPI::SetNativeLanguage(mwWinAPI::Language::English);
}

class SafeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/orbiform-safefile-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(name));
    dir_ = name;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string dir_;
};

TEST_F(SafeFileTest, WritesUtf8WithTheClosingZeroByte) {
  const std::string path = dir_ + "/a.xml";
  mwWinAPI::WriteUtf8FileReplacing(FromUtf8(path), L"M\u00fcller\0ignored");
  EXPECT_EQ(std::string("M\xC3\xBCller\0", 8), Read(path));
  EXPECT_EQ(std::string("M\xC3\xBCller\0", 8), mwWinAPI::ReadFileBytes(FromUtf8(path)));
}

TEST_F(SafeFileTest, FailedWriteKeepsTheOldFile) {
  const std::string path = dir_ + "/keep.xml";
  mwWinAPI::WriteBytesReplacing(FromUtf8(path), "old");
  // A folder in the way of the new file: the write fails, the old file stays
  // and nothing is left behind.
  ASSERT_EQ(0, ::mkdir((path + ".new~").c_str(), 0700));
  EXPECT_THROW(mwWinAPI::WriteBytesReplacing(FromUtf8(path), "new"), mwstd::file_io_error);
  EXPECT_EQ("old", Read(path));
  ::rmdir((path + ".new~").c_str());

  mwWinAPI::WriteBytesReplacing(FromUtf8(path), "new");
  EXPECT_EQ("new", Read(path));
  EXPECT_NE(0, ::access((path + ".new~").c_str(), F_OK));

  EXPECT_THROW(mwWinAPI::WriteBytesReplacing(FromUtf8(dir_ + "/missing/x.xml"), "x"), mwstd::file_io_error);
  EXPECT_THROW(mwWinAPI::ReadFileBytes(FromUtf8(dir_ + "/missing.xml")), mwstd::file_io_error);
}
#endif
