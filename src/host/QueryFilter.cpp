// The host's query filter: see QueryFilter.h.
#include "host/QueryFilter.h"

#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "platform/HandOut.h"

namespace tavi {

namespace {
constexpr int16_t kStreamVersion = 1;
constexpr const char16_t* kXmlWhereClause = u"WhereClause";
constexpr const char16_t* kXmlSubFields = u"SubFields";

std::u16string_view TextOf(const OLECHAR* text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

// The text of element `name` into `text` when the element is there; false when it is there but holds no text.
bool ReadOptionalText(IXMLSerializeData* data, const char16_t* name, String& text) {
    int32_t index = -1;
    if (FAILED(data->Find(name, &index)) || index < 0)
        return true;
    BStr value;
    if (FAILED(data->GetString(index, value.Out())))
        return false;
    text = value.str();
    return true;
}
} // namespace

HRESULT QueryFilter::get_WhereClause(BSTR* whereClause) {
    return HandOut(where_, whereClause);
}

HRESULT QueryFilter::put_WhereClause(const OLECHAR* whereClause) {
    return guard([&] {
        where_ = TextOf(whereClause);
        dirty_ = true;
    });
}

HRESULT QueryFilter::get_SubFields(BSTR* subFields) {
    return HandOut(subFields_, subFields);
}

HRESULT QueryFilter::put_SubFields(const OLECHAR* subFields) {
    return guard([&] {
        subFields_ = TextOf(subFields);
        dirty_ = true;
    });
}

HRESULT QueryFilter::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<QueryFilter>();
        copy->where_ = where_;
        copy->subFields_ = subFields_;
        return copy.As<IClone>().CopyTo(clone);
    });
}

HRESULT QueryFilter::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IQueryFilter>(source);
        if (!other)
            return E_INVALIDARG;
        String where, subFields;
        if (FAILED(ReadQueryFilter(other.Get(), where, subFields)))
            return E_FAIL;
        where_ = std::move(where);
        subFields_ = std::move(subFields);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT QueryFilter::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto filter = QueryAs<IQueryFilter>(other);
        String where, subFields;
        if (filter && SUCCEEDED(ReadQueryFilter(filter.Get(), where, subFields)) && where == where_ &&
            subFields == subFields_)
            *equal = VARIANT_TRUE;
    });
}

HRESULT QueryFilter::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IQueryFilter*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT QueryFilter::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int16_t version = 0;
        String where, subFields;
        if (FAILED(AfStreamRead(stream, &version)) || version != kStreamVersion || FAILED(ReadString(stream, &where)) ||
            FAILED(ReadString(stream, &subFields)))
            return E_FAIL;
        where_ = std::move(where);
        subFields_ = std::move(subFields);
        dirty_ = false;
        return S_OK;
    });
}

HRESULT QueryFilter::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kStreamVersion)) || FAILED(WriteString(stream, where_)) ||
            FAILED(WriteString(stream, subFields_)))
            return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT QueryFilter::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    *size = sizeof(int16_t) + 2 * sizeof(int32_t) + (where_.size() + subFields_.size()) * sizeof(char16_t);
    return S_OK;
}

HRESULT QueryFilter::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(kClassName);
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (HRESULT hr = data->AddString(kXmlWhereClause, where_.c_str()); FAILED(hr))
            return hr;
        return data->AddString(kXmlSubFields, subFields_.c_str());
    });
}

HRESULT QueryFilter::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        String where;
        String subFields = kAllFields;
        if (!ReadOptionalText(data, kXmlWhereClause, where) || !ReadOptionalText(data, kXmlSubFields, subFields))
            return E_FAIL;
        where_ = std::move(where);
        subFields_ = std::move(subFields);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT ReadQueryFilter(IQueryFilter* filter, String& whereClause, String& subFields) {
    if (!filter)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        BStr where, fields;
        if (HRESULT hr = filter->get_WhereClause(where.Out()); FAILED(hr))
            return hr;
        if (HRESULT hr = filter->get_SubFields(fields.Out()); FAILED(hr))
            return hr;
        whereClause = where.str();
        subFields = fields.str();
        return S_OK;
    });
}

} // namespace tavi
