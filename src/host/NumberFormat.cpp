// Shortest round-trip "%g" text of a double, built on the standard library's locale-free conversions.
#include "host/NumberFormat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tavi {

namespace {

// Precision 17 always reads back, so the search ends there.
constexpr int kMaxPrecision = 17;

// The number of significant digits in a scientific text such as "-1.2345e+02".
int significantDigits(const char* begin, const char* end) {
    int digits = 0;
    for (const char* c = begin; c != end && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9')
            ++digits;
    return digits;
}

bool readsBackAs(const char* begin, const char* end, double value) {
    double back = 0;
    auto [ptr, ec] = std::from_chars(begin, end, back);
    return ec == std::errc() && ptr == end && std::bit_cast<uint64_t>(back) == std::bit_cast<uint64_t>(value);
}

} // namespace

std::u16string ShortestRoundTripText(double value) {
    if (!std::isfinite(value))
        return {};
    // The shortest scientific form has the fewest significant digits any round-trip text can have, so no smaller
    // precision can succeed. The %g text at that precision is the nearest decimal with that many digits, which
    // reads back except where the value sits on a power of two and its lower neighbour is nearer than its upper
    // one; there the shortest form lies on the far side and one or more extra digits are needed.
    char buffer[64];
    auto shortest = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    int precision = significantDigits(buffer, shortest);
    const char* end = buffer;
    for (; precision <= kMaxPrecision; ++precision) {
        // Specified to write what printf's "%.{precision}g" writes in the classic locale.
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision).ptr;
        if (readsBackAs(buffer, end, value))
            break;
    }
    return std::u16string(static_cast<const char*>(buffer), end);
}

} // namespace tavi
