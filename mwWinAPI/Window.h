#pragma once
// The base of every window of the programs: one procedure for all classes
// that finds the C++ object in the window's user data and hands it each
// message, inside one catch per window so that nothing ever unwinds through
// system code. A window's class then is a short switch over named On...
// methods in HandleMessage.
#include <windows.h>

#include <string>

#include "mwWinAPI/Exceptions.h"

namespace mwWinAPI {

// Registers `name` from a copy of the system dialog class's data with
// Window::Procedure, `instance`, the arrow cursor, redraw on both resizes,
// no extra bytes, and the given icon, background and menu (either may be
// null). Returns the class atom, 0 if the system refused (GetLastError
// tells why): the programs decide whether that is fatal.
ATOM RegisterWindowClass(HINSTANCE instance, const wchar_t* name, HICON icon, HBRUSH background,
                         const wchar_t* menu);

// The text of the critical-error box for an exception that reached a
// window's catch: "Uncatched mwstd-Exeption - <name>\n<text>" for an
// mwstd::exception when the window shows exception texts, otherwise
// "Uncatched Exeption - <name>".
std::wstring CriticalErrorText(const std::wstring& name, bool showsText, const mwstd::exception* error);

// Shows `text` as a critical-error box (caption "Critical Error", error icon)
// owned by `owner`, through UserInteraction. Never throws.
void ShowCriticalError(HWND owner, const std::wstring& text) noexcept;

class Window {
 public:
  // `name` appears in the critical-error box; `showsText` adds an
  // mwstd::exception's own text to it.
  explicit Window(std::wstring name, bool showsText = false);
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Destroys the window if it still exists.
  virtual ~Window();

  // Creates the window (class registered with RegisterWindowClass) bound to
  // this object. Throws mwstd::runtime_error with the system's text if it
  // cannot be created, and mwstd::logic_error if this object already has one.
  void Create(HINSTANCE instance, const wchar_t* className, const std::wstring& title, DWORD style,
              DWORD exStyle, int x, int y, int width, int height, HWND parent, HMENU menuOrId = nullptr);

  // Null before Create and after the window was destroyed.
  HWND Handle() const noexcept { return handle_; }

  // The procedure of every class registered with RegisterWindowClass.
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // What the window does with a message; the default hands it to
  // DefWindowProc. May throw: the box is shown and the message then goes
  // to DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(handle_, message, wParam, lParam);
  }
  // The critical-error text; override for windows with texts of their own.
  virtual std::wstring FailureText(const mwstd::exception* error) const;

 private:
  std::wstring name_;
  bool showsText_;
  HWND handle_ = nullptr;
};

// A message parameter that carries a signed value (-1 for "none", -6 - layer):
// on 64-bit builds a WPARAM is 64 bits wide, so it must be read back as
// INT_PTR, never through a 32-bit int or long.
inline INT_PTR SignedParam(WPARAM wParam) noexcept { return static_cast<INT_PTR>(wParam); }
inline WPARAM ParamOf(INT_PTR value) noexcept { return static_cast<WPARAM>(value); }

// Runs the message loop until WM_QUIT and returns its wParam. A message goes
// to the active modeless dialog (*activeDialog, read for every message; may
// be null) if that takes it as a dialog message, else through `accelerators`
// (may be null) for `acceleratorWindow`, else it is translated and dispatched.
int RunMessageLoop(HWND acceleratorWindow, HACCEL accelerators, const HWND* activeDialog);

}  // namespace mwWinAPI
