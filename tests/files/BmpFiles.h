#pragma once
// Bitmap files built field by field, for the tests of whatever reads them.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace bmptest {

inline void Put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(i < 4 ? (value >> (8 * i)) & 0xFF : 0);
}

struct Bmp {
  std::uint32_t header = 40;
  std::int32_t width = 2, height = 2;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;
  std::vector<std::uint32_t> masks;  // three behind a 40-byte header, four inside a larger one
  std::vector<std::string> rows;     // in file order, unpadded
};

inline std::string Build(const Bmp& b) {
  std::string info;
  Put(info, b.header, 4);
  if (b.header == 12) {
    Put(info, b.width, 2);
    Put(info, b.height, 2);
    Put(info, 1, 2);
    Put(info, b.bits, 2);
  } else {
    Put(info, b.width, 4);
    Put(info, b.height, 4);
    Put(info, 1, 2);
    Put(info, b.bits, 2);
    Put(info, b.compression, 4);
    Put(info, 0, 4 * 3);
    Put(info, static_cast<std::uint32_t>(b.palette.size()), 4);
    Put(info, 0, 4);
    for (std::uint32_t mask : b.masks) Put(info, mask, 4);
    if (b.header > 40) info.resize(b.header, '\0');
  }
  for (std::uint32_t colour : b.palette) Put(info, colour, b.header == 12 ? 3 : 4);
  std::string pixels;
  for (std::string row : b.rows) {
    row.resize((row.size() + 3) / 4 * 4, '\0');
    pixels += row;
  }
  std::string file = "BM";
  Put(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()), 4);
  Put(file, 0, 4);
  Put(file, static_cast<std::uint32_t>(14 + info.size()), 4);
  return file + info + pixels;
}

// A `width` x `height` 24-bit picture of one colour, bottom-up.
inline Bmp Solid(std::int32_t width, std::int32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Bmp bmp;
  bmp.width = width;
  bmp.height = height;
  std::string row;
  for (std::int32_t x = 0; x < width; ++x)
    row += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
  bmp.rows.assign(static_cast<std::size_t>(height < 0 ? -height : height), row);
  return bmp;
}

// Writes `bmp` to `path` (UTF-8) and returns the path for the readers.
inline std::wstring WriteBmp(const std::string& path, const Bmp& bmp) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << Build(bmp);
  return std::wstring(path.begin(), path.end());
}

}  // namespace bmptest
