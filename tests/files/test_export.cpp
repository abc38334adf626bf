// The simulator object file: layout, face selection, texts and numbers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/Export.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"
#include "tests/files/FileTestObjects.h"

using namespace orbiform;

namespace {

const std::wstring kSim = L"C:\\Programme\\Voxtrak3D";
const std::wstring kExportPath = L"C:\\Programme\\Voxtrak3D\\Objekte\\saeule.k7mobj";

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  lines.push_back(bytes.substr(start));
  return lines;
}

std::size_t Count(const std::wstring& text, const std::wstring& what) {
  std::size_t n = 0;
  for (std::size_t pos = text.find(what); pos != std::wstring::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

// The "Points" lists of the Flaeche blocks, in order.
std::vector<std::wstring> FacePointLists(const std::wstring& text) {
  std::vector<std::wstring> lists;
  const std::wstring key = L"<Flaeche>\r\n<Props Points=\"";
  for (std::size_t pos = text.find(key); pos != std::wstring::npos; pos = text.find(key, pos + 1)) {
    const std::size_t start = pos + key.size();
    lists.push_back(text.substr(start, text.find(L'"', start) - start));
  }
  return lists;
}

TEST(Export, GoldenCylinderWrittenToDisk) {
  const std::string expected = filetest::ReadBytes(filetest::TestData("golden/cylinder.k7mobj"));
  const RoundObject object = filetest::MakeGoldenCylinder();

  const std::string path = ::testing::TempDir() + "export_golden.k7mobj";
  mwWinAPI::WriteUtf8FileReplacing(mwWinAPI::FromUtf8(path), ExportFileText(object, kExportPath, kSim));
  const std::string written = filetest::ReadBytes(path);
  std::remove(path.c_str());

  // Line by line first, so that a difference names its line.
  const auto want = Lines(expected);
  const auto got = Lines(written);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
  EXPECT_EQ(written, expected);
}

TEST(Export, FacesSelectedByGrundDeckFl) {
  // One layer over everything, so that every side face has its corners.
  RoundObject object(5, 0);
  for (int r = 0; r < 3; ++r) object.AddArea(0, 360, r, 1, 1);
  object.GenerateAllPoints();
  object.AddTextureLevel();
  ASSERT_TRUE(object.ApplyTextures());
  const std::size_t sides = 2 * 5;

  const std::wstring text = Export(object, kExportPath, kSim);
  EXPECT_EQ(Count(text, L"<Point>"), 15u);
  // Side face 1 runs ring 1 point 1, ring 1 point 0, ...; the last side face
  // closes the upper row; base and top follow the flags' bits.
  const wchar_t *const kBase = L"4;3;2;1;0", *const kFirstSide = L"6;5;0;1";
  const wchar_t *const kTop = L"10;11;12;13;14", *const kLastSide = L"10;14;9;5";
  const struct {
    int flags;
    std::size_t extra;
    const wchar_t *front, *back;
  } cases[] = {
      {0, 0, kFirstSide, kLastSide}, {1, 1, kBase, kLastSide}, {2, 1, kFirstSide, kTop}, {3, 2, kBase, kTop}};
  for (const auto& c : cases) {
    object.SetGrundDeckFl(c.flags);
    const auto faces = FacePointLists(Export(object, kExportPath, kSim));
    ASSERT_EQ(faces.size(), sides + c.extra) << c.flags;
    EXPECT_EQ(faces.front(), c.front) << c.flags;
    EXPECT_EQ(faces.back(), c.back) << c.flags;
  }

  // Values only a file can bring: neither area, as the 3D view draws them.
  for (const int odd : {4, 5, 7, -1}) {
    object.SetGrundDeckFl(odd);
    EXPECT_EQ(FacePointLists(Export(object, kExportPath, kSim)).size(), sides) << odd;
  }
}

TEST(Export, ObjectWithoutRings) {
  RoundObject object(4, 0);
  const std::wstring text = Export(object, kExportPath, kSim);
  EXPECT_EQ(Count(text, L"<Point>"), 0u);
  EXPECT_EQ(Count(text, L"<Flaeche>"), 0u);
  EXPECT_EQ(text.substr(text.size() - 11), L"\r\n</OBJECT>");
}

TEST(Export, TextsOnOneLineAndEscaped) {
  RoundObject object(3, 0);
  object.SetFileInfo(L"eins\r\nzwei\ndrei\rvier\tf\u00fcnf");
  object.SetFileAuthor(L"M\u00fcller & S\u00f6hne \"GmbH\" <a>");
  object.SetTexture(L"D:\\Bilder & Co\\a.bmp");
  const std::string bytes = mwWinAPI::ToUtf8(Export(object, L"E:\\x.k7mobj", kSim));
  EXPECT_NE(bytes.find("Texture=\"D:\\Bilder &amp; Co\\a.bmp\" "), std::string::npos);
  EXPECT_NE(bytes.find("FileAuthor=\"M\xC3\xBCller &amp; S\xC3\xB6hne &quot;GmbH&quot; &lt;a&gt;\" "),
            std::string::npos);
  // CR LF and LF become slash-n; a lone CR and a tab survive as references.
  EXPECT_NE(bytes.find("FileInfo=\"eins/nzwei/ndrei&#13;vier&#9;f\xC3\xBCnf\" />\r\n"), std::string::npos);
  EXPECT_EQ(Lines(bytes).size(), 3u);  // <OBJECT>, Props, </OBJECT>
}

TEST(Export, TextsWithoutSpecialCharactersUnchanged) {
  std::wstring out;
  xmltext::AppendEscaped(out, L"Anna Beispiel, C:\\Texturen\\a.bmp; 100% \u00e4\u00f6\u00fc");
  EXPECT_EQ(out, L"Anna Beispiel, C:\\Texturen\\a.bmp; 100% \u00e4\u00f6\u00fc");
  out.clear();
  // Characters XML cannot carry at all are left out rather than making the
  // whole file unreadable; a zero character would cut the file short.
  xmltext::AppendEscaped(out, std::wstring(L"a\x01"
                                           L"b") +
                                  L'\0' + L"c\xFFFF");
  EXPECT_EQ(out, L"abc");
}

TEST(Export, DecimalPointUnderACommaLocale) {
  RoundObject object(3, 0);
  object.AddArea(0, 360, 1234.5, 0.5, 1);
  object.GenerateAllPoints();
  std::wstring text;
  {
    filetest::CommaGlobalLocale comma;
    text = Export(object, kExportPath, kSim);
    // The writer restores the user's locale.
    EXPECT_EQ(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), ',');
  }
  EXPECT_NE(text.find(L"Vekt=\"0.5;1234.5;0\""), std::wstring::npos) << mwWinAPI::ToUtf8(text);
  EXPECT_EQ(text.find(L"1.234"), std::wstring::npos);
  EXPECT_EQ(text.find(L"0,5"), std::wstring::npos);
}

}  // namespace
