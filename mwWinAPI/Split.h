#pragma once
#include <string>
#include <vector>

namespace mwstd {

// Appends the pieces of `text` between `separator`s to `parts` (which is not
// cleared) and returns how many were appended. The empty text is one empty
// piece; a trailing separator yields an empty last piece.
unsigned split(std::vector<std::wstring>& parts, const std::wstring& text, wchar_t separator);

}  // namespace mwstd
