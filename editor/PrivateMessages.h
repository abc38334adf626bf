#pragma once
// The private window messages between Orbiform2's panes and dialogs; the
// panes talk to each other only through these.
#include <windows.h>

namespace orbiform {

// Completion of an update-check download step (posted by the download's
// callback thread to the main window).
constexpr UINT TWM_UPDATE_STEP = WM_USER + 6;
constexpr UINT TWM_REFRESH = WM_USER + 10;  // rebuild the tree, reload the dialogs
// TWM_REFRESH's wParam to the tree pane: empty the tree, object or not.
constexpr WPARAM kRefreshEmpty = static_cast<WPARAM>(-1);
// The object was changed in a pane; wParam says what changed.
constexpr UINT TWM_CHANGED = WM_USER + 15;
// Points or faces: the 3D view is rebuilt.
constexpr WPARAM kChangedShape = 0;
// Only texture layers: the faces keep their coordinates until the layers
// are applied, so the view stays as it is.
constexpr WPARAM kChangedLayers = 1;
// Only face texture coordinates: the view rebuilds its faces alone.
constexpr WPARAM kChangedTexturing = 2;
constexpr UINT TWM_SELECT_PLAIN = WM_USER + 20;  // wParam plain
constexpr UINT TWM_SELECT_POINT = WM_USER + 21;  // wParam plain, lParam point
constexpr UINT TWM_SELECT = WM_USER + 22;        // wParam a views::Selection's ToParam()
constexpr UINT TWM_SELECT_NONE = WM_USER + 23;   // nothing editable selected
// Texture or its coordinates changed; wParam the selection to show (to the
// main window).
constexpr UINT TWM_RELOAD = WM_USER + 24;
constexpr UINT TWM_SELECT_LAYER = WM_USER + 25;  // wParam layer
constexpr UINT TWM_DELETE_KEY = WM_USER + 26;    // Delete pressed in the tree
// Make the 3D view's device while nothing else is waiting (start-up); with
// wParam 1 make the view of the object just opened.
constexpr UINT TWM_PREPARE_VIEW = WM_USER + 30;
// The Open worker's result (lParam, taken with TakeWorkerResult).
constexpr UINT TWM_PROJECT_READ = WM_USER + 31;
constexpr UINT TWM_SEARCH_UPDATES = WM_APP + 40;  // wParam 1: automatic (silent) check

}  // namespace orbiform
