#pragma once
// Owners of system resources, so that every early return and every exception
// releases them: kernel handles and GDI objects.
#include <windows.h>

#include <utility>

namespace mwWinAPI {

// A kernel handle (thread, event, process ...); null and INVALID_HANDLE_VALUE
// both mean "none". Closed by the destructor.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() noexcept { return std::exchange(handle_, nullptr); }
  void Reset(HANDLE handle = nullptr) noexcept {
    if (*this) ::CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A pen, brush, font or bitmap; deleted by the destructor (it must not be
// selected into a device context by then).
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T object) noexcept : object_(object) {}
  GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    Reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  ~GdiObject() { Reset(); }

  T Get() const noexcept { return object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }
  void Reset(T object = nullptr) noexcept {
    if (object_) ::DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_ = nullptr;
};

}  // namespace mwWinAPI
