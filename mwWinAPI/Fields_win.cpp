#include "mwWinAPI/Fields.h"

#include "mwWinAPI/ErrorText.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/NumberFormat.h"

namespace mwWinAPI {

std::wstring GetText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  // The length may be an upper bound (multi-byte controls): keep what was copied.
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

std::wstring GetItemText(HWND dialog, int id) { return GetText(::GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::wstring& text) {
  if (!::SetDlgItemTextW(dialog, id, text.c_str())) throw mwstd::runtime_error(GetLastErrorS());
}

std::optional<double> GetItemNumber(HWND dialog, int id) { return ParseNumber(GetItemText(dialog, id)); }

std::optional<long> GetItemInteger(HWND dialog, int id) { return ParseInteger(GetItemText(dialog, id)); }

void SetItemNumber(HWND dialog, int id, double value) { SetItemText(dialog, id, FormatNumber(value)); }

}  // namespace mwWinAPI
