#pragma once
// For the Direct3D tests: the back buffer's pixels after a frame was drawn.
#include <cstdint>
#include <vector>

#include "views/Camera.h"
#include "views/Math3D.h"
#include "views/RenderView.h"

namespace testui {

struct Frame {
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB rows
  int width = 0, height = 0;          // the whole back buffer
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline bool ReadBackBuffer(const orbiform::views::RenderView& view, Frame& frame) {
  frame = Frame{};
  return view.ReadBackBuffer(frame.pixels, frame.width, frame.height);
}

// The pixel of the last frame showing world point `p` as `camera` sees it;
// `outside` when the point falls outside the frame.
inline std::uint32_t WorldPixel(const Frame& frame, const orbiform::views::RenderView& view,
                                const orbiform::views::Camera& camera, orbiform::views::Vector3 p,
                                std::uint32_t outside) {
  using namespace orbiform::views;
  const RECT& r = view.FrameRect();
  p = TransformCoord(p, WorldMatrix(camera) * ViewMatrix(camera) * ProjectionMatrix(r.right, r.bottom));
  const int x = static_cast<int>((p.x + 1) / 2 * r.right), y = static_cast<int>((1 - p.y) / 2 * r.bottom);
  return x < 0 || y < 0 || x >= r.right || y >= r.bottom ? outside : frame.At(x, y);
}

// Pixels of the frame in any colour but `background`.
inline int CountOther(const Frame& frame, const orbiform::views::RenderView& view, std::uint32_t background) {
  int n = 0;
  for (int y = 0; y < view.FrameRect().bottom; ++y)
    for (int x = 0; x < view.FrameRect().right; ++x) n += frame.At(x, y) != background;
  return n;
}

}  // namespace testui
