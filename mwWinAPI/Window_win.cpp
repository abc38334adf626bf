#include "mwWinAPI/Window.h"

#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/UserInteraction.h"

namespace mwWinAPI {

ATOM RegisterWindowClass(HINSTANCE instance, const wchar_t* name, HICON icon, HBRUSH background,
                         const wchar_t* menu) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  ::GetClassInfoExW(nullptr, L"#32770", &wc);  // the system dialog class
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &Window::Procedure;
  wc.cbClsExtra = wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = nullptr;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszMenuName = menu;
  wc.lpszClassName = name;
  return ::RegisterClassExW(&wc);
}

std::wstring CriticalErrorText(const std::wstring& name, bool showsText, const mwstd::exception* error) {
  if (showsText && error) return L"Uncatched mwstd-Exeption - " + name + L"\n" + error->what();
  return L"Uncatched Exeption - " + name;
}

void ShowCriticalError(HWND owner, const std::wstring& text) noexcept {
  try {
    Ui().ShowMessage(owner, text, L"Critical Error", MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing may leave a window procedure; a box that cannot be shown is lost.
  }
}

Window::Window(std::wstring name, bool showsText) : name_(std::move(name)), showsText_(showsText) {}

Window::~Window() {
  if (handle_) {
    const HWND window = handle_;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);  // no calls into a half-destroyed object
    handle_ = nullptr;
    ::DestroyWindow(window);
  }
}

void Window::Create(HINSTANCE instance, const wchar_t* className, const std::wstring& title, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
  if (handle_) throw mwstd::logic_error(L"Window::Create: the window exists already");
  const HWND window = ::CreateWindowExW(exStyle, className, title.c_str(), style, x, y, width, height, parent,
                                        menuOrId, instance, this);
  if (!window) {
    const DWORD error = ::GetLastError();
    throw mwstd::runtime_error(GetLastErrorS(error ? error : ERROR_CANNOT_MAKE));
  }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

std::wstring Window::FailureText(const mwstd::exception* error) const {
  return CriticalErrorText(name_, showsText_, error);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->handle_ = window;
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after the object let go.
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (const mwstd::exception& e) {
    ShowCriticalError(window, self->FailureText(&e));
    result = ::DefWindowProcW(window, message, wParam, lParam);
  } catch (...) {
    ShowCriticalError(window, self->FailureText(nullptr));
    result = ::DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
  }
  return result;
}

int RunMessageLoop(HWND acceleratorWindow, HACCEL accelerators, const HWND* activeDialog) {
  MSG msg;
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    const HWND dialog = activeDialog ? *activeDialog : nullptr;
    if (dialog && ::IsDialogMessageW(dialog, &msg)) continue;
    if (accelerators && ::TranslateAcceleratorW(acceleratorWindow, accelerators, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace mwWinAPI
