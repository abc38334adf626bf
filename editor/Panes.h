#pragma once
// Two of the main window's four panes, the edit pane that hosts the point
// and texture layer dialogs and the tree pane, and the class names of all
// four (the texture window has its own files). They talk
// to the rest only through the private messages; what they show is filled in
// by the tree, the dialogs and the texture view as those are added, without
// touching the main window.
#include <windows.h>

#include <commctrl.h>

#include "editor/TextureWindow.h"
#include "editor/TreeContent.h"
#include "geometry/RoundObjectHandler.h"
#include "mwWinAPI/ScopedGdi.h"
#include "mwWinAPI/Window.h"

namespace orbiform {

// Class names the main window creates its panes with.
constexpr const wchar_t* kMainClass = L"OrbiformMain_WNDCLASS";
constexpr const wchar_t* kTreeClass = L"TreeView_WNDCLASS";
constexpr const wchar_t* kEditClass = L"Sonstiges_WNDCLASS";
constexpr const wchar_t* kTextureClass = L"Texture_WNDCLASS";

// The edit pane: shows one of its two modeless dialogs at a time and keeps
// the message loop's active dialog pointing at the one shown.
class EditPane : public mwWinAPI::Window {
 public:
  // `activeDialog` is the message loop's; it outlives the pane.
  explicit EditPane(HWND* activeDialog);
  // The dialogs the pane routes to (either may be null while it does not
  // exist); the point dialog becomes the active one and both are hidden.
  void SetDialogs(HWND pointDialog, HWND layerDialog);
  HWND PointDialog() const { return point_; }
  HWND LayerDialog() const { return layer_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Show(HWND dialog);
  void OnClose();

  HWND* active_;
  HWND point_ = nullptr;
  HWND layer_ = nullptr;
};

// The tree pane: the object's plains, points, texture layers and faces in a
// tree control over the whole client area (content from TreeContent). A
// selection goes to the edit pane; texture layers are moved (left button) or
// copied (right button) by dragging. The tree is rebuilt on the UI thread
// with drawing off, and the points of a plain and the faces are inserted
// when their parent is first opened.
class TreePane : public mwWinAPI::Window {
 public:
  TreePane();
  ~TreePane() override;
  void SetEditPane(HWND editPane) { editPane_ = editPane; }
  void SetHandler(RoundObjectHandler* handler) { handler_ = handler; }
  HWND Tree() const { return tree_; }
  // The item pictures for `dpi` (a move to a monitor of another scaling).
  void SetDpi(UINT dpi);
  // What the pane's width must hold: the side of an item picture, the
  // indent per level, and a texture layer's name ("texture layer 1") in the
  // tree's font, in pixels.
  int PictureSize() const { return pictureSize_; }
  int Indent() const;
  int LayerTextWidth() const;
  // True once after a drop: the texture layer dialog then skips applying its
  // fields.
  bool TakeJustDropped() {
    const bool dropped = justDropped_;
    justDropped_ = false;
    return dropped;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCreate(const CREATESTRUCTW& create);
  void LoadPictures(UINT dpi);
  void OnSize(int width, int height);
  void OnDestroy();
  void OnRefresh(WPARAM wParam);
  LRESULT OnNotify(NMHDR& header);
  void OnSelectionChanged(LPARAM value);
  void OnExpanding(HTREEITEM item, LPARAM value);
  void OnBeginDrag(HTREEITEM item, POINT at, bool rightButton);
  void OnDragMove(POINT at);
  void OnDrop();
  HTREEITEM Insert(HTREEITEM parent, const TreeItem& item);
  void Clear();

  HWND tree_ = nullptr;
  HWND editPane_ = nullptr;
  mwWinAPI::ImageList images_;
  mwWinAPI::GdiObject<HFONT> font_;  // after a DPI change; else the tree's own
  int pictureSize_ = 12;
  RoundObjectHandler* handler_ = nullptr;
  bool filled_ = false;
  bool rebuilding_ = false;
  bool dragging_ = false;
  bool rightButton_ = false;
  bool justDropped_ = false;
  HTREEITEM dragged_ = nullptr;
  HTREEITEM target_ = nullptr;
};

}  // namespace orbiform
