#pragma once
// Numbers as the editor's files hold them: finite, in general notation with
// six significant digits. The model judges its values as a file will hold
// them, so that whatever it accepts can be saved and opened again.
#include <charconv>
#include <cmath>

#include "geometry/ModelStrings.h"

namespace orbiform {

// Significant digits of every double the files hold.
constexpr int kStoredDigits = 6;

// `value` as a file gives it back: written with kStoredDigits digits and read
// again. A value without such a text (infinity, NaN) comes back unchanged.
inline double AsStored(double value) {
  if (!std::isfinite(value)) return value;
  char text[32];
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, kStoredDigits);
  double stored = value;
  if (written.ec != std::errc() || std::from_chars(text, written.ptr, stored).ec != std::errc()) return value;
  return stored;
}

// Throws mwstd::invalid_argument (IDS_NOT_FINITE) unless `value` is finite: a
// file cannot hold infinity or NaN, and the reader refuses them.
inline void CheckFinite(double value) {
  if (!std::isfinite(value)) modelstrings::Throw(IDS_NOT_FINITE);
}

}  // namespace orbiform
