#pragma once
// The native build has no resources: each program hands its own table
// (made from the same source as its .rc file) to StringTable at start-up.
#include <cstddef>

namespace mwWinAPI {

enum class Language { English, German };

struct NativeString {
  unsigned id;
  const wchar_t* english;
  const wchar_t* german;
};

// Makes `strings` (`count` entries, kept by the caller for the program's
// lifetime) the table that StringTable::Load reads; before any table is set
// every string is missing.
void SetNativeStrings(const NativeString* strings, std::size_t count);

// The entry for `id` in the current table, or null.
const NativeString* FindNativeString(unsigned id);

// The language native lookups use; starts from LANG/LC_ALL ("de*" = German).
Language NativeLanguage();
void SetNativeLanguage(Language language);

}  // namespace mwWinAPI
