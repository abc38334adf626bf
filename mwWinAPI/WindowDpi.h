#pragma once
// The DPI a window is shown at, on every Windows the programs run on.
#include <windows.h>

#include <cstddef>

#include "mwWinAPI/Dpi.h"
#include "mwWinAPI/ScopedGdi.h"

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

// A system metric (scroll bar width ...) at `dpi` where the system can say
// (GetSystemMetricsForDpi), else at the system's DPI. Never throws.
int SystemMetricForDpi(int index, UINT dpi) noexcept;

// The font the system gives items of lists and trees (the icon title font)
// at `dpi`, for windows that must follow a move to a monitor of another
// scaling; null where the system cannot say (SystemParametersInfoForDpi is
// missing before Windows 10 1607: there the controls' own font is right).
// Never throws.
GdiObject<HFONT> ItemFontForDpi(UINT dpi) noexcept;

// An image list of `count` pictures of the chosen size, the bitmap resources
// `baseIds[i]` + the choice's offset of `instance`; `seeThrough` is masked.
// A picture that cannot be loaded leaves its place empty (I_IMAGENONE in
// `indices` when given, `count` entries). Never throws.
ImageList LoadPictureList(HINSTANCE instance, const int* baseIds, std::size_t count, PictureChoice choice,
                          COLORREF seeThrough, int* indices = nullptr) noexcept;

}  // namespace mwWinAPI
