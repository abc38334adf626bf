#include "mwWinAPI/Split.h"

namespace mwstd {

unsigned split(std::vector<std::wstring>& parts, const std::wstring& text, wchar_t separator) {
  unsigned count = 0;
  std::wstring::size_type start = 0;
  for (;;) {
    const auto sep = text.find(separator, start);
    parts.push_back(text.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start));
    ++count;
    if (sep == std::wstring::npos) return count;
    start = sep + 1;
  }
}

}  // namespace mwstd
