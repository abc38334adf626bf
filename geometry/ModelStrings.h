#pragma once
// String-table identifiers of the texts the model shows to the user.
#include <string>

#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/StringTable.h"

namespace modelstrings {

constexpr unsigned kRingInvalid = 199;  // radius, ellipse, points
constexpr unsigned kDegreeRange = 200;
constexpr unsigned kMinimumSpan = 201;
constexpr unsigned kNoSuchLayer = 202;
constexpr unsigned kTooManyPoints = 203;
constexpr unsigned kPointRange = 204;
constexpr unsigned kPlainRange = 205;

// Throws mwstd::invalid_argument with the text of `id` in the user's language.
[[noreturn]] inline void Throw(unsigned id) {
  mwWinAPI::StringTable table;
  throw mwstd::invalid_argument(table.LoadS(id));
}

}  // namespace modelstrings
