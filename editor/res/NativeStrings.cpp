#include <algorithm>
#include <iterator>

#include "mwWinAPI/NativeStrings.h"

namespace mwWinAPI {
namespace {

#define STR(id, english, german) {id, english, german},
constexpr NativeString kStrings[] = {
#include "Strings.inc"
};
#undef STR

}  // namespace

const NativeString* FindNativeString(unsigned id) {
  const auto it = std::find_if(std::begin(kStrings), std::end(kStrings),
                               [id](const NativeString& s) { return s.id == id; });
  return it == std::end(kStrings) ? nullptr : &*it;
}

}  // namespace mwWinAPI
