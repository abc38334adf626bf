#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "geometry/ModelStrings.h"
#include "geometry/RoundObject.h"
#include "geometry/StoredNumbers.h"

namespace orbiform {

namespace {

constexpr double kPi = 3.14159265359;  // the same constant as the ring generator
constexpr double kPoleRadius = 0.01;   // poles stay tiny rings, never single points

}  // namespace

Sphere::Sphere(unsigned pointsPerRing, int axis) : RoundObject(pointsPerRing, axis) {}

Sphere::Sphere(const RoundObject& body) : RoundObject(body) {}

std::unique_ptr<RoundObject> Sphere::Clone() const { return std::make_unique<Sphere>(*this); }

void Sphere::SetRings(int rings) {
  if (rings < 3 || rings > 3000) throw std::invalid_argument("areas < 3");
  rings_ = rings;
}

// The positive checks are written as !(v > 0) so that NaN is refused too;
// infinity no file can hold.
void Sphere::SetRadius(double radius) {
  if (!(radius > 0) || !std::isfinite(radius)) throw std::invalid_argument("radius <= 0");
  radius_ = radius;
}

void Sphere::SetEllipse(double ellipse) {
  if (!(ellipse > 0) || !std::isfinite(ellipse)) throw std::invalid_argument("ellipse <= 0");
  ellipse_ = ellipse;
}

void Sphere::SetStartDegree(double degree) {
  if (!(degree >= 0 && degree <= 359)) throw std::invalid_argument("degree <= 0 || > 360");
  startDegree_ = degree;
}

void Sphere::SetEndDegree(double degree) {
  if (!(degree > 0 && degree <= 360)) throw std::invalid_argument("degree <= 0 || > 360");
  endDegree_ = degree;
}

void Sphere::GenerateSphere() {
  // Refused as a whole rather than after some of the rings were added.
  if ((AreaCount() + static_cast<std::size_t>(rings_)) * PointsPerRing() > kMaxObjectPoints)
    modelstrings::Throw(IDS_TOO_MANY_POINTS);

  // The sphere's degrees are halved: 0..360 walks the latitude from the
  // bottom pole (0) to the top pole (180).
  // Heights too large for a double (a huge radius times the ellipse
  // factor) refuse the sphere before its first ring.
  const double halfStep = (endDegree_ - startDegree_) * 0.5 / (rings_ - 1);
  double phi = startDegree_ * 0.5;
  std::vector<std::pair<double, double>> rings;  // height, radius
  rings.reserve(static_cast<std::size_t>(rings_));
  for (int i = 0; i < rings_; ++i) {
    double r = std::sin(phi / 360.0 * kPi * 2) * radius_;
    if (r <= 0) r = kPoleRadius;
    const double h = std::cos((phi + 180.0) / 360.0 * kPi * 2) * radius_ * ellipse_;
    orbiform::CheckFinite(h);
    rings.emplace_back(h, r);
    phi += halfStep;
  }
  for (const auto& [h, r] : rings) AddArea(0, 360, h, r, 1.0);
}

}  // namespace orbiform
