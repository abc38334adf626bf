#pragma once
// The origin of a web address (scheme, host, port) and the checks built on
// it: whatever a server names as an address to fetch or to open is compared
// by origin, never by a common prefix. No platform code.
#include <string>

namespace mwWinAPI {

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

// `location` (a redirect's target: absolute, or a path beginning with '/')
// resolved against `from`; empty when it is neither.
std::wstring ResolveLocation(const std::wstring& from, const std::wstring& location);

}  // namespace mwWinAPI
