// Number helpers of the foundation library: decimal rounding and date conversion.
#pragma once

#include "tavi/Platform.h"

#include <cstdint>

namespace tavi {

// `value` rounded half away from zero to `digits` decimal places (negative digits round to tens, hundreds, ...).
// The rounding works on the shortest decimal text that reads back as `value`, so what is written 1.005 rounds to
// 1.01 and 2.5 to 3 even where the binary double lies a hair below the half. NaN and infinities come back as they
// are; digits beyond what a double holds leave the value unchanged.
double GetRounded(double value, int32_t digits);

// Milliseconds since 1970-01-01 00:00 UTC of a platform date (days since 1899-12-30; for dates before that day the
// fraction is the time of that day, so -1.25 is 1899-12-29 06:00), rounded to the nearest millisecond. NaN and
// infinities come back as they are.
double ConvertToJStime(DATE date);

} // namespace tavi
