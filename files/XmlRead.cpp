#include "files/XmlRead.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#include "mwWinAPI/Utf.h"

namespace orbiform {

namespace xmlread {

namespace {

// The number as ASCII without surrounding blanks; false when it holds any
// other character, since no number does.
bool ToAscii(std::wstring_view text, std::string& ascii) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && (text[first] == L' ' || text[first] == L'\t')) ++first;
  while (last > first && (text[last - 1] == L' ' || text[last - 1] == L'\t')) --last;
  ascii.clear();
  for (std::size_t i = first; i < last; ++i) {
    const wchar_t c = text[i];
    if (c <= 0 || c >= 0x80) return false;
    ascii.push_back(static_cast<char>(c));
  }
  return !ascii.empty();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// sign? digits ( '.' digits? )? | sign? '.' digits, then ( [eE] sign? digits )?
bool IsDecimal(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == s.size();
}

template <typename T>
bool ParseInteger(std::wstring_view text, T& value) {
  std::string s;
  if (!ToAscii(text, s)) return false;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;  // from_chars takes no plus sign
  if (first == last || !(IsDigit(*first) || (*first == '-' && first == s.data()))) return false;
  T parsed{};
  const auto result = std::from_chars(first, last, parsed);
  if (result.ec != std::errc() || result.ptr != last) return false;
  value = parsed;
  return true;
}

// The native expat hands over UTF-8, the Windows build UTF-16 like wchar_t.
[[maybe_unused]] std::wstring Widen(const char* text) { return mwWinAPI::FromUtf8(text, std::strlen(text)); }
[[maybe_unused]] std::wstring Widen(const wchar_t* text) { return std::wstring(text); }

}  // namespace

std::wstring ToWide(const XML_Char* text) {
  static_assert(std::is_same_v<XML_Char, char> || std::is_same_v<XML_Char, wchar_t>,
                "expat must be built for UTF-8 or with XML_UNICODE_WCHAR_T");
  if (text == nullptr) return std::wstring();
  return Widen(text);
}

bool NameIs(const XML_Char* name, const char* ascii) {
  if (name == nullptr) return false;
  for (;; ++name, ++ascii) {
    auto a = static_cast<unsigned long>(static_cast<std::make_unsigned_t<XML_Char>>(*name));
    auto b = static_cast<unsigned long>(static_cast<unsigned char>(*ascii));
    if (a >= 'A' && a <= 'Z') a += 'a' - 'A';
    if (b >= 'A' && b <= 'Z') b += 'a' - 'A';
    if (a != b) return false;
    if (a == 0) return true;
  }
}

bool ParseDouble(std::wstring_view text, double& value) {
  std::string s;
  if (!ToAscii(text, s) || !IsDecimal(s)) return false;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;
  double parsed = 0;
  const auto result = std::from_chars(first, last, parsed);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool ParseInt(std::wstring_view text, std::int32_t& value) { return ParseInteger(text, value); }
bool ParseUnsigned(std::wstring_view text, std::uint32_t& value) { return ParseInteger(text, value); }

bool StartElementReader::Parse(const std::string& bytes) {
  // The files end in a zero byte that is not part of the XML.
  const std::size_t end = bytes.find('\0');
  const std::size_t length = end == std::string::npos ? bytes.size() : end;
  if (length > static_cast<std::size_t>(INT_MAX)) return false;

  std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
      XML_ParserCreate(nullptr), &XML_ParserFree);
  if (!parser) throw std::bad_alloc();
  XML_SetElementHandler(parser.get(), &StartElementReader::StartHandler, nullptr);
  XML_SetDoctypeDeclHandler(parser.get(), &StartElementReader::DoctypeHandler, nullptr);
  XML_SetUserData(parser.get(), this);
  parser_ = parser.get();
  stopped_ = false;
  error_ = nullptr;
  const XML_Status status = XML_Parse(parser.get(), bytes.data(), static_cast<int>(length), XML_TRUE);
  parser_ = nullptr;
  if (error_) std::rethrow_exception(error_);
  // Running out of memory is no fault of the file, and must not read as one.
  if (status != XML_STATUS_OK && XML_GetErrorCode(parser.get()) == XML_ERROR_NO_MEMORY)
    throw std::bad_alloc();
  return status == XML_STATUS_OK && !stopped_;
}

// Our files never have a document type. Its internal subset is where entity
// bombs and external entities live, and the Windows builds' expat has no
// amplification limits: stop before anything in it is declared. Expat
// reports the declaration at its internal subset's "[" or, without one, at
// its end; with or without DTD support.
void XMLCALL StartElementReader::DoctypeHandler(void* self, const XML_Char*, const XML_Char*, const XML_Char*,
                                                int) {
  static_cast<StartElementReader*>(self)->Stop();
}

void StartElementReader::Stop() {
  if (stopped_ || parser_ == nullptr) return;
  stopped_ = true;
  XML_StopParser(parser_, XML_FALSE);
}

void XMLCALL StartElementReader::StartHandler(void* self, const XML_Char* name, const XML_Char** attributes) {
  auto* reader = static_cast<StartElementReader*>(self);
  if (reader->stopped_) return;
  // Nothing may unwind through the parser's C frames: keep the exception
  // and end the parse.
  try {
    reader->OnStartElement(name, attributes);
  } catch (...) {
    reader->error_ = std::current_exception();
    reader->Stop();
  }
}

}  // namespace xmlread

}  // namespace orbiform
