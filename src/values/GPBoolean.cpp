// GPBoolean: text, variant, stream and XML forms of a yes/no answer.
#include "values/GPBoolean.h"

#include "host/StreamIO.h"
#include "platform/BStr.h"

#include <optional>

namespace tavi {

namespace {

// True when `text` is the lower-case ASCII `keyword` in any letter case. Only ASCII letters fold, so no other
// character (such as a long s standing for an s under full case folding) makes a keyword.
bool IsKeyword(std::u16string_view text, std::u16string_view keyword) {
    if (text.size() != keyword.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? char16_t(text[i] + (u'a' - u'A')) : text[i];
        if (c != keyword[i])
            return false;
    }
    return true;
}

// The value a keyword stands for; nothing for any other text (blanks around a keyword included).
std::optional<VARIANT_BOOL> KeywordValue(std::u16string_view text) {
    if (IsKeyword(text, u"true") || text == u"1")
        return VARIANT_TRUE;
    if (IsKeyword(text, u"false") || text == u"0")
        return VARIANT_FALSE;
    return std::nullopt;
}

} // namespace

// ---- IGPBoolean ----

HRESULT GPBoolean::get_Value(VARIANT_BOOL* value) {
    if (!value)
        return E_POINTER;
    *value = value_;
    return S_OK;
}

HRESULT GPBoolean::put_Value(VARIANT_BOOL value) {
    value_ = value;
    SetModified(); // also clears the empty flag
    return S_OK;
}

// ---- IGPVariant ----

HRESULT GPBoolean::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    value->vt = VT_BOOL;
    value->boolVal = value_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPBoolean::put_Value(VARIANT value) {
    return PutVariantAs(value, VT_BOOL, [&](const Variant& converted) { return put_Value(converted.boolVal); });
}

// ---- IGPValue ----

HRESULT GPBoolean::Empty() {
    value_ = VARIANT_FALSE;
    return BaseEmpty();
}

HRESULT GPBoolean::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    *text = SysAllocString(IsEmptyFlag() ? u"" : value_ ? u"true" : u"false");
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPBoolean::SetAsText(const OLECHAR* text, IGPMessage** message) {
    // Any text other than a keyword fails the call, and no message is handed out, so callers have nothing to
    // release.
    return SetAsTextWith(text, message, kRefuseText, [&](std::u16string_view read) {
        auto value = KeywordValue(read);
        if (value)
            put_Value(*value);
        return value.has_value();
    });
}

// ---- IClone ----

HRESULT GPBoolean::Assign(IClone* source) {
    return AssignThrough(source, &IGPBoolean::get_Value, [&](VARIANT_BOOL value) { return put_Value(value); });
}

HRESULT GPBoolean::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    return IsEqualThrough(other, equal, &IGPBoolean::get_Value, [&](VARIANT_BOOL value) { return value == value_; });
}

// ---- stream and XML forms ----

HRESULT GPBoolean::SaveContent(IStream* stream, uint16_t) {
    return AfStreamWrite(stream, value_);
}

HRESULT GPBoolean::LoadContent(IStream* stream, uint16_t) {
    VARIANT_BOOL value = VARIANT_FALSE;
    if (FAILED(AfStreamRead(stream, &value)))
        return E_FAIL;
    value_ = value;
    return S_OK;
}

HRESULT GPBoolean::SerializeContent(IXMLSerializeData* data) {
    return data->AddBoolean(u"Value", value_ ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT GPBoolean::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    data->Find(u"Value", &index);
    VARIANT_BOOL value = VARIANT_FALSE;
    if (index < 0 || FAILED(data->GetBoolean(index, &value)))
        return E_FAIL;
    value_ = value;
    return S_OK;
}

} // namespace tavi
