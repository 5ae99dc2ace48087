// The XML spellings of linear, areal and time units in the host's documents.
//
// Each unit is written as its plain English plural in one word, the same text the unit values print after their
// number: "Meters", "SquareMeters", "Hours", "NauticalMilesInt", "SquareFeetUS"; 0 (and any number outside the
// enumeration) is written "Unknown". The readers take exactly those spellings in any letter case and answer 0
// (Unknown) for any other text, so what a writer writes always reads back.
#pragma once

#include "host/String.h"
#include "tavi/GPUnits.h"

#include <string_view>

namespace tavi {

namespace GeoprocessingUtil {
std::u16string_view ConvertUnitsToXMLString(taviUnits units);
taviUnits ConvertXMLStringToUnits(std::u16string_view text);
std::u16string_view ConvertAreaUnitsToXMLString(taviAreaUnits units);
taviAreaUnits ConvertXMLStringToAreaUnits(std::u16string_view text);
} // namespace GeoprocessingUtil

namespace CartoXTimeHelpers {
std::u16string_view ConvertTimeUnitsToXMLString(taviTimeUnits units);
taviTimeUnits ConvertXMLStringToTimeUnits(std::u16string_view text);
} // namespace CartoXTimeHelpers

} // namespace tavi
