// The updater's window and its messages. The worker threads only post; every
// control is touched here, on the window thread.
#include "updater/UpdaterWindow.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/FileVersion.h"
#include "mwWinAPI/ScopedGdi.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/WindowDpi.h"
#include "updater/PathSafety.h"
#include "updater/QueryAddress.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterMessages.h"

namespace updater {
namespace {

constexpr DWORD kCloseCancelMs = 5000;

COLORREF KindColour(int kind) {
  switch (kind) {
    case LOG_WARNING:
      return RGB(255, 216, 62);
    case LOG_ERROR:
      return RGB(255, 0, 0);
    case LOG_SUCCESS:
      return RGB(10, 100, 10);
    default:
      return ::GetSysColor(COLOR_WINDOWTEXT);
  }
}

// The shell's major version, from DllGetVersion; 0 when shell32 is missing.
DWORD ShellMajorVersion() {
  const HMODULE shell = ::LoadLibraryW(L"shell32.dll");
  if (!shell) return 0;
  DWORD major = 4;
  if (auto get = reinterpret_cast<DLLGETVERSIONPROC>(
          reinterpret_cast<void*>(::GetProcAddress(shell, "DllGetVersion")))) {
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(get(&info))) major = info.dwMajorVersion;
  }
  ::FreeLibrary(shell);
  return major;
}

mwWinAPI::GdiObject<HFONT> TahomaFont(int height, int weight) {
  return mwWinAPI::GdiObject<HFONT>(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

// Where the window must fit: its monitor's work area and its own frame.
ScreenRoom RoomOf(HWND window) {
  ScreenRoom room;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    room.workWidth = monitor.rcWork.right - monitor.rcWork.left;
    room.workHeight = monitor.rcWork.bottom - monitor.rcWork.top;
  }
  RECT outer{}, client{};
  ::GetWindowRect(window, &outer);
  ::GetClientRect(window, &client);
  room.frameWidth = (outer.right - outer.left) - client.right;
  room.frameHeight = (outer.bottom - outer.top) - client.bottom;
  return room;
}

void Place(HWND control, const Box& box) { ::MoveWindow(control, box.x, box.y, box.width, box.height, TRUE); }

}  // namespace

UpdaterWindow::UpdaterWindow(Downloader& downloader, UpdateLog& log, std::wstring folder,
                             StartOptions options, TextSource text)
    : Window(L"QZ7 Updater", true),
      downloader_(downloader),
      log_(log),
      folder_(std::move(folder)),
      options_(std::move(options)),
      text_(text) {}

UpdaterWindow::~UpdaterWindow() {
  if (Handle()) ::DestroyWindow(Handle());
}

void UpdaterWindow::Create(HINSTANCE instance) {
  Window::Create(instance, kUpdaterClassName, L"Orbiform 2 Updater", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                 0, CW_USEDEFAULT, CW_USEDEFAULT, 430, 600, nullptr);
}

LRESULT UpdaterWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return Dispatch(message, wParam, lParam);
  } catch (const mwstd::exception& e) {
    mwWinAPI::Ui().ShowMessage(Handle(),
                               L"Fehler beim Verarbeiten von " + std::to_wstring(message) + L": " + e.what(),
                               L"QZ7 Updater - Critical Error", MB_ICONERROR);
  } catch (const std::exception&) {
    mwWinAPI::Ui().ShowMessage(
        Handle(), L"Fehler beim Verarbeiten von " + std::to_wstring(message) + L": Unbekannte Exception",
        L"QZ7 Updater - Critical Error", MB_ICONERROR);
  }
  return 0;
}

LRESULT UpdaterWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ACTION_BUTTON) OnButton();
      return 0;
    case UM_NEXT_STEP:
      OnNextStep();
      return 0;
    case UM_INFOS_DONE:
      OnInfosDone(wParam == 1, lParam == 1);
      return 0;
    case UM_FILES_DONE:
      OnFilesDone(lParam == 1);
      return 0;
    case UM_FILE_STARTED:
      OnFileStarted(wParam);
      return 0;
    case UM_STATUS_TEXT:
      ::SetWindowTextW(status_, text_(static_cast<unsigned>(wParam)).c_str());
      return 0;
    case UM_TRAY:
      OnTray(lParam);
      return 0;
    case WM_SIZE:
      // Minimised, it lives on in the notification area only.
      if (wParam == SIZE_MINIMIZED) ::ShowWindow(Handle(), SW_HIDE);
      return 0;
    case WM_DPICHANGED:
      mwWinAPI::FollowDpiChange(Handle(), wParam, lParam);
      ApplyDpi(LOWORD(wParam));
      RefillLog();  // its width follows the font's
      return 0;
    case WM_MEASUREITEM:
      OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void UpdaterWindow::OnCreate() {
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Handle(), GWLP_HINSTANCE));
  list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED |
                                LBS_HASSTRINGS | LBS_NOSEL | LBS_NOINTEGRALHEIGHT,
                            0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(IDC_LOG_LIST), instance, nullptr);
  button_ = ::CreateWindowExW(0, L"BUTTON", text_(IDS_DOWNLOAD_UPDATES).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, Handle(),
                              reinterpret_cast<HMENU>(IDC_ACTION_BUTTON), instance, nullptr);
  status_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT, 0, 0, 0, 0, Handle(), nullptr, instance,
                              nullptr);
  progress_ =
      ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, Handle(), nullptr, instance, nullptr);
  ::SendMessageW(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ApplyDpi(mwWinAPI::WindowDpi(Handle()));
  // The scaled window stays on its monitor's work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT outer{};
  ::GetWindowRect(Handle(), &outer);
  if (::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor) &&
      (outer.bottom > monitor.rcWork.bottom || outer.right > monitor.rcWork.right)) {
    const LONG x = std::max(monitor.rcWork.left,
                            std::min(outer.left, monitor.rcWork.right - (outer.right - outer.left)));
    const LONG y =
        std::max(monitor.rcWork.top, std::min(outer.top, monitor.rcWork.bottom - (outer.bottom - outer.top)));
    ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  const DWORD shell = ShellMajorVersion();
  if (shell == 0) {
    mwWinAPI::Ui().ShowMessage(Handle(), L"shell32.dll could not be found", L"Orbiform2 Updater",
                               MB_ICONERROR);
    ::DestroyWindow(Handle());
    return;
  }
  balloons_ = shell >= 5;
  NOTIFYICONDATAW icon{};
  icon.cbSize = balloons_ ? sizeof icon : NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = Handle();
  icon.uID = ID_TRAY_ICON;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = UM_TRAY;
  // The icon's own picture of the notification area's size (16, 24 or 32
  // pixels with the scaling), not the large one shrunk.
  const int iconSize = mwWinAPI::SystemMetricForDpi(SM_CXSMICON, mwWinAPI::WindowDpi(Handle()));
  icon.hIcon = static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_UPDATER), IMAGE_ICON, iconSize, iconSize, LR_SHARED));
  if (!icon.hIcon) icon.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  std::wstring(kUpdaterCaption).copy(icon.szTip, std::size(icon.szTip) - 1);
  iconAdded_ = ::Shell_NotifyIconW(NIM_ADD, &icon) != FALSE;

  RefillLog();
  if (options_.autoStart) ::PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDC_ACTION_BUTTON, BN_CLICKED), 0);
}

int UpdaterWindow::Ask(const std::wstring& text, UINT flags, const wchar_t* caption) {
  return mwWinAPI::Ui().ShowMessage(Handle(), text, caption, flags);
}

void UpdaterWindow::Balloon(const std::wstring& title, const std::wstring& text, DWORD icon) {
  if (!iconAdded_) return;
  // Below shell 5 there are no balloons: only the tip changes.
  mwWinAPI::Ui().TrayBalloon(Handle(), ID_TRAY_ICON, text.substr(0, 63),
                             balloons_ ? title.substr(0, 30) : L"", balloons_ ? text.substr(0, 126) : L"",
                             icon);
}

void UpdaterWindow::SetButton(unsigned id, bool enabled) {
  ::SetWindowTextW(button_, text_(id).c_str());
  ::EnableWindow(button_, enabled);
}

void UpdaterWindow::ShowProgress(bool show) {
  if (show) ::SendMessageW(progress_, PBM_SETPOS, 0, 0);
  ::ShowWindow(progress_, show ? SW_SHOW : SW_HIDE);
  ::ShowWindow(status_, show ? SW_SHOW : SW_HIDE);
}

void UpdaterWindow::Restore(bool flash) {
  ::ShowWindow(Handle(), SW_RESTORE);
  if (flash) ::FlashWindow(Handle(), TRUE);
}

std::wstring UpdaterWindow::Version(const std::wstring& path) {
  const std::wstring version = mwWinAPI::ReadFileVersion(path);
  if (version.empty()) {
    log_.Add(text_(IDS_VERSION_OF) + path.substr(path.find_last_of(L"\\/") + 1) + text_(IDS_NOT_DETERMINED),
             LOG_WARNING);
  }
  return version;
}

std::wstring UpdaterWindow::BuildQuery() {
  QueryInput input;
  input.commandLinePrefix = options_.queryPrefix;
  if (input.commandLinePrefix.empty()) {
    input.beta = Ask(text_(IDS_BETA_PROMPT), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  }
  wchar_t own[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
  input.updaterVersion = Version(std::wstring(own, length < MAX_PATH ? length : 0));
  input.editorVersion = Version(folder_ + L"\\Orbiform2.exe");
  OSVERSIONINFOW os{};
  os.dwOSVersionInfoSize = sizeof os;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (::GetVersionExW(&os)) {
#pragma GCC diagnostic pop
    input.osMajor = os.dwMajorVersion;
    input.osMinor = os.dwMinorVersion;
  }
  input.repair = options_.repair;
  downloader_.SetInstalled(InstalledVersion(input), options_.repair);
  return BuildQueryAddress(input);
}

void UpdaterWindow::StartInfos() {
  const std::wstring query = BuildQuery();
  // Anything but the maker's own service (whole origin) needs the user's
  // word before a single byte is fetched from it.
  if (!IsMakersAddress(query) &&
      Ask(query + text_(IDS_UNKNOWN_ADDRESS), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
    return;
  query_ = query;
  downloader_.StartInfos(Handle(), progress_, query_);
  ShowProgress(true);
  SetButton(IDS_CANCEL_DOWNLOAD);
}

void UpdaterWindow::OnButton() {
  switch (downloader_.Job().State()) {
    case NOTHING_DONE:
      StartInfos();
      break;
    case INFOS_DOWNLOADING:
    case FILES_DOWNLOADING:
      ShowProgress(false);
      downloader_.Cancel(INFINITE);
      SetButton(downloader_.Job().State() == NOTHING_DONE ? IDS_DOWNLOADING_INFOS : IDS_DOWNLOAD_UPDATES);
      RefillLog();
      break;
    case READY_TO_UPDATE:
    case READY_TO_COPY:
    case FILES_WRITTEN:
      InstallFiles();
      break;
    default:
      ::PostMessageW(Handle(), UM_NEXT_STEP, 0, 0);
      break;
  }
}

void UpdaterWindow::InstallFiles() {
  Installer installer(folder_, downloader_.Job(), log_, downloader_.Ops(), text_);
  if (downloader_.Job().State() == READY_TO_UPDATE) {
    Balloon(L"", text_(IDS_UPDATE_IN_PROGRESS), NIIF_INFO);
    while (!installer.OpenTargets()) {
      if (Ask(text_(IDS_UPDATE_NOT_POSSIBLE), MB_RETRYCANCEL | MB_ICONWARNING, L"Orbiform Updater") !=
          IDRETRY) {
        RefillLog();
        return;
      }
    }
  }
  std::wstring miniSwap;
  try {
    miniSwap = installer.Install();
  } catch (...) {
    RefillLog();
    throw;
  }
  if (!miniSwap.empty()) {
    // MiniSwap replaces this executable once it has ended and starts it
    // again with the query. The window goes without WM_CLOSE, so the log of
    // this run, the installation's record, is written here.
    miniSwap += L"\" \"" + query_ + L"\"";  // one argument, whatever it holds
    const std::wstring program = folder_ + L"\\MiniSwap.exe";
    try {
      WriteLogFile(folder_, log_);
    } catch (const mwstd::exception&) {
      // The update itself is committed; a log that cannot be written must
      // not keep MiniSwap from finishing it.
    }
    ::DestroyWindow(Handle());
    mwWinAPI::Ui().OpenWithShell(nullptr, program, miniSwap, SW_HIDE);
    return;
  }
  Balloon(text_(IDS_READY), text_(IDS_UPDATE_SUCCESSFUL), NIIF_INFO);
  SetButton(IDS_READY, false);
  log_.Add(text_(IDS_ALL_JOBS_DONE), LOG_SUCCESS);
  RefillLog();
}

void UpdaterWindow::OnNextStep() {
  DownloadJob& job = downloader_.Job();
  const int state = job.State();
  if (state == NOTHING_DONE || state == INFOS_DOWNLOADING || state == FILES_DOWNLOADING) return;
  const wchar_t* caption = kUpdaterCaption;
  if (state == INFOS_DOWNLOADED) {
    // Before parsing the list holds the base address too.
    if (job.LinkCount() < 2) {
      Ask(text_(IDS_NO_JOB), MB_OK, caption);
      return;
    }
    if (!job.ParseInfos()) {
      Ask(text_(IDS_FAULTY_LINKS), MB_ICONERROR, caption);
      return;
    }
  }
  if (job.State() != READY_TO_DOWNLOAD_FILES) return;
  if (job.IsManualOnly()) {
    const std::wstring page = job.ManualAddress();
    if (Ask(text_(IDS_DOWNLOAD_ONLY_AT) + page + text_(IDS_START_BROWSER_PROMPT), MB_YESNO | MB_ICONQUESTION,
            caption) == IDYES &&
        IsWebAddress(page)) {
      mwWinAPI::Ui().OpenWithShell(Handle(), page, L"", SW_SHOWNORMAL);
    }
    return;
  }
  if (job.LinkCount() == 0) {
    Ask(text_(IDS_NO_JOB), MB_OK, caption);
    return;
  }
  Balloon(L"", job.Link(0) + text_(IDS_IS_DOWNLOADING), NIIF_INFO);
  downloader_.StartFiles(Handle(), progress_);
  ShowProgress(true);
  SetButton(IDS_CANCEL_DOWNLOAD);
}

void UpdaterWindow::OnInfosDone(bool success, bool work) {
  ShowProgress(false);
  if (success && work) {
    ::PostMessageW(Handle(), UM_NEXT_STEP, 0, 0);
  } else if (success) {
    Balloon(L"", text_(IDS_NO_UPDATES), NIIF_INFO);
    SetButton(IDS_DOWNLOAD_UPDATES);
    log_.Add(text_(IDS_EVERYTHING_DONE), LOG_SUCCESS);
  } else {
    Balloon(L"", text_(IDS_INFOS_FAILED), NIIF_ERROR);
    SetButton(IDS_DOWNLOAD_UPDATES);
  }
  RefillLog();
  Restore(true);
}

void UpdaterWindow::OnFilesDone(bool success) {
  ShowProgress(false);
  if (success) {
    Balloon(text_(IDS_READY), text_(IDS_READY_TO_INSTALL), NIIF_INFO);
    log_.Add(text_(IDS_FILES_DOWNLOADED), LOG_SUCCESS);
    SetButton(IDS_START_UPDATE);
  } else {
    Balloon(text_(IDS_ERROR), text_(IDS_DOWNLOAD_FAILED), NIIF_ERROR);
    log_.Add(text_(IDS_FILES_FAILED), LOG_ERROR);
    SetButton(IDS_DOWNLOAD_UPDATES);
  }
  Restore(true);
  RefillLog();
}

void UpdaterWindow::OnFileStarted(std::size_t index) {
  const auto& links = downloader_.Job().Links();
  // The last file has no successor to name.
  if (index + 1 < links.size()) Balloon(L"", links[index + 1] + text_(IDS_IS_DOWNLOADING), NIIF_INFO);
  RefillLog();
}

void UpdaterWindow::OnTray(LPARAM event) {
  if (event == WM_LBUTTONDBLCLK || event == WM_RBUTTONDOWN) {
    ::ShowWindow(Handle(), SW_RESTORE);
    ::SetForegroundWindow(Handle());
  }
}

void UpdaterWindow::OnClose() {
  const int state = downloader_.Job().State();
  if (state == INFOS_DOWNLOADING || state == FILES_DOWNLOADING) {
    Balloon(text_(IDS_CANCELING), text_(IDS_CANCELING_WAIT), NIIF_INFO);
    downloader_.Cancel(kCloseCancelMs);
  }
  if (log_.Count() > 0) {
    try {
      WriteLogFile(folder_, log_);
    } catch (const mwstd::exception& e) {
      // The window must still close; the user learns why the file is short.
      Ask(e.what(), MB_ICONERROR);
    }
  }
  ::DestroyWindow(Handle());
}

void UpdaterWindow::ApplyDpi(UINT dpi) {
  layout_ = UpdaterLayoutFor(dpi, RoomOf(Handle()));
  ::SetWindowPos(Handle(), nullptr, 0, 0, layout_.windowWidth, layout_.windowHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Place(button_, layout_.button);
  Place(list_, layout_.list);
  Place(status_, layout_.status);
  Place(progress_, layout_.progress);
  mwWinAPI::GdiObject<HFONT> bold = TahomaFont(layout_.fontHeight, 800);
  mwWinAPI::GdiObject<HFONT> normal = TahomaFont(layout_.fontHeight, FW_DONTCARE);
  if (const mwWinAPI::WindowDC dc{Handle()}) {
    const mwWinAPI::SelectedObject selected(dc.Get(), bold.Get());
    TEXTMETRICW metrics{};
    if (::GetTextMetricsW(dc.Get(), &metrics)) boldCharWidth_ = metrics.tmAveCharWidth;
  }
  for (HWND control : {list_, button_, status_, progress_})
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(normal.Get()), TRUE);
  // The old fonts only once no control uses them.
  bold_ = std::move(bold);
  normal_ = std::move(normal);
  ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, layout_.itemHeight);
}

void UpdaterWindow::OnDestroy() {
  ::PostQuitMessage(0);
  if (iconAdded_) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = balloons_ ? sizeof icon : NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = Handle();
    icon.uID = ID_TRAY_ICON;
    ::Shell_NotifyIconW(NIM_DELETE, &icon);
    iconAdded_ = false;
  }
  for (HWND control : {list_, button_, status_, progress_}) {
    if (control) ::SendMessageW(control, WM_SETFONT, 0, FALSE);
  }
  bold_.Reset();
  normal_.Reset();
}

void UpdaterWindow::RefillLog() {
  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  std::size_t longest = 0;
  const std::size_t count = log_.Count();
  for (std::size_t i = 0; i < count; ++i) {
    const LogEntry entry = log_.Entry(i);
    const std::wstring line = log_.Line(i, FormatLogStamp);
    const LRESULT at = ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (at >= 0) ::SendMessageW(list_, LB_SETITEMDATA, at, entry.kind);
    longest = std::max(longest, line.size());
  }
  ::SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(longest * boldCharWidth_), 0);
  if (count > 0) ::SendMessageW(list_, LB_SETTOPINDEX, count - 1, 0);
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
}

void UpdaterWindow::OnMeasureItem(MEASUREITEMSTRUCT& item) { item.itemHeight = layout_.itemHeight; }

void UpdaterWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != IDC_LOG_LIST) return;
  const HDC dc = item.hDC;
  ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) return;
  const LRESULT length = ::SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
  if (length <= 0) return;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(&text[0]))));
  const int kind = static_cast<int>(item.itemData);
  const mwWinAPI::SelectedObject font(dc, kind == LOG_INFO ? normal_.Get() : bold_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, KindColour(kind));
  RECT area = item.rcItem;
  area.left += layout_.itemIndent;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace updater
