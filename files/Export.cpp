#include "files/Export.h"

#include "files/TexturePath.h"

namespace orbiform {

namespace objectxml {

const wchar_t kDeclaration[] = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

std::size_t ReserveSize(std::size_t rings, unsigned n, std::size_t fixed) {
  const std::size_t sides = rings > 0 ? (rings - 1) * 95 : 0;
  return (sides + rings * 80) * n + fixed;
}

namespace {

// "a;b;c"
void AppendTriple(std::wstring& out, double a, double b, double c, xmltext::NumberFormatter& numbers) {
  numbers.Append(out, a);
  out += L';';
  numbers.Append(out, b);
  out += L';';
  numbers.Append(out, c);
}

}  // namespace

void AppendPoint(std::wstring& out, const Point& point, xmltext::NumberFormatter& numbers) {
  out += L"<Point>\r\n<Props Normal=\"";
  AppendTriple(out, point.nx, point.ny, point.nz, numbers);
  out += L"\" Vekt=\"";
  AppendTriple(out, point.x, point.y, point.z, numbers);
  out += L"\" />\r\n</Point>\r\n";
}

std::vector<std::size_t> ExportedFaces(const RoundObject& object) {
  std::vector<std::size_t> chosen;
  // Without rings the faces would name points that do not exist.
  if (object.AreaCount() == 0) return chosen;
  const std::size_t count = object.GetTextures().faces.size();
  const int flags = object.GrundDeckFl();
  for (std::size_t f = 0; f < count; ++f) {
    if (f == 0 && !HasBaseFace(flags)) continue;
    if (f + 1 == count && !HasTopFace(flags)) continue;
    chosen.push_back(f);
  }
  return chosen;
}

void AppendFaces(std::wstring& out, const RoundObject& object, xmltext::NumberFormatter& numbers) {
  const auto& faces = object.GetTextures().faces;
  for (const std::size_t f : ExportedFaces(object)) {
    const FaceTexture& face = faces[f];
    out += L"<Flaeche>\r\n<Props Points=\"";
    for (std::size_t c = 0; c < face.points.size(); ++c) {
      if (c > 0) out += L';';
      numbers.Append(out, static_cast<unsigned>(face.points[c]));
    }
    out += L"\" Texture=\"";
    for (std::size_t c = 0; c < face.coords.size(); ++c) {
      if (c > 0) out += L';';
      numbers.Append(out, static_cast<int>(face.coords[c].first));
      out += L',';
      numbers.Append(out, static_cast<int>(face.coords[c].second));
    }
    out += L"\" />\r\n</Flaeche>\r\n";
  }
}

}  // namespace objectxml

std::wstring Export(const RoundObject& object, const std::wstring& exportPath,
                    const std::wstring& simFolder) {
  xmltext::ClassicLocaleGuard classic;
  xmltext::NumberFormatter numbers;
  std::wstring out;
  out.reserve(objectxml::ReserveSize(object.AreaCount(), object.PointsPerRing(), 290));

  out += L"<OBJECT>\r\n";
  out +=
      L"<Props AutoRotate=\"FALSE\" TransparentTyp=\"0\" Beleuchtet=\"FALSE\" Transparent=\"FALSE\" "
      L"FilePicture=\"\" Drawrueckseiten=\"FALSE\" TransTexture=\"\" Texture=\"";
  xmltext::AppendEscaped(out, ShortenTexturePath(object.Texture(), exportPath, simFolder));
  out += L"\" FileAuthor=\"";
  xmltext::AppendEscaped(out, object.FileAuthor());
  out += L"\" FileInfo=\"";
  xmltext::AppendEscaped(out, xmltext::EncodeLineBreaks(object.FileInfo()));
  out += L"\" />\r\n";

  for (const Area& ring : object.Areas())
    for (const Point& point : ring.Points()) objectxml::AppendPoint(out, point, numbers);
  objectxml::AppendFaces(out, object, numbers);
  out += L"</OBJECT>";
  return out;
}

std::wstring ExportFileText(const RoundObject& object, const std::wstring& exportPath,
                            const std::wstring& simFolder) {
  return objectxml::kDeclaration + Export(object, exportPath, simFolder);
}

}  // namespace orbiform
