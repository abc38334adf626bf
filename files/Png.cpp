// PNG writing: per-row filters chosen by the usual smallest-sum rule, a
// zlib stream of one fixed-Huffman deflate block, CRC-32 per chunk.
#include "files/Png.h"

#include <array>
#include <cstdlib>

namespace orbiform {

namespace {

constexpr std::size_t kWindow = 32768;  // deflate's largest distance
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr int kHashBits = 15;
constexpr int kChainDepth = 32;  // candidates tried per position: speed over size

// Bits go out least significant first, as deflate packs them.
class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  void Put(std::uint32_t value, int count) {
    buffer_ |= static_cast<std::uint64_t>(value) << used_;
    used_ += count;
    while (used_ >= 8) {
      out_ += static_cast<char>(buffer_ & 0xFF);
      buffer_ >>= 8;
      used_ -= 8;
    }
  }
  // Huffman codes are defined most significant bit first.
  void PutCode(std::uint32_t code, int count) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < count; ++i) reversed |= ((code >> i) & 1u) << (count - 1 - i);
    Put(reversed, count);
  }
  void Flush() {
    if (used_ > 0) Put(0, 8 - used_);
  }

 private:
  std::string& out_;
  std::uint64_t buffer_ = 0;
  int used_ = 0;
};

// The fixed literal/length code of deflate.
void PutLiteral(BitWriter& bits, unsigned symbol) {
  if (symbol < 144) {
    bits.PutCode(0x30 + symbol, 8);
  } else if (symbol < 256) {
    bits.PutCode(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    bits.PutCode(symbol - 256, 7);
  } else {
    bits.PutCode(0xC0 + symbol - 280, 8);
  }
}

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The largest table entry not above `value`.
template <std::size_t N>
std::size_t CodeFor(const std::array<std::uint16_t, N>& base, std::size_t value) {
  std::size_t code = N - 1;
  while (base[code] > value) --code;
  return code;
}

void PutMatch(BitWriter& bits, std::size_t length, std::size_t distance) {
  const std::size_t l = CodeFor(kLengthBase, length);
  PutLiteral(bits, static_cast<unsigned>(257 + l));
  bits.Put(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  const std::size_t d = CodeFor(kDistanceBase, distance);
  bits.PutCode(static_cast<std::uint32_t>(d), 5);
  bits.Put(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

std::uint32_t Hash(const std::uint8_t* p) {
  const std::uint32_t v = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
  return (v * 2654435761u) >> (32 - kHashBits);
}

// One final fixed-code block; matches are found through hash chains over
// the last 32 KiB.
void Deflate(const std::string& input, std::string& out) {
  BitWriter bits(out);
  bits.Put(1, 1);  // final block
  bits.Put(1, 2);  // fixed codes
  const auto* data = reinterpret_cast<const std::uint8_t*>(input.data());
  const std::size_t size = input.size();
  std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int64_t> previous(kWindow, -1);
  const auto insert = [&](std::size_t at) {
    if (at + kMinMatch > size) return;
    const std::uint32_t h = Hash(data + at);
    previous[at % kWindow] = head[h];
    head[h] = static_cast<std::int64_t>(at);
  };
  std::size_t at = 0;
  while (at < size) {
    std::size_t bestLength = 0, bestDistance = 0;
    if (at + kMinMatch <= size) {
      const std::size_t limit = size - at < kMaxMatch ? size - at : kMaxMatch;
      std::int64_t candidate = head[Hash(data + at)];
      for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
        const std::size_t from = static_cast<std::size_t>(candidate);
        // Older entries of the ring were overwritten: the distance check
        // stops before one is read.
        if (at - from > kWindow) break;
        std::size_t length = 0;
        while (length < limit && data[from + length] == data[at + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = at - from;
          if (length == limit) break;
        }
        const std::int64_t next = previous[from % kWindow];
        if (next >= candidate) break;
        candidate = next;
      }
    }
    if (bestLength >= kMinMatch) {
      PutMatch(bits, bestLength, bestDistance);
      for (std::size_t i = 0; i < bestLength; ++i) insert(at + i);
      at += bestLength;
    } else {
      PutLiteral(bits, data[at]);
      insert(at);
      ++at;
    }
  }
  PutLiteral(bits, 256);  // end of block
  bits.Flush();
}

std::uint32_t Crc32(const std::string& bytes, std::size_t from) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < bytes.size(); ++i)
    crc = table[(crc ^ static_cast<std::uint8_t>(bytes[i])) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::string& bytes) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = 1, b = 0;
  for (const char c : bytes) {
    a = (a + static_cast<std::uint8_t>(c)) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.append(type, 4);
  png += data;
  PutBigEndian(png, Crc32(png, start));
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Every row gets the filter whose output has the smallest sum of magnitudes
// (bytes taken as signed): it tends to give deflate the longest runs.
std::string FilteredRows(const std::vector<std::uint32_t>& pixels, int width, int height, int channels) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
  std::vector<std::uint8_t> row(rowBytes), above(rowBytes, 0);
  std::array<std::vector<std::uint8_t>, 5> tried;
  for (auto& t : tried) t.resize(rowBytes);
  std::string out;
  out.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      std::uint8_t* at = row.data() + static_cast<std::size_t>(x) * channels;
      at[0] = static_cast<std::uint8_t>(p >> 16);
      at[1] = static_cast<std::uint8_t>(p >> 8);
      at[2] = static_cast<std::uint8_t>(p);
      if (channels == 4) at[3] = static_cast<std::uint8_t>(p >> 24);
    }
    std::size_t best = 0;
    long bestSum = -1;
    for (std::size_t f = 0; f < tried.size(); ++f) {
      long sum = 0;
      for (std::size_t i = 0; i < rowBytes; ++i) {
        const int a = i >= static_cast<std::size_t>(channels) ? row[i - channels] : 0;
        const int b = above[i];
        const int c = i >= static_cast<std::size_t>(channels) ? above[i - channels] : 0;
        const int predicted = f == 0 ? 0 : f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : Paeth(a, b, c);
        const auto value = static_cast<std::uint8_t>(row[i] - predicted);
        tried[f][i] = value;
        sum += std::abs(static_cast<int>(static_cast<std::int8_t>(value)));
      }
      if (bestSum < 0 || sum < bestSum) {
        bestSum = sum;
        best = f;
      }
    }
    out += static_cast<char>(best);
    out.append(reinterpret_cast<const char*>(tried[best].data()), rowBytes);
    above.swap(row);
  }
  return out;
}

}  // namespace

std::string EncodePng(const std::vector<std::uint32_t>& pixels, int width, int height, PngChannels channels) {
  // PNG sides are 31-bit; the row buffer must fit in memory arithmetic.
  if (width < 1 || height < 1 || pixels.size() != static_cast<std::size_t>(width) * height) return {};
  const int perPixel = channels == PngChannels::Rgba ? 4 : 3;
  const std::string raw = FilteredRows(pixels, width, height, perPixel);

  std::string zlib;
  zlib += '\x78';  // deflate, 32 KiB window
  zlib += '\x01';  // no dictionary, fastest level; (0x78 * 256 + 1) % 31 == 0
  Deflate(raw, zlib);
  PutBigEndian(zlib, Adler32(raw));

  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header += '\x08';                                           // bits per channel
  header += channels == PngChannels::Rgba ? '\x06' : '\x02';  // colour type
  header.append(3, '\0');                                     // deflate, adaptive filters, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace orbiform
