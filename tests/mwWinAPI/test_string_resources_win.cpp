// The string tables in the program's resources: both languages, made from the
// same source as the native table.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "mwWinAPI/AsyncInternet.h"

namespace {

// String `id` in `language`, read straight from the resource block so that
// the test does not depend on the user interface language.
std::wstring ResourceString(unsigned id, WORD language) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC block = ::FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */,
                                        MAKEINTRESOURCEW((id >> 4) + 1), language);
  if (!block) return L"<missing block>";
  const auto* data = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, block)));
  for (unsigned i = 0; i < (id & 15); ++i) data += 1 + *data;  // each entry: length, then the characters
  return std::wstring(data + 1, *data);
}

TEST(StringResources, EnglishAndGermanTables) {
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
  EXPECT_EQ(L" is not a valid Project-File", ResourceString(145, english));
  EXPECT_EQ(L" ist keine g\u00fcltige Projektdatei", ResourceString(145, german));
  EXPECT_EQ(L"Degree must be between 0\u00b0 - 360\u00b0 sein!", ResourceString(200, english));
  EXPECT_EQ(L"Die Gradangaben m\u00fcssen im Bereich 0\u00b0 - 360\u00b0 sein!", ResourceString(200, german));
  // Line breaks and the quote that ends one German text survive the resource compiler.
  EXPECT_EQ(L"Der Ellipsenfaktor muss gr\u00f6\u00dfer als 0 sein!\n\"", ResourceString(178, german));
  EXPECT_EQ(
      L"Beta Produkte enthalten h\u00f6chstwahrscheinlich Fehler\nDie Nutzung erfolgt auf eigene Gefahr",
      ResourceString(181, german));
  EXPECT_EQ(L" ", ResourceString(196, english));
  EXPECT_EQ(L"Vertical tunnel/tube", ResourceString(222, english));
  EXPECT_EQ(L"Programm arbeitet mit Unicode und setzt Windows NT/XP voraus!", ResourceString(139, german));
  // The helper library's own texts come along in the same tables.
  EXPECT_EQ(L"The download was stopped", ResourceString(mwWinAPI::IDS_NET_STOPPED, english));
  EXPECT_EQ(L"Es l\u00e4uft bereits eine \u00dcbertragung", ResourceString(mwWinAPI::IDS_NET_BUSY, german));
}

}  // namespace
