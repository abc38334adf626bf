// The updater's start-up: where the editor lives, the command line, the
// write test, the window and the message loop.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/UserInteraction.h"
#include "product/UpdateService.h"
#include "updater/FolderPaths.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterWindow.h"

namespace updater {

std::wstring EditorFolderFromRegistry() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Orbiform", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  std::wstring folder;
  DWORD type = 0, bytes = 0;
  if (::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0 && bytes < 64 * 1024) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) ==
        ERROR_SUCCESS)
      folder = buffer.data();  // the stored text need not end in a zero
  }
  ::RegCloseKey(key);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

bool RegisterUpdaterClass(HINSTANCE instance) {
  const HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_UPDATER));
  if (mwWinAPI::RegisterWindowClass(instance, kUpdaterClassName, icon,
                                    reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)),
                                    nullptr))
    return true;
  return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

namespace {

std::vector<std::wstring> Arguments() {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::wstring> result;
  if (args) {
    result.assign(args, args + count);
    ::LocalFree(args);
  }
  return result;
}

int Run(HINSTANCE instance, int show, SignatureCheck verify) {
  UpdateLog log;
  // Elevated, the updater works only on the folder it was installed in: any
  // program of the user can write the registry value, so it is believed
  // only when it names that folder.
  const std::wstring own = ProgramFolder();
  const std::wstring named = EditorFolderFromRegistry();
  if (named.empty() || !IsSameFolder(named, own))
    log.Add(LoadText(IDS_NO_REGISTRY_PATH) + (named.empty() ? L"" : L": " + named), LOG_WARNING);
  const std::wstring folder = own;
  ::SetCurrentDirectoryW(folder.c_str());
  const std::wstring service = mwWinAPI::ServiceAddressOverride();
  if (!service.empty()) log.Add(LoadText(IDS_TEST_SERVICE) + service, LOG_WARNING);
  const StartOptions options = ParseCommandLine(Arguments());
  if (options.selfUpdate > 0) log.Add(LoadText(IDS_SELF_UPDATED), LOG_SUCCESS);
  if (options.selfUpdate < 0) log.Add(LoadText(IDS_SELF_UPDATE_FAILED), LOG_ERROR);

  if (!CanWrite(folder) && mwWinAPI::Ui().ShowMessage(nullptr, LoadText(IDS_CANNOT_CREATE_FILES),
                                                      kUpdaterCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 0;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!RegisterUpdaterClass(instance)) {
    char text[256] = {};
    ::LoadStringA(instance, IDS_NEEDS_UNICODE, text, sizeof text);
    ::MessageBoxA(nullptr, text, nullptr, MB_ICONERROR);
    return 1;
  }

  Downloader downloader(log, LoadText, verify);
  UpdaterWindow window(downloader, log, folder, options);
  window.Create(instance);
  if (!window.Handle()) return 0;  // shell32 was missing: already told
  ::ShowWindow(window.Handle(), options.queryPrefix.empty() ? show : SW_HIDE);
  ::ShowWindow(window.Handle(), downloader.Job().State() == NOTHING_DONE ? show : SW_HIDE);
  ::UpdateWindow(window.Handle());
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int RunUpdater(HINSTANCE instance, int show, SignatureCheck verify) {
  try {
    return Run(instance, show, verify);
  } catch (const mwstd::exception& e) {
    mwWinAPI::Ui().ShowMessage(nullptr, e.what(), L"QZ7 Updater - Critical Error", MB_ICONERROR);
  } catch (...) {
    mwWinAPI::Ui().ShowMessage(nullptr, L"Uncatched Exeption", L"Critical Error", MB_ICONERROR);
  }
  return 3;
}

}  // namespace updater
