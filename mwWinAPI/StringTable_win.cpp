#include <windows.h>

#include "mwWinAPI/StringTable.h"

namespace mwWinAPI {

const wchar_t* StringTable::Load(unsigned id) {
  buffer_[0] = L'\0';
  const int n = ::LoadStringW(::GetModuleHandleW(nullptr), id, buffer_, kCapacity);
  if (n <= 0) buffer_[0] = L'\0';
  return buffer_;
}

}  // namespace mwWinAPI
