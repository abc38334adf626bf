#include "mwWinAPI/File.h"

#include <gtest/gtest.h>
#include <winioctl.h>

#include <string>
#include <utility>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/WinHelpers.h"
#include "tests/mwWinAPI/TempFolder.h"

using mwtest::GetBytes;
using mwtest::PutBytes;
using mwWinAPI::File;
using mwWinAPI::TextFile;

namespace {

File OpenForReading(const std::wstring& path) {
  return File(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

TEST(File, OpeningFailuresThrowTheSystemText) {
  mwtest::TempFolder folder;
  try {
    OpenForReading(folder.Path(L"missing.txt"));
    ADD_FAILURE() << "opening a missing file must throw";
  } catch (const mwstd::file_io_error& e) {
    EXPECT_EQ(e.what(), mwWinAPI::GetLastErrorS(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(e.what().empty());
  }
  ASSERT_TRUE(PutBytes(folder.Path(L"there.txt"), "x"));
  EXPECT_THROW(TextFile(folder.Path(L"there.txt"), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
               mwstd::file_io_error);
  EXPECT_THROW(File{INVALID_HANDLE_VALUE}, mwstd::file_io_error);
  EXPECT_THROW(TextFile{INVALID_HANDLE_VALUE}, mwstd::file_io_error);
}

TEST(File, MovingTransfersTheHandleAndCloseIsIdempotent) {
  mwtest::TempFolder folder;
  const std::wstring first = folder.Path(L"first.bin"), second = folder.Path(L"second.bin");
  File a(first, GENERIC_WRITE, 0, CREATE_ALWAYS);
  File b(std::move(a));
  EXPECT_EQ(a.Handle(), INVALID_HANDLE_VALUE);
  a.Close();  // nothing open: harmless
  EXPECT_EQ(b.WritesBytes("xyz"), 3u);

  // Assigning closes the old handle: the unshared file can be opened again.
  b = File(second, GENERIC_WRITE, 0, CREATE_ALWAYS);
  EXPECT_NO_THROW(File(first, GENERIC_READ, 0, OPEN_EXISTING));
  EXPECT_EQ(b.WritesBytes(std::string("a\0b", 3)), 3u);
  b.Close();
  b.Close();
  EXPECT_EQ(b.Handle(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetBytes(first), "xyz");
  EXPECT_EQ(GetBytes(second), std::string("a\0b", 3));
}

TEST(File, ReadBytesAppendsTwoZeroBytes) {
  mwtest::TempFolder folder;
  const std::string ten(
      "0123\0\x01\xFF"
      "789",
      10);
  ASSERT_TRUE(PutBytes(folder.Path(L"ten.bin"), ten));
  std::string bytes = "old";
  EXPECT_EQ(OpenForReading(folder.Path(L"ten.bin")).ReadBytes(bytes), 10u);
  EXPECT_EQ(bytes, ten + std::string(2, '\0'));

  ASSERT_TRUE(PutBytes(folder.Path(L"empty.bin"), ""));
  EXPECT_EQ(OpenForReading(folder.Path(L"empty.bin")).ReadBytes(bytes), 0u);
  EXPECT_EQ(bytes, std::string(2, '\0'));
}

// A size of 4 GiB or more must not be cut to its low 32 bits: such a file is
// refused rather than read in part.
TEST(File, FilesOf4GiBOrMoreAreRefused) {
  mwtest::TempFolder folder;
  const std::wstring path = folder.Path(L"huge.bin");
  {
    const File file(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD returned = 0;
    ::DeviceIoControl(file.Handle(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (1LL << 32) + 10;
    if (!::SetFilePointerEx(file.Handle(), size, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Handle()))
      GTEST_SKIP() << "no room for a sparse file of 4 GiB";
  }
  std::string bytes = "old";
  EXPECT_THROW(OpenForReading(path).ReadBytes(bytes), mwstd::file_io_error);
  EXPECT_EQ(bytes, "old");
  std::wstring text;
  EXPECT_THROW(TextFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).ReadText(text, TextFile::UTF8),
               mwstd::file_io_error);
  try {
    mwWinAPI::ReadFileBytes(path);
    ADD_FAILURE() << "ReadFileBytes must refuse the file";
  } catch (const mwstd::file_io_error& e) {
    EXPECT_EQ(e.what(), std::wstring(mwWinAPI::kFileTooLarge));  // its own cap, far below
  }
}

// A write that reports success for only part of the bytes is a failure. A
// non-blocking pipe that nobody reads takes only what fits its buffer.
TEST(File, ShortWritesAreFailures) {
  const std::wstring name = L"\\\\.\\pipe\\mwWinAPI_tests_" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE server = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT,
                                           1, 256, 256, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const TextFile pipe(server);
  const File reader(name, GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_THROW(pipe.WriteText(std::wstring(1 << 19, L'x'), TextFile::UTF16_LE), mwstd::file_io_error);
  DWORD available = 0;
  ASSERT_TRUE(::PeekNamedPipe(reader.Handle(), nullptr, 0, nullptr, &available, nullptr));
  EXPECT_GT(available, 0u) << "the write was not partial";
  EXPECT_THROW(pipe.WritesBytes(std::string(1 << 20, 'x')), mwstd::file_io_error);
}

}  // namespace
