// The project file: layout, round trips and the forms older and hand-made
// files take.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/ProjectFile.h"
#include "mwWinAPI/Utf.h"
#include "tests/files/FileTestObjects.h"

using namespace orbiform;

namespace {

const std::wstring kSim = L"C:\\Programme\\Voxtrak3D";
const std::wstring kPath = L"C:\\Programme\\Voxtrak3D\\Objekte\\saeule.ek7mobj";

std::unique_ptr<RoundObject> Parse(const std::string& bytes) {
  std::unique_ptr<RoundObject> object;
  EXPECT_TRUE(ParseProject(bytes, object));
  EXPECT_EQ(object != nullptr, true);
  return object;
}

std::string Doc(const std::string& body) { return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + body; }

// Writes, reads and writes again; the two files must be the same bytes.
std::unique_ptr<RoundObject> RoundTrip(const RoundObject& object) {
  const std::string first = filetest::FileBytes(ProjectFileText(object, kSim, kPath));
  auto read = Parse(first);
  if (!read) return read;
  EXPECT_EQ(filetest::FileBytes(ProjectFileText(*read, kSim, kPath)), first);
  return read;
}

TEST(ProjectFile, GoldenFiles) {
  const std::string cylinder = filetest::ReadBytes(filetest::TestData("golden/cylinder.ek7mobj"));
  EXPECT_EQ(filetest::FileBytes(ProjectFileText(filetest::MakeGoldenCylinder(), kSim, kPath)), cylinder);

  const std::string sphere = filetest::ReadBytes(filetest::TestData("golden/sphere.ek7mobj"));
  const std::wstring spherePath = L"D:\\Modelle\\kugel.ek7mobj";
  EXPECT_EQ(filetest::FileBytes(ProjectFileText(filetest::MakeGoldenSphere(), kSim, spherePath)), sphere);

  // Reading them back gives the same files: every field, the sphere's
  // parameters included, is read where it was written.
  auto read = Parse(cylinder);
  ASSERT_TRUE(read);
  EXPECT_EQ(filetest::FileBytes(ProjectFileText(*read, kSim, kPath)), cylinder);
  EXPECT_EQ(read->FileAuthor(), L"M\u00fcller & S\u00f6hne");
  EXPECT_EQ(read->FileInfo(), L"Zeile 1\r\nZeile \"2\" <ok>");
  EXPECT_EQ(read->Texture(), L"\\Texturen\\holz.bmp");  // resolving is the caller's step
  EXPECT_TRUE(read->TexCoordsValid());
  read = Parse(sphere);
  ASSERT_TRUE(read);
  EXPECT_EQ(filetest::FileBytes(ProjectFileText(*read, kSim, spherePath)), sphere);
}

TEST(ProjectFile, CylinderRoundTripForEveryGrundDeckFl) {
  for (const int flags : {0, 1, 2, 3, 5}) {
    SCOPED_TRACE(flags);
    const RoundObject object = filetest::MakeCylinder(6, 4, flags);
    auto read = RoundTrip(object);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->IsSphere());
    EXPECT_EQ(read->GrundDeckFl(), flags);
    ASSERT_EQ(read->TextureLevelCount(), 2u);
    EXPECT_EQ(read->GetTextureLevel(0).type, TextureLevel::kWrap);
    EXPECT_EQ(read->GetTextureLevel(1).type, TextureLevel::kSame);
    EXPECT_EQ(read->GetTextureLevel(1).startPoint, 4u);
    EXPECT_EQ(read->GetTextureLevel(1).endPoint, 1u);
    EXPECT_EQ(read->FileInfo(), L"Erste Zeile\r\nZweite Zeile");
    // Every face the file holds lands where it was, side faces included.
    ASSERT_EQ(read->FaceCount(), object.FaceCount());
    const auto& want = object.GetTextures().faces;
    const auto& got = read->GetTextures().faces;
    for (std::size_t f = 1; f + 1 < want.size(); ++f) {
      EXPECT_EQ(got[f].points, want[f].points) << "face " << f;
      EXPECT_EQ(got[f].coords, want[f].coords) << "face " << f;
    }
  }
}

TEST(ProjectFile, TextsRoundTrip) {
  RoundObject object = filetest::MakeCylinder(3, 2, 3);
  object.SetFileAuthor(L"M\u00fcller & S\u00f6hne \"Modellbau\" <GmbH>\tTab");
  object.SetFileInfo(L"eins\r\nzwei\rdrei & \"vier\"");
  object.SetTexture(L"E:\\Bilder & <Co>\\a.bmp");
  auto read = RoundTrip(object);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->FileAuthor(), object.FileAuthor());
  EXPECT_EQ(read->FileInfo(), object.FileInfo());
  EXPECT_EQ(read->Texture(), object.Texture());
  // A lone LF comes back as CR LF; a slash-n typed as text cannot be told
  // from a line break.
  object.SetFileInfo(L"a\nb www.bahn.de/neu C:\\neu");
  read = Parse(filetest::FileBytes(ProjectFileText(object, kSim, kPath)));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->FileInfo(), L"a\r\nb www.bahn.de\r\neu C:\\neu");
}

TEST(ProjectFile, CommaLocaleStillUsesDecimalPoint) {
  RoundObject object = filetest::MakeCylinder(4, 2, 3);
  object.GetArea(1).SetHeight(1234.5);
  filetest::CommaGlobalLocale comma;
  const std::string bytes = filetest::FileBytes(ProjectFileText(object, kSim, kPath));
  EXPECT_NE(bytes.find("Heigth=\"1234.5\""), std::string::npos);
  EXPECT_NE(bytes.find("Ellipse=\"0.75\""), std::string::npos);
  auto read = Parse(bytes);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->GetArea(1).Height(), 1234.5);
  EXPECT_EQ(read->GetArea(1).Ellipse(), 0.75);
  EXPECT_EQ(std::use_facet<std::numpunct<wchar_t>>(std::locale()).decimal_point(), L',');
}

TEST(ProjectFile, RingDefaultsAndOlderDegree) {
  auto read =
      Parse(Doc("<ROUNDOBJECT>\r\n<Props Points=\"4\" />\r\n"
                "<Area>\r\n<Props />\r\n</Area>\r\n"
                "<Area>\r\n<Props StartDegree=\"20\" Degree=\"200\" Heigth=\"-3\" />\r\n</Area>\r\n"
                "</ROUNDOBJECT>"));
  ASSERT_TRUE(read);
  ASSERT_EQ(read->AreaCount(), 2u);
  const Area& plain = read->GetArea(0);
  EXPECT_EQ(plain.Radius(), 1);
  EXPECT_EQ(plain.Ellipse(), 1);
  EXPECT_EQ(plain.Height(), 0);
  EXPECT_EQ(plain.StartDegree(), 0);
  EXPECT_EQ(plain.EndDegree(), 360);
  EXPECT_EQ(plain.PointCount(), 4u);
  EXPECT_EQ(read->GetArea(1).StartDegree(), 20);
  EXPECT_EQ(read->GetArea(1).EndDegree(), 200);
  EXPECT_EQ(read->GetArea(1).Height(), -3);
  EXPECT_EQ(read->Texture(), L"textur.bmp");
  EXPECT_FALSE(read->TexCoordsValid());
}

TEST(ProjectFile, HandWrittenForms) {
  // Any letter case, blanks round numbers, unknown and misplaced attributes,
  // elements before the object, and whatever follows the zero byte.
  auto read =
      Parse(Doc("<Datei><Props Points=\"7\" /><Point/>"
                "<sphereobject>\n<PROPS fileinfo=\"Zeile 1/nZeile 2\" fileauthor=\"Eva\" TEXTURE=\"\" "
                "points=\" 3 \" "
                "axis=\"2\" grunddeckfl=\"1\" vectorsreversed=\"1\" areas=\"7\" radius=\"+2.5\" Heigth=\"9\" "
                "Farbe=\"rot\"/>\n"
                "<texturelevel><props level=\"0\" texturetyp=\"wrap\" startpoint=\"1\"/></texturelevel>\n"
                "<AREA><props radius=\"2\" normal=\"1;2;3\"/><POINT><PROPS NORMAL=\"0;1;0\" "
                "VEKT=\"1.5;-2e-3;.25\" radius=\"5\"/>"
                "</POINT></AREA>\n"
                "<area><props/></area>\n"
                "<FLAECHE><props points=\"2;1;0\" texture=\"1,2;3,4;5,6\"/></FLAECHE>"
                "</sphereobject></Datei>") +
            std::string(1, '\0') + "<<garbage");
  ASSERT_TRUE(read);
  ASSERT_TRUE(read->IsSphere());
  EXPECT_EQ(dynamic_cast<const Sphere&>(*read).Rings(), 7);
  EXPECT_EQ(dynamic_cast<const Sphere&>(*read).Radius(), 2.5);
  EXPECT_EQ(read->PointsPerRing(), 3u);
  EXPECT_EQ(read->Axis(), 2);
  EXPECT_EQ(read->GrundDeckFl(), 1);
  EXPECT_TRUE(read->VectorsReversed());
  EXPECT_EQ(read->FileInfo(), L"Zeile 1\r\nZeile 2");
  EXPECT_EQ(read->FileAuthor(), L"Eva");
  EXPECT_EQ(read->Texture(), L"textur.bmp");
  ASSERT_EQ(read->TextureLevelCount(), 1u);
  const TextureLevel& level = read->GetTextureLevel(0);
  EXPECT_EQ(level.type, TextureLevel::kWrap);
  EXPECT_EQ(level.startPoint, 1u);
  EXPECT_EQ(level.endPoint, 2u);  // the default 3, clamped to the last of the 3 points
  ASSERT_EQ(read->AreaCount(), 2u);
  EXPECT_EQ(read->GetArea(0).Radius(), 2);
  EXPECT_EQ(read->GetArea(0).Height(), 0);
  const Point& p = read->GetArea(0).GetPoint(0);
  EXPECT_EQ(p.nx, 0);
  EXPECT_EQ(p.ny, 1);
  EXPECT_EQ(p.x, 1.5);
  EXPECT_EQ(p.y, -0.002);
  EXPECT_EQ(p.z, 0.25);
  EXPECT_EQ(read->GetArea(0).GetPoint(1).x, 0);  // points not in the file stay zero
  EXPECT_TRUE(read->TexCoordsValid());
  EXPECT_EQ(read->GetFacePoint(0, 0), 2);
  EXPECT_EQ(read->GetTexCoordinate(0, 2), TexCoord(5, 6));
}

TEST(ProjectFile, LevelMovesTheLayer) {
  // Layers written out of order land at their Level; a Level beyond the
  // layers fills the gap with default layers.
  auto read =
      Parse(Doc("<ROUNDOBJECT><Props Points=\"3\"/>"
                "<TextureLevel><Props StartPoint=\"1\" Level=\"1\"/></TextureLevel>"
                "<TextureLevel><Props Level=\"0\" StartPoint=\"2\"/></TextureLevel>"
                "<TextureLevel><Props Level=\"4\" EndPoint=\"0\"/></TextureLevel>"
                "</ROUNDOBJECT>"));
  ASSERT_TRUE(read);
  ASSERT_EQ(read->TextureLevelCount(), 5u);
  EXPECT_EQ(read->GetTextureLevel(0).startPoint, 2u);  // attributes after Level follow the layer
  EXPECT_EQ(read->GetTextureLevel(1).startPoint, 0u);  // filled in by the move to 1
  EXPECT_EQ(read->GetTextureLevel(2).startPoint, 1u);
  EXPECT_EQ(read->GetTextureLevel(3).endPoint, 2u);  // the default 3, clamped to the 3 points
  EXPECT_EQ(read->GetTextureLevel(4).endPoint, 0u);
}

TEST(ProjectFile, ObjectWithoutRingsRoundTrips) {
  RoundObject object(5, 3);
  object.SetFileAuthor(L"leer");
  auto read = RoundTrip(object);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->AreaCount(), 0u);
  EXPECT_EQ(read->PointsPerRing(), 5u);
  EXPECT_EQ(read->Axis(), 3);
}

}  // namespace
