// The editor's string tables in the program's resources: every text of every
// source in both languages.
#include "tests/mwWinAPI/EditorTexts.h"

namespace {

TEST(StringResources, EveryTextInBothLanguagesAsItsSourceSays) {
  ExpectBothLanguages(::GetModuleHandleW(nullptr), kEditorTexts);
}

}  // namespace
