#include "mwWinAPI/SafeFile.h"

#include <gtest/gtest.h>

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

  // The new file cannot be created beside the target.
  ASSERT_TRUE(::CreateDirectoryW((target + L".new~").c_str(), nullptr));
  EXPECT_NE(ErrorOf([&] { mwWinAPI::WriteUtf8FileReplacing(target, L"new"); }), L"<no error>");
  EXPECT_NE(ErrorOf([&] { mwWinAPI::WriteBytesReplacing(target, "new"); }), L"<no error>");
  EXPECT_EQ(GetBytes(target), "old");
  ASSERT_TRUE(::RemoveDirectoryW((target + L".new~").c_str()));

  // The new file is written but cannot take the target's place.
  const std::wstring folderTarget = folder.Path(L"sub");
  ASSERT_TRUE(::CreateDirectoryW(folderTarget.c_str(), nullptr));
  ASSERT_TRUE(PutBytes(folder.Path(L"sub\\keep.txt"), "keep"));
  const std::wstring error = ErrorOf([&] { mwWinAPI::WriteBytesReplacing(folderTarget, "new"); });
  EXPECT_NE(error, L"<no error>");
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(GetBytes(folder.Path(L"sub\\keep.txt")), "keep");
  EXPECT_FALSE(Exists(folderTarget + L".new~"));

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
