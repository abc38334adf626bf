#pragma once
// The private window messages of QZ7Updater's main window. The worker
// threads post UM_FILE_STARTED and the UM_*_DONE ones; the window posts
// UM_NEXT_STEP to itself.
#include <windows.h>

namespace updater {

constexpr UINT UM_TRAY = WM_USER + 1;       // mouse events on the notification icon
constexpr UINT UM_NEXT_STEP = WM_USER + 2;  // evaluate the information, start the files
// From a worker thread: show the status text with string id wParam (workers
// never touch windows themselves).
constexpr UINT UM_STATUS_TEXT = WM_USER + 3;
constexpr UINT UM_FILE_STARTED = 0x68A;  // wParam: file done; the next one is named
constexpr UINT UM_FILES_DONE = 0x68B;    // lParam 1 success, 0 failure
constexpr UINT UM_INFOS_DONE = 0x68C;    // wParam 1 success; lParam 1 when there is work

}  // namespace updater
