// The edit pane's routing and the tree pane.
#include "editor/Panes.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/WindowDpi.h"
#include "views/Selection.h"

namespace orbiform {

using views::Selection;

namespace {

// The tree's pictures are drawn at these sizes; 12 at 100 %.
constexpr int kTreePictureSizes[] = {12, 16, 24, 32};
constexpr int kTreePictures[] = {IDB_TREE_POINT, IDB_TREE_TEXTURE, IDB_TREE_PLAIN};
constexpr COLORREF kTreeSeeThrough = RGB(255, 0, 255);

}  // namespace

EditPane::EditPane(HWND* activeDialog) : Window(L"Edit Window"), active_(activeDialog) {}

void EditPane::SetDialogs(HWND pointDialog, HWND layerDialog) {
  point_ = pointDialog;
  layer_ = layerDialog;
  if (point_) ::ShowWindow(point_, SW_HIDE);
  if (layer_) ::ShowWindow(layer_, SW_HIDE);
  *active_ = point_;
}

void EditPane::Show(HWND dialog) {
  HWND other = dialog == point_ ? layer_ : point_;
  if (other) ::ShowWindow(other, SW_HIDE);
  if (dialog) ::ShowWindow(dialog, SW_SHOWNORMAL);
}

void EditPane::OnClose() {
  *active_ = nullptr;
  if (point_) ::DestroyWindow(point_);
  if (layer_) ::DestroyWindow(layer_);
  point_ = layer_ = nullptr;
}

LRESULT EditPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND main = ::GetParent(Handle());
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) ::InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      OnClose();
      return message == WM_CLOSE ? 0 : Default(message, wParam, lParam);
    case TWM_REFRESH:
      if (point_) ::SendMessageW(point_, TWM_REFRESH, wParam, lParam);
      if (layer_) ::SendMessageW(layer_, TWM_REFRESH, wParam, lParam);
      return 0;
    case TWM_CHANGED:
      if (layer_) ::SendMessageW(layer_, TWM_CHANGED, 0, 0);
      return 0;
    case TWM_SELECT_PLAIN:
    case TWM_SELECT_POINT:
      *active_ = point_;
      if (point_) ::SendMessageW(point_, message, wParam, lParam);
      Show(point_);
      return 0;
    case TWM_SELECT:
      *active_ = layer_;
      ::SendMessageW(main, TWM_SELECT, wParam, 0);
      if (layer_) ::SendMessageW(layer_, TWM_SELECT, wParam, 0);
      Show(layer_);
      return 0;
    case TWM_SELECT_NONE:
      if (point_) ::ShowWindow(point_, SW_HIDE);
      if (layer_) ::ShowWindow(layer_, SW_HIDE);
      *active_ = point_;
      return 0;
    case TWM_SELECT_LAYER:
      *active_ = layer_;
      ::SendMessageW(main, TWM_SELECT, Selection::Layer(wParam).ToParam(), 0);
      if (layer_) ::SendMessageW(layer_, TWM_SELECT_LAYER, wParam, 0);
      Show(layer_);
      return 0;
    case TWM_DELETE_KEY:
      if (layer_) ::SendMessageW(layer_, TWM_DELETE_KEY, 0, 0);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

TreePane::TreePane() : Window(L"TreeViewWindow") {}

TreePane::~TreePane() = default;

void TreePane::OnCreate(const CREATESTRUCTW& create) {
  // Buttons and lines at the root, so that the lazily filled plains can be
  // opened with the mouse as in any tree.
  tree_ = ::CreateWindowExW(
      0, WC_TREEVIEWW, L"Tree View",
      WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0,
      create.cx, create.cy, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)),
      create.hInstance, nullptr);
  LoadPictures(mwWinAPI::WindowDpi(Handle()));
}

void TreePane::LoadPictures(UINT dpi) {
  const mwWinAPI::PictureChoice choice =
      mwWinAPI::ChoosePicture(kTreePictureSizes, std::size(kTreePictureSizes), kTreePictureSizes[0], dpi);
  mwWinAPI::ImageList pictures = mwWinAPI::LoadPictureList(::GetModuleHandleW(nullptr), kTreePictures,
                                                           std::size(kTreePictures), choice, kTreeSeeThrough);
  if (tree_) TreeView_SetImageList(tree_, pictures.Get(), TVSIL_NORMAL);
  images_ = std::move(pictures);  // the old list only once the tree let go of it
  pictureSize_ = choice.size;
}

void TreePane::SetDpi(UINT dpi) {
  LoadPictures(dpi);
  if (!tree_) return;
  // The tree keeps the font it was made with; the text grows only with one
  // made for the new scaling.
  if (mwWinAPI::GdiObject<HFONT> font = mwWinAPI::ItemFontForDpi(dpi)) {
    ::SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    font_ = std::move(font);  // the old one only once the tree let go of it
  }
  ::InvalidateRect(tree_, nullptr, TRUE);
}

int TreePane::Indent() const { return tree_ ? static_cast<int>(TreeView_GetIndent(tree_)) : 0; }

int TreePane::LayerTextWidth() const {
  if (!tree_) return 0;
  const std::wstring text = mwWinAPI::StringTable().LoadS(IDS_TREE_LAYER) + L" 1";
  mwWinAPI::WindowDC dc(tree_);
  if (!dc) return 0;
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(tree_, WM_GETFONT, 0, 0));
  mwWinAPI::SelectedObject selected(dc.Get(),
                                    font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent{};
  ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  return extent.cx;
}

void TreePane::OnSize(int width, int height) {
  if (tree_) ::MoveWindow(tree_, 0, 0, width, height, TRUE);
}

void TreePane::OnDestroy() {
  filled_ = false;
  if (tree_) TreeView_SetImageList(tree_, nullptr, TVSIL_NORMAL);
  images_.Reset();
  if (editPane_) ::SendMessageW(editPane_, TWM_SELECT_NONE, 0, 0);
}

HTREEITEM TreePane::Insert(HTREEITEM parent, const TreeItem& item) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = const_cast<wchar_t*>(item.text.c_str());
  insert.item.lParam = TreeValue(item.kind, item.index);
  insert.item.iImage = insert.item.iSelectedImage = item.image;
  insert.item.cChildren = item.hasChildren ? 1 : 0;
  return TreeView_InsertItem(tree_, &insert);
}

void TreePane::Clear() {
  rebuilding_ = true;
  TreeView_DeleteAllItems(tree_);
  rebuilding_ = false;
}

void TreePane::OnRefresh(WPARAM wParam) {
  const RoundObject* object = handler_ ? handler_->Current() : nullptr;
  if (!object || wParam == kRefreshEmpty) {
    if (editPane_) ::SendMessageW(editPane_, TWM_SELECT_NONE, 0, 0);
    filled_ = false;
    Clear();
    return;
  }
  filled_ = true;
  // One build at a time, on this thread, with drawing off: the control
  // never sees two builders or an object that is gone.
  ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  Clear();
  rebuilding_ = true;
  HTREEITEM parents[3] = {TVI_ROOT, nullptr, nullptr};
  std::vector<HTREEITEM> roots;
  for (const TreeItem& item : TopItems(*object)) {
    HTREEITEM inserted = Insert(parents[item.level - 1], item);
    if (item.level < 3) parents[item.level] = inserted;
    if (item.level == 1) roots.push_back(inserted);
  }
  for (HTREEITEM root : roots) TreeView_Expand(tree_, root, TVE_EXPAND);
  rebuilding_ = false;
  ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(tree_, nullptr, TRUE);
}

void TreePane::OnExpanding(HTREEITEM item, LPARAM value) {
  const RoundObject* object = handler_ ? handler_->Current() : nullptr;
  if (!object || TreeView_GetChild(tree_, item)) return;
  const bool wasRebuilding = rebuilding_;
  rebuilding_ = true;
  for (const TreeItem& child : ChildItems(*object, TreeValueKind(value), TreeValueIndex(value)))
    Insert(item, child);
  rebuilding_ = wasRebuilding;
}

void TreePane::OnSelectionChanged(LPARAM value) {
  if (!editPane_) return;
  const TreeSelection selection =
      filled_ && handler_ ? SelectionOf(handler_->Current(), value) : TreeSelection{};
  switch (selection.kind) {
    case TreeSelection::kLayerSettings:
      ::SendMessageW(editPane_, TWM_SELECT, Selection::None().ToParam(), 0);
      break;
    case TreeSelection::kPlain:
      ::SendMessageW(editPane_, TWM_SELECT_PLAIN, selection.first, 0);
      break;
    case TreeSelection::kPoint:
      ::SendMessageW(editPane_, TWM_SELECT_POINT, selection.first, selection.second);
      break;
    case TreeSelection::kLayer:
      ::SendMessageW(editPane_, TWM_SELECT_LAYER, selection.first, 0);
      break;
    case TreeSelection::kFace:
      ::SendMessageW(editPane_, TWM_SELECT, Selection::Face(selection.first).ToParam(), 0);
      break;
    default:
      ::SendMessageW(editPane_, TWM_SELECT_NONE, 0, 0);
      break;
  }
}

void TreePane::OnBeginDrag(HTREEITEM item, POINT at, bool rightButton) {
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(tree_, &data) || TreeValueKind(data.lParam) != TreeKind::kLayer) return;
  dragged_ = item;
  target_ = nullptr;
  rightButton_ = rightButton;
  // BeginDrag keeps its own copy of the picture.
  const mwWinAPI::ImageList image(TreeView_CreateDragImage(tree_, item));
  if (image) {
    ::ImageList_BeginDrag(image.Get(), 0, 0, 0);
    ::ImageList_DragEnter(tree_, at.x, at.y);
  }
  ::ShowCursor(FALSE);
  ::SetCapture(Handle());
  dragging_ = true;
}

void TreePane::OnDragMove(POINT at) {
  ::ImageList_DragMove(at.x, at.y);
  TVHITTESTINFO hit{};
  hit.pt = at;
  HTREEITEM item = TreeView_HitTest(tree_, &hit);
  if (!item) return;
  TVITEMW data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(tree_, &data)) return;
  const TreeKind kind = TreeValueKind(data.lParam);
  if (kind != TreeKind::kLayer && kind != TreeKind::kLayersRoot) return;
  ::ImageList_DragShowNolock(FALSE);
  TreeView_SelectItem(tree_, item);
  ::ImageList_DragShowNolock(TRUE);
  target_ = item;
}

void TreePane::OnDrop() {
  ::ImageList_EndDrag();
  ::ImageList_DragLeave(tree_);
  ::ReleaseCapture();
  ::ShowCursor(TRUE);
  dragging_ = false;
  justDropped_ = true;
  RoundObject* object = handler_ ? handler_->Current() : nullptr;
  if (!object || !target_ || !dragged_) return;
  TVITEMW source{}, target{};
  source.mask = target.mask = TVIF_PARAM;
  source.hItem = dragged_;
  target.hItem = target_;
  if (!TreeView_GetItem(tree_, &source) || !TreeView_GetItem(tree_, &target)) return;
  const std::size_t from = TreeValueIndex(source.lParam);
  const std::size_t to = TreeValueKind(target.lParam) == TreeKind::kLayer ? TreeValueIndex(target.lParam) : 0;
  if (from >= object->TextureLevelCount() || to >= object->TextureLevelCount()) return;
  handler_->SaveState();
  handler_->Current()->MoveTextureLevel(from, to, !rightButton_);
  // The order of the layers decides the coordinates: the object changed.
  ::PostMessageW(::GetParent(Handle()), TWM_CHANGED, kChangedLayers, 0);
  ::PostMessageW(Handle(), TWM_REFRESH, 0, 0);
  ::InvalidateRect(tree_, nullptr, TRUE);
}

LRESULT TreePane::OnNotify(NMHDR& header) {
  if (header.hwndFrom != tree_) return 0;
  auto& view = reinterpret_cast<NMTREEVIEWW&>(header);
  switch (header.code) {
    case TVN_SELCHANGEDW:
      if (!rebuilding_ && !dragging_ && handler_ && handler_->Current())
        OnSelectionChanged(view.itemNew.lParam);
      return 0;
    case TVN_ITEMEXPANDINGW:
      if (view.action & TVE_EXPAND) OnExpanding(view.itemNew.hItem, view.itemNew.lParam);
      return 0;
    case TVN_KEYDOWN:
      if (reinterpret_cast<NMTVKEYDOWN&>(header).wVKey == VK_DELETE && editPane_)
        ::SendMessageW(editPane_, TWM_DELETE_KEY, 0, 0);
      return 0;
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGW:
      OnBeginDrag(view.itemNew.hItem, view.ptDrag, header.code == TVN_BEGINRDRAGW);
      return 0;
    default:
      return 0;
  }
}

LRESULT TreePane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && tree_) ::InvalidateRect(tree_, nullptr, TRUE);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case TWM_REFRESH:
      OnRefresh(wParam);
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_MOUSEMOVE:
      if (dragging_) OnDragMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (dragging_) OnDrop();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace orbiform
