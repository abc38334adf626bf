#pragma once
// The DPI a window is shown at, on every Windows the programs run on.
#include <windows.h>

namespace mwWinAPI {

// The DPI of the monitor `window` is on where the system tracks it per
// window (GetDpiForWindow, Windows 10 1607 on, found by name: Windows 7
// lacks it), else the screen's LOGPIXELSX; 96 when neither answers.
// Never throws.
UINT WindowDpi(HWND window) noexcept;

// The part of WM_DPICHANGED every window shares: moves `window` to the
// rectangle the system suggests (lParam) and returns the new DPI (wParam).
// Never throws.
UINT FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace mwWinAPI
