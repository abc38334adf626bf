#pragma once
// Command, string and bitmap ids of the 3D pane and its toolbar. Plain
// #defines so that resource scripts can include this file too.

// Toolbar commands, in the toolbar's left-to-right order:
#define IDC_VIEW_REFRESH 1128
#define IDC_VIEW_NUMBERS 1124   // toggle, display flag 1
#define IDC_VIEW_OUTLINE 1125   // toggle, display flag 2
#define IDC_VIEW_FACES 1126     // toggle, display flag 4, pressed at start
#define IDC_VIEW_SELECTED 1127  // toggle, display flag 8
#define IDC_VIEW_FONT_LARGER 1133
#define IDC_VIEW_FONT_SMALLER 1134
#define IDC_VIEW_ROTATE 1129  // mode group, pressed at start
#define IDC_VIEW_SCROLL 1130
#define IDC_VIEW_ZOOM 1131
#define IDC_VIEW_CENTER 1132

// Strings: the view's failure message and the tooltips 206..216.
#define IDS_DIRECTX_ERROR 146
#define IDS_VIEW_TOOLTIP_FIRST 206
#define IDS_VIEW_TOOLTIP_LAST 216

// Toolbar button pictures.
#define IDB_VIEW_FIRST 156
#define IDB_VIEW_LAST 166
