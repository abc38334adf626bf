#pragma once
// The 3D view's camera, its matrices, and the mapping of mouse and toolbar
// input onto it. Plain arithmetic: the window procedures pass the message's
// values in and redraw when told to. Nothing here throws.
#include <cstdint>

#include "views/Math3D.h"
#include "views/ViewIds.h"

namespace orbiform::views {

// Below zero a rotation jumps to 2 pi - 0.02 (single precision); there is no
// upper bound.
constexpr float kRotationWrap = 6.2631855f;
constexpr float kInitialDistance = 10.0f;
constexpr float kInitialLabelScale = 0.15f;
constexpr int kInitialDisplayFlags = 4;

// Display flag bits (toolbar toggles IDM_VIEW_SHOW_NUMBERS + n set bit n).
enum DisplayFlag : int { kShowNumbers = 1, kShowOutline = 2, kShowFaces = 4, kShowSelection = 8 };

// The view mode is the command id of the pressed mode button.
enum ViewMode : int {
  kModeRotate = IDM_VIEW_ROTATE,
  kModeScroll = IDM_VIEW_SCROLL,
  kModeZoom = IDM_VIEW_ZOOM
};

struct Camera {
  float rotationX = 0, rotationY = 0, rotationZ = 0;  // radians
  float eyeX = 0, eyeY = 0;                           // camera and target (scroll)
  float distance = kInitialDistance;                  // camera z; the target's z is 0
  std::int16_t lastX = 0, lastY = 0;                  // last handled mouse position

  // Centring: rotations and scroll 0, distance 10; the last position stays.
  void Reset();
};

// Object rotation: X first, then Y, then Z.
Matrix WorldMatrix(const Camera& camera);
// Looking along Z from (eyeX, eyeY, distance) at (eyeX, eyeY, 0).
Matrix ViewMatrix(const Camera& camera);
// Vertical field of view pi/4, near 1, far 100, aspect from the client area;
// an empty client area counts as square rather than dividing by zero.
Matrix ProjectionMatrix(int clientWidth, int clientHeight);
// A point label's world matrix: it stands at `position` carried along by the
// object's rotation but keeps facing the camera, scaled by `labelScale`,
// turned by pi about Y and flattened to 0.001 of its depth.
Matrix LabelMatrix(const Camera& camera, const Vector3& position, float labelScale);

// Left or right button down: remember the position.
void MouseDown(Camera& camera, std::int16_t x, std::int16_t y);
// A mouse move with the given buttons and Ctrl state in `viewMode`. Left in
// rotate mode rotates by 15/1000 rad per pixel (Ctrl: about Z instead of Y);
// right, or left in scroll/zoom mode, scrolls (Ctrl or scroll mode, 1/30 unit
// per pixel) or zooms (1/10 unit per pixel). Returns true when the camera
// moved and the view is to be drawn at once; the position is then the new
// last one. Any other move changes nothing and returns false.
bool MouseMove(Camera& camera, int viewMode, bool left, bool right, bool ctrl, std::int16_t x,
               std::int16_t y);
// Wheel without Ctrl: distance -= delta / 100 (120 per notch), the position
// becomes the last one.
void MouseWheelZoom(Camera& camera, int delta, std::int16_t x, std::int16_t y);

// True when `scale` lies strictly inside (0.05f, 1.0f), compared in double.
bool IsLabelScaleAllowed(double scale);
// Stores `scale` (narrowed to float) when allowed; returns whether it did.
bool SetLabelScale(float& labelScale, double scale);
// Ctrl+wheel: one step of 0.025 up (delta > 0) or down, computed in double,
// through SetLabelScale.
bool WheelLabelScale(float& labelScale, int delta);
// Toolbar "font" buttons: a step of 0.05 up or down.
bool StepLabelScale(float& labelScale, bool larger);

// The display flags from the pressed states of the four toggle buttons, in
// the order numbers, outline, faces, selection.
int DisplayFlagsFromButtons(bool numbers, bool outline, bool faces, bool selection);

}  // namespace orbiform::views
