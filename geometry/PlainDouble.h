#pragma once
// Stops the build when floating-point expressions are not evaluated in plain
// double. Texture coordinates truncate computed doubles to whole pixels: with
// wider intermediates (i686 x87) a value that is whole in double arithmetic
// can come out one lower, and the programs would disagree with their tests.
#include <cfloat>

static_assert(FLT_EVAL_METHOD == 0,
              "floating point must be evaluated in plain double: build i686 with -msse2 -mfpmath=sse");
