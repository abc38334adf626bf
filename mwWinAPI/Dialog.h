#pragma once
// The base of every dialog, modal or modeless, made from a dialog template:
// the same dispatch and the same catch as Window.
#include <windows.h>

#include <string>

#include "mwWinAPI/Exceptions.h"

namespace mwWinAPI {

class Dialog {
 public:
  // `name` and `showsText` as for Window: they make the critical-error text.
  explicit Dialog(std::wstring name, bool showsText = false);
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  // Destroys a modeless dialog that still exists.
  virtual ~Dialog();

  // Shows the dialog from template `resource` of `instance` modally and
  // returns the value passed to End. Throws mwstd::runtime_error with the
  // system's text if the dialog cannot be created.
  INT_PTR RunModal(HINSTANCE instance, const wchar_t* resource, HWND owner);

  // Creates the dialog modelessly (visible if its template says so); its
  // messages reach it only if the message loop routes them (RunMessageLoop).
  // Throws mwstd::runtime_error if it cannot be created, mwstd::logic_error
  // if this object has a window already.
  void CreateModeless(HINSTANCE instance, const wchar_t* resource, HWND parent);

  // Ends a modal dialog with `result`, or destroys a modeless one.
  void End(INT_PTR result);

  // Null before the dialog exists and after it ended.
  HWND Handle() const noexcept { return handle_; }
  HWND Item(int id) const noexcept { return ::GetDlgItem(handle_, id); }

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // TRUE when the message was handled (WM_INITDIALOG: FALSE after setting
  // the focus oneself), FALSE to leave it to the system. The default handles
  // nothing. May throw: the box is shown and the message counts as unhandled.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The result of a message whose answer is not the handled flag (WM_NOTIFY
  // and the like); the handler then returns TRUE.
  void SetMessageResult(LRESULT result) const noexcept {
    ::SetWindowLongPtrW(handle_, DWLP_MSGRESULT, result);
  }
  // The critical-error text; override for dialogs with texts of their own.
  virtual std::wstring FailureText(const mwstd::exception* error) const;

 private:
  std::wstring name_;
  bool showsText_;
  bool modal_ = false;
  bool created_ = false;
  HWND handle_ = nullptr;
};

}  // namespace mwWinAPI
