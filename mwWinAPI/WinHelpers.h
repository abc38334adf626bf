#pragma once
// Small Win32 helpers: groups of menu items, window texts, paths, the folder
// dialog and tree items.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "mwWinAPI/ErrorText.h"

namespace mwWinAPI {

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

// The shell's folder selection dialog (status text, no root); the chosen
// folder's path, or empty when the user cancels or the choice has no
// file-system path. Programs reach it through UserInteraction.
std::wstring BrowseForFolder(HWND owner, const std::wstring& title);

// Appends an item to a tree filled top-down in one run: level 1 under the
// root, level 2 under the last level-1 item, deeper levels under the last
// level-2 item. Returns the new item, null if the tree refused it. The last
// items are remembered per tree control, so filling a second tree starts
// afresh.
HTREEITEM AddItemToTree(HWND tree, const std::wstring& text, int level, LPARAM param, int image);

// True if anything matches `path`; wildcards match too.
bool FileExists(const std::wstring& path);

}  // namespace mwWinAPI
