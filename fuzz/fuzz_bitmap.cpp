// libFuzzer target for the bitmap reader. A refused file is an expected
// outcome; a crash, a sanitizer report, or a decoded image that breaks the
// promises its users rely on (sizes in range, one pixel per position) are
// faults. Each decoded image also goes through the mipmap halving.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/Bitmap.h"

using orbiform::Image;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Image image;
  if (!orbiform::DecodeBitmap(data, size, image)) {
    if (!image.pixels.empty() || image.width != 0) std::abort();  // a refusal changes nothing
    return 0;
  }
  if (image.width < 1 || image.height < 1 || image.width > orbiform::kMaxBitmapSide ||
      image.height > orbiform::kMaxBitmapSide ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
    std::abort();
  }
  while (image.width > 1 || image.height > 1) {
    const Image half = orbiform::HalveImage(image);
    if (half.pixels.size() != static_cast<std::size_t>(half.width) * half.height) std::abort();
    image = half;
  }
  return 0;
}
