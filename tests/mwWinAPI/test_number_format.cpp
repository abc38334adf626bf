// The two number formats of the dialogs: what the user sees and types.
#include <gtest/gtest.h>

#include <locale>

#include "mwWinAPI/NumberFormat.h"

namespace {

using mwWinAPI::FormatNumber;
using mwWinAPI::ParseInteger;
using mwWinAPI::ParseNumber;

TEST(NumberFormat, GermanUsesACommaAndNeverGroups) {
  const std::locale german = mwWinAPI::NumberLocale(1);
  EXPECT_EQ(FormatNumber(0.5, german), L"0,5");
  EXPECT_EQ(FormatNumber(-1024.25, german), L"-1024,25");
  EXPECT_EQ(ParseNumber(L"0,5", german), 0.5);
  EXPECT_EQ(ParseNumber(L" 1024,5 ", german), 1024.5);
  EXPECT_EQ(ParseInteger(L"2048", german), 2048);
  // A point is neither a decimal point nor a thousands separator here.
  EXPECT_FALSE(ParseNumber(L"1.024", german));
  EXPECT_FALSE(ParseInteger(L"1.024", german));
}

TEST(NumberFormat, ClassicUsesAPointAndRejectsTheComma) {
  for (const int format : {0, 2}) {
    const std::locale classic = mwWinAPI::NumberLocale(format);
    EXPECT_EQ(FormatNumber(0.5, classic), L"0.5");
    EXPECT_EQ(FormatNumber(1024.5, classic), L"1024.5");
    EXPECT_EQ(ParseNumber(L"0.5", classic), 0.5);
    EXPECT_FALSE(ParseNumber(L"0,5", classic));
  }
}

TEST(NumberFormat, OnlyWholeNumbersParse) {
  const std::locale classic = std::locale::classic();
  for (const wchar_t* text : {L"", L"  ", L"x", L"3x", L"1 2", L"0.5.1"}) {
    EXPECT_FALSE(ParseNumber(text, classic)) << text;
  }
  EXPECT_FALSE(ParseInteger(L"2.5", classic));
  EXPECT_FALSE(ParseInteger(L"99999999999999999999", classic));
}

TEST(NumberFormat, FieldsFollowTheGlobalLocale) {
  const std::locale previous = std::locale::global(mwWinAPI::GermanNumberLocale());
  const std::wstring shown = FormatNumber(0.5);
  const auto read = ParseNumber(L"2,25");
  std::locale::global(previous);
  EXPECT_EQ(shown, L"0,5");
  EXPECT_EQ(read, 2.25);
}

}  // namespace
