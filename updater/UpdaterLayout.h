#pragma once
// The updater window's pixel figures at any display scaling: given at 96 DPI
// (the window 430 x 600) and scaled to the window's DPI in this one place,
// so that the button, the log and the progress bar grow with the text.
// No window system here: tested natively.

namespace updater {

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct UpdaterLayout {
  int windowWidth = 0;  // the whole window, frame included
  int windowHeight = 0;
  Box button;
  Box list;
  Box status;
  Box progress;
  int itemHeight = 0;  // a line of the log
  int itemIndent = 0;  // where a line's text starts
  int fontHeight = 0;  // both fonts' character cell height
};

// Where the window must fit: a monitor's work area, and what the window's
// frame and caption take of it (0 = not known).
struct ScreenRoom {
  int workWidth = 0;
  int workHeight = 0;
  int frameWidth = 0;
  int frameHeight = 0;
};

// The layout at `dpi`. On a work area smaller than the scaled window the
// window stops at its edges and the log list gives up the room (it scrolls),
// so the button, status text and progress bar stay in sight. Never throws.
UpdaterLayout UpdaterLayoutFor(unsigned dpi, ScreenRoom room = {}) noexcept;

}  // namespace updater
