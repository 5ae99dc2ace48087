// GPWorkspaceDomain: the type test, membership, matching children, browse filters, copies and the stored forms.
#include "domains/GPWorkspaceDomain.h"

#include "host/Message.h"
#include "host/TypeTexts.h"
#include "platform/HandOut.h"
#include "values/BrowseFilters.h"

namespace tavi {

namespace {

constexpr const OLECHAR* kTypeArrayElement = u"TypeArray";

} // namespace

bool GPWorkspaceDomain::PassesTypeTest(IDEWorkspace* workspace) const {
    int32_t type = 0;
    if (FAILED(workspace->get_WorkspaceType(&type)))
        return false;
    return types_.Empty() || types_.Contains(type);
}

// --- IGPDomain ---

HRESULT GPWorkspaceDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (value)
            if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
                return hr;
        auto workspace = QueryAs<IDEWorkspace>(actual.Get());
        int32_t code = !workspace ? kNotWorkspaceCode : (PassesTypeTest(workspace.Get()) ? 0 : kWrongTypeCode);
        if (FAILED(code ? MakeErrorMessage(code, message) : MakeEmptyMessage(message)))
            return E_FAIL;
        return code ? S_FALSE : S_OK;
    });
}

// --- IGPWorkspaceDomain ---

HRESULT GPWorkspaceDomain::get_TypeCount(int32_t* count) {
    return HandOutValue(types_.Count(), count);
}

HRESULT GPWorkspaceDomain::get_Type(int32_t index, int32_t* type) {
    if (!type)
        return E_POINTER;
    if (!types_.IsIndex(index))
        return E_INVALIDARG;
    *type = types_.At(index);
    return S_OK;
}

HRESULT GPWorkspaceDomain::AddType(int32_t type) {
    return guard([&] {
        types_.Add(type);
        SetDirty();
    });
}

HRESULT GPWorkspaceDomain::RemoveType(int32_t type) {
    types_.Remove(type);
    SetDirty();
    return S_OK;
}

HRESULT GPWorkspaceDomain::GetMatchingChildren(IGPValue* value, IArray** children) {
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
        return MatchingChildren(
            element.Get(),
            [&](IUnknown* child) {
                auto workspace = QueryAs<IDEWorkspace>(child);
                return workspace && PassesTypeTest(workspace.Get());
            },
            children);
    });
}

// --- IGxFilterInfo ---

HRESULT GPWorkspaceDomain::get_OpenGxObjectFilters(IArray** filters) {
    if (!filters)
        return E_POINTER;
    return guard([&] {
        std::vector<std::u16string_view> named;
        for (int32_t i = 0; i < types_.Count(); ++i)
            for (std::u16string_view filter : WorkspaceBrowseFilters(types_.At(i)))
                named.push_back(filter);
        return HandOutBrowseFilters(named, filters);
    });
}

// --- IClone ---

HRESULT GPWorkspaceDomain::Assign(IClone* source) {
    auto other = QueryAs<IGPWorkspaceDomain>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        auto codes = ReadTypeCodes(other.Get());
        if (!codes)
            return E_FAIL;
        CodeList merged = types_;
        for (int32_t code : *codes)
            merged.Add(code);
        std::swap(types_, merged);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPWorkspaceDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto codes = ReadTypeCodes(QueryAs<IGPWorkspaceDomain>(other).Get());
        if (!codes || static_cast<int32_t>(codes->size()) != types_.Count())
            return;
        for (int32_t code : *codes)
            if (!types_.Contains(code))
                return;
        *equal = VARIANT_TRUE;
    });
}

// --- stored forms ---

HRESULT GPWorkspaceDomain::SaveContent(IStream* stream, uint16_t) {
    return types_.Save(stream);
}

HRESULT GPWorkspaceDomain::LoadContent(IStream* stream, uint16_t) {
    return types_.Load(stream);
}

HRESULT GPWorkspaceDomain::SerializeContent(IXMLSerializeData* data) {
    if (types_.Empty())
        return S_OK;
    return AddStringArray(data, kTypeArrayElement, TextsOfCodes(types_, &TextOrNumberOf<&WorkspaceTypeText>));
}

HRESULT GPWorkspaceDomain::DeserializeContent(IXMLSerializeData* data) {
    NameList texts;
    if (FAILED(ReadStringArray(data, kTypeArrayElement, &texts)))
        return E_FAIL;
    return CodesFromTexts(texts, &CodeOfTextOrNumber<&WorkspaceTypeFromText>, &types_);
}

HRESULT GPWorkspaceDomain::RunStaged(bool fromCurrent, const StagedRead& read) {
    return StageState(this, &GPWorkspaceDomain::types_, fromCurrent, read);
}

} // namespace tavi
