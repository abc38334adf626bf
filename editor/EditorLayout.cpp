// The editor's pixel figures at any display scaling.
#include "editor/EditorLayout.h"

#include <algorithm>

#include "mwWinAPI/Dpi.h"

namespace orbiform {
namespace {

using mwWinAPI::ScaleForDpi;

// The 100 % figures of the layout.
constexpr int kTreeWidth = 150;
constexpr int kEditWidth = 300;
constexpr int kUpperHeight = 350;
// A pane's WS_BORDER: one pixel each side at every scaling.
constexpr int kBorders = 2;
// Round a tree item's text (its selection box), right after the picture.
constexpr int kTreeTextPadding = 4;
// The widest text sits two levels deep (a layer under its root, lines at root).
constexpr int kTreeTextLevel = 2;

int Word(const std::uint8_t* at) { return at[0] | (at[1] << 8); }

int MulDivRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  return static_cast<int>((product + denominator / 2) / denominator);
}

}  // namespace

std::optional<PixelSize> DialogTemplateUnits(const std::uint8_t* data, std::size_t size) noexcept {
  constexpr std::size_t kExtendedHeader = 26, kPlainHeader = 18;
  if (!data || size < kPlainHeader) return std::nullopt;
  const bool extended = Word(data) == 1 && Word(data + 2) == 0xFFFF;
  if (extended && size < kExtendedHeader) return std::nullopt;
  const std::uint8_t* extent = data + (extended ? 22 : 14);
  return PixelSize{static_cast<std::int16_t>(Word(extent)), static_cast<std::int16_t>(Word(extent + 2))};
}

PixelSize DialogPixels(PixelSize units, PixelSize baseUnits) noexcept {
  return PixelSize{MulDivRounded(units.width, baseUnits.width, 4),
                   MulDivRounded(units.height, baseUnits.height, 8)};
}

PaneSizes PaneSizesFor(const PaneInputs& in) noexcept {
  const int treeNeeds = kTreeTextLevel * in.treeIndent + in.treePicture + in.treeTextWidth +
                        ScaleForDpi(kTreeTextPadding, in.dpi) + in.scrollBarWidth + kBorders;
  PaneSizes sizes;
  sizes.treeWidth = std::max(ScaleForDpi(kTreeWidth, in.dpi), treeNeeds);
  sizes.editWidth = std::max(ScaleForDpi(kEditWidth, in.dpi), in.editDialog.width + kBorders);
  sizes.upperHeight = std::max(ScaleForDpi(kUpperHeight, in.dpi), in.editDialog.height + kBorders);
  return sizes;
}

PaneLayout ArrangePanes(PixelSize client, const PaneSizes& sizes) noexcept {
  const int left = sizes.treeWidth + sizes.editWidth;
  PaneLayout layout;
  layout.tree = {0, 0, sizes.treeWidth, sizes.upperHeight};
  layout.edit = {sizes.treeWidth, 0, sizes.editWidth, sizes.upperHeight};
  layout.texture = {0, sizes.upperHeight, left, std::max(client.height - sizes.upperHeight, 0)};
  layout.view = {left, 0, std::max(client.width - left, 1), std::max(client.height, 1)};
  return layout;
}

PaneLayout CreationPlaces(unsigned dpi) noexcept {
  const auto scaled = [dpi](int x, int y, int width, int height) {
    return PixelRect{ScaleForDpi(x, dpi), ScaleForDpi(y, dpi), ScaleForDpi(width, dpi),
                     ScaleForDpi(height, dpi)};
  };
  PaneLayout places;
  places.edit = scaled(150, 0, 300, 290);
  places.view = scaled(450, 0, 600, 600);
  places.tree = scaled(0, 0, 150, 400);
  places.texture = scaled(0, 400, 450, 450);
  return places;
}

PlainsPageLayout PlainsPageFor(PixelSize client, unsigned dpi) noexcept {
  const auto px = [dpi](int pixels) { return ScaleForDpi(pixels, dpi); };
  const int top = client.height - px(25);
  const int buttonHeight = px(23);
  PlainsPageLayout page;
  page.tabs = {0, 0, client.width, std::max(client.height - px(35), 0)};
  page.back = {px(5), top, px(65), buttonHeight};
  page.add = {(client.width - px(75)) / 2, top, px(75), buttonHeight};
  page.next = {client.width - px(70), top, px(65), buttonHeight};
  return page;
}

TextureMetrics TextureMetricsFor(unsigned dpi) noexcept {
  TextureMetrics m{};
  m.markHalf = ScaleForDpi(3, dpi);
  m.numberGap = ScaleForDpi(3, dpi);
  m.statusHeight = ScaleForDpi(14, dpi);
  m.fontHeight = ScaleForDpi(11, dpi);
  m.lineStep = ScaleForDpi(10, dpi);
  m.pageStep = ScaleForDpi(50, dpi);
  m.scrollMargin = ScaleForDpi(10, dpi);
  m.pickReach = 8.0f * static_cast<float>(dpi ? dpi : mwWinAPI::kDesignDpi) / mwWinAPI::kDesignDpi;
  return m;
}

}  // namespace orbiform
