#pragma once
// The FileVersion text of an executable's version resource: the editor shows
// and sends its own, the updater reads both programs' for its query.
#include <string>

namespace mwWinAPI {

// The FileVersion string of the file at `path` (first translation that has
// one), or empty when the file carries no version resource. Never throws but
// std::bad_alloc.
std::wstring ReadFileVersion(const std::wstring& path);

}  // namespace mwWinAPI
