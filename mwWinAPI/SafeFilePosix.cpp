#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

namespace mwWinAPI {
namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw mwstd::file_io_error(FromUtf8(path + ": " + std::strerror(error)));
}

}  // namespace

void WriteUtf8FileReplacing(const std::wstring& path, const std::wstring& text) {
  std::string bytes = ToUtf8(text.substr(0, text.find(L'\0')));
  bytes.push_back('\0');
  WriteBytesReplacing(path, bytes);
}

void WriteBytesReplacing(const std::wstring& path, const std::string& bytes) {
  const std::string target = ToUtf8(path);
  const std::string temp = target + ".new~";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Fail(target, errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      Fail(target, error);
    }
    done += static_cast<std::size_t>(n);
  }
  // Close in any case, then report the first failure.
  const int synced = ::fsync(fd) == 0 ? 0 : errno;
  const int closed = ::close(fd) == 0 ? 0 : errno;
  if (synced != 0 || closed != 0) {
    ::unlink(temp.c_str());
    Fail(target, synced != 0 ? synced : closed);
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    Fail(target, error);
  }
}

std::string ReadFileBytes(const std::wstring& path) {
  const std::string name = ToUtf8(path);
  errno = 0;  // so that a failure below reports its own cause
  std::ifstream in(name, std::ios::binary);
  if (!in) Fail(name, errno ? errno : ENOENT);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) Fail(name, EIO);
  return bytes.str();
}

}  // namespace mwWinAPI
