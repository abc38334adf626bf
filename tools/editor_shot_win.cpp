// editor-shot: opens a project in the editor's main window and writes a
// picture of the window, for the manual and the README.
//   editor-shot PROJECT.ek7mobj OUT.bmp [de] [WIDTH,HEIGHT]
// "de" shows the German resources. The options come from a fresh file in
// the temporary folder, so no options dialog appears.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "editor/MainWindow.h"
#include "editor/res/resource.h"
#include "files/Options.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/UserInteraction.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "views/WindowShot.h"

using namespace orbiform;

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc),
                                                         &::LocalFree);
  if (argc < 3) {
    std::fputs("usage: editor-shot PROJECT.ek7mobj OUT.bmp [de] [WIDTH,HEIGHT]\n", stderr);
    return 2;
  }
  int width = 1100, height = 720;
  for (int i = 3; i < argc; ++i) {
    const std::wstring arg = argv.get()[i];
    if (arg == L"de") ::SetThreadUILanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    if (arg.find(L',') != std::wstring::npos) std::swscanf(arg.c_str(), L"%d,%d", &width, &height);
  }
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring options = std::wstring(temp) + L"editor_shot_options.xml";
  Options defaults;
  defaults.recentFiles = {argv.get()[1]};
  mwWinAPI::WriteUtf8FileReplacing(options, OptionsFileText(defaults));

  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  MainWindow::RegisterClasses(instance);
  HWND active = nullptr;
  MainWindow window(&active);
  window.CreateMain(instance, options);
  ::SetWindowPos(window.Handle(), nullptr, 0, 0, width, height, SWP_NOZORDER);
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SendMessageW(window.Handle(), WM_COMMAND, IDM_OPEN, reinterpret_cast<LPARAM>(argv.get()[1]));
  testui::PumpUntil([&] { return !window.Loading(); }, 20000);
  // Select the first plain, as a user looking round would.
  HWND tree = window.Tree().Tree();
  HTREEITEM plains = TreeView_GetRoot(tree);
  if (HTREEITEM first = plains ? TreeView_GetChild(tree, plains) : nullptr) TreeView_SelectItem(tree, first);
  testui::PumpUntil([] { return false; }, 1500);
  const bool ok = views::SaveWindowShot(window.Handle(), window.View(), argv.get()[2]);
  ::DestroyWindow(window.Handle());
  ::DeleteFileW(options.c_str());
  if (!ok) std::fputs("editor-shot: no picture\n", stderr);
  return ok ? 0 : 1;
}
