#pragma once
// The 3D view's CPU-side geometry: the outline (a line list), the faces (a
// textured triangle list with base and top caps) and the selected face or
// texture layer. The large lists are split over exactly two worker threads
// which write disjoint, precomputed ranges of vectors sized beforehand; every
// build has ended its workers before it returns.
//
// Every Build* returns false and leaves both lists untouched when the
// object's texture coordinates are not valid, it has no rings, its face list
// does not match its rings, or the result would need more vertices than
// 16-bit indices address. Texture coordinates come out divided by the
// bitmap's size (ReadBitmapSize of the object's texture file; 1 when it
// cannot be read). Only std::bad_alloc is thrown.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/Bitmap.h"
#include "geometry/RoundObject.h"

namespace orbiform::views {

// One textured vertex as the renderer takes it (32 bytes: position, normal,
// one texture coordinate set), so a vertex buffer is filled by one copy.
struct TexturedPoint {
  float x = 0, y = 0, z = 0;     // position
  float nx = 0, ny = 0, nz = 0;  // normal
  float u = 0, v = 0;            // texture coordinate, 0..1 across the bitmap
};
static_assert(sizeof(TexturedPoint) == 32, "TexturedPoint must match the 32-byte vertex format");

using Indices = std::vector<std::uint16_t>;

// Called with true when a build starts and false when it ends, on the
// calling thread; the Windows side shows the wait cursor meanwhile. Null (the
// default) shows nothing. Not thread-safe: set it once at start-up.
using BusyHook = void (*)(bool busy);
void SetBusyHook(BusyHook hook);

// Vertex r * N + p = point p of ring r; per ring the closed polygon, then
// (except for the last ring) the lines to the next ring: (2R - 1) * 2N
// indices.
bool BuildOutline(const RoundObject& object, std::vector<Point>& vertices, Indices& indices);

// Vertices [0, N) the base cap, four per side quad, [(4R - 3)N, (4R - 2)N)
// the top cap; indices 3(N - 2) for the base cap, six per quad, then the top
// cap. A cap that GrundDeckFl switches off keeps its places, all zero. The
// base cap's point i takes the coordinate of the base face's corner that
// belongs to it (corner N - 1 - i).
bool BuildFaces(const RoundObject& object, std::vector<TexturedPoint>& vertices, Indices& indices);

// The one face `face` (a fan of its corners). False, lists untouched, for a
// face index outside the object's faces.
bool BuildAreaFaces(const RoundObject& object, std::size_t face, std::vector<TexturedPoint>& vertices,
                    Indices& indices);

// The quads texture layer `layer` covers, four vertices and six indices
// each, row by row. A layer running across point 0 (end point below start
// point) covers start .. N - 1 and 0 .. end. A layer whose end plain is not
// above its start plain gives empty lists (true). False, lists untouched, for
// a layer index outside the object's layers or a layer whose range does not
// fit the object.
bool BuildLayerFaces(const RoundObject& object, std::size_t layer, std::vector<TexturedPoint>& vertices,
                     Indices& indices);

}  // namespace orbiform::views
