// Faces, texture layers and the computation of texture coordinates.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "geometry/ModelStrings.h"
#include "geometry/RoundObject.h"

namespace orbiform {

namespace {

// Base and top faces: N corners each, coordinates (0, 0). The base lists the
// bottom ring backwards, the top the last ring forwards. Without rings there
// are no points to refer to, so every corner stays at index 0.
void ResetCaps(Textures& textures, std::size_t rings, unsigned n) {
  FaceTexture& base = textures.faces.front();
  FaceTexture& top = textures.faces.back();
  base.points.assign(n, 0);
  base.coords.assign(n, TexCoord{0, 0});
  top.points.assign(n, 0);
  top.coords.assign(n, TexCoord{0, 0});
  if (rings == 0) return;
  const std::size_t topRing = (rings - 1) * n;
  for (unsigned i = 0; i < n; ++i) {
    base.points[i] = static_cast<std::uint16_t>(n - 1 - i);
    top.points[i] = static_cast<std::uint16_t>(topRing + i);
  }
}

// Side face between ring r and r + 1 at point q: (r + 1, q + 1), (r + 1, q),
// (r, q), (r, q + 1).
void SetSideCorners(FaceTexture& face, std::size_t r, unsigned q, unsigned n) {
  const unsigned q1 = (q + 1) % n;
  const std::size_t lower = r * n;
  const std::size_t upper = (r + 1) * n;
  face.points.assign({static_cast<std::uint16_t>(upper + q1), static_cast<std::uint16_t>(upper + q),
                      static_cast<std::uint16_t>(lower + q), static_cast<std::uint16_t>(lower + q1)});
  face.coords.resize(4);
}

double Distance(const Point& a, const Point& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  const double dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Degenerate geometry (rings whose points are still all zero, collapsed
// segments, a region of zero width or height) makes totals and scales zero.
// A quotient by zero counts as 0: no shift and no scale along that direction,
// so the faces collapse onto the region's edge instead of producing NaN.
double Div(double numerator, double denominator) {
  return denominator == 0.0 ? 0.0 : numerator / denominator;
}

// Truncates toward zero. Lengths too large for a double become infinite and
// turn later terms into NaN; NaN becomes 0 and values beyond the 32-bit range
// are pinned to its ends, since converting them would be undefined.
std::int32_t ToPixel(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// The columns a layer covers: start point through end point, running on
// through point 0 when the end lies below the start.
struct Columns {
  unsigned first;
  unsigned count;
  unsigned n;
  unsigned At(unsigned j) const { return (first + j) % n; }
};

Columns LayerColumns(unsigned startPoint, unsigned endPoint, unsigned n) {
  const unsigned last = endPoint < startPoint ? endPoint + n : endPoint;
  return Columns{startPoint, last - startPoint + 1, n};
}

void ApplySame(const TextureLevel& level, Textures& textures, unsigned n) {
  const Columns columns = LayerColumns(level.startPoint, level.endPoint, n);
  for (std::size_t r = level.startArea; r < level.endArea; ++r) {
    for (unsigned j = 0; j < columns.count; ++j) {
      const unsigned q = columns.At(j);
      FaceTexture& face = textures.faces[r * n + 1 + q];
      SetSideCorners(face, r, q, n);
      for (std::size_t i = 0; i < 4; ++i) face.coords[i] = level.coords[i];
    }
  }
}

// The bitmap region of a wrapped layer: its corners 1 (x) and 3 (y) and
// the differences between its corners. They are signed: a mirrored or
// non-rectangular region has negative ones.
struct WrapRegion {
  double c1x, c3y;
  double dx10, dx21, dx30;
  double dy10, dy21, dy23, dy30;
};

WrapRegion RegionOf(const std::array<TexCoord, 4>& c) {
  WrapRegion g{};
  g.c1x = c[1].first;
  g.c3y = c[3].second;
  g.dx10 = static_cast<double>(c[1].first) - c[0].first;
  g.dx21 = static_cast<double>(c[2].first) - c[1].first;
  g.dx30 = static_cast<double>(c[3].first) - c[0].first;
  g.dy10 = static_cast<double>(c[1].second) - c[0].second;
  g.dy21 = static_cast<double>(c[2].second) - c[1].second;
  g.dy23 = static_cast<double>(c[2].second) - c[3].second;
  g.dy30 = static_cast<double>(c[3].second) - c[0].second;
  return g;
}

// Per column (indexed by its point): its edge's height summed over all rows
// of the layer, and the pixels earlier rows used on its two edges.
struct WrapColumns {
  std::vector<double> total;
  std::vector<double> usedLeft;   // Bv
  std::vector<double> usedRight;  // Cv
};

// One row of faces (ring r to r + 1), per point: the lower, upper and side
// edge lengths; and the lower and upper widths over the layer's columns.
struct WrapRow {
  std::vector<double> segLo, segUp, height;
  double lenLo = 0.0;  // Llo
  double lenUp = 0.0;  // Lup
};

// What a row carries from one column to the next: the widths used on its
// lower and upper edge, and the last column's side slopes.
struct WrapRun {
  double accLo = 0.0, accUp = 0.0;
  double vL = 0.0, vR = 0.0;
};

void MeasureRow(const std::vector<Area>& rings, std::size_t r, const Columns& columns, WrapRow& row) {
  const unsigned n = columns.n;
  const auto pos = [&rings](std::size_t ring, unsigned p) -> const Point& { return rings[ring].Points()[p]; };
  for (unsigned p = 0; p < n; ++p) {
    const unsigned p1 = (p + 1) % n;
    row.segLo[p] = Distance(pos(r, p), pos(r, p1));
    row.segUp[p] = Distance(pos(r + 1, p), pos(r + 1, p1));
    row.height[p] = Distance(pos(r, p), pos(r + 1, p));
  }
  row.lenLo = row.lenUp = 0.0;
  for (unsigned j = 0; j < columns.count; ++j) {
    row.lenLo += row.segLo[columns.At(j)];
    row.lenUp += row.segUp[columns.At(j)];
  }
}

// The corners of the face of column q in `row`, the row's first column
// when `first`; moves `run` and the columns' used heights on.
void WrapFace(const WrapRegion& g, const WrapRow& row, unsigned q, bool first, WrapRun& run,
              WrapColumns& columns, FaceTexture& face) {
  const std::size_t n = row.height.size();
  const unsigned q1 = static_cast<unsigned>((q + 1) % n);
  const double hq = row.height[q];
  const double hq1 = row.height[q1];
  const double Hq = columns.total[q];
  const double Hq1 = columns.total[q1];
  const double bv = columns.usedLeft[q];
  const double cv = columns.usedRight[q];
  const double kA = first ? Div(g.dy21, Hq) : run.vL;
  const double kB = first ? Div(g.dy30, Hq1) : run.vR;

  double dR0 = 0.0, dR1 = 0.0, dL0 = 0.0, dL1 = 0.0;
  if (g.dx21 != 0.0) {
    dR0 = Div((Hq - Div(bv, kA)) * g.dx21, Hq);
    dR1 = Div((Hq - Div(kA * hq + bv, kA)) * g.dx21, Hq);
  }
  if (g.dx30 != 0.0) {
    dL0 = Div(-(Hq1 - Div(cv, kB)) * g.dx30, Hq1);
    dL1 = Div(-(Hq1 - Div(kB * hq1 + cv, kB)) * g.dx30, Hq1);
  }
  const double sLo = Div(g.dx10 + dR0 + dL0, row.lenLo);
  const double sUp = Div(g.dx10 + dR1 + dL1, row.lenUp);

  const double restLo0 = row.lenLo - Div(run.accLo, sLo);
  const double restLo1 = row.lenLo - Div(row.segLo[q] * sLo + run.accLo, sLo);
  double tY0 = 0.0, tY1 = 0.0, bY0 = 0.0, bY1 = 0.0;
  if (g.dy10 != 0.0) {
    tY0 = Div(-restLo0 * g.dy10, row.lenLo);
    tY1 = Div(-restLo1 * g.dy10, row.lenLo);
  }
  if (g.dy23 != 0.0) {
    bY0 = Div(restLo0 * g.dy23, row.lenLo);
    bY1 = Div(restLo1 * g.dy23, row.lenLo);
  }
  run.vL = Div(g.dy30 + bY0 + tY0, Hq);
  run.vR = Div(g.dy30 + bY1 + tY1, Hq1);

  const double accLo = run.accLo, accUp = run.accUp;
  face.coords[0] = {ToPixel(g.c1x + dR1 - accUp - row.segUp[q] * sUp),
                    ToPixel(g.c3y + bY1 - run.vR * hq1 - cv)};
  face.coords[1] = {ToPixel(g.c1x + dR1 - accUp), ToPixel(g.c3y + bY0 - run.vL * hq - bv)};
  face.coords[2] = {ToPixel(g.c1x + dR0 - accLo), ToPixel(g.c3y + bY0 - bv)};
  face.coords[3] = {ToPixel(g.c1x + dR0 - accLo - row.segLo[q] * sLo), ToPixel(g.c3y + bY1 - cv)};

  run.accLo += row.segLo[q] * sLo;
  run.accUp += row.segUp[q] * sUp;
  columns.usedLeft[q] += run.vL * hq;
  columns.usedRight[q] += run.vR * hq1;
}

// Spreads the bitmap region over the faces in proportion to their real
// sizes. The start point sits on the region's right edge and the columns run
// leftwards; the start ring sits on its lower edge and the rows run upwards.
// Slanted region edges shift every face corner by the share of the edge that
// lies below / beside it.
void ApplyWrap(const TextureLevel& level, Textures& textures, unsigned n, const std::vector<Area>& rings) {
  const Columns columns = LayerColumns(level.startPoint, level.endPoint, n);
  const WrapRegion region = RegionOf(level.coords);
  WrapColumns used{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
  for (std::size_t r = level.startArea; r < level.endArea; ++r)
    for (unsigned p = 0; p < n; ++p)
      used.total[p] += Distance(rings[r].Points()[p], rings[r + 1].Points()[p]);

  WrapRow row{std::vector<double>(n), std::vector<double>(n), std::vector<double>(n)};
  for (std::size_t r = level.startArea; r < level.endArea; ++r) {
    MeasureRow(rings, r, columns, row);
    WrapRun run;
    for (unsigned j = 0; j < columns.count; ++j) {
      const unsigned q = columns.At(j);
      FaceTexture& face = textures.faces[r * n + 1 + q];
      SetSideCorners(face, r, q, n);
      WrapFace(region, row, q, j == 0, run, used, face);
    }
  }
}

}  // namespace

// --- Textures ---

std::size_t Textures::FaceCount(std::size_t rings, unsigned n) {
  return rings == 0 ? 2 : (rings - 1) * n + 2;
}

void Textures::Rebuild(std::size_t rings, unsigned n) {
  FaceTexture quad;
  quad.points.assign(4, 0);
  quad.coords.assign(4, TexCoord{0, 0});
  faces.assign(FaceCount(rings, n), quad);
  ResetCaps(*this, rings, n);
}

void Textures::AddTopRing(std::size_t rings, unsigned n) {
  if (rings < 2 || faces.size() != FaceCount(rings - 1, n) || faces.front().points.size() != n) {
    Rebuild(rings, n);
    return;
  }
  FaceTexture quad;
  quad.points.assign(4, 0);
  quad.coords.assign(4, TexCoord{0, 0});
  FaceTexture top = std::move(faces.back());
  faces.pop_back();
  faces.insert(faces.end(), n, quad);
  faces.push_back(std::move(top));
  ResetCaps(*this, rings, n);
}

// --- TextureLevel ---

void TextureLevel::SetAreas(unsigned start, unsigned end) {
  if (areaCount == 0 || start > areaCount - 1 || end > areaCount - 1) modelstrings::Throw(IDS_PLAIN_RANGE);
  startArea = start;
  endArea = end;
}

void TextureLevel::SetPoints(unsigned start, unsigned end) {
  if (pointCount == 0 || start > pointCount - 1 || end > pointCount - 1) modelstrings::Throw(IDS_POINT_RANGE);
  startPoint = start;
  endPoint = end;
}

void TextureLevel::SetCounts(unsigned points, unsigned areas) {
  const auto clamp = [](unsigned& index, unsigned count) {
    if (index >= count) index = count == 0 ? 0 : count - 1;
  };
  if (points < pointCount) {
    clamp(startPoint, points);
    clamp(endPoint, points);
  }
  if (areas < areaCount) {
    clamp(startArea, areas);
    clamp(endArea, areas);
  }
  pointCount = points;
  areaCount = areas;
}

bool TextureLevel::Apply(Textures& faces, unsigned n, const std::vector<Area>& rings) const {
  const std::size_t ringCount = rings.size();
  if (n == 0 || startPoint >= n || endPoint >= n || startArea >= ringCount || endArea >= ringCount)
    return false;
  // A face list or rings that do not match (n, rings) would be written out of
  // bounds; refuse them like a range that does not fit.
  if (faces.faces.size() < Textures::FaceCount(ringCount, n)) return false;
  for (const Area& ring : rings)
    if (ring.PointCount() < n) return false;

  if (type == kWrap)
    ApplyWrap(*this, faces, n, rings);
  else
    ApplySame(*this, faces, n);
  return true;
}

// --- RoundObject: faces ---

const FaceTexture& RoundObject::GetFace(std::size_t face) const {
  if (!texCoordsValid_) throw std::invalid_argument("SetTexCoordinate()  invalid operation");
  if (face >= textures_.faces.size()) throw std::out_of_range("face index out of range");
  return textures_.faces[face];
}

std::uint16_t RoundObject::GetFacePoint(std::size_t face, std::size_t corner) const {
  if (!texCoordsValid_) throw std::invalid_argument("SetTexCoordinate() invalid operation");
  if (face >= textures_.faces.size()) throw std::out_of_range("face index out of range");
  const FaceTexture& f = textures_.faces[face];
  if (corner >= f.points.size()) throw std::out_of_range("corner index out of range");
  return f.points[corner];
}

void RoundObject::SetTexCoordinate(std::size_t face, std::size_t corner, std::int32_t x, std::int32_t y) {
  if (!texCoordsValid_) throw std::invalid_argument("SetTexCoordinate() invalid operation");
  if (face >= textures_.faces.size()) throw std::out_of_range("face index out of range");
  FaceTexture& f = textures_.faces[face];
  if (corner >= f.coords.size()) throw std::out_of_range("corner index out of range");
  f.coords[corner] = {x, y};
}

TexCoord RoundObject::GetTexCoordinate(std::size_t face, std::size_t corner) const {
  if (!texCoordsValid_) throw std::invalid_argument("GetTexCoordinate() invalid operation");
  if (face >= textures_.faces.size()) throw std::out_of_range("face index out of range");
  const FaceTexture& f = textures_.faces[face];
  if (corner >= f.coords.size()) throw std::out_of_range("corner index out of range");
  return f.coords[corner];
}

// --- RoundObject: texture layers ---

TextureLevel& RoundObject::GetTextureLevel(std::size_t index) { return levels_.at(index); }

const TextureLevel& RoundObject::GetTextureLevel(std::size_t index) const { return levels_.at(index); }

std::size_t RoundObject::AddTextureLevel() {
  const unsigned rings = static_cast<unsigned>(areas_.size());
  TextureLevel level;
  level.SetCounts(pointsPerRing_, rings);
  // Without a ring there is no range to check against; the layer then covers
  // ring 0 to ring 0, which applies to nothing until rings exist.
  if (rings == 0)
    level.startArea = level.endArea = 0;
  else
    level.SetAreas(0, rings - 1);
  level.SetPoints(0, pointsPerRing_ - 1);
  levels_.push_back(level);
  return levels_.size() - 1;
}

void RoundObject::RemoveTextureLevel(std::size_t index) {
  if (index >= levels_.size()) modelstrings::Throw(IDS_NO_SUCH_LAYER);
  levels_.erase(levels_.begin() + static_cast<std::ptrdiff_t>(index));
}

void RoundObject::MoveTextureLevel(std::size_t from, std::size_t to, bool removeSource) {
  if (from >= levels_.size()) modelstrings::Throw(IDS_NO_SUCH_LAYER);
  if (removeSource && from == to) return;
  const TextureLevel copy = levels_[from];
  if (to >= levels_.size()) {
    // to + 1 must not wrap round to an empty list.
    if (to >= levels_.max_size()) throw std::length_error("texture layer index too large");
    levels_.resize(to + 1);
  }
  if (removeSource) levels_.erase(levels_.begin() + static_cast<std::ptrdiff_t>(from));
  const std::size_t at = std::min(to, levels_.size());
  levels_.insert(levels_.begin() + static_cast<std::ptrdiff_t>(at), copy);
}

bool RoundObject::ApplyTextures() {
  const std::size_t rings = areas_.size();
  const unsigned n = pointsPerRing_;
  if (textures_.faces.size() != Textures::FaceCount(rings, n) || textures_.faces.front().points.size() != n) {
    textures_.Rebuild(rings, n);
    textures_.GrundDeckFl = 3;
  }

  // An object without rings has no faces to texture.
  bool result = rings != 0;
  if (result) {
    for (const TextureLevel& level : levels_) {
      if (level.startArea == level.endArea) continue;
      if (!level.Apply(textures_, n, areas_)) {
        result = false;
        break;
      }
    }
  }
  ResetCaps(textures_, rings, n);
  texCoordsValid_ = result;
  return result;
}

}  // namespace orbiform
