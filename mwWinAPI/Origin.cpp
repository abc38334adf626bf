// Origins of web addresses.
#include "mwWinAPI/Origin.h"

#include <cwctype>

namespace mwWinAPI {
namespace {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
  return text;
}

}  // namespace

bool ParseOrigin(const std::wstring& address, Origin& origin) {
  const std::size_t colon = address.find(L"://");
  if (colon == std::wstring::npos) return false;
  Origin parsed;
  parsed.scheme = Lower(address.substr(0, colon));
  if (parsed.scheme == L"http") {
    parsed.port = 80;
  } else if (parsed.scheme == L"https") {
    parsed.port = 443;
  } else {
    return false;
  }
  const std::size_t begin = colon + 3;
  std::size_t end = address.find_first_of(L"/\\?#", begin);
  if (end == std::wstring::npos) end = address.size();
  std::wstring authority = address.substr(begin, end - begin);
  const std::size_t at = authority.rfind(L'@');
  if (at != std::wstring::npos) authority.erase(0, at + 1);

  std::wstring host = authority;
  std::wstring port;
  if (!authority.empty() && authority[0] == L'[') {  // [IPv6]:port
    const std::size_t close = authority.find(L']');
    if (close == std::wstring::npos) return false;
    host = authority.substr(0, close + 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != L':') return false;
      port = authority.substr(close + 2);
      if (port.empty()) return false;
    }
  } else {
    const std::size_t portColon = authority.find(L':');
    if (portColon != std::wstring::npos) {
      host = authority.substr(0, portColon);
      port = authority.substr(portColon + 1);
      if (port.empty()) return false;
    }
  }
  if (host.empty()) return false;
  for (const wchar_t c : host) {
    if (c <= L' ' || c == L'%') return false;
  }
  if (!port.empty()) {
    if (port.size() > 5) return false;
    unsigned value = 0;
    for (const wchar_t c : port) {
      if (c < L'0' || c > L'9') return false;
      value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value == 0 || value > 65535) return false;
    parsed.port = value;
  }
  // A trailing dot names the same host ("maker.example." is "maker.example").
  if (host.back() == L'.') host.pop_back();
  parsed.host = Lower(host);
  if (parsed.host.empty()) return false;
  origin = parsed;
  return true;
}

bool SameOrigin(const std::wstring& a, const std::wstring& b) {
  Origin x, y;
  return ParseOrigin(a, x) && ParseOrigin(b, y) && x == y;
}

bool IsWebAddress(const std::wstring& address) {
  Origin origin;
  if (!ParseOrigin(address, origin)) return false;
  for (const wchar_t c : address) {
    if (c < L' ' || c == 0x7F) return false;
  }
  return true;
}

std::wstring ResolveLocation(const std::wstring& from, const std::wstring& location) {
  if (location.find(L"://") != std::wstring::npos) return location;
  // "//host/x" would name another host; only a path of this origin is taken.
  if (location.empty() || location[0] != L'/' || (location.size() > 1 && location[1] == L'/')) return {};
  const std::size_t colon = from.find(L"://");
  if (colon == std::wstring::npos) return {};
  const std::size_t path = from.find_first_of(L"/\\?#", colon + 3);
  return from.substr(0, path) + location;
}

}  // namespace mwWinAPI
