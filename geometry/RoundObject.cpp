#include <algorithm>
#include <stdexcept>

#include "geometry/ModelStrings.h"
#include "geometry/RoundObject.h"

namespace orbiform {

namespace {

void CheckPointsPerRing(unsigned n) {
  if (n < kMinPointsPerRing || n > kMaxPointsPerRing)
    throw std::invalid_argument("points < 3 || points > 3000");
}

void CheckAxis(int axis) {
  if (axis < 0 || axis > 5) throw std::invalid_argument("Axis not defined");
}

[[noreturn]] void ThrowRingIndex() { throw std::out_of_range("[const int index] out of range"); }

}  // namespace

RoundObject::RoundObject(unsigned pointsPerRing, int axis) : pointsPerRing_(pointsPerRing), axis_(axis) {
  CheckPointsPerRing(pointsPerRing);
  CheckAxis(axis);
  textures_.Rebuild(2, pointsPerRing);
}

std::unique_ptr<RoundObject> RoundObject::Clone() const { return std::make_unique<RoundObject>(*this); }

Area& RoundObject::GetArea(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= areas_.size()) ThrowRingIndex();
  return areas_[static_cast<std::size_t>(index)];
}

const Area& RoundObject::GetArea(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= areas_.size()) ThrowRingIndex();
  return areas_[static_cast<std::size_t>(index)];
}

void RoundObject::AddArea(double startDegree, double endDegree, double height, double radius,
                          double ellipse) {
  InsertRing(areas_.size(), startDegree, endDegree, height, radius, ellipse);
}

void RoundObject::InsertArea(std::size_t index, double startDegree, double endDegree, double height,
                             double radius, double ellipse) {
  InsertRing(index, startDegree, endDegree, height, radius, ellipse);
}

void RoundObject::InsertRing(std::size_t index, double startDegree, double endDegree, double height,
                             double radius, double ellipse) {
  const std::size_t rings = areas_.size() + 1;
  if (rings * pointsPerRing_ > kMaxObjectPoints) modelstrings::Throw(IDS_TOO_MANY_POINTS);

  // Everything that can fail happens before the object changes, so that a
  // refused ring leaves it as it was. A ring on top only adds a row of faces
  // (the indices of the rows below stay); one in between renumbers them all.
  Area ring(pointsPerRing_, startDegree, endDegree, height, radius, ellipse);
  texCoordsValid_ = false;
  const bool onTop = index >= areas_.size();
  const auto at = areas_.begin() + static_cast<std::ptrdiff_t>(std::min(index, areas_.size()));
  const auto inserted = areas_.insert(at, std::move(ring));
  try {
    if (onTop)
      textures_.AddTopRing(rings, pointsPerRing_);  // GrundDeckFl stays
    else
      textures_.Rebuild(rings, pointsPerRing_);
  } catch (...) {
    areas_.erase(inserted);
    throw;
  }
  UpdateLevelCounts();
}

void RoundObject::RemoveArea(int index) {
  if (index != -1 && (index < 0 || static_cast<std::size_t>(index) >= areas_.size())) ThrowRingIndex();
  texCoordsValid_ = false;

  if (index == -1)
    areas_.clear();
  else
    areas_.erase(areas_.begin() + index);
  textures_.Rebuild(areas_.size(), pointsPerRing_);
  UpdateLevelCounts();
}

void RoundObject::SetPointsPerRing(unsigned n) {
  CheckPointsPerRing(n);
  if (n == pointsPerRing_) return;
  if (areas_.size() * n > kMaxObjectPoints) modelstrings::Throw(IDS_TOO_MANY_POINTS);

  // Built aside first, so that a failed allocation leaves the object intact.
  Textures faces;
  faces.Rebuild(areas_.size(), n);  // the count ApplyTextures keeps
  std::vector<Area> resized = areas_;
  for (Area& ring : resized) ring.ResizePoints(n);

  texCoordsValid_ = false;
  pointsPerRing_ = n;
  textures_.faces.swap(faces.faces);
  areas_.swap(resized);
  const unsigned rings = static_cast<unsigned>(areas_.size());
  for (TextureLevel& level : levels_) {
    level.SetCounts(n, rings);
    level.startPoint = 0;
    level.endPoint = n - 1;
  }
}

void RoundObject::SetAxis(int axis) {
  CheckAxis(axis);
  axis_ = axis;
}

void RoundObject::GenerateAllPoints() {
  for (Area& ring : areas_) ring.GeneratePoints(axis_, vectorsReversed_);
}

void RoundObject::RotateVectors() {
  for (Area& ring : areas_) ring.ReverseNormals(axis_);
  vectorsReversed_ = !vectorsReversed_;
}

void RoundObject::UpdateLevelCounts() {
  const unsigned rings = static_cast<unsigned>(areas_.size());
  for (TextureLevel& level : levels_) level.SetCounts(pointsPerRing_, rings);
}

}  // namespace orbiform
