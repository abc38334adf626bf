// The version reader on the system's version information API.
#include "mwWinAPI/FileVersion.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace mwWinAPI {

std::wstring ReadFileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
  struct Translation {
    WORD language, codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length))
    return {};
  for (UINT i = 0; i < length / sizeof(Translation); ++i) {
    wchar_t key[50];
    std::swprintf(key, 50, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations[i].language,
                  translations[i].codePage);
    wchar_t* value = nullptr;
    UINT valueLength = 0;
    if (::VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &valueLength) && value &&
        valueLength > 0)
      return value;
  }
  return {};
}

}  // namespace mwWinAPI
