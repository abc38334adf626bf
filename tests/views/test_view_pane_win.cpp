// The 3D pane in a test window: its toolbar, the layout of the 3D window, the
// toolbar commands and mouse messages acting on the view and the camera, the
// selections, and the frames it draws (read back from the back buffer).
#include <gtest/gtest.h>

#include <windows.h>
#include "tests/mwWinAPI/TestWindow.h"

#include <commctrl.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/views/BackBuffer.h"
#include "views/ViewIds.h"
#include "views/ViewPane.h"

using namespace orbiform;
using namespace orbiform::views;

namespace {

constexpr std::uint32_t kBlue = 0x0000FF;

RoundObject Cylinder(unsigned points, int rings) {
  RoundObject object(points, 0);
  for (int r = 0; r < rings; ++r) object.AddArea(0, 360, r, 1.5, 1);
  object.GenerateAllPoints();
  object.SetTexture(L"no such file.bmp");
  object.AddTextureLevel();
  EXPECT_TRUE(object.ApplyTextures());
  return object;
}

HWND MakeHost() { return testui::MakeTestWindow(L"pane", 480, 520); }

class ViewPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = MakeHost();
    ASSERT_NE(host_, nullptr);
    pane_.CreatePane(::GetModuleHandleW(nullptr), host_, 0, 0, 420, 445);
    pane_.SetObjectSource([this] { return object_; });
  }
  void TearDown() override {
    pane_.DiscardView();
    ::DestroyWindow(host_);
  }

  void Show(const RoundObject& object) {
    object_ = &object;
    ASSERT_TRUE(pane_.NewView(L"no such file.bmp")) << "no Direct3D 9 device";
  }
  void Command(int id) { ::SendMessageW(pane_.Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
  void Press(int id, bool pressed) {
    ::SendMessageW(pane_.Toolbar(), TB_CHECKBUTTON, static_cast<WPARAM>(id), pressed);
    Command(id);
  }
  void Mouse(UINT message, WPARAM keys, int x, int y) {
    ::SendMessageW(pane_.RenderHandle(), message, keys, MAKELPARAM(x, y));
  }
  void Wheel(int delta, WPARAM keys) {
    ::SendMessageW(pane_.RenderHandle(), WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), MAKELPARAM(5, 5));
  }
  std::wstring Tooltip(int command) {
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = pane_.Toolbar();
    info.hdr.idFrom = static_cast<UINT_PTR>(command);
    info.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(pane_.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? info.lpszText : L"";
  }
  // Draws a frame into the back buffer and returns the pixel showing world
  // point (x, y, z), or the pixel (px, py) of the frame.
  void Draw() {
    ASSERT_TRUE(pane_.View()->DrawFrame(pane_.CameraState()));
    ASSERT_TRUE(testui::ReadBackBuffer(*pane_.View(), frame_));
  }
  std::uint32_t At(float x, float y, float z) const {
    return testui::WorldPixel(frame_, *pane_.View(), pane_.CameraState(), {x, y, z}, kBlue);
  }
  int NonBlue() const { return testui::CountOther(frame_, *pane_.View(), kBlue); }

  HWND host_ = nullptr;
  ViewPane pane_;
  const RoundObject* object_ = nullptr;
  testui::Frame frame_;
};

TEST_F(ViewPaneTest, ToolbarButtonsTooltipsAndLayout) {
  HWND toolbar = pane_.Toolbar();
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(::GetDlgCtrlID(toolbar), 1);
  EXPECT_TRUE(::GetWindowLongW(toolbar, GWL_STYLE) & TBSTYLE_FLAT);
  EXPECT_TRUE(::GetWindowLongW(toolbar, GWL_STYLE) & TBSTYLE_TOOLTIPS);
  struct Expected {
    int command;
    BYTE style;
    bool pressed;
  };
  const Expected expected[] = {
      {1128, BTNS_BUTTON, false},     {1124, BTNS_CHECK, false},     {1125, BTNS_CHECK, false},
      {1126, BTNS_CHECK, true},       {1127, BTNS_CHECK, false},     {1133, BTNS_BUTTON, false},
      {1134, BTNS_BUTTON, false},     {1129, BTNS_CHECKGROUP, true}, {1130, BTNS_CHECKGROUP, false},
      {1131, BTNS_CHECKGROUP, false}, {1132, BTNS_BUTTON, false}};
  ASSERT_EQ(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 11);
  std::vector<int> images;
  for (int i = 0; i < 11; ++i) {
    TBBUTTON button{};
    ASSERT_TRUE(::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(button.idCommand, expected[i].command) << "button " << i;
    EXPECT_EQ(button.fsStyle & (BTNS_CHECK | BTNS_GROUP), expected[i].style) << "button " << i;
    EXPECT_EQ((button.fsState & TBSTATE_CHECKED) != 0, expected[i].pressed) << "button " << i;
    EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
    images.push_back(button.iBitmap);
  }
  EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})) << "one picture per button";
  // Pressing another mode releases the first: they form one group.
  ::SendMessageW(toolbar, TB_CHECKBUTTON, 1131, TRUE);
  EXPECT_FALSE(::SendMessageW(toolbar, TB_ISBUTTONCHECKED, 1129, 0));

  EXPECT_EQ(Tooltip(1128), L"Refresh 3D-View");
  EXPECT_EQ(Tooltip(1127), L"Show selected Object face");
  EXPECT_EQ(Tooltip(1134), L"Decrease font size");

  RECT client{}, render{};
  ::GetClientRect(pane_.Handle(), &client);
  ::GetWindowRect(pane_.RenderHandle(), &render);
  ::MapWindowPoints(nullptr, pane_.Handle(), reinterpret_cast<POINT*>(&render), 2);
  EXPECT_EQ(render.left, 0);
  EXPECT_EQ(render.top, 25);
  EXPECT_EQ(render.right, client.right);
  EXPECT_EQ(render.bottom, client.bottom);
  // Squeezed below the toolbar strip it keeps one pixel.
  ::MoveWindow(pane_.Handle(), 0, 0, 300, 20, TRUE);
  ::GetClientRect(pane_.RenderHandle(), &render);
  EXPECT_EQ(render.bottom, 1);
}

TEST_F(ViewPaneTest, FramesShowTheBackgroundAloneOrTheObjectWhereItIs) {
  const RoundObject empty(12, 0);
  Show(empty);
  pane_.CameraState().distance = 10;
  Draw();
  EXPECT_EQ(NonBlue(), 0);

  const RoundObject cylinder = Cylinder(12, 3);  // 1.5 wide, 2 high from y = 0
  object_ = &cylinder;
  Command(IDM_VIEW_REFRESH);
  Draw();
  EXPECT_NE(At(0, 1, 0), kBlue);
  EXPECT_NE(At(-1.2f, 1.8f, 0), kBlue);
  EXPECT_EQ(At(0, 3, 0), kBlue);
  EXPECT_EQ(At(3, 1, 0), kBlue);
  EXPECT_EQ(frame_.At(0, 0), kBlue);

  // Faces off: nothing is left to draw.
  Press(IDM_VIEW_SHOW_FACES, false);
  Draw();
  EXPECT_EQ(NonBlue(), 0);
  // The outline alone: lines at the rings' edges, the middle of a side empty.
  Press(IDM_VIEW_SHOW_OUTLINE, true);
  Draw();
  EXPECT_GT(NonBlue(), 100);
  EXPECT_EQ(At(0.3f, 0.5f, 1.5f), kBlue);

  // An object that loses its rings shows none of its former shape.
  object_ = &empty;
  pane_.RefreshView();
  Draw();
  EXPECT_EQ(NonBlue(), 0);
}

TEST_F(ViewPaneTest, ToolbarCommandsSetFlagsModeScaleAndCentre) {
  const RoundObject cylinder = Cylinder(8, 2);
  Show(cylinder);
  RenderView& view = *pane_.View();
  EXPECT_EQ(view.DisplayFlags(), kShowFaces);
  Press(IDM_VIEW_SHOW_NUMBERS, true);
  EXPECT_EQ(view.DisplayFlags(), kShowNumbers | kShowFaces);
  Press(IDM_VIEW_SHOW_FACES, false);
  Press(IDM_VIEW_SHOW_SELECTED_FACE, true);
  Press(IDM_VIEW_SHOW_OUTLINE, true);
  EXPECT_EQ(view.DisplayFlags(), kShowNumbers | kShowOutline | kShowSelection);

  Press(IDM_VIEW_SCROLL, true);
  EXPECT_EQ(pane_.ViewMode(), IDM_VIEW_SCROLL);
  Press(IDM_VIEW_ZOOM, true);
  EXPECT_EQ(pane_.ViewMode(), IDM_VIEW_ZOOM);

  Command(IDM_VIEW_FONT_LARGER);
  EXPECT_FLOAT_EQ(view.LabelScale(), 0.2f);
  Command(IDM_VIEW_FONT_SMALLER);
  Command(IDM_VIEW_FONT_SMALLER);
  EXPECT_FLOAT_EQ(view.LabelScale(), 0.1f);
  // Single-precision steps end just above 0.05; the next one is refused.
  Command(IDM_VIEW_FONT_SMALLER);
  const float lowest = view.LabelScale();
  EXPECT_GT(lowest, 0.05f);
  EXPECT_LT(lowest, 0.0501f);
  Command(IDM_VIEW_FONT_SMALLER);
  EXPECT_EQ(view.LabelScale(), lowest);

  Camera& camera = pane_.CameraState();
  camera.rotationY = 1;
  camera.eyeX = 2;
  camera.distance = 3;
  Command(IDM_VIEW_CENTER);
  EXPECT_EQ(std::tie(camera.rotationY, camera.eyeX, camera.distance),
            std::make_tuple(0.0f, 0.0f, kInitialDistance));
}

TEST_F(ViewPaneTest, MouseMessagesMoveTheCamera) {
  const RoundObject cylinder = Cylinder(8, 2);
  Show(cylinder);
  Camera& camera = pane_.CameraState();
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 90, 100);  // left by 10
  EXPECT_FLOAT_EQ(camera.rotationY, 0.15f);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, 80, 90);
  EXPECT_FLOAT_EQ(camera.rotationZ, 0.15f);
  EXPECT_FLOAT_EQ(camera.rotationX, 0.15f);
  Mouse(WM_MOUSEMOVE, 0, 0, 0);  // no button: nothing
  EXPECT_FLOAT_EQ(camera.rotationY, 0.15f);

  // Right drag zooms in the rotate mode, scrolls with Ctrl.
  Mouse(WM_RBUTTONDOWN, MK_RBUTTON, 50, 50);
  Mouse(WM_MOUSEMOVE, MK_RBUTTON, 50, 40);
  EXPECT_FLOAT_EQ(camera.distance, 9.0f);
  Mouse(WM_MOUSEMOVE, MK_RBUTTON | MK_CONTROL, 20, 40);
  EXPECT_FLOAT_EQ(camera.eyeX, -1.0f);
  // The left button scrolls in the scroll mode.
  Press(IDM_VIEW_SCROLL, true);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 0, 0);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 0, 30);
  EXPECT_FLOAT_EQ(camera.eyeY, 1.0f);

  Wheel(120, 0);
  EXPECT_FLOAT_EQ(camera.distance, 7.8f);
  Wheel(120, MK_CONTROL);
  EXPECT_FLOAT_EQ(pane_.View()->LabelScale(), 0.175f);
  EXPECT_FLOAT_EQ(camera.distance, 7.8f);

  Mouse(WM_MBUTTONUP, 0, 0, 0);  // centres the view
  EXPECT_EQ(std::tie(camera.rotationX, camera.rotationY, camera.rotationZ, camera.eyeX, camera.eyeY),
            std::make_tuple(0.0f, 0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(camera.distance, kInitialDistance);
  EXPECT_EQ(::GetFocus(), pane_.RenderHandle());
}

TEST_F(ViewPaneTest, SelectionsOutsideTheObjectSelectNothing) {
  const RoundObject big = Cylinder(8, 4);
  Show(big);
  Press(IDM_VIEW_SHOW_SELECTED_FACE, true);
  const auto selected = [&] { return pane_.View()->Selection().vertexCount; };
  pane_.ApplySelection(Selection::Face(3));
  EXPECT_EQ(selected(), 4u);
  pane_.ApplySelection(Selection::Face(big.FaceCount()));
  EXPECT_EQ(selected(), 0u);
  pane_.ApplySelection(Selection::Layer(0));  // everything
  EXPECT_GT(selected(), 4u);
  pane_.ApplySelection(Selection::Layer(1));  // there is none
  EXPECT_EQ(selected(), 0u);
  pane_.ApplySelection(Selection::Layer(0));
  pane_.ApplySelection(Selection::FromParam(mwWinAPI::ParamOf(INTPTR_MIN)));
  EXPECT_EQ(selected(), 0u);
  pane_.SelectLayer(INT_MAX);
  EXPECT_EQ(selected(), 0u);

  // The last face selected lies beyond a smaller object: a refresh drops it.
  pane_.ApplySelection(Selection::Face(20));
  ASSERT_EQ(selected(), 4u);
  const RoundObject small = Cylinder(8, 2);
  object_ = &small;
  pane_.RefreshView();
  EXPECT_EQ(selected(), 0u);

  // With the selected face hidden a refresh leaves the slot alone; showing it
  // again rebuilds it for the current object.
  pane_.ApplySelection(Selection::Face(0));  // the base: a fan over all 8 points
  ASSERT_EQ(selected(), 8u);
  Press(IDM_VIEW_SHOW_SELECTED_FACE, false);
  const RoundObject wider = Cylinder(10, 2);
  object_ = &wider;
  pane_.RefreshView();
  Press(IDM_VIEW_SHOW_SELECTED_FACE, true);
  EXPECT_EQ(selected(), 10u);
}

}  // namespace
