// Matrix math against hand-computed matrices, and the camera's input mapping.
#include <gtest/gtest.h>

#include <cmath>

#include "views/Camera.h"
#include "views/Math3D.h"

namespace {

using namespace orbiform;
using namespace orbiform::views;

constexpr float kHalfPi = 1.5707964f;

void ExpectVector(const Vector3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

void ExpectMatrix(const Matrix& actual, const Matrix& expected) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-5f) << r << "," << c;
}

TEST(Math3D, RotationsAreLeftHandedRowVector) {
  ExpectVector(TransformCoord({1, 0, 0}, MatrixRotationY(kHalfPi)), 0, 0, -1);
  ExpectVector(TransformCoord({0, 1, 0}, MatrixRotationX(kHalfPi)), 0, 0, 1);
  ExpectVector(TransformCoord({1, 0, 0}, MatrixRotationZ(kHalfPi)), 0, 1, 0);
  // The left factor applies first.
  ExpectVector(TransformCoord({0, 0, 0}, MatrixTranslation(1, 2, 3) * MatrixScaling(2, 2, 2)), 2, 4, 6);
  ExpectVector(TransformCoord({0, 0, 0}, MatrixScaling(2, 2, 2) * MatrixTranslation(1, 2, 3)), 1, 2, 3);
  ExpectVector(TransformNormal({1, 1, 1}, MatrixTranslation(5, 5, 5) * MatrixScaling(1, 2, 3)), 1, 2, 3);
}

TEST(Math3D, LookAtAndPerspectiveMatchHandComputedMatrices) {
  // Eye (2, 3, 10) towards (2, 3, 0), up along y: x flips, z flips.
  ExpectMatrix(MatrixLookAtLH({2, 3, 10}, {2, 3, 0}, {0, 0.01f, 0}),
               {{{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {2, -3, 10, 1}}});
  const float y = 2.4142135f;  // cot(pi / 8)
  const float depth = 100.0f / 99.0f;
  ExpectMatrix(MatrixPerspectiveFovLH(0.7853982f, 2.0f, 1.0f, 100.0f),
               {{{y / 2, 0, 0, 0}, {0, y, 0, 0}, {0, 0, depth, 1}, {0, 0, -depth, 0}}});
  const Matrix projection = MatrixPerspectiveFovLH(0.7853982f, 2.0f, 1.0f, 100.0f);
  EXPECT_NEAR(TransformCoord({0, 0, 1}, projection).z, 0.0f, 1e-6f);
  EXPECT_NEAR(TransformCoord({0, 0, 100}, projection).z, 1.0f, 1e-6f);
}

TEST(Math3D, DegenerateInputGivesNoNaN) {
  ExpectVector(Normalize({0, 0, 0}), 0, 0, 0);
  const Matrix view = MatrixLookAtLH({1, 1, 0}, {1, 1, 0}, {0, 1, 0});
  for (const auto& row : view.m)
    for (float value : row) EXPECT_FALSE(std::isnan(value));
  const Matrix projection = ProjectionMatrix(640, 0);  // a window minimised to nothing
  EXPECT_FLOAT_EQ(projection.m[0][0], projection.m[1][1]);
}

TEST(Camera, TransformsFollowTheCamera) {
  Camera camera;
  camera.rotationX = kHalfPi;
  camera.rotationY = kHalfPi;
  // X first, then Y: (0, 1, 0) -> (0, 0, 1) -> (1, 0, 0).
  ExpectVector(TransformCoord({0, 1, 0}, WorldMatrix(camera)), 1, 0, 0);
  ExpectVector(TransformCoord({0, 0, 0}, ViewMatrix(camera)), 0, 0, 10);
  // Past zero distance the camera looks the other way along Z.
  camera.distance = -5;
  ExpectVector(TransformCoord({0, 0, 0}, ViewMatrix(camera)), 0, 0, 5);
}

TEST(Camera, LabelsTravelWithTheObjectButFaceTheCamera) {
  Camera camera;
  camera.rotationY = kHalfPi;
  const Matrix label = LabelMatrix(camera, {1, 0, 0}, 0.5f);
  ExpectMatrix(label, {{{-0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, -0.001f, 0}, {0, 0, -1, 1}}});
}

TEST(Camera, RotateDragUsesFifteenTimesThePixelsAndWrapsBelowZero) {
  Camera camera;
  MouseDown(camera, 100, 100);
  EXPECT_TRUE(MouseMove(camera, kModeRotate, true, false, false, 90, 100));  // 10 px left
  EXPECT_FLOAT_EQ(camera.rotationY, 0.15f);
  EXPECT_EQ(camera.rotationX, 0.0f);
  EXPECT_EQ(camera.lastX, 90);

  camera.rotationY = 0.05f;
  EXPECT_TRUE(MouseMove(camera, kModeRotate, true, false, false, 100, 100));  // 10 px right
  EXPECT_EQ(camera.rotationY, kRotationWrap);
  EXPECT_FLOAT_EQ(kRotationWrap, static_cast<float>(2 * 3.14159265358979 - 0.02));

  EXPECT_TRUE(MouseMove(camera, kModeRotate, true, false, true, 90, 90));  // Ctrl: Z instead of Y
  EXPECT_FLOAT_EQ(camera.rotationZ, 0.15f);
  EXPECT_FLOAT_EQ(camera.rotationX, 0.15f);
  EXPECT_EQ(camera.rotationY, kRotationWrap);
}

TEST(Camera, ScrollAndZoomDependOnButtonModeAndCtrl) {
  struct Case {
    int mode;
    bool left, right, ctrl;
    bool scrolls;
  };
  const Case cases[] = {
      {kModeRotate, false, true, false, false}, {kModeZoom, false, true, false, false},
      {kModeScroll, false, true, false, true},  {kModeRotate, false, true, true, true},
      {kModeZoom, true, false, false, false},   {kModeScroll, true, false, false, true},
      {kModeZoom, true, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode * 100 + c.left * 10 + c.right * 2 + c.ctrl);
    Camera camera;
    MouseDown(camera, 100, 100);
    ASSERT_TRUE(MouseMove(camera, c.mode, c.left, c.right, c.ctrl, 130, 80));
    if (c.scrolls) {
      EXPECT_FLOAT_EQ(camera.eyeX, 1.0f);
      EXPECT_FLOAT_EQ(camera.eyeY, -20 / 30.0f);
      EXPECT_EQ(camera.distance, kInitialDistance);
    } else {
      EXPECT_FLOAT_EQ(camera.distance, 8.0f);
      EXPECT_EQ(camera.eyeX, 0.0f);
    }
    EXPECT_EQ(camera.rotationY, 0.0f);
  }
  Camera camera;
  MouseDown(camera, 100, 100);
  EXPECT_FALSE(MouseMove(camera, kModeRotate, false, false, false, 50, 50));
  EXPECT_FALSE(MouseMove(camera, 0, true, false, false, 50, 50));
  EXPECT_EQ(camera.lastX, 100);
  EXPECT_EQ(camera.distance, kInitialDistance);
}

TEST(Camera, WheelZoomPassesZeroAndCentringKeepsTheLastPosition) {
  Camera camera;
  MouseWheelZoom(camera, 120, 7, 8);
  EXPECT_FLOAT_EQ(camera.distance, 8.8f);
  EXPECT_EQ(camera.lastY, 8);
  for (int i = 0; i < 8; ++i) MouseWheelZoom(camera, 120, 7, 8);
  EXPECT_NEAR(camera.distance, -0.8f, 1e-5f);
  camera.rotationX = camera.eyeX = 3;
  camera.Reset();
  EXPECT_EQ(camera.rotationX, 0.0f);
  EXPECT_EQ(camera.eyeX, 0.0f);
  EXPECT_EQ(camera.distance, kInitialDistance);
  EXPECT_EQ(camera.lastX, 7);
}

TEST(Camera, CtrlWheelLabelStepsStayStrictlyInsideTheRange) {
  float scale = kInitialLabelScale;
  for (int i = 0; i < 34; ++i) ASSERT_TRUE(WheelLabelScale(scale, 120)) << i;
  EXPECT_LT(scale, 1.0f);
  EXPECT_GT(scale, 0.99f);
  const float top = scale;
  EXPECT_FALSE(WheelLabelScale(scale, 120));
  EXPECT_EQ(scale, top);

  scale = kInitialLabelScale;
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(WheelLabelScale(scale, -120)) << i;
  EXPECT_GT(scale, 0.05f);
  EXPECT_LT(scale, 0.051f);
  EXPECT_FALSE(WheelLabelScale(scale, -120));

  // The toolbar's steps of 0.05 and direct values obey the same bounds.
  scale = 0.96f;
  EXPECT_FALSE(StepLabelScale(scale, true));
  EXPECT_TRUE(StepLabelScale(scale, false));
  EXPECT_FALSE(SetLabelScale(scale, 0.05f));
  EXPECT_FALSE(SetLabelScale(scale, 1.0));
  EXPECT_TRUE(SetLabelScale(scale, 0.0500001));
}

}  // namespace
