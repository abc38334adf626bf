#pragma once
// Reading side of the editor's XML files: one expat parse, start elements
// only, plus the small conversions the element handlers need. XML_Char is
// char (UTF-8) in the native build and wchar_t (UTF-16) in the Windows build;
// only this file cares.
#include <expat.h>

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace orbiform {

namespace xmlread {

// An attribute value or name as a wide string.
std::wstring ToWide(const XML_Char* text);

// True when `name` equals the ASCII text `ascii` without regard to case.
bool NameIs(const XML_Char* name, const char* ascii);

// Strict number parsing in the classic format, independent of any locale:
// optional blanks around the number, an optional sign, digits; doubles also a
// decimal point and an exponent. Anything else (a decimal comma, trailing
// characters, "inf", "nan", values out of the type's range) fails.
bool ParseDouble(std::wstring_view text, double& value);
bool ParseInt(std::wstring_view text, std::int32_t& value);
bool ParseUnsigned(std::wstring_view text, std::uint32_t& value);

// Derive and implement OnStartElement; Parse runs one expat parse of the
// bytes up to their first zero byte as the final chunk.
class StartElementReader {
 public:
  StartElementReader() = default;
  StartElementReader(const StartElementReader&) = delete;
  StartElementReader& operator=(const StartElementReader&) = delete;
  virtual ~StartElementReader() = default;

  // True when the text was well-formed, had no document type declaration
  // (refused before anything in it is expanded) and no handler called
  // Stop(). An exception thrown by OnStartElement ends the parse and is
  // rethrown here; std::bad_alloc when expat runs out of memory.
  bool Parse(const std::string& bytes);

 protected:
  // `attributes` holds name, value, name, value, ..., null.
  virtual void OnStartElement(const XML_Char* name, const XML_Char** attributes) = 0;
  // Ends the parse from inside OnStartElement; Parse then returns false.
  void Stop();

 private:
  static void XMLCALL StartHandler(void* self, const XML_Char* name, const XML_Char** attributes);
  static void XMLCALL DoctypeHandler(void* self, const XML_Char* name, const XML_Char* systemId,
                                     const XML_Char* publicId, int hasInternalSubset);

  XML_Parser parser_ = nullptr;
  bool stopped_ = false;
  std::exception_ptr error_;
};

}  // namespace xmlread

}  // namespace orbiform
