// journey-drive: answers and drives the real programs' windows from outside,
// for the end-to-end journeys (no seams inside the programs): only window
// messages, as another program on the desktop could send them.
//
//   journey-drive COMMAND ARGS...     one command; exit 0 when it succeeded
//   journey-drive -                   commands from standard input, a line
//                                     each ("#" starts a comment); stops at
//                                     the first that fails (exit 1)
//
// WINDOW is a top-level window's title, "PREFIX*" for a title that begins so,
// or "#dialog" for the topmost dialog box. Controls are found by id among the
// window's visible descendants, of the kind the command needs.
//   wait WINDOW SECONDS              the window appears
//   gone WINDOW SECONDS              no such window is left
//   text WINDOW                      prints the window's static texts
//   press WINDOW CAPTION             presses the button of that caption
//   click WINDOW ID                  presses button ID (a radio button or
//                                    check box is checked first) and waits
//                                    until it is handled (at most 2 s)
//   set WINDOW ID TEXT               types TEXT into edit ID and leaves it
//   expect WINDOW ID TEXT            edit or static ID shows exactly TEXT
//   select WINDOW ID INDEX           picks entry INDEX of list or combo ID
//   command WINDOW ID                the menu command ID, waiting for it
//   post WINDOW ID                   the menu command ID, not waiting (for
//                                    commands that open a modal dialog)
//   tree WINDOW I/J/...              selects the tree item reached by these
//                                    child positions, opening each parent
//   drag WINDOW CLASS X0 Y0 X1 Y1    a left-button drag in the client area of
//                                    the descendant of that window class
//   close WINDOW                     asks the window to close
//   file PATH SECONDS                types PATH into the open or save dialog
//                                    and confirms
//   save-as PATH SECONDS             the same (older name)
//   log WINDOW TEXT SECONDS          the window's list box shows a line
//                                    containing TEXT; prints its lines
//   sleep MILLISECONDS               lets the programs work
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

namespace {

// Messages sent to another program wait at most this long: a handler that
// opens a modal box must not hang the journey. A click waits less, since
// many buttons open the next dialog.
constexpr UINT kSendTimeout = 10000;
constexpr UINT kClickTimeout = 2000;

bool IsDialog(HWND window) {
  wchar_t type[16] = {};
  ::GetClassNameW(window, type, 16);
  return std::wstring(type) == L"#32770";
}

struct Search {
  std::wstring title;
  HWND found = nullptr;
};

bool TitleMatches(const std::wstring& pattern, HWND window) {
  if (pattern == L"#dialog") return IsDialog(window);
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  if (!pattern.empty() && pattern.back() == L'*')
    return std::wstring(text).compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
  return pattern == text;
}

BOOL CALLBACK MatchTitle(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  if (::IsWindowVisible(window) && TitleMatches(search.title, window)) search.found = window;
  return search.found == nullptr;
}

HWND Find(const std::wstring& title) {
  Search search{title};
  ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(const std::wstring& title, int seconds) {
  for (int i = 0; i <= seconds * 10; ++i) {
    if (HWND found = Find(title)) return found;
    ::Sleep(100);
  }
  return nullptr;
}

bool WaitGone(const std::wstring& title, int seconds) {
  for (int i = 0; i <= seconds * 10; ++i) {
    if (!Find(title)) return true;
    ::Sleep(100);
  }
  return false;
}

// A visible descendant by id and window class (any class when empty), or by
// caption.
struct Child {
  int id = 0;
  std::vector<std::wstring> kinds;
  std::wstring caption;
  bool byCaption = false;
  HWND found = nullptr;
  std::wstring all;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
  auto& child = *reinterpret_cast<Child*>(data);
  if (!::IsWindowVisible(window)) return TRUE;
  wchar_t text[1024] = {}, type[64] = {};
  ::GetClassNameW(window, type, 64);
  bool kind = child.kinds.empty();
  for (const auto& k : child.kinds) kind = kind || _wcsicmp(type, k.c_str()) == 0;
  if (!kind) return TRUE;
  ::GetWindowTextW(window, text, 1024);
  child.all += std::wstring(text) + L"\n";
  if (!child.found && (child.byCaption ? child.caption == text : ::GetDlgCtrlID(window) == child.id))
    child.found = window;
  return TRUE;
}

HWND FindControl(HWND top, int id, std::vector<std::wstring> kinds) {
  Child child;
  child.id = id;
  child.kinds = std::move(kinds);
  ::EnumChildWindows(top, MatchChild, reinterpret_cast<LPARAM>(&child));
  return child.found;
}

struct ByClass {
  std::wstring kind;
  HWND found = nullptr;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<ByClass*>(data);
  wchar_t type[64] = {};
  ::GetClassNameW(window, type, 64);
  if (_wcsicmp(search.kind.c_str(), type) != 0 || !::IsWindowVisible(window)) return TRUE;
  search.found = window;
  return FALSE;
}

// The first visible descendant of that window class.
HWND FindByClass(HWND top, const std::wstring& kind) {
  ByClass search{kind};
  ::EnumChildWindows(top, MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout = kSendTimeout) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeout, &result);
  return static_cast<LRESULT>(result);
}

void Notify(HWND control, WORD code) {
  Send(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
       reinterpret_cast<LPARAM>(control));
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  Send(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

int Fail(const std::wstring& why) {
  std::fwprintf(stderr, L"journey-drive: %ls\n", why.c_str());
  return 1;
}

int SelectTreeItem(HWND top, const std::wstring& path) {
  HWND tree = FindByClass(top, WC_TREEVIEWW);
  if (!tree) return Fail(L"no tree view");
  HTREEITEM item = nullptr;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(L'/', start), path.size());
    const int position = _wtoi(path.substr(start, end - start).c_str());
    HTREEITEM next = reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, item ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(item)));
    for (int i = 0; i < position && next; ++i)
      next =
          reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(next)));
    if (!next) return Fail(L"no tree item " + path.substr(0, end));
    item = next;
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    // Opened as a user opens it, so that the program fills in the children
    // (on an open item the key would select its first child instead).
    const bool open =
        Send(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED;
    if (end < path.size() && !open) Send(tree, WM_KEYDOWN, VK_RIGHT, 0);
    start = end + 1;
  }
  return 0;
}

int Drag(HWND top, const std::wstring& kind, int x0, int y0, int x1, int y1) {
  HWND window = FindByClass(top, kind);
  if (!window) return Fail(L"no window of class " + kind);
  const int steps = 4;
  Send(window, WM_MOUSEMOVE, 0, MAKELPARAM(x0, y0));
  Send(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
  for (int i = 1; i <= steps; ++i)
    Send(window, WM_MOUSEMOVE, MK_LBUTTON,
         MAKELPARAM(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps));
  Send(window, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
  return 0;
}

struct FileName {
  HWND dialog = nullptr, name = nullptr;
};

BOOL CALLBACK MatchFileDialog(HWND window, LPARAM data) {
  auto& hit = *reinterpret_cast<FileName*>(data);
  if (!::IsWindowVisible(window) || !IsDialog(window)) return TRUE;
  HWND name = ::GetDlgItem(window, 1148);
  if (!name) name = ::GetDlgItem(window, 1152);
  if (!name) return TRUE;
  hit.dialog = window;
  hit.name = name;
  return FALSE;
}

int FileDialog(const std::wstring& path, int seconds) {
  // The common dialog's file name field: a combo box (1148) or, in older
  // layouts, a plain edit (1152). Found by that field, whatever the language.
  for (int i = 0; i <= seconds * 10; ++i) {
    FileName hit;
    ::EnumWindows(MatchFileDialog, reinterpret_cast<LPARAM>(&hit));
    if (hit.dialog) {
      Send(hit.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      ::PostMessageW(hit.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      // Taken when the dialog closes; one that stays (a refused name, a
      // question) is a failure of this step.
      for (int j = 0; j < 100 && ::IsWindow(hit.dialog) && ::IsWindowVisible(hit.dialog); ++j) ::Sleep(100);
      return ::IsWindow(hit.dialog) && ::IsWindowVisible(hit.dialog) ? Fail(L"the file dialog stays open")
                                                                     : 0;
    }
    ::Sleep(100);
  }
  return Fail(L"no file dialog");
}

// The lines of the window's first list box, one per line; false while the
// window or its list is not there, or the list changed while it was read.
bool ReadList(const std::wstring& title, std::wstring& lines) {
  const HWND window = Find(title);
  const HWND list = window ? FindByClass(window, L"ListBox") : nullptr;
  if (!list) return false;
  lines.clear();
  const LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) return false;
    std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]));
    if (copied < 0 || copied > length) return false;
    line.resize(static_cast<std::size_t>(copied));
    lines += line + L"\n";
  }
  return count >= 0;
}

int WaitLog(const std::wstring& title, const std::wstring& wanted, int seconds) {
  std::wstring lines;
  bool found = false;
  for (int i = 0; i <= seconds * 10 && !found; ++i) {
    found = ReadList(title, lines) && lines.find(wanted) != std::wstring::npos;
    if (!found) ::Sleep(100);
  }
  std::fputws(lines.c_str(), stdout);
  return found ? 0 : Fail(L"no line with " + wanted);
}

// Prints the texts of the window's static controls.
int PrintTexts(HWND top) {
  Child child;
  child.kinds = {L"Static"};
  child.byCaption = true;
  ::EnumChildWindows(top, MatchChild, reinterpret_cast<LPARAM>(&child));
  std::fputws(child.all.c_str(), stdout);
  return 0;
}

// Posts a click of the button with `caption`.
int PressByCaption(HWND top, const std::wstring& caption) {
  Child child;
  child.kinds = {L"Button"};
  child.byCaption = true;
  child.caption = caption;
  ::EnumChildWindows(top, MatchChild, reinterpret_cast<LPARAM>(&child));
  if (!child.found) return Fail(L"no button " + caption);
  ::PostMessageW(::GetParent(child.found), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(child.found), BN_CLICKED),
                 reinterpret_cast<LPARAM>(child.found));
  return 0;
}

// Clicks button `id` (`name` as the script gave it), checking a radio
// button or check box first as a click would.
int ClickButton(HWND top, int id, const std::wstring& name) {
  HWND button = FindControl(top, id, {L"Button"});
  if (!button) return Fail(L"no button " + name);
  const LONG style = ::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
  if (style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON || style == BS_AUTOCHECKBOX ||
      style == BS_CHECKBOX) {
    // The group's other radio buttons go off, as a click would do.
    if (style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON) {
      HWND parent = ::GetParent(button);
      for (HWND other = ::GetWindow(parent, GW_CHILD); other; other = ::GetWindow(other, GW_HWNDNEXT)) {
        const LONG s = ::GetWindowLongW(other, GWL_STYLE) & BS_TYPEMASK;
        wchar_t type[16] = {};
        ::GetClassNameW(other, type, 16);
        if (other != button && _wcsicmp(type, L"Button") == 0 &&
            (s == BS_AUTORADIOBUTTON || s == BS_RADIOBUTTON) &&
            ::GetNextDlgGroupItem(parent, other, FALSE) != nullptr)
          Send(other, BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
    Send(button, BM_SETCHECK, BST_CHECKED, 0);
  }
  // Sent, so that the next step sees its effect; a modal dialog that it
  // opens only shortens the wait.
  Send(::GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
       kClickTimeout);
  return 0;
}

// Selects entry `entry` of combo box or list box `id`, as the user would.
int SelectEntry(HWND top, int id, const std::wstring& name, const std::wstring& entry) {
  HWND list = FindControl(top, id, {L"ComboBox", L"ListBox"});
  if (!list) return Fail(L"no list " + name);
  wchar_t type[16] = {};
  ::GetClassNameW(list, type, 16);
  const bool combo = _wcsicmp(type, L"ComboBox") == 0;
  const WPARAM index = static_cast<WPARAM>(_wtoi(entry.c_str()));
  if (Send(list, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0) != static_cast<LRESULT>(index))
    return Fail(L"no entry " + entry);
  Notify(list, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
  return 0;
}

// Types `text` into edit `id` and leaves it.
int TypeInto(HWND top, int id, const std::wstring& name, const std::wstring& text) {
  HWND edit = FindControl(top, id, {L"Edit"});
  if (!edit) return Fail(L"no edit " + name);
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // Typed, not set by the program: the edit is marked modified as typing
  // marks it.
  Send(edit, EM_SETMODIFY, TRUE, 0);
  Notify(edit, EN_KILLFOCUS);
  return 0;
}

int Run(const std::vector<std::wstring>& args) {
  const std::size_t n = args.size();
  const std::wstring command = n > 0 ? args[0] : L"";
  if (command == L"sleep" && n == 2) {
    ::Sleep(static_cast<DWORD>(_wtoi(args[1].c_str())));
    return 0;
  }
  if ((command == L"file" || command == L"save-as") && n == 3)
    return FileDialog(args[1], _wtoi(args[2].c_str()));
  if (command == L"wait" && n == 3)
    return WaitFor(args[1], _wtoi(args[2].c_str())) ? 0 : Fail(L"no window " + args[1]);
  if (command == L"gone" && n == 3)
    return WaitGone(args[1], _wtoi(args[2].c_str())) ? 0 : Fail(L"still there: " + args[1]);
  if (command == L"log" && n == 4) return WaitLog(args[1], args[2], _wtoi(args[3].c_str()));
  if (n < 2) return 2;
  HWND top = WaitFor(args[1], 5);
  if (!top) return Fail(L"no window " + args[1]);
  if (command == L"text" && n == 2) return PrintTexts(top);
  if (command == L"close" && n == 2) return ::PostMessageW(top, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == L"tree" && n == 3) return SelectTreeItem(top, args[2]);
  if (command == L"drag" && n == 7)
    return Drag(top, args[2], _wtoi(args[3].c_str()), _wtoi(args[4].c_str()), _wtoi(args[5].c_str()),
                _wtoi(args[6].c_str()));
  if (command == L"press" && n == 3) return PressByCaption(top, args[2]);
  if ((command == L"command" || command == L"post") && n == 3) {
    const WPARAM id = MAKEWPARAM(_wtoi(args[2].c_str()), 0);
    if (command == L"post") return ::PostMessageW(top, WM_COMMAND, id, 0) ? 0 : 1;
    Send(top, WM_COMMAND, id, 0);
    return 0;
  }
  if (n < 3) return 2;
  const int id = _wtoi(args[2].c_str());
  if (command == L"click" && n == 3) return ClickButton(top, id, args[2]);
  if (command == L"select" && n == 4) return SelectEntry(top, id, args[2], args[3]);
  if (command == L"set" && n == 4) return TypeInto(top, id, args[2], args[3]);
  if (command == L"expect" && n == 4) {
    HWND control = FindControl(top, id, {L"Edit", L"Static"});
    if (!control) return Fail(L"no field " + args[2]);
    const std::wstring shown = TextOf(control);
    return shown == args[3]
               ? 0
               : Fail(L"field " + args[2] + L" shows \"" + shown + L"\", not \"" + args[3] + L"\"");
  }
  return 2;
}

// Splits a script line into words; double quotes group words with blanks.
std::vector<std::wstring> Words(const std::wstring& line) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool quoted = false, any = false;
  for (wchar_t c : line) {
    if (c == L'"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && std::iswspace(c)) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

int RunScript() {
  char buffer[4096];
  int line = 0;
  while (std::fgets(buffer, sizeof buffer, stdin)) {
    ++line;
    const std::vector<std::wstring> words = Words(FromUtf8(buffer));
    if (words.empty() || words[0][0] == L'#') continue;
    const int result = Run(words);
    if (result != 0) {
      std::fwprintf(stderr, L"journey-drive: line %d (%ls) failed\n", line, words[0].c_str());
      return result == 2 ? 2 : 1;
    }
  }
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  if (argc == 2 && std::wstring(argv.get()[1]) == L"-") return RunScript();
  std::vector<std::wstring> args(argv.get() + 1, argv.get() + argc);
  const int result = Run(args);
  if (result == 2) std::fputs("usage: see the head of tests/journeys/drive_win.cpp\n", stderr);
  return result;
}
