// Transacted file operations with the plain functions as fallback.
#include "updater/TransactedFileOps.h"

namespace updater {
namespace {

// Indices into the function table (see kFunctionNames).
enum : std::size_t {
  kCreateTransaction = 0,
  kRollbackTransaction = 1,
  kCommitTransaction = 2,
  kDeleteFile = 6,
  kCopyFile = 7,
  kCreateDirectory = 8,
  kMoveFile = 9,
  kCreateFile = 10,
};

using CreateTransactionFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPGUID, DWORD, DWORD, DWORD, DWORD,
                                            LPWSTR);
using EndTransactionFn = BOOL(WINAPI*)(HANDLE);
using DeleteFileFn = BOOL(WINAPI*)(LPCWSTR, HANDLE);
using CopyFileFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPPROGRESS_ROUTINE, LPVOID, LPBOOL, DWORD, HANDLE);
using CreateDirectoryFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES, HANDLE);
using MoveFileFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPPROGRESS_ROUTINE, LPVOID, DWORD, HANDLE);
using CreateFileFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE,
                                     HANDLE, PUSHORT, PVOID);

class Win32Libraries : public LibraryLoader {
 public:
  HMODULE Load(const wchar_t* name) override { return ::LoadLibraryW(name); }
  FARPROC Find(HMODULE module, const char* name) override { return ::GetProcAddress(module, name); }
  void Free(HMODULE module) override { ::FreeLibrary(module); }
};

}  // namespace

const char* const TransactedFileOps::kFunctionNames[kFunctionCount] = {"CreateTransaction",
                                                                       "RollbackTransaction",
                                                                       "CommitTransaction",
                                                                       "RegCreateKeyTransactedW",
                                                                       "RegDeleteKeyTransactedW",
                                                                       "RegOpenKeyTransactedW",
                                                                       "DeleteFileTransactedW",
                                                                       "CopyFileTransactedW",
                                                                       "CreateDirectoryTransactedW",
                                                                       "MoveFileTransactedW",
                                                                       "CreateFileTransactedW",
                                                                       "RemoveDirectoryTransactedW",
                                                                       "GetFullPathNameTransactedW",
                                                                       "GetLongPathNameTransactedW",
                                                                       "CreateHardLinkTransactedW",
                                                                       "GetCompressedFileSizeTransactedW",
                                                                       "GetFileAttributesTransactedW",
                                                                       "SetFileAttributesTransactedW",
                                                                       "FindFirstFileTransactedW"};

LibraryLoader& SystemLibraries() {
  static Win32Libraries libraries;
  return libraries;
}

TransactedFileOps::TransactedFileOps(LibraryLoader& loader) : loader_(loader) {
  static const wchar_t* const kLibraries[3] = {L"Ktmw32.dll", L"Advapi32.dll", L"Kernel32.dll"};
  libraries_[0] = loader_.Load(kLibraries[0]);
  if (!libraries_[0]) return;
  libraries_[1] = loader_.Load(kLibraries[1]);
  libraries_[2] = loader_.Load(kLibraries[2]);
  if (!libraries_[1] || !libraries_[2]) return;
  for (std::size_t i = 0; i < kFunctionCount; ++i) {
    const HMODULE library = libraries_[i < 3 ? 0 : (i < 6 ? 1 : 2)];
    functions_[i] = loader_.Find(library, kFunctionNames[i]);
    // All or nothing: half a set would mix transacted and plain steps.
    if (!functions_[i]) {
      functions_.fill(nullptr);
      return;
    }
  }
  Begin();
}

bool TransactedFileOps::Begin() {
  if (transaction_) return true;
  if (!functions_[kCreateTransaction]) return false;
  HANDLE transaction =
      Function<CreateTransactionFn>(kCreateTransaction)(nullptr, nullptr, 0, 0, 0, 0, nullptr);
  transaction_ = transaction == INVALID_HANDLE_VALUE ? nullptr : transaction;
  return transaction_ != nullptr;
}

TransactedFileOps::~TransactedFileOps() {
  Rollback();
  // Free in reverse order of loading.
  for (auto it = libraries_.rbegin(); it != libraries_.rend(); ++it) {
    if (*it) loader_.Free(*it);
  }
}

HANDLE TransactedFileOps::OpenForWriting(const std::wstring& path, DWORD disposition) {
  if (transaction_) {
    return Function<CreateFileFn>(kCreateFile)(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                               FILE_ATTRIBUTE_NORMAL, nullptr, transaction_, nullptr,
                                               nullptr);
  }
  return ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool TransactedFileOps::Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
  if (transaction_)
    return Function<MoveFileFn>(kMoveFile)(from.c_str(), to.c_str(), nullptr, nullptr, flags, transaction_) !=
           0;
  return ::MoveFileWithProgressW(from.c_str(), to.c_str(), nullptr, nullptr, flags) != 0;
}

bool TransactedFileOps::CreateFolder(const std::wstring& path) {
  if (transaction_)
    return Function<CreateDirectoryFn>(kCreateDirectory)(nullptr, path.c_str(), nullptr, transaction_) != 0;
  return ::CreateDirectoryExW(nullptr, path.c_str(), nullptr) != 0;
}

bool TransactedFileOps::Copy(const std::wstring& from, const std::wstring& to) {
  BOOL cancel = FALSE;
  if (transaction_) {
    return Function<CopyFileFn>(kCopyFile)(from.c_str(), to.c_str(), nullptr, nullptr, &cancel, 0,
                                           transaction_) != 0;
  }
  return ::CopyFileExW(from.c_str(), to.c_str(), nullptr, nullptr, &cancel, 0) != 0;
}

bool TransactedFileOps::Delete(const std::wstring& path) {
  if (transaction_) return Function<DeleteFileFn>(kDeleteFile)(path.c_str(), transaction_) != 0;
  return ::DeleteFileW(path.c_str()) != 0;
}

bool TransactedFileOps::Commit() {
  if (!transaction_) return true;
  const bool done = Function<EndTransactionFn>(kCommitTransaction)(transaction_) != 0;
  ::CloseHandle(transaction_);
  transaction_ = nullptr;
  return done;
}

bool TransactedFileOps::Rollback() {
  if (!transaction_) return true;
  const bool done = Function<EndTransactionFn>(kRollbackTransaction)(transaction_) != 0;
  ::CloseHandle(transaction_);
  transaction_ = nullptr;
  return done;
}

}  // namespace updater
