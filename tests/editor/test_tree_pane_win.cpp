// The tree pane under Wine: the control shows the computed content, opens
// plains lazily, reports selections to the edit pane and reorders layers by
// dragging with either button.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/MainWindow.h"
#include "editor/Panes.h"
#include "editor/PrivateMessages.h"
#include "editor/TreeContent.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "tests/mwWinAPI/TestWindow.h"

using namespace orbiform;

namespace {

// Stands in for the edit pane: records the private messages it is sent.
class Recorder : public mwWinAPI::Window {
 public:
  Recorder() : Window(L"Recorder") {}
  struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Seen> seen;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= TWM_REFRESH && message <= TWM_DELETE_KEY) seen.push_back({message, wParam, lParam});
    return Default(message, wParam, lParam);
  }
};

std::wstring Text(HWND tree, HTREEITEM item) {
  wchar_t text[128] = {};
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = 128;
  TreeView_GetItem(tree, &data);
  return text;
}

class TreeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(MainWindow::RegisterClasses(instance));
    mwWinAPI::RegisterWindowClass(instance, L"TreeTestRecorder", nullptr, nullptr, nullptr);
    host_ = testui::MakeTestWindow(L"tree", 400, 600);
    edit_.Create(instance, L"TreeTestRecorder", L"", WS_CHILD, 0, 0, 0, 10, 10, host_);
    auto object = std::make_unique<RoundObject>(4, 0);
    for (int r = 0; r < 3; ++r) object->AddArea(0, 360, r, 1, 1);
    for (int i = 0; i < 3; ++i) object->GetTextureLevel(object->AddTextureLevel()).startPoint = i;
    object->GenerateAllPoints();
    object->ApplyTextures();
    handler_.SetSteps(5, 5);
    handler_.SetCurrent(std::move(object));
    pane_.SetEditPane(edit_.Handle());
    pane_.SetHandler(&handler_);
    pane_.Create(instance, kTreeClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 300, 500, host_);
    ::SendMessageW(pane_.Handle(), TWM_REFRESH, 0, 0);
    tree_ = pane_.Tree();
  }
  void TearDown() override { ::DestroyWindow(host_); }

  HTREEITEM Layer(int index) {
    HTREEITEM root = TreeView_GetNextSibling(tree_, TreeView_GetRoot(tree_));
    HTREEITEM item = TreeView_GetChild(tree_, root);
    for (int i = 0; i < index; ++i) item = TreeView_GetNextSibling(tree_, item);
    return item;
  }
  // A drag of `source` onto `target` with the left or right button, as the
  // control and the mouse report it.
  void Drag(HTREEITEM source, HTREEITEM target, bool right) {
    NMTREEVIEWW begin{};
    begin.hdr = {tree_, 1044, right ? TVN_BEGINRDRAGW : TVN_BEGINDRAGW};
    begin.itemNew.hItem = source;
    ::SendMessageW(pane_.Handle(), WM_NOTIFY, 1044, reinterpret_cast<LPARAM>(&begin));
    RECT r{};
    TreeView_GetItemRect(tree_, target, &r, TRUE);
    ::SendMessageW(pane_.Handle(), WM_MOUSEMOVE, right ? MK_RBUTTON : MK_LBUTTON,
                   MAKELPARAM(r.left + 2, r.top + 2));
    ::SendMessageW(pane_.Handle(), right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
  }

  HWND host_ = nullptr;
  Recorder edit_;
  RoundObjectHandler handler_;
  TreePane pane_;
  HWND tree_ = nullptr;
};

TEST_F(TreeFixture, ShowsTheObjectAndReportsSelections) {
  HTREEITEM plains = TreeView_GetRoot(tree_);
  EXPECT_EQ(L"plains", Text(tree_, plains));
  HTREEITEM second = TreeView_GetNextSibling(tree_, TreeView_GetChild(tree_, plains));
  EXPECT_EQ(L"plain2", Text(tree_, second));
  EXPECT_EQ(nullptr, TreeView_GetChild(tree_, second));  // filled when opened
  TreeView_Expand(tree_, second, TVE_EXPAND);
  HTREEITEM point = TreeView_GetChild(tree_, second);
  EXPECT_EQ(L"point 5", Text(tree_, point));
  EXPECT_EQ(4u, TreeView_GetCount(tree_) - 9u);  // the four points came in

  edit_.seen.clear();
  TreeView_SelectItem(tree_, TreeView_GetNextSibling(tree_, point));
  ASSERT_EQ(1u, edit_.seen.size());
  EXPECT_EQ(TWM_SELECT_POINT, edit_.seen[0].message);
  EXPECT_EQ(1u, edit_.seen[0].wParam);
  EXPECT_EQ(1, edit_.seen[0].lParam);
  TreeView_SelectItem(tree_, Layer(2));
  EXPECT_EQ(TWM_SELECT_LAYER, edit_.seen.back().message);
  EXPECT_EQ(2u, edit_.seen.back().wParam);
  TreeView_SelectItem(tree_, second);
  EXPECT_EQ(TWM_SELECT_PLAIN, edit_.seen.back().message);
  EXPECT_EQ(1u, edit_.seen.back().wParam);
  HTREEITEM layers = TreeView_GetNextSibling(tree_, plains);
  TreeView_SelectItem(tree_, layers);
  EXPECT_EQ(TWM_SELECT, edit_.seen.back().message);
  EXPECT_EQ(-1, mwWinAPI::SignedParam(edit_.seen.back().wParam));
  HTREEITEM faces = Layer(3);  // "texture plaines" follows the layers
  TreeView_Expand(tree_, faces, TVE_EXPAND);
  TreeView_SelectItem(tree_, TreeView_GetNextSibling(tree_, TreeView_GetChild(tree_, faces)));
  EXPECT_EQ(TWM_SELECT, edit_.seen.back().message);
  EXPECT_EQ(1u, edit_.seen.back().wParam);  // after the base, the first side face
  TreeView_SelectItem(tree_, plains);
  EXPECT_EQ(TWM_SELECT_NONE, edit_.seen.back().message);
}

TEST_F(TreeFixture, DraggingMovesWithTheLeftButtonAndCopiesWithTheRight) {
  const auto starts = [this] {
    std::vector<unsigned> out;
    for (const TextureLevel& level : handler_.Current()->TextureLevels()) out.push_back(level.startPoint);
    return out;
  };
  Drag(Layer(2), TreeView_GetNextSibling(tree_, TreeView_GetRoot(tree_)), false);  // onto the root: first
  EXPECT_EQ((std::vector<unsigned>{2, 0, 1}), starts());
  EXPECT_TRUE(pane_.TakeJustDropped());
  EXPECT_FALSE(pane_.TakeJustDropped());
  testui::PumpUntil([] { return false; }, 30);  // the posted rebuild
  Drag(Layer(0), Layer(2), true);
  EXPECT_EQ((std::vector<unsigned>{2, 0, 2, 1}), starts());
  EXPECT_TRUE(handler_.CanUndo());
}

}  // namespace

namespace {

// The largest object the editor allows (1,666 plains of 3 points): every
// plain is listed at once, the faces when their node is opened, in the
// order and with the texts the content gives.
TEST(TreeLargest, ReadsBackAsTheContentSays) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ASSERT_TRUE(MainWindow::RegisterClasses(instance));
  HWND host = testui::MakeTestWindow(L"tree", 300, 600);
  RoundObjectHandler handler;
  auto object = std::make_unique<RoundObject>(3, 0);
  for (int r = 0; r < 1666; ++r) object->AddArea(0, 360, r, 1, 1);
  object->AddTextureLevel();
  object->GenerateAllPoints();
  object->ApplyTextures();
  handler.SetCurrent(std::move(object));
  TreePane pane;
  pane.SetHandler(&handler);
  pane.Create(instance, kTreeClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 280, 580, host);
  ::SendMessageW(pane.Handle(), TWM_REFRESH, 0, 0);
  HWND tree = pane.Tree();
  const std::vector<TreeItem> top = TopItems(*handler.Current());
  EXPECT_EQ(top.size(), TreeView_GetCount(tree));
  HTREEITEM last = TreeView_GetChild(tree, TreeView_GetRoot(tree));
  for (int i = 1; i < 1666; ++i) last = TreeView_GetNextSibling(tree, last);
  EXPECT_EQ(L"plain1666", Text(tree, last));
  HTREEITEM faces = TreeView_GetNextSibling(
      tree, TreeView_GetChild(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree))));
  EXPECT_EQ(L"texture plaines", Text(tree, faces));
  TreeView_Expand(tree, faces, TVE_EXPAND);
  EXPECT_EQ(top.size() + 1665u * 3 + 2, TreeView_GetCount(tree));
  HTREEITEM face = TreeView_GetChild(tree, faces);
  EXPECT_EQ(L"base", Text(tree, face));
  EXPECT_EQ(L"texture plaine 1", Text(tree, TreeView_GetNextSibling(tree, face)));
  ::DestroyWindow(host);
}

}  // namespace
