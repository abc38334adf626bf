// The updater window's layout at 100 % to 200 % display scaling: every
// control inside the window and clear of the others, the 100 % figures kept,
// and a small screen never given a window taller than itself.
#include <gtest/gtest.h>

#include "updater/UpdaterLayout.h"

using updater::Box;
using updater::UpdaterLayout;
using updater::UpdaterLayoutFor;

namespace {

bool Overlap(const Box& a, const Box& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

}  // namespace

TEST(UpdaterLayout, ControlsInsideTheWindowAtEveryScaling) {
  // The frame and caption a window of that DPI adds round its client area.
  struct Case {
    unsigned dpi;
    int frameWidth;
    int frameHeight;
  };
  for (const Case& c : {Case{96, 6, 29}, Case{120, 8, 36}, Case{144, 10, 43}, Case{192, 12, 58}}) {
    SCOPED_TRACE(c.dpi);
    const UpdaterLayout layout = UpdaterLayoutFor(c.dpi);
    const int clientWidth = layout.windowWidth - c.frameWidth;
    const int clientHeight = layout.windowHeight - c.frameHeight;
    const Box boxes[] = {layout.button, layout.list, layout.status, layout.progress};
    for (const Box& box : boxes) {
      EXPECT_GE(box.x, 0);
      EXPECT_LE(box.x + box.width, clientWidth);
      EXPECT_LE(box.y + box.height, clientHeight);
    }
    for (int i = 0; i < 4; ++i)
      for (int j = i + 1; j < 4; ++j) EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << i << " " << j;
    // A log line holds a line of the font; the text starts inside the list.
    EXPECT_GE(layout.itemHeight, layout.fontHeight + 2);
    EXPECT_LT(layout.itemIndent, layout.list.width / 10);
  }

  const UpdaterLayout classic = UpdaterLayoutFor(96);
  EXPECT_EQ(430, classic.windowWidth);
  EXPECT_EQ(600, classic.windowHeight);
  EXPECT_EQ(20, classic.itemHeight);
  EXPECT_EQ(15, classic.fontHeight);
  EXPECT_EQ(390, classic.progress.y);

  // 200 % on a 1366 x 768 screen's work area: the window stops at the screen
  // and still holds every control.
  const UpdaterLayout small = UpdaterLayoutFor(192, {1366, 728, 12, 58});
  EXPECT_EQ(728, small.windowHeight);
  EXPECT_LE(small.progress.y + small.progress.height, small.windowHeight - 58);
  EXPECT_LE(small.list.y + small.list.height, small.status.y);
  EXPECT_GE(small.list.height, 3 * small.itemHeight);
  // A screen with room changes nothing.
  EXPECT_EQ(UpdaterLayoutFor(192).list.height, UpdaterLayoutFor(192, {3840, 2100, 12, 58}).list.height);
}
