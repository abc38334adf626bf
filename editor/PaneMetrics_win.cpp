// What the main window's layout measures on the screen.
#include "editor/PaneMetrics.h"

namespace orbiform {

PixelSize DialogExtent(HINSTANCE instance, int resource, HWND dialog) noexcept {
  if (!dialog) return {};
  const HRSRC found =
      ::FindResourceW(instance, MAKEINTRESOURCEW(resource), MAKEINTRESOURCEW(5));  // RT_DIALOG
  const HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  const auto units = DialogTemplateUnits(static_cast<const std::uint8_t*>(bytes),
                                         bytes ? ::SizeofResource(instance, found) : 0);
  // Four horizontal and eight vertical dialog units are one base unit each.
  RECT base{0, 0, 4, 8};
  if (!units || !::MapDialogRect(dialog, &base)) return {};
  return DialogPixels(*units, PixelSize{base.right, base.bottom});
}

}  // namespace orbiform
