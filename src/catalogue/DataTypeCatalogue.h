// The catalogue of data types: one row per data type the data type factory knows, in the order the factory lists
// them, and the case-insensitive name lookup over it.
#pragma once

#include "tavi/Unknown.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tavi {

struct DataTypeCatalogueRow {
    const char16_t* name;  // the data type name, e.g. u"GPLong"
    CLSID dataTypeClassId; // the class the factory creates for the name
    CLSID nameClassId;     // the class of the descriptive name object (the host's data type name class)
    // String resources of the name object's texts. The display name is the one the data type itself loads.
    int32_t displayNameId;
    int32_t descriptionId;
    int32_t categoryId;
};

// The 85 rows, in table order.
std::span<const DataTypeCatalogueRow> DataTypeCatalogue();

// The position of the first row, in table order, whose name equals `name` ignoring case (the platform's
// case-insensitive comparison, so "gplong" finds "GPLong"); -1 when none does. Safe to call from any thread.
int32_t FindDataTypeRow(std::u16string_view name);

} // namespace tavi
