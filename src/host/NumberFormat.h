// The shortest decimal text of a double that reads back as the same double, in printf's "%g" form.
#pragma once

#include <string>

namespace tavi {

// The text printf("%.{p}g", value) writes in the classic locale for the smallest precision p in 1..17 whose text
// reads back (strtod) as exactly `value`, all 64 bits equal: so 0.1 gives "0.1", 100 gives "1e+02", 1e20 gives
// "1e+20" and -0.0 gives "-0". The decimal point is always '.', whatever the process locale. NaN and infinities
// give an empty text; callers spell those themselves.
std::u16string ShortestRoundTripText(double value);

} // namespace tavi
