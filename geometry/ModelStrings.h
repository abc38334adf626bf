#pragma once
// How the model throws the texts the user reads (ids in ModelIds.h).
#include <string>

#include "geometry/ModelIds.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"

namespace orbiform {

namespace modelstrings {

// Throws mwstd::invalid_argument with the text of `id` in the user's language.
[[noreturn]] inline void Throw(unsigned id) { throw mwstd::invalid_argument(mwWinAPI::LoadText(id)); }

}  // namespace modelstrings

}  // namespace orbiform
