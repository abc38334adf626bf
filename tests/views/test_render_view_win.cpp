// The Direct3D 9 scene in a plain window: frames are read back from the
// back buffer and checked pixel by pixel.
#include <gtest/gtest.h>

#include "tests/mwWinAPI/TestWindow.h"

#include <cstdio>
#include <utility>

#include "tests/files/BmpFiles.h"
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

  // Draws a frame and keeps the back buffer's pixels; presenting would
  // discard them.
  void Render() {
    ASSERT_TRUE(view_.DrawFrame(camera_));
    ASSERT_TRUE(testui::ReadBackBuffer(view_, frame_));
  }
  // The pixel showing world point (x, y, z).
  std::uint32_t At(float x, float y, float z = 0) const {
    return testui::WorldPixel(frame_, view_, camera_, {x, y, z}, kBlue);
  }
  // Pixels other than the background along a short vertical stretch, for thin lines.
  int NonBlueNear(float x, float y) const {
    int n = 0;
    for (float d = -0.1f; d <= 0.1f; d += 0.005f) n += At(x, y + d) != kBlue;
    return n;
  }
  int NonBlue() const { return testui::CountOther(frame_, view_, kBlue); }
  // Pixels of the label "8" standing at (3, -1), and those of them in `colour`.
  std::pair<int, int> LabelPixels(std::uint32_t colour) const {
    int lit = 0, inColour = 0;
    for (float x = 2.9f; x > 2.4f; x -= 0.02f)
      for (float y = -0.95f; y < -0.4f; y += 0.02f) {
        lit += At(x, y) != kBlue;
        inColour += At(x, y) == colour;
      }
    return {lit, inColour};
  }

  HWND window_ = nullptr;
  RenderView view_;
  Camera camera_;
  std::vector<TexturedPoint> faces_, selection_;
  Indices faceIndices_, selectionIndices_;
  std::vector<Point> outline_;
  Indices outlineIndices_;
  testui::Frame frame_;
};

TEST_F(RenderViewTest, AnEmptyObjectShowsTheBackgroundAlone) {
  EXPECT_TRUE(view_.SetFaceGeometry({}, {}));
  EXPECT_TRUE(view_.SetOutlineGeometry({}, {}));
  view_.SetDisplayFlags(15);
  Render();
  ASSERT_FALSE(frame_.pixels.empty());
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
  ASSERT_TRUE(view_.LoadTexture(bmptest::WriteBmp("red.bmp", bmptest::Solid(4, 4, 255, 0, 0))));
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
  view_.RebuildLabels({{L"8", Point{3, -1, 0}}, {L"10", Point{}}});
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
  EXPECT_GT(LabelPixels(kWhite).first, 60);
  EXPECT_EQ(At(3.5f, -0.6f), kBlue) << "nothing left of its point";
  EXPECT_EQ(At(3, -2), kBlue);
}

TEST_F(RenderViewTest, RecoveryRestoresFacesOutlineTextureAndNumbersButNotTheSelection) {
  ShowAll();
  ASSERT_TRUE(view_.LoadTexture(bmptest::WriteBmp("green.bmp", bmptest::Solid(4, 4, 0, 255, 0))));
  view_.RebuildLabels({{L"8", Point{3, -1, 0}}});
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
  const auto [lit, green] = LabelPixels(0x00FF00u);
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
