#pragma once
// Whatever a server names (a link's local path, an operation's files, a pair
// handed to MiniSwap) is checked here before it reaches the file system: the
// programs run with administrator rights, so a path from outside must stay
// inside the editor's folder. Also the origin comparison of the trust check.
// No platform code: resolving a path to its full form is the caller's part.
#include <string>

#include "mwWinAPI/Origin.h"

namespace updater {

// Longest relative path accepted from a server, in characters.
constexpr std::size_t kMaxRelativePath = 240;

// True for a plain relative path such as "Orbiform2.exe" or "Textures/a.bmp"
// ('/' or '\' between names). False for the empty path, absolute paths
// ("\a", "/a"), drive letters and alternate data streams (any ':'), UNC and
// device paths ("\\server\x", "\\?\x", "\\.\x"), empty, "." and ".." names,
// names ending in a dot or blank (the system strips those, so the name on
// disk differs from the one checked), device names (CON, NUL, COM1 ...),
// wildcards, control characters and paths longer than kMaxRelativePath.
bool IsSafeRelativePath(const std::wstring& path);

// True when `path` lies strictly inside `folder`. Both are full paths as the
// system resolves them; '/' and '\' are the same and letters compare without
// case, as on a Windows file system. The folder itself is not inside.
bool IsInsideFolder(const std::wstring& folder, const std::wstring& path);

// The origin checks live in the shared library, which the download layer
// uses for redirects; the updater's callers name them here as before.
using mwWinAPI::IsWebAddress;
using mwWinAPI::Origin;
using mwWinAPI::ParseOrigin;
using mwWinAPI::SameOrigin;

}  // namespace updater
