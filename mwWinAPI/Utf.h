#pragma once
// UTF-8 <-> wide string conversion that works whatever the width of wchar_t
// (UTF-16 on Windows, UTF-32 natively). The only place that cares.
#include <string>

namespace mwWinAPI {

// Invalid sequences become U+FFFD.
std::wstring FromUtf8(const std::string& bytes);
std::wstring FromUtf8(const char* bytes, std::size_t length);
// Unpaired surrogates (UTF-16) and values outside Unicode become U+FFFD.
std::string ToUtf8(const std::wstring& text);

}  // namespace mwWinAPI
