#pragma once
// QZ7Updater's main window: the log list, the one action button that walks
// through the job (information, files, install), the status text and the
// progress bar, and the icon in the notification area with its balloons.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>

#include "mwWinAPI/Handles.h"
#include "mwWinAPI/Window.h"
#include "updater/CommandLine.h"
#include "updater/Downloader.h"
#include "updater/UpdateLog.h"
#include "updater/UpdaterLayout.h"

namespace updater {

constexpr wchar_t kUpdaterClassName[] = L"QZ7UpdaterClass";
constexpr wchar_t kUpdaterCaption[] = L"QZ7 Updater";

class UpdaterWindow : public mwWinAPI::Window {
 public:
  // `folder` is the editor's folder (the current folder). Everything is
  // kept by reference but the folder and the options.
  UpdaterWindow(Downloader& downloader, UpdateLog& log, std::wstring folder, StartOptions options,
                TextSource text = LoadText);
  ~UpdaterWindow() override;

  // Creates the window, 430 x 600 at the default position, of the class
  // kUpdaterClassName (RegisterUpdaterClass). Throws as Window::Create.
  void Create(HINSTANCE instance);

  HWND LogList() const { return list_; }
  HWND Button() const { return button_; }
  HWND StatusText() const { return status_; }
  HWND ProgressBar() const { return progress_; }
  // The query address of the job once started.
  const std::wstring& Query() const { return query_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void OnButton();
  void OnNextStep();
  void OnInfosDone(bool success, bool work);
  void OnFilesDone(bool success);
  void OnFileStarted(std::size_t index);
  void OnTray(LPARAM event);
  void OnClose();
  void OnDestroy();
  // Places the controls and makes the fonts at `dpi` (at creation and after
  // a move to a monitor of another scaling).
  void ApplyDpi(UINT dpi);
  void OnMeasureItem(MEASUREITEMSTRUCT& item);
  void OnDrawItem(const DRAWITEMSTRUCT& item);

  void StartInfos();
  void InstallFiles();
  std::wstring BuildQuery();
  std::wstring Version(const std::wstring& path);
  void Balloon(const std::wstring& title, const std::wstring& text, DWORD icon);
  void SetButton(unsigned id, bool enabled = true);
  void ShowProgress(bool show);
  void RefillLog();
  void Restore(bool flash);
  int Ask(const std::wstring& text, UINT flags, const wchar_t* caption = kUpdaterCaption);

  Downloader& downloader_;
  UpdateLog& log_;
  std::wstring folder_;
  StartOptions options_;
  TextSource text_;
  std::wstring query_;
  HWND list_ = nullptr, button_ = nullptr, status_ = nullptr, progress_ = nullptr;
  mwWinAPI::GdiObject<HFONT> bold_, normal_;
  UpdaterLayout layout_ = UpdaterLayoutFor(96);
  int boldCharWidth_ = 7;
  bool iconAdded_ = false;
  bool balloons_ = true;  // the shell shows balloons (version 5 and later)
};

// Registers kUpdaterClassName with the program icon; true also when it is
// registered already.
bool RegisterUpdaterClass(HINSTANCE instance);

// The whole program: the editor's folder from the registry (else the
// program's own), the command line, the write test, the window and its
// message loop. Returns the program's exit code. `verify` checks the
// signature of the release manifest.
int RunUpdater(HINSTANCE instance, int show, SignatureCheck verify = VerifyReleaseSignature);

// The editor's folder as HKEY_CURRENT_USER "Software\Orbiform" names it
// (its default value); empty when the key or value is missing.
std::wstring EditorFolderFromRegistry();

}  // namespace updater
