// Path resolution through the system, so that the check sees what the file
// functions will see.
#include <windows.h>

#include <vector>

#include "updater/FolderPaths.h"
#include "updater/PathSafety.h"

namespace updater {

std::wstring FullPath(const std::wstring& path) {
  if (path.empty()) return std::wstring();
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

std::wstring ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      return path.substr(0, path.find_last_of(L"\\/"));
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool ResolveInside(const std::wstring& folder, const std::wstring& relative, std::wstring& full) {
  if (!IsSafeRelativePath(relative)) return false;
  const std::wstring base = FullPath(folder);
  const std::wstring resolved = FullPath(base + L"\\" + relative);
  if (base.empty() || !IsInsideFolder(base, resolved)) return false;
  full = resolved;
  return true;
}

namespace {

bool FolderIdentity(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE handle =
      ::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok =
      ::GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  ::CloseHandle(handle);
  return ok;
}

}  // namespace

bool IsSameFolder(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return !a.empty() && !b.empty() && FolderIdentity(a, x) && FolderIdentity(b, y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

bool LiesInside(const std::wstring& folder, const std::wstring& path) {
  const std::wstring base = FullPath(folder);
  return !base.empty() && IsInsideFolder(base, FullPath(path));
}

}  // namespace updater
