#pragma once
// User-visible texts by identifier. The Windows programs load them from their
// own string-table resources, so the platform picks English or German; the
// native build looks them up in the same table compiled in (see NativeStrings.h).
#include <string>

namespace mwWinAPI {

class StringTable {
 public:
  static constexpr unsigned kCapacity = 1024;

  StringTable() { buffer_[0] = L'\0'; }
  StringTable(const StringTable&) = default;
  StringTable& operator=(const StringTable&) = default;

  // Loads string `id` into the buffer and returns it; the pointer stays valid
  // until the next Load/LoadS on this object. A missing string is empty.
  const wchar_t* Load(unsigned id);
  std::wstring LoadS(unsigned id) { return Load(id); }

 private:
  wchar_t buffer_[kCapacity];
};

// String `id` in the user's language; empty when the table has none. The one
// way to fetch a text that is kept beyond the next load.
inline std::wstring LoadText(unsigned id) { return StringTable().LoadS(id); }

}  // namespace mwWinAPI
