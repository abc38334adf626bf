// Shows one page of the creation wizard, or the point dialog in an edit pane,
// for a screenshot, and closes it after a few seconds:
//   wizard_shots type|sphere|plains|final|plain|point [de]
// ("plain" is the point dialog with a plain selected, "point" with a point.)
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "editor/PointDialog.h"
#include "editor/PrivateMessages.h"
#include "editor/Wizard.h"
#include "editor/res/resource.h"

using namespace orbiform;

namespace {

std::wstring target;

BOOL CALLBACK TakePage(HWND window, LPARAM result) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND Page() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), TakePage, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Walks on with Next until the wanted page is up.
void CALLBACK Walk(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND page = Page();
  if (!page) return;
  const bool there = (target == L"type" && ::GetDlgItem(page, IDC_TYPE_AXIS_TEXT)) ||
                     (target == L"sphere" && ::GetDlgItem(page, IDC_SPHERE_PLAINS) &&
                      !::GetDlgItem(page, IDC_TYPE_AXIS_TEXT)) ||
                     (target == L"plains" && ::GetDlgItem(page, IDC_PLAINS_TABS)) ||
                     (target == L"final" && ::GetDlgItem(page, IDC_FINAL_AUTO));
  if (there) {
    ::KillTimer(nullptr, timer);
    return;
  }
  if (::GetDlgItem(page, IDC_TYPE_AXIS_TEXT))
    ::SendDlgItemMessageW(page, target == L"sphere" ? IDC_TYPE_SPHERE : IDC_TYPE_CYLINDER, BM_CLICK, 0, 0);
  ::SendMessageW(page, WM_COMMAND, IDC_WIZARD_NEXT, 0);
}

void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) {
  if (const HWND page = Page()) ::SendMessageW(page, WM_CLOSE, 0, 0);
  ::PostQuitMessage(0);
}

std::unique_ptr<RoundObject> Pillar() {
  auto object = std::make_unique<RoundObject>(12, 0);
  object->AddArea(0, 360, -2.5, 2, 1);
  object->AddArea(0, 360, 0, 2, 1);
  object->AddArea(0, 360, 2.5, 1.6, 1);
  object->GetTextureLevel(object->AddTextureLevel()).SetPoints(0, 11);
  object->GenerateAllPoints();
  object->SetTexture(L"C:\\Objekte\\Texturen\\brick.bmp");
  return object;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  target = __argc > 1 ? __wargv[1] : L"type";
  if (__argc > 2 && std::wstring(__wargv[2]) == L"de") {
    const LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    ::SetThreadUILanguage(german);
    ::SetThreadLocale(MAKELCID(german, SORT_DEFAULT));
  }
  ::SetTimer(nullptr, 0, 15000, Close);
  if (target != L"plain" && target != L"point") {
    ::SetTimer(nullptr, 0, 100, Walk);
    RunWizard(nullptr, target == L"type" ? nullptr : Pillar());
    return 0;
  }

  // The point dialog in a pane of the editor's size.
  RoundObjectHandler handler;
  handler.SetCurrent(Pillar());
  const HWND main =
      ::CreateWindowExW(0, L"STATIC", L"Orbiform 2.1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, 340, 400, nullptr, nullptr, instance, nullptr);
  const HWND pane = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 300, 350,
                                      main, nullptr, instance, nullptr);
  std::unique_ptr<PointDialog> dialog = CreatePointDialog(instance, pane, handler);
  if (target == L"plain") {
    ::SendMessageW(dialog->Handle(), TWM_SELECT_PLAIN, 1, 0);
  } else {
    ::SendMessageW(dialog->Handle(), TWM_SELECT_POINT, 1, 3);
  }
  ::ShowWindow(dialog->Handle(), SW_SHOW);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageW(dialog->Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
