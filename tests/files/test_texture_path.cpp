// How texture paths are stored in the files and found again after opening.
#include <gtest/gtest.h>

#include "files/TexturePath.h"

using namespace orbiform;

namespace {

const std::wstring kSim = L"C:\\Programme\\Voxtrak3D";
const std::wstring kProject = L"D:\\Modelle\\Achsen\\achse.ek7mobj";

TEST(ShortenTexturePath, RelativeToTheWrittenFile) {
  // Same folder: the bare name; a subfolder: the path below the folder.
  EXPECT_EQ(ShortenTexturePath(L"D:\\Modelle\\Achsen\\holz.bmp", kProject, kSim), L"holz.bmp");
  EXPECT_EQ(ShortenTexturePath(L"D:\\Modelle\\Achsen\\Bilder\\holz.bmp", kProject, kSim),
            L"Bilder\\holz.bmp");
  // A sibling folder that merely starts with the same letters is not below it.
  EXPECT_EQ(ShortenTexturePath(L"D:\\Modelle\\Achsen2\\holz.bmp", kProject, kSim),
            L"D:\\Modelle\\Achsen2\\holz.bmp");
  // Comparisons are case-sensitive.
  EXPECT_EQ(ShortenTexturePath(L"d:\\modelle\\achsen\\holz.bmp", kProject, kSim),
            L"d:\\modelle\\achsen\\holz.bmp");
}

TEST(ShortenTexturePath, RelativeToTheSimulatorFolder) {
  EXPECT_EQ(ShortenTexturePath(L"C:\\Programme\\Voxtrak3D\\Texturen\\a.bmp", kProject, kSim),
            L"\\Texturen\\a.bmp");
  EXPECT_EQ(ShortenTexturePath(L"C:\\Programme\\Voxtrak3D\\Texturen\\a.bmp", kProject, kSim + L"\\"),
            L"\\Texturen\\a.bmp");
  EXPECT_EQ(ShortenTexturePath(L"C:\\Programme\\Voxtrak3D2\\a.bmp", kProject, kSim),
            L"C:\\Programme\\Voxtrak3D2\\a.bmp");
  // The file's own folder wins over the simulator folder.
  EXPECT_EQ(ShortenTexturePath(L"C:\\Programme\\Voxtrak3D\\Objekte\\a.bmp",
                               L"C:\\Programme\\Voxtrak3D\\Objekte\\x.k7mobj", kSim),
            L"a.bmp");
}

TEST(ShortenTexturePath, NothingToBeRelativeTo) {
  // Without a simulator folder only the file's folder can shorten a path.
  EXPECT_EQ(ShortenTexturePath(L"C:\\Texturen\\a.bmp", kProject, L""), L"C:\\Texturen\\a.bmp");
  EXPECT_EQ(ShortenTexturePath(L"\\Texturen\\a.bmp", kProject, L""), L"\\Texturen\\a.bmp");
  EXPECT_EQ(ShortenTexturePath(L"D:\\Modelle\\Achsen\\holz.bmp", kProject, L""), L"holz.bmp");
  // A written file without a folder.
  EXPECT_EQ(ShortenTexturePath(L"textur.bmp", L"achse.ek7mobj", kSim), L"textur.bmp");
  EXPECT_EQ(ShortenTexturePath(L"C:\\Programme\\Voxtrak3D\\a.bmp", L"achse.ek7mobj", kSim), L"\\a.bmp");
  // Already relative paths stay as they are, so saving twice changes nothing.
  EXPECT_EQ(ShortenTexturePath(L"holz.bmp", kProject, kSim), L"holz.bmp");
  EXPECT_EQ(ShortenTexturePath(L"\\Texturen\\a.bmp", kProject, kSim), L"\\Texturen\\a.bmp");
  EXPECT_EQ(ShortenTexturePath(L"Bilder\\holz.bmp", kProject, kSim), L"Bilder\\holz.bmp");
}

TEST(ResolveTexturePath, InverseOfShortening) {
  // What the loop below cannot show: a folder given with its separator,
  // paths no writer makes, and nothing to resolve against.
  EXPECT_EQ(ResolveTexturePath(L"\\Texturen\\a.bmp", kProject, kSim + L"\\"),
            L"C:\\Programme\\Voxtrak3D\\Texturen\\a.bmp");
  EXPECT_EQ(ResolveTexturePath(L"\\\\server\\share\\x.bmp", kProject, kSim), L"\\\\server\\share\\x.bmp");
  EXPECT_EQ(ResolveTexturePath(L"holz.bmp", L"achse.ek7mobj", kSim), L"holz.bmp");
  EXPECT_EQ(ResolveTexturePath(L"", kProject, kSim), L"");

  for (const std::wstring texture :
       {L"D:\\Modelle\\Achsen\\holz.bmp", L"D:\\Modelle\\Achsen\\Bilder\\holz.bmp",
        L"C:\\Programme\\Voxtrak3D\\Texturen\\a.bmp", L"E:\\x.bmp", L"D:\\Modelle\\Achsen2\\holz.bmp"})
    EXPECT_EQ(ResolveTexturePath(ShortenTexturePath(texture, kProject, kSim), kProject, kSim), texture);
}

}  // namespace
