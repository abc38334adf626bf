// The DPI a window is shown at.
#include "mwWinAPI/WindowDpi.h"

#include <commctrl.h>

#include "mwWinAPI/Handles.h"

namespace mwWinAPI {

UINT WindowDpi(HWND window) noexcept {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window)
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  UINT dpi = 0;
  if (const HDC screen = ::GetDC(nullptr)) {
    dpi = static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSX));
    ::ReleaseDC(nullptr, screen);
  }
  return dpi ? dpi : kDesignDpi;
}

UINT FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  const UINT dpi = LOWORD(wParam);
  return dpi ? dpi : kDesignDpi;
}

int SystemMetricForDpi(int index, UINT dpi) noexcept {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  return forDpi ? forDpi(index, dpi) : ::GetSystemMetrics(index);
}

GdiObject<HFONT> ItemFontForDpi(UINT dpi) noexcept {
  using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto forDpi = reinterpret_cast<SystemParametersInfoForDpiFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
  LOGFONTW font{};
  if (!forDpi || !forDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0, dpi)) return GdiObject<HFONT>();
  return GdiObject<HFONT>(::CreateFontIndirectW(&font));
}

ImageList LoadPictureList(HINSTANCE instance, const int* baseIds, std::size_t count, PictureChoice choice,
                          COLORREF seeThrough, int* indices) noexcept {
  // 24-bit pictures with a mask: the masked colour works for them, which a
  // toolbar's own colour key does not.
  ImageList list(
      ::ImageList_Create(choice.size, choice.size, ILC_COLOR24 | ILC_MASK, static_cast<int>(count), 0));
  for (std::size_t i = 0; i < count; ++i) {
    GdiObject<HBITMAP> picture(
        static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(baseIds[i] + choice.resourceOffset),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    const int index = list && picture ? ::ImageList_AddMasked(list.Get(), picture.Get(), seeThrough) : -1;
    if (indices) indices[i] = index >= 0 ? index : I_IMAGENONE;
  }
  return list;
}

}  // namespace mwWinAPI
