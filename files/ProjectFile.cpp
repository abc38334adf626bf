#include "files/ProjectFile.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "files/Export.h"
#include "files/TexturePath.h"
#include "files/XmlRead.h"
#include "files/XmlText.h"

namespace orbiform {

namespace {

using xmlread::NameIs;
using xmlread::ToWide;

void AppendAttribute(std::wstring& out, const wchar_t* name, double value,
                     xmltext::NumberFormatter& numbers) {
  out += name;
  out += L"=\"";
  numbers.Append(out, value);
  out += L"\" ";
}

}  // namespace

void WriteProps(const RoundObject& object, std::wstring& out, const std::wstring& simFolder,
                const std::wstring& writtenFile) {
  xmltext::ClassicLocaleGuard classic;
  xmltext::NumberFormatter numbers;

  out += L"<Props FileInfo=\"";
  xmltext::AppendEscaped(out, xmltext::EncodeLineBreaks(object.FileInfo()));
  out += L"\" FileAuthor=\"";
  xmltext::AppendEscaped(out, object.FileAuthor());
  out += L"\" Texture=\"";
  xmltext::AppendEscaped(out, ShortenTexturePath(object.Texture(), writtenFile, simFolder));
  out += L"\" Points=\"";
  numbers.Append(out, object.PointsPerRing());
  out += L"\" Axis=\"";
  numbers.Append(out, object.Axis());
  out += L"\" GrundDeckFl=\"";
  numbers.Append(out, object.GrundDeckFl());
  out += L"\" VectorsReversed=\"";
  out += object.VectorsReversed() ? L'1' : L'0';
  out += L"\" ";
  if (object.IsSphere()) {
    const auto* sphere = static_cast<const Sphere*>(&object);
    out += L"Areas=\"";
    numbers.Append(out, sphere->Rings());
    out += L"\" ";
    AppendAttribute(out, L"StartDegree", sphere->StartDegree(), numbers);
    AppendAttribute(out, L"EndDegree", sphere->EndDegree(), numbers);
    AppendAttribute(out, L"Ellipse", sphere->Ellipse(), numbers);
    AppendAttribute(out, L"Radius", sphere->Radius(), numbers);
  }
  out += L"/>\r\n";

  const auto& levels = object.TextureLevels();
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const TextureLevel& level = levels[i];
    out += L"<TextureLevel>\r\n<Props TextureTyp=\"";
    out += level.type == TextureLevel::kWrap ? L"wrap" : L"same";
    out += L"\" TextureCoordinates=\"";
    for (std::size_t c = 0; c < level.coords.size(); ++c) {
      if (c > 0) out += L';';
      numbers.Append(out, static_cast<int>(level.coords[c].first));
      out += L',';
      numbers.Append(out, static_cast<int>(level.coords[c].second));
    }
    out += L"\" StartPoint=\"";
    numbers.Append(out, level.startPoint);
    out += L"\" EndPoint=\"";
    numbers.Append(out, level.endPoint);
    out += L"\" StartArea=\"";
    numbers.Append(out, level.startArea);
    out += L"\" EndArea=\"";
    numbers.Append(out, level.endArea);
    out += L"\" Level=\"";
    numbers.Append(out, static_cast<unsigned long long>(i));
    out += L"\"/>\r\n</TextureLevel>\r\n";
  }
}

void WriteObject(const RoundObject& object, std::wstring& out, const std::wstring& simFolder,
                 const std::wstring& writtenFile) {
  xmltext::ClassicLocaleGuard classic;
  xmltext::NumberFormatter numbers;
  out.reserve(out.size() + objectxml::ReserveSize(object.AreaCount(), object.PointsPerRing(), 690));

  const wchar_t* const tag = object.IsSphere() ? L"SPHEREOBJECT" : L"ROUNDOBJECT";
  out += L'<';
  out += tag;
  out += L">\r\n";
  WriteProps(object, out, simFolder, writtenFile);

  for (const Area& ring : object.Areas()) {
    out += L"<Area>\r\n<Props ";
    AppendAttribute(out, L"StartDegree", ring.StartDegree(), numbers);
    AppendAttribute(out, L"EndDegree", ring.EndDegree(), numbers);
    AppendAttribute(out, L"Ellipse", ring.Ellipse(), numbers);
    AppendAttribute(out, L"Heigth", ring.Height(), numbers);
    AppendAttribute(out, L"Radius", ring.Radius(), numbers);
    out += L"/>\r\n";
    for (const Point& point : ring.Points()) objectxml::AppendPoint(out, point, numbers);
    out += L"</Area>\r\n";
  }
  objectxml::AppendFaces(out, object, numbers);
  out += L"</";
  out += tag;
  out += L'>';
}

std::wstring ProjectFileText(const RoundObject& object, const std::wstring& simFolder,
                             const std::wstring& path) {
  std::wstring text = objectxml::kDeclaration;
  WriteObject(object, text, simFolder, path);
  return text;
}

namespace {

// Walks the items of a list such as "1;2;3" without copying the whole list
// apart (a hostile file may hold millions of them).
class ItemReader {
 public:
  ItemReader(const std::wstring& text, wchar_t separator) : text_(text), separator_(separator) {}
  bool Next(std::wstring& item) {
    if (done_) return false;
    const std::size_t end = text_.find(separator_, pos_);
    if (end == std::wstring::npos) {
      item.assign(text_, pos_, std::wstring::npos);
      done_ = true;
    } else {
      item.assign(text_, pos_, end - pos_);
      pos_ = end + 1;
    }
    return true;
  }

 private:
  const std::wstring& text_;
  wchar_t separator_;
  std::size_t pos_ = 0;
  bool done_ = false;
};

// "x,y" into a pair of 32-bit integers.
bool ParsePair(std::wstring_view text, TexCoord& pair) {
  const std::size_t comma = text.find(L',');
  if (comma == std::wstring_view::npos) return false;
  return xmlread::ParseInt(text.substr(0, comma), pair.first) &&
         xmlread::ParseInt(text.substr(comma + 1), pair.second);
}

// "a;b;c": exactly three numbers.
bool ParseTriple(const std::wstring& text, double& a, double& b, double& c) {
  ItemReader items(text, L';');
  std::wstring item;
  double values[3];
  int count = 0;
  while (items.Next(item)) {
    if (count == 3 || !xmlread::ParseDouble(item, values[count])) return false;
    ++count;
  }
  if (count != 3) return false;
  a = values[0];
  b = values[1];
  c = values[2];
  return true;
}

// Texture pairs "x,y;x,y;..." into `coords`, as many as it holds; every item
// must be a pair. An empty list changes nothing.
template <typename Coords>
bool ParsePairs(const std::wstring& text, Coords& coords) {
  if (text.empty()) return true;
  ItemReader items(text, L';');
  std::wstring item;
  std::size_t i = 0;
  while (items.Next(item)) {
    TexCoord pair;
    if (!ParsePair(item, pair)) return false;
    if (i < coords.size()) coords[i] = pair;
    ++i;
  }
  return true;
}

class ProjectReader : public xmlread::StartElementReader {
 public:
  std::unique_ptr<RoundObject> object;

  bool Read(const std::string& bytes) {
    if (!Parse(bytes) || failed_ || !object) return false;
    ClampLayerRanges();
    return FacesNameExistingPoints();
  }

 protected:
  void OnStartElement(const XML_Char* name, const XML_Char** attributes) override {
    if (!object) {
      if (NameIs(name, "SPHEREOBJECT")) {
        object = std::make_unique<Sphere>(3u);
      } else if (NameIs(name, "ROUNDOBJECT")) {
        object = std::make_unique<RoundObject>(3u, 0);
      } else {
        return;
      }
      state_ = kObject;
      ring_ = point_ = face_ = -1;
      return;
    }
    if (NameIs(name, "Area")) {
      state_ = kRing;
      ++ring_;
      point_ = -1;
    } else if (NameIs(name, "Point")) {
      state_ = kPoint;
      ++point_;
      if (ring_ < 0 || point_ >= static_cast<long>(object->PointsPerRing())) return Reject();
    } else if (NameIs(name, "Flaeche")) {
      state_ = kFace;
      NextFace();
    } else if (NameIs(name, "TextureLevel")) {
      state_ = kLevel;
      if (object->TextureLevelCount() >= kMaxTextureLevels) return Reject();
      object->TextureLevels().push_back(TextureLevel());
      level_ = object->TextureLevelCount() - 1;
    } else if (NameIs(name, "Props")) {
      switch (state_) {
        case kObject:
          return ObjectProps(attributes);
        case kRing:
          return RingProps(attributes);
        case kPoint:
          return PointProps(attributes);
        case kFace:
          return FaceProps(attributes);
        case kLevel:
          return LevelProps(attributes);
      }
    }
  }

 private:
  enum State { kObject, kRing, kPoint, kFace, kLevel };

  void Reject() {
    failed_ = true;
    Stop();
  }

  // The files hold the base face only with bit 0 of GrundDeckFl and the top
  // face only with bit 1, so the first Flaeche is face 0 or face 1.
  void NextFace() {
    const int flags = object->GrundDeckFl();
    face_ = face_ < 0 ? (HasBaseFace(flags) ? 0 : 1) : face_ + 1;
    const long count = static_cast<long>(object->FaceCount());
    const long last = HasTopFace(flags) ? count - 1 : count - 2;
    if (face_ > last) Reject();
  }

  void ObjectProps(const XML_Char** attributes) {
    Sphere* const sphere = object->IsSphere() ? static_cast<Sphere*>(object.get()) : nullptr;
    for (const XML_Char** a = attributes; *a; a += 2) {
      const XML_Char* const name = a[0];
      const std::wstring value = ToWide(a[1]);
      double number = 0;
      std::int32_t integer = 0;
      std::uint32_t count = 0;
      if (sphere && NameIs(name, "Areas")) {
        if (!xmlread::ParseInt(value, integer)) return Reject();
        sphere->SetRings(integer);
      } else if (sphere && NameIs(name, "StartDegree")) {
        if (!xmlread::ParseDouble(value, number)) return Reject();
        sphere->SetStartDegree(number);
      } else if (sphere && NameIs(name, "EndDegree")) {
        if (!xmlread::ParseDouble(value, number)) return Reject();
        sphere->SetEndDegree(number);
      } else if (sphere && NameIs(name, "Ellipse")) {
        if (!xmlread::ParseDouble(value, number)) return Reject();
        sphere->SetEllipse(number);
      } else if (sphere && NameIs(name, "Radius")) {
        if (!xmlread::ParseDouble(value, number)) return Reject();
        sphere->SetRadius(number);
      } else if (NameIs(name, "Points")) {
        if (!xmlread::ParseUnsigned(value, count)) return Reject();
        object->SetPointsPerRing(count);
      } else if (NameIs(name, "Texture")) {
        if (!value.empty()) object->SetTexture(value);
      } else if (NameIs(name, "Axis")) {
        if (!xmlread::ParseInt(value, integer)) return Reject();
        object->SetAxis(integer);
      } else if (NameIs(name, "VectorsReversed")) {
        if (!xmlread::ParseInt(value, integer)) return Reject();
        object->SetVectorsReversed(integer != 0);
      } else if (NameIs(name, "GrundDeckFl")) {
        if (!xmlread::ParseInt(value, integer)) return Reject();
        object->SetGrundDeckFl(integer);
      } else if (NameIs(name, "FileAuthor")) {
        object->SetFileAuthor(value);
      } else if (NameIs(name, "FileInfo")) {
        object->SetFileInfo(xmltext::DecodeLineBreaks(value));
      }
    }
  }

  void RingProps(const XML_Char** attributes) {
    double start = 0, end = 360, ellipse = 1, height = 0, radius = 1;
    for (const XML_Char** a = attributes; *a; a += 2) {
      const XML_Char* const name = a[0];
      double* target = nullptr;
      if (NameIs(name, "StartDegree")) {
        target = &start;
      } else if (NameIs(name, "EndDegree") || NameIs(name, "Degree")) {
        target = &end;
      } else if (NameIs(name, "Ellipse")) {
        target = &ellipse;
      } else if (NameIs(name, "Heigth")) {
        target = &height;
      } else if (NameIs(name, "Radius")) {
        target = &radius;
      }
      if (target && !xmlread::ParseDouble(ToWide(a[1]), *target)) return Reject();
    }
    object->AddArea(start, end, height, radius, ellipse);
  }

  void PointProps(const XML_Char** attributes) {
    // An Area without Props appended no ring to put the point in.
    if (ring_ >= static_cast<long>(object->AreaCount())) return Reject();
    Area& ring = object->GetArea(static_cast<int>(ring_));
    if (point_ >= static_cast<long>(ring.PointCount())) return Reject();
    Point& point = ring.GetPoint(static_cast<std::size_t>(point_));
    for (const XML_Char** a = attributes; *a; a += 2) {
      bool ok = true;
      if (NameIs(a[0], "Normal")) {
        ok = ParseTriple(ToWide(a[1]), point.nx, point.ny, point.nz);
      } else if (NameIs(a[0], "Vekt")) {
        ok = ParseTriple(ToWide(a[1]), point.x, point.y, point.z);
      }
      if (!ok) return Reject();
    }
  }

  void FaceProps(const XML_Char** attributes) {
    FaceTexture& face = object->GetTextures().faces.at(static_cast<std::size_t>(face_));
    for (const XML_Char** a = attributes; *a; a += 2) {
      const std::wstring value = ToWide(a[1]);
      if (NameIs(a[0], "Points")) {
        if (value.empty()) continue;
        ItemReader items(value, L';');
        std::wstring item;
        std::size_t corner = 0;
        while (items.Next(item)) {
          std::uint32_t index = 0;
          if (!xmlread::ParseUnsigned(item, index) || index > std::numeric_limits<std::uint16_t>::max())
            return Reject();
          if (corner < face.points.size()) face.points[corner] = static_cast<std::uint16_t>(index);
          ++corner;
        }
      } else if (NameIs(a[0], "Texture")) {
        if (!ParsePairs(value, face.coords)) return Reject();
      }
    }
    object->SetTexCoordsValid(true);
  }

  void LevelProps(const XML_Char** attributes) {
    for (const XML_Char** a = attributes; *a; a += 2) {
      TextureLevel& level = object->TextureLevels()[level_];
      const XML_Char* const name = a[0];
      const std::wstring value = ToWide(a[1]);
      unsigned* target = nullptr;
      if (NameIs(name, "TextureTyp")) {
        level.type = value == L"wrap" ? TextureLevel::kWrap : TextureLevel::kSame;
      } else if (NameIs(name, "StartPoint")) {
        target = &level.startPoint;
      } else if (NameIs(name, "EndPoint")) {
        target = &level.endPoint;
      } else if (NameIs(name, "StartArea")) {
        target = &level.startArea;
      } else if (NameIs(name, "EndArea")) {
        target = &level.endArea;
      } else if (NameIs(name, "TextureCoordinates")) {
        if (!ParsePairs(value, level.coords)) return Reject();
      } else if (NameIs(name, "Level")) {
        std::uint32_t to = 0;
        if (!xmlread::ParseUnsigned(value, to) || to >= kMaxTextureLevels) return Reject();
        object->MoveTextureLevel(level_, to, true);
        level_ = to;  // later attributes still belong to this layer
      }
      if (target) {
        std::uint32_t number = 0;
        if (!xmlread::ParseUnsigned(value, number)) return Reject();
        *target = number;
      }
    }
  }

  // A file may give any 32-bit range; the view and the dialogs index with
  // them. Each layer is brought within the object the way SetCounts does when
  // a count shrinks: here from no bound at all down to the object's counts.
  void ClampLayerRanges() {
    const unsigned points = object->PointsPerRing();
    const auto rings = static_cast<unsigned>(object->AreaCount());
    for (TextureLevel& level : object->TextureLevels()) {
      level.pointCount = level.areaCount = std::numeric_limits<unsigned>::max();
      level.SetCounts(points, rings);
    }
  }

  // The faces may only name points the object has.
  bool FacesNameExistingPoints() const {
    if (!object->TexCoordsValid()) return true;
    const std::size_t points = object->PointCount();
    for (const FaceTexture& face : object->GetTextures().faces)
      for (const std::uint16_t index : face.points)
        if (index >= points) return false;
    return true;
  }

  State state_ = kObject;
  long ring_ = -1;
  long point_ = -1;
  long face_ = -1;
  std::size_t level_ = 0;
  bool failed_ = false;
};

}  // namespace

bool ParseProject(const std::string& bytes, std::unique_ptr<RoundObject>& slot) {
  slot.reset();
  xmltext::ClassicLocaleGuard classic;
  ProjectReader reader;
  if (!reader.Read(bytes)) return false;
  slot = std::move(reader.object);
  return true;
}

}  // namespace orbiform
