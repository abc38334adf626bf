// The OBJ export read back by a reader that shares no code with the writer
// (assimp from assimp-utils, a native tool): same mesh, same positions.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "files/Export.h"
#include "files/ObjExport.h"
#include "geometry/ObjectRecipe.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

// A reader that shares no code with the writer must see the same mesh.
TEST(ObjExport, IndependentReaderSeesTheSameMesh) {
  if (std::system("command -v assimp >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "assimp (assimp-utils) not installed";
  const auto dir = std::filesystem::temp_directory_path() / "orbiform-obj-test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "saeule.obj").string();
  // As the wizard builds it: one layer over all faces, base and top.
  auto made = ShapeObject(nullptr, false, 6, 0);
  for (int r = 0; r < 4; ++r) AddPlain(*made, {1.5 * r, 1.0 + 0.25 * r, r == 1 ? 0.75 : 1.0, 0, 360});
  GenerateRings(*made);
  FinishObject(*made, TextureLevel::kWrap, {{{0, 0}, {64, 0}, {64, 32}, {0, 32}}});
  made->SetGrundDeckFl(3);
  const RoundObject& object = *made;
  WriteObjFiles(object, mwWinAPI::FromUtf8(path));
  auto run = [](const std::string& command, std::string& report) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) report.append(buffer, n);
    return pclose(pipe);
  };
  std::string report, ignored;
  ASSERT_EQ(run("assimp info '" + path + "' -r", report), 0) << report;
  // Positions as the reader holds them, written out again by its own writer.
  const std::string back = (dir / "back.obj").string();
  ASSERT_EQ(run("assimp export '" + path + "' '" + back + "' -fobj", ignored), 0) << ignored;
  std::vector<std::array<double, 3>> read;
  {
    std::istringstream in(mwWinAPI::ReadFileBytes(mwWinAPI::FromUtf8(back)));
    in.imbue(std::locale::classic());
    for (std::string line; std::getline(in, line);) {
      std::istringstream fields(line);
      std::string key;
      std::array<double, 3> p{};
      if (fields >> key >> p[0] >> p[1] >> p[2] && key == "v") read.push_back(p);
    }
  }
  for (const Area& ring : object.Areas()) {
    for (const Point& p : ring.Points()) {
      bool found = false;
      for (const auto& q : read)
        found = found ||
                (std::abs(q[0] - p.x) < 1e-4 && std::abs(q[1] - p.y) < 1e-4 && std::abs(q[2] - p.z) < 1e-4);
      EXPECT_TRUE(found) << p.x << " " << p.y << " " << p.z;
    }
  }
  std::filesystem::remove_all(dir);
  auto number = [&](const std::string& key) {
    const auto pos = report.find(key);
    return pos == std::string::npos ? -1L : std::stol(report.substr(pos + key.size()));
  };
  EXPECT_EQ(number("Faces:"), 20) << report;
  std::size_t corners = 0;
  for (const std::size_t f : objectxml::ExportedFaces(object))
    corners += object.GetTextures().faces[f].points.size();
  EXPECT_EQ(number("Vertices:"), static_cast<long>(corners)) << report;
}
