// The data types that stand for several kinds of value: GPVariantType (any scalar value, held in a variant) and
// GPType (any value at all).
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPScalar.h"

namespace tavi {

// Answers every scalar marker interface, so it passes any check that asks for one of the scalar types. It accepts
// the data types that answer a scalar marker (GPDoubleType through IGPVariantType) and the values that answer a
// scalar value interface or IGPVariant.
class GPVariantType final
    : public GPDataType<GPVariantType, IGPVariantType, IGPDataType, IGPBooleanType, IGPStringType, IGPDateType,
                        IGPDoubleType, IGPLongType, IClone, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPVariantType;
    static constexpr const char16_t* kClassName = u"GPVariantType";
    static constexpr int32_t kDisplayNameId = 4768;
    static constexpr CLSID kControlClassId{
        0xDA8EA072, 0xAD53, 0x11D5, {0xA6, 0x85, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    // Document versions from this one on know the variant type; older ones get the string type.
    static constexpr int32_t kFirstDocumentVersion = 2;

    GPVariantType();

    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;

    // IDocumentVersionSupport: the replacement is a new GPStringType (S_OK with null when it cannot be made).
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;
};

// The data type of any value: everything comes from the base, so it accepts every data type and every value, and
// CreateValue of any text gives a GPString.
class GPType final : public GPDataType<GPType, IGPDataType, IGPType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPType;
    static constexpr const char16_t* kClassName = u"GPType";
    static constexpr int32_t kDisplayNameId = 4647;
    static constexpr CLSID kControlClassId{
        0x330553E6, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};

    GPType();
};

} // namespace tavi
