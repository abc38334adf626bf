// Flattening, extrusion and composition of the point-number text; no
// platform code, so that it is tested natively.
#include "views/TextMesh.h"

#include <cmath>
#include <limits>

namespace orbiform::views {

void FlattenQuadratic(Vec2 from, Vec2 control, Vec2 to, float deviation, Contour& out) {
  // A quadratic's distance from its chord is at most |from - 2 control + to| / 4,
  // and n equal parameter steps divide that by n squared.
  const float ax = from.x - 2 * control.x + to.x;
  const float ay = from.y - 2 * control.y + to.y;
  const float bulge = std::sqrt(ax * ax + ay * ay) / 4;
  int steps = 1;
  if (deviation > 0 && bulge > deviation) {
    const double wanted = std::ceil(std::sqrt(bulge / deviation));
    steps = wanted > 1000 ? 1000 : static_cast<int>(wanted);
  }
  for (int i = 1; i < steps; ++i) {
    const float t = static_cast<float>(i) / steps;
    const float s = 1 - t;
    out.push_back({s * s * from.x + 2 * s * t * control.x + t * t * to.x,
                   s * s * from.y + 2 * s * t * control.y + t * t * to.y});
  }
  out.push_back(to);
}

GlyphMesh ExtrudeGlyph(const std::vector<Contour>& contours, const std::vector<std::uint16_t>& triangles,
                       float depth, float advance) {
  GlyphMesh mesh;
  mesh.advance = advance;
  std::size_t points = 0;
  for (const Contour& c : contours) points += c.size();
  // front + back + four per side edge
  if (points * 6 > std::numeric_limits<std::uint16_t>::max() + 1u) return mesh;
  for (const std::uint16_t i : triangles)
    if (i >= points) return mesh;

  std::vector<Vec2> flat;
  flat.reserve(points);
  for (const Contour& c : contours) flat.insert(flat.end(), c.begin(), c.end());

  mesh.vertices.reserve(points * 6);
  for (const Vec2& p : flat) mesh.vertices.push_back({p.x, p.y, 0, 0, 0, -1});
  for (const Vec2& p : flat) mesh.vertices.push_back({p.x, p.y, depth, 0, 0, 1});
  mesh.capVertexCount = points;

  const std::size_t whole = triangles.size() / 3 * 3;
  mesh.indices.reserve(whole * 2 + points * 6);
  for (std::size_t t = 0; t < whole; t += 3) {
    std::uint16_t a = triangles[t], b = triangles[t + 1], c = triangles[t + 2];
    const float cross =
        (flat[b].x - flat[a].x) * (flat[c].y - flat[a].y) - (flat[b].y - flat[a].y) * (flat[c].x - flat[a].x);
    if (cross < 0) std::swap(b, c);  // front faces the viewer counter-clockwise
    mesh.indices.insert(mesh.indices.end(), {a, b, c});
  }
  mesh.capIndexCount = mesh.indices.size();
  const auto back = static_cast<std::uint16_t>(points);
  for (std::size_t t = 0; t < mesh.capIndexCount; t += 3)
    mesh.indices.insert(mesh.indices.end(), {static_cast<std::uint16_t>(mesh.indices[t] + back),
                                             static_cast<std::uint16_t>(mesh.indices[t + 2] + back),
                                             static_cast<std::uint16_t>(mesh.indices[t + 1] + back)});

  // Sides: the filled area lies right of the outline's direction (font
  // convention), so the outward normal points left of it.
  for (const Contour& c : contours) {
    for (std::size_t i = 0; i < c.size(); ++i) {
      const Vec2 a = c[i], b = c[(i + 1) % c.size()];
      float nx = -(b.y - a.y), ny = b.x - a.x;
      const float length = std::sqrt(nx * nx + ny * ny);
      if (length == 0) continue;
      nx /= length;
      ny /= length;
      const auto base = static_cast<std::uint16_t>(mesh.vertices.size());
      mesh.vertices.push_back({a.x, a.y, 0, nx, ny, 0});
      mesh.vertices.push_back({b.x, b.y, 0, nx, ny, 0});
      mesh.vertices.push_back({b.x, b.y, depth, nx, ny, 0});
      mesh.vertices.push_back({a.x, a.y, depth, nx, ny, 0});
      mesh.indices.insert(mesh.indices.end(),
                          {base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2),
                           base, static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 3)});
    }
  }
  return mesh;
}

LabelShape QuadShape(float left, float bottom, float right, float top, Vec2 uvTopLeft, Vec2 uvBottomRight,
                     float advance) {
  LabelShape shape;
  shape.points = {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
  shape.uv = {{uvTopLeft.x, uvBottomRight.y}, uvBottomRight, {uvBottomRight.x, uvTopLeft.y}, uvTopLeft};
  shape.triangles = {0, 1, 2, 0, 2, 3};
  shape.advance = advance;
  return shape;
}

void LabelBatch::Compose(const std::array<LabelShape, 10>& digits, const std::vector<std::wstring>& texts,
                         bool reversed) {
  shapes_ = digits;
  for (LabelShape& shape : shapes_) {
    shape.uv.resize(shape.points.size());
    // a shape whose triangles point outside it is not drawn
    for (const std::uint16_t i : shape.triangles)
      if (i >= shape.points.size() || shape.points.size() > 65536) {
        shape.points.clear();
        shape.uv.clear();
        shape.triangles.clear();
        break;
      }
    shape.triangles.resize(shape.triangles.size() / 3 * 3);
  }
  instances_.clear();
  indices_.clear();
  chunks_.clear();
  vertexCount_ = 0;
  Chunk chunk;
  for (std::size_t label = 0; label < texts.size(); ++label) {
    float pen = 0;
    for (const wchar_t ch : texts[label]) {
      if (ch < L'0' || ch > L'9') continue;
      const auto digit = static_cast<std::uint8_t>(ch - L'0');
      const LabelShape& shape = shapes_[digit];
      const std::size_t count = shape.points.size();
      if (chunk.vertexCount + count > 65536) {
        chunks_.push_back(chunk);
        chunk = Chunk{vertexCount_, 0, indices_.size(), 0};
      }
      const std::size_t local = chunk.vertexCount;
      for (std::size_t t = 0; t < shape.triangles.size(); t += 3) {
        const std::uint16_t a = shape.triangles[t], b = shape.triangles[t + 1], c = shape.triangles[t + 2];
        indices_.push_back(static_cast<std::uint16_t>(local + a));
        indices_.push_back(static_cast<std::uint16_t>(local + (reversed ? c : b)));
        indices_.push_back(static_cast<std::uint16_t>(local + (reversed ? b : c)));
      }
      chunk.indexCount = indices_.size() - chunk.firstIndex;
      chunk.vertexCount += count;
      vertexCount_ += count;
      instances_.push_back({static_cast<std::uint32_t>(label), digit, pen});
      pen += shape.advance;
    }
  }
  if (chunk.vertexCount != 0) chunks_.push_back(chunk);
}

void LabelBatch::WriteVertices(const std::vector<Vec3>& anchors, float scale, LabelVertex* out) const {
  for (const Instance& in : instances_) {
    const LabelShape& shape = shapes_[in.digit];
    // keep the promised count even without an anchor: collapsed, invisible
    const Vec3 a = in.label < anchors.size() ? anchors[in.label] : Vec3{};
    const float s = in.label < anchors.size() ? scale : 0;
    for (std::size_t i = 0; i < shape.points.size(); ++i)
      *out++ = {a.x - (in.offset + shape.points[i].x) * s,
                a.y + shape.points[i].y * s,
                a.z,
                shape.uv[i].x,
                shape.uv[i].y,
                0,
                0};
  }
}

}  // namespace orbiform::views
