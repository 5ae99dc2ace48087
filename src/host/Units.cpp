// Unit conversions through meters and square meters with exact rational factors.
#include "host/Units.h"

#include <cmath>
#include <numeric>

namespace tavi {
namespace {

// Meters (or square meters) per unit as a fraction numerator / denominator. A zero denominator marks a unit with no
// rational factor (decimal degrees), which converts through kMetersPerDegree instead.
struct Ratio {
    int64_t num;
    int64_t den;
};

constexpr double kMetersPerDegree = 6378137.0 * 3.14159265358979323846 / 180.0;

constexpr Ratio kLinear[kLinearUnitCount] = {
    {0, 1},          // Unknown
    {100, 3937},     // Inches (US survey: 1/12 of 1200/3937 m)
    {254, 720000},   // Points (1/72 international inch)
    {1200, 3937},    // Feet (US survey)
    {3600, 3937},    // Yards (US survey)
    {6336000, 3937}, // Miles (US survey, 5280 feet)
    {1853248, 1000}, // NauticalMiles (US, 1853.248 m)
    {1, 1000},       // Millimeters
    {1, 100},        // Centimeters
    {1, 1},          // Meters
    {1000, 1},       // Kilometers
    {0, 0},          // DecimalDegrees (no rational factor)
    {1, 10},         // Decimeters
    {254, 10000},    // InchesInt
    {3048, 10000},   // FeetInt
    {9144, 10000},   // YardsInt
    {1609344, 1000}, // MilesInt
    {1852, 1},       // NauticalMilesInt
};

constexpr Ratio Square(Ratio r) {
    return {r.num * r.num, r.den * r.den};
}

constexpr Ratio kArea[kAreaUnitCount] = {
    {0, 1},                        // Unknown
    Square({254, 10000}),          // SquareInches (international)
    Square({3048, 10000}),         // SquareFeet
    Square({9144, 10000}),         // SquareYards
    {40468564224, 10000000},       // Acres: 43560 international square feet = 4046.8564224 m2
    Square({1609344, 1000}),       // SquareMiles
    {1, 1000000},                  // SquareMillimeters
    {1, 10000},                    // SquareCentimeters
    {1, 100},                      // SquareDecimeters
    {1, 1},                        // SquareMeters
    {100, 1},                      // Ares
    {10000, 1},                    // Hectares
    {1000000, 1},                  // SquareKilometers
    Square({100, 3937}),           // SquareInchesUS
    Square({1200, 3937}),          // SquareFeetUS
    Square({3600, 3937}),          // SquareYardsUS
    {43560LL * 1440000, 15499969}, // AcresUS: 43560 US survey square feet
    Square({6336000, 3937}),       // SquareMilesUS
    Square({1852, 1}),             // SquareNauticalMiles
    Square({1853248, 1000}),       // SquareNauticalMilesUS
};

bool Known(int32_t units, int32_t count) {
    return units > 0 && units < count;
}

// value * a / b for the fractions of two units, reduced first so that exact results stay exact: when the reduced
// numerator and denominator are small enough to be exact doubles, the product and the quotient are each rounded once.
double Scale(double value, Ratio from, Ratio to) {
    __int128 num = static_cast<__int128>(from.num) * to.den;
    __int128 den = static_cast<__int128>(from.den) * to.num;
    __int128 a = num, b = den;
    while (b != 0) {
        __int128 t = a % b;
        a = b;
        b = t;
    }
    num /= a;
    den /= a;
    constexpr __int128 kExact = static_cast<__int128>(1) << 53;
    if (num <= kExact && den <= kExact)
        return value * static_cast<double>(num) / static_cast<double>(den);
    return static_cast<double>(static_cast<long double>(value) * static_cast<long double>(num) /
                               static_cast<long double>(den));
}

double LinearFactor(taviUnits units) {
    const Ratio& r = kLinear[static_cast<int32_t>(units)];
    return r.den == 0 ? kMetersPerDegree : static_cast<double>(r.num) / static_cast<double>(r.den);
}

} // namespace

bool TryConvertUnits(double value, taviUnits from, taviUnits to, double* result) {
    if (from == to) {
        *result = value;
        return true;
    }
    if (!Known(static_cast<int32_t>(from), kLinearUnitCount) || !Known(static_cast<int32_t>(to), kLinearUnitCount)) {
        *result = value;
        return false;
    }
    const Ratio& a = kLinear[static_cast<int32_t>(from)];
    const Ratio& b = kLinear[static_cast<int32_t>(to)];
    if (a.den == 0 || b.den == 0)
        *result = value * LinearFactor(from) / LinearFactor(to);
    else
        *result = Scale(value, a, b);
    return true;
}

bool TryConvertArea(double value, taviAreaUnits from, taviAreaUnits to, double* result) {
    if (from == to) {
        *result = value;
        return true;
    }
    if (!Known(static_cast<int32_t>(from), kAreaUnitCount) || !Known(static_cast<int32_t>(to), kAreaUnitCount)) {
        *result = value;
        return false;
    }
    *result = Scale(value, kArea[static_cast<int32_t>(from)], kArea[static_cast<int32_t>(to)]);
    return true;
}

double ConvertUnits(double value, taviUnits from, taviUnits to) {
    double result = value;
    TryConvertUnits(value, from, to, &result);
    return result;
}

double ConvertArea(double value, taviAreaUnits from, taviAreaUnits to) {
    double result = value;
    TryConvertArea(value, from, to, &result);
    return result;
}

double MetersPerUnit(taviUnits units) {
    return Known(static_cast<int32_t>(units), kLinearUnitCount) ? LinearFactor(units) : 0.0;
}

double SquareMetersPerUnit(taviAreaUnits units) {
    if (!Known(static_cast<int32_t>(units), kAreaUnitCount))
        return 0.0;
    const Ratio& r = kArea[static_cast<int32_t>(units)];
    return static_cast<double>(r.num) / static_cast<double>(r.den);
}

} // namespace tavi
