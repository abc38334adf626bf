#include "mwWinAPI/Conversions.h"

#include <climits>

namespace mwWinAPI {
namespace {

// The platform functions take int lengths; a longer string is refused like
// any other invalid argument rather than converted in part.
bool FitsInt(std::size_t size) {
  if (size <= static_cast<std::size_t>(INT_MAX)) return true;
  ::SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* chars, int length, std::string& out,
                        const char* defaultChar, BOOL* usedDefaultChar) {
  const int count =
      ::WideCharToMultiByte(codePage, flags, chars, length, nullptr, 0, defaultChar, usedDefaultChar);
  if (count <= 0) return count;
  std::string buffer(static_cast<std::size_t>(count) + 1, '\0');
  const int written =
      ::WideCharToMultiByte(codePage, flags, chars, length, &buffer[0], count, defaultChar, usedDefaultChar);
  if (written <= 0) return written;
  buffer.resize(static_cast<std::size_t>(written) + 1);
  buffer[static_cast<std::size_t>(written)] = '\0';
  out = std::move(buffer);
  return written;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const std::wstring& text, std::string& out,
                        const char* defaultChar, BOOL* usedDefaultChar) {
  if (!FitsInt(text.size())) return 0;
  return WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out, defaultChar,
                             usedDefaultChar);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int length, std::wstring& out) {
  const int count = ::MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
  if (count <= 0) return count;
  std::wstring buffer(static_cast<std::size_t>(count) + 1, L'\0');
  const int written = ::MultiByteToWideChar(codePage, flags, bytes, length, &buffer[0], count);
  if (written <= 0) return written;
  buffer.resize(static_cast<std::size_t>(written) + 1);
  buffer[static_cast<std::size_t>(written)] = L'\0';
  out = std::move(buffer);
  return written;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const std::string& bytes, std::wstring& out) {
  if (!FitsInt(bytes.size())) return 0;
  return MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out);
}

int CharToTchar(std::wstring& out, const std::string& in) { return MultiByteToWideChar(CP_ACP, 0, in, out); }

int TcharToChar(std::string& out, const std::wstring& in) {
  return WideCharToMultiByte(CP_ACP, 0, in, out, nullptr, nullptr);
}

}  // namespace mwWinAPI
