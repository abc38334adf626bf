#pragma once
// The creation wizard: the type page, the sphere page for a sphere, the
// plains page with one tab per plain, and the final page with the first
// texture layer. The pages run one after the other from a single loop; each
// page edits the wizard's object directly through the creation recipe.
#include <windows.h>

#include <memory>

#include "geometry/RoundObject.h"

namespace orbiform {

// Runs the wizard on `start` (the current object, taken over, or none) with
// its pages owned by `owner`. Returns the finished object, or none when a
// page was closed with its box (the object is then deleted). Never throws:
// a page that cannot be made is reported in a box and counts as closed.
std::unique_ptr<RoundObject> RunWizard(HWND owner, std::unique_ptr<RoundObject> start);

}  // namespace orbiform
