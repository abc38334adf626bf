#pragma once
// Everything that waits for the user: message boxes, file and folder
// dialogs, the shell, balloon tips. The programs go through Ui(), which is
// the system's unless a test has put a scripted one in its place, so that
// prompts can be tested with nobody at the keyboard.
#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace mwWinAPI {

// What an open or save file dialog is asked for.
struct FileDialogRequest {
  HWND owner = nullptr;
  std::wstring filter;            // pairs of description and pattern, each ended by L'\0'
  std::wstring initialPath;       // preset file name (may hold a folder), or empty
  std::wstring defaultExtension;  // without the dot, or empty
  DWORD flags = 0;                // OFN_... flags added to the dialog's own
};

// One file type of a request's filter: the description the dialog shows and
// its pattern ("*.bmp"), each ended by L'\0'. Several types are joined by +.
inline std::wstring FileFilter(const std::wstring& description, const std::wstring& pattern) {
  return description + L'\0' + pattern + L'\0';
}

class UserInteraction {
 public:
  virtual ~UserInteraction() = default;
  // MessageBoxW's result (IDOK, IDYES ...).
  virtual int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) = 0;
  // The chosen full path, or empty when the user cancels.
  virtual std::wstring OpenFileName(const FileDialogRequest& request) = 0;
  virtual std::wstring SaveFileName(const FileDialogRequest& request) = 0;
  // The chosen folder, or empty (see mwWinAPI::BrowseForFolder).
  virtual std::wstring BrowseForFolder(HWND owner, const std::wstring& title) = 0;
  // Opens a file, program or address with the shell (verb "open", no
  // folder, `show` an SW_... value); true if it was started.
  virtual bool OpenWithShell(HWND owner, const std::wstring& target, const std::wstring& parameters,
                             int show) = 0;
  // A balloon tip at an edit control; `icon` is a TTI_... value.
  virtual void BalloonTip(HWND edit, const std::wstring& title, const std::wstring& text, int icon) = 0;
  // The balloon of notification icon `id` of `window`: sets the tip and
  // shows `text` under `title` (`icon` an NIIF_... value); each text is cut
  // to what the icon data holds. False if the shell refused it.
  virtual bool TrayBalloon(HWND window, UINT id, const std::wstring& tip, const std::wstring& title,
                           const std::wstring& text, DWORD icon) = 0;
};

// The process-wide instance: the system's own unless replaced.
UserInteraction& Ui();
// Makes `replacement` (kept by the caller) the current instance, null for the
// system's own again; returns the one it replaces.
UserInteraction* SetUi(UserInteraction* replacement);

// The real dialogs and boxes.
class SystemInteraction : public UserInteraction {
 public:
  int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) override;
  std::wstring OpenFileName(const FileDialogRequest& request) override;
  std::wstring SaveFileName(const FileDialogRequest& request) override;
  std::wstring BrowseForFolder(HWND owner, const std::wstring& title) override;
  bool OpenWithShell(HWND owner, const std::wstring& target, const std::wstring& parameters,
                     int show) override;
  void BalloonTip(HWND edit, const std::wstring& title, const std::wstring& text, int icon) override;
  bool TrayBalloon(HWND window, UINT id, const std::wstring& tip, const std::wstring& title,
                   const std::wstring& text, DWORD icon) override;
};

// For tests: records every prompt and answers from queues. An empty queue
// answers as a cancelling user would (IDCANCEL, empty path, false). While it
// lives it is the current instance.
class ScriptedInteraction : public UserInteraction {
 public:
  struct Prompt {
    // "MessageBox", "OpenFileName", "SaveFileName", "BrowseForFolder", "Shell", "Balloon", "TrayBalloon"
    std::wstring kind;
    HWND owner;            // owner, edit control, icon window
    std::wstring caption;  // caption, title; the filter for file dialogs; the shell's parameters
    std::wstring text;     // text; the preset path; the shell's target
    UINT flags;            // box flags, OFN flags, show command, balloon icon
  };

  ScriptedInteraction();
  ~ScriptedInteraction() override;

  std::vector<Prompt> prompts;
  std::deque<int> boxAnswers;
  std::deque<std::wstring> pathAnswers;  // file dialogs and the folder browser
  std::deque<bool> shellAnswers;         // also the tray balloons' results

  int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) override;
  std::wstring OpenFileName(const FileDialogRequest& request) override;
  std::wstring SaveFileName(const FileDialogRequest& request) override;
  std::wstring BrowseForFolder(HWND owner, const std::wstring& title) override;
  bool OpenWithShell(HWND owner, const std::wstring& target, const std::wstring& parameters,
                     int show) override;
  void BalloonTip(HWND edit, const std::wstring& title, const std::wstring& text, int icon) override;
  bool TrayBalloon(HWND window, UINT id, const std::wstring& tip, const std::wstring& title,
                   const std::wstring& text, DWORD icon) override;

 private:
  UserInteraction* previous_;
};

}  // namespace mwWinAPI
