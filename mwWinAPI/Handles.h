#pragma once
// Owners of system resources, so that every early return and every exception
// releases them: kernel handles, GDI objects, critical sections, COM pointers.
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

// A critical section that lives as long as its owner; Lock holds it for a scope.
class CriticalSection {
 public:
  CriticalSection() noexcept { ::InitializeCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }

  void Enter() noexcept { ::EnterCriticalSection(&section_); }
  void Leave() noexcept { ::LeaveCriticalSection(&section_); }

  class Lock {
   public:
    explicit Lock(CriticalSection& section) noexcept : section_(section) { section_.Enter(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { section_.Leave(); }

   private:
    CriticalSection& section_;
  };

 private:
  CRITICAL_SECTION section_;
};

// A COM interface pointer that holds one reference. Address() hands the slot
// to a creating call (releasing what was held before).
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  T** Address() noexcept {
    Reset();
    return &p_;
  }
  void Reset() noexcept {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

}  // namespace mwWinAPI
