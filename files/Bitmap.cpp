// The .bmp reader: header checks first, then decoding into top-down 32-bit
// pixels. Every read goes through bounds-checked helpers over the bytes.
#include "files/Bitmap.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>
#include <tuple>

namespace orbiform {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitfields = 3;
constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;

bool KnownHeaderSize(std::uint32_t size) { return size == 12 || size == 40 || size == 108 || size == 124; }

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

// Up to `count` bytes from the start of the file at `path` and the file's
// size; false when it cannot be opened or its size is unknown.
bool ReadStart(const std::wstring& path, std::uintmax_t count, std::string& bytes, std::uintmax_t& fileSize) {
  const std::filesystem::path name(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(name, error)) return false;
  fileSize = std::filesystem::file_size(name, error);
  if (error) return false;
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  bytes.resize(static_cast<std::size_t>(count < fileSize ? count : fileSize));
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<std::size_t>(in.gcount()) == bytes.size();
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  unsigned shift = 0;
  std::uint32_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (mask == 0) return;
    while (((mask >> shift) & 1u) == 0) ++shift;
    max = mask >> shift;
  }
  std::uint32_t Get(std::uint32_t value, std::uint32_t missing) const {
    if (max == 0) return missing;
    const std::uint64_t v = (value & mask) >> shift;
    return static_cast<std::uint32_t>((v * 255 + max / 2) / max);
  }
};

}  // namespace

bool ReadBitmapSize(const std::wstring& path, std::int32_t& width, std::int32_t& height) {
  std::string bytes;
  std::uintmax_t fileSize = 0;
  if (!ReadStart(path, 26, bytes, fileSize)) return false;
  if (fileSize >= (std::uintmax_t{1} << 32) || bytes.size() < kFileHeader + 4) return false;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::uint32_t headerSize = U32(data + 14);
  if (!KnownHeaderSize(headerSize) || fileSize < kFileHeader + headerSize) return false;
  if (headerSize == kCoreHeader) {
    width = static_cast<std::int32_t>(U16(data + 18));
    height = static_cast<std::int32_t>(U16(data + 20));
  } else {
    width = S32(data + 18);
    height = S32(data + 22);
  }
  return true;
}

bool ReadBitmapExtent(const std::wstring& path, std::int32_t& width, std::int32_t& height) {
  std::int32_t w = 0, h = 0;
  std::string start;
  std::uintmax_t fileSize = 0;
  if (!ReadStart(path, 2, start, fileSize) || start != "BM" || !ReadBitmapSize(path, w, h)) return false;
  // A top-down file's negative height is still its height; INT32_MIN has no
  // magnitude.
  if (w <= 0 || h == 0 || h == INT32_MIN) return false;
  width = w;
  height = h < 0 ? -h : h;
  return true;
}

namespace {

// What the headers say about the pixels, checked against the file.
struct Layout {
  std::uint32_t headerSize = 0;
  std::uint32_t pixelOffset = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // its magnitude; topDown tells the row order
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t tableOffset = 0;                                          // colour table or masks
  std::uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};  // red, green, blue, alpha
};

// The file header and the information header: signature, file size, header
// size, one plane, a known bit depth and compression, a sane size.
bool ReadHeaders(const std::uint8_t* data, std::size_t size, Layout& layout) {
  if (size < kFileHeader + 4 || data[0] != 'B' || data[1] != 'M' || U32(data + 2) != size) return false;
  layout.pixelOffset = U32(data + 10);
  layout.headerSize = U32(data + 14);
  if (!KnownHeaderSize(layout.headerSize) || size < kFileHeader + layout.headerSize) return false;
  const std::uint8_t* header = data + kFileHeader;
  std::uint32_t planes;
  if (layout.headerSize == kCoreHeader) {
    layout.width = U16(header + 4);
    layout.height = U16(header + 6);
    planes = U16(header + 8);
    layout.bits = U16(header + 10);
    if (layout.bits != 1 && layout.bits != 4 && layout.bits != 8 && layout.bits != 24) return false;
  } else {
    layout.width = S32(header + 4);
    layout.height = S32(header + 8);
    planes = U16(header + 12);
    layout.bits = U16(header + 14);
    layout.compression = U32(header + 16);
    layout.colorsUsed = U32(header + 32);
  }
  const std::uint32_t bits = layout.bits;
  if (planes != 1) return false;
  if (layout.compression == kRgb) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  } else if (layout.compression != kBitfields || (bits != 16 && bits != 32)) {
    return false;
  }
  layout.topDown = layout.height < 0;
  if (layout.topDown) layout.height = -layout.height;
  const std::int64_t width = layout.width, height = layout.height;
  return width >= 1 && height >= 1 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
         static_cast<std::uint64_t>(width * height) <= kMaxBitmapPixels;
}

// Colour masks: BI_BITFIELDS puts three behind a 40-byte header, larger
// headers carry them (and an alpha mask) themselves.
bool ReadMasks(const std::uint8_t* data, std::size_t size, Layout& layout) {
  layout.tableOffset = kFileHeader + layout.headerSize;
  if (layout.bits == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
  }
  if (layout.compression != kBitfields) return true;
  const std::uint8_t* at = data + kFileHeader + 40;
  if (layout.headerSize == kInfoHeader) {
    if (size < layout.tableOffset + 12 || layout.pixelOffset < layout.tableOffset + 12) return false;
    layout.tableOffset += 12;
  }
  for (int i = 0; i < (layout.headerSize == kInfoHeader ? 3 : 4); ++i) layout.masks[i] = U32(at + 4 * i);
  return true;
}

// The colour table of a depth up to 8 bits, which must end before the pixels.
bool ReadPalette(const std::uint8_t* data, std::size_t size, const Layout& layout,
                 std::vector<std::uint32_t>& palette) {
  if (layout.bits > 8) return true;
  const std::uint32_t most = 1u << layout.bits;
  const std::uint32_t count = layout.colorsUsed == 0 || layout.colorsUsed > most ? most : layout.colorsUsed;
  const std::size_t entry = layout.headerSize == kCoreHeader ? 3 : 4;
  if (layout.tableOffset > size || (size - layout.tableOffset) / entry < count) return false;
  // A table running into the pixels would read pixel bytes as colours.
  if (layout.pixelOffset < layout.tableOffset + static_cast<std::uint64_t>(count) * entry) return false;
  palette.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + layout.tableOffset + i * entry;
    palette[i] = 0xFF000000u | (e[2] << 16) | (e[1] << 8) | e[0];
  }
  return true;
}

// The pixel rows into top-down 0xAARRGGBB. Rows are padded to four bytes,
// except that the last row in the file may lack its padding.
bool DecodeRows(const std::uint8_t* data, std::size_t size, const Layout& layout,
                const std::vector<std::uint32_t>& palette, Image& result) {
  const std::int64_t width = layout.width, height = layout.height;
  const std::uint32_t bits = layout.bits;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
  if (layout.pixelOffset > size || size - layout.pixelOffset < stride * (height - 1) + rowBytes) return false;

  const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]), alpha(layout.masks[3]);
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  result.pixels.resize(static_cast<std::size_t>(width * height));
  for (std::int64_t row = 0; row < height; ++row) {
    const std::uint8_t* in = data + layout.pixelOffset + stride * row;
    const std::int64_t target = layout.topDown ? row : height - 1 - row;
    std::uint32_t* out = result.pixels.data() + target * width;
    for (std::int64_t x = 0; x < width; ++x) {
      std::uint32_t pixel;
      if (bits <= 8) {
        const std::uint64_t bit = static_cast<std::uint64_t>(x) * bits;
        const unsigned index = (in[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        pixel = index < palette.size() ? palette[index] : 0xFF000000u;
      } else if (bits == 24) {
        const std::uint8_t* p = in + 3 * x;
        pixel = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
      } else {
        const std::uint32_t v = bits == 16 ? U16(in + 2 * x) : U32(in + 4 * x);
        pixel = (alpha.Get(v, 255) << 24) | (red.Get(v, 0) << 16) | (green.Get(v, 0) << 8) | blue.Get(v, 0);
      }
      out[x] = pixel;
    }
  }
  return true;
}

}  // namespace

bool DecodeBitmap(const std::uint8_t* data, std::size_t size, Image& image) {
  Layout layout;
  std::vector<std::uint32_t> palette;
  Image result;
  if (!ReadHeaders(data, size, layout) || !ReadMasks(data, size, layout) ||
      !ReadPalette(data, size, layout, palette) || !DecodeRows(data, size, layout, palette, result))
    return false;
  image = std::move(result);
  return true;
}

bool DecodeBitmap(const std::string& bytes, Image& image) {
  return DecodeBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image);
}

bool LoadBitmapImage(const std::wstring& path, Image& image) {
  std::string bytes;
  std::uintmax_t fileSize = 0;
  if (!ReadStart(path, kMaxBitmapFileBytes, bytes, fileSize) || fileSize != bytes.size()) return false;
  return DecodeBitmap(bytes, image);
}

namespace {

struct CachedBitmap {
  std::wstring path;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type changed;
  std::shared_ptr<const Image> image;
};

std::mutex cacheLock;
CachedBitmap cached;
std::size_t decodes = 0;

}  // namespace

std::shared_ptr<const Image> SharedBitmapImage(const std::wstring& path) {
  const std::filesystem::path name(path);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(name, error);
  if (error) return nullptr;
  const std::filesystem::file_time_type changed = std::filesystem::last_write_time(name, error);
  if (error) return nullptr;
  {
    std::lock_guard<std::mutex> lock(cacheLock);
    if (cached.image && cached.path == path && cached.size == size && cached.changed == changed)
      return cached.image;
  }
  auto image = std::make_shared<Image>();
  if (!LoadBitmapImage(path, *image)) return nullptr;
  std::lock_guard<std::mutex> lock(cacheLock);
  ++decodes;
  // Only the last picture is kept: an object has one bitmap, and holding
  // older ones would keep up to 128 MiB each alive for nothing.
  cached = CachedBitmap{path, size, changed, image};
  return image;
}

std::size_t SharedBitmapDecodes() {
  std::lock_guard<std::mutex> lock(cacheLock);
  return decodes;
}

Image HalveImage(const Image& image) {
  Image half;
  half.width = image.width > 1 ? image.width / 2 : 1;
  half.height = image.height > 1 ? image.height / 2 : 1;
  half.pixels.resize(static_cast<std::size_t>(half.width) * half.height);
  const int stepX = image.width > 1 ? 2 : 1;
  const int stepY = image.height > 1 ? 2 : 1;
  for (int y = 0; y < half.height; ++y) {
    for (int x = 0; x < half.width; ++x) {
      std::uint32_t sum[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < stepY; ++dy) {
        for (int dx = 0; dx < stepX; ++dx) {
          const std::uint32_t p =
              image.pixels[static_cast<std::size_t>(y * stepY + dy) * image.width + x * stepX + dx];
          for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
        }
      }
      const std::uint32_t n = static_cast<std::uint32_t>(stepX * stepY);
      std::uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) pixel |= ((sum[c] + n / 2) / n) << (8 * c);
      half.pixels[static_cast<std::size_t>(y) * half.width + x] = pixel;
    }
  }
  return half;
}

}  // namespace orbiform
