#pragma once
// The text under which a recent file appears in the File menu: long paths are
// shortened around "..." so that the drive, the file name and as many of the
// last folders as fit stay readable.
#include <string>

namespace orbiform {

// A path of at most 40 characters comes back whole; a longer one keeps its
// first three characters, possibly the first folder, and the last parts.
std::wstring RecentFileDisplayText(const std::wstring& path);

}  // namespace orbiform
