// The updater window's pixel figures at any display scaling.
#include "updater/UpdaterLayout.h"

#include <algorithm>

#include "mwWinAPI/Dpi.h"

namespace updater {
namespace {

Box Scaled(int x, int y, int width, int height, unsigned dpi) {
  using mwWinAPI::ScaleForDpi;
  return Box{ScaleForDpi(x, dpi), ScaleForDpi(y, dpi), ScaleForDpi(width, dpi), ScaleForDpi(height, dpi)};
}

}  // namespace

UpdaterLayout UpdaterLayoutFor(unsigned dpi, ScreenRoom room) noexcept {
  using mwWinAPI::ScaleForDpi;
  UpdaterLayout layout;
  layout.windowWidth = ScaleForDpi(430, dpi);
  layout.windowHeight = ScaleForDpi(600, dpi);
  if (room.workWidth > 0) layout.windowWidth = std::min(layout.windowWidth, room.workWidth);
  if (room.workHeight > 0) layout.windowHeight = std::min(layout.windowHeight, room.workHeight);
  layout.button = Scaled(110, 12, 200, 28, dpi);
  layout.list = Scaled(10, 50, 400, 300, dpi);
  layout.status = Scaled(20, 360, 400, 20, dpi);
  layout.progress = Scaled(10, 390, 400, 30, dpi);
  layout.itemHeight = ScaleForDpi(20, dpi);
  layout.itemIndent = ScaleForDpi(7, dpi);
  layout.fontHeight = ScaleForDpi(15, dpi);

  // The log list gives up what the window lacks, down to three lines; the
  // controls below it move up with it.
  const int margin = ScaleForDpi(10, dpi);
  const int clientWidth = layout.windowWidth - room.frameWidth;
  const int clientHeight = layout.windowHeight - room.frameHeight;
  const int tooHigh = layout.progress.y + layout.progress.height + margin - clientHeight;
  if (tooHigh > 0) {
    const int giveUp = std::min(tooHigh, layout.list.height - 3 * layout.itemHeight);
    layout.list.height -= giveUp;
    layout.status.y -= giveUp;
    layout.progress.y -= giveUp;
  }
  const int tooWide = layout.list.x + layout.list.width + margin - clientWidth;
  if (tooWide > 0) {
    for (Box* box : {&layout.list, &layout.status, &layout.progress})
      box->width = std::max(box->width - tooWide, layout.itemHeight);
  }
  return layout;
}

}  // namespace updater
