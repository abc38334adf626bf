#include <algorithm>
#include <iterator>

#include "mwWinAPI/NativeStrings.h"

namespace mwWinAPI {
namespace {

// The texts are narrow UTF-8 literals (what the resource compiler reads);
// joined to L"" they become wide literals here.
#define STR(id, english, german) {id, L"" english, L"" german},
constexpr NativeString kStrings[] = {
#include "Strings.inc"
#include "mwWinAPI/LibraryStrings.inc"
};
#undef STR

}  // namespace

const NativeString* FindNativeString(unsigned id) {
  const auto it = std::find_if(std::begin(kStrings), std::end(kStrings),
                               [id](const NativeString& s) { return s.id == id; });
  return it == std::end(kStrings) ? nullptr : &*it;
}

}  // namespace mwWinAPI
