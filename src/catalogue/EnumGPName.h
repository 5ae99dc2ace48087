// EnumGPName: an editable list of names. Callers fill it through IArray (and IArray2) and read it back through
// IEnumGPName, which hands out each element queried for IGPName.
#pragma once

#include "frame/Enumerators.h"
#include "tavi/GPCatalog.h"

namespace tavi {

// Wraps a platform object array; when that array cannot be made the list still exists and its operations answer
// E_UNEXPECTED.
class EnumGPName final : public ComEnumBase<EnumGPName, IEnumGPName, IGPName> {
public:
    static constexpr CLSID kClassId = CLSID_EnumGPName;
    static constexpr const char16_t* kClassName = u"EnumGPName";
};

} // namespace tavi
