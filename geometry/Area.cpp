#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <stdexcept>

#include "geometry/ModelStrings.h"
#include "geometry/RoundObject.h"
#include "geometry/StoredNumbers.h"

namespace orbiform {

namespace {

// Kept at this precision so that regenerated rings match the points of
// existing objects exactly.
constexpr double kPi = 3.14159265359;

void CheckAxis(int axis) {
  if (axis < 0 || axis > 5) throw std::invalid_argument("Axis not defined");
}

// Written as !(v > 0) so that NaN is refused as well; infinity is positive
// but no file can hold it.
void CheckPositive(double value) {
  if (!(value > 0)) modelstrings::Throw(IDS_RING_INVALID);
  orbiform::CheckFinite(value);
}

}  // namespace

Area::Area(unsigned points, double startDegree, double endDegree, double height, double radius,
           double ellipse)
    : height_(height) {
  orbiform::CheckFinite(height);
  CheckPositive(radius);
  CheckPositive(ellipse);
  radius_ = radius;
  ellipse_ = ellipse;
  SetDegrees(startDegree, endDegree);
  points_.resize(points);
}

void Area::SetRadius(double radius) {
  CheckPositive(radius);
  radius_ = radius;
}

void Area::SetEllipse(double ellipse) {
  CheckPositive(ellipse);
  ellipse_ = ellipse;
}

void Area::SetHeight(double height) {
  orbiform::CheckFinite(height);
  height_ = height;
}

void Area::SetDegrees(double start, double end) {
  if (!(start >= 0 && start <= 360) || !(end >= 0 && end <= 720)) modelstrings::Throw(IDS_DEGREE_RANGE);
  if (end < start) end += 360;
  // The span must hold as the file will give the degrees back too, or a
  // saved ring could not be opened again (0.0000004 .. 30.0000004 is kept
  // as 4e-07 .. 30).
  if (end - start < 30 || orbiform::AsStored(end) - orbiform::AsStored(start) < 30)
    modelstrings::Throw(IDS_MINIMUM_SPAN);
  startDegree_ = start;
  endDegree_ = end;
}

Point& Area::GetPoint(std::size_t index) { return points_.at(index); }

const Point& Area::GetPoint(std::size_t index) const { return points_.at(index); }

void Area::GeneratePoints(int axis, bool reversed) {
  CheckAxis(axis);
  const std::size_t n = points_.size();
  if (n == 0) return;
  // Computed aside: a ring too large for finite numbers is refused whole and
  // keeps its points.
  std::vector<Point> points(n);

  // From 340 degrees on a ring counts as closed: the last point must not
  // repeat the first. Below that the arc includes both ends.
  const double span = endDegree_ - startDegree_;
  double step = 0;
  if (span >= 340.0)
    step = span / static_cast<double>(n);
  else if (n > 1)
    step = span / static_cast<double>(n - 1);

  // Accumulated rather than multiplied, for the same reason as kPi.
  double degree = startDegree_;
  for (Point& p : points) {
    const double a = degree / 360.0 * kPi * 2;
    double c = std::cos(a) * radius_ * ellipse_;
    double s = std::sin(a) * radius_ * (-1.0);
    if (c == 0) c = 0.0;  // no negative zero in the output
    if (s == 0) s = 0.0;
    const double h = height_;

    switch (axis) {
      case 0:
        p.x = c, p.y = h, p.z = s;
        p.nx = c, p.ny = 0, p.nz = s;
        break;
      case 1:
        p.x = c, p.y = s, p.z = h;
        p.nx = c, p.ny = s, p.nz = 0;
        break;
      case 2:
        p.x = h, p.y = c, p.z = s;
        p.nx = 0, p.ny = c, p.nz = s;
        break;
      case 3:
        p.x = h, p.y = s, p.z = c;
        p.nx = 0, p.ny = s, p.nz = c;
        break;
      case 4:
        p.x = s, p.y = c, p.z = h;
        p.nx = s, p.ny = c, p.nz = 0;
        break;
      default:  // 5
        p.x = s, p.y = h, p.z = c;
        p.nx = s, p.ny = 0, p.nz = c;
        break;
    }

    // The length goes through single precision, as the exported normals
    // always have; outside float's range the double value is used instead of
    // an undefined conversion, and a zero length leaves the normal as it is.
    double length = std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
    if (length <= FLT_MAX) length = static_cast<float>(length);
    if (length > 0) {
      p.nx /= length;
      p.ny /= length;
      p.nz /= length;
    }
    for (const double v : {p.x, p.y, p.z, p.nx, p.ny, p.nz}) orbiform::CheckFinite(v);
    degree += step;
  }

  points_.swap(points);
  if (reversed) ReverseNormals(axis);
}

void Area::ReverseNormals(int axis) {
  CheckAxis(axis);
  for (Point& p : points_) {
    switch (axis) {
      case 0:
      case 5:
        p.nx *= -1.0;
        p.nz *= -1.0;
        break;
      case 1:
      case 4:
        p.nx *= -1.0;
        p.ny *= -1.0;
        break;
      default:  // 2, 3
        p.ny *= -1.0;
        p.nz *= -1.0;
        break;
    }
  }
}

}  // namespace orbiform
