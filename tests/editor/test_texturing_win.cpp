// The texture window and the texture layer dialog driven with real messages:
// what the window paints where, picking and dragging corners, zoom and
// scrolling, broken bitmaps and stale selections; the dialog's field and
// command flows with scripted prompts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/MainWindow.h"
#include "editor/PrivateMessages.h"
#include "editor/TextureLayerDialog.h"
#include "editor/TextureWindow.h"
#include "editor/res/resource.h"
#include "geometry/ObjectRecipe.h"
#include "mwWinAPI/Fields.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/UserInteraction.h"
#include "tests/mwWinAPI/PumpMessages.h"
#include "tests/mwWinAPI/TempFolder.h"

using namespace orbiform;
using mwWinAPI::ScriptedInteraction;

namespace {

constexpr std::uint32_t kBlue = 0x0000FF;

// Pixel (x, y) of the test bitmap is RGB(x, y, 0x40) (components mod 256).
std::uint32_t PictureAt(int x, int y) { return ((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40; }

// A 24-bit bitmap file of that picture; a negative height writes it top-down.
std::string BitmapFile(int width, int height) {
  const int rows = height < 0 ? -height : height;
  const int stride = (width * 3 + 3) / 4 * 4;
  std::string file(54 + static_cast<std::size_t>(stride) * rows, '\0');
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<std::uint32_t>(file.size()));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<std::uint32_t>(width));
  put(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  for (int row = 0; row < rows; ++row) {
    const int y = height < 0 ? row : rows - 1 - row;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = PictureAt(x, y);
      char* p = &file[54 + static_cast<std::size_t>(row) * stride + 3 * x];
      p[0] = static_cast<char>(c & 0xFF);
      p[1] = static_cast<char>((c >> 8) & 0xFF);
      p[2] = static_cast<char>((c >> 16) & 0xFF);
    }
  }
  return file;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

// Stands in for the main window and the edit pane: records the private
// messages and passes TWM_CHANGED on to `forward` as the main window does.
class Recorder : public mwWinAPI::Window {
 public:
  Recorder() : Window(L"Recorder") {}
  std::vector<std::pair<UINT, WPARAM>> messages;
  HWND forward = nullptr;
  int Count(UINT message) const {
    int n = 0;
    for (const auto& m : messages) n += m.first == message;
    return n;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= WM_USER && message < WM_USER + 40) {
      messages.emplace_back(message, wParam);
      if (message == TWM_CHANGED && forward) ::SendMessageW(forward, TWM_CHANGED, 0, 0);
      return 0;
    }
    return Default(message, wParam, lParam);
  }
};

// The client area painted into a 32-bit memory bitmap through WM_PRINTCLIENT.
struct Picture {
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; }
};

Picture Print(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  Picture picture;
  picture.width = client.right;
  picture.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(p, p + static_cast<std::size_t>(picture.width) * picture.height);
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return picture;
}

void Pump() {
  testui::PumpUntil([] { return false; }, 20);
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class Texturing : public ::testing::Test {
 protected:
  void SetUp() override {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(MainWindow::RegisterClasses(instance));
    mwWinAPI::RegisterWindowClass(instance, L"TexturingRecorder", nullptr, nullptr, nullptr);
    main_.Create(instance, L"TexturingRecorder", L"main", WS_OVERLAPPEDWINDOW, 0, 0, 0, 800, 800, nullptr);
    texture_.Create(instance, kTextureClass, L"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 0, 0,
                    320, 320, main_.Handle());
    handler_.SetSteps(20, 20);
    handler_.SetCurrent(DefaultNewObject());
    bitmap_ = folder_.Path(L"picture.bmp");
    WriteFile(bitmap_, BitmapFile(256, 256));
    Object().SetTexture(bitmap_);
  }
  void TearDown() override {
    testui::PumpUntil([] { return false; }, 20);
  }

  RoundObject& Object() { return *handler_.Current(); }
  TextureLevel& Layer0() { return Object().GetTextureLevel(0); }
  void SelectLayer0() {
    ::SendMessageW(texture_.Handle(), TWM_SELECT, views::Selection::Layer(0).ToParam(), Handler());
  }
  LPARAM Handler() { return reinterpret_cast<LPARAM>(&handler_); }
  void Drag(POINT from, POINT to) {
    HWND w = texture_.Handle();
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(from.x, from.y));
    ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, At(to.x, to.y));
    ::SendMessageW(w, WM_LBUTTONUP, 0, At(to.x, to.y));
  }

  mwtest::TempFolder folder_;
  ScriptedInteraction script_;
  std::wstring bitmap_;
  Recorder main_;
  TextureWindow texture_;
  RoundObjectHandler handler_;
};

TEST_F(Texturing, PaintsTheBitmapAndTheCornerMarksWhereTheCoordinatesSay) {
  Layer0().coords = {{{40, 20}, {100, 20}, {100, 80}, {40, 80}}};
  SelectLayer0();
  ASSERT_TRUE(texture_.HasBitmap());
  EXPECT_EQ(texture_.StatusText(), L"xxx | 256/256");
  Picture p = Print(texture_.Handle());
  EXPECT_EQ(p.At(5, 5), PictureAt(5, 5));
  EXPECT_EQ(p.At(200, 150), PictureAt(200, 150));
  EXPECT_EQ(p.At(98, 78), kBlue);  // the mark of corner (100, 80)
  EXPECT_EQ(p.At(41, 19), kBlue);  // and of (40, 20)
  EXPECT_NE(p.At(70, 50), kBlue);  // inside the polygon: the bitmap

  texture_.SetZoom(2.0f);
  p = Print(texture_.Handle());
  EXPECT_EQ(p.At(21, 31), PictureAt(10, 15));
  EXPECT_EQ(p.At(198, 158), kBlue);  // (100, 80) at twice the distance
  EXPECT_NE(p.At(98, 78), kBlue);

  // A 256-pixel bitmap at zoom 2 outgrows the window: it scrolls, also when
  // the zoom was set before the selection.
  SelectLayer0();
  ASSERT_GT(texture_.MaxScroll().y, 100);
  ::SendMessageW(texture_.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  ::SendMessageW(texture_.Handle(), WM_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(texture_.Scroll().x, 50);
  EXPECT_EQ(texture_.Scroll().y, 10);
  EXPECT_EQ(::GetScrollPos(texture_.Handle(), SB_VERT), 20);
  p = Print(texture_.Handle());
  EXPECT_EQ(p.At(198 - 50, 158 - 10), kBlue);
  EXPECT_EQ(p.At(11, 11), PictureAt(30, 10));
  for (int i = 0; i < 3; ++i) ::SendMessageW(texture_.Handle(), WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(texture_.Scroll().y, -10);  // ten pixels before the bitmap at most
  EXPECT_EQ(::GetScrollPos(texture_.Handle(), SB_VERT), 0);
}

TEST_F(Texturing, PicksTheLastCornerWithinReachAndStoresTheDrag) {
  Layer0().coords = {{{100, 100}, {13, 6}, {18, 4}, {100, 120}}};
  texture_.SetZoom(2.0f);
  SelectLayer0();
  // (20, 8) is bitmap (10, 4): (13, 6) is within reach, (18, 4) exactly 8 away is not.
  Drag({20, 8}, {40, 30});
  EXPECT_EQ(Layer0().coords[1], (TexCoord{20, 15}));
  EXPECT_EQ(Layer0().coords[2], (TexCoord{18, 4}));
  ASSERT_EQ(main_.Count(TWM_CHANGED), 1);
  EXPECT_EQ(main_.messages.back().second, 1u);
  EXPECT_TRUE(handler_.CanUndo());

  // Two corners within reach: the later one moves. Outside the window the
  // position is clamped to the bitmap's edge, never negative.
  Layer0().coords = {{{100, 100}, {13, 6}, {12, 5}, {100, 120}}};
  SelectLayer0();
  Drag({20, 8}, {-30, -40});
  EXPECT_EQ(Layer0().coords[1], (TexCoord{13, 6}));
  EXPECT_EQ(Layer0().coords[2], (TexCoord{0, 0}));

  // A click without a move keeps the history.
  handler_.ResetHistory();
  main_.messages.clear();
  Drag({200, 200}, {200, 200});
  EXPECT_FALSE(handler_.CanUndo());
  EXPECT_EQ(main_.Count(TWM_CHANGED), 0);

  // A face corner goes through the faces.
  ASSERT_TRUE(Object().ApplyTextures());
  Object().SetTexCoordinate(1, 0, 30, 30);
  ::SendMessageW(texture_.Handle(), TWM_SELECT, 1, Handler());
  ASSERT_FALSE(texture_.Corners().empty());
  Drag({60, 60}, {80, 100});
  EXPECT_EQ(Object().GetTexCoordinate(1, 0), (TexCoord{40, 50}));
  // (a face corner: only the view's faces are rebuilt)
  EXPECT_EQ(main_.messages.back(), std::make_pair(TWM_CHANGED, kChangedTexturing));
}

TEST_F(Texturing, ZoomsOncePerRightButtonPressWithinBoundsAndShowsThePixel) {
  SelectLayer0();
  HWND w = texture_.Handle();
  ::SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, At(50, 50));
  ::SendMessageW(w, WM_MOUSEMOVE, MK_RBUTTON, At(50, 40));
  ::SendMessageW(w, WM_MOUSEMOVE, MK_RBUTTON, At(50, 30));
  EXPECT_FLOAT_EQ(texture_.Zoom(), 2.0f);
  ::SendMessageW(w, WM_RBUTTONUP, 0, At(50, 30));
  ::SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, At(50, 50));
  ::SendMessageW(w, WM_MOUSEMOVE, MK_RBUTTON, At(50, 60));
  EXPECT_FLOAT_EQ(texture_.Zoom(), 1.0f);
  ::SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(10, 10));
  EXPECT_FLOAT_EQ(texture_.Zoom(), 1.1f);

  for (int i = 0; i < 200; ++i) ::SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(10, 10));
  EXPECT_FLOAT_EQ(texture_.Zoom(), TextureWindow::kMaxZoom);
  RECT client{};
  ::GetClientRect(w, &client);
  EXPECT_EQ(texture_.MaxScroll().x, 256 * 16 - client.right + 10);
  for (int i = 0; i < 200; ++i)
    ::SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), At(10, 10));
  EXPECT_FLOAT_EQ(texture_.Zoom(), TextureWindow::kMinZoom);

  texture_.SetZoom(1.0f);
  Layer0().coords = {{{118, 62}, {200, 0}, {200, 200}, {0, 200}}};
  SelectLayer0();
  ::SendMessageW(w, WM_MOUSEMOVE, 0, At(120, 64));
  EXPECT_EQ(texture_.StatusText(), L" <<120/64>> | 256/256");
  ::SendMessageW(w, WM_MOUSEMOVE, 0, At(150, 64));
  EXPECT_EQ(texture_.StatusText(), L" 150/64 | 256/256");
  ::SendMessageW(w, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(texture_.StatusText(), L"xxx | 256/256");
}

TEST_F(Texturing, BrokenBitmapsAndStaleSelectionsShowNothingWrong) {
  std::string broken = BitmapFile(64, 64);
  broken[10] = '\x7F';  // pixels said to start near the end
  broken[11] = '\x30';
  WriteFile(bitmap_, broken);
  SelectLayer0();
  EXPECT_FALSE(texture_.HasBitmap());
  EXPECT_EQ(texture_.StatusText(), mwWinAPI::StringTable().LoadS(IDS_BITMAP_NOT_LOADED));
  EXPECT_EQ(texture_.Corners().size(), 4u);  // the corners are still shown
  Print(texture_.Handle());

  ::SendMessageW(texture_.Handle(), TWM_SELECT, views::Selection::Layer(5).ToParam(), Handler());
  EXPECT_EQ(texture_.Selection(), views::Selection::None());
  EXPECT_TRUE(texture_.Corners().empty());
  Object().SetTexCoordsValid(false);
  Layer0().endPoint = 999;  // cannot be applied: the faces stay invalid
  ::SendMessageW(texture_.Handle(), TWM_SELECT, 3, Handler());
  EXPECT_EQ(texture_.Selection(), views::Selection::None());
  SelectLayer0();
  handler_.ClearAll();
  ::SendMessageW(texture_.Handle(), TWM_RELOAD, 0, 0);
  EXPECT_TRUE(texture_.Corners().empty());
  Print(texture_.Handle());
  EXPECT_TRUE(script_.prompts.empty());  // no critical error box

  ::DestroyWindow(texture_.Handle());
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Every Apply, Undo and drag selects again: the bitmap is not decoded again.
TEST_F(Texturing, SelectingAgainDoesNotDecodeTheBitmapAgain) {
  SelectLayer0();
  ASSERT_TRUE(texture_.HasBitmap());
  const std::size_t decodes = SharedBitmapDecodes();
  SelectLayer0();
  EXPECT_EQ(SharedBitmapDecodes(), decodes);
}

// The dialog as a child of a stand-in edit pane whose parent records what
// the main window would be told.
class LayerDialogTest : public Texturing {
 protected:
  void SetUp() override {
    Texturing::SetUp();
    pane_.Create(::GetModuleHandleW(nullptr), L"TexturingRecorder", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 300,
                 350, main_.Handle());
    dialog_ = CreateLayerDialog(::GetModuleHandleW(nullptr), pane_.Handle(), handler_, tree_);
    ASSERT_TRUE(dialog_->Handle());
    ASSERT_TRUE(Object().ApplyTextures());
  }
  HWND D() { return dialog_->Handle(); }
  std::wstring Text(int id) { return mwWinAPI::GetItemText(D(), id); }
  void Type(int id, const std::wstring& text) {
    mwWinAPI::SetItemText(D(), id, text);
    ::SendMessageW(D(), WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(dialog_->Item(id)));
  }
  void Click(int id) {
    ::SendMessageW(D(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog_->Item(id)));
  }
  bool Visible(int id) { return (::GetWindowLongW(dialog_->Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  std::wstring LastPrompt() { return script_.prompts.empty() ? L"" : script_.prompts.back().text; }
  std::wstring String(unsigned id) { return mwWinAPI::StringTable().LoadS(id); }

  Recorder pane_;
  TreePane tree_;
  std::unique_ptr<TextureLayerDialog> dialog_;
};

TEST_F(LayerDialogTest, LayerFieldsAreCheckedBeforeAnythingChanges) {
  ::SendMessageW(D(), TWM_SELECT_LAYER, 0, 0);
  EXPECT_TRUE(Visible(IDC_LAYER_APPLY));
  EXPECT_FALSE(Visible(IDC_LAYER_SAME_FOR_ALL));
  EXPECT_EQ(Text(IDC_LAYER_X), L"0");
  EXPECT_EQ(Text(IDC_LAYER_TO_PLAIN), std::to_wstring(Layer0().endArea));

  // Leaving fields unchanged (tabbing through) records nothing.
  Type(IDC_LAYER_X, Text(IDC_LAYER_X));
  Type(IDC_LAYER_FROM_POINT, Text(IDC_LAYER_FROM_POINT));
  EXPECT_FALSE(handler_.CanUndo());
  EXPECT_TRUE(main_.messages.empty());

  // A plain beyond the count is refused with the old range back; a good
  // plain range with a bad point range changes neither.
  const TextureLevel before = Layer0();
  Type(IDC_LAYER_TO_PLAIN, L"99");
  EXPECT_EQ(LastPrompt(), String(IDS_PLAIN_RANGE));
  EXPECT_EQ(Text(IDC_LAYER_TO_PLAIN), std::to_wstring(before.endArea));
  mwWinAPI::SetItemText(D(), IDC_LAYER_FROM_PLAIN, L"1");
  Type(IDC_LAYER_TO_POINT, L"999");
  EXPECT_EQ(LastPrompt(), String(IDS_POINT_RANGE));
  EXPECT_EQ(Layer0().startArea, before.startArea);
  EXPECT_EQ(Layer0().endPoint, before.endPoint);
  EXPECT_FALSE(handler_.CanUndo());

  // A negative coordinate is refused; a good one goes into the layer.
  Type(IDC_LAYER_X, L"-5");
  EXPECT_EQ(LastPrompt(), String(IDS_COORDINATE_REFUSED));
  EXPECT_EQ(Text(IDC_LAYER_X), L"0");
  EXPECT_EQ(Layer0().coords[0].first, 0);
  ::SendMessageW(dialog_->Item(IDC_LAYER_CORNERS), LB_SETCURSEL, 2, 0);
  ::SendMessageW(D(), WM_COMMAND, MAKEWPARAM(IDC_LAYER_CORNERS, LBN_SELCHANGE), 0);
  Type(IDC_LAYER_Y, L"77");
  EXPECT_EQ(Layer0().coords[2].second, 77);
  EXPECT_TRUE(handler_.CanUndo());
  Pump();
  EXPECT_EQ(main_.Count(TWM_RELOAD), 1);

  // A typed value still pending is applied when the selection changes.
  // The reload names the new selection, so the texture window stays on it.
  mwWinAPI::SetItemText(D(), IDC_LAYER_X, L"33");
  ::SendMessageW(D(), TWM_SELECT, 1, 0);
  EXPECT_EQ(Layer0().coords[2].first, 33);
  Pump();
  EXPECT_EQ(main_.messages.back(), std::make_pair(TWM_RELOAD, WPARAM{1}));
  EXPECT_TRUE(Visible(IDC_LAYER_SAME_FOR_ALL));
  EXPECT_FALSE(Visible(IDC_LAYER_APPLY));

  // Apply with a layer that does not fit: string 156.
  ::SendMessageW(D(), TWM_SELECT_LAYER, 0, 0);
  Layer0().endPoint = 999;
  Click(IDC_LAYER_APPLY);
  EXPECT_EQ(LastPrompt(), String(IDS_LAYER_NOT_APPLIED));
}

TEST_F(LayerDialogTest, FacesBitmapAndDeleteKey) {
  ::SendMessageW(D(), TWM_SELECT, 2, 0);
  Type(IDC_LAYER_X, L"12");
  EXPECT_EQ(Object().GetTexCoordinate(2, 0).first, 12);
  mwWinAPI::SetItemText(D(), IDC_LAYER_Y, L"9");
  Click(IDC_LAYER_SAME_FOR_ALL);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(Object().GetTexCoordinate(2, i), (TexCoord{12, 9}));

  // A face while the coordinates are stale: nothing to edit, no error.
  Object().SetTexCoordsValid(false);
  ::SendMessageW(D(), TWM_SELECT, 3, 0);
  EXPECT_EQ(::SendMessageW(dialog_->Item(IDC_LAYER_CORNERS), LB_GETCOUNT, 0, 0), 0);
  EXPECT_FALSE(::IsWindowEnabled(dialog_->Item(IDC_LAYER_X)));
  ASSERT_TRUE(Object().ApplyTextures());

  // Browse sets the bitmap; Auto coordinates take its size (top-down too).
  const std::wstring topDown = folder_.Path(L"top-down.bmp");
  WriteFile(topDown, BitmapFile(40, -24));
  script_.pathAnswers.push_back(topDown);
  ::SendMessageW(D(), TWM_SELECT_LAYER, 0, 0);
  Click(IDC_LAYER_BROWSE);
  EXPECT_EQ(Object().Texture(), topDown);
  EXPECT_EQ(Text(IDC_LAYER_TEXTURE), topDown);
  Click(IDC_LAYER_AUTO);
  EXPECT_EQ(Layer0().coords, (std::array<TexCoord, 4>{{{0, 0}, {40, 0}, {40, 24}, {0, 24}}}));
  Object().SetTexture(folder_.Path(L"missing.bmp"));
  Layer0().coords[1] = {5, 5};
  Click(IDC_LAYER_AUTO);
  EXPECT_EQ(Layer0().coords[1], (TexCoord{5, 5}));

  // Delete: the base face once, the top face, then the layer.
  ::SendMessageW(D(), TWM_SELECT, 0, 0);
  ::SendMessageW(D(), TWM_DELETE_KEY, 0, 0);
  EXPECT_EQ(Object().GrundDeckFl(), 2);
  handler_.ResetHistory();
  ::SendMessageW(D(), TWM_DELETE_KEY, 0, 0);
  EXPECT_FALSE(handler_.CanUndo());
  ::SendMessageW(D(), TWM_SELECT, Object().FaceCount() - 1, 0);
  ::SendMessageW(D(), TWM_DELETE_KEY, 0, 0);
  EXPECT_EQ(Object().GrundDeckFl(), 0);
  const std::size_t layers = Object().TextureLevelCount();
  ::SendMessageW(D(), TWM_SELECT_LAYER, 0, 0);
  Pump();
  main_.messages.clear();
  ::SendMessageW(D(), TWM_DELETE_KEY, 0, 0);
  EXPECT_EQ(Object().TextureLevelCount(), layers - 1);
  Pump();
  EXPECT_EQ(main_.Count(TWM_REFRESH), 1);
  EXPECT_EQ(main_.Count(TWM_SELECT), 1);
  ASSERT_EQ(script_.prompts.size(), 1u);  // no refusal for the fields left empty
  EXPECT_EQ(script_.prompts[0].kind, L"OpenFileName");
}

TEST_F(LayerDialogTest, DraggingACornerUpdatesTheDialog) {
  main_.forward = D();
  Layer0().coords = {{{10, 10}, {90, 10}, {90, 90}, {10, 90}}};
  ::SendMessageW(D(), TWM_SELECT_LAYER, 0, 0);
  ::SendMessageW(dialog_->Item(IDC_LAYER_CORNERS), LB_SETCURSEL, 1, 0);
  ::SendMessageW(D(), WM_COMMAND, MAKEWPARAM(IDC_LAYER_CORNERS, LBN_SELCHANGE), 0);
  SelectLayer0();
  Drag({90, 10}, {120, 30});
  EXPECT_EQ(Layer0().coords[1], (TexCoord{120, 30}));
  EXPECT_EQ(Text(IDC_LAYER_X), L"120");
  EXPECT_EQ(Text(IDC_LAYER_Y), L"30");
}

}  // namespace

namespace {

// A corner drag in the editor itself: the texture window tells the main
// window, which rebuilds the 3D view and counts the project as changed.
TEST(TexturingInTheEditor, ACornerDragChangesTheProject) {
  mwtest::TempFolder folder;
  ScriptedInteraction script;
  const std::wstring bitmap = folder.Path(L"picture.bmp");
  WriteFile(bitmap, BitmapFile(1024, 1024));
  ASSERT_TRUE(MainWindow::RegisterClasses(::GetModuleHandleW(nullptr)));
  HWND active = nullptr;
  MainWindow window(&active);
  window.SetDialogs({[](HWND, Options&) { return true; }, nullptr, nullptr, nullptr});
  window.SetWizard([bitmap](HWND, std::unique_ptr<RoundObject>) {
    std::unique_ptr<RoundObject> object = ShapeObject(nullptr, false, 10, 0);
    for (int plain = 0; plain < 5; ++plain) AddPlain(*object, PlainValues{plain * 2.0, 1, 1, 0, 360});
    GenerateRings(*object);
    FinishObject(*object, 0, {TexCoord{0, 0}, TexCoord{1000, 0}, TexCoord{1000, 1000}, TexCoord{0, 1000}});
    object->SetTexture(bitmap);
    return object;
  });
  window.CreateMain(::GetModuleHandleW(nullptr), folder.Path(L"options.xml"));
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SendMessageW(window.Handle(), WM_COMMAND, IDM_NEW, 0);
  ASSERT_TRUE(testui::PumpUntil([&] { return !window.Loading() && window.View().View(); }));
  RoundObject& object = *window.Handler().Current();
  object.SetTexCoordinate(1, 0, 30, 30);
  HWND texture = window.Texture().Handle();
  ::SendMessageW(texture, TWM_SELECT, 1, reinterpret_cast<LPARAM>(&window.Handler()));
  testui::PumpUntil([] { return false; }, 200);

  ::SendMessageW(texture, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 30));
  ::SendMessageW(texture, WM_MOUSEMOVE, MK_LBUTTON, At(50, 60));
  ::SendMessageW(texture, WM_LBUTTONUP, 0, At(50, 60));
  EXPECT_EQ(object.GetTexCoordinate(1, 0), (TexCoord{50, 60}));
  EXPECT_TRUE(window.Modified());
  window.Handler().ResetHistory();
  ::DestroyWindow(window.Handle());
  testui::PumpUntil([] { return false; }, 20);
}

}  // namespace
