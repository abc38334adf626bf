#pragma once
// The editor's pixel figures at any display scaling, in one place: the main
// window's panes, the edit pane sized to the dialogs it hosts, the tree
// pane's width, and the texture window's marks, numbers and scroll steps.
// The figures are given at 96 DPI and scaled to the window's DPI; no window
// system here, so the layout is tested natively.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orbiform {

struct PixelSize {
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The size in dialog units that a dialog resource's template gives, from the
// resource's bytes (DIALOG or DIALOGEX); nothing for bytes too short to hold
// a header. Never throws.
std::optional<PixelSize> DialogTemplateUnits(const std::uint8_t* data, std::size_t size) noexcept;

// Dialog units to pixels with a dialog's base units (the average character
// width and height of its font), rounded as the system's MapDialogRect.
PixelSize DialogPixels(PixelSize units, PixelSize baseUnits) noexcept;

// What the main window's layout depends on besides its client size.
struct PaneInputs {
  unsigned dpi = 96;
  // The larger of the two edit pane dialogs, in pixels at `dpi`.
  PixelSize editDialog;
  // The widest text the tree pane must show whole ("texture layer 1"), in
  // pixels of the tree's font, and the tree's indent per level.
  int treeTextWidth = 0;
  int treeIndent = 19;
  // The tree's picture size and a vertical scroll bar's width, in pixels.
  int treePicture = 12;
  int scrollBarWidth = 17;
};

// The four panes' places: the tree and edit panes above the texture window
// on the left, the 3D pane over the whole height to their right.
struct PaneLayout {
  PixelRect tree;
  PixelRect edit;
  PixelRect texture;
  PixelRect view;
};

// The widths and height the layout keeps whatever the client size: the
// figures at 100 % (tree 150, edit pane 300 x 350) scaled, and grown where
// the tree's text or the dialogs need more.
struct PaneSizes {
  int treeWidth = 0;
  int editWidth = 0;
  int upperHeight = 0;
};
PaneSizes PaneSizesFor(const PaneInputs& inputs) noexcept;

// ArrangePanes: the panes in a client area of `client` pixels. No pane gets a
// negative size; the 3D pane keeps at least one pixel each way (its view
// divides by its size).
PaneLayout ArrangePanes(PixelSize client, const PaneSizes& sizes) noexcept;

// The panes' places when the main window creates them, before the first
// arrangement (the 100 % figures scaled).
PaneLayout CreationPlaces(unsigned dpi) noexcept;

// The wizard's plains page: the tabs over the page, the Back, New plain and
// Next buttons in a row below them.
struct PlainsPageLayout {
  PixelRect tabs;
  PixelRect back;
  PixelRect add;
  PixelRect next;
};
PlainsPageLayout PlainsPageFor(PixelSize client, unsigned dpi) noexcept;

// The texture window's figures at a DPI.
struct TextureMetrics {
  int markHalf;      // half the side of a corner mark
  int numberGap;     // from a mark's centre to its number
  int statusHeight;  // the status line across the bottom
  int fontHeight;    // the marks' numbers and the status line (character height)
  int lineStep;      // a click on a scroll arrow
  int pageStep;      // a click beside the scroll box
  int scrollMargin;  // how far past the bitmap's top-left corner it scrolls
  float pickReach;   // a corner within this many screen pixels is picked at zoom 1
};
TextureMetrics TextureMetricsFor(unsigned dpi) noexcept;

}  // namespace orbiform
