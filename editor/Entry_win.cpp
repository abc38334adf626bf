// Orbiform2's entry and its last line of defence.
#include "editor/Entry.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "editor/EditorDialogs.h"
#include "editor/MainWindow.h"
#include "editor/PrivateMessages.h"
#include "editor/Wizard.h"
#include "editor/res/resource.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Window.h"

namespace orbiform {

using mwWinAPI::Ui;

std::wstring FileToOpen(const std::vector<std::wstring>& arguments) {
  if (arguments.size() < 2 || arguments[1].empty()) return L"";
  const std::wstring& name = arguments[1];
  // Ask for the size first: a long path must not be cut at 260 characters.
  const DWORD size = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0) return name;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(name.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return name;
  full.resize(length);
  return full;
}

void LastChanceSave(MainWindow& window) {
  if (!window.Handler().Current()) return;
  mwWinAPI::FileDialogRequest request;
  request.filter = mwWinAPI::FileFilter(L"Project Dateien (*.ek7mobj)", L"*.ek7mobj");
  request.defaultExtension = L"ek7mobj";
  const std::wstring path = Ui().SaveFileName(request);
  if (path.empty()) return;
  try {
    window.WriteProject(path);
  } catch (...) {
    Ui().ShowMessage(nullptr, mwstd::CurrentErrorText(), L"", MB_ICONWARNING);
  }
}

int RunGuarded(MainWindow* window, const std::function<int()>& body) {
  const wchar_t* const lastChance = L"\nLetzte Chance zu speichern...";
  try {
    return body();
  } catch (const std::invalid_argument&) {
    Ui().ShowMessage(nullptr, std::wstring(L"invalid_argument") + lastChance, L"Critical Erro", MB_ICONERROR);
  } catch (const std::exception&) {
    Ui().ShowMessage(nullptr, std::wstring(L"std::exception") + lastChance, L"Critical Erro", MB_ICONERROR);
  } catch (const mwstd::exception& e) {
    Ui().ShowMessage(nullptr, L"Uncatched Exeption - MainWindow" + e.what() + lastChance, L"Critical Error",
                     MB_ICONERROR);
  } catch (...) {
    Ui().ShowMessage(nullptr, std::wstring(L"Uncatched Exeption") + lastChance, L"Critical Error",
                     MB_ICONERROR);
  }
  try {
    if (window) LastChanceSave(*window);
  } catch (...) {
    // Nothing more can be done for the object.
  }
  return 3;
}

int RunEditor(HINSTANCE instance, const wchar_t* commandLine, int show) {
  std::vector<std::wstring> arguments;
  {
    int count = 0;
    std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(
        ::CommandLineToArgvW(commandLine && *commandLine ? commandLine : L"Orbiform2.exe", &count),
        &::LocalFree);
    for (int i = 0; argv && i < count; ++i) arguments.emplace_back(argv.get()[i]);
  }
  const std::wstring file = FileToOpen(arguments);
  // For the end-to-end tests only: fail once the file given is open, so
  // that the last chance to save can be exercised in the real program.
  const bool crashAfterOpen =
      std::find(arguments.begin(), arguments.end(), L"/crash-after-open") != arguments.end();

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);

  if (!MainWindow::RegisterClasses(instance)) {
    char text[256] = {};
    ::LoadStringA(instance, IDS_NEEDS_UNICODE, text, sizeof(text));
    ::MessageBoxA(nullptr, text, nullptr, MB_ICONERROR);
    return 0;
  }
  HWND activeDialog = nullptr;
  auto window = std::make_unique<MainWindow>(&activeDialog);
  MainWindow* const main = window.get();
  // Before the loop: the options dialog may be the first thing it runs.
  window->SetDialogs(
      {[main](HWND owner, Options& options) { return RunOptionsDialog(owner, options, main->OptionsPath()); },
       RunPropertiesDialog, ShowAbout, ShowFeedback});
  window->SetWizard(RunWizard);
  return RunGuarded(window.get(), [&] {
    window->CreateMain(instance);
    ::ShowWindow(window->Handle(), show);
    ::UpdateWindow(window->Handle());
    HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    // The 3D device takes long to make: make it once the window shows, so
    // that the first Open does not wait for it.
    ::PostMessageW(window->Handle(), TWM_PREPARE_VIEW, 0, 0);
    if (!file.empty())
      ::SendMessageW(window->Handle(), WM_COMMAND, IDM_OPEN, reinterpret_cast<LPARAM>(file.c_str()));
    if (crashAfterOpen) {
      MSG msg;
      while ((window->Loading() || !window->Handler().Current()) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      throw std::runtime_error("crash after open");
    }
    return mwWinAPI::RunMessageLoop(window->Handle(), accelerators, &activeDialog);
  });
}

}  // namespace orbiform
