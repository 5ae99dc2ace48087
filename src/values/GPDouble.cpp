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
    return PutVariantAs(value, VT_R8, [&](const Variant& converted) { return put_Value(converted.dblVal); });
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
    return AssignThrough(source, &IGPDouble::get_Value, [&](double value) { return put_Value(value); });
}

HRESULT GPDouble::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    return IsEqualThrough(other, equal, &IGPDouble::get_Value, [&](double value) {
        return (std::isnan(value) && std::isnan(value_)) || value == value_; // NaN equals itself: a clone equals
    });
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
