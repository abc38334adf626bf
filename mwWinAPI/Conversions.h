#pragma once
// String conversions between code pages and UTF-16 in std::string and
// std::wstring. The converted string carries a zero unit behind the converted
// units (two when the input length is -1, the platform counting the input's
// terminator too); compare or join such strings only up to their first zero.
#include <windows.h>

#include <string>

namespace mwWinAPI {

// Both return the number of units written. A platform failure is reported only
// by a result of 0 or less, `out` then being left unchanged.
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* chars, int length, std::string& out,
                        const char* defaultChar, BOOL* usedDefaultChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, const std::wstring& text, std::string& out,
                        const char* defaultChar, BOOL* usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int length, std::wstring& out);
int MultiByteToWideChar(UINT codePage, DWORD flags, const std::string& bytes, std::wstring& out);

// The ANSI code page <-> UTF-16.
int CharToTchar(std::wstring& out, const std::string& in);
int TcharToChar(std::string& out, const std::wstring& in);

}  // namespace mwWinAPI
