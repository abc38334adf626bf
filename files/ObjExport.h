#pragma once
// The object as a Wavefront OBJ file with its material (.mtl) beside it, for
// general 3D tools: the same points, normals and faces as the simulator's
// object file, texture coordinates scaled to 0..1 with v pointing up.
#include <optional>
#include <string>

#include "geometry/RoundObject.h"

namespace orbiform {

struct BitmapExtent {
  int width = 0;
  int height = 0;
};

struct ObjTexts {
  std::wstring obj;
  std::wstring mtl;
  std::wstring note;  // one line when texture coordinates were left out, else empty
};

// "scene.obj" -> "scene.mtl" (the extension replaced, or appended).
std::wstring MtlPathFor(const std::wstring& objPath);

// Both texts for `objPath`. Without `bitmap` (or with a zero side) no "vt"
// lines are written and `note` says so. The caller applies the texture
// layers first. Throws only std::bad_alloc.
ObjTexts ObjExportTexts(const RoundObject& object, const std::wstring& objPath,
                        const std::optional<BitmapExtent>& bitmap);

// Reads the bitmap's size from its header and writes both files, each by
// safe replace. Returns the note (empty when all went in). Throws
// mwstd::exception when a file cannot be written.
std::wstring WriteObjFiles(const RoundObject& object, const std::wstring& objPath);

}  // namespace orbiform
