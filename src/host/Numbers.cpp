// Decimal rounding on the shortest decimal form of a double, and platform dates as milliseconds since 1970.
#include "host/Numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tavi {

double GetRounded(double value, int32_t digits) {
    if (!std::isfinite(value) || value == 0.0)
        return value;
    // Shortest round-trip text in scientific form: "-d.ddddde+XX".
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    if (ec != std::errc())
        return value;
    std::string s(text, end);
    bool negative = s[0] == '-';
    size_t ePos = s.find('e');
    int exponent = std::stoi(s.substr(ePos + 1));
    std::string mantissa; // the significant digits, the first one worth 10^exponent
    for (size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (s[i] != '.')
            mantissa += s[i];

    // Keep the digits down to 10^-digits: that is exponent + digits + 1 of them.
    int64_t keep = static_cast<int64_t>(exponent) + digits + 1;
    if (keep >= static_cast<int64_t>(mantissa.size()))
        return value; // nothing below the rounding place
    if (keep < 0)
        return negative ? -0.0 : 0.0; // below half of the rounding place
    bool roundUp = mantissa[static_cast<size_t>(keep)] >= '5';
    mantissa.resize(static_cast<size_t>(keep));
    if (roundUp) {
        // Carry into the kept digits; a carry out of the first one adds a leading 1.
        int64_t i = keep - 1;
        for (; i >= 0; --i) {
            if (mantissa[static_cast<size_t>(i)] == '9') {
                mantissa[static_cast<size_t>(i)] = '0';
            } else {
                ++mantissa[static_cast<size_t>(i)];
                break;
            }
        }
        if (i < 0) {
            mantissa.insert(mantissa.begin(), '1');
            ++exponent;
        }
    }
    if (mantissa.empty())
        return negative ? -0.0 : 0.0;
    // Read back "digits e (exponent - count + 1)".
    std::string rounded = (negative ? "-" : "") + mantissa + "e" +
                          std::to_string(static_cast<int64_t>(exponent) - static_cast<int64_t>(mantissa.size()) + 1);
    double result = value;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    return result;
}

double ConvertToJStime(DATE date) {
    if (!std::isfinite(date))
        return date;
    constexpr double kUnixEpochDay = 25569.0; // 1970-01-01 as a platform date
    constexpr double kMsPerDay = 86400000.0;
    double whole = std::trunc(date);
    double timeOfDay = std::fabs(date - whole); // the fraction is the time of day on either side of day 0
    return (whole - kUnixEpochDay) * kMsPerDay + std::round(timeOfDay * kMsPerDay);
}

} // namespace tavi
