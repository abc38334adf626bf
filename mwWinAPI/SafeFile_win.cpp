// The Windows side of SafeFile.h.
#include <windows.h>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/File.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/WinHelpers.h"

namespace mwWinAPI {
namespace {

static_assert(kMaxReadBytes == std::size_t{32} << 20, "kFileTooLarge names the limit");

[[noreturn]] void Throw(DWORD error) { throw mwstd::file_io_error(GetLastErrorS(error)); }

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The full form of `path`; `name` is where its file name starts in it.
std::wstring FullPath(const std::wstring& path, std::size_t& name) {
  const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) Throw(::GetLastError());
  std::wstring full(needed, L'\0');
  wchar_t* filePart = nullptr;
  const DWORD length = ::GetFullPathNameW(path.c_str(), needed, &full[0], &filePart);
  if (length == 0 || length >= needed) Throw(length == 0 ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE);
  if (filePart == nullptr) Throw(ERROR_INVALID_NAME);  // "folder\": no file name
  name = static_cast<std::size_t>(filePart - full.c_str());
  full.resize(length);
  return full;
}

// A new, empty file of a name nobody else uses, in the target's folder (so
// that the final move is a rename on one volume). GetTempFileNameW creates it
// exclusively, and its short name cannot push a long target name over the
// limit.
std::wstring CreateTempBeside(const std::wstring& full, std::size_t name) {
  const std::wstring folder = full.substr(0, name);
  wchar_t temp[MAX_PATH] = {};
  if (!::GetTempFileNameW(folder.c_str(), L"orb", 0, temp)) {
    // It says "invalid folder name" for one that does not exist.
    const DWORD error = ::GetLastError();
    Throw(error == ERROR_DIRECTORY && !IsFolder(folder) ? ERROR_PATH_NOT_FOUND : error);
  }
  return temp;
}

// Our programs take turns at putting a new file in the place of one target:
// simultaneous ReplaceFileW calls on one file fail with sharing violations on
// Windows and leave stray files behind under Wine. A named mutex of the
// session per target; without it (no handle, or a turn that never comes) the
// replacement goes ahead and the retries below still apply.
class ReplaceTurn {
 public:
  explicit ReplaceTurn(const std::wstring& full) {
    std::wstring key = full;
    ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));  // file names ignore case
    unsigned long long hash = 14695981039346656037ull;          // FNV-1a
    for (const wchar_t c : key) hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ull;
    wchar_t name[64];
    ::wsprintfW(name, L"Local\\Orbiform.Replace.%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                static_cast<unsigned long>(hash & 0xFFFFFFFFu));
    mutex_ = ::CreateMutexW(nullptr, FALSE, name);
    if (mutex_) {
      const DWORD waited = ::WaitForSingleObject(mutex_, 30000);
      owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
  }
  ReplaceTurn(const ReplaceTurn&) = delete;
  ReplaceTurn& operator=(const ReplaceTurn&) = delete;
  ~ReplaceTurn() {
    if (owned_) ::ReleaseMutex(mutex_);
    if (mutex_) ::CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
};

// What another program replacing or reading the same file at this moment
// may cause; worth a few more attempts.
bool Transient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Puts the complete file `temp` in the place of `path`: ReplaceFileW where a
// file is to be replaced (it keeps the old file's attributes and security),
// a move where there is none (any more). Returns ERROR_SUCCESS or the error.
DWORD PutInPlace(const std::wstring& temp, const std::wstring& path) {
  constexpr int kAttempts = 5;
  for (int attempt = 1;; ++attempt) {
    if (::ReplaceFileW(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr))
      return ERROR_SUCCESS;
    DWORD error = ::GetLastError();
    // No file to replace, or ReplaceFileW removed it but could not move ours
    // there (a second writer was quicker): a plain move, the last one wins.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
        error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      if (::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ERROR_SUCCESS;
      error = ::GetLastError();
    }
    if (!Transient(error) || attempt == kAttempts) return error;
    ::Sleep(10 * attempt);
  }
}

template <typename Write>
void Replace(const std::wstring& path, Write write) {
  // A folder is never replaced (ReplaceFileW would move it aside).
  if (IsFolder(path)) throw mwstd::file_io_error(kIsAFolder);
  std::size_t name = 0;
  const std::wstring full = FullPath(path, name);
  const std::wstring temp = CreateTempBeside(full, name);
  try {
    // Unshared: nobody reads a half-written file.
    TextFile file(temp, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    write(file);
    if (!::FlushFileBuffers(file.Handle())) Throw(::GetLastError());
  } catch (...) {
    ::DeleteFileW(temp.c_str());
    throw;
  }
  // The full path: ReplaceFileW under Wine fails for a bare file name.
  const ReplaceTurn turn(full);
  if (const DWORD error = PutInPlace(temp, full)) {
    // Should the old file be gone, the new one is all that is left of it.
    if (::GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) ::DeleteFileW(temp.c_str());
    Throw(error);
  }
}

}  // namespace

void WriteUtf8FileReplacing(const std::wstring& path, const std::wstring& text) {
  Replace(path, [&text](const TextFile& file) { file.WriteText(text, TextFile::UTF8); });
}

void WriteBytesReplacing(const std::wstring& path, const std::string& bytes) {
  Replace(path, [&bytes](const TextFile& file) { file.WritesBytes(bytes); });
}

std::string ReadFileBytes(const std::wstring& path, std::size_t maxBytes) {
  if (IsFolder(path)) throw mwstd::file_io_error(kIsAFolder);
  const File file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  LARGE_INTEGER size;
  if (::GetFileSizeEx(file.Handle(), &size) && static_cast<ULONGLONG>(size.QuadPart) > maxBytes)
    throw mwstd::file_io_error(kFileTooLarge);
  std::string bytes;
  const unsigned long read = file.ReadBytes(bytes);
  bytes.resize(read);  // without the two zero bytes ReadBytes appends
  return bytes;
}

}  // namespace mwWinAPI
