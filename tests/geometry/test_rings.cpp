// Ring generation and the ring operations of RoundObject.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "geometry/RoundObject.h"
#include "mwWinAPI/Exceptions.h"
#include "tests/geometry/ModelTexts.h"
#ifndef _WIN32
#include "mwWinAPI/NativeStrings.h"
#endif

using namespace orbiform;

namespace {

using RingTest = EnglishTexts;

constexpr double kTol = 1e-9;  // the ring generator's pi is good to about 1e-12

const std::wstring kRingInvalid =
    L"Radius, ellipse factor and height must be greater than 0 and there must be at least 3 points!";
const std::wstring kDegreeRange = L"Degree must be between 0\u00b0 - 360\u00b0 sein!";
const std::wstring kMinimumSpan = L"The plain must cover at least 30\u00b0";
const std::wstring kTooManyPoints = L"The program cannot manage more than 5000 points!";
const std::string kPointsPerRing = "points < 3 || points > 3000";
const std::string kNoSuchRing = "[const int index] out of range";

Area Ring(unsigned n, double start, double end, double radius = 1, double ellipse = 1, double height = 0) {
  return Area(n, start, end, height, radius, ellipse);
}

void ExpectPosition(const Point& p, double x, double y, double z) {
  EXPECT_NEAR(p.x, x, kTol);
  EXPECT_NEAR(p.y, y, kTol);
  EXPECT_NEAR(p.z, z, kTol);
}

void ExpectNormal(const Point& p, double x, double y, double z) {
  EXPECT_NEAR(p.nx, x, kTol);
  EXPECT_NEAR(p.ny, y, kTol);
  EXPECT_NEAR(p.nz, z, kTol);
}

double Deg(double d) { return d * std::acos(-1.0) / 180.0; }

TEST_F(RingTest, ClosedFourPointRingHasUnitNormalsAndNoNegativeZero) {
  Area ring = Ring(4, 0, 360);
  ring.GeneratePoints(0, false);
  ExpectPosition(ring.GetPoint(0), 1, 0, 0);
  ExpectPosition(ring.GetPoint(1), 0, 0, -1);
  ExpectPosition(ring.GetPoint(2), -1, 0, 0);
  ExpectPosition(ring.GetPoint(3), 0, 0, 1);
  for (std::size_t i = 0; i < 4; ++i) {
    const Point& p = ring.GetPoint(i);
    ExpectNormal(p, p.x, 0, p.z);
  }
  // sin(0) * -1 is -0.0 and must come out as +0.0.
  const Point& first = ring.GetPoint(0);
  EXPECT_EQ(first.z, 0.0);
  EXPECT_FALSE(std::signbit(first.z));
  EXPECT_FALSE(std::signbit(first.nz));
  EXPECT_FALSE(std::signbit(first.y));
  EXPECT_FALSE(std::signbit(first.ny));
  EXPECT_THROW(ring.GetPoint(4), std::out_of_range);
}

TEST_F(RingTest, OpenArcIncludesBothEndsAndClosedRingDoesNotRepeatStart) {
  Area half = Ring(3, 0, 180);
  half.GeneratePoints(0, false);
  ExpectPosition(half.GetPoint(0), 1, 0, 0);
  ExpectPosition(half.GetPoint(1), 0, 0, -1);
  ExpectPosition(half.GetPoint(2), -1, 0, 0);

  // 340 degrees already count as closed: step 340 / 4, last point at 255.
  Area closed = Ring(4, 0, 340);
  closed.GeneratePoints(0, false);
  ExpectPosition(closed.GetPoint(3), std::cos(Deg(255)), 0, -std::sin(Deg(255)));

  // Just below: step 339.9 / 3, the last point sits on the end degree.
  Area open = Ring(4, 0, 339.9);
  open.GeneratePoints(0, false);
  ExpectPosition(open.GetPoint(1), std::cos(Deg(113.3)), 0, -std::sin(Deg(113.3)));
  ExpectPosition(open.GetPoint(3), std::cos(Deg(339.9)), 0, -std::sin(Deg(339.9)));
}

TEST_F(RingTest, EllipseScalesCosineTermAndNormalLengthIsRoundedToFloat) {
  Area ring = Ring(3, 0, 90, 1, 2, 0);
  ring.GeneratePoints(0, false);
  ExpectPosition(ring.GetPoint(0), 2, 0, 0);
  ExpectPosition(ring.GetPoint(1), 2 * std::cos(Deg(45)), 0, -std::sin(Deg(45)));
  ExpectPosition(ring.GetPoint(2), 0, 0, -1);
  // The normal is the normalised (C, 0, S), not the ellipse's true normal.
  // (Single-precision length: only good to about 1e-7.)
  const Point& p = ring.GetPoint(1);
  EXPECT_NEAR(p.nx, 2 / std::sqrt(5.0), 1e-7);
  EXPECT_EQ(p.ny, 0.0);
  EXPECT_NEAR(p.nz, -1 / std::sqrt(5.0), 1e-7);

  // Radius 0.1 is not a float: the normal is 0.1 / float(0.1), not exactly 1.
  Area small = Ring(4, 0, 360, 0.1);
  small.GeneratePoints(0, false);
  EXPECT_NE(small.GetPoint(0).nx, 1.0);
  EXPECT_DOUBLE_EQ(small.GetPoint(0).nx, 0.1 / static_cast<double>(0.1f));
}

TEST_F(RingTest, EachAxisSequenceMapsPositionAndNormal) {
  // Point 1 of a 0..60 arc lies at 30 degrees: C = cos 30, S = -sin 30, H = 5.
  const double c = std::cos(Deg(30)), s = -0.5, h = 5;
  struct Expected {
    double x, y, z, nx, ny, nz;
  };
  const Expected table[6] = {
      {c, h, s, c, 0, s}, {c, s, h, c, s, 0}, {h, c, s, 0, c, s},
      {h, s, c, 0, s, c}, {s, c, h, s, c, 0}, {s, h, c, s, 0, c},
  };
  for (int axis = 0; axis < 6; ++axis) {
    SCOPED_TRACE(axis);
    const Expected& e = table[axis];
    Area ring = Ring(3, 0, 60, 1, 1, h);
    ring.GeneratePoints(axis, false);
    ExpectPosition(ring.GetPoint(1), e.x, e.y, e.z);
    ExpectNormal(ring.GetPoint(1), e.nx, e.ny, e.nz);

    // Inwards: the two used components flip, the unused one stays +0.0.
    Area inner = Ring(3, 0, 60, 1, 1, h);
    inner.GeneratePoints(axis, true);
    ExpectPosition(inner.GetPoint(1), e.x, e.y, e.z);
    ExpectNormal(inner.GetPoint(1), -e.nx, -e.ny, -e.nz);
    const Point& p = inner.GetPoint(1);
    const double unused = e.nx == 0 ? p.nx : e.ny == 0 ? p.ny : p.nz;
    EXPECT_EQ(unused, 0.0);
    EXPECT_FALSE(std::signbit(unused));
  }
}

TEST_F(RingTest, UndefinedAxisIsRefusedEverywhere) {
  Area ring = Ring(4, 0, 360);
  EXPECT_EQ(ModelText<std::invalid_argument>([&] { ring.GeneratePoints(6, false); }), "Axis not defined");
  EXPECT_EQ(ModelText<std::invalid_argument>([&] { ring.ReverseNormals(-1); }), "Axis not defined");
  EXPECT_EQ(ModelText<std::invalid_argument>([] { RoundObject(4, 6); }), "Axis not defined");
  RoundObject object(4, 3);
  EXPECT_EQ(ModelText<std::invalid_argument>([&] { object.SetAxis(-1); }), "Axis not defined");
  EXPECT_EQ(object.Axis(), 3);
}

TEST_F(RingTest, RingParametersAreChecked) {
  EXPECT_EQ(UserText([] { Ring(4, 0, 360, 0); }), kRingInvalid);
  EXPECT_EQ(UserText([] { Ring(4, 0, 360, 1, -1); }), kRingInvalid);
  EXPECT_EQ(UserText([] { Ring(4, 0, 360, std::numeric_limits<double>::quiet_NaN()); }), kRingInvalid);
  EXPECT_EQ(UserText([] { Ring(4, -1, 360); }), kDegreeRange);
  EXPECT_EQ(UserText([] { Ring(4, 361, 400); }), kDegreeRange);
  EXPECT_EQ(UserText([] { Ring(4, 0, 721); }), kDegreeRange);
  EXPECT_EQ(UserText([] { Ring(4, 10, 39); }), kMinimumSpan);

  Area wrapped = Ring(4, 300, 100);  // an end below the start runs on through 360
  EXPECT_EQ(wrapped.StartDegree(), 300);
  EXPECT_EQ(wrapped.EndDegree(), 460);
  Area exact = Ring(4, 10, 40);
  EXPECT_EQ(exact.EndDegree(), 40);

  Area ring = Ring(4, 0, 360);
  EXPECT_EQ(UserText([&] { ring.SetRadius(0); }), kRingInvalid);
  EXPECT_EQ(UserText([&] { ring.SetEllipse(0); }), kRingInvalid);
  EXPECT_EQ(UserText([&] { ring.SetDegrees(0, 10); }), kMinimumSpan);
  EXPECT_EQ(ring.Radius(), 1);
  EXPECT_EQ(ring.EndDegree(), 360);
}

TEST_F(RingTest, NewObjectHasFacesForTwoRingsAndChecksItsPointCount) {
  RoundObject object(4, 0);
  EXPECT_EQ(object.AreaCount(), 0u);
  EXPECT_EQ(object.FaceCount(), 6u);
  EXPECT_EQ(object.Texture(), L"textur.bmp");
  EXPECT_FALSE(object.TexCoordsValid());
  EXPECT_FALSE(object.VectorsReversed());
  EXPECT_EQ(object.GrundDeckFl(), 3);
  EXPECT_EQ(ModelText<std::invalid_argument>([] { RoundObject(2, 0); }), kPointsPerRing);
  EXPECT_EQ(ModelText<std::invalid_argument>([] { RoundObject(3001, 0); }), kPointsPerRing);
  EXPECT_NO_THROW(RoundObject(3000, 0));
}

TEST_F(RingTest, InsertionKeepsOrderAndRefusedRingsLeaveObjectUnchanged) {
  RoundObject object(4, 0);
  object.AddArea(0, 360, 0, 1, 1);
  object.AddArea(0, 360, 2, 1, 1);
  object.InsertArea(1, 0, 360, 1, 1, 1);
  object.InsertArea(99, 0, 360, 3, 1, 1);
  ASSERT_EQ(object.AreaCount(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(object.GetArea(i).Height(), i);
  EXPECT_EQ(object.FaceCount(), 3u * 4 + 2);
  EXPECT_EQ(object.GetArea(2).PointCount(), 4u);
  object.SetGrundDeckFl(1);

  EXPECT_EQ(UserText([&] { object.InsertArea(0, 0, 360, 9, 0, 1); }), kRingInvalid);
  EXPECT_EQ(UserText([&] { object.AddArea(0, 10, 9, 1, 1); }), kMinimumSpan);
  EXPECT_EQ(object.AreaCount(), 4u);
  EXPECT_EQ(object.GetArea(0).Height(), 0);
  EXPECT_EQ(object.FaceCount(), 3u * 4 + 2);
  EXPECT_EQ(object.GrundDeckFl(), 1);

  EXPECT_EQ(ModelText<std::out_of_range>([&] { object.GetArea(4); }), kNoSuchRing);
  EXPECT_EQ(ModelText<std::out_of_range>([&] { object.GetArea(-1); }), kNoSuchRing);
}

TEST_F(RingTest, FiveThousandPointLimit) {
  RoundObject object(1000, 0);
  for (int i = 0; i < 5; ++i) object.AddArea(0, 360, i, 1, 1);
  EXPECT_EQ(UserText([&] { object.AddArea(0, 360, 5, 1, 1); }), kTooManyPoints);
  EXPECT_EQ(UserText([&] { object.InsertArea(0, 0, 360, 5, 1, 1); }), kTooManyPoints);
  EXPECT_EQ(object.AreaCount(), 5u);
  EXPECT_EQ(object.FaceCount(), 4u * 1000 + 2);
}

TEST_F(RingTest, RemovalChecksIndexClearsValidFlagAndClampsLayers) {
  RoundObject object(4, 0);
  for (int i = 0; i < 3; ++i) object.AddArea(0, 360, i, 1, 1);
  const std::size_t layer = object.AddTextureLevel();
  EXPECT_EQ(object.GetTextureLevel(layer).endArea, 2u);

  EXPECT_EQ(ModelText<std::out_of_range>([&] { object.RemoveArea(3); }), kNoSuchRing);
  EXPECT_EQ(ModelText<std::out_of_range>([&] { object.RemoveArea(-2); }), kNoSuchRing);
  EXPECT_EQ(object.AreaCount(), 3u);

  object.SetTexCoordsValid(true);
  object.SetGrundDeckFl(2);
  object.RemoveArea(2);
  EXPECT_FALSE(object.TexCoordsValid());
  EXPECT_EQ(object.AreaCount(), 2u);
  EXPECT_EQ(object.FaceCount(), 4u + 2);
  object.GenerateAllPoints();
  EXPECT_TRUE(object.ApplyTextures());
  EXPECT_EQ(object.GrundDeckFl(), 2);  // the user's base/top choice survives a removal
  EXPECT_EQ(object.GetTextureLevel(layer).endArea, 1u);
  EXPECT_EQ(object.GetTextureLevel(layer).areaCount, 2u);

  object.RemoveArea(0);
  EXPECT_EQ(object.GetArea(0).Height(), 1);

  object.SetTexCoordsValid(true);
  object.RemoveArea(-1);
  EXPECT_EQ(object.AreaCount(), 0u);
  EXPECT_FALSE(object.TexCoordsValid());
  EXPECT_EQ(object.GetTextureLevel(layer).endArea, 0u);
  EXPECT_EQ(object.GetTextureLevel(layer).areaCount, 0u);

  object.SetTexCoordsValid(true);
  object.AddArea(0, 360, 0, 1, 1);
  EXPECT_FALSE(object.TexCoordsValid());
}

TEST_F(RingTest, PointsPerRingChangeResizesRingsFacesAndLayers) {
  RoundObject object(8, 0);
  for (int i = 0; i < 3; ++i) object.AddArea(0, 360, i, 1, 1);
  object.GenerateAllPoints();
  const Point kept = object.GetArea(1).GetPoint(3);
  const std::size_t layer = object.AddTextureLevel();
  object.GetTextureLevel(layer).SetPoints(2, 5);
  object.SetTexCoordsValid(true);

  EXPECT_EQ(ModelText<std::invalid_argument>([&] { object.SetPointsPerRing(2); }), kPointsPerRing);
  EXPECT_EQ(ModelText<std::invalid_argument>([&] { object.SetPointsPerRing(3001); }), kPointsPerRing);
  EXPECT_EQ(UserText([&] { object.SetPointsPerRing(1667); }), kTooManyPoints);
  EXPECT_EQ(object.PointsPerRing(), 8u);
  EXPECT_EQ(object.GetArea(0).PointCount(), 8u);
  EXPECT_TRUE(object.TexCoordsValid());

  object.SetPointsPerRing(4);
  EXPECT_FALSE(object.TexCoordsValid());
  EXPECT_EQ(object.FaceCount(), 2u * 4 + 2);
  EXPECT_EQ(object.GetArea(1).PointCount(), 4u);
  EXPECT_EQ(object.GetArea(1).GetPoint(3).x, kept.x);  // shrinking keeps the first points
  const TextureLevel& level = object.GetTextureLevel(layer);
  EXPECT_EQ(level.startPoint, 0u);
  EXPECT_EQ(level.endPoint, 3u);
  EXPECT_EQ(level.pointCount, 4u);

  object.SetPointsPerRing(6);
  EXPECT_EQ(object.GetArea(2).GetPoint(5).x, 0);  // new points are zero
  EXPECT_EQ(object.GetArea(2).GetPoint(5).nz, 0);
  EXPECT_EQ(object.GetTextureLevel(layer).endPoint, 5u);

  // Fewer than two rings: only the base and top areas, the list that
  // ApplyTextures keeps, so a one-ring object keeps its base/top choice.
  RoundObject empty(4, 0);
  empty.SetPointsPerRing(5);
  EXPECT_EQ(empty.FaceCount(), 2u);
  RoundObject disc(4, 0);
  disc.AddArea(0, 360, 0, 1, 1);
  disc.SetGrundDeckFl(1);
  disc.SetPointsPerRing(6);
  disc.GenerateAllPoints();
  EXPECT_TRUE(disc.ApplyTextures());
  EXPECT_EQ(disc.GrundDeckFl(), 1);
  EXPECT_EQ(disc.FaceCount(), 2u);
}

TEST_F(RingTest, RotateVectorsFlipsNormalsAndFlag) {
  RoundObject object(6, 2);
  object.AddArea(0, 360, 1, 2, 1);
  object.AddArea(0, 180, 3, 1, 1);
  object.GenerateAllPoints();
  RoundObject inward = object;
  inward.SetVectorsReversed(true);
  inward.GenerateAllPoints();

  object.RotateVectors();
  EXPECT_TRUE(object.VectorsReversed());
  for (int r = 0; r < 2; ++r) {
    for (std::size_t i = 0; i < 6; ++i) {
      const Point& a = object.GetArea(r).GetPoint(i);
      const Point& b = inward.GetArea(r).GetPoint(i);
      EXPECT_EQ(a.ny, b.ny);
      EXPECT_EQ(a.nz, b.nz);
      EXPECT_EQ(a.nx, 0);
      EXPECT_EQ(a.x, b.x);
    }
  }
  object.RotateVectors();
  EXPECT_FALSE(object.VectorsReversed());
  EXPECT_NEAR(object.GetArea(0).GetPoint(0).ny, 1, kTol);
}

}  // namespace
