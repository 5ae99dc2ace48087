// The composite data type and its name.
#include "values/GPCompositeDataType.h"

#include "host/GPValue.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/DataAccess.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUtilities.h"

namespace tavi {

namespace {

// Host interfaces a member type may answer: one marks types whose first value is only a fallback (as a string
// type's is), the other types whose code-1491 verdict alone speaks for the composite (as a raster layer type's does).
constexpr IID kFallbackTypeIid{0xA60642F3, 0xA6CC, 0x472C, {0xAA, 0xED, 0x1B, 0xD5, 0xC0, 0x24, 0x8E, 0x1F}};
constexpr IID kSoleVerdictTypeIid{0x4A4A7C1E, 0x7133, 0x456B, {0x85, 0xCF, 0x47, 0x72, 0x48, 0x61, 0xD8, 0xA3}};
constexpr int32_t kSoleVerdictCode = 1491;

bool Good(IGPMessage* message) {
    return MessageType(message) == 0;
}

} // namespace

GPCompositeDataType::GPCompositeDataType()
    : GPDataType(
          {u"GPComposite", kDisplayNameId, kClassId, GUID_NULL, GUID_NULL, IGPCompositeDataType::iid, IGPValue::iid}) {}

HRESULT GPCompositeDataType::get_DisplayName(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (members_.empty())
        return GetText(displayName_, name);
    return guard([&] {
        String joined;
        for (const auto& member : members_) {
            BStr memberName;
            member->get_DisplayName(memberName.Out());
            if (!joined.empty())
                joined += u" or ";
            joined += memberName.view();
        }
        return GetText(joined, name);
    });
}

HRESULT GPCompositeDataType::get_ControlCLSID(IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    return members_.empty() ? S_OK : members_.front()->get_ControlCLSID(control);
}

HRESULT GPCompositeDataType::get_FullName(IName** fullName) {
    if (HRESULT hr = ClearOut(fullName); FAILED(hr))
        return hr;
    return guard([&] {
        auto name = MakeObject<GPCompositeDataTypeName>();
        for (const auto& member : members_) {
            ComPtr<IName> memberName;
            if (SUCCEEDED(member->get_FullName(memberName.Out())) && memberName)
                name->AddDataTypeName(memberName.Get());
        }
        *fullName = static_cast<IName*>(name.Detach());
        return S_OK;
    });
}

bool GPCompositeDataType::Takes(IGPDataType* member, IGPValue* value, IUnknown* service) const {
    auto utilities = QueryAs<IGPUtilities>(service);
    VARIANT_BOOL storedData = VARIANT_FALSE;
    if (utilities && SUCCEEDED(utilities->IsDataType(member, &storedData)) && storedData != VARIANT_FALSE) {
        VARIANT_BOOL opens = VARIANT_FALSE;
        if (SUCCEEDED(utilities->CanOpenData(value, &opens)) && opens != VARIANT_FALSE)
            return true;
        auto element = QueryAs<IDataElement>(value);
        VARIANT_BOOL valid = VARIANT_FALSE;
        return element && SUCCEEDED(utilities->IsValidDataElement(element.Get(), &valid)) && valid != VARIANT_FALSE;
    }
    return !QueryAs<IField>(value);
}

HRESULT GPCompositeDataType::CreateValue(const OLECHAR* text, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPUtilities> utilities;
        AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities.OutVoid());
        ComPtr<IGPValue> fallback;
        HRESULT fallbackResult = S_OK;
        for (const auto& member : members_) {
            ComPtr<IGPValue> made;
            HRESULT hr = member->CreateValue(text, made.Out());
            if (hr != S_OK || !made)
                continue; // S_FALSE too: a value that could not read the text does not understand it
            if (!fallback) {
                fallback = made;
                fallbackResult = hr;
                if (AnswersAny(member.Get(), {IGPStringType::iid, kFallbackTypeIid}))
                    continue; // a text is always a string: another member may say more
            }
            if (Takes(member.Get(), made.Get(), utilities.Get())) {
                *value = made.Detach();
                return hr;
            }
        }
        *value = fallback.Detach();
        return fallbackResult;
    });
}

HRESULT GPCompositeDataType::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!other)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (auto composite = QueryAs<IGPCompositeDataType>(other)) {
            int32_t count = 0;
            composite->get_Count(&count);
            if (static_cast<size_t>(count) != members_.size())
                return SUCCEEDED(MakeErrorMessage(kMemberCountDiffers, message)) ? S_FALSE : E_FAIL;
            auto collected = MakeObject<GPMultiMessage>();
            for (int32_t i = 0; i < count; ++i) {
                ComPtr<IGPDataType> theirs;
                composite->get_DataType(i, theirs.Out());
                ComPtr<IGPMessage> verdict;
                members_[static_cast<size_t>(i)]->ValidateDataType(theirs.Get(), verdict.Out());
                if (verdict)
                    collected->AddMessage(verdict.Get());
            }
            *message = static_cast<IGPMessage*>(collected.Detach());
            return S_OK;
        }
        if (members_.empty())
            return E_FAIL; // nothing to check against
        ComPtr<IGPMessage> last;
        for (const auto& member : members_) {
            ComPtr<IGPMessage> verdict;
            if (HRESULT hr = member->ValidateDataType(other, verdict.Out()); FAILED(hr))
                return hr;
            if (Good(verdict.Get())) {
                *message = verdict.Detach();
                return S_OK;
            }
            last = verdict;
        }
        *message = last.Detach();
        return S_OK;
    });
}

HRESULT GPCompositeDataType::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> valueType;
        value->get_DataType(valueType.Out());
        auto domains = QueryAs<IGPCompositeDomain>(domain);
        auto collected = MakeObject<GPMultiMessage>();
        ComPtr<GPMultiMessage> typeMatched; // the complaints of members that took the value's data type
        for (size_t i = 0; i < members_.size(); ++i) {
            IGPDataType* member = members_[i].Get();
            ComPtr<IGPDomain> memberDomain(domain);
            if (domains) {
                memberDomain = nullptr;
                domains->get_Domain(static_cast<int32_t>(i), memberDomain.Out());
            }
            ComPtr<IGPMessage> typeVerdict;
            bool takesType = valueType && SUCCEEDED(member->ValidateDataType(valueType.Get(), typeVerdict.Out())) &&
                             Good(typeVerdict.Get());
            ComPtr<IGPMessage> verdict;
            if (HRESULT hr = member->ValidateValue(value, memberDomain.Get(), verdict.Out()); FAILED(hr))
                return hr;
            if (verdict)
                collected->AddMessage(verdict.Get());
            if (Good(verdict.Get())) {
                *message = verdict.Detach();
                return S_OK;
            }
            if (AnswersAny(member, {kSoleVerdictTypeIid}) && MessageCode(verdict.Get()) == kSoleVerdictCode) {
                collected->Clear();
                collected->AddMessage(verdict.Get());
                typeMatched = nullptr;
                break;
            }
            if (takesType && verdict) {
                if (!typeMatched)
                    typeMatched = MakeObject<GPMultiMessage>();
                typeMatched->AddMessage(verdict.Get());
            }
        }
        if (typeMatched) {
            collected->Clear();
            int32_t count = 0;
            typeMatched->get_Count(&count);
            for (int32_t i = 0; i < count; ++i) {
                ComPtr<IGPMessage> kept;
                typeMatched->GetMessage(i, kept.Out());
                collected->AddMessage(kept.Get());
            }
        }
        *message = static_cast<IGPMessage*>(collected.Detach());
        return S_OK;
    });
}

HRESULT GPCompositeDataType::Assign(IClone* source) {
    auto other = QueryAs<IGPCompositeDataType>(source);
    if (!other)
        return E_FAIL;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        other->get_Count(&count);
        std::vector<ComPtr<IGPDataType>> members;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPDataType> member;
            other->get_DataType(i, member.Out());
            if (member)
                members.push_back(std::move(member));
        }
        members_ = std::move(members); // the source's members, shared
        return CoreAssign(source);
    });
}

HRESULT GPCompositeDataType::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto composite = QueryAs<IGPCompositeDataType>(other);
    if (!composite)
        return S_OK;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        composite->get_Count(&count);
        if (static_cast<size_t>(count) != members_.size())
            return S_OK;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPDataType> theirs;
            composite->get_DataType(i, theirs.Out());
            if (!theirs || !EqualByClone(members_[static_cast<size_t>(i)].Get(), theirs.Get()))
                return S_OK;
        }
        return CoreIsEqual(other, equal);
    });
}

HRESULT GPCompositeDataType::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(members_.size());
    return S_OK;
}

HRESULT GPCompositeDataType::get_DataType(int32_t index, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (index >= 0 && static_cast<size_t>(index) < members_.size())
        *dataType = ComPtr<IGPDataType>(members_[static_cast<size_t>(index)]).Detach();
    return S_OK;
}

HRESULT GPCompositeDataType::AddDataType(IGPDataType* dataType) {
    if (!dataType)
        return E_POINTER;
    return guard([&] {
        members_.emplace_back(dataType);
        return S_OK;
    });
}

HRESULT GPCompositeDataType::RemoveDataType(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= members_.size())
        return E_FAIL;
    members_.erase(members_.begin() + index);
    return S_OK;
}

HRESULT GPCompositeDataType::get_OpenGxObjectFilters(IArray** filters) {
    if (HRESULT hr = ClearOut(filters); FAILED(hr))
        return hr;
    return guard([&] {
        auto all = MakeObject<ObjectArray>();
        int32_t total = 0;
        for (const auto& member : members_) {
            auto info = QueryAs<IGxFilterInfo>(member.Get());
            ComPtr<IArray> memberFilters;
            if (!info || FAILED(info->get_OpenGxObjectFilters(memberFilters.Out())) || !memberFilters)
                continue;
            int32_t count = 0;
            memberFilters->get_Count(&count);
            for (int32_t i = 0; i < count; ++i) {
                ComPtr<IUnknown> filter;
                memberFilters->get_Element(i, filter.Out());
                all->Add(filter.Get());
                ++total;
            }
        }
        if (total > 0)
            *filters = static_cast<IArray*>(all.Detach());
        return S_OK;
    });
}

// --- the name ---

HRESULT GPCompositeDataTypeName::Open(IUnknown** type) {
    if (HRESULT hr = ClearOut(type); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<GPCompositeDataType>();
        for (const auto& member : members_) {
            ComPtr<IUnknown> opened;
            auto name = QueryAs<IName>(member.Get());
            if (name && SUCCEEDED(name->Open(opened.Out())))
                if (auto dataType = QueryAs<IGPDataType>(opened.Get()))
                    made->AddDataType(dataType.Get());
        }
        *type = static_cast<IGPDataType*>(made.Detach());
        return S_OK;
    });
}

HRESULT GPCompositeDataTypeName::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(members_.size());
    return S_OK;
}

HRESULT GPCompositeDataTypeName::get_DataTypeName(int32_t index, IGPDataTypeName** name) {
    if (HRESULT hr = ClearOut(name); FAILED(hr))
        return hr;
    if (index < 0 || static_cast<size_t>(index) >= members_.size())
        return S_OK;
    *name = QueryAs<IGPDataTypeName>(members_[static_cast<size_t>(index)].Get()).Detach();
    return S_OK;
}

HRESULT GPCompositeDataTypeName::AddDataTypeName(IUnknown* name) {
    return guard([&] {
        members_.emplace_back(name);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT GPCompositeDataTypeName::RemoveDataTypeName(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= members_.size())
        return E_FAIL;
    members_.erase(members_.begin() + index);
    dirty_ = true;
    return S_OK;
}

void GPCompositeDataTypeName::SetList() {
    members_.clear();
    dirty_ = true;
}

HRESULT GPCompositeDataTypeName::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kStreamVersion)) ||
            FAILED(AfStreamWrite(stream, static_cast<int32_t>(members_.size()))))
            return E_FAIL;
        for (const auto& member : members_)
            if (FAILED(SaveObject(member.Get(), stream, clearDirty)))
                return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT GPCompositeDataTypeName::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0; // read, not checked
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &version)) || FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        std::vector<ComPtr<IUnknown>> members;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> member;
            if (FAILED(LoadObject(stream, IUnknown::iid, member.OutVoid())))
                return E_FAIL;
            members.push_back(std::move(member));
        }
        members_ = std::move(members); // a read that fails changes nothing
        dirty_ = false;
        return S_OK;
    });
}

HRESULT GPCompositeDataTypeName::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto array = MakeObject<ObjectArray>();
        for (const auto& member : members_)
            array->Add(member.Get());
        HRESULT hr = data->put_TypeName(u"GPCompositeDataTypeName");
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (SUCCEEDED(hr))
            hr = data->AddObjectArray(u"GPDataTypeNameArray", static_cast<IArray*>(array.Get()), u"GPDataTypeName",
                                      c_xml_ns_tavi);
        return hr;
    });
}

HRESULT GPCompositeDataTypeName::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::vector<ComPtr<IUnknown>> elements;
        if (HRESULT hr = ReadXmlObjectArray(data, u"GPDataTypeNameArray", u"ArrayOfGPDataTypeName", elements);
            FAILED(hr))
            return hr;
        std::vector<ComPtr<IUnknown>> members;
        for (const auto& element : elements)
            if (auto name = QueryAs<IGPDataTypeName>(element.Get()))
                members.emplace_back(name.Get());
        members_ = std::move(members);
        dirty_ = true;
        return S_OK;
    });
}

} // namespace tavi
