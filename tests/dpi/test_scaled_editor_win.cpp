// The editor at 150 % display scaling (the prefix's display at 144 DPI): with
// a plain, a point and a texture layer selected, every field and button of
// the edit pane's dialog lies wholly inside the pane, a texture layer's name
// inside the tree, and the pictures come in their larger size.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/MainWindow.h"
#include "editor/res/resource.h"
#include "mwWinAPI/WindowDpi.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "tests/mwWinAPI/TempFolder.h"

using namespace orbiform;

namespace {

RECT ScreenClient(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::wstring ControlName(HWND control) {
  wchar_t text[128] = {};
  ::GetWindowTextW(control, text, 128);
  return std::to_wstring(::GetDlgCtrlID(control)) + L" \"" + text + L"\"";
}

struct Search {
  RECT pane;
  std::vector<std::wstring> outside;
  int seen = 0;
};

BOOL CALLBACK CheckControl(HWND control, LPARAM data) {
  auto& s = *reinterpret_cast<Search*>(data);
  if (!::IsWindowVisible(control)) return TRUE;
  ++s.seen;
  RECT r{};
  ::GetWindowRect(control, &r);
  if (!Within(r, s.pane)) s.outside.push_back(ControlName(control));
  return TRUE;
}

// The visible controls of `dialog` that stick out of `pane`'s client area.
std::vector<std::wstring> ControlsOutside(HWND dialog, HWND pane) {
  Search search{ScreenClient(pane), {}, 0};
  ::EnumChildWindows(dialog, &CheckControl, reinterpret_cast<LPARAM>(&search));
  if (search.seen < 5)
    search.outside.push_back(L"(only " + std::to_wstring(search.seen) + L" controls shown)");
  return search.outside;
}

HTREEITEM Child(HWND tree, HTREEITEM parent, int index) {
  HTREEITEM item = TreeView_GetChild(tree, parent);
  for (int i = 0; i < index && item; ++i) item = TreeView_GetNextSibling(tree, item);
  return item;
}

int IconSize(HIMAGELIST list) {
  int width = 0, height = 0;
  return list && ImageList_GetIconSize(list, &width, &height) ? width : 0;
}

}  // namespace

TEST(ScaledEditor, EditPaneDialogsTreeAndPicturesFitAt150Percent) {
  // The prefix must really run at 144 DPI, else this test proves nothing.
  ASSERT_EQ(144u, mwWinAPI::WindowDpi(nullptr));
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ASSERT_TRUE(MainWindow::RegisterClasses(instance));
  mwtest::TempFolder folder;
  HWND active = nullptr;
  MainWindow window(&active);
  window.SetDialogs({[](HWND, Options&) { return true; }, nullptr, nullptr, nullptr});
  window.CreateMain(instance, folder.Path(L"options.xml"));
  ::SetWindowPos(window.Handle(), nullptr, 0, 0, 1500, 1000, SWP_NOZORDER);
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SendMessageW(window.Handle(), WM_COMMAND, IDM_NEW, 0);
  ASSERT_TRUE(testui::PumpUntil([&] { return !window.Loading() && window.Handler().Current(); }));

  HWND tree = window.Tree().Tree();
  HWND pane = window.Edit().Handle();
  ASSERT_TRUE(testui::PumpUntil([&] { return Child(tree, TreeView_GetRoot(tree), 0) != nullptr; }));
  HTREEITEM plains = TreeView_GetRoot(tree);
  HTREEITEM plain = Child(tree, plains, 0);
  TreeView_SelectItem(tree, plain);
  ASSERT_TRUE(::IsWindowVisible(window.Edit().PointDialog()));
  EXPECT_EQ(std::vector<std::wstring>{}, ControlsOutside(window.Edit().PointDialog(), pane)) << "plain";

  TreeView_Expand(tree, plain, TVE_EXPAND);
  HTREEITEM point = Child(tree, plain, 0);
  ASSERT_NE(nullptr, point);
  TreeView_SelectItem(tree, point);
  EXPECT_EQ(std::vector<std::wstring>{}, ControlsOutside(window.Edit().PointDialog(), pane)) << "point";

  HTREEITEM layer = Child(tree, TreeView_GetNextSibling(tree, plains), 0);
  ASSERT_NE(nullptr, layer);
  TreeView_SelectItem(tree, layer);
  ASSERT_TRUE(::IsWindowVisible(window.Edit().LayerDialog()));
  EXPECT_EQ(std::vector<std::wstring>{}, ControlsOutside(window.Edit().LayerDialog(), pane)) << "layer";

  // "texture layer 1" whole inside the tree, left of a scroll bar.
  RECT text{};
  ASSERT_TRUE(TreeView_GetItemRect(tree, layer, &text, TRUE));
  RECT client{};
  ::GetClientRect(tree, &client);
  const bool scrolls = (::GetWindowLongW(tree, GWL_STYLE) & WS_VSCROLL) != 0;
  EXPECT_LE(text.right, client.right - (scrolls ? 0 : ::GetSystemMetrics(SM_CXVSCROLL)));

  // The larger pictures: 24 pixels in the toolbar, 16 in the tree.
  EXPECT_EQ(
      24,
      IconSize(reinterpret_cast<HIMAGELIST>(::SendMessageW(window.View().Toolbar(), TB_GETIMAGELIST, 0, 0))));
  EXPECT_EQ(16, IconSize(TreeView_GetImageList(tree, TVSIL_NORMAL)));

  // Moved to a monitor at 200 %: the system suggests the place, the window
  // takes it and lays itself out at the new scaling.
  RECT suggested{10, 20, 10 + 1200, 20 + 900};
  ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  testui::PumpUntil([] { return false; }, 100);
  RECT now{};
  ::GetWindowRect(window.Handle(), &now);
  EXPECT_EQ(1200, now.right - now.left);
  EXPECT_EQ(
      32,
      IconSize(reinterpret_cast<HIMAGELIST>(::SendMessageW(window.View().Toolbar(), TB_GETIMAGELIST, 0, 0))));
  EXPECT_EQ(24, IconSize(TreeView_GetImageList(tree, TVSIL_NORMAL)));
  EXPECT_EQ(28, window.Texture().Metrics().statusHeight);
  RECT treePane{};
  ::GetWindowRect(window.Tree().Handle(), &treePane);
  EXPECT_GE(treePane.right - treePane.left, 300);
  ::DestroyWindow(window.Handle());
}
