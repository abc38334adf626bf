// The 3D pane: toolbar, 3D child window with its mouse input, and the view
// operations the editor calls when the object or the selection changes.
#include "views/ViewPane.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "mwWinAPI/Handles.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/WindowDpi.h"
#include "views/ViewIds.h"

namespace orbiform::views {

namespace {

constexpr int kToolbarStrip = 25;  // the 3D window starts below the toolbar (100 %)
// The pictures are drawn at these sizes; 16 at 100 %.
constexpr int kPictureSizes[] = {16, 24, 32};
constexpr COLORREF kSeeThrough = RGB(192, 192, 192);  // the pictures' background

struct ToolButton {
  int bitmap;
  int command;
  BYTE style;
  BYTE state;
  int tooltip;
};

// Left to right. The four display toggles are independent; the three modes
// form one group.
constexpr ToolButton kButtons[] = {
    {IDB_TOOL_REFRESH, IDM_VIEW_REFRESH, BTNS_BUTTON, TBSTATE_ENABLED, IDS_TIP_REFRESH},
    {IDB_TOOL_SHOW_NUMBERS, IDM_VIEW_SHOW_NUMBERS, BTNS_CHECK, TBSTATE_ENABLED, IDS_TIP_SHOW_NUMBERS},
    {IDB_TOOL_SHOW_OUTLINE, IDM_VIEW_SHOW_OUTLINE, BTNS_CHECK, TBSTATE_ENABLED, IDS_TIP_SHOW_OUTLINE},
    {IDB_TOOL_SHOW_FACES, IDM_VIEW_SHOW_FACES, BTNS_CHECK, TBSTATE_ENABLED | TBSTATE_CHECKED,
     IDS_TIP_SHOW_FACES},
    {IDB_TOOL_SHOW_SELECTED_FACE, IDM_VIEW_SHOW_SELECTED_FACE, BTNS_CHECK, TBSTATE_ENABLED,
     IDS_TIP_SHOW_SELECTED_FACE},
    {IDB_TOOL_FONT_LARGER, IDM_VIEW_FONT_LARGER, BTNS_BUTTON, TBSTATE_ENABLED, IDS_TIP_FONT_LARGER},
    {IDB_TOOL_FONT_SMALLER, IDM_VIEW_FONT_SMALLER, BTNS_BUTTON, TBSTATE_ENABLED, IDS_TIP_FONT_SMALLER},
    {IDB_TOOL_ROTATE, IDM_VIEW_ROTATE, BTNS_CHECKGROUP, TBSTATE_ENABLED | TBSTATE_CHECKED, IDS_TIP_ROTATE},
    {IDB_TOOL_SCROLL, IDM_VIEW_SCROLL, BTNS_CHECKGROUP, TBSTATE_ENABLED, IDS_TIP_SCROLL},
    {IDB_TOOL_ZOOM, IDM_VIEW_ZOOM, BTNS_CHECKGROUP, TBSTATE_ENABLED, IDS_TIP_ZOOM},
    {IDB_TOOL_CENTER, IDM_VIEW_CENTER, BTNS_BUTTON, TBSTATE_ENABLED, IDS_TIP_CENTER},
};

// The geometry builds call this around their work on the user-interface
// thread; nested builds keep the wait cursor until the outermost ends.
void ShowBusy(bool busy) {
  static HCURSOR previous = nullptr;
  static int depth = 0;
  if (busy) {
    if (depth++ == 0) previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  } else if (depth > 0 && --depth == 0) {
    ::SetCursor(previous);
  }
}

std::int16_t X(LPARAM l) { return static_cast<std::int16_t>(LOWORD(l)); }
std::int16_t Y(LPARAM l) { return static_cast<std::int16_t>(HIWORD(l)); }

int Clamped(std::size_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

}  // namespace

bool RegisterViewClasses(HINSTANCE instance) {
  const auto face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  const bool pane = mwWinAPI::RegisterWindowClass(instance, kPaneClass, nullptr, face, nullptr) != 0;
  const bool render = mwWinAPI::RegisterWindowClass(instance, kRenderClass, nullptr, face, nullptr) != 0;
  return pane && render;
}

// The 3D child window: mouse input drives the pane's camera, paint draws a
// frame. No keyboard handling: Ctrl comes from the mouse messages.
class RenderWindow : public mwWinAPI::Window {
 public:
  explicit RenderWindow(ViewPane& pane) : Window(L"Render Window"), pane_(pane) {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        OnButtonDown(lParam);
        return 0;
      case WM_MBUTTONUP:
        OnMiddleButtonUp();
        return 0;
      case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return 0;
      case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return 0;
      case WM_PAINT:
        OnPaint();
        return Default(message, wParam, lParam);
      case WM_ERASEBKGND:
        // While a view exists every frame covers the whole client area:
        // painting the background first only makes it flicker.
        return pane_.View() ? 1 : Default(message, wParam, lParam);
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  void OnButtonDown(LPARAM l) {
    MouseDown(pane_.CameraState(), X(l), Y(l));
    ::SetFocus(Handle());
  }
  void OnMiddleButtonUp() {
    pane_.CameraState().Reset();
    ::SetFocus(Handle());
    ::InvalidateRect(Handle(), nullptr, FALSE);
  }
  void OnMouseMove(WPARAM w, LPARAM l) {
    if (MouseMove(pane_.CameraState(), pane_.ViewMode(), (w & MK_LBUTTON) != 0, (w & MK_RBUTTON) != 0,
                  (w & MK_CONTROL) != 0, X(l), Y(l)))
      pane_.Render();
  }
  void OnMouseWheel(WPARAM w, LPARAM l) {
    const int delta = GET_WHEEL_DELTA_WPARAM(w);
    if (GET_KEYSTATE_WPARAM(w) & MK_CONTROL) {
      if (RenderView* view = pane_.View()) {
        float scale = view->LabelScale();
        if (WheelLabelScale(scale, delta)) view->SetLabelScale(scale);
      }
    } else {
      MouseWheelZoom(pane_.CameraState(), delta, X(l), Y(l));
    }
    pane_.Render();
  }
  void OnPaint() {
    PAINTSTRUCT paint;
    ::BeginPaint(Handle(), &paint);
    pane_.Render();
    ::EndPaint(Handle(), &paint);
  }

  ViewPane& pane_;
};

ViewPane::ViewPane() : Window(L"DirectX Window") {}

ViewPane::~ViewPane() {
  // The device goes before the window it presents into, the toolbar before
  // its pictures.
  view_.reset();
  spare_.reset();
  if (toolbar_) ::DestroyWindow(toolbar_);
}

void ViewPane::ImageListDeleter::operator()(_IMAGELIST* list) const { ImageList_Destroy(list); }

void ViewPane::CreatePane(HINSTANCE instance, HWND parent, int x, int y, int width, int height) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  WNDCLASSEXW known{};
  known.cbSize = sizeof known;
  if (!::GetClassInfoExW(instance, kPaneClass, &known)) RegisterViewClasses(instance);
  SetBusyHook(&ShowBusy);
  Create(instance, kPaneClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, 0, x, y, width,
         height, parent);
  if (!toolbar_) throw mwstd::runtime_error(L"Toolbar konnte nicht erstellt werden");
}

void ViewPane::SetObjectSource(std::function<const RoundObject*()> source) { source_ = std::move(source); }

bool ViewPane::NewView(const std::wstring& texturePath) {
  DiscardView();
  std::unique_ptr<RenderView> view = std::move(spare_);
  if (view && view->Device()) {
    view->ClearScene();
    view->LoadTexture(texturePath);
  } else {
    view = std::make_unique<RenderView>();
    if (!view->InitView(RenderHandle(), texturePath)) return false;
  }
  view_ = std::move(view);
  RefreshView();
  return true;
}

void ViewPane::DiscardView() {
  if (!view_) return;
  view_->ClearScene();
  spare_ = std::move(view_);
}

void ViewPane::PrepareDevice() {
  if (view_ || spare_ || !RenderHandle()) return;
  auto view = std::make_unique<RenderView>();
  if (view->CreateDeviceAndStates(RenderHandle(), nullptr) == S_OK) spare_ = std::move(view);
}

HWND ViewPane::RenderHandle() const { return render_ ? render_->Handle() : nullptr; }

void ViewPane::Render() {
  if (view_) view_->RenderScene(camera_);
}

void ViewPane::RefreshView() { Rebuild(true); }

void ViewPane::RefreshTexturing() { Rebuild(false); }

void ViewPane::Rebuild(bool shape) {
  const RoundObject* object = source_ ? source_() : nullptr;
  if (!view_ || !object) return;
  if (shape) {
    std::vector<Point> vertices;
    Indices indices;
    if (!BuildOutline(*object, vertices, indices)) vertices.clear(), indices.clear();
    view_->SetOutlineGeometry(vertices, indices);
    view_->RebuildLabels(PointLabelSources(*object));
  }
  {
    std::vector<TexturedPoint> vertices;
    Indices indices;
    if (!BuildFaces(*object, vertices, indices)) vertices.clear(), indices.clear();
    view_->SetFaceGeometry(vertices, indices);
  }
  RecomputeDisplayFlags();
  if (view_->DisplayFlags() & kShowSelection) {
    SelectArea(-1);
    SelectLayer(-1);
  } else {
    selectionStale_ = true;
  }
  InvalidateRender(shape);
}

void ViewPane::ShowSelection(bool built, const std::vector<TexturedPoint>& vertices, const Indices& indices) {
  if (built) {
    view_->SetSelectionGeometry(vertices, indices);
  } else {
    view_->SetSelectionGeometry({}, {});
  }
  selectionStale_ = false;
}

void ViewPane::SelectArea(int index) {
  if (index == -1) index = lastArea_;
  lastArea_ = index;
  const RoundObject* object = source_ ? source_() : nullptr;
  if (!view_ || !object || index < 0) return;
  std::vector<TexturedPoint> vertices;
  Indices indices;
  const bool inside = static_cast<std::size_t>(index) < object->FaceCount();
  ShowSelection(inside && BuildAreaFaces(*object, static_cast<std::size_t>(index), vertices, indices),
                vertices, indices);
}

void ViewPane::SelectLayer(int index) {
  if (index == -1) index = lastLayer_;
  lastLayer_ = index;
  const RoundObject* object = source_ ? source_() : nullptr;
  if (!view_ || !object || index < 0) return;
  std::vector<TexturedPoint> vertices;
  Indices indices;
  const bool inside = static_cast<std::size_t>(index) < object->TextureLevelCount();
  ShowSelection(inside && BuildLayerFaces(*object, static_cast<std::size_t>(index), vertices, indices),
                vertices, indices);
}

bool ViewPane::SetLabelScale(double scale) { return view_ && view_->SetLabelScale(scale); }

void ViewPane::ApplySelection(Selection selection) {
  if (selection.IsFace()) {
    SelectLayer(-2);
    SelectArea(Clamped(selection.Index()));
  } else if (selection.IsLayer()) {
    SelectArea(-2);
    SelectLayer(Clamped(selection.Index()));
  }
  InvalidateRender(false);
}

LRESULT ViewPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) ::InvalidateRect(Handle(), nullptr, TRUE);
      return Default(message, wParam, lParam);
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

LRESULT ViewPane::OnCreate(const CREATESTRUCTW& create) {
  render_ = std::make_unique<RenderWindow>(*this);
  render_->Create(create.hInstance, kRenderClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 400, 400, Handle());

  toolbar_ = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0, 0, 0, Handle(),
                               reinterpret_cast<HMENU>(IDC_VIEW_TOOLBAR), create.hInstance, nullptr);
  if (!toolbar_) return 0;  // CreatePane reports it
  ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  dpi_ = mwWinAPI::WindowDpi(Handle());
  int pictures[std::size(kButtons)] = {};
  LoadPictures(pictures);
  TBBUTTON buttons[std::size(kButtons)] = {};
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    buttons[i].iBitmap = pictures[i];
    buttons[i].idCommand = kButtons[i].command;
    buttons[i].fsState = kButtons[i].state;
    buttons[i].fsStyle = kButtons[i].style;
  }
  ::SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  return 0;
}

void ViewPane::LoadPictures(int* indices) {
  int ids[std::size(kButtons)];
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ids[i] = kButtons[i].bitmap;
  // The pictures' light grey is see-through: an image list with that colour
  // as its mask works for 24-bit pictures, which the toolbar's own colour
  // mapping leaves alone.
  const mwWinAPI::PictureChoice choice =
      mwWinAPI::ChoosePicture(kPictureSizes, std::size(kPictureSizes), kPictureSizes[0], dpi_);
  auto list = mwWinAPI::LoadPictureList(::GetModuleHandleW(nullptr), ids, std::size(ids), choice, kSeeThrough,
                                        indices);
  ::SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list.Get()));
  pictures_.reset(list.Release());
}

void ViewPane::SetDpi(UINT dpi) {
  if (!toolbar_ || dpi == dpi_) return;
  dpi_ = dpi;
  LoadPictures(nullptr);
  ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  RECT client{};
  ::GetClientRect(Handle(), &client);
  OnSize(client.right, client.bottom);
}

int ViewPane::RenderTop() const { return mwWinAPI::ScaleForDpi(kToolbarStrip, dpi_); }

void ViewPane::OnSize(int width, int height) {
  if (toolbar_) ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  // A zero-height child would give the projection no aspect ratio.
  const int top = RenderTop();
  if (HWND render = RenderHandle()) ::MoveWindow(render, 0, top, width, std::max(1, height - top), TRUE);
}

void ViewPane::OnPaint() {
  PAINTSTRUCT paint;
  ::BeginPaint(Handle(), &paint);
  ::EndPaint(Handle(), &paint);
  InvalidateRender(false);
}

void ViewPane::OnDestroy() {
  view_.reset();
  spare_.reset();
  if (HWND render = RenderHandle()) ::DestroyWindow(render);
  if (toolbar_) ::DestroyWindow(toolbar_);
  toolbar_ = nullptr;
}

bool ViewPane::ButtonPressed(int command) const {
  return toolbar_ && ::SendMessageW(toolbar_, TB_ISBUTTONCHECKED, static_cast<WPARAM>(command), 0) != 0;
}

void ViewPane::RecomputeDisplayFlags() {
  if (!view_) return;
  view_->SetDisplayFlags(DisplayFlagsFromButtons(
      ButtonPressed(IDM_VIEW_SHOW_NUMBERS), ButtonPressed(IDM_VIEW_SHOW_OUTLINE),
      ButtonPressed(IDM_VIEW_SHOW_FACES), ButtonPressed(IDM_VIEW_SHOW_SELECTED_FACE)));
}

void ViewPane::InvalidateRender(bool erase) {
  if (HWND render = RenderHandle()) ::InvalidateRect(render, nullptr, erase ? TRUE : FALSE);
}

void ViewPane::OnCommand(int id) {
  switch (id) {
    case IDM_VIEW_SHOW_NUMBERS:
    case IDM_VIEW_SHOW_OUTLINE:
    case IDM_VIEW_SHOW_FACES:
    case IDM_VIEW_SHOW_SELECTED_FACE:
      RecomputeDisplayFlags();
      if (view_ && (view_->DisplayFlags() & kShowSelection) && selectionStale_) {
        SelectArea(-1);
        SelectLayer(-1);
      }
      InvalidateRender(false);
      break;
    case IDM_VIEW_REFRESH:
      RefreshView();
      SelectArea(-1);
      SelectLayer(-1);
      RecomputeDisplayFlags();
      InvalidateRender(false);
      break;
    case IDM_VIEW_ROTATE:
    case IDM_VIEW_SCROLL:
    case IDM_VIEW_ZOOM:
      viewMode_ = id;
      break;
    case IDM_VIEW_CENTER:
      if (HWND render = RenderHandle()) ::SendMessageW(render, WM_MBUTTONUP, 0, 0);
      RecomputeDisplayFlags();
      InvalidateRender(false);
      break;
    case IDM_VIEW_FONT_LARGER:
    case IDM_VIEW_FONT_SMALLER:
      if (view_) {
        float scale = view_->LabelScale();
        if (StepLabelScale(scale, id == IDM_VIEW_FONT_LARGER)) view_->SetLabelScale(scale);
      }
      InvalidateRender(false);
      break;
    default:
      break;
  }
}

LRESULT ViewPane::OnNotify(NMHDR& header) {
  if (header.code != TTN_GETDISPINFOW) return 0;
  auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
  for (const ToolButton& button : kButtons) {
    if (static_cast<UINT_PTR>(button.command) != header.idFrom) continue;
    // The tooltip copies the text at once; a loaded table entry fits its buffer.
    mwWinAPI::StringTable strings;
    lstrcpynW(info.szText, strings.Load(static_cast<unsigned>(button.tooltip)), std::size(info.szText));
    info.lpszText = info.szText;
    info.hinst = nullptr;
    break;
  }
  return 0;
}

}  // namespace orbiform::views
