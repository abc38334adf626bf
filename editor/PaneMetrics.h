#pragma once
// What the main window's layout measures on the screen: the pixel size of a
// dialog as its template and its font make it.
#include <windows.h>

#include "editor/EditorLayout.h"

namespace orbiform {

// The size in pixels of `dialog`, made from template `resource` of
// `instance`: the template's dialog units through the dialog's own base
// units (its font at the current scaling). Zero when either is missing.
// Never throws.
PixelSize DialogExtent(HINSTANCE instance, int resource, HWND dialog) noexcept;

}  // namespace orbiform
