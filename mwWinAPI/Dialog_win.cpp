#include "mwWinAPI/Dialog.h"

#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/Window.h"

namespace mwWinAPI {

Dialog::Dialog(std::wstring name, bool showsText) : name_(std::move(name)), showsText_(showsText) {}

Dialog::~Dialog() {
  if (handle_ && !modal_) {
    const HWND dialog = handle_;
    ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
    handle_ = nullptr;
    ::DestroyWindow(dialog);
  }
}

INT_PTR Dialog::RunModal(HINSTANCE instance, const wchar_t* resource, HWND owner) {
  if (handle_) throw mwstd::logic_error(L"Dialog::RunModal: the dialog exists already");
  modal_ = true;
  created_ = false;
  const INT_PTR result =
      ::DialogBoxParamW(instance, resource, owner, &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  const DWORD error = ::GetLastError();
  modal_ = false;
  // A result of 0 is a legal End value; only a dialog that never came up failed.
  if (result == -1 || !created_) {
    throw mwstd::runtime_error(GetLastErrorS(error ? error : ERROR_CANNOT_MAKE));
  }
  return result;
}

void Dialog::CreateModeless(HINSTANCE instance, const wchar_t* resource, HWND parent) {
  if (handle_) throw mwstd::logic_error(L"Dialog::CreateModeless: the dialog exists already");
  modal_ = false;
  if (!::CreateDialogParamW(instance, resource, parent, &Dialog::Procedure, reinterpret_cast<LPARAM>(this))) {
    const DWORD error = ::GetLastError();
    throw mwstd::runtime_error(GetLastErrorS(error ? error : ERROR_CANNOT_MAKE));
  }
}

void Dialog::End(INT_PTR result) {
  if (!handle_) return;
  if (modal_) {
    ::EndDialog(handle_, result);
  } else {
    ::DestroyWindow(handle_);
  }
}

INT_PTR Dialog::HandleMessage(UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring Dialog::FailureText(const mwstd::exception* error) const {
  return CriticalErrorText(name_, showsText_, error);
}

INT_PTR CALLBACK Dialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    if (self) self->handle_ = dialog, self->created_ = true;
  }
  auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;  // WM_SETFONT and the like come before WM_INITDIALOG

  INT_PTR result = FALSE;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (const mwstd::exception& e) {
    ShowCriticalError(dialog, self->FailureText(&e));
    result = FALSE;
  } catch (...) {
    ShowCriticalError(dialog, self->FailureText(nullptr));
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
    self->handle_ = nullptr;
  }
  return result;
}

}  // namespace mwWinAPI
