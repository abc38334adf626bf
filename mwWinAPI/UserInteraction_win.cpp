#include "mwWinAPI/UserInteraction.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <iterator>

#include "mwWinAPI/WinHelpers.h"

namespace mwWinAPI {
namespace {

std::atomic<UserInteraction*> replaced{nullptr};

// How long a balloon of ShowTrackingBalloon stays up.
constexpr UINT kBalloonMilliseconds = 10000;

void CALLBACK CloseBalloon(HWND balloon, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(balloon, timer);
  ::DestroyWindow(balloon);
}

// A balloon below the middle of `control`, for edit controls that do not
// show one themselves (common controls before version 6, and some of their
// reimplementations). It belongs to the control's window, which destroys it
// with itself; a new one replaces the last.
void ShowTrackingBalloon(HWND control, const std::wstring& title, const std::wstring& text, int icon) {
  static HWND last = nullptr;
  if (last && ::IsWindow(last)) ::DestroyWindow(last);
  const HWND owner = ::GetAncestor(control, GA_ROOT);
  const HWND balloon = ::CreateWindowExW(
      WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(control, GWLP_HINSTANCE)), nullptr);
  last = balloon;
  if (!balloon) return;
  ::SendMessageW(balloon, TTM_SETMAXTIPWIDTH, 0, 600);  // lets "\n" break the line
  std::wstring buffer = text;  // the tool wants a writable text
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = buffer.data();
  ::SendMessageW(balloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageW(balloon, TTM_SETTITLEW, icon, reinterpret_cast<LPARAM>(title.c_str()));
  RECT area;
  ::GetWindowRect(control, &area);
  ::SendMessageW(balloon, TTM_TRACKPOSITION, 0, MAKELPARAM((area.left + area.right) / 2, area.bottom));
  ::SendMessageW(balloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  ::SetTimer(balloon, 1, kBalloonMilliseconds, CloseBalloon);
}

std::wstring RunFileDialog(const FileDialogRequest& request, bool save) {
  wchar_t path[MAX_PATH] = {};
  request.initialPath.copy(path, MAX_PATH - 1);
  const std::wstring filter = request.filter + L'\0';  // the list ends with an empty pair
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = request.flags | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  // Browsing must not move the program's current directory: relative paths
  // given on the command line and by scripts keep meaning what they meant.
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring current(size, L'\0');
  current.resize(::GetCurrentDirectoryW(size, &current[0]));
  const BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
  if (!current.empty()) ::SetCurrentDirectoryW(current.c_str());
  return chosen ? std::wstring(path) : std::wstring();
}

template <typename T>
T Next(std::deque<T>& answers, T cancel) {
  if (answers.empty()) return cancel;
  T answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

UserInteraction& Ui() {
  static SystemInteraction system;
  UserInteraction* current = replaced.load();
  return current ? *current : system;
}

UserInteraction* SetUi(UserInteraction* replacement) { return replaced.exchange(replacement); }

int SystemInteraction::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                                   UINT flags) {
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

std::wstring SystemInteraction::OpenFileName(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::wstring SystemInteraction::SaveFileName(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::wstring SystemInteraction::BrowseForFolder(HWND owner, const std::wstring& title) {
  return mwWinAPI::BrowseForFolder(owner, title);
}

bool SystemInteraction::OpenWithShell(HWND owner, const std::wstring& target, const std::wstring& parameters,
                                      int show) {
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
      owner, L"open", target.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr, show));
  return result > 32;  // values up to 32 are error codes
}

void SystemInteraction::BalloonTip(HWND edit, const std::wstring& title, const std::wstring& text, int icon) {
  EDITBALLOONTIP tip = {};
  tip.cbStruct = sizeof tip;
  tip.pszTitle = title.c_str();
  tip.pszText = text.c_str();
  tip.ttiIcon = icon;
  if (::SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip))) return;
  ShowTrackingBalloon(edit, title, text, icon);
}

bool SystemInteraction::TrayBalloon(HWND window, UINT id, const std::wstring& tip, const std::wstring& title,
                                    const std::wstring& text, DWORD icon) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = NIF_TIP | NIF_INFO;
  tip.copy(data.szTip, std::size(data.szTip) - 1);
  text.copy(data.szInfo, std::size(data.szInfo) - 1);
  title.copy(data.szInfoTitle, std::size(data.szInfoTitle) - 1);
  data.uTimeout = 10;
  data.dwInfoFlags = icon;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

ScriptedInteraction::ScriptedInteraction() : previous_(SetUi(this)) {}
ScriptedInteraction::~ScriptedInteraction() { SetUi(previous_); }

int ScriptedInteraction::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                                     UINT flags) {
  prompts.push_back({L"MessageBox", owner, caption, text, flags});
  return Next(boxAnswers, IDCANCEL);
}

std::wstring ScriptedInteraction::OpenFileName(const FileDialogRequest& request) {
  prompts.push_back({L"OpenFileName", request.owner, request.filter, request.initialPath, request.flags});
  return Next(pathAnswers, std::wstring());
}

std::wstring ScriptedInteraction::SaveFileName(const FileDialogRequest& request) {
  prompts.push_back({L"SaveFileName", request.owner, request.filter, request.initialPath, request.flags});
  return Next(pathAnswers, std::wstring());
}

std::wstring ScriptedInteraction::BrowseForFolder(HWND owner, const std::wstring& title) {
  prompts.push_back({L"BrowseForFolder", owner, title, L"", 0});
  return Next(pathAnswers, std::wstring());
}

bool ScriptedInteraction::OpenWithShell(HWND owner, const std::wstring& target,
                                        const std::wstring& parameters, int show) {
  prompts.push_back({L"Shell", owner, parameters, target, static_cast<UINT>(show)});
  return Next(shellAnswers, false);
}

void ScriptedInteraction::BalloonTip(HWND edit, const std::wstring& title, const std::wstring& text,
                                     int icon) {
  prompts.push_back({L"Balloon", edit, title, text, static_cast<UINT>(icon)});
}

bool ScriptedInteraction::TrayBalloon(HWND window, UINT, const std::wstring&, const std::wstring& title,
                                      const std::wstring& text, DWORD icon) {
  prompts.push_back({L"TrayBalloon", window, title, text, icon});
  return Next(shellAnswers, true);
}

}  // namespace mwWinAPI
