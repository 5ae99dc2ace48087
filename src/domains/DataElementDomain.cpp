// DataElementDomain: the name test, membership, matching children, copies and the stored forms.
#include "domains/DataElementDomain.h"

#include "host/Message.h"
#include "platform/HandOut.h"

namespace tavi {

namespace {

constexpr const OLECHAR* kTypeArrayElement = u"TypeArray";

} // namespace

bool DataElementDomain::PassesNameTest(IDataElement* element) const {
    if (names_.empty())
        return true;
    BStr typeName;
    return SUCCEEDED(element->get_Type(typeName.Out())) && FindNoCase(names_, typeName.view()) >= 0;
}

std::optional<std::vector<String>> DataElementDomain::ReadNames(IDataElementDomain* domain) {
    int32_t count = 0;
    if (!domain || FAILED(domain->get_TypeCount(&count)) || count < 0)
        return std::nullopt;
    std::vector<String> names;
    for (int32_t i = 0; i < count; ++i) {
        BStr name;
        if (FAILED(domain->get_Type(i, name.Out())))
            return std::nullopt;
        names.push_back(name.str());
    }
    return names;
}

// --- IGPDomain ---

HRESULT DataElementDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (value)
            if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
                return hr;
        auto element = QueryAs<IDataElement>(actual.Get());
        int32_t code = !element ? kNotDataElementCode : (PassesNameTest(element.Get()) ? 0 : kWrongTypeCode);
        if (FAILED(code ? MakeErrorMessage(code, message) : MakeEmptyMessage(message)))
            return E_FAIL;
        return code ? S_FALSE : S_OK;
    });
}

// --- IDataElementDomain ---

HRESULT DataElementDomain::get_TypeCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(names_.size()), count);
}

HRESULT DataElementDomain::get_Type(int32_t index, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= names_.size())
        return E_INVALIDARG;
    return HandOut(names_[static_cast<size_t>(index)], name);
}

HRESULT DataElementDomain::AddType(const OLECHAR* name) {
    if (!name)
        return E_POINTER;
    return guard([&] {
        AddNoCase(&names_, name);
        SetDirty();
    });
}

HRESULT DataElementDomain::RemoveType(const OLECHAR* name) {
    if (!name)
        return E_POINTER;
    return guard([&] {
        RemoveNoCase(&names_, name);
        SetDirty();
    });
}

HRESULT DataElementDomain::GetMatchingChildren(IGPValue* value, IArray** children) {
    if (HRESULT hr = ClearOut(children); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto element = QueryAs<IDataElement>(actual.Get());
        if (!element)
            return E_INVALIDARG;
        ComPtr<IGPUtilities> utilities;
        ComPtr<IDEListingOptions> options;
        if (HRESULT hr = GetUtilities(&utilities); FAILED(hr))
            return hr;
        if (HRESULT hr = NewListingOptions(true, &options); FAILED(hr))
            return hr;
        if (HRESULT hr = utilities->PrepareDataElement(element.Get(), options.Get()); FAILED(hr))
            return hr;
        return MatchingChildren(
            element.Get(),
            [&](IUnknown* child) {
                auto childElement = QueryAs<IDataElement>(child);
                return childElement && PassesNameTest(childElement.Get());
            },
            children);
    });
}

// --- IClone ---

HRESULT DataElementDomain::Assign(IClone* source) {
    auto other = QueryAs<IDataElementDomain>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        auto names = ReadNames(other.Get());
        if (!names)
            return E_FAIL;
        NameList merged = names_;
        for (const String& name : *names)
            AddNoCase(&merged, name);
        std::swap(names_, merged);
        SetDirty();
        return S_OK;
    });
}

HRESULT DataElementDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto names = ReadNames(QueryAs<IDataElementDomain>(other).Get());
        if (!names || names->size() != names_.size())
            return;
        for (const String& name : *names)
            if (FindNoCase(names_, name) < 0)
                return;
        *equal = VARIANT_TRUE;
    });
}

// --- stored forms ---

HRESULT DataElementDomain::SaveContent(IStream* stream, uint16_t) {
    return SaveNames(stream, names_);
}

HRESULT DataElementDomain::LoadContent(IStream* stream, uint16_t) {
    return LoadNames(stream, &names_);
}

HRESULT DataElementDomain::SerializeContent(IXMLSerializeData* data) {
    return names_.empty() ? S_OK : AddStringArray(data, kTypeArrayElement, names_);
}

HRESULT DataElementDomain::DeserializeContent(IXMLSerializeData* data) {
    return ReadStringArray(data, kTypeArrayElement, &names_);
}

HRESULT DataElementDomain::RunStaged(bool fromCurrent, const StagedRead& read) {
    return StageState(this, &DataElementDomain::names_, fromCurrent, read);
}

} // namespace tavi
