// Display scaling: figures rounded as the system rounds them, and the picture
// size of each scaling never larger than the scaled design size.
#include <gtest/gtest.h>

#include <iterator>

#include "mwWinAPI/Dpi.h"

using mwWinAPI::ChoosePicture;
using mwWinAPI::ScaleForDpi;

TEST(Dpi, ScalesRoundedAndPicksThePictureOfTheScaling) {
  EXPECT_EQ(19, ScaleForDpi(15, 120));    // 18.75
  EXPECT_EQ(-19, ScaleForDpi(-15, 120));  // half away from zero, as MulDiv
  EXPECT_EQ(38, ScaleForDpi(25, 144));    // 37.5
  EXPECT_EQ(25, ScaleForDpi(25, 0));      // unknown: as at 100 %

  const int toolbar[] = {16, 24, 32};
  struct Case {
    unsigned dpi;
    int size;
    int offset;
  };
  // 125 % keeps 16 (20 would be wanted); below 100 % the smallest.
  for (const Case& c : {Case{72, 16, 0}, Case{96, 16, 0}, Case{120, 16, 0}, Case{144, 24, 1000},
                        Case{192, 32, 2000}, Case{288, 32, 2000}}) {
    const mwWinAPI::PictureChoice choice = ChoosePicture(toolbar, std::size(toolbar), 16, c.dpi);
    EXPECT_EQ(c.size, choice.size) << c.dpi;
    EXPECT_EQ(c.offset, choice.resourceOffset) << c.dpi;
  }
  const int tree[] = {12, 16, 24, 32};
  EXPECT_EQ(16, ChoosePicture(tree, std::size(tree), 12, 144).size);  // 18 wanted
  EXPECT_EQ(24, ChoosePicture(tree, std::size(tree), 12, 192).size);
}
