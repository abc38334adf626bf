// The OBJ export: the same faces as the simulator file, scaled and flipped
// texture coordinates, the material and numbers.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "files/Export.h"
#include "files/ObjExport.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"
#include "tests/files/FileTestObjects.h"

using namespace orbiform;

namespace {

const std::wstring kObj = L"C:\\Objekte\\saeule.obj";
const BitmapExtent kBitmap{200, 100};

std::vector<std::wstring> LinesStarting(const std::wstring& text, const std::wstring& key) {
  std::vector<std::wstring> lines;
  std::wistringstream in(text);
  for (std::wstring line; std::getline(in, line);)
    if (line.compare(0, key.size() + 1, key + L" ") == 0) lines.push_back(line.substr(key.size() + 1));
  return lines;
}

std::size_t Corners(const RoundObject& object) {
  std::size_t n = 0;
  for (const std::size_t f : objectxml::ExportedFaces(object))
    n += object.GetTextures().faces[f].points.size();
  return n;
}

void ExpectCounts(const RoundObject& object, std::size_t faces) {
  const std::wstring obj = ObjExportTexts(object, kObj, kBitmap).obj;
  EXPECT_EQ(LinesStarting(obj, L"v").size(), object.PointCount());
  EXPECT_EQ(LinesStarting(obj, L"vn").size(), object.PointCount());
  EXPECT_EQ(LinesStarting(obj, L"vt").size(), Corners(object));
  EXPECT_EQ(LinesStarting(obj, L"f").size(), faces);
}

}  // namespace

TEST(ObjExport, CountsFollowTheExportedFaces) {
  // 4 rings of 6 points: 18 side quads, plus base and top as the flags say.
  ExpectCounts(filetest::MakeCylinder(6, 4, 0), 18);
  ExpectCounts(filetest::MakeCylinder(6, 4, 3), 20);
  ExpectCounts(filetest::MakeCylinder(6, 4, 2), 19);
  RoundObject oneRing(6, 0);  // one ring: no side faces
  oneRing.AddArea(0, 360, 0, 1, 1);
  oneRing.GenerateAllPoints();
  oneRing.SetGrundDeckFl(3);
  ExpectCounts(oneRing, 2);
  const Sphere sphere = filetest::MakeGoldenSphere();
  ExpectCounts(sphere, objectxml::ExportedFaces(sphere).size());
  EXPECT_GT(objectxml::ExportedFaces(sphere).size(), 0u);
}

TEST(ObjExport, SameCornersAsTheSimulatorFileWithFlippedV) {
  const RoundObject object = filetest::MakeCylinder(6, 3, 3);
  const std::wstring obj = ObjExportTexts(object, kObj, kBitmap).obj;
  const auto faces = LinesStarting(obj, L"f");
  const auto uvs = LinesStarting(obj, L"vt");
  // The third exported face is the second side quad, in the "wrap" layer.
  const auto chosen = objectxml::ExportedFaces(object);
  const FaceTexture& quad = object.GetTextures().faces[chosen.at(2)];
  const std::size_t firstVt = object.GetTextures().faces[chosen[0]].points.size() +
                              object.GetTextures().faces[chosen[1]].points.size();
  std::wstring expected;
  for (std::size_t c = 0; c < quad.points.size(); ++c) {
    const auto v = std::to_wstring(quad.points[c] + 1);
    expected += (c ? L" " : L"") + v + L"/" + std::to_wstring(firstVt + c + 1) + L"/" + v;
  }
  EXPECT_EQ(faces.at(2), expected);
  // The corner (160, 7) of a 200 x 100 bitmap: v counts from the bottom.
  ASSERT_EQ(quad.coords[0], (TexCoord{160, 7}));
  EXPECT_EQ(uvs.at(firstVt), L"0.8 0.93");
}

TEST(ObjExport, WithoutBitmapNoTextureCoordinates) {
  const RoundObject object = filetest::MakeCylinder(6, 3, 3);
  const ObjTexts texts = ObjExportTexts(object, kObj, std::nullopt);
  EXPECT_TRUE(LinesStarting(texts.obj, L"vt").empty());
  EXPECT_NE(LinesStarting(texts.obj, L"f").at(0).find(L"//"), std::wstring::npos);
  EXPECT_NE(texts.note.find(L"texture coordinates left out"), std::wstring::npos);
  EXPECT_EQ(texts.note.find(L'\n'), std::wstring::npos);
  EXPECT_EQ(texts.mtl.find(L"map_Kd"), std::wstring::npos);
  EXPECT_TRUE(ObjExportTexts(object, kObj, kBitmap).note.empty());
}

TEST(ObjExport, MaterialNamesTheBitmapRelativeToTheObj) {
  RoundObject object = filetest::MakeCylinder(4, 2, 0);
  object.SetTexture(L"C:\\Objekte\\bilder\\stein.bmp");
  const ObjTexts texts = ObjExportTexts(object, kObj, kBitmap);
  EXPECT_EQ(texts.obj.substr(0, 19), L"mtllib saeule.mtl\no");
  EXPECT_NE(texts.mtl.find(L"map_Kd bilder/stein.bmp\n"), std::wstring::npos) << mwWinAPI::ToUtf8(texts.mtl);
  EXPECT_EQ(MtlPathFor(L"a.b\\scene"), L"a.b\\scene.mtl");
  EXPECT_EQ(MtlPathFor(L"d/x.OBJ"), L"d/x.mtl");
}

TEST(ObjExport, DecimalPointUnderACommaLocale) {
  RoundObject object(3, 0);
  object.AddArea(0, 360, 1234.5, 0.5, 1);
  object.GenerateAllPoints();
  std::wstring obj;
  {
    filetest::CommaGlobalLocale comma;
    obj = ObjExportTexts(object, kObj, kBitmap).obj;
  }
  EXPECT_NE(obj.find(L"v 0.5 1234.5 0\n"), std::wstring::npos) << mwWinAPI::ToUtf8(obj);
  EXPECT_EQ(obj.find(L','), std::wstring::npos);
}
