#pragma once
// The point numbers as solid text: glyph outlines flattened into polygons,
// extruded into meshes, and a whole object's labels composed from ten digit
// shapes into one vertex list per frame (drawing thousands of separate text
// meshes a frame is far too slow, and so is drawing their every triangle:
// the Windows side draws each digit as a quad showing a picture of its mesh).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbiform::views {

struct Vec2 {
  float x = 0, y = 0;
};

// One closed outline of a glyph in em units, y up; the last point is not a
// repeat of the first.
using Contour = std::vector<Vec2>;

// Appends the quadratic curve from `from` via `control` to `to` as a
// polyline (without `from`, ending with `to`) that nowhere strays more than
// `deviation` from the curve. A non-positive deviation gives the chord.
void FlattenQuadratic(Vec2 from, Vec2 control, Vec2 to, float deviation, Contour& out);

struct MeshVertex {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;
};

// An extruded glyph: the front cap at z = 0 facing -z, the back cap at
// z = depth facing +z, then the sides with a normal per edge. Front cap
// vertices come first in contour order, so the front cap's triangles index
// the flattened outline points directly.
struct GlyphMesh {
  std::vector<MeshVertex> vertices;
  std::vector<std::uint16_t> indices;  // triangle list
  std::size_t capVertexCount = 0;      // vertices [0, capVertexCount) are the front cap
  std::size_t capIndexCount = 0;       // indices [0, capIndexCount) the front cap triangles
  float advance = 0;                   // pen movement to the next glyph
};

// Builds the mesh from the contours and the triangulation of their points
// (indices into the contours' points taken in order, three per triangle,
// counter-clockwise seen from -z when y is up). Returns an empty mesh
// when an index is out of range or the mesh would exceed 16-bit indices.
GlyphMesh ExtrudeGlyph(const std::vector<Contour>& contours, const std::vector<std::uint16_t>& triangles,
                       float depth, float advance);

// A label's anchor after the object's rotation, computed per frame.
struct Vec3 {
  float x = 0, y = 0, z = 0;
};

// What one digit of a label is drawn as: a flat shape in em units (x right,
// y up) with a texture coordinate per point, its triangles
// (counter-clockwise) and the pen movement after it.
struct LabelShape {
  std::vector<Vec2> points;
  std::vector<Vec2> uv;
  std::vector<std::uint16_t> triangles;
  float advance = 0;
};

// The rectangle [left, right] x [bottom, top] (em) as two triangles,
// showing the texture's rectangle from `uvTopLeft` to `uvBottomRight`.
LabelShape QuadShape(float left, float bottom, float right, float top, Vec2 uvTopLeft, Vec2 uvBottomRight,
                     float advance);

// A composed vertex: position, the shape's texture coordinate, and a second
// coordinate set fixed at (0, 0).
struct LabelVertex {
  float x = 0, y = 0, z = 0;
  float u = 0, v = 0;
  float u1 = 0, v1 = 0;
};

// An object's labels as one triangle list made of the digit shapes.
// Indices are 16-bit, so the list is cut into chunks of at most 65536
// vertices, each drawn with its own base vertex.
class LabelBatch {
 public:
  struct Chunk {
    std::size_t firstVertex = 0, vertexCount = 0;
    std::size_t firstIndex = 0, indexCount = 0;
  };

  // Lays out one instance per digit of every text, pen advancing from 0
  // along x. Characters other than 0-9 are skipped. `reversed` winds every
  // triangle the other way (the camera looks at the back of the labels).
  void Compose(const std::array<LabelShape, 10>& digits, const std::vector<std::wstring>& texts,
               bool reversed);

  // Writes every instance's vertices: digit position (x, y) scaled by
  // `scale`, turned half round about y (x negated) and flattened in depth,
  // placed at its label's anchor. `anchors` holds one entry per text given
  // to Compose; `out` must hold VertexCount() entries.
  void WriteVertices(const std::vector<Vec3>& anchors, float scale, LabelVertex* out) const;

  std::size_t VertexCount() const { return vertexCount_; }
  const std::vector<std::uint16_t>& Indices() const { return indices_; }
  const std::vector<Chunk>& Chunks() const { return chunks_; }

 private:
  struct Instance {
    std::uint32_t label;
    std::uint8_t digit;
    float offset;
  };
  std::array<LabelShape, 10> shapes_;
  std::vector<Instance> instances_;
  std::vector<std::uint16_t> indices_;
  std::vector<Chunk> chunks_;
  std::size_t vertexCount_ = 0;
};

}  // namespace orbiform::views
