#pragma once
// A picture of the 3D view as the user sees it, taken from the view's own back
// buffer (not from the screen, which under some display servers does not show
// Direct3D output), written as PNG.
#include <cstdint>
#include <string>
#include <vector>

#include "views/ViewPane.h"

namespace orbiform::views {

// Draws the current frame and copies it out at the 3D window's client size:
// rows top-down of 0xRRGGBB. False without a view or when the back buffer
// cannot be read.
bool CaptureViewFrame(ViewPane& pane, std::vector<std::uint32_t>& pixels, int& width, int& height);

// The frame as a PNG file, written by safe replace. False (nothing written)
// when CaptureViewFrame fails; throws mwstd::file_io_error when the file
// cannot be written.
bool SaveViewPicture(ViewPane& pane, const std::wstring& path);

}  // namespace orbiform::views
