// Shows one of the editor's dialogs for a screenshot, in English or German,
// and closes it after a few seconds:
//   dialog_shots options|beta|properties|about|feedback [de]
// ("beta" is the options dialog with the beta warning up.)
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "editor/EditorDialogs.h"
#include "editor/res/resource.h"

using namespace orbiform;

namespace {

BOOL CALLBACK TakeDialog(HWND window, LPARAM result) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND FindDialog() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), TakeDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK ShowBeta(HWND, UINT, UINT_PTR timer, DWORD) {
  if (HWND dialog = FindDialog()) {
    ::KillTimer(nullptr, timer);
    ::SendDlgItemMessageW(dialog, IDC_OPTIONS_BETA, BM_CLICK, 0, 0);
  }
}

void CALLBACK CloseDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND dialog = FindDialog()) ::EndDialog(dialog, IDCANCEL);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  const std::wstring which = __argc > 1 ? __wargv[1] : L"options";
  if (__argc > 2 && std::wstring(__wargv[2]) == L"de") {
    const LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    ::SetThreadUILanguage(german);
    ::SetThreadLocale(MAKELCID(german, SORT_DEFAULT));
  }
  ::SetTimer(nullptr, 0, 8000, CloseDialog);

  Options options;
  options.defaultAuthor = L"Max Mustermann";
  options.updateFrequency = 3;
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring optionsPath = std::wstring(temp) + L"dialog-shots-options.xml";
  if (which == L"options" || which == L"beta") {
    if (which == L"beta") ::SetTimer(nullptr, 0, 300, ShowBeta);
    RunOptionsDialog(nullptr, options, optionsPath);
  } else if (which == L"properties") {
    RoundObject object(8, 0);
    object.SetGrundDeckFl(1);
    object.SetFileAuthor(options.defaultAuthor);
    object.SetFileInfo(options.defaultInfo + L"\r\nErstellt mit K7M Orbiform, Version 2.1");
    RunPropertiesDialog(nullptr, object);
  } else if (which == L"about") {
    ShowAbout(nullptr);
  } else {
    ShowFeedback(nullptr);
  }
  return 0;
}
