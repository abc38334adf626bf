#pragma once
// Whatever a server names (a link's local path, an operation's files, a pair
// handed to MiniSwap) is checked here before it reaches the file system: the
// programs run with administrator rights, so a path from outside must stay
// inside the editor's folder. Also the origin comparison of the trust check.
// No platform code: resolving a path to its full form is the caller's part.
#include <string>

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

// The origin of an address: scheme and host in lower case, the port with the
// scheme's default filled in. Empty scheme when the address has none.
struct Origin {
  std::wstring scheme;
  std::wstring host;
  unsigned port = 0;
  bool operator==(const Origin& other) const {
    return scheme == other.scheme && host == other.host && port == other.port;
  }
};

// False (and `origin` untouched) for anything but an http or https address
// with a host and, if given, a port from 1 to 65535. User information before
// an '@' is skipped, so "https://trusted@evil.net" has the host "evil.net".
bool ParseOrigin(const std::wstring& address, Origin& origin);

// True when both are http(s) addresses of the same scheme, host and port.
// A mere common prefix is not enough: "https://maker.example.evil.net" is
// not "https://maker.example".
bool SameOrigin(const std::wstring& a, const std::wstring& b);

// True for an http or https address with a valid origin: the only kind of
// address the updater hands to the shell's browser.
bool IsWebAddress(const std::wstring& address);

}  // namespace updater
