#pragma once
// Objects, files and locales the file tests share.
#include <cstdlib>
#include <locale>
#include <memory>
#include <string>

#include "geometry/RoundObject.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

namespace filetest {

inline std::string TestData(const std::string& relative) {
  const char* root = std::getenv("ORBIFORM_TESTDATA");
  return std::string(root ? root : "tests/data") + "/" + relative;
}

inline std::string ReadBytes(const std::string& path) {
  return mwWinAPI::ReadFileBytes(mwWinAPI::FromUtf8(path));
}

// The file's bytes as WriteUtf8FileReplacing produces them.
inline std::string FileBytes(const std::wstring& text) { return mwWinAPI::ToUtf8(text) + '\0'; }

// A generated cylinder: `rings` rings of `n` points, a "wrap" layer over the
// lower rings and a "same" layer over the upper ones that wraps through
// point 0, texture coordinates applied.
inline RoundObject MakeCylinder(unsigned n, int rings, int grundDeckFl) {
  RoundObject object(n, 0);
  for (int r = 0; r < rings; ++r) object.AddArea(0, 360, 1.5 * r, 1.0 + 0.25 * r, r == 1 ? 0.75 : 1.0);
  object.GenerateAllPoints();
  const std::size_t wrap = object.AddTextureLevel();
  TextureLevel& w = object.GetTextureLevel(wrap);
  w.type = TextureLevel::kWrap;
  w.coords = {{{5, 7}, {205, 7}, {205, 107}, {5, 107}}};
  w.SetAreas(0, 1);
  w.SetPoints(1, n - 2);
  const std::size_t same = object.AddTextureLevel();
  TextureLevel& s = object.GetTextureLevel(same);
  s.type = TextureLevel::kSame;
  s.coords = {{{0, 0}, {64, 0}, {64, 32}, {0, 32}}};
  s.SetAreas(1, static_cast<unsigned>(rings - 1));
  s.SetPoints(n - 2, 1);
  object.ApplyTextures();
  object.SetGrundDeckFl(grundDeckFl);
  object.SetFileAuthor(L"Anna Beispiel");
  object.SetFileInfo(L"Erste Zeile\r\nZweite Zeile");
  object.SetTexture(L"C:\\Programme\\Voxtrak3D\\Texturen\\mauer.bmp");
  return object;
}

// Hand-made points, so that the files can be written down by hand.
inline void SetPoint(RoundObject& object, int ring, std::size_t index, Point p) {
  object.GetArea(ring).GetPoint(index) = p;
}

// The small cylinder of the golden files cylinder.k7mobj / .ek7mobj.
inline RoundObject MakeGoldenCylinder() {
  RoundObject object(3, 0);
  object.AddArea(0, 360, 0, 1, 1);
  object.AddArea(30, 300, 2.5, 1.25, 0.8);
  SetPoint(object, 0, 0, {1, 0, 0, 1, 0, 0});
  SetPoint(object, 0, 1, {-0.5, 0, 0.866025, -0.5, 0, 0.866025});
  SetPoint(object, 0, 2, {-0.5, 0, -0.866025, -0.5, 0, -0.866025});
  SetPoint(object, 1, 0, {1, 2.5, 1e-7, 1, 0, 0});
  SetPoint(object, 1, 1, {1234567, 2.5, 0.866025, -0.5, 0, 0.866025});
  SetPoint(object, 1, 2, {-0.5, 2.5, -0.866025, -0.5, 0, -0.866025});
  const std::size_t layer = object.AddTextureLevel();
  object.GetTextureLevel(layer).coords = {{{10, 20}, {60, 20}, {60, 70}, {10, 70}}};
  object.ApplyTextures();
  object.SetGrundDeckFl(3);
  object.SetTexture(L"C:\\Programme\\Voxtrak3D\\Texturen\\holz.bmp");
  object.SetFileAuthor(L"M\u00fcller & S\u00f6hne");
  object.SetFileInfo(L"Zeile 1\r\nZeile \"2\" <ok>");
  return object;
}

// The sphere of the golden file sphere.ek7mobj.
inline Sphere MakeGoldenSphere() {
  Sphere sphere(3);
  sphere.SetRings(4);
  sphere.SetRadius(2.5);
  sphere.SetEllipse(0.5);
  sphere.SetStartDegree(10);
  sphere.SetEndDegree(350);
  sphere.AddArea(0, 360, -1, 0.5, 1);
  sphere.AddArea(0, 360, 1, 0.5, 1);
  sphere.SetVectorsReversed(true);
  const std::size_t wrap = sphere.AddTextureLevel();
  sphere.GetTextureLevel(wrap).type = TextureLevel::kWrap;
  sphere.GetTextureLevel(wrap).SetAreas(0, 0);  // covers no ring pair
  sphere.GetTextureLevel(wrap).SetPoints(1, 2);
  sphere.AddTextureLevel();
  sphere.ApplyTextures();
  sphere.SetGrundDeckFl(2);
  sphere.SetTexture(L"D:\\Modelle\\Texturen\\stein.bmp");
  return sphere;
}

// A number format with a decimal comma and grouping, as the German format
// sets it, installed as the global locale for the lifetime of the object.
class CommaGlobalLocale {
 public:
  CommaGlobalLocale() {
    // The locale takes ownership of the facets (reference counted).
    const std::locale comma(std::locale(std::locale::classic(), new Narrow), new Wide);
    saved_ = std::locale::global(comma);
  }
  ~CommaGlobalLocale() { std::locale::global(saved_); }
  CommaGlobalLocale(const CommaGlobalLocale&) = delete;
  CommaGlobalLocale& operator=(const CommaGlobalLocale&) = delete;

 private:
  struct Narrow : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  struct Wide : std::numpunct<wchar_t> {
    wchar_t do_decimal_point() const override { return L','; }
    wchar_t do_thousands_sep() const override { return L'.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  std::locale saved_;
};

}  // namespace filetest
