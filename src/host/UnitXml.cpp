// The XML spellings of units: see UnitXml.h.
#include "host/UnitXml.h"

#include <array>
#include <cstdint>

namespace tavi {

namespace {

// Spellings indexed by the enumeration's number.
constexpr std::array<std::u16string_view, 18> kLinear = {
    u"Unknown",       u"Inches",      u"Points",      u"Feet",     u"Yards",      u"Miles",
    u"NauticalMiles", u"Millimeters", u"Centimeters", u"Meters",   u"Kilometers", u"DecimalDegrees",
    u"Decimeters",    u"InchesInt",   u"FeetInt",     u"YardsInt", u"MilesInt",   u"NauticalMilesInt",
};
constexpr std::array<std::u16string_view, 20> kAreal = {
    u"Unknown",       u"SquareInches",      u"SquareFeet",        u"SquareYards",         u"Acres",
    u"SquareMiles",   u"SquareMillimeters", u"SquareCentimeters", u"SquareDecimeters",    u"SquareMeters",
    u"Ares",          u"Hectares",          u"SquareKilometers",  u"SquareInchesUS",      u"SquareFeetUS",
    u"SquareYardsUS", u"AcresUS",           u"SquareMilesUS",     u"SquareNauticalMiles", u"SquareNauticalMilesUS",
};
constexpr std::array<std::u16string_view, 11> kTime = {
    u"Unknown", u"Milliseconds", u"Seconds", u"Minutes", u"Hours",     u"Days",
    u"Weeks",   u"Months",       u"Years",   u"Decades", u"Centuries",
};

template <class Enum, size_t N>
std::u16string_view Spelling(const std::array<std::u16string_view, N>& table, Enum units) {
    auto index = static_cast<int32_t>(units);
    return index >= 0 && static_cast<size_t>(index) < N ? table[static_cast<size_t>(index)] : table[0];
}

template <class Enum, size_t N>
Enum FromSpelling(const std::array<std::u16string_view, N>& table, std::u16string_view text) {
    for (size_t index = 1; index < N; ++index)
        if (EqualsNoCase(table[index], text))
            return static_cast<Enum>(index);
    return static_cast<Enum>(0);
}

} // namespace

namespace GeoprocessingUtil {

std::u16string_view ConvertUnitsToXMLString(taviUnits units) {
    return Spelling(kLinear, units);
}

taviUnits ConvertXMLStringToUnits(std::u16string_view text) {
    return FromSpelling<taviUnits>(kLinear, text);
}

std::u16string_view ConvertAreaUnitsToXMLString(taviAreaUnits units) {
    return Spelling(kAreal, units);
}

taviAreaUnits ConvertXMLStringToAreaUnits(std::u16string_view text) {
    return FromSpelling<taviAreaUnits>(kAreal, text);
}

} // namespace GeoprocessingUtil

namespace CartoXTimeHelpers {

std::u16string_view ConvertTimeUnitsToXMLString(taviTimeUnits units) {
    return Spelling(kTime, units);
}

taviTimeUnits ConvertXMLStringToTimeUnits(std::u16string_view text) {
    return FromSpelling<taviTimeUnits>(kTime, text);
}

} // namespace CartoXTimeHelpers

} // namespace tavi
