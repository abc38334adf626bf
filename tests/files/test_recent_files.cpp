#include <gtest/gtest.h>

#include <string>

#include "files/RecentFiles.h"

using namespace orbiform;

TEST(RecentFileDisplayText, ShortensLongPathsAroundDots) {
  EXPECT_EQ(L"C:\\Programme\\...\\portal.ek7mobj",
            RecentFileDisplayText(L"C:\\Programme\\Voxtrak3D\\Objekte\\Tunnel\\Eingang\\portal.ek7mobj"));
  // The first folder is dropped when keeping it would leave no room for the
  // last parts.
  EXPECT_EQ(L"D:\\...\\2011\\Pfeiler_links.ek7mobj",
            RecentFileDisplayText(L"D:\\Daten\\Modelle\\Fluss\\2011\\Pfeiler_links.ek7mobj"));
}

TEST(RecentFileDisplayText, FortyCharactersShownWhole) {
  const std::wstring forty = L"C:\\Objekte\\Tunnel\\Eingang\\portal.ek7mobj";  // 40
  ASSERT_EQ(40u, forty.size());
  EXPECT_EQ(forty, RecentFileDisplayText(forty));

  const std::wstring fortyOne = L"C:\\Objekte\\Tunnel\\Eingang\\portal1.ek7mobj";
  ASSERT_EQ(41u, fortyOne.size());
  const std::wstring shown = RecentFileDisplayText(fortyOne);
  EXPECT_EQ(L"C:\\Objekte\\...\\portal1.ek7mobj", shown);
  EXPECT_LT(shown.size(), fortyOne.size());

  EXPECT_EQ(L"", RecentFileDisplayText(L""));
  EXPECT_EQ(L"a", RecentFileDisplayText(L"a"));
}

TEST(RecentFileDisplayText, OddPathsStayInRange) {
  // One part only: the last 39 characters.
  const std::wstring noSeparator(60, L'x');
  EXPECT_EQ(std::wstring(39, L'x'), RecentFileDisplayText(noSeparator));

  // Odd inputs: empty parts, a first part long enough that the counts run
  // down to the first parts, a single part longer than the whole budget.
  for (const std::wstring& odd :
       {std::wstring(38, L'p') + L"\\a\\b",
        std::wstring(L"\\\\server\\share\\Objekte\\Tunnel\\portal.ek7mobj"), std::wstring(41, L'\\'),
        std::wstring(L"C:\\") + std::wstring(45, L'\\') + L"x",
        std::wstring(L"C:\\") + std::wstring(80, L'n') + L".ek7mobj"}) {
    const std::wstring text = RecentFileDisplayText(odd);
    EXPECT_EQ(odd.substr(0, 3), text.substr(0, 3));
    EXPECT_NE(std::wstring::npos, text.find(L"..."));
    EXPECT_LE(text.size(), odd.size() + 3);
  }
}
