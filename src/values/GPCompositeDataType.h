// The composite data type: a data type that takes a value of any one of its member data types. It has no value class
// of its own; it creates and checks values by asking its members in order. Its name stands for it in documents with
// the members by their names.
#pragma once

#include "host/DataTypeNameBase.h"
#include "host/GPDataType.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDomains.h"

#include <vector>

namespace tavi {

class GPCompositeDataType final
    : public GPDataType<GPCompositeDataType, IGPDataType, IClone, IGPCompositeDataType, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPCompositeDataType;
    static constexpr const char16_t* kClassName = u"GPCompositeDataType";
    static constexpr int32_t kDisplayNameId = 4510;
    // The message code of a composite checked against one of another member count.
    static constexpr int32_t kMemberCountDiffers = 1;
    GPCompositeDataType();

    // IGPDataType
    HRESULT get_DisplayName(BSTR* name) override; // the members' display names joined by " or "
    HRESULT get_ControlCLSID(IUID** control) override;
    HRESULT get_FullName(IName** fullName) override;
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override;
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPCompositeDataType
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_DataType(int32_t index, IGPDataType** dataType) override;
    HRESULT AddDataType(IGPDataType* dataType) override;
    HRESULT RemoveDataType(int32_t index) override;

    // IGxFilterInfo: the filters of the members that have some, in member order.
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

private:
    // Whether the member's value is the one to take (stored data must open; other values must be no field).
    bool Takes(IGPDataType* member, IGPValue* value, IUnknown* utilities) const;

    std::vector<ComPtr<IGPDataType>> members_;
};

class GPCompositeDataTypeName final
    : public DataTypeNameBase<GPCompositeDataTypeName, IName, IGPName, IGPDataTypeName, IGPCompositeDataTypeName,
                              IXMLSerialize, IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_GPCompositeDataTypeName;
    static constexpr const char16_t* kClassName = u"GPCompositeDataTypeName";
    static constexpr NameTexts kTexts{u"GPCompositeTypeName", 4510, 4509, 4508};
    static constexpr uint16_t kStreamVersion = 1;

    // IName: a new composite type with every stored member name opened (names that do not open are skipped).
    HRESULT Open(IUnknown** type) override;

    // IGPCompositeDataTypeName
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_DataTypeName(int32_t index, IGPDataTypeName** name) override;
    HRESULT AddDataTypeName(IUnknown* name) override;
    HRESULT RemoveDataTypeName(int32_t index) override;

    // IPersistStream: version 1, the member count (32-bit), each name as a nested object.
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;

    // IXMLSerialize: the names as the object array "GPDataTypeNameArray".
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

    // Releases every member name.
    void SetList();

private:
    std::vector<ComPtr<IUnknown>> members_;
};

} // namespace tavi
