// journey-drive: answers the real programs' windows from outside, for the
// end-to-end journeys (no seams inside the programs).
//   journey-drive wait TITLE SECONDS         a top-level window of that title appears
//   journey-drive text TITLE                 prints the static texts of that window
//   journey-drive press TITLE BUTTON         presses the button of that caption
//   journey-drive save-as PATH SECONDS       types PATH into the save dialog and confirms
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

HWND WaitFor(const std::wstring& title, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    Search search{title};
    ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    ::Sleep(100);
  }
  return nullptr;
}

struct Child {
  std::wstring text;
  const wchar_t* kind;
  HWND found = nullptr;
  std::wstring all;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
  auto& child = *reinterpret_cast<Child*>(data);
  wchar_t text[1024] = {}, type[64] = {};
  ::GetClassNameW(window, type, 64);
  ::GetWindowTextW(window, text, 1024);
  if (_wcsicmp(type, child.kind) == 0) {
    if (child.text == text) child.found = window;
    child.all += std::wstring(text) + L"\n";
  }
  return TRUE;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  const std::wstring command = argc > 1 ? argv.get()[1] : L"";
  if (command == L"wait" && argc == 4) return WaitFor(argv.get()[2], _wtoi(argv.get()[3])) ? 0 : 1;
  if (command == L"text" && argc == 3) {
    HWND window = WaitFor(argv.get()[2], 1);
    if (!window) return 1;
    Child child{L"", L"Static", nullptr, L""};
    ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&child));
    std::fputws(child.all.c_str(), stdout);
    return 0;
  }
  if (command == L"press" && argc == 4) {
    HWND window = WaitFor(argv.get()[2], 1);
    Child child{argv.get()[3], L"Button", nullptr, L""};
    if (window) ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&child));
    if (!child.found) return 1;
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(child.found), BN_CLICKED),
                   reinterpret_cast<LPARAM>(child.found));
    return 0;
  }
  if (command == L"save-as" && argc == 4) {
    HWND dialog = WaitFor(L"Save As", _wtoi(argv.get()[3]));
    if (!dialog) return 1;
    // The file name field of the common dialog (a combo box, id 1148, or
    // the plain edit 1152 of older layouts).
    HWND name = ::GetDlgItem(dialog, 1148);
    if (!name) name = ::GetDlgItem(dialog, 1152);
    if (!name) return 1;
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv.get()[2]));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
  }
  std::fputs(
      "usage: journey-drive wait TITLE SECONDS | text TITLE | press TITLE BUTTON | save-as PATH SECONDS\n",
      stderr);
  return 2;
}
