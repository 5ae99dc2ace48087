// The data type base's shared part.
#include "host/GPDataType.h"

#include "host/CreateInstance.h"
#include "host/GPName.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/StringTable.h"
#include "host/UID.h"
#include "host/ValueResolver.h"

namespace tavi {

GPDataTypeCore::GPDataTypeCore(const DataTypeIdentity& identity)
    : name_(identity.name ? identity.name : u""), displayName_(LoadResourceString(identity.displayNameId)),
      helpFile_(identity.helpFile ? identity.helpFile : u""), dataTypeClassId_(identity.dataTypeClassId),
      factoryClassId_(identity.factoryClassId), valueClassId_(identity.valueClassId),
      controlClassId_(identity.controlClassId), typeInterfaceId_(identity.typeInterfaceId),
      valueInterfaceId_(identity.valueInterfaceId) {
    if (displayName_.empty())
        displayName_ = name_; // a number the string table lacks: the name is better than nothing
}

HRESULT GPDataTypeCore::GetText(const String& field, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = MakeBSTR(field);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPDataTypeCore::MakeDataTypeErrorMessage(VARIANT_BOOL valid, IGPDataType* other, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (valid)
        return MakeEmptyMessage(message);
    return guard([&] {
        BStr otherName;
        if (other && FAILED(other->get_DisplayName(otherName.Out())))
            otherName.Reset();
        return MakeMessage(taviGPMessageTypeError, kMessageCodeInvalidDataType,
                           VerdictText(kMessageCodeInvalidDataType, otherName.view(), displayName_), message);
    });
}

HRESULT GPDataTypeCore::MakeValueErrorMessage(VARIANT_BOOL valid, IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (valid)
        return MakeEmptyMessage(message);
    return MakeInvalidValueMessage(value, message);
}

HRESULT GPDataTypeCore::UnpackValue(IGPValue* value, IGPValue** actual) {
    return ResolveValue(value, actual);
}

HRESULT GPDataTypeCore::ValidateDataTypeAgainst(IGPDataType* other, std::initializer_list<IID> accepted,
                                                IGPMessage** message) {
    if (!other || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&] {
        bool ok = AnswersAny(other, accepted);
        return MakeDataTypeErrorMessage(ok ? VARIANT_TRUE : VARIANT_FALSE, other, message);
    });
}

HRESULT GPDataTypeCore::ValidateValueAgainst(IGPValue* value, IGPDomain* domain, std::initializer_list<IID> accepted,
                                             IGPMessage** message) {
    if (!value || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&] {
        ComPtr<IGPValue> actual;
        HRESULT hr = UnpackValue(value, actual.Out());
        if (FAILED(hr))
            return hr;
        if (!AnswersAny(actual.Get(), accepted))
            return MakeValueErrorMessage(VARIANT_FALSE, value, message);
        if (domain)
            return domain->MemberOf(actual.Get(), message);
        return MakeValueErrorMessage(VARIANT_TRUE, value, message);
    });
}

HRESULT GPDataTypeCore::CoreControlCLSID(IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (controlClassId_ == GUID_NULL)
        return S_FALSE;
    return MakeUID(controlClassId_, control);
}

HRESULT GPDataTypeCore::CoreFullName(IName** fullName) {
    if (HRESULT hr = ClearOut(fullName); FAILED(hr))
        return hr;
    return guard([&] {
        auto name = MakeObject<GPName>();
        String category = LoadResourceString(kDataTypeCategoryStringId);
        name->put_Name(name_.c_str());
        name->put_DisplayName(displayName_.c_str());
        name->put_Description(displayName_.c_str());
        name->put_Category(category.empty() ? u"Data Type" : category.c_str());
        name->SetFactoryClassId(factoryClassId_);
        *fullName = static_cast<IName*>(name.Detach());
    });
}

HRESULT GPDataTypeCore::CoreCreateValue(const OLECHAR* text, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&] {
        ComPtr<IGPValue> made;
        HRESULT hr = AfCreateInstance(valueClassId_, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, made.OutVoid());
        if (FAILED(hr))
            return hr;
        if (!made)
            return E_FAIL;
        HRESULT result = S_OK;
        if (text) {
            ComPtr<IGPMessage> message;
            hr = made->SetAsText(text, message.Out());
            if (FAILED(hr))
                return hr;
            if (MessageIsError(message.Get()))
                result = S_FALSE;
        }
        *value = made.Detach();
        return result;
    });
}

HRESULT GPDataTypeCore::CoreClone(IClone** clone) {
    return CloneByClass(dataTypeClassId_, SelfClone(), clone);
}

namespace {

// True when `other` is a data type of the class `clsid` (by its class identifier when it tells one, else by name).
bool SameDataTypeClass(IUnknown* other, const CLSID& clsid, const String& name) {
    auto dataType = QueryAs<IGPDataType>(other);
    if (!dataType)
        return false;
    CLSID otherClass = GUID_NULL;
    if (auto id = QueryAs<IClassID>(other); id && SUCCEEDED(id->get_ClassID(&otherClass)) && otherClass != GUID_NULL)
        return otherClass == clsid;
    BStr otherName;
    return SUCCEEDED(dataType->get_Name(otherName.Out())) && EqualsNoCase(otherName.view(), name);
}

} // namespace

HRESULT GPDataTypeCore::CoreAssign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&] { return SameDataTypeClass(source, dataTypeClassId_, name_) ? S_OK : E_INVALIDARG; });
}

HRESULT GPDataTypeCore::CoreIsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] { *equal = SameDataTypeClass(other, dataTypeClassId_, name_) ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT GPDataTypeCore::CoreIsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(SelfClone(), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

} // namespace tavi
