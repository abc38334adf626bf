// Point-number meshes: curve flattening, extrusion and label composition.
#include <gtest/gtest.h>

#include <cmath>

#include "views/TextMesh.h"

using namespace orbiform;
using namespace orbiform::views;

namespace {

float Cross(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// A 1 x 1 square (clockwise, y up, as fonts give outer outlines) with a
// counter-clockwise square hole, and a triangulation of the ring between.
std::vector<Contour> Frame() {
  return {{{0, 0}, {0, 1}, {1, 1}, {1, 0}}, {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.75f, 0.75f}, {0.25f, 0.75f}}};
}
const std::vector<std::uint16_t> kFrameTriangles = {0, 4, 3, 3, 4, 5, 3, 5, 2, 2, 5, 6,
                                                    2, 6, 1, 1, 6, 7, 1, 7, 0, 0, 7, 4};

}  // namespace

TEST(TextMesh, FlatteningStaysWithinTheDeviation) {
  const Vec2 from{0, 0}, control{0.5f, 1}, to{1, 0};
  Contour line;
  FlattenQuadratic(from, control, to, 0.001f, line);
  ASSERT_GT(line.size(), 5u);
  EXPECT_EQ(line.back().x, to.x);
  EXPECT_EQ(line.back().y, to.y);
  // Every curve point lies near the polyline (checked against its segments).
  line.insert(line.begin(), from);
  for (int i = 0; i <= 1000; ++i) {
    const float t = i / 1000.0f, s = 1 - t;
    const float px = 2 * s * t * control.x + t * t * to.x, py = 2 * s * t * control.y;
    float best = 1e9f;
    for (std::size_t k = 0; k + 1 < line.size(); ++k) {
      const Vec2 a = line[k], b = line[k + 1];
      const float dx = b.x - a.x, dy = b.y - a.y;
      float u = ((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy);
      u = std::fmax(0, std::fmin(1, u));
      best = std::fmin(best, std::hypot(a.x + u * dx - px, a.y + u * dy - py));
    }
    EXPECT_LE(best, 0.00105f) << t;
  }
  // A straight "curve" is its chord.
  Contour straight;
  FlattenQuadratic({0, 0}, {1, 1}, {2, 2}, 0.001f, straight);
  EXPECT_EQ(straight.size(), 1u);
}

TEST(TextMesh, ExtrusionHasCapsFacingOutAndSidesAlongEveryEdge) {
  const GlyphMesh mesh = ExtrudeGlyph(Frame(), kFrameTriangles, 0.4f, 1.2f);
  ASSERT_EQ(mesh.capVertexCount, 8u);
  ASSERT_EQ(mesh.capIndexCount, kFrameTriangles.size());
  EXPECT_EQ(mesh.vertices.size(), 8u * 2 + 8 * 4);
  EXPECT_EQ(mesh.indices.size(), kFrameTriangles.size() * 2 + 8 * 6);
  EXPECT_FLOAT_EQ(mesh.advance, 1.2f);
  for (const std::uint16_t i : mesh.indices) ASSERT_LT(i, mesh.vertices.size());
  const auto& v = mesh.vertices;
  const auto& ix = mesh.indices;
  for (std::size_t t = 0; t < mesh.capIndexCount; t += 3) {
    EXPECT_GT(Cross(v[ix[t]], v[ix[t + 1]], v[ix[t + 2]]), 0) << "front triangle " << t / 3;
    const std::size_t b = mesh.capIndexCount + t;
    EXPECT_LT(Cross(v[ix[b]], v[ix[b + 1]], v[ix[b + 2]]), 0) << "back triangle " << t / 3;
    EXPECT_EQ(v[ix[t]].z, 0);
    EXPECT_EQ(v[ix[b]].nz, 1);
    EXPECT_FLOAT_EQ(v[ix[b]].z, 0.4f);
  }
  // Side normals point away from the filled ring: outwards on the outer
  // square, into the hole on the inner one.
  for (std::size_t s = 16; s < v.size(); s += 4) {
    const float mx = (v[s].x + v[s + 1].x) / 2 - 0.5f, my = (v[s].y + v[s + 1].y) / 2 - 0.5f;
    const bool outer = std::fabs(mx) > 0.3f || std::fabs(my) > 0.3f;
    const float along = mx * v[s].nx + my * v[s].ny;
    EXPECT_TRUE(outer ? along > 0 : along < 0) << "side " << (s - 16) / 4;
  }
}

TEST(TextMesh, ExtrusionRefusesIndicesOutsideTheOutline) {
  EXPECT_TRUE(ExtrudeGlyph(Frame(), {0, 1, 8}, 0.4f, 1).vertices.empty());
}

std::array<LabelShape, 10> Quads() {
  std::array<LabelShape, 10> digits;
  for (int d = 0; d < 10; ++d)
    digits[d] = QuadShape(0, 0, 0.5f, 1, {d / 10.0f, 0}, {(d + 1) / 10.0f, 1}, 0.5f + d);
  return digits;
}

TEST(TextMesh, LabelsAreComposedMirroredScaledAndPlacedAtTheirAnchors) {
  LabelBatch batch;
  batch.Compose(Quads(), {L"12", L"x7"}, false);
  ASSERT_EQ(batch.VertexCount(), 12u);
  ASSERT_EQ(batch.Chunks().size(), 1u);
  EXPECT_EQ(batch.Indices().size(), 18u);
  std::vector<LabelVertex> out(batch.VertexCount());
  batch.WriteVertices({{10, 20, 30}, {-1, 0, 5}}, 0.5f, out.data());
  // Digit "2" of the first label starts after the advance of "1" (1.5) and
  // shows the third tenth of the picture; its top right corner:
  EXPECT_FLOAT_EQ(out[6].x, 10 - (1.5f + 0.5f) * 0.5f);
  EXPECT_FLOAT_EQ(out[6].y, 20 + 0.5f);
  EXPECT_FLOAT_EQ(out[6].z, 30);
  EXPECT_FLOAT_EQ(out[6].u, 0.3f);
  EXPECT_FLOAT_EQ(out[6].v, 0);
  EXPECT_FLOAT_EQ(out[4].v, 1);
  EXPECT_EQ(out[6].u1, 0);
  EXPECT_FLOAT_EQ(out[8].x, -1);  // the second label's "7", "x" skipped
  EXPECT_FLOAT_EQ(out[8].u, 0.7f);
  // Reversed composition winds every triangle the other way.
  const auto forward = batch.Indices();
  batch.Compose(Quads(), {L"12", L"x7"}, true);
  ASSERT_EQ(batch.Indices().size(), forward.size());
  for (std::size_t t = 0; t < forward.size(); t += 3) {
    EXPECT_EQ(batch.Indices()[t + 1], forward[t + 2]);
    EXPECT_EQ(batch.Indices()[t + 2], forward[t + 1]);
  }
  // A shape whose triangles point outside its points is left out.
  auto broken = Quads();
  broken[1].triangles[2] = 4;
  batch.Compose(broken, {L"12"}, false);
  EXPECT_EQ(batch.VertexCount(), 4u);
}

TEST(TextMesh, LargeBatchesAreCutIntoChunksThatSixteenBitIndicesAddress) {
  std::vector<std::wstring> texts(10000, L"42");  // 80000 vertices
  LabelBatch batch;
  batch.Compose(Quads(), texts, false);
  ASSERT_EQ(batch.Chunks().size(), 2u);
  std::size_t vertices = 0, indices = 0;
  for (const auto& c : batch.Chunks()) {
    EXPECT_LE(c.vertexCount, 65536u);
    EXPECT_EQ(c.firstVertex, vertices);
    EXPECT_EQ(c.firstIndex, indices);
    for (std::size_t i = c.firstIndex; i < c.firstIndex + c.indexCount; ++i)
      ASSERT_LT(batch.Indices()[i], c.vertexCount);
    vertices += c.vertexCount;
    indices += c.indexCount;
  }
  EXPECT_EQ(vertices, 80000u);
  EXPECT_EQ(indices, batch.Indices().size());
}
