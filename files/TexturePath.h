#pragma once
// Texture bitmap paths in the files: stored relative to the file's folder or
// to the simulator's folder where possible, so that objects can be moved
// together with their bitmaps. Backslash is the separator; comparisons are
// exact (case-sensitive).
#include <string>

namespace orbiform {

// The form written into a file: the bare name when the bitmap lies in the
// folder of `writtenFile`, a path below that folder, a path beginning with a
// backslash when it lies below `simFolder`, else `texture` unchanged. An
// empty simulator folder matches nothing.
std::wstring ShortenTexturePath(const std::wstring& texture, const std::wstring& writtenFile,
                                const std::wstring& simFolder);

// The inverse after loading `projectPath`: a stored path beginning with one
// backslash lies below the simulator folder; a drive path ("X:...") or a
// network path ("\\server...") stays; anything else lies below the project's
// folder (unchanged when the project path has no folder).
std::wstring ResolveTexturePath(const std::wstring& stored, const std::wstring& projectPath,
                                const std::wstring& simFolder);

}  // namespace orbiform
