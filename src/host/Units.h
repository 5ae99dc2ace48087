// Exact conversions between linear units and between areal units (the unit enumerations are those of the public
// unit header).
//
// Linear units: the plain and "US" keywords (1..6) are the US survey units (1 foot = 1200/3937 m); the "Int" ones
// (13..17) the international units (1 foot = 0.3048 m). Areal units pair the other way round: the plain and "Int"
// keywords (1..5) are international, the "US" ones (13..17) US survey. Points are 1/72 of an international inch.
// Nautical miles: international 1852 m; US 1853.248 m (the older US definition).
// Decimal degrees convert to distance at the equator of the WGS 84 ellipsoid: 1 degree = 6378137 m * pi / 180.
#pragma once

#include "tavi/GPUnits.h"

#include <cstdint>

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
