// A table description: a data element that names a table (its kind, catalog path and name) and holds its fields and
// object identifier field, without the data behind it. Objects that refer to tables keep and store descriptions;
// the data is opened again from the catalog path when it is needed.
//
// Stream form (version 1): the element's type name ("DETable" or "DEFeatureClass"), catalog path and name, the
// object identifier field's name (Strings), the field count (32-bit signed), then each field as a nested object.
#pragma once

#include "data/DataElement.h"
#include "tavi/GPValue.h"
#include "tavi/Stream.h"

namespace tavi {

class TableDescription final : public DataElementObject<TableDescription, IDEGdbTable7, IClone, IPersistStream,
                                                        Alias<IPersist, IPersistStream>> {
public:
    static constexpr CLSID kClassId = CLSID_DETableDescription;
    static constexpr const char16_t* kClassName = u"DETableDescription";
    // An empty description: a table named by nothing, without fields.
    TableDescription();
    TableDescription(String typeName, String catalogPath, String name);

    // IGPValue: a description may be cleared; it then names nothing (empty type "DETable", catalog path and name),
    // without fields.
    HRESULT Empty() override;

    // IDEGdbTable7
    HRESULT get_Fields(IFields** fields) override;
    HRESULT putref_Fields(IFields* fields) override;
    HRESULT get_HasOID(VARIANT_BOOL* hasOID) override;
    HRESULT get_OIDFieldName(BSTR* name) override;
    HRESULT put_OIDFieldName(const OLECHAR* name) override;

    // IClone: descriptions are equal when they name the same data (kind, catalog path and name) with equal fields.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    // IPersistStream; a description keeps no dirty flag and is always saved.
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override { return S_OK; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;

private:
    friend HRESULT DescribeTable(IUnknown* table, bool withFields, ComPtr<TableDescription>& description);

    ComPtr<IFields> fields_;
    String oidFieldName_;
};

// A description of the table `table` (a data element, and a table description when it answers IDEGdbTable7) with
// its fields, or, without `withFields`, with an empty field list: the light copy that is stored in place of a table.
// E_INVALIDARG when `table` is no data element.
HRESULT DescribeTable(IUnknown* table, bool withFields, ComPtr<TableDescription>& description);

} // namespace tavi
