#pragma once
// The .bmp reader shared by the texture window, the 3D view's texture and
// the OBJ export.
// Every size and offset in a header is checked against the file before it is
// used, so a damaged or hostile file is refused, never read out of bounds.
//
// What the Windows side may rely on after a successful DecodeBitmap or
// LoadBitmapImage:
// - 1 <= width, height <= kMaxBitmapSide, width * height <= kMaxBitmapPixels;
// - pixels.size() == width * height, rows top-down (row 0 is the picture's
//   top whatever the file's row order), no padding between rows;
// - each pixel is 0xAARRGGBB, i.e. the bytes B, G, R, A in memory: a 32-bit
//   top-down DIB (negative height) and an A8R8G8B8 texture take it row by row
//   as it is. Alpha is 0xFF unless the file names an alpha mask.
// Nothing here throws except std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orbiform {

constexpr int kMaxBitmapSide = 16384;
constexpr std::size_t kMaxBitmapPixels = std::size_t{1} << 25;  // 128 MiB decoded
// Larger files are refused before anything is allocated.
constexpr std::uintmax_t kMaxBitmapFileBytes = std::uintmax_t{256} << 20;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // top-down rows, 0xAARRGGBB
};

// Width and height from the header of the bitmap file at `path`: header size
// 12 gives unsigned 16-bit values, 40/108/124 signed 32-bit ones (a negative
// height, a top-down file, is passed on unchanged). False, both left as they
// were, when the file cannot be read, is 4 GiB or larger, names another
// header size or is too short for the header it names. Only the header is
// read. The signature is not examined.
bool ReadBitmapSize(const std::wstring& path, std::int32_t& width, std::int32_t& height);

// The picture's extent for laying coordinates over it: as ReadBitmapSize,
// but the signature must be "BM", the height is given by its magnitude and a
// zero or negative width or a zero height is refused (false, both left as
// they were).
bool ReadBitmapExtent(const std::wstring& path, std::int32_t& width, std::int32_t& height);

// Decodes a whole .bmp file held in `data`: signature "BM", the file-size
// field equal to `size`, header size 12/40/108/124, a colour table or masks
// that end before the pixel data, one plane, BI_RGB with
// 1, 4, 8, 16 (5-5-5), 24 or 32 bits, or BI_BITFIELDS with 16 or 32 bits;
// rows bottom-up or top-down (negative height; never for the 12-byte header).
// Palette indices beyond the colour table give black. False, `image` left
// as it was, for anything else (compressed data, a truncated file, offsets
// or sizes outside the file, absurd dimensions, a zero width or height).
bool DecodeBitmap(const std::uint8_t* data, std::size_t size, Image& image);
bool DecodeBitmap(const std::string& bytes, Image& image);

// Reads the file at `path` (at most kMaxBitmapFileBytes) and decodes it.
// False, `image` left as it was, on any failure.
bool LoadBitmapImage(const std::wstring& path, Image& image);

// The decoded picture of the file at `path`, shared by everyone who shows
// it: decoded once per (path, file size, time of last change) and served
// from memory while those stay the same. Null when the file cannot be read
// or is refused. Safe to call from any thread; throws only std::bad_alloc.
std::shared_ptr<const Image> SharedBitmapImage(const std::wstring& path);
// How often SharedBitmapImage has decoded a file, for measuring the cache.
std::size_t SharedBitmapDecodes();

// The next smaller level of a mipmap chain: each side halved (at least 1),
// every pixel the rounded average of the 2x2 (or 2x1, 1x2) block it covers,
// channel by channel. `image` must hold width * height pixels.
Image HalveImage(const Image& image);

}  // namespace orbiform
