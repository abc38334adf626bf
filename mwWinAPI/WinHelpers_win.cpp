#include "mwWinAPI/WinHelpers.h"

#include <memory>

#include "mwWinAPI/Exceptions.h"

namespace mwWinAPI {
namespace {

struct LocalFreer {
  void operator()(wchar_t* p) const { ::LocalFree(p); }
};

}  // namespace

std::wstring GetLastErrorS(DWORD code) {
  wchar_t* raw = nullptr;
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                                        code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreer> text(raw);
  if (length == 0 || !text) return L"Unbekannter Fehler - Fehlercode: " + std::to_wstring(code);
  return std::wstring(text.get(), length);
}

std::wstring GetLastErrorS() { return GetLastErrorS(::GetLastError()); }

void MenuDis::Enable() const {
  for (const int id : ids_) ::EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | MF_ENABLED);
}

void MenuDis::Disable() const {
  for (const int id : ids_) ::EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | MF_GRAYED);
}

std::wstring GetWindowString(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1023);
  return text;
}

std::wstring FilePathExec(const std::wstring& fileName) {
  wchar_t module[MAX_PATH] = {};
  const DWORD moduleLength = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  // A cut-off module path would name a wrong folder.
  if (moduleLength == 0 || moduleLength >= MAX_PATH) {
    const DWORD error = ::GetLastError();
    throw mwstd::file_io_error(GetLastErrorS(error ? error : ERROR_INSUFFICIENT_BUFFER));
  }
  wchar_t full[MAX_PATH] = {};
  wchar_t* filePart = nullptr;
  const DWORD fullLength = ::GetFullPathNameW(module, MAX_PATH, full, &filePart);
  if (fullLength == 0 || fullLength >= MAX_PATH) {
    const DWORD error = ::GetLastError();
    throw mwstd::file_io_error(GetLastErrorS(error ? error : ERROR_INSUFFICIENT_BUFFER));
  }
  if (filePart) *filePart = L'\0';
  return full + fileName;
}

bool FileExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  const HANDLE search = ::FindFirstFileW(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

}  // namespace mwWinAPI
