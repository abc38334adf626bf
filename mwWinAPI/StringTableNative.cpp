#include <cstdlib>
#include <cwchar>

#include "mwWinAPI/NativeStrings.h"
#include "mwWinAPI/StringTable.h"

namespace mwWinAPI {
namespace {

Language FromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return (value[0] == 'd' && value[1] == 'e') ? Language::German : Language::English;
  }
  return Language::English;
}

Language& CurrentLanguage() {
  static Language language = FromEnvironment();
  return language;
}

struct Table {
  const NativeString* strings = nullptr;
  std::size_t count = 0;
};

Table& CurrentTable() {
  static Table table;
  return table;
}

}  // namespace

void SetNativeStrings(const NativeString* strings, std::size_t count) { CurrentTable() = {strings, count}; }

const NativeString* FindNativeString(unsigned id) {
  const Table& table = CurrentTable();
  for (std::size_t i = 0; i < table.count; ++i) {
    if (table.strings[i].id == id) return &table.strings[i];
  }
  return nullptr;
}

Language NativeLanguage() { return CurrentLanguage(); }
void SetNativeLanguage(Language language) { CurrentLanguage() = language; }

const wchar_t* StringTable::Load(unsigned id) {
  buffer_[0] = L'\0';
  if (const NativeString* s = FindNativeString(id)) {
    const wchar_t* text = CurrentLanguage() == Language::German ? s->german : s->english;
    std::wcsncpy(buffer_, text, kCapacity - 1);  // like LoadString: cut to capacity - 1
    buffer_[kCapacity - 1] = L'\0';
  }
  return buffer_;
}

}  // namespace mwWinAPI
