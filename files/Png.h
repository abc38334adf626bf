#pragma once
// A small PNG writer for pictures of the view and bitmaps embedded in
// exports: 8 bits per channel, no interlacing, one zlib stream of fixed-code
// deflate blocks with LZ77 matches (no library needed by either build).
// Portable; depends on nothing but the standard library. The view's pictures use it too.
#include <cstdint>
#include <string>
#include <vector>

namespace orbiform {

enum class PngChannels { Rgb, Rgba };

// The PNG file of `pixels` (0xAARRGGBB, rows top-down, no padding). With
// PngChannels::Rgb the alpha byte is ignored. Empty when a side is below 1,
// beyond what the format holds, or `pixels` does not hold width * height
// values. Throws only std::bad_alloc.
std::string EncodePng(const std::vector<std::uint32_t>& pixels, int width, int height, PngChannels channels);

}  // namespace orbiform
