// The command-line generator, driven in-process as a user would call it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/Cli.h"
#include "files/ProjectFile.h"
#include "geometry/RoundObject.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

namespace fs = std::filesystem;

namespace {

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("orbiform-cli-") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::wstring Path(const std::wstring& name) const { return (dir_ / name).wstring(); }

  int Run(std::vector<std::wstring> args) {
    out_.clear();
    err_.clear();
    return orbiform::cli::Run(args, out_, err_);
  }

  std::string Bytes(const std::wstring& name) const { return mwWinAPI::ReadFileBytes(Path(name)); }

  std::unique_ptr<RoundObject> Load(const std::wstring& name) const {
    std::unique_ptr<RoundObject> object;
    EXPECT_TRUE(ParseProject(Bytes(name), object));
    return object;
  }

  fs::path dir_;
  std::string out_, err_;
};

TEST_F(CliTest, CylinderAsTheWizardBuildsIt) {
  ASSERT_EQ(0, Run({L"cylinder", L"--points", L"4", L"--plain", L"0,1,1,0,360", L"--plain", L"2,1.5,1,0,360",
                    L"--technique", L"wrap", L"--corners", L"0,0,64,0,64,32,0,32", L"--author", L"Anna",
                    Path(L"c.ek7mobj")}))
      << err_;
  const auto object = Load(L"c.ek7mobj");
  ASSERT_TRUE(object);
  EXPECT_FALSE(object->IsSphere());
  EXPECT_EQ(2u, object->AreaCount());
  EXPECT_EQ(4u, object->PointsPerRing());
  EXPECT_TRUE(object->TexCoordsValid());
  EXPECT_EQ(3, object->GrundDeckFl());
  EXPECT_EQ(L"Anna", object->FileAuthor());
  // The default info with the creator line, as New gives it.
  EXPECT_NE(std::wstring::npos, object->FileInfo().find(L"\r\nErstellt mit K7M Orbiform, Version 2.1"));
  ASSERT_EQ(1u, object->TextureLevelCount());
  const TextureLevel& layer = object->TextureLevels()[0];
  EXPECT_EQ(std::make_tuple(TextureLevel::kWrap, 0u, 3u, 0u, 1u),
            std::tie(layer.type, layer.startPoint, layer.endPoint, layer.startArea, layer.endArea));
  EXPECT_EQ((TexCoord{64, 32}), layer.coords[2]);
  // Generated points: the first point of the upper ring.
  EXPECT_DOUBLE_EQ(1.5, object->GetArea(1).GetPoint(0).x);
  EXPECT_DOUBLE_EQ(2.0, object->GetArea(1).GetPoint(0).y);
}

TEST_F(CliTest, TubeNormalsPointInwardsAndFlagsAreKept) {
  ASSERT_EQ(0, Run({L"cylinder", L"--points", L"6", L"--plain", L"0,1,1,0,360", L"--plain", L"1,1,1,0,360",
                    L"--reversed", L"--flags", L"0", Path(L"t.ek7mobj")}))
      << err_;
  const auto object = Load(L"t.ek7mobj");
  ASSERT_TRUE(object);
  EXPECT_TRUE(object->VectorsReversed());
  EXPECT_EQ(0, object->GrundDeckFl());
  const Point& p = object->GetArea(0).GetPoint(0);
  EXPECT_DOUBLE_EQ(1.0, p.x);
  EXPECT_DOUBLE_EQ(-1.0, p.nx);
}

TEST_F(CliTest, SphereAndItsParametersSurviveTheProjectFile) {
  ASSERT_EQ(0, Run({L"sphere", L"--points", L"8", L"--rings", L"5", L"--radius", L"3", L"--ellipse", L"2",
                    L"--start", L"0", L"--end", L"360", Path(L"s.ek7mobj")}))
      << err_;
  const auto object = Load(L"s.ek7mobj");
  ASSERT_TRUE(object);
  ASSERT_TRUE(object->IsSphere());
  const auto& sphere = static_cast<const Sphere&>(*object);
  EXPECT_EQ(5, sphere.Rings());
  EXPECT_DOUBLE_EQ(3.0, sphere.Radius());
  EXPECT_DOUBLE_EQ(2.0, sphere.Ellipse());
  EXPECT_EQ(5u, object->AreaCount());
  EXPECT_NEAR(-6.0, object->GetArea(0).Height(), 1e-9);  // bottom pole: radius x ellipse below
  EXPECT_NEAR(0.01, object->GetArea(0).Radius(), 1e-12);

  ASSERT_EQ(0, Run({L"info", Path(L"s.ek7mobj")})) << err_;
  EXPECT_NE(std::string::npos, out_.find("type: sphere"));
  EXPECT_NE(std::string::npos, out_.find("sphere: rings 5, radius 3, ellipse 2, degrees 0-360"));
  EXPECT_NE(std::string::npos, out_.find("valid project file: yes"));
}

TEST_F(CliTest, ExportAndResaveMatchDirectGeneration) {
  const std::vector<std::wstring> make = {L"cylinder",    L"--points",    L"5",
                                          L"--plain",     L"0,2,1,0,180", L"--plain",
                                          L"3,2,1,0,180", L"--technique", L"wrap"};
  auto with = [&](const std::wstring& out) {
    auto args = make;
    args.push_back(Path(out));
    return Run(args);
  };
  ASSERT_EQ(0, with(L"p.ek7mobj")) << err_;
  ASSERT_EQ(0, with(L"direct.k7mobj")) << err_;
  ASSERT_EQ(0, Run({L"export", Path(L"p.ek7mobj"), Path(L"via.k7mobj")})) << err_;
  EXPECT_EQ(Bytes(L"direct.k7mobj"), Bytes(L"via.k7mobj"));
  ASSERT_EQ(0, Run({L"resave", Path(L"p.ek7mobj"), Path(L"again.ek7mobj")})) << err_;
  EXPECT_EQ(Bytes(L"p.ek7mobj"), Bytes(L"again.ek7mobj"));
}

TEST_F(CliTest, RefusedInputLeavesNoFileAndKeepsAnOldOne) {
  const std::wstring out = Path(L"x.k7mobj");
  // The wizard's own limit for points per ring, then the model's own texts.
  const std::string points = "Total points must be at least 3 and at most 1000!";
  const std::pair<std::vector<std::wstring>, std::string> refused[] = {
      {{L"cylinder", L"--points", L"1001", L"--plain", L"0,1,1,0,360"}, points},
      {{L"cylinder", L"--points", L"-1", L"--plain", L"0,1,1,0,360"}, points},
      {{L"cylinder", L"--plain", L"0,1,1,0,20"}, "The plain must cover at least 30\xC2\xB0"},
      {{L"cylinder", L"--plain", L"0,0,1,0,360"}, "Please insert a radius greater than 0!"},
      {{L"sphere", L"--points", L"1000", L"--rings", L"6"},
       "The program cannot manage more than 5000 points!"},
      {{L"sphere", L"--rings", L"2"}, "There must be at least 3 plains!"}};
  for (auto [args, message] : refused) {
    args.push_back(out);
    EXPECT_EQ(1, Run(args));
    EXPECT_EQ("orbiform-cli: " + message + "\n", err_);
  }
  EXPECT_FALSE(fs::exists(out));

  // Usage mistakes: one clear first line, exit 2.
  for (const auto& args : std::vector<std::vector<std::wstring>>{
           {L"cylinder", L"--points", L"4x", L"--plain", L"0,1,1,0,360", out},
           {L"cylinder", L"--bogus", out},
           {L"cylinder", L"--plain", L"0,1,1,0", out},
           {L"cylinder", L"--plain", L"0,1,1,0,360", L"--flags", L"4", out},
           {L"cylinder", L"--plain", L"0,1,1,0,360", L"--corners", L"1,2,3", out},
           {L"cylinder", L"--plain", L"0,nan,1,0,360", out},
           {L"cylinder", L"--plain", L"0,1,1,0,360", Path(L"x.txt")},
           {L"cylinder", L"--points"},
           {L"frobnicate"},
           {}}) {
    EXPECT_EQ(2, Run(args)) << out_;
    EXPECT_TRUE(err_.rfind("orbiform-cli: ", 0) == 0 || err_.rfind("usage:", 0) == 0) << err_;
  }
  EXPECT_FALSE(fs::exists(out));

  // An existing file is replaced only by a complete new one.
  mwWinAPI::WriteBytesReplacing(out, "previous");
  EXPECT_EQ(1, Run({L"cylinder", L"--plain", L"0,1,1,0,20", out}));
  EXPECT_EQ("previous", Bytes(L"x.k7mobj"));
  EXPECT_EQ(0, Run({L"cylinder", L"--plain", L"0,1,1,0,360", L"--plain", L"1,1,1,0,360", out})) << err_;
  EXPECT_EQ(0u, Bytes(L"x.k7mobj").find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<OBJECT>\r\n"));
}

TEST_F(CliTest, InvalidProjectsAreRefusedWithTheEditorsMessage) {
  mwWinAPI::WriteBytesReplacing(Path(L"bad.ek7mobj"), "<NOTANOBJECT/>");
  EXPECT_EQ(1, Run({L"info", Path(L"bad.ek7mobj")}));
  EXPECT_NE(std::string::npos, err_.find("bad.ek7mobj is not a valid Project-File"));
  EXPECT_EQ(1, Run({L"export", Path(L"bad.ek7mobj"), Path(L"out.k7mobj")}));
  EXPECT_FALSE(fs::exists(Path(L"out.k7mobj")));
  EXPECT_EQ(1, Run({L"info", Path(L"missing.ek7mobj")}));
  EXPECT_EQ(0u, err_.find("orbiform-cli: cannot read "));
}

// Whatever the tool accepts and writes opens again; what cannot be written
// so is refused before anything is written.
TEST_F(CliTest, WhatIsWrittenOpensAgain) {
  const std::string tooLarge =
      "orbiform-cli: The values are too large: a coordinate of the object would not be a finite number!\n";
  EXPECT_EQ(1, Run({L"cylinder", L"--points", L"8", L"--plain", L"0,1e308,10,0,360", Path(L"c.ek7mobj")}));
  EXPECT_EQ(tooLarge, err_);
  EXPECT_EQ(1, Run({L"sphere", L"--radius", L"1e308", L"--ellipse", L"10", Path(L"s.k7mobj")}));
  EXPECT_EQ(tooLarge, err_);
  // A span of 30 degrees only before the six digits the file keeps.
  EXPECT_EQ(1, Run({L"cylinder", L"--plain", L"0,1,1,0.0000004,30.0000004", Path(L"r.ek7mobj")}));
  EXPECT_EQ("orbiform-cli: The plain must cover at least 30\xC2\xB0\n", err_);
  EXPECT_TRUE(fs::is_empty(dir_));

  // Borderline values that are accepted come back from the file.
  for (const wchar_t* plain :
       {L"0,1,1,0.0000004,30.0001", L"0,1e-308,1e-308,0,360", L"-1e307,1e300,2,359.9999999,60"}) {
    SCOPED_TRACE(mwWinAPI::ToUtf8(plain));
    ASSERT_EQ(0, Run({L"cylinder", L"--plain", plain, Path(L"b.ek7mobj")})) << err_;
    ASSERT_EQ(0, Run({L"resave", Path(L"b.ek7mobj"), Path(L"b2.ek7mobj")})) << err_;
    EXPECT_EQ(Bytes(L"b.ek7mobj"), Bytes(L"b2.ek7mobj"));
  }

  // A file the model refuses says which file and why.
  mwWinAPI::WriteBytesReplacing(Path(L"narrow.ek7mobj"),
                                "<ROUNDOBJECT><Props Points=\"3\"/><Area><Props StartDegree=\"0\" "
                                "EndDegree=\"20\"/></Area></ROUNDOBJECT>");
  EXPECT_EQ(1, Run({L"info", Path(L"narrow.ek7mobj")}));
  EXPECT_EQ("orbiform-cli: " + mwWinAPI::ToUtf8(Path(L"narrow.ek7mobj")) +
                " is not a valid Project-File: The plain must cover at least 30\xC2\xB0\n",
            err_);
}

// One number syntax with the files, and every message is one line that
// names the file once and says why.
TEST_F(CliTest, MessagesAndNumbersAsTheFilesHaveThem) {
  EXPECT_EQ(2, Run({L"cylinder", L"--plain", L"0,1,1,0x10,360", Path(L"x.ek7mobj")}));
  EXPECT_EQ(0u, err_.find("orbiform-cli: plain start degree: not a number: \"0x10\"\n"));
  EXPECT_EQ(2, Run({L"cylinder", L"--points", L"0x10", L"--plain", L"0,1,1,0,360", Path(L"x.ek7mobj")}));
  EXPECT_EQ(0, Run({L"cylinder", L"--plain", L"0,1,1,1e-308,360", Path(L"x.ek7mobj")})) << err_;

  const auto oneLine = [this](const std::string& expected) {
    EXPECT_EQ(0u, err_.find(expected)) << err_;
    EXPECT_EQ(err_.find('\n'), err_.size() - 1) << err_;
    EXPECT_EQ(std::string::npos, err_.find('\r')) << err_;
  };
  EXPECT_EQ(1, Run({L"info", dir_.wstring()}));
  oneLine("orbiform-cli: cannot read " + mwWinAPI::ToUtf8(dir_.wstring()) + ": Is a folder, not a file\n");
  const std::wstring nowhere = Path(L"missing") + L"/x.ek7mobj";
  EXPECT_EQ(1, Run({L"cylinder", L"--plain", L"0,1,1,0,360", nowhere}));
  oneLine("orbiform-cli: cannot write " + mwWinAPI::ToUtf8(nowhere) + ": ");
  EXPECT_EQ(err_.find(mwWinAPI::ToUtf8(nowhere)), err_.rfind(mwWinAPI::ToUtf8(nowhere)));
}

}  // namespace

TEST_F(CliTest, ObjChosenByTheExtension) {
  ASSERT_EQ(0, Run({L"cylinder", L"--points", L"4", L"--plain", L"0,1,1,0,360", L"--plain", L"2,1.5,1,0,360",
                    L"--texture", Path(L"missing.bmp"), Path(L"c.obj")}))
      << err_;
  EXPECT_NE(std::string::npos, out_.find("texture coordinates left out")) << out_;
  EXPECT_EQ(0u, Bytes(L"c.obj").find("mtllib c.mtl\n"));
  EXPECT_EQ(0u, Bytes(L"c.mtl").find("newmtl object\n"));
  EXPECT_EQ(1, Run({L"export", Path(L"absent.ek7mobj"), Path(L"d.obj")}));  // accepted, input missing
  EXPECT_EQ(2, Run({L"resave", Path(L"absent.ek7mobj"), Path(L"d.obj")}));
}
