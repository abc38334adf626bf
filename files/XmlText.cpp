#include "files/XmlText.h"

#include <charconv>

#include "geometry/StoredNumbers.h"

namespace orbiform {

namespace xmltext {

namespace {

// Characters XML 1.0 cannot carry, not even as a character reference.
bool IsForbidden(wchar_t c) {
  const unsigned long u = static_cast<unsigned long>(c);
  if (u < 0x20) return u != 0x09 && u != 0x0A && u != 0x0D;
  return u == 0xFFFE || u == 0xFFFF;
}

}  // namespace

void AppendEscaped(std::wstring& out, const std::wstring& text) {
  for (const wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      case L'"':
        out += L"&quot;";
        break;
      case L'\t':
        out += L"&#9;";
        break;
      case L'\n':
        out += L"&#10;";
        break;
      case L'\r':
        out += L"&#13;";
        break;
      default:
        if (!IsForbidden(c)) out.push_back(c);
    }
  }
}

std::wstring EncodeLineBreaks(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      out += L"/n";
      ++i;
    } else if (text[i] == L'\n') {
      out += L"/n";
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::wstring DecodeLineBreaks(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'/' && i + 1 < text.size() && text[i + 1] == L'n') {
      out += L"\r\n";
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

namespace {

template <typename... Format>
void AppendChars(std::wstring& out, Format... format) {
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, format...);
  for (const char* c = digits; c != result.ptr; ++c) out.push_back(static_cast<wchar_t>(*c));  // ASCII only
}

}  // namespace

void NumberFormatter::Append(std::wstring& out, double value) {
  orbiform::CheckFinite(value);  // "inf" or "nan" would make the file unreadable
  AppendChars(out, value, std::chars_format::general, orbiform::kStoredDigits);
}
void NumberFormatter::Append(std::wstring& out, long long value) { AppendChars(out, value); }
void NumberFormatter::Append(std::wstring& out, unsigned long long value) { AppendChars(out, value); }

}  // namespace xmltext

}  // namespace orbiform
