#pragma once
// The string-table tests compare a program's tables with the texts' sources
// (the .inc files behind both the resource tables and the native table), so
// that no test keeps a copy of a text. A source list is made with
//   #define STR(id, english, german) SourceText{id, L"" english, L"" german},
#include <cstddef>
#include <string>
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>
#endif

struct SourceText {
  unsigned id;
  const wchar_t* english;
  const wchar_t* german;
};

#ifdef _WIN32
inline constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
inline constexpr WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

// String `id` of `module` in `language`, read straight from its block so that
// a test sees each language whatever the user interface language is;
// "<missing block>" when the block of sixteen that holds it is not there.
inline std::wstring ResourceString(HMODULE module, unsigned id, WORD language) {
  const HRSRC block = ::FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */,
                                        MAKEINTRESOURCEW((id >> 4) + 1), language);
  if (!block) return L"<missing block>";
  const auto* data = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, block)));
  for (unsigned i = 0; i < (id & 15); ++i) data += 1 + *data;  // each entry: length, then the characters
  return std::wstring(data + 1, *data);
}

// Every text of `texts` is in `module` in both languages exactly as its
// source has it: the resource compiler keeps UTF-8, line breaks and quotes.
template <std::size_t N>
void ExpectBothLanguages(HMODULE module, const SourceText (&texts)[N]) {
  for (const SourceText& text : texts) {
    EXPECT_EQ(text.english, ResourceString(module, text.id, kEnglish)) << text.id;
    EXPECT_EQ(text.german, ResourceString(module, text.id, kGerman)) << text.id;
  }
}
#endif
