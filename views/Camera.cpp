// Camera matrices and the input mapping of the 3D view.
#include "views/Camera.h"

namespace orbiform::views {

namespace {

constexpr float kFieldOfView = 0.7853982f;  // pi / 4
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 100.0f;
constexpr int kDragFactor = 15;

void WrapBelowZero(float& angle) {
  if (angle < 0.0f) angle = kRotationWrap;
}

}  // namespace

void Camera::Reset() {
  rotationX = rotationY = rotationZ = 0;
  eyeX = eyeY = 0;
  distance = kInitialDistance;
}

Matrix WorldMatrix(const Camera& camera) {
  return MatrixRotationX(camera.rotationX) * MatrixRotationY(camera.rotationY) *
         MatrixRotationZ(camera.rotationZ);
}

Matrix ViewMatrix(const Camera& camera) {
  return MatrixLookAtLH({camera.eyeX, camera.eyeY, camera.distance}, {camera.eyeX, camera.eyeY, 0.0f},
                        {0.0f, 0.01f, 0.0f});
}

Matrix ProjectionMatrix(int clientWidth, int clientHeight) {
  const float aspect = clientWidth > 0 && clientHeight > 0
                           ? static_cast<float>(clientWidth) / static_cast<float>(clientHeight)
                           : 1.0f;
  return MatrixPerspectiveFovLH(kFieldOfView, aspect, kNearPlane, kFarPlane);
}

Matrix LabelMatrix(const Camera& camera, const Vector3& position, float labelScale) {
  const Matrix placed = MatrixTranslation(position.x, position.y, position.z) * WorldMatrix(camera);
  Matrix label = MatrixScaling(labelScale, labelScale, 0.001f) * MatrixRotationY(3.14159265f);
  for (int column = 0; column < 4; ++column) label.m[3][column] = placed.m[3][column];
  return label;
}

void MouseDown(Camera& camera, std::int16_t x, std::int16_t y) {
  camera.lastX = x;
  camera.lastY = y;
}

bool MouseMove(Camera& camera, int viewMode, bool left, bool right, bool ctrl, std::int16_t x,
               std::int16_t y) {
  if (left && viewMode == kModeRotate) {
    const int dx = (camera.lastX - x) * kDragFactor;
    const int dy = (camera.lastY - y) * kDragFactor;
    camera.rotationX = static_cast<float>(camera.rotationX + dy / 1000.0);
    if (ctrl) {
      camera.rotationZ = static_cast<float>(camera.rotationZ + dx / 1000.0);
    } else {
      camera.rotationY = static_cast<float>(camera.rotationY + dx / 1000.0);
    }
    WrapBelowZero(camera.rotationX);
    WrapBelowZero(camera.rotationY);
    WrapBelowZero(camera.rotationZ);
  } else if (right || (left && (viewMode == kModeScroll || viewMode == kModeZoom))) {
    if (ctrl || viewMode == kModeScroll) {
      camera.eyeX = static_cast<float>(camera.eyeX - (camera.lastX - x) / 30.0);
      camera.eyeY = static_cast<float>(camera.eyeY - (camera.lastY - y) / 30.0);
    } else {
      camera.distance = static_cast<float>(camera.distance - (camera.lastY - y) / 10.0);
    }
  } else {
    return false;
  }
  MouseDown(camera, x, y);
  return true;
}

void MouseWheelZoom(Camera& camera, int delta, std::int16_t x, std::int16_t y) {
  camera.distance = static_cast<float>(camera.distance - delta / 100.0);
  MouseDown(camera, x, y);
}

bool IsLabelScaleAllowed(double scale) {
  return scale > static_cast<double>(0.05f) && scale < static_cast<double>(1.0f);
}

bool SetLabelScale(float& labelScale, double scale) {
  if (!IsLabelScaleAllowed(scale)) return false;
  labelScale = static_cast<float>(scale);
  return true;
}

bool WheelLabelScale(float& labelScale, int delta) {
  return SetLabelScale(labelScale, static_cast<float>(labelScale + (delta > 0 ? 0.025 : -0.025)));
}

bool StepLabelScale(float& labelScale, bool larger) {
  return SetLabelScale(labelScale, static_cast<float>(labelScale + (larger ? 0.05 : -0.05)));
}

int DisplayFlagsFromButtons(bool numbers, bool outline, bool faces, bool selection) {
  return (numbers ? kShowNumbers : 0) | (outline ? kShowOutline : 0) | (faces ? kShowFaces : 0) |
         (selection ? kShowSelection : 0);
}

}  // namespace orbiform::views
