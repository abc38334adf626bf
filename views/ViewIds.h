#pragma once
// The 3D pane's command, string and bitmap ids are the editor's resource ids:
// one numbering for the toolbar, its tooltips and its pictures.
#include "editor/res/resource.h"
