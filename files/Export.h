#pragma once
// The simulator's object file (.k7mobj): fixed properties, every point with
// its normal, and the faces with point indices and texture coordinates.
#include <string>
#include <vector>

#include "files/XmlText.h"
#include "geometry/RoundObject.h"

namespace orbiform {

// The object text without the XML declaration; `exportPath` is the file
// being written (for the texture path). The caller applies the texture
// layers first: the faces are written as they are.
std::wstring Export(const RoundObject& object, const std::wstring& exportPath, const std::wstring& simFolder);

// The whole file's text: the XML declaration, CR LF, then Export's text.
std::wstring ExportFileText(const RoundObject& object, const std::wstring& exportPath,
                            const std::wstring& simFolder);

// Pieces the project file shares with the export.
namespace objectxml {

extern const wchar_t kDeclaration[];  // <?xml ...?> and CR LF

// Characters to reserve for an object of `rings` rings of `n` points.
std::size_t ReserveSize(std::size_t rings, unsigned n, std::size_t fixed);

// One "<Point>" block.
void AppendPoint(std::wstring& out, const Point& point, xmltext::NumberFormatter& numbers);
// Indices into the object's faces that are written: all side faces, the base
// and top only as GrundDeckFl selects them; none without rings.
std::vector<std::size_t> ExportedFaces(const RoundObject& object);

// The "<Flaeche>" blocks of ExportedFaces.
void AppendFaces(std::wstring& out, const RoundObject& object, xmltext::NumberFormatter& numbers);

}  // namespace objectxml

}  // namespace orbiform
