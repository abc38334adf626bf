#include "mwWinAPI/WinHelpers.h"

#include <shlobj.h>

#include <mutex>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/Handles.h"

namespace mwWinAPI {

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

std::wstring BrowseForFolder(HWND owner, const std::wstring& title) {
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_STATUSTEXT;
  PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&info);
  if (!list) return {};
  wchar_t path[MAX_PATH] = {};
  const bool hasPath = ::SHGetPathFromIDListW(list, path) != FALSE;
  ::CoTaskMemFree(list);  // the shell allocator
  return hasPath ? std::wstring(path) : std::wstring();
}

HTREEITEM AddItemToTree(HWND tree, const std::wstring& text, int level, LPARAM param, int image) {
  // Filled from the tree builder thread as well as from the UI thread.
  static std::mutex guard;
  static HWND lastTree = nullptr;
  static HTREEITEM lastLevel1 = nullptr, lastLevel2 = nullptr;
  const std::lock_guard<std::mutex> lock(guard);
  if (tree != lastTree) lastTree = tree, lastLevel1 = lastLevel2 = nullptr;

  std::wstring buffer = text;  // the item structure wants a writable string
  TVINSERTSTRUCTW insert = {};
  insert.hParent = level == 1 ? TVI_ROOT : level == 2 ? lastLevel1 : lastLevel2;
  // Appending equals "after the item inserted last" for a top-down fill, and
  // unlike a non-sibling insert-after item it is defined for every parent.
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = buffer.data();
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = param;
  const auto item = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item && level == 1) lastLevel1 = item, lastLevel2 = nullptr;
  if (item && level == 2) lastLevel2 = item;
  return item;
}

}  // namespace mwWinAPI
