#pragma once
// The system's texts for error codes; used by every failure of the file layer.
#include <windows.h>

#include <string>

namespace mwWinAPI {

// The system's text for an error code, unchanged (it ends with a line break),
// or "Unbekannter Fehler - Fehlercode: " and the code in decimal.
std::wstring GetLastErrorS(DWORD code);
std::wstring GetLastErrorS();

}  // namespace mwWinAPI
