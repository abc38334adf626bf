// Sphere parameters and the rings GenerateSphere stacks up.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>

#include "geometry/RoundObject.h"
#include "mwWinAPI/Exceptions.h"
#include "tests/geometry/ModelTexts.h"
#ifndef _WIN32
#include "mwWinAPI/NativeStrings.h"
#endif

using namespace orbiform;

namespace {

constexpr double kTol = 1e-9;

void ExpectRing(const Area& ring, double radius, double height) {
  EXPECT_NEAR(ring.Radius(), radius, kTol);
  EXPECT_NEAR(ring.Height(), height, kTol);
  EXPECT_EQ(ring.Ellipse(), 1.0);
  EXPECT_EQ(ring.StartDegree(), 0.0);
  EXPECT_EQ(ring.EndDegree(), 360.0);
}

// Rings, radius, ellipse, start and end degree.
std::tuple<int, double, double, double, double> Params(const Sphere& s) {
  return {s.Rings(), s.Radius(), s.Ellipse(), s.StartDegree(), s.EndDegree()};
}
const std::tuple<int, double, double, double, double> kDefaults{3, 2.0, 1.0, 0.0, 360.0};

TEST(SphereTest, DefaultsAndCheckedSetters) {
  Sphere sphere(4);
  EXPECT_TRUE(sphere.IsSphere());
  EXPECT_EQ(sphere.Axis(), 0);
  EXPECT_EQ(Params(sphere), kDefaults);

  EXPECT_EQ(ModelText([&] { sphere.SetRings(2); }), "areas < 3");
  EXPECT_EQ(ModelText([&] { sphere.SetRings(3001); }), "areas < 3");
  EXPECT_EQ(ModelText([&] { sphere.SetRadius(0); }), "radius <= 0");
  EXPECT_EQ(ModelText([&] { sphere.SetRadius(std::nan("")); }), "radius <= 0");
  EXPECT_EQ(ModelText([&] { sphere.SetEllipse(-1); }), "ellipse <= 0");
  const std::string degree = "degree <= 0 || > 360";
  EXPECT_EQ(ModelText([&] { sphere.SetStartDegree(-0.5); }), degree);
  EXPECT_EQ(ModelText([&] { sphere.SetStartDegree(359.5); }), degree);
  EXPECT_EQ(ModelText([&] { sphere.SetEndDegree(0); }), degree);
  EXPECT_EQ(ModelText([&] { sphere.SetEndDegree(360.5); }), degree);
  EXPECT_EQ(Params(sphere), kDefaults);

  sphere.SetRings(3000);
  sphere.SetStartDegree(359);
  sphere.SetStartDegree(0);
  sphere.SetEndDegree(360);
  EXPECT_EQ(sphere.Rings(), 3000);
}

TEST(SphereTest, FullSphereRunsPoleToPoleWithTinyPoleRings) {
  Sphere sphere(4);
  sphere.GenerateSphere();
  ASSERT_EQ(sphere.AreaCount(), 3u);
  ExpectRing(sphere.GetArea(0), 0.01, -2);
  ExpectRing(sphere.GetArea(1), 2, 0);
  ExpectRing(sphere.GetArea(2), 0.01, 2);  // sin comes out just below zero at 180
  EXPECT_EQ(sphere.FaceCount(), 2u * 4 + 2);

  // Points stay zero until they are generated.
  EXPECT_EQ(sphere.GetArea(1).GetPoint(0).x, 0);
  sphere.GenerateAllPoints();
  const Point& pole = sphere.GetArea(0).GetPoint(0);
  EXPECT_NEAR(pole.x, 0.01, kTol);
  EXPECT_NEAR(pole.y, -2, kTol);
  EXPECT_NEAR(sphere.GetArea(1).GetPoint(0).x, 2, kTol);
}

TEST(SphereTest, HalfRangeAndEllipse) {
  Sphere lower(4);
  lower.SetEndDegree(180);
  lower.GenerateSphere();
  ASSERT_EQ(lower.AreaCount(), 3u);
  ExpectRing(lower.GetArea(0), 0.01, -2);
  ExpectRing(lower.GetArea(1), std::sqrt(2.0), -std::sqrt(2.0));
  ExpectRing(lower.GetArea(2), 2, 0);

  Sphere tall(4);
  tall.SetEllipse(2);
  tall.SetRings(5);
  tall.GenerateSphere();
  ASSERT_EQ(tall.AreaCount(), 5u);
  ExpectRing(tall.GetArea(0), 0.01, -4);
  ExpectRing(tall.GetArea(1), std::sqrt(2.0), -2 * std::sqrt(2.0));
  ExpectRing(tall.GetArea(2), 2, 0);
  ExpectRing(tall.GetArea(4), 0.01, 4);
}

TEST(SphereTest, TooManyPointsAddsNoRingAtAll) {
#ifndef _WIN32
  mwWinAPI::SetNativeLanguage(mwWinAPI::Language::English);
#endif
  Sphere sphere(1000);
  sphere.SetRings(6);
  try {
    sphere.GenerateSphere();
    ADD_FAILURE() << "six rings of 1000 points accepted";
  } catch (const mwstd::invalid_argument& e) {
    EXPECT_EQ(e.what(), L"The program cannot manage more than 5000 points!");
  }
  EXPECT_EQ(sphere.AreaCount(), 0u);

  sphere.SetRings(5);
  sphere.GenerateSphere();
  EXPECT_EQ(sphere.AreaCount(), 5u);
}

TEST(SphereTest, CopiesFromBodyAndClones) {
  RoundObject body(5, 3);
  body.AddArea(0, 360, 1, 1, 1);
  body.AddArea(0, 360, 2, 1, 1);
  body.SetTexture(L"stone.bmp");
  body.SetVectorsReversed(true);

  const Sphere fromBody(body);
  EXPECT_EQ(fromBody.AreaCount(), 2u);
  EXPECT_EQ(fromBody.Axis(), 3);
  EXPECT_EQ(fromBody.Texture(), L"stone.bmp");
  EXPECT_TRUE(fromBody.VectorsReversed());
  EXPECT_EQ(Params(fromBody), kDefaults);

  Sphere sphere(4);
  sphere.SetRings(7);
  sphere.SetRadius(3.5);
  sphere.SetEllipse(0.5);
  sphere.SetStartDegree(10);
  sphere.SetEndDegree(200);
  std::unique_ptr<RoundObject> copy = sphere.Clone();
  ASSERT_TRUE(copy->IsSphere());
  EXPECT_EQ(Params(static_cast<const Sphere&>(*copy)), std::make_tuple(7, 3.5, 0.5, 10.0, 200.0));
}

}  // namespace
