// The editor's layout at 100 % to 200 % display scaling: every pane inside
// the client area, the edit pane never smaller than the dialog it hosts, the
// tree wide enough for a texture layer's name, and the 100 % figures kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "editor/EditorLayout.h"

using namespace orbiform;

namespace {

bool Inside(const PixelRect& r, PixelSize client) {
  return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && r.x + r.width <= client.width &&
         r.y + r.height <= client.height;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The point dialog (170 x 188 units) and the texture layer dialog (168 x 174).
constexpr PixelSize kPointUnits{170, 188};
constexpr PixelSize kLayerUnits{168, 174};

}  // namespace

TEST(EditorLayout, PanesFitTheirContentAtEveryScaling) {
  struct Case {
    unsigned dpi;
    PixelSize baseUnits;  // of the dialogs' 8-point font at this DPI
    int layerTextWidth;   // "texture layer 1" in the tree's font
    int indent;
    int picture;
    int scrollBar;
  };
  // 96 and 144 as Wine measures them; 120 and 192 as Windows would.
  const Case cases[] = {
      {96, {6, 13}, 85, 19, 12, 17},
      {120, {7, 16}, 92, 24, 12, 21},
      {144, {9, 20}, 125, 19, 16, 26},
      {192, {12, 26}, 150, 38, 24, 34},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    const PixelSize point = DialogPixels(kPointUnits, c.baseUnits);
    const PixelSize layer = DialogPixels(kLayerUnits, c.baseUnits);
    PaneInputs in;
    in.dpi = c.dpi;
    in.editDialog = {std::max(point.width, layer.width), std::max(point.height, layer.height)};
    in.treeTextWidth = c.layerTextWidth;
    in.treeIndent = c.indent;
    in.treePicture = c.picture;
    in.scrollBarWidth = c.scrollBar;
    const PaneSizes sizes = PaneSizesFor(in);
    // A window of 1100 x 720 at 100 %, as large at this scaling.
    const PixelSize client{1100 * static_cast<int>(c.dpi) / 96, 720 * static_cast<int>(c.dpi) / 96};
    const PaneLayout layout = ArrangePanes(client, sizes);

    for (const PixelRect& pane : {layout.tree, layout.edit, layout.texture, layout.view})
      EXPECT_TRUE(Inside(pane, client));
    const PixelRect all[] = {layout.tree, layout.edit, layout.texture, layout.view};
    for (std::size_t i = 0; i < 4; ++i)
      for (std::size_t j = i + 1; j < 4; ++j) EXPECT_FALSE(Overlap(all[i], all[j])) << i << " " << j;
    // The dialog inside the pane's border, whole.
    for (const PixelSize dialog : {point, layer}) {
      EXPECT_GE(layout.edit.width - 2, dialog.width);
      EXPECT_GE(layout.edit.height - 2, dialog.height);
    }
    // The layer's name right of two indents and its picture, left of the
    // scroll bar.
    EXPECT_LE(2 * c.indent + c.picture + c.layerTextWidth + c.scrollBar, layout.tree.width - 2);
    // The 3D pane starts right of the left column, the texture window under
    // the upper row, and neither is squeezed away.
    EXPECT_EQ(layout.view.x, layout.edit.x + layout.edit.width);
    EXPECT_EQ(layout.texture.width, layout.view.x);
    EXPECT_GT(layout.view.width, client.width / 3);
    EXPECT_GT(layout.texture.height, client.height / 3);
  }
}

TEST(EditorLayout, HundredPercentKeepsTheClassicFigures) {
  PaneInputs in;
  in.editDialog = DialogPixels(kPointUnits, {6, 13});
  in.treeTextWidth = 74;
  const PaneLayout layout = ArrangePanes({1000, 700}, PaneSizesFor(in));
  EXPECT_EQ(150, layout.tree.width);
  EXPECT_EQ(300, layout.edit.width);
  EXPECT_EQ(350, layout.edit.height);
  EXPECT_EQ(350, layout.texture.height);
  EXPECT_EQ(450, layout.view.x);
  EXPECT_EQ(550, layout.view.width);
  // A client smaller than the left column: sizes never negative, the 3D
  // pane keeps a pixel to divide by.
  const PaneLayout tiny = ArrangePanes({100, 0}, PaneSizesFor(in));
  EXPECT_EQ(0, tiny.texture.height);
  EXPECT_EQ(1, tiny.view.width);
  EXPECT_EQ(1, tiny.view.height);

  const TextureMetrics classic = TextureMetricsFor(96);
  EXPECT_EQ(14, classic.statusHeight);
  EXPECT_EQ(10, classic.lineStep);
  EXPECT_EQ(50, classic.pageStep);
  EXPECT_EQ(8.0f, classic.pickReach);
  const TextureMetrics doubled = TextureMetricsFor(192);
  EXPECT_EQ(2 * classic.markHalf, doubled.markHalf);
  EXPECT_EQ(2 * classic.fontHeight, doubled.fontHeight);
  EXPECT_EQ(20, doubled.scrollMargin);
}

TEST(EditorLayout, DialogTemplateSizeFromTheResourceBytes) {
  // DIALOGEX: version 1, signature FFFF, help id, styles, 3 items, at (0, 0), 170 x 188.
  const std::vector<std::uint8_t> extended = {1, 0,    0xFF, 0xFF, 0, 0, 0, 0, 0,   0, 0,   0, 0x44, 0,
                                              0, 0x50, 3,    0,    0, 0, 0, 0, 170, 0, 188, 0, 0,    0};
  const auto units = DialogTemplateUnits(extended.data(), extended.size());
  ASSERT_TRUE(units);
  EXPECT_EQ(170, units->width);
  EXPECT_EQ(188, units->height);
  // DIALOG: style, extended style, items, x, y, cx = 220, cy = 70.
  const std::vector<std::uint8_t> plain = {0, 0, 0xC8, 0x80, 0, 0, 0, 0, 2, 0, 5, 0, 5, 0, 220, 0, 70, 0};
  const auto classic = DialogTemplateUnits(plain.data(), plain.size());
  ASSERT_TRUE(classic);
  EXPECT_EQ(220, classic->width);
  EXPECT_EQ(70, classic->height);
  // Cut short: nothing rather than bytes past the end.
  EXPECT_FALSE(DialogTemplateUnits(extended.data(), 24));
  EXPECT_FALSE(DialogTemplateUnits(plain.data(), 17));
  EXPECT_FALSE(DialogTemplateUnits(nullptr, 0));
  // MapDialogRect's rounding: 170 units at 6 pixels per 4 units.
  EXPECT_EQ(255, DialogPixels({170, 188}, {6, 13}).width);
  EXPECT_EQ(306, DialogPixels({170, 188}, {6, 13}).height);
}
