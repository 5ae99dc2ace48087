// The data types of the boolean, numeric and date values: GPBooleanType, GPLongType, GPDoubleType and GPDateType.
// Each is pure data on the data type base: its name, display name, identities and the value it makes.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPScalar.h"

namespace tavi {

class GPBooleanType final : public GPDataType<GPBooleanType, IGPBooleanType, IGPDataType, IGPVariantType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPBooleanType;
    static constexpr const char16_t* kClassName = u"GPBooleanType";
    static constexpr int32_t kDisplayNameId = 4504;
    static constexpr CLSID kControlClassId{
        0x330553DC, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    GPBooleanType();
};

class GPLongType final : public GPDataType<GPLongType, IGPLongType, IGPDataType, IGPVariantType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPLongType;
    static constexpr const char16_t* kClassName = u"GPLongType";
    static constexpr int32_t kDisplayNameId = 4665;
    static constexpr CLSID kControlClassId{
        0x330553E2, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    GPLongType();
};

// Answers IGPVariantType before its own marker; callers cannot tell the difference.
class GPDoubleType final : public GPDataType<GPDoubleType, IGPVariantType, IGPDoubleType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPDoubleType;
    static constexpr const char16_t* kClassName = u"GPDoubleType";
    static constexpr int32_t kDisplayNameId = 4617;
    static constexpr CLSID kControlClassId{
        0x330553E0, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    GPDoubleType();
};

// Makes GPDate values (CLSID_GPDate) and accepts what answers IGPDate.
class GPDateType final : public GPDataType<GPDateType, IGPDateType, IGPDataType, IGPVariantType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPDateType;
    static constexpr const char16_t* kClassName = u"GPDateType";
    static constexpr int32_t kDisplayNameId = 4521;
    static constexpr CLSID kControlClassId{
        0x330553E4, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    GPDateType();
};

} // namespace tavi
