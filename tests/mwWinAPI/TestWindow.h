#pragma once
// A plain visible top-level window for window tests to host what they test.
#include <windows.h>

namespace testui {

// A new overlapped, visible window of the given size (DefWindowProc only).
inline HWND MakeTestWindow(const wchar_t* title, int width, int height) {
  static const wchar_t* kClass = L"OrbiformTestHost";
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    return ::RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  return ::CreateWindowExW(0, kClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace testui
