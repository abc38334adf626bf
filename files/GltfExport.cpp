// Binary glTF: the JSON chunk describes accessors into one binary chunk that
// holds positions, normals, texture coordinates, indices and the PNG.
#include "files/GltfExport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "files/Export.h"
#include "files/Png.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

namespace orbiform {

namespace {

// The format's fixed numbers: component types, buffer targets, magic and chunk kinds.
constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr std::uint32_t kMagic = 0x46546C67;      // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
constexpr std::uint32_t kBinChunk = 0x004E4942;   // "BIN\0"

using Vec3 = std::array<float, 3>;

struct Mesh {
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::uint32_t> indices;
};

// The shortest text that reads back as exactly this float, in any locale.
std::string Number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : mwWinAPI::ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// glTF's axes from the simulator's: z turned round.
Vec3 Converted(double x, double y, double z) {
  return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(-z)};
}

// A normal of length 1 as glTF requires: the point's own when it has a
// direction, else the face's (points added by hand carry a zero normal).
Vec3 UnitNormal(const Point& point, const Vec3& faceNormal) {
  const double length = std::sqrt(point.nx * point.nx + point.ny * point.ny + point.nz * point.nz);
  if (!(length > 1e-12) || !std::isfinite(length)) return faceNormal;
  return Converted(point.nx / length, point.ny / length, point.nz / length);
}

// The polygon's normal in glTF's axes by Newell's method, (0, 1, 0) for a
// degenerate one. It points to the side from which the view shows the face:
// the triangles run against the corner order.
Vec3 FaceNormal(const std::vector<const Point*>& corners) {
  double nx = 0, ny = 0, nz = 0;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Point& a = *corners[i];
    const Point& b = *corners[(i + 1) % corners.size()];
    // a and b with z turned round, as they are written.
    nx += (a.y - b.y) * (-a.z - b.z);
    ny += (-a.z + b.z) * (a.x + b.x);
    nz += (a.x - b.x) * (a.y + b.y);
  }
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 1e-12) || !std::isfinite(length)) return {0, 1, 0};
  return {static_cast<float>(-nx / length), static_cast<float>(-ny / length),
          static_cast<float>(-nz / length)};
}

Mesh BuildMesh(const RoundObject& object, const Image* bitmap) {
  Mesh mesh;
  const auto& faces = object.GetTextures().faces;
  const std::size_t n = object.PointsPerRing();
  const std::size_t points = object.PointCount();
  std::vector<const Point*> corners;
  for (const std::size_t f : objectxml::ExportedFaces(object)) {
    const FaceTexture& face = faces[f];
    if (face.points.size() < 3) continue;
    corners.clear();
    for (const std::uint16_t index : face.points) {
      if (index >= points)
        throw mwstd::invalid_argument(L"Face " + std::to_wstring(f) + L" names point " +
                                      std::to_wstring(index) + L", which the object does not have");
      corners.push_back(&object.Areas()[index / n].Points()[index % n]);
    }
    const Vec3 faceNormal = FaceNormal(corners);
    const auto first = static_cast<std::uint32_t>(mesh.positions.size());
    for (std::size_t c = 0; c < corners.size(); ++c) {
      const Point& p = *corners[c];
      mesh.positions.push_back(Converted(p.x, p.y, p.z));
      mesh.normals.push_back(UnitNormal(p, faceNormal));
      if (bitmap) {
        // Pixel coordinates are taken as unsigned, as the view takes them.
        const TexCoord t = c < face.coords.size() ? face.coords[c] : TexCoord{0, 0};
        mesh.uvs.push_back(
            {static_cast<float>(static_cast<double>(static_cast<std::uint32_t>(t.first)) / bitmap->width),
             static_cast<float>(static_cast<double>(static_cast<std::uint32_t>(t.second)) / bitmap->height)});
      }
    }
    // The view's fan: anchored at the last corner, against the corner order.
    const auto last = static_cast<std::uint32_t>(corners.size() - 1);
    for (std::uint32_t k = 0; k + 2 < corners.size(); ++k) {
      mesh.indices.push_back(first + last);
      mesh.indices.push_back(first + last - 1 - k);
      mesh.indices.push_back(first + last - 2 - k);
    }
  }
  return mesh;
}

// The binary chunk with its views; every view starts on four bytes.
class BinaryChunk {
 public:
  // Appends the bytes as a new view and returns its index.
  std::size_t Add(const void* data, std::size_t size, int target) {
    while (bytes_.size() % 4 != 0) bytes_ += '\0';
    views_ += views_.empty() ? "" : ",";
    views_ += "{\"buffer\":0,\"byteOffset\":" + std::to_string(bytes_.size()) +
              ",\"byteLength\":" + std::to_string(size) +
              (target ? ",\"target\":" + std::to_string(target) : std::string()) + "}";
    bytes_.append(static_cast<const char*>(data), size);
    return count_++;
  }
  std::string& Bytes() {
    while (bytes_.size() % 4 != 0) bytes_ += '\0';
    return bytes_;
  }
  const std::string& Views() const { return views_; }

 private:
  std::string bytes_;
  std::string views_;
  std::size_t count_ = 0;
};

template <std::size_t N>
std::string Bounds(const std::vector<std::array<float, N>>& values, bool largest) {
  std::string out = "[";
  for (std::size_t axis = 0; axis < N; ++axis) {
    float bound = values.front()[axis];
    for (const auto& v : values) bound = largest ? std::max(bound, v[axis]) : std::min(bound, v[axis]);
    out += (axis ? "," : "") + Number(bound);
  }
  return out + "]";
}

std::string Accessor(std::size_t view, int componentType, std::size_t count, const char* type,
                     const std::string& extra = "") {
  return "{\"bufferView\":" + std::to_string(view) + ",\"componentType\":" + std::to_string(componentType) +
         ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"" + extra + "}";
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

std::string Container(std::string json, const std::string& binary) {
  while (json.size() % 4 != 0) json += ' ';
  std::string out;
  PutU32(out, kMagic);
  PutU32(out, 2);
  PutU32(out, static_cast<std::uint32_t>(12 + 8 + json.size() + (binary.empty() ? 0 : 8 + binary.size())));
  PutU32(out, static_cast<std::uint32_t>(json.size()));
  PutU32(out, kJsonChunk);
  out += json;
  if (!binary.empty()) {
    PutU32(out, static_cast<std::uint32_t>(binary.size()));
    PutU32(out, kBinChunk);
    out += binary;
  }
  return out;
}

}  // namespace

std::wstring FileStem(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const auto dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

GlbFile GlbExport(const RoundObject& object, const std::wstring& name, const Image* bitmap) {
  GlbFile file;
  if (bitmap && (bitmap->width < 1 || bitmap->height < 1)) bitmap = nullptr;
  if (!bitmap) file.note = L"no readable bitmap \"" + object.Texture() + L"\": exported without texture";
  const Mesh mesh = BuildMesh(object, bitmap);
  const std::string quotedName = JsonString(name);

  std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Orbiform\"},\"scene\":0,";
  json += "\"scenes\":[{\"name\":" + quotedName + ",\"nodes\":[0]}],";
  json += "\"nodes\":[{\"name\":" + quotedName + (mesh.indices.empty() ? "" : ",\"mesh\":0") +
          ",\"extras\":{\"author\":" + JsonString(object.FileAuthor()) +
          ",\"info\":" + JsonString(object.FileInfo()) + "}}]";
  if (mesh.indices.empty()) {
    file.bytes = Container(json + "}", {});
    return file;
  }

  BinaryChunk binary;
  const std::size_t count = mesh.positions.size();
  std::string accessors = "\"accessors\":[";
  accessors +=
      Accessor(binary.Add(mesh.positions.data(), count * sizeof(Vec3), kArrayBuffer), kFloat, count, "VEC3",
               ",\"min\":" + Bounds(mesh.positions, false) + ",\"max\":" + Bounds(mesh.positions, true));
  accessors += "," + Accessor(binary.Add(mesh.normals.data(), count * sizeof(Vec3), kArrayBuffer), kFloat,
                              count, "VEC3");
  std::string attributes = "\"POSITION\":0,\"NORMAL\":1";
  std::size_t next = 2;
  if (bitmap) {
    accessors += "," + Accessor(binary.Add(mesh.uvs.data(), count * sizeof(mesh.uvs[0]), kArrayBuffer),
                                kFloat, count, "VEC2");
    attributes += ",\"TEXCOORD_0\":" + std::to_string(next++);
  }
  // 0xFFFF would be read as a strip's restart: 16-bit indices only below it.
  if (count < 0xFFFF) {
    const std::vector<std::uint16_t> shorts(mesh.indices.begin(), mesh.indices.end());
    accessors += "," + Accessor(binary.Add(shorts.data(), shorts.size() * 2, kElementArrayBuffer),
                                kUnsignedShort, shorts.size(), "SCALAR");
  } else {
    accessors += "," + Accessor(binary.Add(mesh.indices.data(), mesh.indices.size() * 4, kElementArrayBuffer),
                                kUnsignedInt, mesh.indices.size(), "SCALAR");
  }
  const std::size_t indexAccessor = next;
  accessors += "]";

  // Matte like the simulator's lighting: no metal, full roughness.
  std::string material = "{\"name\":" + JsonString(FileStem(object.Texture())) +
                         ",\"pbrMetallicRoughness\":{\"metallicFactor\":0,\"roughnessFactor\":1";
  std::string texturing;
  if (bitmap) {
    const std::string png = EncodePng(bitmap->pixels, bitmap->width, bitmap->height, PngChannels::Rgb);
    const std::size_t imageView = binary.Add(png.data(), png.size(), 0);
    material += ",\"baseColorTexture\":{\"index\":0}";
    texturing =
        ",\"textures\":[{\"sampler\":0,\"source\":0}],\"samplers\":[{\"wrapS\":10497,\"wrapT\":10497}],"
        "\"images\":[{\"mimeType\":\"image/png\",\"bufferView\":" +
        std::to_string(imageView) + "}]";
  }
  material += "}}";

  json += ",\"meshes\":[{\"name\":" + quotedName + ",\"primitives\":[{\"attributes\":{" + attributes +
          "},\"indices\":" + std::to_string(indexAccessor) + ",\"material\":0,\"mode\":4}]}]";
  json += ",\"materials\":[" + material + "]" + texturing + "," + accessors;
  json += ",\"bufferViews\":[" + binary.Views() + "]";
  json += ",\"buffers\":[{\"byteLength\":" + std::to_string(binary.Bytes().size()) + "}]}";
  file.bytes = Container(json, binary.Bytes());
  return file;
}

std::wstring WriteGlbFile(const RoundObject& object, const std::wstring& glbPath, const std::wstring& name) {
  const std::shared_ptr<const Image> bitmap =
      object.Texture().empty() ? nullptr : SharedBitmapImage(object.Texture());
  const GlbFile file = GlbExport(object, name, bitmap.get());
  mwWinAPI::WriteBytesReplacing(glbPath, file.bytes);
  return file.note;
}

}  // namespace orbiform
