// The bitmap reader: every pixel format it accepts decodes to the same
// top-down picture, and damaged or hostile headers are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/Bitmap.h"
#include "tests/files/BmpFiles.h"

namespace {

using namespace orbiform;
using namespace bmptest;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
// Top row red, green; bottom row blue, white.
const std::vector<std::uint32_t> kPicture = {kRed, kGreen, kBlue, kWhite};

Bmp Rgb24() {
  Bmp b;
  b.rows = {Bytes({255, 0, 0, 255, 255, 255}), Bytes({0, 0, 255, 0, 255, 0})};  // bottom row first
  return b;
}

Bmp Indexed8() {
  Bmp b;
  b.bits = 8;
  b.palette = {kRed, kGreen, kBlue, kWhite};
  b.rows = {Bytes({2, 3}), Bytes({0, 1})};
  return b;
}

// `file` with the little-endian field at `at` set to `value`.
std::string Patched(std::string file, std::size_t at, std::uint32_t value, int bytes = 4) {
  std::string field;
  Put(field, value, bytes);
  return file.replace(at, bytes, field);
}

// A bitmap file in the temporary folder, removed at the end of the test.
struct TempBmp {
  explicit TempBmp(const char* name) : path(std::filesystem::temp_directory_path() / name) {}
  ~TempBmp() { std::filesystem::remove(path); }
  std::wstring Write(const std::string& bytes) const {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path.wstring();
  }
  std::filesystem::path path;
};

// Each format gives the same top-down picture, from a bottom-up file and,
// where the header can say so, from a top-down one.
TEST(Bitmap, EveryAcceptedFormatDecodesTopDown) {
  std::vector<std::pair<const char*, Bmp>> cases;
  cases.emplace_back("24 bits", Rgb24());
  Bmp rgb32;
  rgb32.bits = 32;
  rgb32.rows = {Bytes({255, 0, 0, 0, 255, 255, 255, 0}), Bytes({0, 0, 255, 0, 0, 255, 0, 0})};
  cases.emplace_back("32 bits", rgb32);
  Bmp rgb555;
  rgb555.bits = 16;
  rgb555.rows = {Bytes({0x1F, 0, 0xFF, 0x7F}), Bytes({0, 0x7C, 0xE0, 0x03})};
  cases.emplace_back("16 bits 5-5-5", rgb555);
  Bmp fields565 = rgb555;
  fields565.compression = 3;
  fields565.masks = {0xF800, 0x07E0, 0x001F};
  fields565.rows = {Bytes({0x1F, 0, 0xFF, 0xFF}), Bytes({0, 0xF8, 0xE0, 0x07})};
  cases.emplace_back("16 bits 5-6-5", fields565);
  Bmp v5 = rgb32;
  v5.header = 124;
  v5.compression = 3;
  v5.masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};  // B G R A from the top byte down
  v5.rows = {Bytes({255, 0, 0, 255, 255, 255, 255, 255}), Bytes({255, 255, 0, 0, 255, 0, 255, 0})};
  cases.emplace_back("32 bits, masks in a large header", v5);
  Bmp indexed = Indexed8();
  cases.emplace_back("8 bits", indexed);
  Bmp nibbles = indexed;
  nibbles.bits = 4;
  nibbles.rows = {Bytes({0x23}), Bytes({0x01})};
  cases.emplace_back("4 bits", nibbles);
  Bmp core = indexed;
  core.header = 12;
  core.palette = {kRed, kGreen, kBlue, kWhite, 0};  // a core file's table has 2^bits entries
  core.palette.resize(256);
  cases.emplace_back("8 bits, small header", core);

  for (const auto& [name, bmp] : cases) {
    SCOPED_TRACE(name);
    Image image;
    ASSERT_TRUE(DecodeBitmap(Build(bmp), image));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, kPicture);
    if (bmp.header == 12) continue;  // a small header's height has no sign
    Bmp topDown = bmp;
    topDown.height = -2;
    std::swap(topDown.rows[0], topDown.rows[1]);
    ASSERT_TRUE(DecodeBitmap(Build(topDown), image)) << "top-down";
    EXPECT_EQ(image.pixels, kPicture) << "top-down";
  }

  // One bit per pixel; indices beyond a short table read as black; an
  // alpha mask is honoured.
  Bmp mono;
  mono.width = 9;
  mono.height = 1;
  mono.bits = 1;
  mono.palette = {kBlue, kWhite};
  mono.rows = {Bytes({0x81, 0x80})};
  Image image;
  ASSERT_TRUE(DecodeBitmap(Build(mono), image));
  EXPECT_EQ(image.pixels,
            (std::vector<std::uint32_t>{kWhite, kBlue, kBlue, kBlue, kBlue, kBlue, kBlue, kWhite, kWhite}));
  indexed.palette.resize(2);
  ASSERT_TRUE(DecodeBitmap(Build(indexed), image));
  EXPECT_EQ(image.pixels[2], 0xFF000000u);
  v5.rows[0][0] = 0x40;
  ASSERT_TRUE(DecodeBitmap(Build(v5), image));
  EXPECT_EQ(image.pixels[2], 0x400000FFu);
}

TEST(Bitmap, TruncatedFilesAreRefusedAtEveryLength) {
  // Each prefix claims its own length, so only the inner checks can refuse
  // it. The last row may lack its two bytes of padding.
  const std::string whole = Build(Rgb24());
  ASSERT_EQ(whole.size(), 70u);
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    const std::string prefix = whole.substr(0, length);
    Image image;
    EXPECT_EQ(
        DecodeBitmap(length >= 6 ? Patched(prefix, 2, static_cast<std::uint32_t>(length)) : prefix, image),
        length >= 68)
        << length;
  }
}

TEST(Bitmap, HostileHeadersAreRefused) {
  const auto refused = [](const std::string& file) {
    Image image;
    image.width = 7;
    return !DecodeBitmap(file, image) && image.width == 7 && image.pixels.empty();
  };
  const std::string good = Build(Rgb24());
  EXPECT_TRUE(refused(Patched(good, 0, 'X', 1)));        // signature
  EXPECT_TRUE(refused(Patched(good, 2, 71)));            // file size field
  EXPECT_TRUE(refused(Patched(good, 10, 0xFFFFFFF0u)));  // pixel offset beyond the end
  EXPECT_TRUE(refused(Patched(good, 10, 60)));           // pixel rows run past the end
  EXPECT_TRUE(refused(Patched(good, 14, 52)));           // header size not accepted
  EXPECT_TRUE(refused(Patched(good, 14, 0xFFFFFFFFu)));
  EXPECT_TRUE(refused(Patched(good, 18, 0)));            // zero width
  EXPECT_TRUE(refused(Patched(good, 18, 0xFFFFFFFEu)));  // negative width
  EXPECT_TRUE(refused(Patched(good, 22, 0)));            // zero height
  EXPECT_TRUE(refused(Patched(good, 22, 0x80000000u)));  // height without a magnitude
  EXPECT_TRUE(refused(Patched(good, 18, 100000)));       // absurd sizes
  EXPECT_TRUE(refused(Patched(Patched(good, 18, 16384), 22, 16384)));
  EXPECT_TRUE(refused(Patched(good, 26, 2, 2)));  // planes
  EXPECT_TRUE(refused(Patched(good, 28, 7, 2)));  // bits per pixel
  EXPECT_TRUE(refused(Patched(good, 30, 1)));     // run-length compressed
  EXPECT_TRUE(refused(Patched(good, 30, 4)));     // embedded JPEG
  EXPECT_TRUE(refused(Patched(good, 30, 3)));     // bit fields need 16 or 32 bits
  Bmp twoColours = Indexed8();
  twoColours.palette.resize(2);
  // A count beyond 2^bits means 256 entries: past the end.
  EXPECT_TRUE(refused(Patched(Build(twoColours), 46, 0x40000000u)));

  // Tables running into the pixels: the indexed file's pixels start at 70,
  // the masks of the 5-6-5 file end at 66.
  const std::string indexed = Build(Indexed8());
  EXPECT_TRUE(refused(Patched(indexed, 10, 66)));  // last colour inside the pixels
  EXPECT_TRUE(refused(Patched(indexed, 10, 14)));  // pixels over the header
  Bmp fields;
  fields.bits = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.rows = {Bytes({0, 0, 0, 0}), Bytes({0, 0, 0, 0})};
  EXPECT_TRUE(refused(Patched(Build(fields), 10, 60)));
}

// The size reader passes a top-down height on; the extent reader makes it
// positive and refuses what the decoder would refuse. Neither reads pixels.
TEST(Bitmap, SizeAndExtentReadOnlyTheHeader) {
  const TempBmp file("orbiform_bitmap_size.bmp");
  std::int32_t width = -1, height = -1;
  const std::string topDown = Patched(Build(Rgb24()), 22, 0xFFFFFFFEu);  // -2
  file.Write(Patched(topDown, 0, 'X', 1));                               // the signature is not examined
  EXPECT_TRUE(ReadBitmapSize(file.path.wstring(), width, height));
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, -2);
  file.Write(topDown);
  width = height = 7;
  ASSERT_TRUE(ReadBitmapExtent(file.path.wstring(), width, height));
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 2);

  Bmp core = Rgb24();
  core.header = 12;
  core.width = 0xFFFF;
  core.rows.clear();
  EXPECT_TRUE(ReadBitmapSize(file.Write(Build(core)), width, height));
  EXPECT_EQ(width, 0xFFFF);
  EXPECT_EQ(height, 2);

  // Shorter than its 40-byte header; a header size of 52.
  for (const std::string& bad : {Build(Rgb24()).substr(0, 53), Patched(Build(Rgb24()), 14, 52)}) {
    width = height = 9;
    EXPECT_FALSE(ReadBitmapSize(file.Write(bad), width, height));
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 9);
  }
  for (const std::string& bad :
       {Patched(Build(Rgb24()), 22, 0), Patched(Build(Rgb24()), 22, 0x80000000u),
        Patched(Build(Rgb24()), 0, 'X', 1), Patched(Build(Rgb24()), 18, 0xFFFFFFFFu)}) {
    width = height = 7;
    EXPECT_FALSE(ReadBitmapExtent(file.Write(bad), width, height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 7);
  }
  std::filesystem::remove(file.path);
  EXPECT_FALSE(ReadBitmapSize(file.path.wstring(), width, height));
  EXPECT_FALSE(ReadBitmapExtent(file.path.wstring(), width, height));
  EXPECT_FALSE(ReadBitmapSize(std::filesystem::temp_directory_path().wstring(), width, height));
}

TEST(Bitmap, LoadFromFileAndHalve) {
  const TempBmp file("orbiform_bitmap_load.bmp");
  Image image;
  ASSERT_TRUE(LoadBitmapImage(file.Write(Build(Rgb24())), image));
  EXPECT_EQ(image.pixels, kPicture);
  std::filesystem::remove(file.path);
  EXPECT_FALSE(LoadBitmapImage(file.path.wstring(), image));

  const Image half = HalveImage(image);
  EXPECT_EQ(half.width, 1);
  EXPECT_EQ(half.height, 1);
  // Rounded channel averages: red (255+0+0+255)/4, green the same, blue too.
  EXPECT_EQ(half.pixels, (std::vector<std::uint32_t>{0xFF808080u}));
  Image column{1, 3, {kRed, kBlue, kWhite}};
  const Image shorter = HalveImage(column);
  EXPECT_EQ(shorter.height, 1);
  EXPECT_EQ(shorter.pixels, (std::vector<std::uint32_t>{0xFF800080u}));
}

TEST(Bitmap, SharedImageIsDecodedOncePerFileState) {
  const TempBmp file("orbiform_bitmap_shared.bmp");
  const std::wstring path = file.Write(Build(Rgb24()));
  const std::size_t before = SharedBitmapDecodes();
  const auto first = SharedBitmapImage(path);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->pixels, kPicture);
  EXPECT_EQ(SharedBitmapImage(path), first);
  EXPECT_EQ(SharedBitmapDecodes(), before + 1);

  // Another content (another size) is read again; a broken file gives none.
  Bmp wider = Rgb24();
  wider.width = 3;
  wider.rows = {Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), Bytes({9, 8, 7, 6, 5, 4, 3, 2, 1})};
  file.Write(Build(wider));
  const auto second = SharedBitmapImage(path);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->width, 3);
  EXPECT_EQ(first->width, 2);  // a holder keeps its picture
  file.Write(Build(Rgb24()).substr(0, 30));
  EXPECT_FALSE(SharedBitmapImage(path));
  std::filesystem::remove(file.path);
  EXPECT_FALSE(SharedBitmapImage(path));
}

}  // namespace
