#pragma once
// The editor's project file (.ek7mobj): everything needed to edit an object
// again — rings, points, faces, texture layers and the sphere parameters.
#include <memory>
#include <string>

#include "geometry/RoundObject.h"

namespace orbiform {

// Appends the object's whole element (ROUNDOBJECT, or SPHEREOBJECT for a
// sphere). `writtenFile` is the path being written; it and `simFolder` decide
// how the texture path is stored.
void WriteObject(const RoundObject& object, std::wstring& out, const std::wstring& simFolder,
                 const std::wstring& writtenFile);
// Appends the object's Props line and its texture layers.
void WriteProps(const RoundObject& object, std::wstring& out, const std::wstring& simFolder,
                const std::wstring& writtenFile);

// The whole file's text: the XML declaration, CR LF, then the element.
std::wstring ProjectFileText(const RoundObject& object, const std::wstring& simFolder,
                             const std::wstring& path);

// Layers beyond this count, or a Level at or above it, make a file invalid:
// far more than anyone lays over 5000 points, and it keeps a hostile Level
// from allocating without bound.
constexpr std::size_t kMaxTextureLevels = 4096;

// Reads a project file's bytes (up to the first zero byte). True only when
// the text is well-formed, holds an object and that object is consistent; the
// object is then in `slot`. On false `slot` is empty. A model check that
// fails (too many points, bad ring parameters, ...) propagates as its
// exception, `slot` again empty. The texture path is left as stored (see
// ResolveTexturePath). Texture layer ranges beyond the object are clamped to
// its last point and ring. A document type declaration makes the file
// invalid (nothing in it is expanded); std::bad_alloc when memory runs out.
bool ParseProject(const std::string& bytes, std::unique_ptr<RoundObject>& slot);

}  // namespace orbiform
