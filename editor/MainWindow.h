#pragma once
// Orbiform2's main window: the four panes and their layout, the current
// object with its history, the options, the title, the menu commands and the
// private messages by which the panes report changes and selections.
#include <windows.h>

#include <exception>
#include <functional>
#include <locale>
#include <memory>
#include <string>

#include "editor/EditorLayout.h"
#include "editor/HistoryMenu.h"
#include "editor/Panes.h"
#include "editor/PointDialog.h"
#include "editor/TextureLayerDialog.h"
#include "editor/UpdateCheck.h"
#include "files/Options.h"
#include "geometry/RoundObjectHandler.h"
#include "mwWinAPI/WinHelpers.h"
#include "mwWinAPI/Window.h"
#include "views/ViewPane.h"

namespace orbiform {

constexpr const wchar_t* kProgramTitle = L"Orbiform 2.1";
constexpr const wchar_t* kHelpFile = L"Orbiform2.pdf";

// Runs the creation wizard on `start` (the current object, or none) and
// returns the new object, or none when the user cancelled. The wizard's
// dialogs take the object over; the caller keeps a copy to give back.
using WizardRunner =
    std::function<std::unique_ptr<RoundObject>(HWND owner, std::unique_ptr<RoundObject> start)>;
// The object New makes while no wizard is installed: the recipe's default
// cylinder of two plains.
std::unique_ptr<RoundObject> DefaultNewObject();

// The modal dialogs of the Edit and ? menus; each returns whether it ran.
struct EditorDialogs {
  std::function<bool(HWND owner, orbiform::Options& options)> options;
  std::function<bool(HWND owner, RoundObject& object)> properties;
  std::function<void(HWND owner)> about;
  std::function<void(HWND owner)> feedback;
};

class MainWindow : public mwWinAPI::Window {
 public:
  // `activeDialog` is the message loop's; it outlives the window.
  explicit MainWindow(HWND* activeDialog);
  ~MainWindow() override;

  // Registers the six classes; false when the main window's class was refused
  // (the others are not checked).
  static bool RegisterClasses(HINSTANCE instance);
  // Creates the window (title kProgramTitle, overlapped, default size). The
  // options file is `optionsPath`, or the common application-data one when
  // empty. Throws what Window::Create throws.
  void CreateMain(HINSTANCE instance, const std::wstring& optionsPath = L"");

  // Seams for the dialogs that live elsewhere.
  void SetWizard(WizardRunner wizard) { wizard_ = std::move(wizard); }
  void SetDialogs(EditorDialogs dialogs) { dialogs_ = std::move(dialogs); }

  // Lays the panes out in the client area (clamped for small windows).
  void ArrangePanes();

  // The object written as by Save Project to `path`, without touching the
  // title, the project path or the recent files. Throws mwstd::file_io_error.
  void WriteProject(const std::wstring& path);

  // State for the editor's entry and its tests.
  RoundObjectHandler& Handler() { return handler_; }
  orbiform::Options& CurrentOptions() { return options_; }
  const std::wstring& ProjectPath() const { return projectPath_; }
  const std::wstring& OptionsPath() const { return optionsPath_; }
  bool Modified() const { return modified_; }
  bool ArrangeAutomatically() const { return arrange_; }
  // True from an Open's start until its object is shown (or refused).
  bool Loading() const { return loading_; }
  HMENU Menu() const { return ::GetMenu(Handle()); }
  EditPane& Edit() { return edit_; }
  TreePane& Tree() { return tree_; }
  TextureWindow& Texture() { return texture_; }
  views::ViewPane& View() { return view_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HINSTANCE instance);
  void OnDestroy();
  // What the layout depends on at the window's DPI, measured on the panes.
  PaneInputs MeasurePanes() const;
  // A move to a monitor of another scaling.
  void OnDpiChanged(WPARAM wParam, LPARAM lParam);
  // The close message and the end of the session: true when the user let go
  // of the object (saved, declined or nothing to save).
  bool ConfirmDiscard(UINT saveCommand);
  void OnClose();
  void OnCommand(int id, LPARAM lParam);
  void OnChanged(WPARAM wParam);
  void OnSelect(views::Selection selection);
  void OnReload(WPARAM selection);
  void OnUpdateStep();
  void OnProjectRead(LPARAM lParam);
  void NoObjectLeft();

  // The menu commands, one row each: whether it needs an object (its menu
  // item is grayed while there is none, and it does nothing then) and what
  // it runs.
  struct Command {
    int id;
    bool needsObject;
    void (*run)(MainWindow& window, LPARAM lParam);
  };
  static const Command kCommands[];

  // The commands.
  void New();
  void Open(const wchar_t* givenPath);
  void Close();
  void Save();
  void SaveProject();
  void ExportK7M();
  void ExportObj();
  // SharingCommands_win.cpp
  void ExportGltf();
  void SavePicture();
  void Undo(bool redo);
  void RunOptions();
  void AddPoint();
  void RotateVectors();
  void AddTextureLayer();
  void ObjectProperties();
  void ToggleArrange();
  void SetPaneStyles(bool detached);
  void Help();
  void RecentFile(int index);

  // Shared steps.
  void Repaint();  // the window and every pane
  int SavePrompt();
  void WriteProjectFile(const std::wstring& path);
  bool EnsureTextures();
  // An export: refused (string 156) while layers cannot be applied, else
  // the path from the save dialog with `filter`, written by `write`, which
  // returns a note for the user (empty: none); failures are shown.
  void Export(const std::wstring& filter, const std::function<std::wstring(const std::wstring&)>& write);
  // Shows `selection` in the texture window, rebuilds the tree (a cleared
  // selection empties it) and resets the edit pane's dialogs; `queued`
  // posts the three messages, so that the window answers in between.
  void ResetPanes(views::Selection selection, bool queued = false);
  void MakeView();
  void SetTitle(const std::wstring& fileTitle);
  void RebuildRecentMenu();
  void SaveOptionsFile();
  void SetGlobalLocale();
  std::wstring FileDialog(bool save, const std::wstring& filter, HWND owner);
  void Message(const std::wstring& text, UINT icon);

  // What the Open worker hands back.
  struct LoadedProject {
    std::exception_ptr readError;
    std::exception_ptr parseError;
    bool valid = false;
    std::unique_ptr<RoundObject> object;
  };

  HWND* active_;
  HINSTANCE instance_ = nullptr;
  UINT dpi_ = 96;  // of the monitor the window is on
  std::wstring projectPath_;
  std::wstring pendingPath_;
  std::wstring pendingTitle_;
  bool loading_ = false;
  bool modified_ = false;
  bool arrange_ = true;
  RoundObjectHandler handler_;
  orbiform::Options options_;
  std::wstring optionsPath_;
  mwWinAPI::MenuDis objectItems_;
  HistoryMenu historyMenu_;
  std::unique_ptr<UpdateCheck> update_;
  EditPane edit_;
  views::ViewPane view_;
  TreePane tree_;
  TextureWindow texture_;
  // The edit pane's dialogs: after the panes, so they go first.
  std::unique_ptr<PointDialog> pointDialog_;
  std::unique_ptr<TextureLayerDialog> layerDialog_;
  WizardRunner wizard_;
  EditorDialogs dialogs_;
  std::locale savedLocale_;
};

}  // namespace orbiform
