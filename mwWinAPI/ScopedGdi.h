#pragma once
// Scoped owners for drawing: a device context, an object selected into one,
// an image list. Each gives back what it holds on every way out of a scope,
// exceptions included. Pens, brushes, fonts and bitmaps themselves are
// GdiObject (Handles.h).
#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "mwWinAPI/Handles.h"

namespace mwWinAPI {

// A window's device context (GetDC), released by the destructor. Null window:
// the screen's.
class WindowDC {
 public:
  explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context compatible with `like`, deleted by the destructor.
class MemoryDC {
 public:
  explicit MemoryDC(HDC like) noexcept : dc_(::CreateCompatibleDC(like)) {}
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  ~MemoryDC() {
    if (dc_) ::DeleteDC(dc_);
  }
  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// `object` selected into `dc` for the guard's life; the previous object goes
// back in first thing in the destructor, so the guard must end before the DC
// and the object do (declare it after both).
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// An image list, destroyed by the destructor.
class ImageList {
 public:
  ImageList() = default;
  explicit ImageList(HIMAGELIST list) noexcept : list_(list) {}
  ImageList(ImageList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
  ImageList& operator=(ImageList&& other) noexcept {
    Reset(std::exchange(other.list_, nullptr));
    return *this;
  }
  ~ImageList() { Reset(); }
  HIMAGELIST Get() const noexcept { return list_; }
  explicit operator bool() const noexcept { return list_ != nullptr; }
  HIMAGELIST Release() noexcept { return std::exchange(list_, nullptr); }
  void Reset(HIMAGELIST list = nullptr) noexcept {
    if (list_) ::ImageList_Destroy(list_);
    list_ = list;
  }

 private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace mwWinAPI
