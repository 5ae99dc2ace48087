// The data types of the string values: GPStringType and GPStringHiddenType. Both are pure data on the data type
// base; the hidden type's CreateValue decodes the escaped form of its text.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPScalar.h"

namespace tavi {

class GPStringType final : public GPDataType<GPStringType, IGPStringType, IGPDataType, IGPVariantType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPStringType;
    static constexpr const char16_t* kClassName = u"GPStringType";
    static constexpr int32_t kDisplayNameId = 4690;
    static constexpr CLSID kControlClassId{
        0xDA8EA072, 0xAD53, 0x11D5, {0xA6, 0x85, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    GPStringType();
};

class GPStringHiddenType final
    : public GPDataType<GPStringHiddenType, IGPStringHiddenType, IGPDataType, IGPVariantType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPStringHiddenType;
    static constexpr const char16_t* kClassName = u"GPStringHiddenType";
    static constexpr int32_t kDisplayNameId = 4741;
    static constexpr CLSID kControlClassId{
        0x9CFEE873, 0x8C35, 0x4BFF, {0xB2, 0x16, 0x70, 0xB4, 0x96, 0xDF, 0x3E, 0x01}};
    GPStringHiddenType();

    // A new hidden string; a text that is not empty goes through IGPStringHidden::put_Value, so "\n" becomes a
    // line feed, and that call's result is returned.
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override;
};

} // namespace tavi
