// Window pictures with the 3D view's frame laid in.
#include "views/WindowShot.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/Png.h"

namespace orbiform::views {
// 24-bit bottom-up BMP of top-down 0xRRGGBB pixels.
namespace {

bool WriteBmp(const std::wstring& path, const std::vector<std::uint32_t>& pixels, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::string data(54 + static_cast<std::size_t>(stride) * height, '\0');
  const auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) data[at + i] = static_cast<char>(v >> (8 * i));
  };
  data[0] = 'B';
  data[1] = 'M';
  put(2, static_cast<std::uint32_t>(data.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      put(54 + static_cast<std::size_t>(height - 1 - y) * stride + x * 3,
          pixels[static_cast<std::size_t>(y) * width + x], 3);
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out << data;
  return static_cast<bool>(out);
}

}  // namespace

// The host window as GDI holds it, with the view's frame laid over the 3D window.
bool SaveWindowShot(HWND host, ViewPane& pane, const std::wstring& path) {
  RECT outer{}, inner{};
  ::GetWindowRect(host, &outer);
  ::GetWindowRect(pane.RenderHandle(), &inner);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  HDC screen = ::GetWindowDC(host);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP picture = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = picture && bits;
  if (ok) {
    HGDIOBJ old = ::SelectObject(memory, picture);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFF;
    ::SelectObject(memory, old);
  }
  if (picture) ::DeleteObject(picture);
  ::DeleteDC(memory);
  ::ReleaseDC(host, screen);

  std::vector<std::uint32_t> frame;
  int frameWidth = 0, frameHeight = 0;
  RenderView* view = pane.View();
  ok = ok && view && view->DrawFrame(pane.CameraState()) &&
       view->ReadBackBuffer(frame, frameWidth, frameHeight);
  if (!ok) return false;
  const RECT used = view->FrameRect();
  for (int y = 0; y < used.bottom && y < frameHeight; ++y)
    for (int x = 0; x < used.right && x < frameWidth; ++x) {
      const int tx = inner.left - outer.left + x, ty = inner.top - outer.top + y;
      if (tx >= 0 && ty >= 0 && tx < width && ty < height)
        pixels[static_cast<std::size_t>(ty) * width + tx] =
            frame[static_cast<std::size_t>(y) * frameWidth + x];
    }
  const bool png = path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".png") == 0;
  if (!png) return WriteBmp(path, pixels, width, height);
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out << EncodePng(pixels, width, height, PngChannels::Rgb);
  return static_cast<bool>(out);
}

}  // namespace orbiform::views
