// The host's property set: see PropertySet.h.
#include "host/PropertySet.h"

#include "host/StreamIO.h"
#include "platform/HandOut.h"

#include <algorithm>
#include <optional>

namespace tavi {

namespace {

// The stored form of a value that is no object (StreamIO.h), or nothing when it has none.
std::optional<std::vector<uint8_t>> StoredForm(const VARIANT& value) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, 0, stream.Out())) || FAILED(WriteVariant(stream.Get(), value)))
        return std::nullopt;
    uint64_t size = 0;
    if (FAILED(stream->Seek(0, STREAM_SEEK_END, &size)) || FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr)))
        return std::nullopt;
    std::vector<uint8_t> bytes(size);
    ULONG read = 0;
    if (size && (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(size), &read)) || read != size))
        return std::nullopt;
    return bytes;
}

bool IsObject(const VARIANT& value) {
    return value.vt == VT_UNKNOWN || value.vt == VT_DISPATCH;
}

bool SameValue(const VARIANT& a, const VARIANT& b) {
    if (a.vt != b.vt)
        return false;
    if (IsObject(a)) {
        if (SameObject(a.punkVal, b.punkVal))
            return true;
        auto clone = QueryAs<IClone>(a.punkVal);
        auto other = QueryAs<IClone>(b.punkVal);
        VARIANT_BOOL equal = VARIANT_FALSE;
        return clone && other && SUCCEEDED(clone->IsEqual(other.Get(), &equal)) && equal;
    }
    auto formA = StoredForm(a);
    return formA && formA == StoredForm(b);
}

// The element `index` of a one-dimensional safe array as a variant.
HRESULT ElementOf(const SAFEARRAY* array, int32_t index, Variant& element) {
    const int32_t at = array->rgsabound[0].lLbound + index;
    if (array->vt == VT_VARIANT)
        return SafeArrayGetElement(array, &at, element.Out());
    element.Clear();
    HRESULT hr = SafeArrayGetElement(array, &at, &element.llVal); // every payload starts where the union does
    if (SUCCEEDED(hr))
        element.vt = array->vt;
    return hr;
}

} // namespace

PropertySet::Property* PropertySet::Find(std::u16string_view name) {
    auto it = std::find_if(properties_.begin(), properties_.end(),
                           [&](const Property& property) { return EqualsNoCase(property.name, name); });
    return it == properties_.end() ? nullptr : &*it;
}

void PropertySet::Set(std::u16string_view name, const VARIANT& value) {
    Variant copy(value);
    if (copy.vt != value.vt)
        throw std::bad_alloc(); // VariantCopy leaves the copy empty only when it cannot allocate
    if (Property* property = Find(name))
        property->value = std::move(copy);
    else
        properties_.push_back({String(name), std::move(copy)});
}

HRESULT PropertySet::get_Count(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(properties_.size()), count);
}

HRESULT PropertySet::GetProperty(const OLECHAR* name, VARIANT* value) {
    if (!name || !value)
        return E_POINTER;
    VariantInit(value);
    return guard([&]() -> HRESULT {
        Property* property = Find(name);
        if (!property)
            return S_FALSE;
        return VariantCopy(value, &property->value);
    });
}

HRESULT PropertySet::SetProperty(const OLECHAR* name, VARIANT value) {
    if (!name)
        return E_POINTER;
    return guard([&] { Set(name, value); });
}

HRESULT PropertySet::RemoveProperty(const OLECHAR* name) {
    if (!name)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        Property* property = Find(name);
        if (!property)
            return S_FALSE;
        properties_.erase(properties_.begin() + (property - properties_.data()));
        return S_OK;
    });
}

HRESULT PropertySet::GetAllProperties(VARIANT* names, VARIANT* values) {
    if (!names || !values)
        return E_POINTER;
    VariantInit(names);
    VariantInit(values);
    return guard([&]() -> HRESULT {
        const auto count = static_cast<uint32_t>(properties_.size());
        Variant nameArray, valueArray;
        nameArray.parray = SafeArrayCreateVector(VT_BSTR, 0, count);
        if (nameArray.parray)
            nameArray.vt = VT_ARRAY | VT_BSTR;
        valueArray.parray = SafeArrayCreateVector(VT_VARIANT, 0, count);
        if (valueArray.parray)
            valueArray.vt = VT_ARRAY | VT_VARIANT;
        if (!nameArray.parray || !valueArray.parray)
            return E_OUTOFMEMORY;
        for (int32_t i = 0; i < static_cast<int32_t>(count); ++i) {
            BStr name(properties_[i].name);
            if (HRESULT hr = SafeArrayPutElement(nameArray.parray, &i, name.Get()); FAILED(hr))
                return hr;
            if (HRESULT hr = SafeArrayPutElement(valueArray.parray, &i, &properties_[i].value); FAILED(hr))
                return hr;
        }
        *names = nameArray.Detach();
        *values = valueArray.Detach();
        return S_OK;
    });
}

HRESULT PropertySet::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<PropertySet>();
        for (const Property& property : properties_)
            copy->Set(property.name, property.value);
        return copy.As<IClone>().CopyTo(clone);
    });
}

HRESULT PropertySet::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IPropertySet>(source);
        if (!other)
            return E_INVALIDARG;
        if (SameObject(other.Get(), static_cast<IPropertySet*>(this)))
            return S_OK;
        std::vector<std::pair<String, Variant>> read;
        if (FAILED(ReadPropertySet(other.Get(), read)))
            return E_FAIL;
        std::vector<Property> properties;
        properties.reserve(read.size());
        for (auto& [name, value] : read)
            properties.push_back({std::move(name), std::move(value)});
        properties_ = std::move(properties);
        return S_OK;
    });
}

HRESULT PropertySet::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto set = QueryAs<IPropertySet>(other);
        std::vector<std::pair<String, Variant>> read;
        if (!set || FAILED(ReadPropertySet(set.Get(), read)) || read.size() != properties_.size())
            return;
        for (const auto& [name, value] : read) {
            Property* property = Find(name);
            if (!property || !SameValue(property->value, value))
                return;
        }
        *equal = VARIANT_TRUE;
    });
}

HRESULT PropertySet::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IPropertySet*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ReadPropertySet(IPropertySet* set, std::vector<std::pair<String, Variant>>& properties) {
    if (!set)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        Variant names, values;
        if (HRESULT hr = set->GetAllProperties(names.Out(), values.Out()); FAILED(hr))
            return hr;
        if (names.vt != (VT_ARRAY | VT_BSTR) || !(values.vt & VT_ARRAY) || !names.parray || !values.parray ||
            names.parray->rgsabound[0].cElements != values.parray->rgsabound[0].cElements)
            return E_FAIL;
        const auto count = static_cast<int32_t>(names.parray->rgsabound[0].cElements);
        for (int32_t i = 0; i < count; ++i) {
            Variant name, value;
            if (FAILED(ElementOf(names.parray, i, name)) || FAILED(ElementOf(values.parray, i, value)))
                return E_FAIL;
            properties.emplace_back(BStr::Adopt(std::exchange(name.bstrVal, nullptr)).str(), std::move(value));
        }
        return S_OK;
    });
}

} // namespace tavi
