#pragma once
// The file operations of an installation, all inside one kernel transaction
// when the system offers the transaction manager and every transacted
// function, else the plain functions that take effect at once. Shared by
// QZ7Updater and MiniSwap. The libraries are loaded by name at run time, so
// the programs also start where they are missing.
#include <windows.h>

#include <array>
#include <string>

namespace updater {

// How the wrapper reaches the system libraries; tests hand in a fake table.
class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // Null when the library cannot be loaded.
  virtual HMODULE Load(const wchar_t* name) = 0;
  // Null when the library has no such function.
  virtual FARPROC Find(HMODULE module, const char* name) = 0;
  virtual void Free(HMODULE module) = 0;
};

// LoadLibraryW, GetProcAddress and FreeLibrary.
LibraryLoader& SystemLibraries();

class TransactedFileOps {
 public:
  // Every function the wrapper asks for, in the order it asks: the first
  // three from Ktmw32.dll, three from Advapi32.dll, the rest from Kernel32.dll.
  static constexpr std::size_t kFunctionCount = 19;
  static const char* const kFunctionNames[kFunctionCount];

  // Loads the libraries and, when every function is there, creates the
  // transaction. Never throws: whatever is missing means plain operations.
  explicit TransactedFileOps(LibraryLoader& loader = SystemLibraries());
  TransactedFileOps(const TransactedFileOps&) = delete;
  TransactedFileOps& operator=(const TransactedFileOps&) = delete;
  // Rolls back a transaction still open, then frees the libraries.
  ~TransactedFileOps();

  bool HasTransaction() const { return transaction_ != nullptr; }
  // Starts a new transaction after a commit or rollback, when the system
  // has the transaction manager; true when one is open.
  bool Begin();

  // Opens `path` for writing, not shared: by default created or truncated.
  // Returns INVALID_HANDLE_VALUE on failure (GetLastError tells why; after
  // OPEN_ALWAYS, ERROR_ALREADY_EXISTS tells an existing file); the caller
  // closes the handle.
  HANDLE OpenForWriting(const std::wstring& path, DWORD disposition = CREATE_ALWAYS);
  // Moves a file; an existing destination is replaced by no flag but
  // MOVEFILE_REPLACE_EXISTING. False on failure.
  bool Move(const std::wstring& from, const std::wstring& to, DWORD flags = 0);
  // One folder level; false on failure, also when it exists.
  bool CreateFolder(const std::wstring& path);
  // Copies a file, replacing an existing destination. False on failure.
  bool Copy(const std::wstring& from, const std::wstring& to);
  bool Delete(const std::wstring& path);

  // Commits and forgets the transaction; true without one.
  bool Commit();
  // Rolls back and forgets the transaction; true without one.
  bool Rollback();

 private:
  template <typename F>
  F Function(std::size_t index) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(functions_[index]));
  }

  LibraryLoader& loader_;
  std::array<HMODULE, 3> libraries_{};
  std::array<FARPROC, kFunctionCount> functions_{};
  HANDLE transaction_ = nullptr;
};

}  // namespace updater
