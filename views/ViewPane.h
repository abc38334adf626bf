#pragma once
// The 3D pane (DirectX_WNDCLASS): the view's toolbar above the 3D child
// window (Render_WNDCLASS), and the program-wide view state behind them: the
// camera, the view mode, the last selections and the current RenderView.
// The pane works inside any parent window; the editor's main window is one.
// Only the user-interface thread uses it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/RoundObject.h"
#include "mwWinAPI/Window.h"
#include "views/Camera.h"
#include "views/RenderView.h"
#include "views/Selection.h"

struct _IMAGELIST;

namespace orbiform::views {

// Class names of the pane and its 3D child window.
constexpr const wchar_t* kPaneClass = L"DirectX_WNDCLASS";
constexpr const wchar_t* kRenderClass = L"Render_WNDCLASS";

// Registers both classes for `instance` (button-face background, no icon, no
// menu). Returns false if either was refused.
bool RegisterViewClasses(HINSTANCE instance);

class RenderWindow;

class ViewPane : public mwWinAPI::Window {
 public:
  ViewPane();
  ~ViewPane() override;

  // Creates the pane (child, visible, border) with its toolbar and 3D
  // window. Throws mwstd::runtime_error "Toolbar konnte nicht erstellt
  // werden" when the toolbar cannot be made, and what Window::Create throws.
  void CreatePane(HINSTANCE instance, HWND parent, int x, int y, int width, int height);

  // The object the view shows; it is read on every refresh and selection,
  // never kept. May return null (no object).
  void SetObjectSource(std::function<const RoundObject*()> source);

  // Discards the current view and makes a new one for the current object:
  // InitView with `texturePath`, then RefreshView. False when the device
  // could not be made (the view is then discarded; the caller shows 146).
  // The Direct3D device of a discarded view is kept and taken again: making
  // one costs far more than everything else an Open does.
  bool NewView(const std::wstring& texturePath);
  // Discards the view (no object is shown any more).
  void DiscardView();
  // Makes the device ahead of the first object, quietly (a failure shows
  // when an object is opened). Does nothing while a device exists.
  void PrepareDevice();
  RenderView* View() const { return view_.get(); }

  // The view operations; without a view or an object they do nothing.
  // Indices outside the current object select nothing.
  // RefreshView rebuilds outline, labels and faces from the object (a build
  // that fails empties its slot rather than leaving another object's shape)
  // and, while the selected face is shown, the last selection.
  void RefreshView();
  // The same when only texture coordinates changed: the outline and the
  // point numbers depend on the points alone and stay as they are.
  void RefreshTexturing();
  // -1 stands for the last selection; other negative values are stored and
  // build nothing; an index at or beyond the object's faces (layers) empties
  // the selection.
  void SelectArea(int index);
  void SelectLayer(int index);
  // Stores `scale` in the view when strictly inside (0.05, 1.0); false
  // without a view or outside.
  bool SetLabelScale(double scale);

  // A face below the face count or a layer below the layer count is shown
  // selected (nothing and cleared change nothing); then the 3D window is
  // invalidated.
  void ApplySelection(Selection selection);

  Camera& CameraState() { return camera_; }
  const Camera& CameraState() const { return camera_; }
  int ViewMode() const { return viewMode_; }
  HWND Toolbar() const { return toolbar_; }
  HWND RenderHandle() const;
  // Shows the toolbar's pictures and places the 3D window for `dpi` (a move
  // to a monitor of another scaling).
  void SetDpi(UINT dpi);
  // Where the 3D window starts: below the toolbar's strip.
  int RenderTop() const;
  // Draws one frame now (mouse input renders at once).
  void Render();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(const CREATESTRUCTW& create);
  // The toolbar's pictures at the pane's DPI; `indices` (one per button, or
  // null) receives their places in the list.
  void LoadPictures(int* indices);
  void OnSize(int width, int height);
  void OnPaint();
  void OnDestroy();
  void OnCommand(int id);
  LRESULT OnNotify(NMHDR& header);
  void RecomputeDisplayFlags();
  void Rebuild(bool shape);
  bool ButtonPressed(int command) const;
  void InvalidateRender(bool erase);
  void ShowSelection(bool built, const std::vector<TexturedPoint>& vertices, const Indices& indices);

  struct ImageListDeleter {
    void operator()(_IMAGELIST* list) const;
  };

  std::unique_ptr<RenderWindow> render_;
  HWND toolbar_ = nullptr;
  UINT dpi_ = 96;
  std::unique_ptr<_IMAGELIST, ImageListDeleter> pictures_;  // the toolbar's; outlives it
  std::unique_ptr<RenderView> view_;
  std::unique_ptr<RenderView> spare_;  // a discarded view's device, emptied
  std::function<const RoundObject*()> source_;
  Camera camera_;
  int viewMode_ = 1129;
  int lastArea_ = -1;
  int lastLayer_ = -1;
  // The selection slot holds an earlier object's shape: a refresh with the
  // selected face hidden does not rebuild it, so showing it must.
  bool selectionStale_ = false;
};

}  // namespace orbiform::views
