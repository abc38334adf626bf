// Path checks for everything a server names.
#include "updater/PathSafety.h"

#include <cwctype>
#include <vector>

namespace updater {
namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

wchar_t Fold(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))); }

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = Fold(c);
  return text;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (superscript digits too) and the console
// names open devices in any folder and with any extension.
bool IsDeviceName(const std::wstring& name) {
  std::wstring stem = Lower(name.substr(0, name.find(L'.')));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  if (stem == L"con" || stem == L"prn" || stem == L"aux" || stem == L"nul" || stem == L"conin$" ||
      stem == L"conout$")
    return true;
  if (stem.size() == 4 && (stem.compare(0, 3, L"com") == 0 || stem.compare(0, 3, L"lpt") == 0)) {
    const wchar_t d = stem[3];
    return (d >= L'0' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
  }
  return false;
}

bool IsSafeName(const std::wstring& name) {
  if (name.empty()) return false;
  // Covers ".", ".." and "...": the system would strip or climb.
  if (name.back() == L'.' || name.back() == L' ') return false;
  return !IsDeviceName(name);
}

}  // namespace

bool IsSafeRelativePath(const std::wstring& path) {
  if (path.empty() || path.size() > kMaxRelativePath) return false;
  for (const wchar_t c : path) {
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case L':':
      case L'*':
      case L'?':
      case L'"':
      case L'<':
      case L'>':
      case L'|':
        return false;
      default:
        break;
    }
  }
  std::size_t start = 0;
  for (;;) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (!IsSafeName(path.substr(start, end - start))) return false;
    if (end == path.size()) return true;
    start = end + 1;
  }
}

bool IsInsideFolder(const std::wstring& folder, const std::wstring& path) {
  std::size_t length = folder.size();
  while (length > 0 && IsSeparator(folder[length - 1])) --length;
  if (length == 0 || path.size() <= length + 1 || !IsSeparator(path[length])) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const wchar_t a = folder[i], b = path[i];
    if (IsSeparator(a) ? !IsSeparator(b) : Fold(a) != Fold(b)) return false;
  }
  // "C:\Editor\\x" or "C:\Editor\." would name the folder again or its parent.
  return IsSafeRelativePath(path.substr(length + 1));
}

}  // namespace updater
