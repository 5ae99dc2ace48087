// The value table data type (its columns and checks are host/GPValueTableTypeBase.h's), the name that stands for it
// in documents, and that name's per-column property of its XML form.
#pragma once

#include "host/DataTypeNameBase.h"
#include "host/GPValueTableTypeBase.h"
#include "tavi/GPComposite.h"

#include <vector>

namespace tavi {

class GPValueTableType final : public GPValueTableTypeBase<GPValueTableType> {
public:
    static constexpr CLSID kClassId = CLSID_GPValueTableType;
    static constexpr const char16_t* kClassName = u"GPValueTableType";
    static constexpr int32_t kDisplayNameId = 4699;
    static constexpr CLSID kControlClassId{
        0xECC50417, 0x8F28, 0x4829, {0x89, 0xE2, 0xE7, 0x02, 0x6B, 0xEB, 0xFB, 0xB7}};
    GPValueTableType();
};

// The name of a value table data type: per column the data type's own name, the heading, the width (0 given becomes
// 20), the read-only setting and the editing control.
//
// Stream form (version 3): the column count, 32-bit; per column the name as a nested object, the heading as a
// String, the width, 32-bit, and the control as a nested object (none allowed). The read-only settings are not kept.
// Load reads versions up to 3: before version 2 a further nested object follows the name (read and dropped), before
// version 3 there is no control. XML form: the object array "GPValueTableTypeNamePropertiesArray" of one
// GPValueTableTypeNameProperty per column (read-only settings not kept either). A read that fails changes nothing.
class GPValueTableTypeName final
    : public DataTypeNameBase<GPValueTableTypeName, IName, IGPName, IGPDataTypeName, IGPValueTableTypeName,
                              IXMLSerialize, IPersistStream, Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_GPValueTableTypeName;
    static constexpr const char16_t* kClassName = u"GPValueTableTypeName";
    static constexpr NameTexts kTexts{u"GPValueTable", 4699, 4698, 4697};
    static constexpr uint16_t kStreamVersion = 3;
    static constexpr int32_t kDefaultWidth = 20;

    // IName: a new value table type with every column whose name opens to a data type.
    HRESULT Open(IUnknown** type) override;

    // IGPValueTableTypeName
    HRESULT get_Count(int32_t* count) override;
    HRESULT get_DataTypeName(int32_t index, IGPDataTypeName** name) override;
    HRESULT put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) override;
    HRESULT get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) override;
    HRESULT get_Width(int32_t index, int32_t* width) override;
    HRESULT get_DisplayName(int32_t index, BSTR* name) override;
    HRESULT AddDataType(IUnknown* name, const OLECHAR* displayName, int32_t width, IUnknown* control) override;
    HRESULT RemoveDataType(int32_t index) override;
    HRESULT get_ControlCLSID(int32_t index, IUID** control) override;

    using DataTypeNameBase::get_DisplayName;

    // IPersistStream
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    struct Column {
        ComPtr<IUnknown> name;
        String displayName;
        int32_t width = kDefaultWidth;
        bool readOnly = false;
        ComPtr<IUID> control;
    };
    bool IsColumn(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < columns_.size(); }
    static Column MakeColumn(IUnknown* name, const OLECHAR* displayName, int32_t width, IUnknown* control);

    std::vector<Column> columns_;
};

// One column of a value table type name in its XML form: "Width" (integer), "DataTypeName" (object), "DisplayName"
// (string) and "ControlCLSID" (identifier object); reading leaves a field whose element is missing as it was.
class GPValueTableTypeNameProperty final
    : public Object<GPValueTableTypeNameProperty, IGPValueTableTypeNameProperty, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_GPValueTableTypeNameProperty;
    static constexpr const char16_t* kClassName = u"GPValueTableTypeNameProperty";

    // IGPValueTableTypeNameProperty
    HRESULT get_Width(int32_t* width) override;
    HRESULT put_Width(int32_t width) override;
    HRESULT get_Flag(VARIANT_BOOL* flag) override;
    HRESULT put_Flag(VARIANT_BOOL flag) override;
    HRESULT get_DataTypeName(IGPDataTypeName** name) override;
    HRESULT putref_DataTypeName(IUnknown* name) override;
    HRESULT put_DisplayName(const OLECHAR* name) override;
    HRESULT get_DisplayName(BSTR* name) override;
    HRESULT putref_ControlCLSID(IUID* control) override;
    HRESULT get_ControlCLSID(IUID** control) override;

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    int32_t width_ = 0;
    VARIANT_BOOL flag_ = VARIANT_FALSE;
    ComPtr<IUnknown> name_;
    String displayName_;
    ComPtr<IUID> control_;
};

} // namespace tavi
