// The variant value.
#include "values/GPVariant.h"

#include "host/StreamIO.h"
#include "values/GPString.h"

namespace tavi {

namespace variantvalue {

namespace {

bool SameArray(const SAFEARRAY* a, const SAFEARRAY* b, VARTYPE elementKind) {
    if (!a || !b)
        return a == b;
    if (a->cDims != 1 || b->cDims != 1 || a->rgsabound[0].cElements != b->rgsabound[0].cElements ||
        a->rgsabound[0].lLbound != b->rgsabound[0].lLbound)
        return false;
    const int32_t first = a->rgsabound[0].lLbound;
    for (uint32_t i = 0; i < a->rgsabound[0].cElements; ++i) {
        const int32_t index = first + static_cast<int32_t>(i);
        Variant left, right;
        if (elementKind == VT_VARIANT) {
            if (FAILED(SafeArrayGetElement(a, &index, &left)) || FAILED(SafeArrayGetElement(b, &index, &right)))
                return false;
        } else {
            // A scalar element lands at the start of the variant's payload, where its kind expects it.
            if (FAILED(SafeArrayGetElement(a, &index, &left.llVal)))
                return false;
            left.vt = elementKind;
            if (FAILED(SafeArrayGetElement(b, &index, &right.llVal)))
                return false;
            right.vt = elementKind;
        }
        if (!SameVariant(left, right))
            return false;
    }
    return true;
}

} // namespace

bool SameVariant(const VARIANT& a, const VARIANT& b) {
    if (a.vt != b.vt)
        return false;
    if (a.vt & VT_ARRAY)
        return SameArray(a.parray, b.parray, static_cast<VARTYPE>(a.vt & VT_TYPEMASK));
    switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return SameObject(a.punkVal, b.punkVal);
    default:
        return VarCmp(&a, &b, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
    }
}

} // namespace variantvalue

GPVariant::GPVariant() : GPValue(kClassId, CLSID_GPVariantType) {
    // A new variant holds the 16-bit number 0 and is empty.
    value_.vt = VT_I2;
    value_.iVal = 0;
}

void GPVariant::Store(Variant value) {
    value_ = std::move(value);
    SetModified();
}

// ---- IGPVariant and IGPDate ----

HRESULT GPVariant::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return guard([&]() -> HRESULT { return SUCCEEDED(VariantCopy(value, &value_)) ? S_OK : E_FAIL; });
}

HRESULT GPVariant::put_Value(VARIANT value) {
    return guard([&]() -> HRESULT {
        Variant copy;
        if (FAILED(VariantCopy(&copy, &value)))
            return E_FAIL;
        Store(std::move(copy));
        return S_OK;
    });
}

// ---- IGPBoolean ----

HRESULT GPVariant::get_Value(VARIANT_BOOL* value) {
    if (!value)
        return E_POINTER;
    *value = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        Variant converted;
        if (FAILED(Converted(VT_BOOL, converted)))
            return E_FAIL;
        *value = converted.boolVal;
        return S_OK;
    });
}

HRESULT GPVariant::put_Value(VARIANT_BOOL value) {
    return guard([&] {
        Variant number;
        number.vt = VT_I2;
        number.iVal = value;
        Store(std::move(number));
    });
}

// ---- IGPString ----

HRESULT GPVariant::get_Value(BSTR* value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String text;
        if (!IsEmptyFlag() && FAILED(stringvalue::VariantText(value_, text)))
            return E_FAIL;
        *value = MakeBSTR(text);
        return *value ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPVariant::put_Value(const OLECHAR* value) {
    if (!value || !*value)
        return Empty();
    return guard([&] { Store(Variant::Text(value)); });
}

// ---- IGPDouble ----

HRESULT GPVariant::get_Value(double* value) {
    if (!value)
        return E_POINTER;
    *value = 0;
    return guard([&]() -> HRESULT {
        Variant converted;
        if (FAILED(Converted(VT_R8, converted)))
            return E_FAIL;
        *value = converted.dblVal;
        return S_OK;
    });
}

HRESULT GPVariant::put_Value(double value) {
    return guard([&] { Store(Variant::Double(value)); });
}

// ---- IGPLong ----

HRESULT GPVariant::get_Value(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = 0;
    return guard([&]() -> HRESULT {
        Variant converted;
        if (FAILED(Converted(VT_I4, converted)))
            return E_FAIL;
        *value = converted.lVal;
        return S_OK;
    });
}

HRESULT GPVariant::put_Value(int32_t value) {
    return guard([&] { Store(Variant::Int(value)); });
}

HRESULT GPVariant::get_Value64(int64_t* value) {
    if (!value)
        return E_POINTER;
    *value = 0;
    return guard([&]() -> HRESULT {
        Variant converted;
        if (FAILED(Converted(VT_I8, converted)))
            return E_FAIL;
        *value = converted.llVal;
        return S_OK;
    });
}

HRESULT GPVariant::put_Value64(int64_t value) {
    return guard([&] {
        Variant number;
        number.vt = VT_I8;
        number.llVal = value;
        Store(std::move(number));
    });
}

// ---- IGPValue ----

HRESULT GPVariant::Empty() {
    value_.Clear();
    return BaseEmpty();
}

HRESULT GPVariant::GetAsText(BSTR* text) {
    return get_Value(text);
}

HRESULT GPVariant::SetAsText(const OLECHAR* text, IGPMessage** message) {
    HRESULT hr = NewTextMessage(message);
    if (FAILED(hr))
        return hr;
    return put_Value(text);
}

// ---- IClone ----

HRESULT GPVariant::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IGPVariant>(source);
        if (!other)
            return E_INVALIDARG;
        Variant read;
        if (FAILED(other->get_Value(read.Out())))
            return E_FAIL;
        Store(std::move(read));
        return BaseAssign(source);
    });
}

HRESULT GPVariant::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto variant = QueryAs<IGPVariant>(other);
        if (!variant)
            return S_OK;
        Variant read;
        if (FAILED(variant->get_Value(read.Out())) || !variantvalue::SameVariant(read, value_))
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

// ---- stream and XML forms ----

HRESULT GPVariant::SaveContent(IStream* stream, uint16_t) {
    return WriteVariant(stream, value_);
}

HRESULT GPVariant::LoadContent(IStream* stream, uint16_t) {
    Variant read;
    if (FAILED(ReadVariant(stream, &read)))
        return E_FAIL;
    value_ = std::move(read);
    return S_OK;
}

HRESULT GPVariant::SerializeContent(IXMLSerializeData* data) {
    return data->AddVariant(u"Value", &value_);
}

HRESULT GPVariant::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    if (FAILED(data->Find(u"Value", &index)) || index < 0)
        return E_FAIL;
    Variant read;
    if (FAILED(data->GetVariant(index, &read)))
        return E_FAIL;
    if (read.vt != VT_EMPTY)
        value_ = std::move(read);
    return S_OK;
}

// ---- IDocumentVersionSupport ----

HRESULT GPVariant::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPVariant::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    BStr text;
    GetAsText(text.Out()); // a variant without a text (a null) gives an empty string
    return PlainStringReplacement(text.view(), replacement);
}

} // namespace tavi
