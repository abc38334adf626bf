#include "files/RecentFiles.h"

#include <cstddef>
#include <vector>

#include "mwWinAPI/Split.h"

namespace orbiform {

namespace {

constexpr std::size_t kWholeUpTo = 40;
constexpr std::size_t kTailOnly = 39;
// The shortened text aims at roughly this many characters.
constexpr std::size_t kTarget = 35;

// Walks back from the last part, adding each part with its separator, until
// `length` reaches the target; returns the index of the part at which it did
// (that part is not shown). `atLeastOnce` takes one part whatever the start.
std::size_t CountBack(const std::vector<std::wstring>& parts, std::size_t length, bool atLeastOnce) {
  std::size_t i = parts.size();
  // The whole path is longer than the target, so i never runs below 0; the
  // guard only keeps odd inputs from reaching outside the list.
  while (i > 0 && (atLeastOnce || length < kTarget)) {
    atLeastOnce = false;
    --i;
    length += parts[i].size() + 1;
  }
  return i;
}

}  // namespace

std::wstring RecentFileDisplayText(const std::wstring& path) {
  if (path.size() <= kWholeUpTo) return path;

  std::vector<std::wstring> parts;
  mwstd::split(parts, path, L'\\');
  if (parts.size() < 2) return path.substr(path.size() - kTailOnly);

  std::wstring text = path.substr(0, 3);
  const std::size_t n = parts.size();
  std::size_t i = CountBack(parts, parts[1].size() + 8, false);
  if (i + 2 <= n) {
    text += parts[1];
    text += L'\\';
  } else {
    i = CountBack(parts, 7, true);
  }
  text += L"...";
  for (std::size_t k = i + 1; k < n; ++k) {
    text += L'\\';
    text += parts[k];
  }
  return text;
}

}  // namespace orbiform
