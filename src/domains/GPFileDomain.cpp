// GPFileDomain: the extension test, membership, filtering data elements, browse filters, copies and the stored
// forms.
#include "domains/GPFileDomain.h"

#include "host/Message.h"
#include "host/ObjectArray.h"
#include "platform/HandOut.h"
#include "tavi/GPComposite.h"
#include "values/BrowseFilters.h"

namespace tavi {

namespace {

// The entry that accepts every file, and the single entry that switches the test off.
constexpr std::u16string_view kAnyFile = u"*";
constexpr std::u16string_view kRawFileMode = u"rawfilemode";
constexpr const OLECHAR* kExtensionArrayElement = u"FileExtensionArray";

// The catalog path of a value: a data element's own, else the value's text.
HRESULT CatalogPathOf(IUnknown* value, BStr* path) {
    if (auto element = QueryAs<IDataElement>(value))
        return element->get_CatalogPath(path->Out());
    auto gp = QueryAs<IGPValue>(value);
    return gp ? gp->GetAsText(path->Out()) : E_INVALIDARG;
}

// The members of what `value` holds: an array's elements, or a multi-value's values (also behind a variable).
// False when it holds no list.
bool ListMembers(IUnknown* value, std::vector<ComPtr<IUnknown>>* members) {
    if (auto array = QueryAs<IArray>(value)) {
        int32_t count = 0;
        if (FAILED(array->get_Count(&count)))
            return false;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> element;
            if (SUCCEEDED(array->get_Element(i, element.Out())) && element)
                members->push_back(std::move(element));
        }
        return true;
    }
    ComPtr<IGPValue> actual;
    auto gp = QueryAs<IGPValue>(value);
    if (!gp || FAILED(GPDomainCore::UnpackValue(gp.Get(), actual.Out())))
        return false;
    auto list = QueryAs<IGPMultiValue>(actual.Get());
    int32_t count = 0;
    if (!list || FAILED(list->get_Count(&count)))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPValue> member;
        if (SUCCEEDED(list->get_Value(i, member.Out())) && member)
            members->push_back(QueryAs<IUnknown>(member.Get()));
    }
    return true;
}

// The first of the entries equal in any letter case, in order.
NameList Unique(NameList names) {
    NameList unique;
    for (String& name : names)
        if (FindNoCase(unique, name) < 0)
            unique.push_back(std::move(name));
    return unique;
}

} // namespace

HRESULT GPFileDomain::PassesExtensionTest(std::u16string_view path, ComPtr<IGPUtilities>* utilities,
                                          bool* passes) const {
    *passes = true;
    if (extensions_.empty() || (extensions_.size() == 1 && extensions_[0] == kRawFileMode))
        return S_OK;
    String pathText(path);
    for (const String& entry : extensions_) {
        if (entry == kAnyFile || EqualsNoCase(path, entry))
            return S_OK;
        if (!*utilities)
            if (HRESULT hr = GetUtilities(utilities); FAILED(hr))
                return hr;
        VARIANT_BOOL has = VARIANT_FALSE;
        if (HRESULT hr = (*utilities)->HasExtension(pathText.c_str(), entry.c_str(), &has); FAILED(hr))
            return hr;
        if (has != VARIANT_FALSE)
            return S_OK;
    }
    *passes = false;
    return S_OK;
}

// --- IGPDomain ---

HRESULT GPFileDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (value && FAILED(UnpackValue(value, actual.Out())))
            actual.Reset(); // a variable that holds nothing gives no file either
        int32_t code = 0;
        if (!actual) {
            code = kNoFileCode;
        } else if (VARIANT_BOOL empty = VARIANT_FALSE; FAILED(actual->IsEmpty(&empty)) || empty == VARIANT_FALSE) {
            BStr path;
            if (HRESULT hr = CatalogPathOf(actual.Get(), &path); FAILED(hr))
                return hr;
            ComPtr<IGPUtilities> utilities;
            bool passes = false;
            if (HRESULT hr = PassesExtensionTest(path.view(), &utilities, &passes); FAILED(hr))
                return hr;
            if (!passes)
                code = kNotAllowedCode;
        }
        HRESULT hr = code ? MakeErrorMessage(code, message) : MakeEmptyMessage(message);
        if (FAILED(hr))
            return E_FAIL;
        return code ? S_FALSE : S_OK;
    });
}

// --- IGPFileDomain ---

HRESULT GPFileDomain::get_FileExtensionCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(extensions_.size()), count);
}

HRESULT GPFileDomain::get_FileExtension(int32_t index, BSTR* extension) {
    if (!extension)
        return E_POINTER;
    *extension = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= extensions_.size())
        return E_INVALIDARG;
    return HandOut(extensions_[static_cast<size_t>(index)], extension);
}

HRESULT GPFileDomain::AddFileExtension(const OLECHAR* extension) {
    if (!extension)
        return E_POINTER;
    return guard([&] {
        if (AddNoCase(&extensions_, extension))
            SetDirty();
    });
}

HRESULT GPFileDomain::RemoveFileExtension(const OLECHAR* extension) {
    if (!extension)
        return E_POINTER;
    return guard([&] {
        if (RemoveNoCase(&extensions_, extension))
            SetDirty();
    });
}

HRESULT GPFileDomain::FilterDataElements(IUnknown* value, IArray** elements) {
    if (HRESULT hr = ClearOut(elements); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::vector<ComPtr<IUnknown>> members;
        if (!ListMembers(value, &members))
            return E_INVALIDARG;
        ComPtr<IArray> passed;
        if (HRESULT hr = CreateObjectArray(IArray::iid, passed.OutVoid()); FAILED(hr))
            return hr;
        ComPtr<IGPUtilities> utilities;
        for (const auto& member : members) {
            auto element = QueryAs<IDataElement>(member.Get());
            if (!element)
                continue;
            BStr path;
            if (HRESULT hr = element->get_CatalogPath(path.Out()); FAILED(hr))
                return hr;
            bool passes = false;
            if (HRESULT hr = PassesExtensionTest(path.view(), &utilities, &passes); FAILED(hr))
                return hr;
            if (passes)
                if (HRESULT hr = passed->Add(element.Get()); FAILED(hr))
                    return hr;
        }
        *elements = passed.Detach();
        return S_OK;
    });
}

// --- IGxFilterInfo ---

HRESULT GPFileDomain::get_OpenGxObjectFilters(IArray** filters) {
    if (!filters)
        return E_POINTER;
    return guard([&] {
        std::vector<std::u16string_view> named;
        for (const String& extension : extensions_)
            if (std::u16string_view filter = FileBrowseFilter(extension); !filter.empty())
                named.push_back(filter);
        return HandOutBrowseFilters(named, filters);
    });
}

// --- IClone ---

HRESULT GPFileDomain::Assign(IClone* source) {
    auto other = QueryAs<IGPFileDomain>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (HRESULT hr = other->get_FileExtensionCount(&count); FAILED(hr))
            return hr;
        NameList copied;
        for (int32_t i = 0; i < count; ++i) {
            BStr extension;
            if (HRESULT hr = other->get_FileExtension(i, extension.Out()); FAILED(hr))
                return hr;
            AddNoCase(&copied, extension.view());
        }
        std::swap(extensions_, copied);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPFileDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto domain = QueryAs<IGPFileDomain>(other);
    if (!domain)
        return S_OK;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (FAILED(domain->get_FileExtensionCount(&count)) || static_cast<size_t>(count) != extensions_.size())
            return S_OK;
        for (int32_t i = 0; i < count; ++i) {
            BStr extension;
            if (FAILED(domain->get_FileExtension(i, extension.Out())) || FindNoCase(extensions_, extension.view()) < 0)
                return S_OK;
        }
        *equal = VARIANT_TRUE;
        return S_OK;
    });
}

// --- stored forms ---

HRESULT GPFileDomain::SaveContent(IStream* stream, uint16_t) {
    return SaveNames(stream, extensions_);
}

// What is read keeps the list free of entries equal in any letter case, as AddFileExtension does.
HRESULT GPFileDomain::LoadContent(IStream* stream, uint16_t) {
    NameList read;
    if (FAILED(LoadNames(stream, &read)))
        return E_FAIL;
    extensions_ = Unique(std::move(read));
    return S_OK;
}

HRESULT GPFileDomain::SerializeContent(IXMLSerializeData* data) {
    return extensions_.empty() ? S_OK : AddStringArray(data, kExtensionArrayElement, extensions_);
}

HRESULT GPFileDomain::DeserializeContent(IXMLSerializeData* data) {
    NameList read;
    if (FAILED(ReadStringArray(data, kExtensionArrayElement, &read)))
        return E_FAIL;
    extensions_ = Unique(std::move(read));
    return S_OK;
}

} // namespace tavi
