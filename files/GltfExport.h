#pragma once
// The object as one binary glTF 2.0 file (.glb) for web pages and other 3D
// tools: the faces of the simulator's object file as triangles, normals and
// texture coordinates, one material with the object's bitmap inside as PNG.
//
// Axes: the simulator's are left-handed (x right, y up, z away from the
// viewer), glTF's right-handed (z towards the viewer): z is negated for
// positions and normals. The picture stays the same, so the triangles keep
// the order in which the 3D view draws them, counter-clockwise from the front.
#include <string>

#include "files/Bitmap.h"
#include "geometry/RoundObject.h"

namespace orbiform {

struct GlbFile {
  std::string bytes;
  std::wstring note;  // one line when the texture was left out, else empty
};

// The file's bytes. `name` names the scene, node and mesh. Without `bitmap`
// there are no texture coordinates and no texture, and `note` says so. Every
// exported face (objectxml::ExportedFaces) becomes a fan of triangles over
// its corners, each corner a vertex of its own. The caller applies the
// texture layers first. Throws mwstd::invalid_argument when a face names a
// point the object does not have, otherwise only std::bad_alloc.
GlbFile GlbExport(const RoundObject& object, const std::wstring& name, const Image* bitmap);

// The name of a file without its folder and extension ("C:\a\Pillar.ek7mobj"
// -> "Pillar").
std::wstring FileStem(const std::wstring& path);

// Reads the object's bitmap and writes the file by safe replace. Returns the
// note (empty when the texture went in). Throws mwstd::exception when the
// file cannot be written, and what GlbExport throws.
std::wstring WriteGlbFile(const RoundObject& object, const std::wstring& glbPath, const std::wstring& name);

}  // namespace orbiform
