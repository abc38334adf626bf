// The DPI a window is shown at.
#include "mwWinAPI/WindowDpi.h"

#include "mwWinAPI/Dpi.h"

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

}  // namespace mwWinAPI
