// Face lists, texture layers and their operations, the "same" technique and
// the checked face access.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/RoundObject.h"
#include "mwWinAPI/Exceptions.h"
#include "tests/geometry/ModelTexts.h"
#ifndef _WIN32
#include "mwWinAPI/NativeStrings.h"
#endif

using namespace orbiform;

namespace {

using TexturesTest = EnglishTexts;

const std::wstring kNoSuchLayer = L"This texture layer does not exist!";
const std::wstring kPointRange =
    L"Both Start- and Endpoint are not allowed to be higher than the point count!";
const std::wstring kPlainRange =
    L"Both Start- and Endplain are not allowed to be hgiher than the plain count!";

// A closed cylinder of `rings` rings at heights 0, 1, 2, ...
RoundObject Cylinder(unsigned n, unsigned rings) {
  RoundObject object(n, 0);
  for (unsigned r = 0; r < rings; ++r) object.AddArea(0, 360, r, 1, 1);
  object.GenerateAllPoints();
  return object;
}

std::vector<std::uint16_t> SideCorners(unsigned n, unsigned r, unsigned q) {
  const unsigned q1 = (q + 1) % n;
  return {static_cast<std::uint16_t>((r + 1) * n + q1), static_cast<std::uint16_t>((r + 1) * n + q),
          static_cast<std::uint16_t>(r * n + q), static_cast<std::uint16_t>(r * n + q1)};
}

const std::vector<TexCoord> kDefaultCoords{{0, 0}, {50, 0}, {50, 50}, {0, 50}};
const std::vector<TexCoord> kZeroCoords(4, TexCoord{0, 0});
const std::vector<std::uint16_t> kZeroCorners(4, 0);

// Which side faces of row `r` a layer wrote (untouched faces keep index 0).
std::vector<unsigned> CoveredColumns(const RoundObject& object, unsigned r) {
  std::vector<unsigned> covered;
  const unsigned n = object.PointsPerRing();
  for (unsigned q = 0; q < n; ++q)
    if (object.GetFace(r * n + 1 + q).points != kZeroCorners) covered.push_back(q);
  return covered;
}

TEST_F(TexturesTest, FaceListLayout) {
  EXPECT_EQ(Textures::FaceCount(0, 4), 2u);
  EXPECT_EQ(Textures::FaceCount(1, 4), 2u);
  EXPECT_EQ(Textures::FaceCount(2, 4), 6u);
  EXPECT_EQ(Textures::FaceCount(3, 5), 12u);

  Textures t;
  t.GrundDeckFl = 1;
  t.Rebuild(3, 4);
  EXPECT_EQ(t.GrundDeckFl, 1);
  ASSERT_EQ(t.faces.size(), 10u);
  EXPECT_EQ(t.faces.front().points, (std::vector<std::uint16_t>{3, 2, 1, 0}));
  EXPECT_EQ(t.faces.back().points, (std::vector<std::uint16_t>{8, 9, 10, 11}));
  for (std::size_t f = 1; f + 1 < t.faces.size(); ++f) {
    EXPECT_EQ(t.faces[f].points, kZeroCorners);
    EXPECT_EQ(t.faces[f].coords, kZeroCoords);
  }
}

TEST_F(TexturesTest, SameOverWholeObject) {
  RoundObject object = Cylinder(4, 2);
  object.SetGrundDeckFl(2);
  EXPECT_EQ(object.AddTextureLevel(), 0u);
  ASSERT_TRUE(object.ApplyTextures());
  EXPECT_TRUE(object.TexCoordsValid());
  EXPECT_EQ(object.GrundDeckFl(), 2);  // a list of the right size is kept
  ASSERT_EQ(object.FaceCount(), 6u);
  for (unsigned q = 0; q < 4; ++q) {
    EXPECT_EQ(object.GetFace(1 + q).coords, kDefaultCoords) << q;
    EXPECT_EQ(object.GetFace(1 + q).points, SideCorners(4, 0, q)) << q;
  }
  EXPECT_EQ(object.GetFace(0).points, (std::vector<std::uint16_t>{3, 2, 1, 0}));
  EXPECT_EQ(object.GetFace(5).points, (std::vector<std::uint16_t>{4, 5, 6, 7}));
  EXPECT_EQ(object.GetFace(0).coords, kZeroCoords);
  EXPECT_EQ(object.GetFace(5).coords, kZeroCoords);
}

TEST_F(TexturesTest, LayerWithoutRingPairChangesNothing) {
  RoundObject object = Cylinder(4, 3);
  object.AddTextureLevel();
  object.GetTextureLevel(0).SetAreas(1, 1);
  object.GetTextureLevel(0).coords = {{{7, 7}, {9, 7}, {9, 9}, {7, 9}}};
  ASSERT_TRUE(object.ApplyTextures());
  for (std::size_t f = 1; f + 1 < object.FaceCount(); ++f) {
    EXPECT_EQ(object.GetFace(f).coords, kZeroCoords) << f;
    EXPECT_EQ(object.GetFace(f).points, kZeroCorners) << f;
  }
}

TEST_F(TexturesTest, SameCoversPointRanges) {
  // Columns a "same" layer over both rows of a 6-point, 3-ring object covers.
  const auto covered = [](unsigned start, unsigned end) {
    RoundObject object = Cylinder(6, 3);
    object.AddTextureLevel();
    object.GetTextureLevel(0).SetPoints(start, end);
    EXPECT_TRUE(object.ApplyTextures());
    const std::vector<unsigned> row0 = CoveredColumns(object, 0);
    EXPECT_EQ(CoveredColumns(object, 1), row0);
    for (unsigned q : row0) {
      EXPECT_EQ(object.GetFace(1 + q).points, SideCorners(6, 0, q));
      EXPECT_EQ(object.GetFace(1 + q).coords, kDefaultCoords);
    }
    return row0;
  };
  EXPECT_EQ(covered(1, 3), (std::vector<unsigned>{1, 2, 3}));
  EXPECT_EQ(covered(2, 2), (std::vector<unsigned>{2}));
  // Ending on the last point includes the closing face to point 0.
  EXPECT_EQ(covered(4, 5), (std::vector<unsigned>{4, 5}));
  // A range running across point 0 covers the start point through the last
  // point and on from point 0 to the end point.
  EXPECT_EQ(covered(4, 1), (std::vector<unsigned>{0, 1, 4, 5}));
  EXPECT_EQ(covered(5, 0), (std::vector<unsigned>{0, 5}));
  EXPECT_EQ(covered(1, 0), (std::vector<unsigned>{0, 1, 2, 3, 4, 5}));
}

TEST_F(TexturesTest, WrapAcrossPointZeroCoversOnlyItsColumns) {
  RoundObject object = Cylinder(4, 3);
  object.AddTextureLevel();
  TextureLevel& level = object.GetTextureLevel(0);
  level.type = TextureLevel::kWrap;
  level.SetPoints(3, 1);
  ASSERT_TRUE(object.ApplyTextures());
  for (unsigned r = 0; r < 2; ++r) {
    EXPECT_EQ(CoveredColumns(object, r), (std::vector<unsigned>{0, 1, 3})) << r;
    for (unsigned q : {0u, 1u, 3u}) EXPECT_EQ(object.GetFace(r * 4 + 1 + q).points, SideCorners(4, r, q));
    EXPECT_EQ(object.GetFace(r * 4 + 1 + 2).coords, kZeroCoords);
  }
}

TEST_F(TexturesTest, RingChangesUpdateLayerCounts) {
  RoundObject object = Cylinder(5, 4);
  object.AddTextureLevel();
  const TextureLevel& level = object.GetTextureLevel(0);
  EXPECT_EQ(level.pointCount, 5u);
  EXPECT_EQ(level.areaCount, 4u);
  EXPECT_EQ(level.startArea, 0u);
  EXPECT_EQ(level.endArea, 3u);
  EXPECT_EQ(level.startPoint, 0u);
  EXPECT_EQ(level.endPoint, 4u);

  // (Removing rings clamps the layers: see the ring removal test.)
  TextureLevel l;
  l.SetCounts(10, 10);
  l.SetPoints(2, 9);
  l.SetAreas(8, 9);
  l.SetCounts(20, 20);  // growing keeps the ranges
  EXPECT_EQ(l.endPoint, 9u);
  EXPECT_EQ(l.startArea, 8u);
  l.SetCounts(5, 9);
  EXPECT_EQ(l.startPoint, 2u);
  EXPECT_EQ(l.endPoint, 4u);
  EXPECT_EQ(l.startArea, 8u);
  EXPECT_EQ(l.endArea, 8u);
  l.SetCounts(0, 0);
  EXPECT_EQ(l.startPoint, 0u);
  EXPECT_EQ(l.endPoint, 0u);
  EXPECT_EQ(l.startArea, 0u);
  EXPECT_EQ(l.endArea, 0u);
}

TEST_F(TexturesTest, FaceListKeptOrRebuilt) {
  // One ring: the list of base and top is already right, so the user's
  // choice of caps survives every application.
  RoundObject single(4, 0);
  single.AddArea(0, 360, 0, 1, 1);
  single.SetGrundDeckFl(0);
  EXPECT_TRUE(single.ApplyTextures());
  EXPECT_TRUE(single.ApplyTextures());
  EXPECT_EQ(single.GrundDeckFl(), 0);
  EXPECT_EQ(single.FaceCount(), 2u);
  EXPECT_EQ(single.GetFace(1).points, (std::vector<std::uint16_t>{0, 1, 2, 3}));

  // A list that no longer fits is rebuilt and both caps come back.
  RoundObject object = Cylinder(4, 3);
  object.SetGrundDeckFl(1);
  object.GetTextures().faces.pop_back();
  EXPECT_TRUE(object.ApplyTextures());
  EXPECT_EQ(object.FaceCount(), 10u);
  EXPECT_EQ(object.GrundDeckFl(), 3);
  EXPECT_EQ(object.GetFace(9).points, (std::vector<std::uint16_t>{8, 9, 10, 11}));

  object.SetGrundDeckFl(2);
  object.GetTextures().faces[0].points.resize(3);
  EXPECT_TRUE(object.ApplyTextures());
  EXPECT_EQ(object.GrundDeckFl(), 3);
  EXPECT_EQ(object.GetFace(0).points, (std::vector<std::uint16_t>{3, 2, 1, 0}));
}

TEST_F(TexturesTest, ObjectWithoutRingsHasNothingToTexture) {
  RoundObject object(5, 0);
  EXPECT_EQ(object.AddTextureLevel(), 0u);
  const TextureLevel& level = object.GetTextureLevel(0);
  EXPECT_EQ(level.startArea, 0u);
  EXPECT_EQ(level.endArea, 0u);
  EXPECT_EQ(level.endPoint, 4u);

  object.SetGrundDeckFl(1);
  bool result = true;
  EXPECT_NO_THROW(result = object.ApplyTextures());
  EXPECT_FALSE(result);
  EXPECT_FALSE(object.TexCoordsValid());
  const Textures& t = object.GetTextures();
  ASSERT_EQ(t.faces.size(), 2u);
  for (const FaceTexture& face : t.faces) {
    EXPECT_EQ(face.points, (std::vector<std::uint16_t>(5, 0)));
    EXPECT_EQ(face.coords.size(), 5u);
  }
}

TEST_F(TexturesTest, FailingLayerStopsApplication) {
  RoundObject object = Cylinder(4, 2);
  for (int i = 0; i < 3; ++i) object.AddTextureLevel();
  object.GetTextureLevel(0).SetPoints(0, 0);
  object.GetTextureLevel(1).endPoint = 4;  // bypasses the checked setter
  object.GetTextureLevel(2).SetPoints(2, 2);
  EXPECT_FALSE(object.ApplyTextures());
  EXPECT_FALSE(object.TexCoordsValid());
  const Textures& t = object.GetTextures();
  EXPECT_EQ(t.faces[1].coords, kDefaultCoords);  // the first layer stays applied
  EXPECT_EQ(t.faces[3].coords, kZeroCoords);     // the third never ran

  object.GetTextureLevel(1).endPoint = 3;
  EXPECT_TRUE(object.ApplyTextures());
  EXPECT_TRUE(object.TexCoordsValid());

  // Applying a layer directly: ranges beyond the object change nothing.
  TextureLevel level;
  level.startArea = 0;
  level.endArea = 2;
  level.endPoint = 3;
  Textures faces;
  faces.Rebuild(2, 4);
  EXPECT_FALSE(level.Apply(faces, 4, object.Areas()));
  level.endArea = 1;
  level.startPoint = 4;
  EXPECT_FALSE(level.Apply(faces, 4, object.Areas()));
  for (std::size_t f = 1; f < 5; ++f) EXPECT_EQ(faces.faces[f].points, kZeroCorners);
  // A face list too short for the rings is refused rather than overrun.
  level.startPoint = 0;
  faces.faces.resize(3);
  EXPECT_FALSE(level.Apply(faces, 4, object.Areas()));
}

TEST_F(TexturesTest, FaceAccessNeedsValidCoordinates) {
  RoundObject object = Cylinder(4, 2);
  EXPECT_EQ(ModelText([&] { object.GetFace(1); }), "SetTexCoordinate()  invalid operation");
  EXPECT_EQ(ModelText([&] { object.GetFacePoint(1, 0); }), "SetTexCoordinate() invalid operation");
  EXPECT_EQ(ModelText([&] { object.SetTexCoordinate(1, 0, 3, 4); }), "SetTexCoordinate() invalid operation");
  EXPECT_EQ(ModelText([&] { object.GetTexCoordinate(1, 0); }), "GetTexCoordinate() invalid operation");

  ASSERT_TRUE(object.ApplyTextures());
  EXPECT_EQ(object.GetFacePoint(0, 0), 3u);
  EXPECT_EQ(object.GetFacePoint(5, 3), 7u);
  object.SetTexCoordinate(2, 1, -5, 70000);
  EXPECT_EQ(object.GetTexCoordinate(2, 1), (TexCoord{-5, 70000}));
  EXPECT_EQ(object.GetFace(2).coords[1], (TexCoord{-5, 70000}));

  EXPECT_THROW(object.GetFace(6), std::out_of_range);
  EXPECT_THROW(object.GetFacePoint(6, 0), std::out_of_range);
  EXPECT_THROW(object.GetFacePoint(1, 4), std::out_of_range);
  EXPECT_THROW(object.SetTexCoordinate(1, 4, 0, 0), std::out_of_range);
  EXPECT_THROW(object.GetTexCoordinate(7, 0), std::out_of_range);
  EXPECT_NO_THROW(object.GetTexCoordinate(0, 3));  // caps have N corners
  EXPECT_THROW(object.GetTexCoordinate(0, 4), std::out_of_range);

  object.AddArea(0, 360, 2, 1, 1);  // a ring change invalidates again
  EXPECT_THROW(object.GetTexCoordinate(1, 0), std::invalid_argument);
}

TEST_F(TexturesTest, LayerRangeAndIndexChecks) {
  RoundObject object = Cylinder(4, 3);
  EXPECT_THROW(object.GetTextureLevel(0), std::out_of_range);
  EXPECT_EQ(UserText([&] { object.RemoveTextureLevel(0); }), kNoSuchLayer);
  EXPECT_EQ(UserText([&] { object.MoveTextureLevel(0, 0, false); }), kNoSuchLayer);
  object.AddTextureLevel();
  EXPECT_THROW(object.GetTextureLevel(1), std::out_of_range);
  EXPECT_EQ(UserText([&] { object.MoveTextureLevel(1, 0, true); }), kNoSuchLayer);

  TextureLevel& level = object.GetTextureLevel(0);
  EXPECT_EQ(UserText([&] { level.SetPoints(0, 4); }), kPointRange);
  EXPECT_EQ(UserText([&] { level.SetPoints(4, 0); }), kPointRange);
  EXPECT_EQ(UserText([&] { level.SetAreas(0, 3); }), kPlainRange);
  EXPECT_EQ(UserText([&] { level.SetAreas(3, 1); }), kPlainRange);
  EXPECT_EQ(level.endPoint, 3u);  // refused values change nothing
  EXPECT_EQ(level.endArea, 2u);
  level.SetPoints(3, 1);
  level.SetAreas(2, 0);
  EXPECT_EQ(level.startPoint, 3u);
  EXPECT_EQ(level.endPoint, 1u);
  EXPECT_EQ(level.startArea, 2u);
  EXPECT_EQ(level.endArea, 0u);

  TextureLevel empty;  // counts 0: nothing fits
  EXPECT_EQ(UserText([&] { empty.SetPoints(0, 0); }), kPointRange);
  EXPECT_EQ(UserText([&] { empty.SetAreas(0, 0); }), kPlainRange);

  object.RemoveTextureLevel(0);
  EXPECT_EQ(object.TextureLevelCount(), 0u);
}

TEST_F(TexturesTest, MoveTextureLevel) {
  RoundObject object = Cylinder(4, 2);
  const auto reset = [&object] {
    while (object.TextureLevelCount() > 0) object.RemoveTextureLevel(0);
    for (int id : {1, 2, 3}) object.GetTextureLevel(object.AddTextureLevel()).coords[0].first = id;
  };
  // Layers are told apart by their first corner's x; 0 marks a default layer.
  const auto ids = [&object] {
    std::vector<int> result;
    for (const TextureLevel& l : object.TextureLevels()) result.push_back(l.coords[0].first);
    return result;
  };

  reset();
  object.MoveTextureLevel(0, 2, true);
  EXPECT_EQ(ids(), (std::vector<int>{2, 3, 1}));
  object.MoveTextureLevel(2, 0, true);
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
  object.MoveTextureLevel(1, 1, true);
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
  object.MoveTextureLevel(1, 1, false);
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 2, 3}));

  reset();
  object.MoveTextureLevel(0, 2, false);
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 1, 3}));

  // A target beyond the end is reached by appending default layers.
  reset();
  object.MoveTextureLevel(1, 4, true);
  EXPECT_EQ(ids(), (std::vector<int>{1, 3, 0, 0, 2}));
  EXPECT_EQ(object.GetTextureLevel(2).type, TextureLevel::kSame);
  EXPECT_EQ(object.GetTextureLevel(2).endPoint, 3u);
  reset();
  object.MoveTextureLevel(0, 4, false);
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3, 0, 1, 0}));

  reset();
  EXPECT_THROW(object.MoveTextureLevel(0, std::numeric_limits<std::size_t>::max(), true), std::length_error);
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
}

}  // namespace

namespace {

TEST_F(TexturesTest, RingOnTopKeepsTheRowsBelowAndInsertedRingRenumbers) {
  RoundObject object = Cylinder(4, 2);
  object.GetTextureLevel(object.AddTextureLevel());
  ASSERT_TRUE(object.ApplyTextures());
  const std::vector<FaceTexture> before = object.GetTextures().faces;

  object.AddArea(0, 360, 2, 1, 1);
  const auto& faces = object.GetTextures().faces;
  ASSERT_EQ(Textures::FaceCount(3, 4), faces.size());
  for (unsigned f = 1; f <= 4; ++f) {  // the first row as it was
    EXPECT_EQ(before[f].points, faces[f].points) << f;
    EXPECT_EQ(before[f].coords, faces[f].coords) << f;
  }
  for (unsigned f = 5; f <= 8; ++f) {  // the new row starts as in a new list
    EXPECT_EQ(kZeroCorners, faces[f].points) << f;
    EXPECT_EQ(kZeroCoords, faces[f].coords) << f;
  }
  EXPECT_EQ((std::vector<std::uint16_t>{8, 9, 10, 11}), faces.back().points);  // top: the new ring
  EXPECT_EQ((std::vector<std::uint16_t>{3, 2, 1, 0}), faces.front().points);

  // A ring in between shifts every row above it: the list starts anew.
  object.InsertArea(1, 0, 360, 0.5, 1, 1);
  ASSERT_EQ(Textures::FaceCount(4, 4), object.GetTextures().faces.size());
  for (std::size_t f = 1; f + 1 < object.GetTextures().faces.size(); ++f)
    EXPECT_EQ(kZeroCorners, object.GetTextures().faces[f].points) << f;
  EXPECT_EQ((std::vector<std::uint16_t>{12, 13, 14, 15}), object.GetTextures().faces.back().points);
}

}  // namespace
