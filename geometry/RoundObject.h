#pragma once
// The object being edited: rings ("plains") of points, the faces between them
// with their texture coordinates, and the user's texture layers.
//
// Plain parameter checks throw std::invalid_argument / std::out_of_range with
// short English texts; checks whose text the user reads throw
// mwstd::invalid_argument with a string-table text (ids in editor/res/resource.h).
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometry/PlainDouble.h"

namespace orbiform {

constexpr unsigned kMinPointsPerRing = 3;
constexpr unsigned kMaxPointsPerRing = 3000;
// Total points of one object; the view's 16-bit indices and the simulator
// both depend on it staying small.
constexpr unsigned kMaxObjectPoints = 5000;

struct Point {
  double x = 0, y = 0, z = 0;     // position
  double nx = 0, ny = 0, nz = 0;  // normal
};

using TexCoord = std::pair<std::int32_t, std::int32_t>;  // bitmap pixels, x then y

// One ring. Radius and ellipse factor are > 0; degrees pass SetDegrees.
class Area {
 public:
  // Holds `points` zero points. Throws mwstd::invalid_argument (199) for a
  // radius or ellipse factor <= 0, 230 for a value that is not finite, and
  // the SetDegrees texts for bad degrees.
  Area(unsigned points, double startDegree, double endDegree, double height, double radius, double ellipse);
  Area(const Area&) = default;
  Area(Area&&) noexcept = default;
  Area& operator=(const Area&) = default;
  Area& operator=(Area&&) noexcept = default;
  virtual ~Area() = default;

  // Overwrites every point from the ring's parameters; unit normals pointing
  // outwards, inwards when `reversed`. Throws std::invalid_argument
  // "Axis not defined" for an axis outside 0..5, and mwstd::invalid_argument
  // (230) without changing a point when a coordinate would not be finite.
  void GeneratePoints(int axis, bool reversed);
  // Negates the two normal components the axis sequence makes non-zero.
  void ReverseNormals(int axis);

  Point& GetPoint(std::size_t index);  // std::out_of_range when outside
  const Point& GetPoint(std::size_t index) const;
  std::size_t PointCount() const { return points_.size(); }
  const std::vector<Point>& Points() const { return points_; }
  void ResizePoints(unsigned n) { points_.resize(n); }

  double Radius() const { return radius_; }
  double Ellipse() const { return ellipse_; }
  double Height() const { return height_; }
  double StartDegree() const { return startDegree_; }
  double EndDegree() const { return endDegree_; }
  // Radius and ellipse factor must be > 0 (mwstd::invalid_argument, 199) and
  // finite (230).
  void SetRadius(double radius);
  void SetEllipse(double ellipse);
  // Any finite value (mwstd::invalid_argument, 230, for the others).
  void SetHeight(double height);
  // Start 0..360, end 0..720; an end below the start gets 360 added; the span
  // must be at least 30 degrees, also as a file holds the two degrees.
  // mwstd::invalid_argument 200 / 201.
  void SetDegrees(double start, double end);

 private:
  double radius_ = 1;
  double ellipse_ = 1;
  double height_ = 0;
  double startDegree_ = 0;
  double endDegree_ = 360;
  std::vector<Point> points_;
};

struct FaceTexture {
  std::vector<std::uint16_t> points;  // point index per corner: ring * N + point
  std::vector<TexCoord> coords;       // one per corner
};

// The faces of an object: face 0 the base area, side quad r * N + 1 + q,
// the last face the top area.
class Textures {
 public:
  Textures() = default;
  Textures(const Textures&) = default;
  Textures& operator=(const Textures&) = default;
  virtual ~Textures() = default;

  // Face count of a list for `rings` rings of `n` points: (R - 1) * N + 2,
  // and 2 (base and top only) for fewer than two rings.
  static std::size_t FaceCount(std::size_t rings, unsigned n);

  // Replaces the list by a new one for (rings, n): every face 4 corners of
  // index 0 and coordinate (0, 0), base and top faces n corners.
  // GrundDeckFl is left alone.
  void Rebuild(std::size_t rings, unsigned n);
  // Grows a list made for rings - 1 rings by one ring on top: the side faces
  // already there keep their contents, the new row and the top face start as
  // in a new list. Rebuilds when the list has another shape. Costs O(n), so
  // stacking many rings does not rebuild the whole list each time.
  void AddTopRing(std::size_t rings, unsigned n);

  std::vector<FaceTexture> faces;
  int GrundDeckFl = 3;  // bit 0: base area, bit 1: top area
};

// Whether an object has its base and top faces, by GrundDeckFl: the base
// with 1 or 3, the top with 2 or 3 (other values, only ever found in files,
// give neither). The files and the 3D view follow the same rule.
inline bool HasBaseFace(int grundDeckFl) { return grundDeckFl == 1 || grundDeckFl == 3; }
inline bool HasTopFace(int grundDeckFl) { return grundDeckFl == 2 || grundDeckFl == 3; }

// One texture layer: a rectangle of rings x points and the bitmap region
// laid over it.
class TextureLevel {
 public:
  enum Technique { kWrap = 0, kSame = 1 };

  // Corners: upper left, upper right, lower right, lower left.
  std::array<TexCoord, 4> coords{{{0, 0}, {50, 0}, {50, 50}, {0, 50}}};
  int type = kSame;
  unsigned startPoint = 0, endPoint = 3;
  unsigned startArea = 0, endArea = 0;
  unsigned pointCount = 0, areaCount = 0;  // the object's, set before the checks

  // Both must be <= count - 1, else mwstd::invalid_argument (205 / 204).
  void SetAreas(unsigned start, unsigned end);
  void SetPoints(unsigned start, unsigned end);
  // Stores the counts; when one shrinks, indices at or above it become
  // count - 1 (0 for a count of 0).
  void SetCounts(unsigned points, unsigned areas);

  // Writes this layer's coordinates into `faces`; false without any change
  // when its ranges do not fit `n` points and `rings`.
  bool Apply(Textures& faces, unsigned n, const std::vector<Area>& rings) const;
};

class RoundObject {
 public:
  // Throws std::invalid_argument "points < 3 || points > 3000" or
  // "Axis not defined".
  RoundObject(unsigned pointsPerRing, int axis);
  RoundObject(const RoundObject&) = default;
  RoundObject& operator=(const RoundObject&) = default;
  virtual ~RoundObject() = default;

  // A deep copy of the dynamic type (a Sphere keeps its sphere parameters).
  virtual std::unique_ptr<RoundObject> Clone() const;
  virtual bool IsSphere() const { return false; }

  // --- rings ---
  std::size_t AreaCount() const { return areas_.size(); }
  const std::vector<Area>& Areas() const { return areas_; }
  // Throws std::out_of_range "[const int index] out of range".
  Area& GetArea(int index);
  const Area& GetArea(int index) const;
  // Ring insertion: 5000-point limit (mwstd 203), ring checks of Area; the
  // new ring's points are zero. InsertArea puts it before `index`, or appends
  // when `index` is not below the ring count.
  void AddArea(double startDegree, double endDegree, double height, double radius, double ellipse);
  void InsertArea(std::size_t index, double startDegree, double endDegree, double height, double radius,
                  double ellipse);
  // -1 removes every ring; another index outside the rings throws
  // std::out_of_range "[const int index] out of range".
  void RemoveArea(int index);

  unsigned PointsPerRing() const { return pointsPerRing_; }
  std::size_t PointCount() const { return areas_.size() * pointsPerRing_; }
  // Refuses counts outside 3..3000 (std::invalid_argument) and more than 5000
  // points in all (mwstd 203); resets every layer's point range.
  void SetPointsPerRing(unsigned n);

  int Axis() const { return axis_; }
  void SetAxis(int axis);  // std::invalid_argument "Axis not defined"
  bool VectorsReversed() const { return vectorsReversed_; }
  void SetVectorsReversed(bool reversed) { vectorsReversed_ = reversed; }
  void GenerateAllPoints();
  void RotateVectors();

  const std::wstring& Texture() const { return texture_; }
  void SetTexture(const std::wstring& path) { texture_ = path; }
  const std::wstring& FileAuthor() const { return fileAuthor_; }
  void SetFileAuthor(const std::wstring& author) { fileAuthor_ = author; }
  const std::wstring& FileInfo() const { return fileInfo_; }
  void SetFileInfo(const std::wstring& info) { fileInfo_ = info; }

  // --- faces ---
  Textures& GetTextures() { return textures_; }  // raw access for the readers
  const Textures& GetTextures() const { return textures_; }
  int GrundDeckFl() const { return textures_.GrundDeckFl; }
  void SetGrundDeckFl(int flags) { textures_.GrundDeckFl = flags; }
  bool TexCoordsValid() const { return texCoordsValid_; }
  void SetTexCoordsValid(bool valid) { texCoordsValid_ = valid; }
  std::size_t FaceCount() const { return textures_.faces.size(); }
  // Checked face access; all throw std::invalid_argument while the texture
  // coordinates are not valid and std::out_of_range for a bad index.
  const FaceTexture& GetFace(std::size_t face) const;
  std::uint16_t GetFacePoint(std::size_t face, std::size_t corner) const;
  void SetTexCoordinate(std::size_t face, std::size_t corner, std::int32_t x, std::int32_t y);
  TexCoord GetTexCoordinate(std::size_t face, std::size_t corner) const;

  // --- texture layers ---
  std::size_t TextureLevelCount() const { return levels_.size(); }
  const std::vector<TextureLevel>& TextureLevels() const { return levels_; }
  std::vector<TextureLevel>& TextureLevels() { return levels_; }
  // std::out_of_range for a layer that does not exist; removing or moving one
  // throws mwstd::invalid_argument (202), the text the user reads.
  TextureLevel& GetTextureLevel(std::size_t index);
  const TextureLevel& GetTextureLevel(std::size_t index) const;
  std::size_t AddTextureLevel();
  void RemoveTextureLevel(std::size_t index);
  void MoveTextureLevel(std::size_t from, std::size_t to, bool removeSource);
  // Recomputes the faces from the layers; sets and returns the valid flag.
  bool ApplyTextures();

 protected:
  void UpdateLevelCounts();

 private:
  void InsertRing(std::size_t index, double startDegree, double endDegree, double height, double radius,
                  double ellipse);

  std::vector<Area> areas_;
  unsigned pointsPerRing_;
  std::wstring texture_ = L"textur.bmp";
  int axis_ = 0;
  Textures textures_;
  bool texCoordsValid_ = false;
  bool vectorsReversed_ = false;
  std::vector<TextureLevel> levels_;
  std::wstring fileAuthor_;
  std::wstring fileInfo_;
};

// A RoundObject whose rings come from five sphere parameters.
class Sphere : public RoundObject {
 public:
  explicit Sphere(unsigned pointsPerRing, int axis = 0);
  // Takes every RoundObject field; the sphere parameters start at their defaults.
  explicit Sphere(const RoundObject& body);
  Sphere(const Sphere&) = default;
  Sphere& operator=(const Sphere&) = default;

  std::unique_ptr<RoundObject> Clone() const override;
  bool IsSphere() const override { return true; }

  int Rings() const { return rings_; }
  double Radius() const { return radius_; }
  double Ellipse() const { return ellipse_; }
  double StartDegree() const { return startDegree_; }
  double EndDegree() const { return endDegree_; }
  // Checked setters, std::invalid_argument: "areas < 3" (3..3000),
  // "radius <= 0", "ellipse <= 0" (also for infinity), "degree <= 0 || > 360"
  // (start 0..359, end above 0 up to 360).
  void SetRings(int rings);
  void SetRadius(double radius);
  void SetEllipse(double ellipse);
  void SetStartDegree(double degree);
  void SetEndDegree(double degree);

  // Appends the sphere's rings (points stay zero until GenerateAllPoints).
  // Throws mwstd::invalid_argument 203 (too many points) or 230 (a height
  // beyond the doubles) before adding any ring.
  void GenerateSphere();

 private:
  int rings_ = 3;
  double radius_ = 2.0;
  double ellipse_ = 1.0;
  double startDegree_ = 0.0;
  double endDegree_ = 360.0;
};

}  // namespace orbiform
