// The 3D view's frame read back from its back buffer and written as PNG.
#include "views/ViewPicture.h"

#include <algorithm>

#include "files/Png.h"
#include "mwWinAPI/SafeFile.h"

namespace orbiform::views {

bool CaptureViewFrame(ViewPane& pane, std::vector<std::uint32_t>& pixels, int& width, int& height) {
  RenderView* view = pane.View();
  std::vector<std::uint32_t> whole;
  int wholeWidth = 0, wholeHeight = 0;
  if (!view || !view->DrawFrame(pane.CameraState()) || !view->ReadBackBuffer(whole, wholeWidth, wholeHeight))
    return false;
  // The back buffer has the screen's size; the frame takes its top left.
  const RECT frame = view->FrameRect();
  const int w = std::min<int>(frame.right, wholeWidth), h = std::min<int>(frame.bottom, wholeHeight);
  if (w < 1 || h < 1) return false;
  pixels.resize(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    std::copy_n(whole.begin() + static_cast<std::ptrdiff_t>(y) * wholeWidth, w,
                pixels.begin() + static_cast<std::ptrdiff_t>(y) * w);
  width = w;
  height = h;
  return true;
}

bool SaveViewPicture(ViewPane& pane, const std::wstring& path) {
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  if (!CaptureViewFrame(pane, pixels, width, height)) return false;
  mwWinAPI::WriteBytesReplacing(path, EncodePng(pixels, width, height, PngChannels::Rgb));
  return true;
}

}  // namespace orbiform::views
