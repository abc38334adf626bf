// The "wrap" technique: the bitmap region spread over the faces in
// proportion to their real sizes. Expected pixels are worked out by hand from
// the ring geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "geometry/RoundObject.h"

using namespace orbiform;

namespace {

using Coords = std::vector<TexCoord>;
using Region = std::array<TexCoord, 4>;

const Region kSquare{{{0, 0}, {100, 0}, {100, 100}, {0, 100}}};

// Adds a wrap layer over the given ranges and applies it.
void ApplyWrap(RoundObject& object, const Region& region, unsigned startPoint, unsigned endPoint,
               unsigned startArea, unsigned endArea) {
  TextureLevel& level = object.GetTextureLevel(object.AddTextureLevel());
  level.type = TextureLevel::kWrap;
  level.coords = region;
  level.SetPoints(startPoint, endPoint);
  level.SetAreas(startArea, endArea);
  ASSERT_TRUE(object.ApplyTextures());
}

const FaceTexture& Side(const RoundObject& object, unsigned r, unsigned q) {
  return object.GetFace(r * object.PointsPerRing() + 1 + q);
}

// Axis-parallel face from its left/right x and top/bottom y, in corner order
// (upper ring q + 1, upper ring q, lower ring q, lower ring q + 1).
Coords Quad(int left, int right, int top, int bottom) {
  return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

void ExpectNear(const Coords& actual, const Coords& expected, int tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_LE(std::llabs(0LL + actual[i].first - expected[i].first), tolerance) << "corner " << i;
    EXPECT_LE(std::llabs(0LL + actual[i].second - expected[i].second), tolerance) << "corner " << i;
  }
}

void ExpectInside(const RoundObject& object, int left, int top, int right, int bottom) {
  for (std::size_t f = 1; f + 1 < object.FaceCount(); ++f)
    for (const TexCoord& c : object.GetFace(f).coords) {
      EXPECT_GE(c.first, left) << "face " << f;
      EXPECT_LE(c.first, right) << "face " << f;
      EXPECT_GE(c.second, top) << "face " << f;
      EXPECT_LE(c.second, bottom) << "face " << f;
    }
}

// Four points per ring on a 1 x 2 rectangle: segments 0-1: 1, 1-2: 2,
// 2-3: 1, 3-0: 2 (6 in all). Every ring lies straight above the previous one
// at the given heights, so the numbers stay exact in binary.
RoundObject Box(const std::vector<double>& heights) {
  RoundObject object(4, 0);
  for (double h : heights) object.AddArea(0, 360, h, 1, 1);
  for (std::size_t r = 0; r < heights.size(); ++r) {
    Area& ring = object.GetArea(static_cast<int>(r));
    const double y = heights[r];
    ring.GetPoint(0) = Point{0, y, 0};
    ring.GetPoint(1) = Point{1, y, 0};
    ring.GetPoint(2) = Point{1, y, 2};
    ring.GetPoint(3) = Point{0, y, 2};
  }
  return object;
}

TEST(TexturesWrap, RegularCylinder) {
  // Radius 1, four points: every segment is sqrt(2) long, every ring pair 1
  // apart. 100 pixels over four equal columns: 25 each from x = 100 leftwards;
  // the lower ring at y = 100, the upper at y = 0. The generator's pi is not
  // exact, so a truncated value may land one pixel lower.
  RoundObject object(4, 0);
  object.AddArea(0, 360, 0, 1, 1);
  object.AddArea(0, 360, 1, 1, 1);
  object.GenerateAllPoints();
  ApplyWrap(object, kSquare, 0, 3, 0, 1);
  for (int q = 0; q < 4; ++q)
    ExpectNear(Side(object, 0, q).coords, Quad(75 - 25 * q, 100 - 25 * q, 0, 100), 1);
  EXPECT_EQ(Side(object, 0, 3).points, (std::vector<std::uint16_t>{4, 7, 3, 0}));
  EXPECT_EQ(Side(object, 0, 0).coords[2], (TexCoord{100, 100}));  // start corner exact
}

TEST(TexturesWrap, ColumnsAndRowsFollowRealSizes) {
  // Rows 1 and 3 high (H = 4): 25 pixels per unit, row 0 from y = 100 to 75,
  // row 1 from 75 to 0. Width 60 over 6 units: columns 10, 20, 10, 20 from
  // x = 60 leftwards.
  RoundObject object = Box({0, 1, 4});
  ApplyWrap(object, {{{0, 0}, {60, 0}, {60, 100}, {0, 100}}}, 0, 3, 0, 2);
  const int right[] = {60, 50, 30, 20};
  const int left[] = {50, 30, 20, 0};
  const int top[] = {75, 0};
  const int bottom[] = {100, 75};
  for (unsigned r = 0; r < 2; ++r)
    for (unsigned q = 0; q < 4; ++q)
      EXPECT_EQ(Side(object, r, q).coords, Quad(left[q], right[q], top[r], bottom[r])) << r << "," << q;
}

TEST(TexturesWrap, PartialRangeAcrossPointZero) {
  // Points 3 .. 0 of the second row only: segments 2 and 1 over 30 pixels,
  // one row 3 high over 30 pixels.
  RoundObject object = Box({0, 1, 4});
  ApplyWrap(object, {{{10, 20}, {40, 20}, {40, 50}, {10, 50}}}, 3, 0, 1, 2);
  EXPECT_EQ(Side(object, 1, 3).coords, Quad(20, 40, 20, 50));
  EXPECT_EQ(Side(object, 1, 3).points, (std::vector<std::uint16_t>{8, 11, 7, 4}));
  EXPECT_EQ(Side(object, 1, 0).coords, Quad(10, 20, 20, 50));
  EXPECT_EQ(Side(object, 1, 0).points, (std::vector<std::uint16_t>{9, 8, 4, 5}));
  for (unsigned q : {1u, 2u}) EXPECT_EQ(Side(object, 1, q).points, std::vector<std::uint16_t>(4, 0));
  for (unsigned q = 0; q < 4; ++q) EXPECT_EQ(Side(object, 0, q).points, std::vector<std::uint16_t>(4, 0));
}

TEST(TexturesWrap, UpperRingScaledOnItsOwn) {
  // Lower ring segments 1, 2, 1, 2 (6); upper ring 3, 1, 3, 1 (8). Over 60
  // pixels the lower edges split at 50, 30, 20 and the upper ones at 37.5,
  // 30, 7.5 (truncated).
  RoundObject object = Box({0, 1});
  Area& upper = object.GetArea(1);
  upper.GetPoint(1) = Point{3, 1, 0};
  upper.GetPoint(2) = Point{3, 1, 1};
  upper.GetPoint(3) = Point{0, 1, 1};
  ApplyWrap(object, {{{0, 0}, {60, 0}, {60, 100}, {0, 100}}}, 0, 3, 0, 1);
  EXPECT_EQ(Side(object, 0, 0).coords, (Coords{{37, 0}, {60, 0}, {60, 100}, {50, 100}}));
  EXPECT_EQ(Side(object, 0, 1).coords, (Coords{{30, 0}, {37, 0}, {50, 100}, {30, 100}}));
  EXPECT_EQ(Side(object, 0, 2).coords, (Coords{{7, 0}, {30, 0}, {30, 100}, {20, 100}}));
  EXPECT_EQ(Side(object, 0, 3).coords, (Coords{{0, 0}, {7, 0}, {20, 100}, {0, 100}}));
}

TEST(TexturesWrap, MirroredRegions) {
  RoundObject plain = Box({0, 1});
  ApplyWrap(plain, kSquare, 0, 3, 0, 1);
  // Each corner of the mirrored layer against the plain one's.
  const auto expectMirrored = [&plain](const Region& region, bool acrossX) {
    RoundObject mirrored = Box({0, 1});
    ApplyWrap(mirrored, region, 0, 3, 0, 1);
    ExpectInside(mirrored, 0, 0, 100, 100);
    for (unsigned q = 0; q < 4; ++q)
      for (std::size_t i = 0; i < 4; ++i) {
        const TexCoord &a = plain.GetFace(1 + q).coords[i], &b = mirrored.GetFace(1 + q).coords[i];
        SCOPED_TRACE(testing::Message() << "face " << q << " corner " << i);
        if (acrossX) {
          EXPECT_LE(std::llabs(0LL + b.first + a.first - 100), 1);
          EXPECT_EQ(b.second, a.second);
        } else {
          EXPECT_EQ(b.first, a.first);
          EXPECT_EQ(0LL + b.second + a.second, 100);
        }
      }
    return mirrored.GetFace(1).coords[2];
  };
  // Upper right left of upper left: the columns run rightwards from x = 0.
  EXPECT_EQ(expectMirrored({{{100, 0}, {0, 0}, {0, 100}, {100, 100}}}, true), (TexCoord{0, 100}));
  // Upside down: the lower ring at y = 0, the upper at y = 100.
  expectMirrored({{{0, 100}, {100, 100}, {100, 0}, {0, 0}}}, false);
}

TEST(TexturesWrap, TrapezoidRegion) {
  // Upper edge 20..80, lower edge 0..100. The region's corners land on the
  // outer corners of the layer; halfway up (two rows of equal height) the
  // edges are at x = 10 and x = 90.
  RoundObject object = Box({0, 1, 2});
  ApplyWrap(object, {{{20, 0}, {80, 0}, {100, 100}, {0, 100}}}, 0, 3, 0, 2);
  ExpectInside(object, 0, 0, 100, 100);
  const Coords& lowRight = Side(object, 0, 0).coords;
  const Coords& lowLeft = Side(object, 0, 3).coords;
  const Coords& upRight = Side(object, 1, 0).coords;
  const Coords& upLeft = Side(object, 1, 3).coords;
  ExpectNear({lowRight[2], lowRight[1]}, {{100, 100}, {90, 50}}, 1);
  ExpectNear({lowLeft[3], lowLeft[0]}, {{0, 100}, {10, 50}}, 1);
  ExpectNear({upRight[2], upRight[1]}, {{90, 50}, {80, 0}}, 1);
  ExpectNear({upLeft[3], upLeft[0]}, {{10, 50}, {20, 0}}, 1);

  // A lower edge that falls from (100, 80) on the right to (0, 100): every
  // lower corner lies on it, wherever the columns end.
  RoundObject sloped = Box({0, 1});
  ApplyWrap(sloped, {{{0, 0}, {100, 0}, {100, 80}, {0, 100}}}, 0, 3, 0, 1);
  ExpectInside(sloped, 0, 0, 100, 100);
  ExpectNear({Side(sloped, 0, 0).coords[2], Side(sloped, 0, 3).coords[3]}, {{100, 80}, {0, 100}}, 1);
  for (unsigned q = 0; q < 4; ++q)
    for (std::size_t i : {2, 3}) {
      const TexCoord& c = Side(sloped, 0, q).coords[i];
      EXPECT_NEAR(c.second, 80 + (100 - c.first) / 5.0, 1.0) << "face " << q << " corner " << i;
    }
}

TEST(TexturesWrap, DegenerateGeometryStaysFinite) {
  // Rings whose points were never computed: every length is zero, so the
  // whole layer collapses onto the region's start corner.
  RoundObject zero(5, 0);
  for (int r = 0; r < 3; ++r) zero.AddArea(0, 360, r, 1, 1);
  ApplyWrap(zero, {{{10, 20}, {70, 20}, {70, 90}, {10, 90}}}, 0, 4, 0, 2);
  for (std::size_t f = 1; f + 1 < zero.FaceCount(); ++f)
    EXPECT_EQ(zero.GetFace(f).coords, Coords(4, TexCoord(70, 90))) << f;

  // A region without area.
  RoundObject point = Box({0, 1});
  ApplyWrap(point, {{{30, 40}, {30, 40}, {30, 40}, {30, 40}}}, 0, 3, 0, 1);
  for (unsigned q = 0; q < 4; ++q) EXPECT_EQ(Side(point, 0, q).coords, Coords(4, TexCoord(30, 40)));

  // Lengths beyond the range of a double (an absurd radius) turn into
  // infinity; the corners still come out as integers and the start corner
  // stays put.
  RoundObject huge = Box({0, 1});
  for (unsigned p = 0; p < 4; ++p) huge.GetArea(0).GetPoint(p) = Point{p * 1e200, 0, 0};
  ApplyWrap(huge, {{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}, 0, 3, 0, 1);
  EXPECT_EQ(Side(huge, 0, 0).coords[2], (TexCoord{100, 50}));
  ExpectInside(huge, 0, 0, 100, 50);

  // A sphere's pole rings are tiny but real.
  Sphere sphere(6);
  sphere.SetRings(5);
  sphere.GenerateSphere();
  sphere.GenerateAllPoints();
  ApplyWrap(sphere, {{{0, 0}, {120, 0}, {120, 80}, {0, 80}}}, 0, 5, 0, 4);
  ExpectInside(sphere, 0, 0, 120, 80);
  EXPECT_EQ(Side(sphere, 0, 0).coords[2], (TexCoord{120, 80}));
}

}  // namespace
