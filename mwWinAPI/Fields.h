#pragma once
// Reading and writing dialog fields: texts of any length, and numbers in the
// number format the user chose (the global locale, see NumberFormat.h).
#include <windows.h>

#include <optional>
#include <string>

namespace mwWinAPI {

// The whole text of a window or control, however long.
std::wstring GetText(HWND window);
std::wstring GetItemText(HWND dialog, int id);
// Sets the text; throws mwstd::runtime_error with the system's text when the
// control refuses it.
void SetItemText(HWND dialog, int id, const std::wstring& text);

// The field's number read in the global locale; nullopt for an empty or
// malformed entry (the caller shows its own message).
std::optional<double> GetItemNumber(HWND dialog, int id);
std::optional<long> GetItemInteger(HWND dialog, int id);
// Shows `value` in the global locale.
void SetItemNumber(HWND dialog, int id, double value);

}  // namespace mwWinAPI
