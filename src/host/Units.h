// The unit enumerations of linear, areal and time values, and exact conversions between linear units and between
// areal units.
//
// Linear units: the plain and "US" keywords (1..6) are the US survey units (1 foot = 1200/3937 m); the "Int" ones
// (13..17) the international units (1 foot = 0.3048 m). Areal units pair the other way round: the plain and "Int"
// keywords (1..5) are international, the "US" ones (13..17) US survey. Points are 1/72 of an international inch.
// Nautical miles: international 1852 m; US 1853.248 m (the older US definition).
// Decimal degrees convert to distance at the equator of the WGS 84 ellipsoid: 1 degree = 6378137 m * pi / 180.
#pragma once

#include <cstdint>

enum class taviUnits : int32_t {
    Unknown = 0,
    Inches = 1,
    Points = 2,
    Feet = 3,
    Yards = 4,
    Miles = 5,
    NauticalMiles = 6,
    Millimeters = 7,
    Centimeters = 8,
    Meters = 9,
    Kilometers = 10,
    DecimalDegrees = 11,
    Decimeters = 12,
    InchesInt = 13,
    FeetInt = 14,
    YardsInt = 15,
    MilesInt = 16,
    NauticalMilesInt = 17,
};

enum class taviAreaUnits : int32_t {
    Unknown = 0,
    SquareInches = 1,
    SquareFeet = 2,
    SquareYards = 3,
    Acres = 4,
    SquareMiles = 5,
    SquareMillimeters = 6,
    SquareCentimeters = 7,
    SquareDecimeters = 8,
    SquareMeters = 9,
    Ares = 10,
    Hectares = 11,
    SquareKilometers = 12,
    SquareInchesUS = 13,
    SquareFeetUS = 14,
    SquareYardsUS = 15,
    AcresUS = 16,
    SquareMilesUS = 17,
    SquareNauticalMiles = 18,
    SquareNauticalMilesUS = 19,
};

enum class taviTimeUnits : int32_t {
    Unknown = 0,
    Milliseconds = 1,
    Seconds = 2,
    Minutes = 3,
    Hours = 4,
    Days = 5,
    Weeks = 6,
    Months = 7,
    Years = 8,
    Decades = 9,
    Centuries = 10,
};

namespace tavi {

constexpr int32_t kLinearUnitCount = 18; // 0..17
constexpr int32_t kAreaUnitCount = 20;   // 0..19

// `value` expressed in `to`: value * (meters per `from`) / (meters per `to`), computed from exact rational factors so
// that representable results come out exact (12 inches are 1 foot, 3937 US survey feet are 1200 meters).
// The same unit (Unknown included) gives the value as it is. Unknown or a number outside the enumeration on either
// side is no conversion: the value comes back unchanged (TryConvertUnits says false).
double ConvertUnits(double value, taviUnits from, taviUnits to);
double ConvertArea(double value, taviAreaUnits from, taviAreaUnits to);
bool TryConvertUnits(double value, taviUnits from, taviUnits to, double* result);
bool TryConvertArea(double value, taviAreaUnits from, taviAreaUnits to, double* result);

// Meters per unit and square meters per unit (0 for Unknown or an unknown number).
double MetersPerUnit(taviUnits units);
double SquareMetersPerUnit(taviAreaUnits units);

} // namespace tavi
