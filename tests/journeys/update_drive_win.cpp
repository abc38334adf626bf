// journey-update-drive: what the update journey needs beside journey-drive,
// from outside the programs as well.
//   journey-update-drive log TITLE TEXT SECONDS   the log list of that window shows a line containing TEXT;
//                                                  prints the list's lines either way
//   journey-update-drive close TITLE              asks the window of that title to close, as its close box
//   does journey-update-drive gone TITLE SECONDS       no window of that title is visible any more
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct Search {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  if (::IsWindowVisible(window) && search.title == text) search.found = window;
  return search.found == nullptr;
}

HWND Find(const std::wstring& title) {
  Search search{title};
  ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK MatchList(HWND window, LPARAM data) {
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (_wcsicmp(type, L"ListBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

// A message to another program's list that comes back within 5 s; -1
// (LB_ERR) when the program does not answer.
LRESULT Ask(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return LB_ERR;
  return static_cast<LRESULT>(result);
}

// The lines of the window's first list box, one per line; false while the
// window or its list is not there, or the list changed while it was read.
bool ReadLog(const std::wstring& title, std::wstring& lines) {
  const HWND window = Find(title);
  HWND list = nullptr;
  if (window) ::EnumChildWindows(window, MatchList, reinterpret_cast<LPARAM>(&list));
  if (!list) return false;
  lines.clear();
  const LRESULT count = Ask(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Ask(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) return false;
    std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
    if (copied < 0 || copied > length) return false;
    line.resize(static_cast<std::size_t>(copied));
    lines += line + L"\n";
  }
  return count >= 0;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  const std::wstring command = argc > 1 ? argv.get()[1] : L"";
  if (command == L"log" && argc == 5) {
    const std::wstring wanted = argv.get()[3];
    std::wstring lines;
    bool found = false;
    for (int i = 0; i < _wtoi(argv.get()[4]) * 10 && !found; ++i) {
      found = ReadLog(argv.get()[2], lines) && lines.find(wanted) != std::wstring::npos;
      if (!found) ::Sleep(100);
    }
    std::fputws(lines.c_str(), stdout);
    return found ? 0 : 1;
  }
  if (command == L"close" && argc == 3) {
    const HWND window = Find(argv.get()[2]);
    return window && ::PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (command == L"gone" && argc == 4) {
    for (int i = 0; i < _wtoi(argv.get()[3]) * 10; ++i) {
      if (!Find(argv.get()[2])) return 0;
      ::Sleep(100);
    }
    return 1;
  }
  std::fputs("usage: journey-update-drive log TITLE TEXT SECONDS | close TITLE | gone TITLE SECONDS\n",
             stderr);
  return 2;
}
