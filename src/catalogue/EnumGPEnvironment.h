// EnumGPEnvironment: an editable list of settings. Callers fill it through IArray (and IArray2) and read it back
// through IEnumGPEnvironment, which hands out each element queried for IGPEnvironment.
#pragma once

#include "frame/Enumerators.h"
#include "tavi/GPEnvironment.h"

namespace tavi {

// Wraps a platform object array; when that array cannot be made the list still exists and its operations answer
// E_UNEXPECTED.
class EnumGPEnvironment final : public ComEnumBase<EnumGPEnvironment, IEnumGPEnvironment, IGPEnvironment> {
public:
    static constexpr CLSID kClassId = CLSID_EnumGPEnvironment;
    static constexpr const char16_t* kClassName = u"EnumGPEnvironment";
};

} // namespace tavi
