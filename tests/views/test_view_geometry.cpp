// Layouts of the view geometry: where every build writes what, the split
// between the two workers, and the inputs that must change nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/files/BmpFiles.h"
#include "views/ViewGeometry.h"

namespace {

using namespace orbiform;
using namespace orbiform::views;

const std::wstring kNoBitmap = L"no-such-folder/none.bmp";

RoundObject Cylinder(unsigned n, int rings) {
  RoundObject object(n, 0);
  for (int r = 0; r < rings; ++r) object.AddArea(0, 360, r, 1 + r, 1);
  object.GenerateAllPoints();
  object.SetTexture(kNoBitmap);
  object.AddTextureLevel();  // "same" over everything
  EXPECT_TRUE(object.ApplyTextures());
  return object;
}

void ExpectAt(const TexturedPoint& vertex, const Point& point) {
  EXPECT_EQ(vertex.x, static_cast<float>(point.x));
  EXPECT_EQ(vertex.y, static_cast<float>(point.y));
  EXPECT_EQ(vertex.z, static_cast<float>(point.z));
  EXPECT_EQ(vertex.nz, static_cast<float>(point.nz));
}

void ExpectUV(const TexturedPoint& vertex, float u, float v) {
  EXPECT_FLOAT_EQ(vertex.u, u);
  EXPECT_FLOAT_EQ(vertex.v, v);
}

TEST(ViewGeometry, InvalidObjectsAndIndicesTouchNothing) {
  RoundObject noRings(4, 0);
  noRings.ApplyTextures();
  RoundObject stale = Cylinder(4, 2);
  stale.SetTexCoordsValid(false);
  const RoundObject good = Cylinder(4, 2);
  for (const RoundObject* object : {&noRings, &stale}) {
    std::vector<Point> outline(1);
    std::vector<TexturedPoint> faces(1);
    Indices indices(1, 7);
    EXPECT_FALSE(BuildOutline(*object, outline, indices));
    EXPECT_FALSE(BuildFaces(*object, faces, indices));
    EXPECT_FALSE(BuildAreaFaces(*object, 0, faces, indices));
    EXPECT_FALSE(BuildLayerFaces(*object, 0, faces, indices));
    EXPECT_EQ(outline.size(), 1u);
    EXPECT_EQ(faces.size(), 1u);
    EXPECT_EQ(indices, Indices(1, 7));
  }
  std::vector<TexturedPoint> faces(1);
  Indices indices(1, 7);
  EXPECT_FALSE(BuildAreaFaces(good, good.FaceCount(), faces, indices));
  EXPECT_FALSE(BuildLayerFaces(good, 1, faces, indices));
  RoundObject outside = good;
  outside.GetTextureLevel(0).endPoint = 4;  // beyond the ring
  EXPECT_FALSE(BuildLayerFaces(outside, 0, faces, indices));
  EXPECT_EQ(faces.size(), 1u);
  EXPECT_EQ(indices, Indices(1, 7));
}

TEST(ViewGeometry, OneRingIsItsPolygonAndTheBaseCap) {
  RoundObject object = Cylinder(4, 1);
  // Distinct base coordinates show which corner each point takes.
  for (int c = 0; c < 4; ++c) object.SetTexCoordinate(0, c, 10 * c, 10 * c + 1);
  std::vector<Point> outline;
  Indices lines;
  ASSERT_TRUE(BuildOutline(object, outline, lines));
  EXPECT_EQ(outline.size(), 4u);
  EXPECT_EQ(lines, (Indices{0, 1, 1, 2, 2, 3, 3, 0}));

  std::vector<TexturedPoint> faces;
  Indices triangles;
  ASSERT_TRUE(BuildFaces(object, faces, triangles));
  ASSERT_EQ(faces.size(), 4u);
  EXPECT_EQ(triangles, (Indices{1, 2, 0, 2, 3, 0}));
  for (int p = 0; p < 4; ++p) {
    ExpectAt(faces[p], object.GetArea(0).GetPoint(p));
    const int corner = 3 - p;  // base corner i belongs to point N - 1 - i
    ExpectUV(faces[p], 10.0f * corner, 10.0f * corner + 1);
  }
}

TEST(ViewGeometry, TwoRingsLayout) {
  const RoundObject object = Cylinder(4, 2);
  std::vector<Point> outline;
  Indices lines;
  ASSERT_TRUE(BuildOutline(object, outline, lines));
  EXPECT_EQ(outline.size(), 8u);
  EXPECT_EQ(lines, (Indices{0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 5, 2, 6, 3, 7, 4, 5, 5, 6, 6, 7, 7, 4}));

  std::vector<TexturedPoint> faces;
  Indices triangles;
  ASSERT_TRUE(BuildFaces(object, faces, triangles));
  ASSERT_EQ(faces.size(), 24u);
  ASSERT_EQ(triangles.size(), 36u);
  // The closing quad at point 3 joins point 3 to point 0.
  const Area& lower = object.GetArea(0);
  const Area& upper = object.GetArea(1);
  // Corners 2, 1, 0, 3 of the "same" layer's (0,0) (50,0) (50,50) (0,50).
  const Point* corners[] = {&lower.GetPoint(3), &upper.GetPoint(3), &upper.GetPoint(0), &lower.GetPoint(0)};
  const float uv[][2] = {{50, 50}, {50, 0}, {0, 0}, {0, 50}};
  for (int k = 0; k < 4; ++k) {
    ExpectAt(faces[16 + k], *corners[k]);
    ExpectUV(faces[16 + k], uv[k][0], uv[k][1]);
  }
  EXPECT_EQ(Indices(triangles.begin() + 24, triangles.begin() + 30), (Indices{16, 17, 19, 17, 18, 19}));
  // Top cap from vertex 20, wound against the base cap.
  EXPECT_EQ(Indices(triangles.begin() + 30, triangles.end()), (Indices{20, 22, 21, 20, 23, 22}));
  ExpectAt(faces[21], upper.GetPoint(1));
}

TEST(ViewGeometry, BothWorkersFillTheirRanges) {
  // Five rings: the first worker takes rows 0-1, the second rows 2-3.
  const RoundObject object = Cylinder(7, 5);
  std::vector<TexturedPoint> faces;
  Indices triangles;
  ASSERT_TRUE(BuildFaces(object, faces, triangles));
  const std::size_t N = 7;
  for (std::size_t r = 0; r < 4; ++r) {
    for (std::size_t p = 0; p < N; ++p) {
      const std::size_t v = N + 4 * (r * N + p);
      ExpectAt(faces[v], object.GetArea(r).GetPoint(p));
      ExpectAt(faces[v + 1], object.GetArea(r + 1).GetPoint(p));
      EXPECT_EQ(triangles[3 * (N - 2) + 6 * (r * N + p)], v);
    }
  }
  std::vector<Point> outline;
  Indices lines;
  ASSERT_TRUE(BuildOutline(object, outline, lines));
  for (std::size_t i = 0; i < outline.size(); ++i)
    EXPECT_EQ(outline[i].x, object.GetArea(i / N).GetPoint(i % N).x);
  EXPECT_EQ(lines[4 * N * 4], 4 * N);  // the last ring's polygon
  for (std::uint16_t index : lines) EXPECT_LT(index, outline.size());
}

TEST(ViewGeometry, SwitchedOffCapsStayZeroAfterAnEarlierBuild) {
  RoundObject object = Cylinder(5, 3);
  std::vector<TexturedPoint> faces;
  Indices triangles;
  ASSERT_TRUE(BuildFaces(object, faces, triangles));
  object.SetGrundDeckFl(2);  // top only
  ASSERT_TRUE(BuildFaces(object, faces, triangles));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(faces[i].x + faces[i].y + faces[i].z + faces[i].u, 0.0f);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(triangles[i], 0);
  EXPECT_EQ(triangles.back(), (4 * 3 - 3) * 5 + 3);
  object.SetGrundDeckFl(1);  // base only
  ASSERT_TRUE(BuildFaces(object, faces, triangles));
  EXPECT_EQ(triangles[0], 1);
  EXPECT_EQ(triangles.back(), 0);
  EXPECT_EQ(faces.back().x, 0.0f);
}

TEST(ViewGeometry, WrappedLayerCoversTheQuadsAcrossPointZero) {
  RoundObject object = Cylinder(6, 3);
  object.GetTextureLevel(0).SetPoints(4, 1);
  ASSERT_TRUE(object.ApplyTextures());
  std::vector<TexturedPoint> faces;
  Indices triangles;
  ASSERT_TRUE(BuildLayerFaces(object, 0, faces, triangles));
  ASSERT_EQ(faces.size(), 2u * 4 * 4);
  ASSERT_EQ(triangles.size(), 2u * 4 * 6);
  const int columns[] = {4, 5, 0, 1};
  for (int row = 0; row < 2; ++row) {
    for (int k = 0; k < 4; ++k) {
      const std::size_t v = 16 * row + 4 * k;
      ExpectAt(faces[v], object.GetArea(row).GetPoint(columns[k]));
      ExpectAt(faces[v + 2], object.GetArea(row + 1).GetPoint((columns[k] + 1) % 6));
      EXPECT_EQ(triangles[24 * row + 6 * k], v);
    }
  }
}

TEST(ViewGeometry, EmptyAndReversedPlainRangesGiveNoFaces) {
  RoundObject object = Cylinder(4, 3);
  std::vector<TexturedPoint> faces(3);
  Indices triangles(3);
  object.GetTextureLevel(0).SetAreas(1, 1);
  ASSERT_TRUE(BuildLayerFaces(object, 0, faces, triangles));
  EXPECT_TRUE(faces.empty());
  EXPECT_TRUE(triangles.empty());
  faces.resize(3);
  object.GetTextureLevel(0).SetAreas(2, 0);  // accepted by the layer dialog
  ASSERT_TRUE(BuildLayerFaces(object, 0, faces, triangles));
  EXPECT_TRUE(faces.empty());
}

TEST(ViewGeometry, SingleFaceAndBitmapSizeScaling) {
  RoundObject object = Cylinder(4, 2);
  // A top-down bitmap 100 wide and 50 high: only its header matters.
  const std::filesystem::path bitmap = std::filesystem::temp_directory_path() / "orbiform_view_size.bmp";
  bmptest::Bmp header;
  header.width = 100;
  header.height = -50;
  bmptest::WriteBmp(bitmap.string(), header);
  object.SetTexture(bitmap.wstring());
  std::vector<TexturedPoint> faces;
  Indices triangles;
  ASSERT_TRUE(BuildAreaFaces(object, 4, faces, triangles));  // the closing quad at point 3
  std::filesystem::remove(bitmap);
  ASSERT_EQ(faces.size(), 4u);
  EXPECT_EQ(triangles, (Indices{2, 1, 0, 3, 2, 0}));
  ExpectAt(faces[0], object.GetArea(1).GetPoint(0));
  ExpectAt(faces[2], object.GetArea(0).GetPoint(3));
  ExpectUV(faces[1], 0.5f, 0.0f);  // (50, 0)
  ExpectUV(faces[2], 0.5f, 1.0f);  // (50, 50)
  // The base face: one triangle fan over its N corners.
  ASSERT_TRUE(BuildAreaFaces(object, 0, faces, triangles));
  EXPECT_EQ(faces.size(), 4u);
  ExpectAt(faces[0], object.GetArea(0).GetPoint(3));
}

}  // namespace
