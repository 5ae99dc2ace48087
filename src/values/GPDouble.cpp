// GPDouble: text, variant, stream and XML forms of a double.
#include "values/GPDouble.h"

#include "host/DoubleText.h"
#include "host/StreamIO.h"
#include "platform/BStr.h"

#include <cmath>

namespace tavi {

// ---- IGPDouble ----

HRESULT GPDouble::get_Value(double* value) {
    if (!value)
        return E_POINTER;
    *value = value_;
    return S_OK;
}

HRESULT GPDouble::put_Value(double value) {
    value_ = value;
    SetModified(); // also clears the empty flag
    return S_OK;
}

// ---- IGPVariant ----

HRESULT GPDouble::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    value->vt = VT_R8;
    value->dblVal = value_;
    return S_OK;
}

HRESULT GPDouble::put_Value(VARIANT value) {
    return guard([&]() -> HRESULT {
        Variant converted;
        if (FAILED(ConvertVariant(value, VT_R8, converted)))
            return E_FAIL;
        return put_Value(converted.dblVal);
    });
}

// ---- IGPValue ----

HRESULT GPDouble::Empty() {
    value_ = 0.0;
    return BaseEmpty();
}

HRESULT GPDouble::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        char16_t buffer[doubletext::kMaxText];
        size_t length = IsEmptyFlag() ? 0 : doubletext::Format(value_, buffer);
        *text = SysAllocStringLen(buffer, static_cast<uint32_t>(length));
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPDouble::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, kMessageCode, [&](std::u16string_view read) {
        double value = 0;
        if (!doubletext::Read(read, value))
            return false;
        put_Value(value);
        return true;
    });
}

// ---- IClone ----

HRESULT GPDouble::Assign(IClone* source) {
    auto other = QueryAs<IGPDouble>(source);
    double value = 0;
    if (!other || FAILED(other->get_Value(&value)))
        return E_INVALIDARG;
    put_Value(value);
    return BaseAssign(source);
}

HRESULT GPDouble::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto number = QueryAs<IGPDouble>(other);
    double value = 0;
    if (!number || FAILED(number->get_Value(&value)))
        return S_OK;
    bool same = (std::isnan(value) && std::isnan(value_)) || value == value_;
    return same ? BaseIsEqual(other, equal) : S_OK;
}

// ---- stream and XML forms ----

HRESULT GPDouble::SaveContent(IStream* stream, uint16_t) {
    return AfStreamWrite(stream, value_);
}

HRESULT GPDouble::LoadContent(IStream* stream, uint16_t) {
    double value = 0;
    if (FAILED(AfStreamRead(stream, &value)))
        return E_FAIL;
    value_ = value;
    return S_OK;
}

HRESULT GPDouble::SerializeContent(IXMLSerializeData* data) {
    return data->AddDouble(u"Value", value_);
}

HRESULT GPDouble::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    data->Find(u"Value", &index);
    double value = 0;
    if (index < 0 || FAILED(data->GetDouble(index, &value)))
        return E_FAIL;
    value_ = value;
    return S_OK;
}

} // namespace tavi
