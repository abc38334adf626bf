// The edit pane's routing, and the frames of the tree pane and the texture
// window.
#include "editor/Panes.h"

#include <commctrl.h>

#include "editor/PrivateMessages.h"
#include "editor/res/resource.h"

namespace orbiform {

using mwWinAPI::ParamOf;

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
      ::SendMessageW(main, TWM_SELECT, ParamOf(-6 - static_cast<INT_PTR>(wParam)), 0);
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

void TreePane::OnCreate(const CREATESTRUCTW& create) {
  tree_ = ::CreateWindowExW(
      0, WC_TREEVIEWW, L"",
      WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0,
      create.cx, create.cy, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)),
      create.hInstance, nullptr);
}

void TreePane::OnSize(int width, int height) {
  if (tree_) ::MoveWindow(tree_, 0, 0, width, height, TRUE);
}

LRESULT TreePane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

TextureWindow::TextureWindow() : Window(L"TextureView") {}

LRESULT TextureWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TWM_SELECT:
      selection_ = mwWinAPI::SignedParam(wParam);
      ::InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    case TWM_RELOAD:
      ::InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace orbiform
