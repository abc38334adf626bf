#include "mwWinAPI/ErrorText.h"

#include <memory>

#include "mwWinAPI/Exceptions.h"

namespace mwWinAPI {
namespace {

struct LocalFreer {
  void operator()(wchar_t* p) const { ::LocalFree(p); }
};

}  // namespace

std::wstring GetLastErrorS(DWORD code) {
  wchar_t* raw = nullptr;
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                                        code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreer> text(raw);
  if (length == 0 || !text) return L"Unbekannter Fehler - Fehlercode: " + std::to_wstring(code);
  return std::wstring(text.get(), length);
}

std::wstring GetLastErrorS() { return GetLastErrorS(::GetLastError()); }

}  // namespace mwWinAPI
