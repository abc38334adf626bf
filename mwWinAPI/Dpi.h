#pragma once
// Display scaling without the window system: the programs lay themselves out
// in pixels at 96 DPI and scale every figure to the window's DPI here, so
// that nothing is cut off or tiny at 125 % to 200 %.
#include <cstddef>

namespace mwWinAPI {

// The DPI the pixel figures of the layouts are given at (100 %).
constexpr unsigned kDesignDpi = 96;

// `pixels` at 96 DPI scaled to `dpi`, rounded half away from zero as MulDiv
// does. A DPI of 0 (unknown) counts as 96. Never throws.
int ScaleForDpi(int pixels, unsigned dpi) noexcept;

// A picture drawn in several sizes: the one to show at `dpi` and the offset of
// its resource identifier from the smallest's.
struct PictureChoice {
  int size;
  int resourceOffset;
};

// Picture resources of larger sizes follow the smallest at this distance
// each (the second size at base + 1000, the third at base + 2000 ...).
constexpr int kPictureResourceStep = 1000;

// Of `sizes` (ascending, `count` > 0) the largest not above `designSize`
// scaled to `dpi`, or the smallest when none is that small. Never throws.
PictureChoice ChoosePicture(const int* sizes, std::size_t count, int designSize, unsigned dpi) noexcept;

}  // namespace mwWinAPI
