// The binary glTF export: container, the faces as triangles facing the way
// the 3D view shows them, normals of length 1, the bitmap inside as PNG.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "files/Export.h"
#include "files/GltfExport.h"
#include "tests/files/FileTestObjects.h"

using namespace orbiform;

namespace {

using Vec3 = std::array<double, 3>;

std::uint32_t U32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, s.data() + at, 4);  // little-endian on every target
  return v;
}

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The two chunks, checked against the container's header, and the numbers
// that the JSON gives in order (accessor counts, views' offsets and lengths).
struct Glb {
  std::string json, binary;
  std::vector<std::size_t> counts, offsets, lengths;

  explicit Glb(const std::string& bytes) {
    EXPECT_EQ(U32(bytes, 0), 0x46546C67u);
    EXPECT_EQ(U32(bytes, 4), 2u);
    EXPECT_EQ(U32(bytes, 8), bytes.size());
    const std::uint32_t jsonLength = U32(bytes, 12);
    EXPECT_EQ(U32(bytes, 16), 0x4E4F534Au);
    EXPECT_EQ(jsonLength % 4, 0u);
    json = bytes.substr(20, jsonLength);
    if (bytes.size() > 20 + jsonLength) {
      const std::uint32_t binaryLength = U32(bytes, 20 + jsonLength);
      EXPECT_EQ(U32(bytes, 24 + jsonLength), 0x004E4942u);
      binary = bytes.substr(28 + jsonLength, binaryLength);
      EXPECT_EQ(28 + jsonLength + binaryLength, bytes.size());
    }
    const std::regex count("\"count\":(\\d+)");
    for (std::sregex_iterator m(json.begin(), json.end(), count), end; m != end; ++m)
      counts.push_back(std::stoul((*m)[1]));
    const std::regex view("\"byteOffset\":(\\d+),\"byteLength\":(\\d+)");
    for (std::sregex_iterator m(json.begin(), json.end(), view), end; m != end; ++m) {
      offsets.push_back(std::stoul((*m)[1]));
      lengths.push_back(std::stoul((*m)[2]));
    }
  }
  Vec3 Get(std::size_t view, std::size_t index) const {
    float v[3];
    std::memcpy(v, binary.data() + offsets[view] + 12 * index, sizeof v);
    return {v[0], v[1], v[2]};
  }
  std::uint32_t Index(std::size_t view, std::size_t i) const {
    std::uint16_t v;
    std::memcpy(&v, binary.data() + offsets[view] + 2 * i, 2);
    return v;
  }
};

Image Bitmap(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  for (int i = 0; i < width * height; ++i) image.pixels.push_back(0xFF000000u | (i * 0x050301u));
  return image;
}

}  // namespace

// Base, side and top faces come out as the view draws them: counter-clockwise
// seen from outside in glTF's right-handed axes, with the normals pointing
// the same way, z turned round, every corner its own vertex.
TEST(GltfExport, TrianglesFaceOutwardsInRightHandedAxes) {
  // One layer over everything: a face no layer covers collapses to point 0.
  RoundObject object(6, 0);
  for (int r = 0; r < 4; ++r) object.AddArea(0, 360, 1.5 * r, 1.0 + 0.25 * r, r == 1 ? 0.75 : 1.0);
  object.GenerateAllPoints();
  object.AddTextureLevel();
  ASSERT_TRUE(object.ApplyTextures());
  // A point added by hand has no normal; glTF needs one of length 1.
  object.GetArea(2).GetPoint(3).nx = object.GetArea(2).GetPoint(3).ny = object.GetArea(2).GetPoint(3).nz = 0;
  const Image bitmap = Bitmap(40, 20);
  const GlbFile file = GlbExport(object, L"Säule \"A\"", &bitmap);
  EXPECT_TRUE(file.note.empty());
  const Glb glb(file.bytes);
  EXPECT_NE(glb.json.find("\"name\":\"S\xc3\xa4ule \\\"A\\\"\""), std::string::npos);

  std::size_t corners = 0, triangles = 0;
  for (const std::size_t f : objectxml::ExportedFaces(object)) {
    corners += object.GetTextures().faces[f].points.size();
    triangles += object.GetTextures().faces[f].points.size() - 2;
  }
  ASSERT_EQ(glb.counts, (std::vector<std::size_t>{corners, corners, corners, 3 * triangles}));
  const Point& first = object.GetArea(0).GetPoint(5);  // corner 0 of the base face
  EXPECT_EQ(glb.Get(0, 0),
            (Vec3{static_cast<float>(first.x), static_cast<float>(first.y), static_cast<float>(-first.z)}));

  const double middle = 0.5 * object.GetArea(3).Height();
  for (std::size_t t = 0; t < triangles; ++t) {
    Vec3 p[3], normal{0, 0, 0};
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t i = glb.Index(3, 3 * t + k);
      ASSERT_LT(i, corners);
      p[k] = glb.Get(0, i);
      const Vec3 n = glb.Get(1, i);
      EXPECT_NEAR(Dot(n, n), 1.0, 1e-6) << t;
      for (int a = 0; a < 3; ++a) normal[a] += n[a];
    }
    const Vec3 facing = Cross(Minus(p[1], p[0]), Minus(p[2], p[0]));
    const Vec3 centre{(p[0][0] + p[1][0] + p[2][0]) / 3, (p[0][1] + p[1][1] + p[2][1]) / 3 - middle,
                      (p[0][2] + p[1][2] + p[2][2]) / 3};
    EXPECT_GT(Dot(facing, centre), 0) << "triangle " << t << " faces inwards";
    EXPECT_GE(Dot(facing, normal), -1e-9) << "triangle " << t << " against its normals";
  }
  // The bitmap follows as a PNG of its size in the last view.
  const std::string png = glb.binary.substr(glb.offsets.back(), glb.lengths.back());
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x28\0\0\0\x14", 8));
}

// Without a bitmap: no texture coordinates, no image, and a note; an object
// without rings gives a scene with an empty node and no binary chunk.
TEST(GltfExport, LeavesOutWhatIsNotThere) {
  const RoundObject object = filetest::MakeCylinder(5, 2, 0);
  const GlbFile file = GlbExport(object, L"x", nullptr);
  EXPECT_NE(file.note.find(L"mauer.bmp"), std::wstring::npos);
  const Glb glb(file.bytes);
  EXPECT_EQ(glb.json.find("TEXCOORD_0"), std::string::npos);
  EXPECT_EQ(glb.json.find("images"), std::string::npos);
  EXPECT_EQ(glb.counts, (std::vector<std::size_t>{20, 20, 30}));

  const Glb empty(GlbExport(RoundObject(5, 0), L"x", nullptr).bytes);
  EXPECT_TRUE(empty.binary.empty());
  EXPECT_EQ(empty.json.find("\"mesh\""), std::string::npos);
}
