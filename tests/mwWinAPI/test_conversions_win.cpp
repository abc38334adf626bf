#include "mwWinAPI/Conversions.h"

#include <gtest/gtest.h>

#include <string>

#include "mwWinAPI/WinHelpers.h"

namespace {

TEST(Conversions, ConvertedStringsEndWithZeroUnits) {
  std::string bytes;
  // An explicit length: one zero unit behind the converted units.
  EXPECT_EQ(mwWinAPI::WideCharToMultiByte(CP_UTF8, 0, std::wstring(L"\u00E4b"), bytes, nullptr, nullptr), 3);
  EXPECT_EQ(bytes, std::string("\xC3\xA4"
                               "b\0",
                               4));
  // Length -1 counts the terminator, so two zero units.
  EXPECT_EQ(mwWinAPI::WideCharToMultiByte(CP_UTF8, 0, L"ab", -1, bytes, nullptr, nullptr), 3);
  EXPECT_EQ(bytes, std::string("ab\0\0", 4));

  std::wstring text;
  EXPECT_EQ(mwWinAPI::MultiByteToWideChar(CP_UTF8, 0,
                                          std::string("\xF0\x9F\x98\x80"
                                                      "a"),
                                          text),
            3);
  EXPECT_EQ(text, std::wstring(L"\U0001F600a\0", 4));
  EXPECT_EQ(mwWinAPI::MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA4", -1, text), 2);
  EXPECT_EQ(text, std::wstring(L"\u00E4\0\0", 3));

  EXPECT_EQ(mwWinAPI::CharToTchar(text, "abc"), 3);
  EXPECT_EQ(text, std::wstring(L"abc\0", 4));
  EXPECT_EQ(mwWinAPI::TcharToChar(bytes, L"xy"), 2);
  EXPECT_EQ(bytes, std::string("xy\0", 3));
}

TEST(Conversions, FailuresLeaveTheOutputUnchanged) {
  std::wstring text = L"keep";
  EXPECT_LE(mwWinAPI::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, std::string("a\xFF"), text), 0);
  EXPECT_EQ(text, L"keep");
  EXPECT_LE(mwWinAPI::CharToTchar(text, ""), 0);
  EXPECT_EQ(text, L"keep");
  std::string bytes = "keep";
  EXPECT_LE(mwWinAPI::WideCharToMultiByte(CP_UTF8, 0, std::wstring(), bytes, nullptr, nullptr), 0);
  EXPECT_EQ(bytes, "keep");
}

TEST(GetLastErrorS, SystemTextOrTheCode) {
  const std::wstring known = mwWinAPI::GetLastErrorS(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(known.empty());
  EXPECT_EQ(known.find(L"Unbekannter Fehler"), std::wstring::npos);
  EXPECT_EQ(known.back(), L'\n');  // the system's line break is kept

  // The customer bit: no system code has it.
  EXPECT_EQ(mwWinAPI::GetLastErrorS(0x20001234), L"Unbekannter Fehler - Fehlercode: 536875572");

  ::SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(mwWinAPI::GetLastErrorS(), mwWinAPI::GetLastErrorS(ERROR_ACCESS_DENIED));
}

}  // namespace
