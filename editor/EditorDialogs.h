#pragma once
// The editor's four modal dialogs of the Edit and ? menus: the options, the
// current object's properties, About and feedback. Each is a class on
// mwWinAPI::Dialog, made from the templates in editor/res/EditorDialogs.inc,
// and a free function that the main window calls.
#include <windows.h>

#include <string>

#include "files/Options.h"
#include "geometry/RoundObject.h"
#include "mwWinAPI/Dialog.h"
#include "mwWinAPI/Handles.h"

namespace orbiform {

// Where the simulator records its installation: value "Paths" of this key
// under HKEY_CURRENT_USER.
constexpr wchar_t kSimulatorInstallKey[] = L"SOFTWARE\\Voxtrak-Group\\Install";
constexpr wchar_t kSimulatorInstallValue[] = L"Paths";

// The folder (with a trailing '\') of the first entry of a "|"-separated
// list of program paths, made a full path; empty when there is none.
std::wstring FolderOfFirstEntry(const std::wstring& paths);
// FolderOfFirstEntry of the value "Paths" of `key` under HKEY_CURRENT_USER;
// empty when the key or the value is missing or is no text.
std::wstring SimulatorFolderFromRegistry(const wchar_t* key = kSimulatorInstallKey);

// The number of undo or redo steps entered as `text`: digits only, cut to
// kMaxHistorySteps; `current` for an empty or malformed entry.
int StepsFromText(const std::wstring& text, int current);

// "Version " and the FileVersion of the file at `path`, followed by
// " PreRelease" when its fixed version information carries that flag;
// "Version ?" when the file has no version.
std::wstring VersionLine(const std::wstring& path);

// The options dialog on `options`. OK takes every field into the record and
// saves it to `optionsPath`; a failure to save is told to the user, the
// record keeps the new values for this run.
class OptionsDialog : public mwWinAPI::Dialog {
 public:
  OptionsDialog(Options& options, std::wstring optionsPath);
  // IDOK or IDCANCEL. Throws mwstd::runtime_error when the dialog cannot be made.
  INT_PTR Run(HWND owner);
  // Tests read another key than the simulator's.
  void SetRegistryKey(std::wstring key) { registryKey_ = std::move(key); }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInit();
  void OnBrowse();
  void OnFromRegistry();
  void OnBetaYes();
  void OnOk();

  Options& options_;
  std::wstring optionsPath_;
  std::wstring registryKey_ = kSimulatorInstallKey;
};

// The object properties dialog on `object`: author, info and which of the
// base and top areas are made.
class PropertiesDialog : public mwWinAPI::Dialog {
 public:
  explicit PropertiesDialog(RoundObject& object);
  // IDOK or IDCANCEL. Throws mwstd::runtime_error when the dialog cannot be made.
  INT_PTR Run(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInit();
  void OnOk();

  RoundObject& object_;
};

// The About dialog: version line, build kind and the link to the maker's page.
class AboutDialog : public mwWinAPI::Dialog {
 public:
  AboutDialog();
  // Throws mwstd::runtime_error when the dialog cannot be made.
  void Run(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInit();
  INT_PTR OnLinkColour(HDC dc, HWND control);
  bool OnSetCursor(HWND control);

  mwWinAPI::GdiObject<HFONT> linkFont_;
};

// The feedback dialog: sends a text of more than 5 characters and an
// optional mail address to the maker; stays open, text kept, when sending
// failed.
class FeedbackDialog : public mwWinAPI::Dialog {
 public:
  FeedbackDialog();
  // IDOK when the feedback was sent, IDCANCEL otherwise. Throws
  // mwstd::runtime_error when the dialog cannot be made.
  INT_PTR Run(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnSend();
  void OnSent(LPARAM result);
  void OnClose();

  mwWinAPI::UniqueHandle sender_;  // the worker sending the feedback
};

// The functions behind the main window's dialog seam. Each returns whether
// the user confirmed; a dialog that cannot be made is shown as an error box.
bool RunOptionsDialog(HWND owner, Options& options, const std::wstring& optionsPath);
bool RunPropertiesDialog(HWND owner, RoundObject& object);
void ShowAbout(HWND owner);
void ShowFeedback(HWND owner);

}  // namespace orbiform
