#include "mwWinAPI/SafeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/WinHelpers.h"
#include "tests/mwWinAPI/TempFolder.h"

using mwtest::Exists;
using mwtest::GetBytes;
using mwtest::PutBytes;

namespace {

// The message of the file_io_error that `action` throws.
template <typename Action>
std::wstring ErrorOf(Action action) {
  try {
    action();
  } catch (const mwstd::file_io_error& e) {
    return e.what();
  }
  return L"<no error>";
}

// Entries in the folder, "." and ".." aside.
std::ptrdiff_t FileCount(const mwtest::TempFolder& folder) {
  namespace fs = std::filesystem;
  return std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator());
}

TEST(SafeFile, ReplacingLeavesExactlyTheNewBytes) {
  mwtest::TempFolder folder;
  const std::wstring target = folder.Path(L"object.xml");
  mwWinAPI::WriteUtf8FileReplacing(target, L"<a \u00E4=\"\U0001F600\"/>");
  EXPECT_EQ(GetBytes(target), std::string("<a \xC3\xA4=\"\xF0\x9F\x98\x80\"/>\0", 15));

  // A shorter text over a longer file, cut at its first zero character.
  mwWinAPI::WriteUtf8FileReplacing(target, std::wstring(L"xy\0z", 4));
  EXPECT_EQ(GetBytes(target), std::string("xy\0", 3));
  EXPECT_FALSE(Exists(target + L".new~"));

  const std::string raw(
      "\0\x01\xFE\xFF"
      "end\0",
      8);
  mwWinAPI::WriteBytesReplacing(target, raw);
  EXPECT_EQ(GetBytes(target), raw);
  EXPECT_EQ(mwWinAPI::ReadFileBytes(target), raw);
  mwWinAPI::WriteBytesReplacing(target, "");
  EXPECT_EQ(mwWinAPI::ReadFileBytes(target), "");
  EXPECT_FALSE(Exists(target + L".new~"));

  // A file named relative to the current folder is replaced as well.
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  ASSERT_TRUE(::SetCurrentDirectoryW(folder.Path().c_str()));
  mwWinAPI::WriteBytesReplacing(L"relative.xml", "first");
  mwWinAPI::WriteBytesReplacing(L"relative.xml", "second");
  ::SetCurrentDirectoryW(current);
  EXPECT_EQ(GetBytes(folder.Path(L"relative.xml")), "second");

  // A name that fits the path limit only just: no suffix pushes it over.
  const std::wstring longName = folder.Path(std::wstring(MAX_PATH - 1 - folder.Path().size() - 1, L'n'));
  mwWinAPI::WriteBytesReplacing(longName, "long");
  EXPECT_EQ(GetBytes(longName), "long");

  // Reading shares with other readers.
  const HANDLE reader =
      ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_NO_THROW(mwWinAPI::ReadFileBytes(target));
  ::CloseHandle(reader);
}

TEST(SafeFile, FailuresKeepTheOldFile) {
  mwtest::TempFolder folder;
  const std::wstring target = folder.Path(L"object.xml");
  ASSERT_TRUE(PutBytes(target, "old"));

  // The user's own file of the old temporary name is no obstacle and stays.
  ASSERT_TRUE(PutBytes(target + L".new~", "mine"));
  mwWinAPI::WriteBytesReplacing(target, "new");
  EXPECT_EQ(GetBytes(target), "new");
  EXPECT_EQ(GetBytes(target + L".new~"), "mine");
  ASSERT_TRUE(::DeleteFileW((target + L".new~").c_str()));

  // A read-only file is not replaced: it keeps its bytes and its attribute,
  // and nothing is left beside it.
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(ErrorOf([&] { mwWinAPI::WriteUtf8FileReplacing(target, L"newer"); }),
            mwWinAPI::GetLastErrorS(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetBytes(target), "new");
  EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(FileCount(folder), 1);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));

  // A folder in the target's place is never replaced.
  const std::wstring folderTarget = folder.Path(L"sub");
  ASSERT_TRUE(::CreateDirectoryW(folderTarget.c_str(), nullptr));
  ASSERT_TRUE(PutBytes(folder.Path(L"sub\\keep.txt"), "keep"));
  const std::wstring error = ErrorOf([&] { mwWinAPI::WriteBytesReplacing(folderTarget, "new"); });
  EXPECT_EQ(error, mwWinAPI::kIsAFolder);
  EXPECT_EQ(GetBytes(folder.Path(L"sub\\keep.txt")), "keep");
  EXPECT_EQ(FileCount(folder), 2);

  // No folder to write in.
  const std::wstring nowhere = folder.Path(L"missing\\object.xml");
  EXPECT_EQ(ErrorOf([&] { mwWinAPI::WriteUtf8FileReplacing(nowhere, L"new"); }),
            mwWinAPI::GetLastErrorS(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(Exists(folder.Path(L"missing")));
}

TEST(SafeFile, ReadingAMissingFileThrowsTheSystemText) {
  mwtest::TempFolder folder;
  EXPECT_EQ(ErrorOf([&] { mwWinAPI::ReadFileBytes(folder.Path(L"missing.xml")); }),
            mwWinAPI::GetLastErrorS(ERROR_FILE_NOT_FOUND));
}

}  // namespace
