// GPLong: text, variant, stream and XML forms of a 64-bit whole number.
#include "values/GPLong.h"

#include "host/StreamIO.h"
#include "platform/BStr.h"

#include <cmath>
#include <limits>
#include <new>

namespace tavi {

namespace {

// Save versions by document version: the newer application line writes the 64-bit form (2) only from its last
// entry on; every older-line document gets the 32-bit form (1).
constexpr int16_t kNewerSaveVersions[18] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
constexpr int16_t kOlderSaveVersions[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

bool Fits32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// The value of a "Value" element. The element is written with the writer's double operation, whose shortest text
// may be "1e+06" rather than digits, so a whole double within 32 bits is taken as well as an integer.
bool ReadValueElement(IXMLSerializeData* data, int32_t index, int64_t& out) {
    int32_t integer = 0;
    if (SUCCEEDED(data->GetInteger(index, &integer))) {
        out = integer;
        return true;
    }
    double number = 0;
    if (FAILED(data->GetDouble(index, &number)) || std::trunc(number) != number ||
        number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int64_t>(number);
    return true;
}

// The value of a "Value64" element: a variant converted to VT_I8.
bool ReadValue64Element(IXMLSerializeData* data, int32_t index, int64_t& out) {
    Variant value;
    if (FAILED(data->GetVariant(index, value.Out())) || FAILED(value.ChangeType(VT_I8)))
        return false;
    out = value.llVal;
    return true;
}

} // namespace

bool GPLong::FitsIn32Bits() const {
    return Fits32(value_);
}

void GPLong::Store(int64_t value) {
    value_ = value;
    SetModified(); // also clears the empty flag
}

// ---- IGPLong ----

HRESULT GPLong::get_Value(int32_t* value) {
    if (!value)
        return E_POINTER;
    if (!FitsIn32Bits()) {
        *value = -1;
        return E_FAIL;
    }
    *value = static_cast<int32_t>(value_);
    return S_OK;
}

HRESULT GPLong::put_Value(int32_t value) {
    Store(value);
    return S_OK;
}

HRESULT GPLong::get_Value64(int64_t* value) {
    if (!value)
        return E_POINTER;
    *value = value_;
    return S_OK;
}

HRESULT GPLong::put_Value64(int64_t value) {
    Store(value);
    return S_OK;
}

// ---- IGPVariant ----

HRESULT GPLong::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    if (FitsIn32Bits()) {
        value->vt = VT_I4;
        value->lVal = static_cast<int32_t>(value_);
    } else {
        value->vt = VT_I8;
        value->llVal = value_;
    }
    return S_OK;
}

HRESULT GPLong::put_Value(VARIANT value) {
    return PutVariantAs(value, VT_I8, [&](const Variant& converted) {
        Store(converted.llVal);
        return S_OK;
    });
}

// ---- IGPValue ----

HRESULT GPLong::Empty() {
    value_ = 0;
    return BaseEmpty();
}

HRESULT GPLong::GetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    if (IsEmptyFlag()) {
        *text = SysAllocString(u"");
        return *text ? S_OK : E_OUTOFMEMORY;
    }
    Variant number;
    number.vt = VT_I8;
    number.llVal = value_;
    Variant converted;
    HRESULT hr = VariantChangeTypeEx(&converted, &number, LOCALE_USER_DEFAULT, 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    *text = converted.Detach().bstrVal;
    return S_OK;
}

HRESULT GPLong::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, kMessageCode, [&](std::u16string_view read) {
        Variant source = Variant::Text(read), converted;
        if (!source.bstrVal)
            throw std::bad_alloc(); // E_OUTOFMEMORY through the guard
        if (SUCCEEDED(ConvertVariant(source, VT_I8, converted))) {
            Store(converted.llVal);
            return true;
        }
        SetModified();
        return false;
    });
}

// ---- IClone ----

HRESULT GPLong::Assign(IClone* source) {
    return AssignThrough(source, &IGPLong::get_Value64, [&](int64_t value) { Store(value); });
}

HRESULT GPLong::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    return IsEqualThrough(other, equal, &IGPLong::get_Value64, [&](int64_t value) { return value == value_; });
}

// ---- stream and XML forms ----

int32_t GPLong::SaveVersionFor(IStream* stream) {
    int16_t version = AfStreamGetOrinSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kNewerSaveVersions),
                                                 kNewerSaveVersions, std::size(kOlderSaveVersions), kOlderSaveVersions);
    return version == 1 && !FitsIn32Bits() ? 0 : version;
}

HRESULT GPLong::SaveContent(IStream* stream, uint16_t version) {
    return version == 1 ? AfStreamWrite(stream, static_cast<int32_t>(value_)) : AfStreamWrite(stream, value_);
}

HRESULT GPLong::LoadContent(IStream* stream, uint16_t version) {
    int64_t value = 0;
    if (version == 1) {
        int32_t narrow = 0;
        if (FAILED(AfStreamRead(stream, &narrow)))
            return E_FAIL;
        value = narrow;
    } else if (FAILED(AfStreamRead(stream, &value))) {
        return E_FAIL;
    }
    value_ = value;
    return S_OK;
}

HRESULT GPLong::SerializeContent(IXMLSerializeData* data) {
    if (FitsIn32Bits())
        return data->AddDouble(u"Value", static_cast<double>(value_));
    Variant wide;
    wide.vt = VT_I8;
    wide.llVal = value_;
    return data->AddVariant(u"Value64", &wide);
}

HRESULT GPLong::DeserializeContent(IXMLSerializeData* data) {
    auto indexOf = [&](const OLECHAR* name) {
        int32_t index = -1;
        data->Find(name, &index);
        return index;
    };
    int32_t index = indexOf(u"Value");
    int64_t value = 0;
    bool read = index >= 0 && ReadValueElement(data, index, value);
    if (!read) {
        index = indexOf(u"Value64");
        read = index >= 0 && ReadValue64Element(data, index, value);
    }
    if (!read)
        return E_FAIL;
    value_ = value;
    return S_OK;
}

} // namespace tavi
