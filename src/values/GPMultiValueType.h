// The data type of multi-values, which carries the member data type every member is made and checked with, and the
// name that stands for it in documents (the member data type by its own name).
#pragma once

#include "host/DataTypeNameBase.h"
#include "host/GPDataType.h"
#include "tavi/GPComposite.h"

namespace tavi {

class GPMultiValueType final
    : public GPDataType<GPMultiValueType, IGPDataType, IClone, IGPMultiValueType, IGPValueTableType> {
public:
    static constexpr CLSID kClassId = CLSID_GPMultiValueType;
    static constexpr const char16_t* kClassName = u"GPMultiValueType";
    static constexpr int32_t kDisplayNameId = 4669;
    static constexpr CLSID kControlClassId{
        0x1BD455F0, 0xCB33, 0x11D5, {0xA6, 0x98, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    GPMultiValueType();

    // IGPDataType: the full name carries the member type's name; values get the member type; checks defer to it.
    HRESULT get_FullName(IName** fullName) override;
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override;
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;

    // IClone: the member type is shared, not copied.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPMultiValueType
    HRESULT putref_MemberDataType(IGPDataType* dataType) override;
    HRESULT get_MemberDataType(IGPDataType** dataType) override;

    // IGPValueTableType: one column, the member type (when there is one).
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_DataType(int32_t index, IGPDataType** dataType) override;
    HRESULT get_Width(int32_t index, int32_t* width) override;
    HRESULT get_DisplayName(int32_t index, BSTR* name) override;
    HRESULT AddDataType(IGPDataType* dataType, const OLECHAR* displayName, int32_t width, IUnknown* control) override;
    HRESULT RemoveDataType(int32_t index) override;
    HRESULT get_ControlCLSID(int32_t index, IUID** control) override;
    HRESULT put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) override;
    HRESULT get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) override;

    using GPDataType::get_ControlCLSID;
    using GPDataType::get_DisplayName;

    IGPDataType* MemberDataType() const { return member_.Get(); }

private:
    ComPtr<IGPDataType> member_;
    CLSID columnControl_ = GUID_NULL;
};

class GPMultiValueTypeName final
    : public DataTypeNameBase<GPMultiValueTypeName, IName, IGPName, IGPDataTypeName, IGPMultiValueDataTypeName,
                              IXMLSerialize, IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_GPMultiValueTypeName;
    static constexpr const char16_t* kClassName = u"GPMultiValueTypeName";
    static constexpr NameTexts kTexts{u"GPMultiValue", 4669, 4668, 4667};
    static constexpr uint16_t kStreamVersion = 1;

    // IName: a new multi-value type with the member type opened from its stored name.
    HRESULT Open(IUnknown** type) override;

    // IGPMultiValueDataTypeName
    HRESULT get_MemberDataTypeName(IGPDataTypeName** name) override;
    HRESULT putref_MemberDataTypeName(IUnknown* name) override;

    // IPersistStream: version 1, then the member name as a nested object.
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;

    // IXMLSerialize: the member name as the object element "GPDataTypeName".
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    ComPtr<IGPName> member_;
};

} // namespace tavi
