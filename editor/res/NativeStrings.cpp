// The editor's texts for the native build, handed to the string table as the
// program starts (the Windows build has them as resources instead).
#include <iterator>

#include "editor/res/resource.h"
#include "mwWinAPI/NativeStrings.h"

namespace orbiform {
namespace {

// The texts are narrow UTF-8 literals (what the resource compiler reads);
// joined to L"" they become wide literals here.
#define STR(id, english, german) {id, L"" english, L"" german},
constexpr mwWinAPI::NativeString kStrings[] = {
#include "editor/res/Strings.inc"
#include "files/FileStrings.inc"
#include "geometry/ModelStrings.inc"
#include "mwWinAPI/LibraryStrings.inc"
#include "views/ViewStrings.inc"
};
#undef STR

// Every native program and test of the editor links this object, so the
// table is in place before main runs.
const bool kInstalled = (mwWinAPI::SetNativeStrings(kStrings, std::size(kStrings)), true);

}  // namespace
}  // namespace orbiform
