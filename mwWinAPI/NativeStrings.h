#pragma once
// The native build has no resources: the program links a table (generated
// from the same source as its .rc file) and StringTable reads from it.
namespace mwWinAPI {

enum class Language { English, German };

struct NativeString {
  unsigned id;
  const wchar_t* english;
  const wchar_t* german;
};

// Defined by the program's string data; returns null when `id` is unknown.
const NativeString* FindNativeString(unsigned id);

// The language native lookups use; starts from LANG/LC_ALL ("de*" = German).
Language NativeLanguage();
void SetNativeLanguage(Language language);

}  // namespace mwWinAPI
