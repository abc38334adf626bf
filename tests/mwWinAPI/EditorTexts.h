#pragma once
// Orbiform2's texts as their sources list them: its own and those of every
// library it links.
#include "editor/res/resource.h"
#include "tests/mwWinAPI/StringResources.h"

#define STR(id, english, german) SourceText{id, L"" english, L"" german},
inline constexpr SourceText kEditorTexts[] = {
#include "editor/res/Strings.inc"
#include "files/FileStrings.inc"
#include "geometry/ModelStrings.inc"
#include "mwWinAPI/LibraryStrings.inc"
#include "views/ViewStrings.inc"
};
#undef STR
