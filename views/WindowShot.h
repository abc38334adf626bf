#pragma once
// A picture of a window that holds the 3D pane, as the user sees it: the
// window through GDI with the view's own frame laid over the 3D window.
// Wine under Xvfb shows no Direct3D output in child windows, so screenshots
// of the desktop miss it there; the tools take their pictures this way.
#include <windows.h>

#include <string>

#include "views/ViewPane.h"

namespace orbiform::views {

// Writes `host` (any window containing `pane`) as a 24-bit BMP file, or as
// PNG when `path` ends in ".png". False
// when the window cannot be copied, the view draws no frame, or the file
// cannot be written.
bool SaveWindowShot(HWND host, ViewPane& pane, const std::wstring& path);

}  // namespace orbiform::views
