// Helpers every program uses: split, UTF-8 conversion, the string table and
// the crash-safe file replacement (natively, and its race on both sides).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Split.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/Utf.h"
#include "tests/mwWinAPI/EditorTexts.h"
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "mwWinAPI/NativeStrings.h"
#endif

using mwWinAPI::FromUtf8;
using mwWinAPI::ToUtf8;
namespace fs = std::filesystem;

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

TEST(Exceptions, BothFamiliesMapToOneText) {
  const auto text = [](auto thrown) {
    try {
      throw thrown;
    } catch (...) {
      return mwstd::CurrentErrorText(L"?");
    }
  };
  EXPECT_EQ(L"gr\u00f6\u00dfer", text(mwstd::file_io_error(L"gr\u00f6\u00dfer")));
  EXPECT_EQ(L"gr\u00f6\u00dfer", text(std::invalid_argument("gr\xC3\xB6\xC3\x9F"
                                                            "er")));
  EXPECT_EQ(L"?", text(42));
}

// Every id of the editor's table once, each text as its source has it in
// both languages; a missing id loads empty, and one buffer serves each load.
TEST(StringTable, EveryIdOnceInBothLanguages) {
  std::vector<unsigned> ids;
  for (const SourceText& text : kEditorTexts) ids.push_back(text.id);
  std::sort(ids.begin(), ids.end());
  const auto twice = std::adjacent_find(ids.begin(), ids.end());
  EXPECT_EQ(twice, ids.end()) << "id " << *twice << " twice";
#ifndef _WIN32
  for (const auto language : {mwWinAPI::Language::German, mwWinAPI::Language::English}) {
    mwWinAPI::SetNativeLanguage(language);
    for (const SourceText& text : kEditorTexts)
      EXPECT_EQ(language == mwWinAPI::Language::German ? text.german : text.english,
                mwWinAPI::LoadText(text.id));
  }
#endif
  mwWinAPI::StringTable table;
  const wchar_t* buffer = table.Load(kEditorTexts[0].id);
  EXPECT_EQ(std::wstring(), table.Load(4711));
  EXPECT_EQ(buffer, table.Load(kEditorTexts[1].id));
  // The program's own table in the user's language; an id beside existing
  // ones and one far from all load empty.
  const SourceText& first = kEditorTexts[0];
  const std::wstring loaded = table.LoadS(first.id);
  EXPECT_TRUE(loaded == first.english || loaded == first.german) << ToUtf8(loaded);
  unsigned gap = ids.front();
  while (std::binary_search(ids.begin(), ids.end(), gap)) ++gap;
  EXPECT_EQ(std::wstring(), table.Load(gap)) << gap;
  EXPECT_EQ(std::wstring(), table.Load(60000));
}

#ifndef _WIN32
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
  ASSERT_EQ(0, ::chmod(path.c_str(), 0600));
  // The user's own file of the old temporary name is no obstacle and stays.
  ASSERT_EQ(0, ::mkdir((path + ".new~").c_str(), 0700));
  mwWinAPI::WriteBytesReplacing(FromUtf8(path), "new");
  EXPECT_EQ("new", Read(path));
  EXPECT_EQ(0, ::access((path + ".new~").c_str(), F_OK));
  ::rmdir((path + ".new~").c_str());
  struct stat info;
  ASSERT_EQ(0, ::stat(path.c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 07777);  // a private project stays private

  // A write that fails halfway (the file size limit, which binds root too)
  // leaves the old file with its mode, and nothing beside it.
  struct rlimit saved;
  ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &saved));
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
  EXPECT_THROW(mwWinAPI::WriteBytesReplacing(FromUtf8(path), std::string(100000, 'x')), mwstd::file_io_error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ("new", Read(path));
  ASSERT_EQ(0, ::stat(path.c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 07777);
  EXPECT_EQ(1, std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));

  EXPECT_THROW(mwWinAPI::WriteBytesReplacing(FromUtf8(dir_ + "/missing/x.xml"), "x"), mwstd::file_io_error);
  EXPECT_THROW(mwWinAPI::ReadFileBytes(FromUtf8(dir_ + "/missing.xml")), mwstd::file_io_error);
}

// What belongs to the file stays: a new file gets the usual mode, symbolic
// links stay links, and a long name does not fail for a suffix.
TEST_F(SafeFileTest, ReplacingKeepsLinks) {
  const std::string real = dir_ + "/real.ek7mobj";
  mwWinAPI::WriteBytesReplacing(FromUtf8(real), "1");
  const mode_t mask = ::umask(022);
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(0, ::stat(real.c_str(), &info));
  EXPECT_EQ(0666u & ~mask, info.st_mode & 07777);

  // A relative link to an absolute link to the file; a dangling link.
  ASSERT_EQ(0, ::mkdir((dir_ + "/sub").c_str(), 0700));
  ASSERT_EQ(0, ::symlink(real.c_str(), (dir_ + "/sub/abs").c_str()));
  ASSERT_EQ(0, ::symlink("sub/abs", (dir_ + "/rel").c_str()));
  ASSERT_EQ(0, ::symlink("later.ek7mobj", (dir_ + "/dangling").c_str()));
  mwWinAPI::WriteBytesReplacing(FromUtf8(dir_ + "/rel"), "through links");
  mwWinAPI::WriteBytesReplacing(FromUtf8(dir_ + "/dangling"), "new target");
  EXPECT_EQ("through links", Read(real));
  EXPECT_EQ("new target", Read(dir_ + "/later.ek7mobj"));
  for (const char* link : {"/rel", "/sub/abs", "/dangling"}) EXPECT_TRUE(fs::is_symlink(dir_ + link)) << link;

  const std::string longName = dir_ + "/" + std::string(255 - 8, 'n') + ".ek7mobj";
  mwWinAPI::WriteBytesReplacing(FromUtf8(longName), "long");
  EXPECT_EQ("long", Read(longName));
}

// Reading is capped: endless devices, huge files and folders are refused
// with a message that says so, before memory runs out.
TEST_F(SafeFileTest, ReadsAreCapped) {
  const auto error = [](const std::string& path, std::size_t max = mwWinAPI::kMaxReadBytes) {
    try {
      mwWinAPI::ReadFileBytes(FromUtf8(path), max);
    } catch (const mwstd::file_io_error& e) {
      return std::wstring(e.what());
    }
    return std::wstring(L"<read>");
  };
  EXPECT_EQ(mwWinAPI::kFileTooLarge, error("/dev/zero"));
  const std::string huge = dir_ + "/huge.ek7mobj";
  mwWinAPI::WriteBytesReplacing(FromUtf8(huge), "");
  ASSERT_EQ(0, ::truncate(huge.c_str(), static_cast<off_t>(mwWinAPI::kMaxReadBytes) + 1));  // sparse
  EXPECT_EQ(mwWinAPI::kFileTooLarge, error(huge));
  ASSERT_EQ(0, ::truncate(huge.c_str(), 10));
  EXPECT_EQ(mwWinAPI::kFileTooLarge, error(huge, 9));
  EXPECT_EQ(L"<read>", error(huge, 10));
  EXPECT_EQ(mwWinAPI::kIsAFolder, error(dir_));
}
#endif

// Two programs saving one file at once: the last complete file wins, never a
// mix of the two; no writer fails and no temporary file is left.
TEST(SafeFileRace, TheLastCompleteFileWins) {
  const fs::path dir =
      fs::temp_directory_path() / ("orbiform-race-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::wstring target = (dir / "race.ek7mobj").wstring();
  const std::string small(1000, 's'), large(200000, 'L');
#ifdef _WIN32
  constexpr int kRounds = 100;  // a save costs many times more under Wine
#else
  constexpr int kRounds = 300;
#endif
  std::atomic<int> failures{0};
  for (int round = 0; round < kRounds; ++round) {
    std::atomic<int> ready{0};
    const auto writer = [&](const std::string& bytes) {
      for (++ready; ready < 2;) {
      }
      try {
        mwWinAPI::WriteBytesReplacing(target, bytes);
      } catch (const mwstd::exception&) {
        ++failures;
      }
    };
    std::thread a(writer, std::cref(small)), b(writer, std::cref(large));
    a.join();
    b.join();
    const std::string result = mwWinAPI::ReadFileBytes(target);
    ASSERT_TRUE(result == small || result == large) << "round " << round << ": " << result.size() << " bytes";
  }
  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(1, std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  fs::remove_all(dir);
}
