#pragma once
// For the window tests: runs the thread's messages until a condition holds,
// so that posted results and timers arrive as in the programs' own loop.
#include <windows.h>

#include <functional>

namespace testui {

// Pumps messages until `done` or about `milliseconds` have passed; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds && !done(); waited += 10) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return done();
}

}  // namespace testui
