// The native side of SafeFile.h: POSIX files, for the portable build and its tests.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

namespace mwWinAPI {
namespace {

static_assert(kMaxReadBytes == std::size_t{32} << 20, "kFileTooLarge names the limit");

// The system's text only: the callers name the file themselves.
[[noreturn]] void Fail(int error) { throw mwstd::file_io_error(FromUtf8(std::strerror(error))); }

// Closes the descriptor it holds, unless handed on.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }
  // Closes now; returns 0 or the error.
  int Close() {
    const int result = ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
    return result;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to `path` replaces: symbolic links are followed to their
// final target, so that the links stay links and keep pointing where they did.
std::string FinalTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit for a path
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length < 0) Fail(errno);
    if (static_cast<std::size_t>(length) >= link.size()) Fail(ENAMETOOLONG);  // changed meanwhile
    link.resize(static_cast<std::size_t>(length));
    path = !link.empty() && link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  Fail(ELOOP);
}

// Creates a new file of a name nobody else uses in `folder`, exclusively, as
// mkstemp does; the name stays short whatever the target's, and the mode is
// what any new file gets (0666 less the umask). Returns the descriptor.
int CreateUnique(const std::string& folder, std::string& name) {
  static thread_local std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[17];
    // The process id keeps forked copies of one generator apart.
    const auto value = random() ^ static_cast<std::uint64_t>(::getpid());
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(value));
    name = folder + "/.orbiform-" + suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void WriteUtf8FileReplacing(const std::wstring& path, const std::wstring& text) {
  std::string bytes = ToUtf8(text.substr(0, text.find(L'\0')));
  bytes.push_back('\0');
  WriteBytesReplacing(path, bytes);
}

void WriteBytesReplacing(const std::wstring& path, const std::string& bytes) {
  const std::string target = FinalTarget(ToUtf8(path));
  const std::string folder = FolderOf(target);
  std::string temp;
  Descriptor file(CreateUnique(folder, temp));
  if (file.Get() < 0) Fail(errno);
  try {
    // The replaced file's permission bits (a private project stays private).
    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(file.Get(), old.st_mode & 07777) != 0)
      Fail(errno);
    WriteAll(file.Get(), bytes);
    if (::fsync(file.Get()) != 0) Fail(errno);
    if (const int error = file.Close()) Fail(error);
    // Atomic: a reader or a second writer sees the old or a complete new file.
    if (std::rename(temp.c_str(), target.c_str()) != 0) Fail(errno);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  // The rename itself survives a crash once the folder is on disk too.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
}

std::string ReadFileBytes(const std::wstring& path, std::size_t maxBytes) {
  Descriptor file(::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) Fail(errno);
  struct stat info;
  if (::fstat(file.Get(), &info) != 0) Fail(errno);
  if (S_ISDIR(info.st_mode)) throw mwstd::file_io_error(kIsAFolder);
  std::string bytes;
  if (S_ISREG(info.st_mode)) {
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) throw mwstd::file_io_error(kFileTooLarge);
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  // Devices and pipes have no size: the limit applies as they are read.
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(file.Get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) return bytes;
    if (static_cast<std::size_t>(n) > maxBytes - bytes.size()) throw mwstd::file_io_error(kFileTooLarge);
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace mwWinAPI
