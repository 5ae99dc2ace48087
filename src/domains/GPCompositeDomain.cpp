// GPCompositeDomain: membership by the first accepting entry, the entries' browse filters, cloning, comparison and
// the stream and XML forms.
#include "domains/GPCompositeDomain.h"

#include "domains/InnerDomains.h"
#include "host/CreateInstance.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/GPScalar.h"
#include "tavi/Xml.h"

namespace tavi {

namespace {

// The filter an entry without filters of its own stands for: any data of the entry's data type.
constexpr const char16_t* kDataTypeFilter = u"filter_datatype";

bool IsGoodMessage(IGPMessage* message) {
    VARIANT_BOOL good = VARIANT_FALSE;
    return SUCCEEDED(message->IsGood(&good)) && good != VARIANT_FALSE;
}

ComPtr<IArray> NewArray() {
    ComPtr<IArray> array;
    HRESULT hr = CreateObjectArray(IArray::iid, array.OutVoid());
    if (FAILED(hr))
        throw std::bad_alloc();
    return array;
}

} // namespace

bool GPCompositeDomain::IsSelf(IGPDomain* domain) {
    return domain && SameObject(domain, static_cast<IGPCompositeDomain*>(this));
}

void GPCompositeDomain::SetList(DomainList domains) {
    domains_.swap(domains);
    SetDirty();
    // The previous entries are released here, after the list no longer holds them.
}

// --- IGPDomain ---

HRESULT GPCompositeDomain::EntryAnswer(IGPDomain* entry, IGPValue* value, ComPtr<IGPMessage>* answer) {
    if (!entry)
        return MakeEmptyMessage(answer->Out());
    return entry->MemberOf(value, answer->Out());
}

HRESULT GPCompositeDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        DomainNesting nesting;
        if (nesting.TooDeep())
            return E_FAIL;
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto collected = MakeObject<GPMultiMessage>();
        // A copy of the list: an entry's MemberOf may not change what this loop walks.
        const DomainList entries = domains_;
        for (const auto& entry : entries) {
            ComPtr<IGPMessage> answer;
            if (HRESULT hr = EntryAnswer(entry.Get(), actual.Get(), &answer); FAILED(hr))
                return hr;
            if (!answer)
                continue;
            if (HRESULT hr = collected->AddMessage(answer.Get()); FAILED(hr))
                return hr;
            if (IsGoodMessage(answer.Get())) {
                *message = answer.Detach();
                return S_OK;
            }
        }
        *message = static_cast<IGPMessage*>(collected.Detach());
        return S_OK;
    });
}

// --- IGPCompositeDomain ---

HRESULT GPCompositeDomain::get_DomainCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(domains_.size());
    return S_OK;
}

HRESULT GPCompositeDomain::get_Domain(int32_t index, IGPDomain** domain) {
    if (!domain)
        return E_POINTER;
    if (!IsIndex(index))
        return E_INVALIDARG;
    return domains_[index].CopyTo(domain);
}

HRESULT GPCompositeDomain::AddDomain(IGPDomain* domain) {
    if (IsSelf(domain))
        return E_INVALIDARG;
    return guard([&] {
        domains_.emplace_back(domain);
        SetDirty();
    });
}

HRESULT GPCompositeDomain::RemoveDomain(int32_t index) {
    if (!IsIndex(index))
        return E_INVALIDARG;
    return guard([&] {
        ComPtr<IGPDomain> removed = std::move(domains_[index]);
        domains_.erase(domains_.begin() + index);
        SetDirty();
    });
}

HRESULT GPCompositeDomain::ReplaceDomain(int32_t index, IGPDomain* domain) {
    if (!IsIndex(index) || IsSelf(domain))
        return E_INVALIDARG;
    return guard([&] {
        ComPtr<IGPDomain> replaced = std::exchange(domains_[index], ComPtr<IGPDomain>(domain));
        SetDirty();
    });
}

// --- IGxFilterInfo ---

HRESULT GPCompositeDomain::AppendFilters(IGPDomain* entry, IArray* collected) {
    ComPtr<IArray> own;
    if (auto info = QueryAs<IGxFilterInfo>(entry); info && FAILED(info->get_OpenGxObjectFilters(own.Out())))
        own.Reset();
    if (!own) {
        ComPtr<IGPString> filter;
        HRESULT hr = AfCreateInstance(CLSID_GPString, nullptr, CLSCTX_INPROC_SERVER, IGPString::iid, filter.OutVoid());
        if (FAILED(hr) || FAILED(hr = filter->put_Value(kDataTypeFilter)))
            return hr;
        return collected->Add(filter.Get());
    }
    int32_t count = 0;
    if (HRESULT hr = own->get_Count(&count); FAILED(hr))
        return hr;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        HRESULT hr = own->get_Element(i, element.Out());
        if (FAILED(hr) || FAILED(hr = collected->Add(element.Get())))
            return hr;
    }
    return S_OK;
}

HRESULT GPCompositeDomain::get_OpenGxObjectFilters(IArray** filters) {
    if (HRESULT hr = ClearOut(filters); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        DomainNesting nesting;
        if (nesting.TooDeep())
            return E_FAIL;
        auto collected = NewArray();
        const DomainList entries = domains_;
        for (const auto& entry : entries)
            if (HRESULT hr = AppendFilters(entry.Get(), collected.Get()); FAILED(hr))
                return hr;
        int32_t count = 0;
        if (HRESULT hr = collected->get_Count(&count); FAILED(hr))
            return hr;
        if (count > 0)
            *filters = collected.Detach();
        return S_OK;
    });
}

// --- IClone ---

HRESULT GPCompositeDomain::Assign(IClone* source) {
    auto composite = QueryAs<IGPCompositeDomain>(source);
    if (!composite)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        DomainNesting nesting;
        if (nesting.TooDeep())
            return E_FAIL;
        int32_t count = 0;
        if (HRESULT hr = composite->get_DomainCount(&count); FAILED(hr))
            return hr;
        DomainList copies;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPDomain> entry;
            if (HRESULT hr = composite->get_Domain(i, entry.Out()); FAILED(hr))
                return hr;
            ComPtr<IClone> copy;
            if (auto clonable = QueryAs<IClone>(entry.Get()))
                if (HRESULT hr = clonable->Clone(copy.Out()); FAILED(hr))
                    return hr;
            copies.push_back(QueryAs<IGPDomain>(copy.Get()));
        }
        SetList(std::move(copies));
        return S_OK;
    });
}

HRESULT GPCompositeDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto composite = QueryAs<IGPCompositeDomain>(other);
    if (!composite)
        return S_OK;
    return guard([&]() -> HRESULT {
        DomainNesting nesting;
        if (nesting.TooDeep())
            return E_FAIL;
        int32_t count = 0;
        if (HRESULT hr = composite->get_DomainCount(&count); FAILED(hr))
            return hr;
        const DomainList entries = domains_;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPDomain> theirs;
            if (HRESULT hr = composite->get_Domain(i, theirs.Out()); FAILED(hr))
                return hr;
            IGPDomain* mine = static_cast<size_t>(i) < entries.size() ? entries[i].Get() : nullptr;
            if (!InnerDomainsEqual(mine, theirs.Get()))
                return S_OK;
        }
        *equal = VARIANT_TRUE;
        return S_OK;
    });
}

// --- IPersistStream ---

HRESULT GPCompositeDomain::SaveContent(IStream* stream, uint16_t) {
    DomainNesting nesting;
    if (nesting.TooDeep())
        return E_FAIL;
    const DomainList entries = domains_;
    if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(entries.size()))))
        return E_FAIL;
    for (const auto& entry : entries)
        if (FAILED(SaveObject(entry.Get(), stream, SaveClearsDirty())))
            return E_FAIL;
    return S_OK;
}

HRESULT GPCompositeDomain::LoadContent(IStream* stream, uint16_t) {
    int32_t count = 0;
    if (FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    // Each entry needs at least its class identifier, so a damaged count ends at the first failed read instead of
    // reserving memory for it.
    DomainList loaded;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPDomain> entry;
        if (FAILED(LoadObject(stream, IGPDomain::iid, entry.OutVoid())))
            return E_FAIL;
        loaded.push_back(std::move(entry));
    }
    SetList(std::move(loaded));
    return S_OK;
}

// --- IXMLSerialize ---

HRESULT GPCompositeDomain::SerializeContent(IXMLSerializeData* data) {
    DomainNesting nesting;
    if (nesting.TooDeep())
        return E_FAIL;
    if (domains_.empty())
        return S_OK;
    auto array = NewArray();
    for (const auto& entry : domains_)
        if (HRESULT hr = array->Add(entry.Get()); FAILED(hr))
            return hr;
    return data->AddObjectArray(kDomainArrayElement, array.Get(), kDomainElementType, c_xml_ns_tavi);
}

HRESULT GPCompositeDomain::DeserializeContent(IXMLSerializeData* data) {
    DomainList read;
    int32_t index = -1;
    data->Find(kDomainArrayElement, &index);
    if (index >= 0) {
        auto array = NewArray();
        if (FAILED(data->GetObjectArray(index, c_xml_ns_tavi, kDomainArrayType, array.Get())))
            return E_FAIL;
        int32_t count = 0;
        if (HRESULT hr = array->get_Count(&count); FAILED(hr))
            return hr;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> element;
            if (HRESULT hr = array->get_Element(i, element.Out()); FAILED(hr))
                return hr;
            // A nil element is an empty entry, which accepts everything: dropping it would narrow the domain.
            if (!element)
                read.emplace_back();
            else if (auto domain = QueryAs<IGPDomain>(element.Get()))
                read.push_back(std::move(domain));
        }
    }
    SetList(std::move(read));
    return S_OK;
}

} // namespace tavi
