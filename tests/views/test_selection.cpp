// The selection's message encoding, which the panes of one session and the
// tools that drive them exchange as plain numbers.
#include <gtest/gtest.h>

#include <cstdint>

#include "views/Selection.h"

namespace {

using orbiform::views::Selection;

std::intptr_t Signed(Selection s) { return static_cast<std::intptr_t>(s.ToParam()); }
Selection From(std::intptr_t value) { return Selection::FromParam(static_cast<std::uintptr_t>(value)); }

TEST(Selection, KeepsTheSignedEncodingBothWays) {
  EXPECT_EQ(Signed(Selection::Face(0)), 0);
  EXPECT_EQ(Signed(Selection::Face(17)), 17);
  EXPECT_EQ(Signed(Selection::Layer(0)), -6);
  EXPECT_EQ(Signed(Selection::Layer(3)), -9);
  EXPECT_EQ(Signed(Selection::None()), -1);
  EXPECT_EQ(Signed(Selection::Cleared()), -2);

  EXPECT_EQ(From(17), Selection::Face(17));
  EXPECT_EQ(From(-9), Selection::Layer(3));
  EXPECT_EQ(From(-1), Selection::None());
  for (std::intptr_t value : {-2, -3, -4, -5}) EXPECT_TRUE(From(value).IsCleared()) << value;
  // The far end of the range is a layer nobody has, not an overflow.
  EXPECT_EQ(From(INTPTR_MIN), Selection::Layer(static_cast<std::size_t>(INTPTR_MAX) - 5));
  EXPECT_NE(Selection::Face(2), Selection::Layer(2));
}

}  // namespace
