// The main window: creation with the options, the panes' layout, the private
// messages, closing, and the menu commands.
#include "editor/MainWindow.h"

#include <commdlg.h>

#include <algorithm>
#include <clocale>
#include <vector>

#include "editor/EditorLayout.h"
#include "editor/OptionsStore.h"
#include "editor/PaneMetrics.h"
#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "files/Export.h"
#include "files/ObjExport.h"
#include "files/ProjectFile.h"
#include "files/RecentFiles.h"
#include "files/TexturePath.h"
#include "geometry/ObjectRecipe.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/NumberFormat.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "mwWinAPI/Utf.h"
#include "mwWinAPI/WindowDpi.h"
#include "mwWinAPI/Worker.h"

namespace orbiform {

using mwWinAPI::FileFilter;
using mwWinAPI::ParamOf;
using mwWinAPI::SignedParam;
using mwWinAPI::Ui;
using views::Selection;

namespace {

// Once the system has rescaled the panes' dialogs after a DPI change, the
// layout measures them again.
constexpr UINT kArrangeAfterDpiChange = WM_USER + 40;

void MovePane(HWND pane, const PixelRect& place) {
  ::MoveWindow(pane, place.x, place.y, place.width, place.height, TRUE);
}

using mwWinAPI::LoadText;

// The extension of the filter's first pattern ("*.ek7mobj" -> "ek7mobj"), so
// that a typed name gets the extension the Open dialog then shows.
std::wstring FilterExtension(const std::wstring& filter) {
  const std::size_t pattern = filter.find(L'\0') + 1;
  const std::size_t dot = filter.find(L'.', pattern);
  return dot == std::wstring::npos ? L"" : filter.substr(dot + 1, filter.find(L'\0', dot) - dot - 1);
}

// The name the platform shows for a file (as the dialogs give it).
std::wstring FileTitle(const std::wstring& path) {
  wchar_t title[MAX_PATH] = {};
  if (::GetFileTitleW(path.c_str(), title, MAX_PATH) == 0) return title;
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::unique_ptr<RoundObject> DefaultNewObject() {
  auto object = ShapeObject(nullptr, false, kDefaultPointsPerRing, 0);
  AddPlain(*object, PlainValues{0, 1, 1, 0, 360});
  AddPlain(*object, PlainValues{2, 1, 1, 0, 360});
  GenerateRings(*object);
  FinishObject(*object, 0, {TexCoord{0, 0}, TexCoord{255, 0}, TexCoord{255, 255}, TexCoord{0, 255}});
  return object;
}

const MainWindow::Command MainWindow::kCommands[] = {
    {IDM_NEW, false, [](MainWindow& w, LPARAM) { w.New(); }},
    {IDM_OPEN, false, [](MainWindow& w, LPARAM path) { w.Open(reinterpret_cast<const wchar_t*>(path)); }},
    {IDM_CLOSE, true, [](MainWindow& w, LPARAM) { w.Close(); }},
    {IDM_SAVE, true, [](MainWindow& w, LPARAM) { w.Save(); }},
    {IDM_SAVE_PROJECT, true, [](MainWindow& w, LPARAM) { w.SaveProject(); }},
    {IDM_EXPORT, true, [](MainWindow& w, LPARAM) { w.ExportK7M(); }},
    {IDM_EXPORT_OBJ, true, [](MainWindow& w, LPARAM) { w.ExportObj(); }},
    {IDM_EXPORT_GLTF, true, [](MainWindow& w, LPARAM) { w.ExportGltf(); }},
    {IDM_SAVE_PICTURE, true, [](MainWindow& w, LPARAM) { w.SavePicture(); }},
    {IDM_EXIT, false, [](MainWindow& w, LPARAM) { ::SendMessageW(w.Handle(), WM_CLOSE, 0, 0); }},
    {IDM_UNDO, false, [](MainWindow& w, LPARAM) { w.Undo(false); }},
    {IDM_REDO, false, [](MainWindow& w, LPARAM) { w.Undo(true); }},
    {IDM_OPTIONS, false, [](MainWindow& w, LPARAM) { w.RunOptions(); }},
    {IDM_ADD_POINT, true, [](MainWindow& w, LPARAM) { w.AddPoint(); }},
    {IDM_ROTATE_VECTORS, true, [](MainWindow& w, LPARAM) { w.RotateVectors(); }},
    {IDM_ADD_TEXTURE_LAYER, true, [](MainWindow& w, LPARAM) { w.AddTextureLayer(); }},
    {IDM_OBJECT_PROPERTIES, true, [](MainWindow& w, LPARAM) { w.ObjectProperties(); }},
    {IDM_ARRANGE_AUTOMATICALLY, false, [](MainWindow& w, LPARAM) { w.ToggleArrange(); }},
    {IDM_DETACH, false, [](MainWindow& w, LPARAM) { w.SetPaneStyles(true); }},
    {IDM_LOCK, false, [](MainWindow& w, LPARAM) { w.SetPaneStyles(false); }},
    {IDM_HELP, false, [](MainWindow& w, LPARAM) { w.Help(); }},
    {IDM_SEARCH_UPDATES, false,
     [](MainWindow& w, LPARAM) { ::SendMessageW(w.Handle(), TWM_SEARCH_UPDATES, 0, 0); }},
    {IDM_ABOUT, false,
     [](MainWindow& w, LPARAM) {
       if (w.dialogs_.about) w.dialogs_.about(w.Handle());
     }},
    {IDM_FEEDBACK, false,
     [](MainWindow& w, LPARAM) {
       if (w.dialogs_.feedback) w.dialogs_.feedback(w.Handle());
     }},
};

MainWindow::MainWindow(HWND* activeDialog)
    : Window(L"MainWindow", true), active_(activeDialog), edit_(activeDialog) {
  wizard_ = [](HWND, std::unique_ptr<RoundObject>) { return DefaultNewObject(); };
  view_.SetObjectSource([this]() -> const RoundObject* { return handler_.Current(); });
}

MainWindow::~MainWindow() { handler_.SetObserver(nullptr); }

bool MainWindow::RegisterClasses(HINSTANCE instance) {
  using mwWinAPI::RegisterWindowClass;
  HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  HBRUSH menu = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  const HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORBIFORM));
  // A second registration (tests make several windows) is no failure.
  if (!RegisterWindowClass(instance, kMainClass, icon, face, MAKEINTRESOURCEW(IDR_MAINMENU)) &&
      ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  views::RegisterViewClasses(instance);
  RegisterWindowClass(instance, kTreeClass, nullptr, face, nullptr);
  RegisterWindowClass(instance, kEditClass, nullptr, face, nullptr);
  RegisterWindowClass(instance, kTextureClass, nullptr, menu, nullptr);
  return true;
}

void MainWindow::CreateMain(HINSTANCE instance, const std::wstring& optionsPath) {
  optionsPath_ = optionsPath;
  // Clipping the panes keeps the main window's background from painting
  // over the 3D view's picture.
  Create(instance, kMainClass, kProgramTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT,
         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(reinterpret_cast<const CREATESTRUCTW*>(lParam)->hInstance);
    case WM_SIZE:
      if (arrange_ && wParam != SIZE_MINIMIZED) ArrangePanes();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(wParam, lParam);
      return 0;
    case kArrangeAfterDpiChange:
      if (arrange_) ArrangePanes();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Repaint();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      // Logging off must not lose unsaved work without a question.
      return ConfirmDiscard(IDM_SAVE) ? TRUE : FALSE;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), lParam);
      return 0;
    case TWM_UPDATE_STEP:
      OnUpdateStep();
      return 0;
    case TWM_REFRESH:
      ::SendMessageW(tree_.Handle(), TWM_REFRESH, 0, 0);
      ::SendMessageW(edit_.Handle(), TWM_REFRESH, 0, 0);
      return 0;
    case TWM_CHANGED:
      OnChanged(wParam);
      return 0;
    case TWM_SELECT:
      OnSelect(Selection::FromParam(wParam));
      return 0;
    case TWM_RELOAD:
      OnReload(wParam);
      return 0;
    case TWM_SEARCH_UPDATES:
      if (update_) update_->Start(wParam == 1);
      return 0;
    case TWM_PREPARE_VIEW:
      if (wParam == 1) {
        loading_ = false;
        ::EnableWindow(Handle(), TRUE);
        MakeView();
      } else {
        view_.PrepareDevice();
      }
      return 0;
    case TWM_PROJECT_READ:
      OnProjectRead(lParam);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

LRESULT MainWindow::OnCreate(HINSTANCE instance) {
  update_ = std::make_unique<UpdateCheck>(Handle());
  instance_ = instance;
  dpi_ = mwWinAPI::WindowDpi(Handle());
  const PaneLayout places = CreationPlaces(dpi_);
  const DWORD pane = WS_CHILD | WS_VISIBLE | WS_BORDER;
  const auto create = [&](mwWinAPI::Window& window, const wchar_t* name, DWORD style, const PixelRect& at) {
    window.Create(instance, name, L"", style, 0, at.x, at.y, at.width, at.height, Handle());
  };
  create(edit_, kEditClass, pane, places.edit);
  view_.CreatePane(instance, Handle(), places.view.x, places.view.y, places.view.width, places.view.height);
  tree_.SetEditPane(edit_.Handle());
  tree_.SetHandler(&handler_);
  create(tree_, kTreeClass, pane, places.tree);
  pointDialog_ = CreatePointDialog(instance, edit_.Handle(), handler_);
  layerDialog_ = CreateLayerDialog(instance, edit_.Handle(), handler_, tree_);
  edit_.SetDialogs(pointDialog_->Handle(), layerDialog_->Handle());
  create(texture_, kTextureClass, pane | WS_HSCROLL | WS_VSCROLL, places.texture);
  ArrangePanes();

  bool optionsRead = false;
  try {
    if (optionsPath_.empty()) optionsPath_ = OptionsFilePath();
    optionsRead = LoadOptions(options_, optionsPath_);
  } catch (const mwstd::exception&) {
    // Unreadable (a first start has none): the user sets them up.
  }
  if (!optionsRead) ::PostMessageW(Handle(), WM_COMMAND, IDM_OPTIONS, 0);

  handler_.SetSteps(options_.undoSteps, options_.redoSteps);
  historyMenu_.SetMenu(Menu());
  handler_.SetObserver(&historyMenu_);
  if (Menu()) historyMenu_.UpdateMenu(handler_.CanUndo(), handler_.CanRedo());
  savedLocale_ = std::locale();
  SetGlobalLocale();
  if (UpdateDue(options_, CurrentDate())) ::PostMessageW(Handle(), TWM_SEARCH_UPDATES, 1, 0);

  objectItems_.SetMenu(Menu());
  for (const Command& command : kCommands)
    if (command.needsObject) objectItems_.AddPoint(command.id);
  objectItems_.Disable();
  RebuildRecentMenu();
  return 0;
}

void MainWindow::OnDestroy() {
  for (Window* pane : std::initializer_list<Window*>{&edit_, &view_, &tree_, &texture_})
    if (pane->Handle()) ::DestroyWindow(pane->Handle());
  update_.reset();
  view_.DiscardView();
  handler_.ClearAll();
  ::PostQuitMessage(0);
  std::locale::global(savedLocale_);
}

PaneInputs MainWindow::MeasurePanes() const {
  PaneInputs in;
  in.dpi = dpi_;
  const PixelSize point = DialogExtent(instance_, IDD_POINT, edit_.PointDialog());
  const PixelSize layer = DialogExtent(instance_, IDD_TEXTURE_LAYER, edit_.LayerDialog());
  in.editDialog = {std::max(point.width, layer.width), std::max(point.height, layer.height)};
  in.treeTextWidth = tree_.LayerTextWidth();
  in.treeIndent = tree_.Indent();
  in.treePicture = tree_.PictureSize();
  in.scrollBarWidth = mwWinAPI::SystemMetricForDpi(SM_CXVSCROLL, dpi_);
  return in;
}

void MainWindow::ArrangePanes() {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const PaneLayout layout =
      orbiform::ArrangePanes(PixelSize{client.right, client.bottom}, PaneSizesFor(MeasurePanes()));
  MovePane(tree_.Handle(), layout.tree);
  MovePane(edit_.Handle(), layout.edit);
  MovePane(texture_.Handle(), layout.texture);
  MovePane(view_.Handle(), layout.view);
}

void MainWindow::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  dpi_ = LOWORD(wParam) ? LOWORD(wParam) : mwWinAPI::kDesignDpi;
  tree_.SetDpi(dpi_);
  view_.SetDpi(dpi_);
  texture_.SetDpi(dpi_);
  // The move lays the panes out at once; the dialogs are rescaled after
  // their parent, so the layout looks at them once more then.
  mwWinAPI::FollowDpiChange(Handle(), wParam, lParam);
  ::PostMessageW(Handle(), kArrangeAfterDpiChange, 0, 0);
}

bool MainWindow::ConfirmDiscard(UINT saveCommand) {
  switch (SavePrompt()) {
    case IDCANCEL:
      return false;
    case IDYES:
      try {
        OnCommand(saveCommand, 0);
      } catch (const mwstd::exception& e) {
        Message(e.what(), MB_ICONWARNING);
      }
      return !(handler_.Current() && modified_);
    default:
      return true;
  }
}

void MainWindow::OnClose() {
  // A failed or cancelled save keeps the window and the object.
  if (!ConfirmDiscard(IDM_SAVE)) return;
  projectPath_.clear();
  ResetPanes(Selection::Cleared());
  Repaint();
  ::SetWindowTextW(Handle(), kProgramTitle);
  if (update_) update_->Cancel();
  ::DestroyWindow(Handle());
}

void MainWindow::OnUpdateStep() {
  if (update_ && update_->OnDownloadMessage()) {
    SetLastSearch(options_, CurrentDate(), CurrentDate());
    SaveOptionsFile();
  }
}

void MainWindow::OnChanged(WPARAM wParam) {
  modified_ = true;
  ::PostMessageW(edit_.Handle(), TWM_CHANGED, kChangedShape, 0);
  if (view_.View() && wParam == kChangedShape) view_.RefreshView();
  if (view_.View() && wParam == kChangedTexturing) view_.RefreshTexturing();
}

void MainWindow::OnSelect(Selection selection) {
  if (handler_.Current()) {
    view_.ApplySelection(selection);
    ::SendMessageW(texture_.Handle(), TWM_SELECT, selection.ToParam(), 0);
  } else {
    ::SendMessageW(texture_.Handle(), TWM_SELECT, Selection::Cleared().ToParam(), 0);
  }
}

void MainWindow::OnReload(WPARAM selection) {
  modified_ = true;
  const RoundObject* object = handler_.Current();
  if (view_.View() && object) view_.View()->LoadTexture(object->Texture());
  ::PostMessageW(texture_.Handle(), TWM_SELECT, selection, reinterpret_cast<LPARAM>(&handler_));
  ::PostMessageW(texture_.Handle(), TWM_RELOAD, 0, 0);
  if (view_.View()) view_.RefreshView();
}

void MainWindow::OnCommand(int id, LPARAM lParam) {
  // A value typed into a pane dialog's field is taken when the field loses
  // the keyboard: let it, before a command acts on the object.
  if (*active_ && ::IsChild(*active_, ::GetFocus())) ::SetFocus(Handle());
  if (id >= IDM_RECENT_FILE_FIRST && id <= IDM_RECENT_FILE_LAST) {
    RecentFile(id - IDM_RECENT_FILE_FIRST);
    return;
  }
  for (const Command& command : kCommands) {
    if (command.id != id) continue;
    if (!command.needsObject || handler_.Current()) command.run(*this, lParam);
    return;
  }
}

// --- shared steps ---

void MainWindow::Repaint() {
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::Message(const std::wstring& text, UINT icon) { Ui().ShowMessage(Handle(), text, L"", icon); }

int MainWindow::SavePrompt() {
  if (!handler_.Current() || !modified_) return IDNO;
  return Ui().ShowMessage(Handle(), LoadText(IDS_SAVE_PROMPT), kProgramTitle,
                          MB_YESNOCANCEL | MB_ICONWARNING);
}

bool MainWindow::EnsureTextures() {
  RoundObject& object = *handler_.Current();
  if (object.TexCoordsValid()) return true;
  handler_.SaveState();
  return handler_.Current()->ApplyTextures();
}

void MainWindow::WriteProjectFile(const std::wstring& path) {
  EnsureTextures();
  WriteProject(path);
}

void MainWindow::WriteProject(const std::wstring& path) {
  mwWinAPI::WriteUtf8FileReplacing(path, ProjectFileText(*handler_.Current(), options_.voxtrakPath, path));
}

std::wstring MainWindow::FileDialog(bool save, const std::wstring& filter, HWND owner) {
  mwWinAPI::FileDialogRequest request;
  request.owner = owner;
  request.filter = filter;
  request.defaultExtension = FilterExtension(filter);
  if (save) return Ui().SaveFileName(request);
  request.flags = OFN_HIDEREADONLY;
  return Ui().OpenFileName(request);
}

void MainWindow::ResetPanes(Selection selection, bool queued) {
  const auto deliver = [queued](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (queued) {
      ::PostMessageW(window, message, wParam, lParam);
    } else {
      ::SendMessageW(window, message, wParam, lParam);
    }
  };
  deliver(texture_.Handle(), TWM_SELECT, selection.ToParam(), reinterpret_cast<LPARAM>(&handler_));
  deliver(tree_.Handle(), TWM_REFRESH, selection.IsCleared() ? kRefreshEmpty : 0, 0);
  deliver(edit_.Handle(), TWM_REFRESH, 0, 0);
}

void MainWindow::MakeView() {
  const RoundObject* object = handler_.Current();
  if (!object) return;
  if (!view_.NewView(object->Texture())) Message(LoadText(IDS_DIRECTX_ERROR), MB_ICONERROR);
}

void MainWindow::SetTitle(const std::wstring& fileTitle) {
  const std::wstring title =
      fileTitle.empty() ? std::wstring(kProgramTitle) : std::wstring(kProgramTitle) + L" - " + fileTitle;
  ::SetWindowTextW(Handle(), title.c_str());
}

void MainWindow::RebuildRecentMenu() {
  HMENU menu = Menu();
  if (!menu) return;
  HMENU file = ::GetSubMenu(menu, 0);
  for (int id = IDM_RECENT_FILE_FIRST; id <= IDM_RECENT_FILE_LAST; ++id) ::DeleteMenu(file, id, MF_BYCOMMAND);
  // The list goes between the File menu's two separators.
  int first = 0;
  const int items = ::GetMenuItemCount(file);
  while (first < items && !(::GetMenuState(file, first, MF_BYPOSITION) & MF_SEPARATOR)) ++first;
  const int count = std::min<int>(static_cast<int>(options_.recentFiles.size()), kMaxRecentFiles);
  for (int i = 0; i < count; ++i) {
    const std::wstring text = RecentFileDisplayText(options_.recentFiles[static_cast<std::size_t>(i)]);
    ::InsertMenuW(file, first + 1 + i, MF_BYPOSITION | MF_STRING, IDM_RECENT_FILE_FIRST + i, text.c_str());
  }
  ::DrawMenuBar(Handle());
}

void MainWindow::SaveOptionsFile() {
  try {
    SaveOptions(options_, optionsPath_);
  } catch (const mwstd::exception&) {
    // The options are a convenience: the session goes on without them.
  }
}

void MainWindow::SetGlobalLocale() { std::locale::global(mwWinAPI::NumberLocale(options_.numberFormat)); }

// --- commands ---

void MainWindow::New() {
  ::SendMessageW(texture_.Handle(), TWM_SELECT, Selection::Cleared().ToParam(), 0);
  handler_.SaveState();
  std::unique_ptr<RoundObject> backup;
  const bool hadObject = handler_.Current() != nullptr;
  if (hadObject) backup = handler_.Current()->Clone();
  std::unique_ptr<RoundObject> result = wizard_(Handle(), std::move(handler_.CurrentSlot()));
  if (result) {
    handler_.SetCurrent(std::move(result));
  } else {
    handler_.SetCurrent(std::move(backup));
  }
  if (!hadObject && handler_.Current())
    SetNewObjectProperties(*handler_.Current(), options_.defaultAuthor, options_.defaultInfo);
  modified_ = true;
  objectItems_.Enable();
  if (!handler_.Current()) {
    objectItems_.Disable();
    ResetPanes(Selection::Cleared());
    return;
  }
  if (handler_.Current()->TexCoordsValid()) {
    handler_.ResetHistory();
    ::SendMessageW(texture_.Handle(), TWM_SELECT, Selection::None().ToParam(),
                   reinterpret_cast<LPARAM>(&handler_));
    ::PostMessageW(tree_.Handle(), TWM_REFRESH, 0, 0);
    MakeView();
  }
}

void MainWindow::Open(const wchar_t* givenPath) {
  // The path may point into the recent-files list, which this command
  // changes: work on a copy.
  std::wstring path = givenPath ? givenPath : L"";
  const int answer = SavePrompt();
  if (answer == IDCANCEL) return;
  if (answer == IDYES) {
    SaveProject();
    // A cancelled or failed save would lose the object: stop as Close does.
    if (handler_.Current() && modified_) return;
  }
  std::wstring title;
  if (!path.empty()) {
    title = FileTitle(path);
  } else {
    path = FileDialog(false, FileFilter(L"Objekt Dateien (*.ek7mobj)", L"*.ek7mobj"), Handle());
    if (path.empty()) return;
    title = FileTitle(path);
  }
  ::SendMessageW(texture_.Handle(), TWM_SELECT, Selection::Cleared().ToParam(), 0);
  // Reading and parsing run on a worker, so that the window keeps painting
  // and answering; it takes no input until the object is shown.
  pendingPath_ = path;
  pendingTitle_ = title;
  loading_ = true;
  ::EnableWindow(Handle(), FALSE);
  try {
    mwWinAPI::RunOnWorker<LoadedProject>(Handle(), TWM_PROJECT_READ, 0, [path] {
      LoadedProject loaded;
      std::string bytes;
      try {
        bytes = mwWinAPI::ReadFileBytes(path);
      } catch (...) {
        loaded.readError = std::current_exception();
        return loaded;
      }
      try {
        loaded.valid = ParseProject(bytes, loaded.object);
      } catch (...) {
        loaded.parseError = std::current_exception();
      }
      return loaded;
    });
  } catch (const mwstd::exception& e) {
    loading_ = false;
    ::EnableWindow(Handle(), TRUE);
    Ui().ShowMessage(Handle(), e.what(), L"", MB_ICONERROR);
  }
}

void MainWindow::OnProjectRead(LPARAM lParam) {
  ::EnableWindow(Handle(), TRUE);
  LoadedProject loaded = std::move(mwWinAPI::TakeWorkerResult<LoadedProject>(lParam)->value);
  const std::wstring path = pendingPath_;
  loading_ = false;
  modified_ = false;
  try {
    // A file that cannot be read leaves the current object as it was.
    if (loaded.readError) std::rethrow_exception(loaded.readError);
    handler_.ClearAll();
    view_.DiscardView();
    if (loaded.parseError) std::rethrow_exception(loaded.parseError);
    if (!loaded.valid) {
      ResetPanes(Selection::Cleared());
      NoObjectLeft();
      Ui().ShowMessage(Handle(), path + LoadText(IDS_NOT_A_PROJECT), L"", MB_ICONERROR);
    } else {
      handler_.SetCurrent(std::move(loaded.object));
      AddRecentFile(options_, path, -1);
      RebuildRecentMenu();
      SaveOptionsFile();
      objectItems_.Enable();
      handler_.ResetHistory();
      RoundObject& object = *handler_.Current();
      object.SetTexture(ResolveTexturePath(object.Texture(), path, options_.voxtrakPath));
      SetTitle(pendingTitle_);
      projectPath_ = path;
      // The panes and then the view each in a message of their own, so that
      // the window answers in between; it takes no input until the view is
      // there.
      loading_ = true;
      ::EnableWindow(Handle(), FALSE);
      ResetPanes(Selection::None(), true);
      ::PostMessageW(Handle(), TWM_PREPARE_VIEW, 1, 0);
    }
  } catch (const mwstd::exception& e) {
    if (!handler_.Current()) NoObjectLeft();
    Ui().ShowMessage(Handle(), e.what(), L"", MB_ICONERROR);
  } catch (const std::exception& e) {
    handler_.ClearAll();
    NoObjectLeft();
    Ui().ShowMessage(Handle(), path + L": " + mwWinAPI::FromUtf8(e.what()), L"", MB_ICONERROR);
  }
  Repaint();
}

void MainWindow::NoObjectLeft() {
  // A later Save must not overwrite the last project with another object.
  view_.DiscardView();
  projectPath_.clear();
  SetTitle(L"");
  objectItems_.Disable();
}

void MainWindow::Close() {
  if (!ConfirmDiscard(IDM_SAVE)) return;
  handler_.ClearAll();
  view_.DiscardView();
  projectPath_.clear();
  ResetPanes(Selection::Cleared());
  Repaint();
  SetTitle(L"");
  objectItems_.Disable();
}

void MainWindow::Save() {
  if (projectPath_.empty()) {
    SaveProject();
    return;
  }
  try {
    WriteProjectFile(projectPath_);
    modified_ = false;
  } catch (const mwstd::exception& e) {
    Message(e.what(), MB_ICONWARNING);
  }
}

void MainWindow::SaveProject() {
  EnsureTextures();
  const std::wstring path =
      FileDialog(true, FileFilter(L"Projekt Dateien (*.ek7mobj)", L"*.ek7mobj"), Handle());
  if (path.empty()) return;
  try {
    WriteProject(path);
  } catch (const mwstd::exception& e) {
    Message(e.what(), MB_ICONWARNING);
    return;
  }
  SetTitle(FileTitle(path));
  modified_ = false;
  projectPath_ = path;
  AddRecentFile(options_, path, -1);
  RebuildRecentMenu();
  SaveOptionsFile();
}

void MainWindow::Export(const std::wstring& filter,
                        const std::function<std::wstring(const std::wstring&)>& write) {
  // Stale coordinates would be written without a word: refuse instead.
  if (!EnsureTextures()) {
    Message(LoadText(IDS_LAYER_NOT_APPLIED), MB_ICONWARNING);
    return;
  }
  const std::wstring path = FileDialog(true, filter, Handle());
  if (path.empty()) return;
  try {
    const std::wstring note = write(path);
    if (!note.empty()) Message(note, MB_ICONINFORMATION);
  } catch (const mwstd::exception& e) {
    Message(e.what(), MB_ICONWARNING);
  }
}

void MainWindow::ExportK7M() {
  Export(FileFilter(L"Objekt Dateien (*.k7mobj)", L"*.k7mobj"), [this](const std::wstring& path) {
    mwWinAPI::WriteUtf8FileReplacing(path, ExportFileText(*handler_.Current(), path, options_.voxtrakPath));
    return std::wstring();
  });
}

void MainWindow::ExportObj() {
  Export(FileFilter(L"Wavefront OBJ (*.obj)", L"*.obj"),
         [this](const std::wstring& path) { return WriteObjFiles(*handler_.Current(), path); });
}

void MainWindow::Undo(bool redo) {
  if (redo) {
    handler_.Redo();
  } else {
    handler_.Undo();
  }
  ::PostMessageW(Handle(), TWM_RELOAD, 0, 0);
  ::SendMessageW(tree_.Handle(), TWM_REFRESH, 0, 0);
  // The pane dialogs must not keep showing (and later write back) what the
  // object held before.
  ::SendMessageW(edit_.Handle(), TWM_REFRESH, 0, 0);
}

void MainWindow::RunOptions() {
  if (dialogs_.options) dialogs_.options(Handle(), options_);
  SetGlobalLocale();
  handler_.SetSteps(options_.undoSteps, options_.redoSteps);
}

void MainWindow::AddPoint() {
  handler_.SaveState();
  RoundObject& object = *handler_.Current();
  const unsigned n = object.PointsPerRing();
  object.SetPointsPerRing(n + 1);
  for (std::size_t ring = 0; ring < object.AreaCount(); ++ring) {
    Area& area = object.GetArea(static_cast<int>(ring));
    area.GetPoint(n) = Point{0, area.Height(), 0, 0, 0, 0};
  }
  object.ApplyTextures();
  modified_ = true;
  ResetPanes(Selection::None());
  view_.RefreshView();
}

void MainWindow::RotateVectors() {
  handler_.SaveState();
  handler_.Current()->RotateVectors();
  modified_ = true;
  ::SendMessageW(edit_.Handle(), TWM_REFRESH, 0, 0);
  view_.RefreshView();
}

void MainWindow::AddTextureLayer() {
  handler_.SaveState();
  handler_.Current()->AddTextureLevel();
  modified_ = true;
  ::SendMessageW(tree_.Handle(), TWM_REFRESH, 0, 0);
}

void MainWindow::ObjectProperties() {
  handler_.SaveState();
  if (dialogs_.properties) dialogs_.properties(Handle(), *handler_.Current());
  ::PostMessageW(Handle(), TWM_REFRESH, 0, 0);
  modified_ = true;
  view_.RefreshView();
}

void MainWindow::ToggleArrange() {
  HMENU menu = Menu();
  if (arrange_) {
    arrange_ = false;
  } else {
    ArrangePanes();
    arrange_ = true;
  }
  if (menu) ::CheckMenuItem(menu, IDM_ARRANGE_AUTOMATICALLY, arrange_ ? MF_CHECKED : MF_UNCHECKED);
}

void MainWindow::SetPaneStyles(bool detached) {
  if (detached) {
    arrange_ = false;
    if (Menu()) ::CheckMenuItem(Menu(), IDM_ARRANGE_AUTOMATICALLY, MF_UNCHECKED);
  }
  const LONG_PTR style =
      detached ? (WS_VISIBLE | WS_CAPTION | WS_THICKFRAME) : (WS_CHILD | WS_VISIBLE | WS_BORDER);
  for (HWND pane : {edit_.Handle(), view_.Handle(), texture_.Handle(), tree_.Handle()}) {
    ::SetWindowLongPtrW(pane, GWL_STYLE, style);
    ::SetWindowPos(pane, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void MainWindow::Help() {
  std::wstring path;
  try {
    path = mwWinAPI::FilePathExec(kHelpFile);
  } catch (const mwstd::exception&) {
    // The program's folder is unknown: no path, and the message below says so.
  }
  if (path.empty() || !Ui().OpenWithShell(Handle(), path, L"", SW_SHOWNORMAL))
    Message(LoadText(IDS_HELP_NOT_OPENED), MB_ICONWARNING);
}

void MainWindow::RecentFile(int index) {
  if (index < 0 || index >= static_cast<int>(options_.recentFiles.size())) return;
  const std::wstring path = options_.recentFiles[static_cast<std::size_t>(index)];
  if (path.empty()) return;
  ::SendMessageW(Handle(), WM_COMMAND, IDM_OPEN, reinterpret_cast<LPARAM>(path.c_str()));
}

}  // namespace orbiform
