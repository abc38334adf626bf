#pragma once
// Small Win32 helpers: system error texts, groups of menu items, window texts
// and paths.
#include <windows.h>

#include <string>
#include <vector>

namespace mwWinAPI {

// The system's text for an error code, unchanged (it ends with a line break),
// or "Unbekannter Fehler - Fehlercode: " and the code in decimal.
std::wstring GetLastErrorS(DWORD code);
std::wstring GetLastErrorS();

// Menu items that are enabled and grayed together.
class MenuDis {
 public:
  explicit MenuDis(HMENU menu = nullptr) : menu_(menu) {}

  void SetMenu(HMENU menu) { menu_ = menu; }
  void AddPoint(int id) { ids_.push_back(id); }
  void Enable() const;
  void Disable() const;
  void Clear() { ids_.clear(); }

 private:
  HMENU menu_;
  std::vector<int> ids_;
};

// The window's text, at most 1022 characters.
std::wstring GetWindowString(HWND window);

// `fileName` in the folder of the running executable. Throws
// mwstd::file_io_error when that folder cannot be had.
std::wstring FilePathExec(const std::wstring& fileName);

// True if anything matches `path`; wildcards match too.
bool FileExists(const std::wstring& path);

}  // namespace mwWinAPI
