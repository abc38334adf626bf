#include "files/ObjExport.h"

#include <cstdint>
#include <cstdlib>

#include "files/Bitmap.h"
#include "files/Export.h"
#include "files/TexturePath.h"
#include "files/XmlText.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

namespace orbiform {

namespace {

std::wstring::size_type NameStart(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? 0 : slash + 1;
}

// 3D tools on every system read forward slashes; Windows accepts them too.
std::wstring ForwardSlashes(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
  return path;
}

void AppendLine(std::wstring& out, const wchar_t* key, double a, double b, double c,
                xmltext::NumberFormatter& numbers) {
  out += key;
  out += L' ';
  numbers.Append(out, a);
  out += L' ';
  numbers.Append(out, b);
  out += L' ';
  numbers.Append(out, c);
  out += L'\n';
}

}  // namespace

std::wstring MtlPathFor(const std::wstring& objPath) {
  const auto dot = objPath.find_last_of(L'.');
  if (dot == std::wstring::npos || dot < NameStart(objPath)) return objPath + L".mtl";
  return objPath.substr(0, dot) + L".mtl";
}

ObjTexts ObjExportTexts(const RoundObject& object, const std::wstring& objPath,
                        const std::optional<BitmapExtent>& bitmap) {
  xmltext::ClassicLocaleGuard classic;
  xmltext::NumberFormatter numbers;
  ObjTexts texts;
  const bool withUv = bitmap && bitmap->width > 0 && bitmap->height > 0;
  if (!withUv) texts.note = L"no readable bitmap \"" + object.Texture() + L"\": texture coordinates left out";

  const std::wstring mtlPath = MtlPathFor(objPath);
  std::wstring& out = texts.obj;
  out += L"mtllib " + mtlPath.substr(NameStart(mtlPath)) + L"\n";
  out += L"o object\n";
  // Points are numbered ring after ring, as the faces name them.
  for (const Area& ring : object.Areas())
    for (const Point& p : ring.Points()) AppendLine(out, L"v", p.x, p.y, p.z, numbers);
  for (const Area& ring : object.Areas())
    for (const Point& p : ring.Points()) AppendLine(out, L"vn", p.nx, p.ny, p.nz, numbers);

  const auto chosen = objectxml::ExportedFaces(object);
  const auto& faces = object.GetTextures().faces;
  if (withUv) {
    for (const std::size_t f : chosen) {
      for (const TexCoord& c : faces[f].coords) {
        out += L"vt ";
        numbers.Append(out, static_cast<double>(c.first) / bitmap->width);
        out += L' ';
        numbers.Append(out, 1.0 - static_cast<double>(c.second) / bitmap->height);
        out += L'\n';
      }
    }
  }
  out += L"usemtl object\n";
  unsigned long long vt = 1;  // OBJ counts from 1
  for (const std::size_t f : chosen) {
    const FaceTexture& face = faces[f];
    out += L'f';
    for (std::size_t c = 0; c < face.points.size(); ++c) {
      const auto v = static_cast<unsigned long long>(face.points[c]) + 1;
      out += L' ';
      numbers.Append(out, v);
      out += L'/';
      if (withUv && c < face.coords.size()) numbers.Append(out, vt + c);
      out += L'/';
      numbers.Append(out, v);
    }
    if (withUv) vt += face.coords.size();
    out += L'\n';
  }

  texts.mtl = L"newmtl object\nKa 1 1 1\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n";
  if (withUv && !object.Texture().empty())
    texts.mtl += L"map_Kd " + ForwardSlashes(ShortenTexturePath(object.Texture(), objPath, L"")) + L"\n";
  return texts;
}

std::wstring WriteObjFiles(const RoundObject& object, const std::wstring& objPath) {
  std::optional<BitmapExtent> extent;
  std::int32_t width = 0, height = 0;
  if (!object.Texture().empty() && ReadBitmapSize(object.Texture(), width, height) && width > 0 &&
      height != 0 && height != INT32_MIN)
    extent = BitmapExtent{width, std::abs(height)};  // a negative height is a top-down file
  const ObjTexts texts = ObjExportTexts(object, objPath, extent);
  mwWinAPI::WriteBytesReplacing(MtlPathFor(objPath), mwWinAPI::ToUtf8(texts.mtl));
  mwWinAPI::WriteBytesReplacing(objPath, mwWinAPI::ToUtf8(texts.obj));
  return texts.note;
}

}  // namespace orbiform
