#pragma once
// For the Direct3D tests: the back buffer's pixels after a frame was drawn.
#include <cstdint>
#include <vector>

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

}  // namespace testui
