// The PNG writer read back by zlib, a decoder that shares no code with it:
// chunk checksums, header, and every pixel after undoing the row filters.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "files/Png.h"

using namespace orbiform;

namespace {

std::uint32_t BigEndian(const std::string& s, std::size_t at) {
  return (static_cast<std::uint8_t>(s[at]) << 24) | (static_cast<std::uint8_t>(s[at + 1]) << 16) |
         (static_cast<std::uint8_t>(s[at + 2]) << 8) | static_cast<std::uint8_t>(s[at + 3]);
}

// Decodes what EncodePng writes (8-bit RGB or RGBA, no interlace) into
// 0xAARRGGBB, alpha 0xFF for RGB. Fails the test on any defect.
std::vector<std::uint32_t> Decode(const std::string& png, int& width, int& height) {
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string idat;
  int channels = 0;
  std::size_t at = 8;
  std::vector<std::string> types;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = BigEndian(png, at);
    const std::string type = png.substr(at + 4, 4), data = png.substr(at + 8, length);
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
    EXPECT_EQ(crc, BigEndian(png, at + 8 + length)) << type;
    types.push_back(type);
    if (type == "IHDR") {
      width = static_cast<int>(BigEndian(data, 0));
      height = static_cast<int>(BigEndian(data, 4));
      EXPECT_EQ(data.substr(8), std::string(data[9] == 6 ? "\x08\x06\0\0\0" : "\x08\x02\0\0\0", 5));
      channels = data[9] == 6 ? 4 : 3;
    }
    if (type == "IDAT") idat += data;
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  const std::size_t stride = static_cast<std::size_t>(width) * channels;
  std::vector<std::uint8_t> raw((stride + 1) * height);
  uLongf size = static_cast<uLongf>(raw.size());
  EXPECT_EQ(Z_OK, uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(idat.data()), idat.size()));
  EXPECT_EQ(size, raw.size());

  std::vector<std::uint8_t> previous(stride, 0), row(stride);
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = raw.data() + y * (stride + 1);
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<std::size_t>(channels) ? row[i - channels] : 0, b = previous[i];
      const int c = i >= static_cast<std::size_t>(channels) ? previous[i - channels] : 0;
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      const int predictions[5] = {0, a, b, (a + b) / 2, paeth};
      EXPECT_LT(in[0], 5);
      row[i] = static_cast<std::uint8_t>(in[1 + i] + predictions[in[0] % 5]);
    }
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = row.data() + x * channels;
      pixels.push_back((channels == 4 ? std::uint32_t{p[3]} << 24 : 0xFF000000u) | (p[0] << 16) |
                       (p[1] << 8) | p[2]);
    }
    previous = row;
  }
  return pixels;
}

}  // namespace

// Noise (literals), flat areas (long matches) and rows repeated further back
// than a row (distances of several KiB) must all come back exactly.
TEST(Png, EveryPixelComesBack) {
  std::mt19937 random(7);
  struct Case {
    int width, height;
    PngChannels channels;
  };
  for (const Case c : {Case{1, 1, PngChannels::Rgb}, Case{7, 5, PngChannels::Rgba},
                       Case{300, 41, PngChannels::Rgb}, Case{3000, 9, PngChannels::Rgb}}) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(c.width) * c.height);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        std::uint32_t& p = pixels[static_cast<std::size_t>(y) * c.width + x];
        if (y % 3 == 2)
          p = pixels[static_cast<std::size_t>(y - 2) * c.width + x];  // a copy two rows back
        else if (x < c.width / 3)
          p = 0x800000FFu;  // flat blue
        else if (x < 2 * c.width / 3)
          p = 0xFF000000u | (x * 0x010203u + y * 0x030201u);  // gradients
        else
          p = static_cast<std::uint32_t>(random());  // noise
      }
    const std::string png = EncodePng(pixels, c.width, c.height, c.channels);
    int width = 0, height = 0;
    const std::vector<std::uint32_t> back = Decode(png, width, height);
    ASSERT_EQ(width, c.width);
    ASSERT_EQ(height, c.height);
    ASSERT_EQ(back.size(), pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::uint32_t expected = c.channels == PngChannels::Rgb ? pixels[i] | 0xFF000000u : pixels[i];
      ASSERT_EQ(expected, back[i]) << c.width << "x" << c.height << " pixel " << i;
    }
  }
}

TEST(Png, RefusesPixelsThatDoNotMatchTheSize) {
  EXPECT_TRUE(EncodePng({}, 0, 0, PngChannels::Rgb).empty());
  EXPECT_TRUE(EncodePng(std::vector<std::uint32_t>(5), 2, 3, PngChannels::Rgb).empty());
}
