// The Direct3D 9 scene in a plain window: frames are read back from the
// back buffer and checked pixel by pixel.
#include <gtest/gtest.h>

#include "tests/mwWinAPI/TestWindow.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "tests/views/BackBuffer.h"
#include "views/RenderView.h"

using namespace orbiform;
using namespace orbiform::views;

namespace {

constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFF0000;

HWND MakeWindow() { return testui::MakeTestWindow(L"3D", 420, 420); }

// A square of side 2h at (cx, cy, 0) facing the camera.
void Square(float cx, float cy, float h, std::vector<TexturedPoint>& v, Indices& ix) {
  const auto base = static_cast<std::uint16_t>(v.size());
  v.push_back({cx - h, cy - h, 0, 0, 0, 1, 0, 1});
  v.push_back({cx + h, cy - h, 0, 0, 0, 1, 1, 1});
  v.push_back({cx + h, cy + h, 0, 0, 0, 1, 1, 0});
  v.push_back({cx - h, cy + h, 0, 0, 0, 1, 0, 0});
  for (const int i : {0, 2, 1, 0, 3, 2}) ix.push_back(static_cast<std::uint16_t>(base + i));
}

// A 4 x 4 24-bit bitmap of one colour.
std::wstring WriteBitmap(const char* name, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::string data = {'B', 'M'};
  const auto put32 = [&](std::uint32_t x) {
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>(x >> (8 * i)));
  };
  const auto put16 = [&](std::uint16_t x) {
    data.push_back(static_cast<char>(x));
    data.push_back(static_cast<char>(x >> 8));
  };
  put32(54 + 48);
  put32(0);
  put32(54);
  put32(40);
  put32(4);
  put32(4);
  put16(1);
  put16(24);
  for (int i = 0; i < 6; ++i) put32(0);
  for (int p = 0; p < 16; ++p) data += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
  std::ofstream(name, std::ios::binary) << data;
  return std::wstring(name, name + std::strlen(name));
}

class RenderViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = MakeWindow();
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(view_.InitView(window_, L"no such file.bmp")) << "no Direct3D 9 device";
    Square(0, 0, 1.5f, faces_, faceIndices_);
    Square(3, 2, 0.5f, selection_, selectionIndices_);  // left of centre and up on screen
    outline_ = {{-3, -2.5, 0, 0, 0, 1}, {3, -2.5, 0, 0, 0, 1}};
    outlineIndices_ = {0, 1};
  }
  void TearDown() override {
    view_.ReleaseAll();
    if (window_) ::DestroyWindow(window_);
  }

  void ShowAll() {
    ASSERT_TRUE(view_.SetFaceGeometry(faces_, faceIndices_));
    ASSERT_TRUE(view_.SetOutlineGeometry(outline_, outlineIndices_));
    ASSERT_TRUE(view_.SetSelectionGeometry(selection_, selectionIndices_));
  }

  // Draws a frame and keeps the back buffer's pixels (0xRRGGBB); presenting
  // would discard them.
  void Render() {
    ASSERT_TRUE(view_.DrawFrame(camera_));
    testui::Frame frame;
    ASSERT_TRUE(testui::ReadBackBuffer(view_, frame));
    pixels_ = std::move(frame.pixels);
    width_ = frame.width;
    height_ = frame.height;
  }

  // The back-buffer pixel showing world point (x, y, z).
  std::uint32_t At(float x, float y, float z = 0) const {
    RECT client{};
    ::GetClientRect(window_, &client);
    const Matrix all =
        WorldMatrix(camera_) * ViewMatrix(camera_) * ProjectionMatrix(client.right, client.bottom);
    const Vector3 p = TransformCoord({x, y, z}, all);
    const RECT frame = view_.FrameRect();  // the client area's size, top left
    const int px = static_cast<int>((p.x + 1) / 2 * frame.right),
              py = static_cast<int>((1 - p.y) / 2 * frame.bottom);
    if (px < 0 || py < 0 || px >= frame.right || py >= frame.bottom) return kBlue;
    return pixels_[static_cast<std::size_t>(py) * width_ + px];
  }
  // Pixels other than the background along a short vertical stretch, for thin lines.
  int NonBlueNear(float x, float y) const {
    int n = 0;
    for (float d = -0.1f; d <= 0.1f; d += 0.005f) n += At(x, y + d) != kBlue;
    return n;
  }
  int NonBlue() const {
    int n = 0;
    const RECT frame = view_.FrameRect();
    for (int y = 0; y < frame.bottom; ++y)
      for (int x = 0; x < frame.right; ++x) n += pixels_[static_cast<std::size_t>(y) * width_ + x] != kBlue;
    return n;
  }

  HWND window_ = nullptr;
  RenderView view_;
  Camera camera_;
  std::vector<TexturedPoint> faces_, selection_;
  Indices faceIndices_, selectionIndices_;
  std::vector<Point> outline_;
  Indices outlineIndices_;
  std::vector<std::uint32_t> pixels_;
  int width_ = 0, height_ = 0;
};

TEST_F(RenderViewTest, AnEmptyObjectShowsTheBackgroundAlone) {
  EXPECT_TRUE(view_.SetFaceGeometry({}, {}));
  EXPECT_TRUE(view_.SetOutlineGeometry({}, {}));
  view_.SetDisplayFlags(15);
  Render();
  ASSERT_FALSE(pixels_.empty());
  EXPECT_EQ(NonBlue(), 0);
}

TEST_F(RenderViewTest, DisplayFlagsSwitchFacesSelectionAndOutline) {
  ShowAll();
  view_.SetDisplayFlags(kShowFaces);
  Render();
  EXPECT_EQ(At(0, 0), kWhite) << "untextured, fully lit";
  EXPECT_EQ(At(-1.4f, 1.4f), kWhite);
  EXPECT_EQ(At(0, 2.2f), kBlue);
  EXPECT_EQ(At(3, 2), kBlue);
  EXPECT_EQ(NonBlueNear(0, -2.5f), 0);

  view_.SetDisplayFlags(kShowSelection);
  Render();
  EXPECT_EQ(At(0, 0), kBlue);
  EXPECT_EQ(At(3, 2), kWhite);

  view_.SetDisplayFlags(kShowOutline);
  Render();
  EXPECT_EQ(At(0, 0), kBlue);
  EXPECT_GT(NonBlueNear(0, -2.5f), 0);
  EXPECT_GT(NonBlueNear(2.5f, -2.5f), 0);

  // Turned half round about Y the square shows its back: culled.
  view_.SetDisplayFlags(kShowFaces);
  camera_.rotationY = 3.1415927f;
  Render();
  EXPECT_EQ(At(0, 0), kBlue);
}

TEST_F(RenderViewTest, TheTextureColoursTheFacesAndAMissingBitmapLeavesThemUntextured) {
  ShowAll();
  view_.SetDisplayFlags(kShowFaces);
  ASSERT_TRUE(view_.LoadTexture(WriteBitmap("red.bmp", 255, 0, 0)));
  Render();
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_FALSE(view_.LoadTexture(L"missing.bmp"));
  EXPECT_FALSE(view_.HasTexture());
  Render();
  EXPECT_EQ(At(0, 0), kWhite);
  std::remove("red.bmp");
}

TEST_F(RenderViewTest, AFailedUploadEmptiesItsSlotAndTheOthersStillDraw) {
  ShowAll();
  IDirect3DVertexBuffer9* before = view_.Faces().vertices.Get();
  ASSERT_TRUE(view_.SetFaceGeometry(faces_, faceIndices_));
  EXPECT_EQ(view_.Faces().vertices.Get(), before) << "a buffer large enough is reused";

  Indices beyond = selectionIndices_;
  beyond[1] = 4;  // one past the last vertex
  EXPECT_FALSE(view_.SetSelectionGeometry(selection_, beyond));
  EXPECT_EQ(view_.Selection().vertexCount, 0u);
  EXPECT_FALSE(view_.SetOutlineGeometry(std::vector<Point>(65537), {0, 1}));
  EXPECT_EQ(view_.Outline().vertexCount, 0u);
  EXPECT_TRUE(view_.Ready());
  view_.SetDisplayFlags(15);
  Render();
  EXPECT_EQ(At(0, 0), kWhite);
  EXPECT_EQ(At(3, 2), kBlue);
  EXPECT_EQ(NonBlueNear(0, -2.5f), 0);
}

TEST_F(RenderViewTest, NumbersAreMadeOnlyWhenShownAndStandAtTheirPoints) {
  ShowAll();
  Point at{};
  at.x = 3;
  at.y = -1;
  view_.RebuildLabels({{L"8", at}, {L"10", Point{}}});
  ASSERT_TRUE(view_.SetLabelScale(0.9));
  EXPECT_FALSE(view_.SetLabelScale(1.0));
  EXPECT_FLOAT_EQ(view_.LabelScale(), 0.9f);
  view_.SetDisplayFlags(kShowOutline);
  Render();
  EXPECT_EQ(view_.LabelMeshCount(), 0u);

  view_.SetDisplayFlags(kShowNumbers);
  Render();
  EXPECT_EQ(view_.LabelMeshCount(), 10u);
  // The "8" runs to the right on screen (towards -x) and up from its point.
  int lit = 0;
  for (float x = 2.9f; x > 2.4f; x -= 0.02f)
    for (float y = -0.95f; y < -0.4f; y += 0.02f) lit += At(x, y) != kBlue;
  EXPECT_GT(lit, 60);
  EXPECT_EQ(At(3.5f, -0.6f), kBlue) << "nothing left of its point";
  EXPECT_EQ(At(3, -2), kBlue);
}

TEST_F(RenderViewTest, RecoveryRestoresFacesOutlineTextureAndNumbersButNotTheSelection) {
  ShowAll();
  ASSERT_TRUE(view_.LoadTexture(WriteBitmap("green.bmp", 0, 255, 0)));
  Point at{};
  at.x = 3;
  at.y = -1;
  view_.RebuildLabels({{L"8", at}});
  ASSERT_TRUE(view_.SetLabelScale(0.9));
  view_.SetDisplayFlags(15);
  ASSERT_TRUE(view_.Recover());
  EXPECT_TRUE(view_.Ready());
  EXPECT_EQ(view_.Selection().vertexCount, 0u);
  Render();
  EXPECT_EQ(At(0, 0), 0x00FF00u);
  EXPECT_EQ(At(3, 2), kBlue);
  EXPECT_GT(NonBlueNear(2.5f, -2.5f), 0);
  // The number takes the colour the bound face texture gives untextured
  // geometry: its texel at (0, 0).
  int lit = 0, green = 0;
  for (float x = 2.9f; x > 2.4f; x -= 0.02f)
    for (float y = -0.95f; y < -0.4f; y += 0.02f) {
      lit += At(x, y) != kBlue;
      green += At(x, y) == 0x00FF00u;
    }
  EXPECT_GT(lit, 60);
  EXPECT_EQ(green, lit);
  std::remove("green.bmp");
}

TEST(DeviceCreation, FallsBackToSoftwareVertexProcessingAndNamesFourCodes) {
  std::vector<DWORD> tried;
  const HRESULT result = CreateWithFallback([&](DWORD behaviour) {
    tried.push_back(behaviour);
    return behaviour == D3DCREATE_HARDWARE_VERTEXPROCESSING ? D3DERR_NOTAVAILABLE : S_OK;
  });
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(tried,
            (std::vector<DWORD>{D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING}));
  tried.clear();
  EXPECT_EQ(CreateWithFallback([&](DWORD b) {
              tried.push_back(b);
              return S_OK;
            }),
            S_OK);
  EXPECT_EQ(tried.size(), 1u);

  EXPECT_STREQ(DeviceErrorName(D3DERR_OUTOFVIDEOMEMORY), L"D3DERR_OUTOFVIDEOMEMORY");
  EXPECT_STREQ(DeviceErrorName(D3DERR_DEVICELOST), L"D3DERR_DEVICELOST");
  EXPECT_STREQ(DeviceErrorName(D3DERR_NOTAVAILABLE), L"D3DERR_NOTAVAILABLE");
  EXPECT_STREQ(DeviceErrorName(D3DERR_INVALIDCALL), L"D3DERR_INVALIDCALL");
  EXPECT_EQ(DeviceErrorName(E_OUTOFMEMORY), nullptr);
}

}  // namespace
