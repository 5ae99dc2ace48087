// The host's query filter: which records to read from a table or a service, as an SQL where clause and the fields
// to read. The record set values keep one for fetching from a feature service and persist it with their forms.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/RecordSet.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi {

// A new filter selects every record ("" where clause) and every field ("*"). Texts are kept as given: the filter
// neither checks nor normalises the SQL; a null text is stored as the empty text.
//
// Stream form (little-endian): int16 version 1, then the where clause and the sub fields as Strings (StreamIO.h).
// Load reads everything before it changes anything: another version, a short stream or a damaged text gives E_FAIL
// and leaves the filter as it was.
//
// XML form: type "QueryFilter" in the library's namespace, string elements "WhereClause" and "SubFields", in that
// order. Reading takes either element when present (a missing "WhereClause" reads as "", a missing "SubFields" as
// "*"); one that is not a text gives E_FAIL and leaves the filter as it was.
class QueryFilter final
    : public Object<QueryFilter, IQueryFilter, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize> {
public:
    static constexpr CLSID kClassId = CLSID_QueryFilter;
    static constexpr const char16_t* kClassName = u"QueryFilter";
    static constexpr const char16_t* kAllFields = u"*";

    // IQueryFilter
    HRESULT get_WhereClause(BSTR* whereClause) override;
    HRESULT put_WhereClause(const OLECHAR* whereClause) override;
    HRESULT get_SubFields(BSTR* subFields) override;
    HRESULT put_SubFields(const OLECHAR* subFields) override;
    // IClone: any object answering IQueryFilter can be assigned (E_INVALIDARG otherwise); two filters are equal when
    // both texts are, compared exactly.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;
    // IPersistStream
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;
    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    String where_;
    String subFields_ = kAllFields;
    bool dirty_ = false;
};

// The where clause and sub fields of any IQueryFilter. The filter's own failure is returned.
HRESULT ReadQueryFilter(IQueryFilter* filter, String& whereClause, String& subFields);

} // namespace tavi
