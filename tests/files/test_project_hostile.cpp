// Project files that are damaged or hostile: the reader refuses them without
// crashing, without unbounded allocation and without keeping a partial object.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "files/Options.h"
#include "files/ProjectFile.h"
#include "mwWinAPI/Exceptions.h"

using namespace orbiform;

namespace {

std::string Point(const std::string& props = "Normal=\"0;0;1\" Vekt=\"1;2;3\"") {
  return "<Point><Props " + props + " /></Point>";
}

std::string Ring(int points, const std::string& props = "") {
  std::string text = "<Area><Props " + props + " />";
  for (int i = 0; i < points; ++i) text += Point();
  return text + "</Area>";
}

std::string Face(const std::string& points = "4;3;0;1", const std::string& texture = "0,0;1,0;1,1;0,1") {
  return "<Flaeche><Props Points=\"" + points + "\" Texture=\"" + texture + "\" /></Flaeche>";
}

// An object of 3 points per ring.
std::string Object(const std::string& body, const std::string& props = "Points=\"3\"") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ROUNDOBJECT><Props " + props + " />" + body +
         "</ROUNDOBJECT>";
}

// Props of an object of 3 points per ring without base or top faces.
const std::string kNoCaps = "Points=\"3\" GrundDeckFl=\"0\"";

// Two rings of three points and `faces` Flaeche blocks.
std::string TwoRings(int grundDeckFl, int faces) {
  std::string body = Ring(3) + Ring(3);
  for (int i = 0; i < faces; ++i) body += Face();
  return Object(body, "Points=\"3\" GrundDeckFl=\"" + std::to_string(grundDeckFl) + "\"");
}

// The outcome of a load: 1 read, 0 refused, -1 a model check threw. The
// slot must hold an object exactly when the load succeeded.
int Load(const std::string& bytes) {
  auto slot = std::make_unique<RoundObject>(3u, 0);  // whatever was there before goes
  int result = -1;
  try {
    result = ParseProject(bytes, slot) ? 1 : 0;
  } catch (const std::logic_error&) {
  } catch (const mwstd::logic_error&) {
  }
  EXPECT_EQ(slot != nullptr, result == 1);
  return result;
}

TEST(ProjectHostile, NotAProjectFile) {
  EXPECT_EQ(Load(""), 0);
  EXPECT_EQ(Load(std::string(1, '\0') + Object(Ring(3))), 0);  // reading stops at the zero byte
  EXPECT_EQ(Load("Hallo"), 0);
  EXPECT_EQ(Load("<?xml version=\"1.0\"?><OBJECT><Props /></OBJECT>"), 0);
  EXPECT_EQ(Load(Object(Ring(3)).substr(0, 80)), 0);  // cut short
  EXPECT_EQ(Load(Object(Ring(3)) + "<x>"), 0);
}

TEST(ProjectHostile, PointsOutsideTheRings) {
  EXPECT_EQ(Load(Object(Ring(3))), 1);
  EXPECT_EQ(Load(Object(Point() + Ring(3))), 0);                    // before any Area
  EXPECT_EQ(Load(Object(Ring(4))), 0);                              // more than the ring holds
  EXPECT_EQ(Load(Object("<Area>" + Point() + "</Area>")), 0);       // an Area without Props
  EXPECT_EQ(Load(Object("<Area></Area>" + Ring(3) + Ring(1))), 0);  // counter past the rings
  EXPECT_EQ(Load(Object(Ring(3) + "<Flaeche>" + Point() + "</Flaeche>")), 0);
}

TEST(ProjectHostile, FacesBeyondWhatTheFileHolds) {
  // Two rings of three points: 3 side faces, plus the base and top faces
  // only where GrundDeckFl says the file holds them.
  const int sides = 3;
  for (int flags = 0; flags <= 3; ++flags) {
    SCOPED_TRACE(flags);
    const int faces = sides + (flags & 1) + (flags >> 1 & 1);
    EXPECT_EQ(Load(TwoRings(flags, faces)), 1);
    EXPECT_EQ(Load(TwoRings(flags, faces + 1)), 0);
  }
  // One ring has no side faces at all.
  EXPECT_EQ(Load(Object(Ring(3) + Face("2;1;0"), kNoCaps)), 0);
  EXPECT_EQ(Load(Object(Ring(3) + Face("2;1;0"), "Points=\"3\" GrundDeckFl=\"1\"")), 1);
}

TEST(ProjectHostile, FirstFaceWithoutBaseIsASideFace) {
  std::unique_ptr<RoundObject> object;
  ASSERT_TRUE(ParseProject(
      Object(Ring(3) + Ring(3) + Face("4;3;0;1", "1,1;1,1;1,1;1,1") + Face("5;4;1;2", "2,2;2,2;2,2;2,2"),
             kNoCaps),
      object));
  EXPECT_EQ(object->GetTexCoordinate(1, 0), TexCoord(1, 1));
  EXPECT_EQ(object->GetTexCoordinate(2, 0), TexCoord(2, 2));
  EXPECT_EQ(object->GetFacePoint(0, 0), 2);  // the base face keeps its own corners
}

TEST(ProjectHostile, FacePointsBeyondThePoints) {
  std::string many = "4;3;0;1";
  for (int i = 0; i < 100000; ++i) many += ";7";
  // Items beyond the corners are not stored, but must still be numbers.
  const std::pair<std::string, int> cases[] = {{"4;3;0;1", 1},      {"4;3;6;1", 0},   {"4;3;65536;1", 0},
                                               {"4;3;0;1;9999", 1}, {"4;3;0;1;x", 0}, {many, 1}};
  for (const auto& [points, result] : cases)
    EXPECT_EQ(Load(Object(Ring(3) + Ring(3) + Face(points), kNoCaps)), result) << points.substr(0, 20);
}

TEST(ProjectHostile, NumbersThatDoNotParse) {
  for (const char* radius : {"1,5", "abc", "1e5x", "inf", "nan", "", "1e999", "0x10", "1 2", "--1"}) {
    SCOPED_TRACE(radius);
    EXPECT_EQ(Load(Object(Ring(3, std::string("Radius=\"") + radius + "\""))), 0);
  }
  for (const char* vekt : {"1;2", "1;2;3;4", "1;;3", "1;2;x", ""}) {
    SCOPED_TRACE(vekt);
    EXPECT_EQ(Load(Object("<Area><Props/>" + Point(std::string("Vekt=\"") + vekt + "\"") + "</Area>")), 0);
  }
  const std::string rings = Ring(3) + Ring(3);
  for (const char* texture : {"1;2;3;4", "1,2,3;0,0;0,0;0,0", "1,99999999999;0,0;0,0;0,0", "1,2;;3,4"}) {
    SCOPED_TRACE(texture);
    EXPECT_EQ(Load(Object(rings + Face("4;3;0;1", texture), kNoCaps)), 0);
  }
  EXPECT_EQ(Load(Object(rings + Face("4;-3;0;1"), kNoCaps)), 0);
  for (const char* props : {"Points=\"4294967296\"", "Points=\"-3\"", "Axis=\"zwei\"", "GrundDeckFl=\"3.0\"",
                            "VectorsReversed=\"ja\""}) {
    SCOPED_TRACE(props);
    EXPECT_EQ(Load(Object(Ring(3), props)), 0);
  }
  for (const char* level :
       {"StartPoint=\"-1\"", "EndArea=\"4294967296\"", "TextureCoordinates=\"0,0;50,x\"", "Level=\"eins\""}) {
    SCOPED_TRACE(level);
    EXPECT_EQ(Load(Object(std::string("<TextureLevel><Props ") + level + "/></TextureLevel>")), 0);
  }
  EXPECT_EQ(Load("<SPHEREOBJECT><Props Areas=\"1e3\"/></SPHEREOBJECT>"), 0);
  EXPECT_EQ(Load("<SPHEREOBJECT><Props Areas=\"30\"/></SPHEREOBJECT>"), 1);
}

TEST(ProjectHostile, TextureLevelsAreBounded) {
  const std::string last = std::to_string(kMaxTextureLevels - 1);
  std::unique_ptr<RoundObject> object;
  ASSERT_TRUE(ParseProject(Object("<TextureLevel><Props Level=\"" + last + "\"/></TextureLevel>"), object));
  EXPECT_EQ(object->TextureLevelCount(), kMaxTextureLevels);
  const std::string beyond = std::to_string(kMaxTextureLevels);
  EXPECT_EQ(Load(Object("<TextureLevel><Props Level=\"" + beyond + "\"/></TextureLevel>")), 0);
  EXPECT_EQ(Load(Object("<TextureLevel><Props Level=\"4000000000\"/></TextureLevel>")), 0);

  std::string layers;
  for (std::size_t i = 0; i < kMaxTextureLevels; ++i) layers += "<TextureLevel><Props/></TextureLevel>";
  EXPECT_EQ(Load(Object(layers)), 1);
  EXPECT_EQ(Load(Object(layers + "<TextureLevel/>")), 0);
}

TEST(ProjectHostile, ModelChecksPropagate) {
  std::unique_ptr<RoundObject> slot = std::make_unique<RoundObject>(3u, 0);
  EXPECT_THROW(ParseProject(Object(Ring(3), "Points=\"2\""), slot), std::invalid_argument);
  EXPECT_FALSE(slot);
  EXPECT_THROW(ParseProject(Object(Ring(3), "Points=\"3001\""), slot), std::invalid_argument);
  EXPECT_THROW(ParseProject(Object(Ring(3), "Points=\"3\" Axis=\"6\""), slot), std::invalid_argument);
  EXPECT_THROW(ParseProject(Object(Ring(3, "Radius=\"0\"")), slot), mwstd::invalid_argument);
  EXPECT_THROW(ParseProject(Object(Ring(3, "StartDegree=\"0\" EndDegree=\"20\"")), slot),
               mwstd::invalid_argument);
  EXPECT_THROW(ParseProject("<SPHEREOBJECT><Props Areas=\"2\"/></SPHEREOBJECT>", slot),
               std::invalid_argument);
  EXPECT_THROW(ParseProject("<SPHEREOBJECT><Props Radius=\"-1\"/></SPHEREOBJECT>", slot),
               std::invalid_argument);

  // The 5000-point limit: 1000 points per ring allow five rings, not six.
  std::string rings;
  for (int i = 0; i < 5; ++i) rings += "<Area><Props/></Area>";
  EXPECT_EQ(Load(Object(rings, "Points=\"1000\"")), 1);
  slot = std::make_unique<RoundObject>(3u, 0);
  EXPECT_THROW(ParseProject(Object(rings + "<Area><Props/></Area>", "Points=\"1000\""), slot),
               mwstd::invalid_argument);
  EXPECT_FALSE(slot);
}

TEST(ProjectHostile, AttributesInTheWrongPlaceAreIgnored) {
  std::unique_ptr<RoundObject> object;
  ASSERT_TRUE(ParseProject(
      Object("<Area><Props Points=\"9\" Normal=\"x\" Level=\"99999\"/>" + Point("Radius=\"x\"") + "</Area>",
             "Points=\"3\" Heigth=\"x\" Radius=\"0\" Areas=\"1\""),
      object));
  EXPECT_EQ(object->PointsPerRing(), 3u);
  EXPECT_EQ(object->AreaCount(), 1u);
}

// Entity bombs and external entities all need a document type declaration,
// which no project or options file has: both readers refuse any file with
// one at its start, before anything in it is expanded. Builds without
// expat's own amplification limits (the Windows ones) would otherwise spend
// minutes and hundreds of megabytes on a 1 KB file.
TEST(ProjectHostile, DocumentTypesAreRefusedAtOnce) {
  std::string laughs, parameters;  // ten levels of ten references each
  for (int i = 0; i < 10; ++i) {
    const std::string inner = i == 0 ? "xxxxxxxxxx" : std::string();
    std::string refs, paramRefs;
    for (int r = 0; i > 0 && r < 10; ++r) refs += "&a" + std::to_string(i - 1) + ";";
    for (int r = 0; i > 0 && r < 10; ++r) paramRefs += "&#37;p" + std::to_string(i - 1) + ";";
    laughs += "<!ENTITY a" + std::to_string(i) + " \"" + inner + refs + "\">";
    parameters += "<!ENTITY % p" + std::to_string(i) + " \"" + inner + paramRefs + "\">";
  }
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE ROUNDOBJECT ";
  const std::string body = "<ROUNDOBJECT><Props Points=\"3\"/>" + Ring(3);
  const std::map<std::string, std::string> files = {
      {"in content", head + "[" + laughs + "]>" + body + "&a9;</ROUNDOBJECT>"},
      {"in an attribute", head + "[" + laughs + "]><ROUNDOBJECT><Props FileInfo=\"&a9;\"/></ROUNDOBJECT>"},
      {"parameter entities", head + "[" + parameters + "%p9;]>" + body + "</ROUNDOBJECT>"},
      {"external entity", head + "[<!ENTITY e SYSTEM \"/dev/zero\">]>" + body + "&e;</ROUNDOBJECT>"},
      {"external subset", head + "SYSTEM \"/dev/zero\">" + body + "</ROUNDOBJECT>"},
      {"harmless", head + ">" + body + "</ROUNDOBJECT>"},
  };
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(text), 0);
    // The same declaration ahead of an options file.
    std::string options = text;
    options.replace(options.find("<ROUNDOBJECT>"), std::string::npos,
                    "<QZ7OPTIONS><Restore Undo=\"7\"/></QZ7OPTIONS>");
    Options o;
    EXPECT_FALSE(ParseOptions(options, o, Date{2024, 5, 1, 20}));
    EXPECT_EQ(o.undoSteps, 30);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(500));
  }
}

// Layer ranges are whatever 32-bit numbers the file gives; the object's
// users index with them, so reading keeps them within the object.
TEST(ProjectHostile, LayerRangesStayWithinTheObject) {
  std::unique_ptr<RoundObject> object;
  ASSERT_TRUE(ParseProject(Object(Ring(3) + Ring(3) +
                                  "<TextureLevel><Props StartPoint=\"4294967295\" EndPoint=\"1\" "
                                  "StartArea=\"2\" EndArea=\"4294967295\"/></TextureLevel>"),
                           object));
  const TextureLevel& level = object->GetTextureLevel(0);
  EXPECT_EQ((std::vector<unsigned>{2, 1, 1, 1, 3, 2}),
            (std::vector<unsigned>{level.startPoint, level.endPoint, level.startArea, level.endArea,
                                   level.pointCount, level.areaCount}));
  // Without rings every range is 0.
  ASSERT_TRUE(ParseProject(Object("<TextureLevel><Props EndArea=\"9\"/></TextureLevel>"), object));
  EXPECT_EQ(object->GetTextureLevel(0).endArea, 0u);
}

}  // namespace
