// Display scaling without the window system.
#include "mwWinAPI/Dpi.h"

#include <cstdint>

namespace mwWinAPI {

int ScaleForDpi(int pixels, unsigned dpi) noexcept {
  if (dpi == 0) dpi = kDesignDpi;
  const std::int64_t product = static_cast<std::int64_t>(pixels) * dpi;
  const std::int64_t half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi);
}

PictureChoice ChoosePicture(const int* sizes, std::size_t count, int designSize, unsigned dpi) noexcept {
  const int wanted = ScaleForDpi(designSize, dpi);
  std::size_t chosen = 0;
  for (std::size_t i = 1; i < count; ++i)
    if (sizes[i] <= wanted) chosen = i;
  return PictureChoice{sizes[chosen], static_cast<int>(chosen) * kPictureResourceStep};
}

}  // namespace mwWinAPI
