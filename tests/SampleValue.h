// A small value, data type, domain and variable built on the bases, for the tests of the bases and the XML layer:
// GPSample holds one 32-bit number written in decimal; GPSampleType is its data type; GPSampleDomain admits
// numbers up to a maximum; GPSampleVariable stands for another value. SampleClassScope makes them creatable by
// class identifier for the life of a test.
#pragma once

#include "host/CreateInstance.h"
#include "host/GPDataType.h"
#include "host/GPDomain.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "platform/Utf.h"

#include <charconv>
#include <string>

namespace tavi::test {

struct IGPSample : IUnknown {
    static constexpr IID iid{0x2153585C, 0x840C, 0x4D24, {0xB9, 0x59, 0x27, 0xDD, 0xAA, 0x64, 0xAF, 0x16}};
    virtual HRESULT get_Value(int32_t* value) = 0;
    virtual HRESULT put_Value(int32_t value) = 0;
};
struct IGPSampleType : IUnknown {
    static constexpr IID iid{0x259A9320, 0xC856, 0x4D61, {0x93, 0xCF, 0xFE, 0x67, 0x22, 0xAF, 0x1F, 0x15}};
};
struct IGPSampleDomain : IUnknown {
    static constexpr IID iid{0x5FBD48FA, 0xC3C4, 0x43E5, {0x87, 0x72, 0x8D, 0xC5, 0xDE, 0x7C, 0x64, 0x6D}};
    virtual HRESULT put_Maximum(int32_t maximum) = 0;
};

constexpr CLSID CLSID_GPSample{0x15EB9E99, 0x618F, 0x4285, {0x8D, 0xFB, 0x99, 0x0B, 0xB5, 0x9E, 0x24, 0x49}};
constexpr CLSID CLSID_GPSampleType{0x628FC004, 0x5FD0, 0x4B91, {0xB5, 0xCC, 0x6C, 0x67, 0xE3, 0x0D, 0x8B, 0xFC}};
constexpr CLSID CLSID_GPSampleDomain{0xB4A6A2C3, 0x4E5D, 0x46BE, {0x9D, 0xB2, 0x18, 0xA0, 0x7B, 0x93, 0x8F, 0xFA}};
constexpr int32_t kSampleTextCode = 999;   // the text is not a number
constexpr int32_t kSampleDomainCode = 998; // the number is above the maximum
constexpr uint16_t kSampleVersion = 2;

class GPSample final : public GPValue<GPSample, IGPSample, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPSample;
    static constexpr const char16_t* kClassName = u"GPSample";
    static constexpr uint16_t kStreamVersion = kSampleVersion;
    GPSample() : GPValue(kClassId, CLSID_GPSampleType) {}

    HRESULT get_Value(int32_t* value) override {
        if (!value)
            return E_POINTER;
        *value = value_;
        return S_OK;
    }
    HRESULT put_Value(int32_t value) override {
        value_ = value;
        SetModified();
        return S_OK;
    }

    HRESULT Empty() override {
        value_ = 0;
        return BaseEmpty();
    }
    HRESULT GetAsText(BSTR* text) override {
        if (!text)
            return E_POINTER;
        *text = MakeBSTR(IsEmptyFlag() ? String() : FromUtf8(std::to_string(value_)));
        return S_OK;
    }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override {
        HRESULT hr = NewTextMessage(message);
        if (FAILED(hr))
            return hr;
        std::string digits = ToUtf8(text ? text : u"");
        if (digits.empty())
            return Empty();
        int32_t parsed = 0;
        auto result = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
        if (result.ec != std::errc() || result.ptr != digits.data() + digits.size())
            return QueryAs<IGPErrorMessage>(*message)->MakeError(taviGPMessageTypeError, kSampleTextCode);
        return put_Value(parsed);
    }

    HRESULT Assign(IClone* source) override {
        auto other = QueryAs<IGPSample>(source);
        if (!other)
            return E_INVALIDARG;
        int32_t value = 0;
        other->get_Value(&value);
        put_Value(value);
        return BaseAssign(source);
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        if (!other || !equal)
            return E_POINTER;
        *equal = VARIANT_FALSE;
        auto sample = QueryAs<IGPSample>(other);
        if (!sample)
            return S_OK;
        int32_t value = 0;
        sample->get_Value(&value);
        return value == value_ ? BaseIsEqual(other, equal) : S_OK;
    }

private:
    HRESULT SaveContent(IStream* stream, uint16_t) override { return AfStreamWrite(stream, value_); }
    HRESULT LoadContent(IStream* stream, uint16_t) override { return AfStreamRead(stream, &value_); }
    HRESULT SerializeContent(IXMLSerializeData* data) override { return data->AddInteger(u"Value", value_); }
    HRESULT DeserializeContent(IXMLSerializeData* data) override {
        int32_t index = -1;
        data->Find(u"Value", &index);
        value_ = 0;
        return index < 0 ? S_OK : data->GetInteger(index, &value_);
    }

    int32_t value_ = 0;
};

class GPSampleType final : public GPDataType<GPSampleType, IGPSampleType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPSampleType;
    static constexpr const char16_t* kClassName = u"GPSampleType";
    static constexpr CLSID kControlClassId{
        0xC920D6D9, 0xA7EC, 0x447D, {0x8F, 0xEC, 0xA4, 0x9F, 0x6E, 0x42, 0xEA, 0xD1}};
    GPSampleType()
        : GPDataType(
              {u"GPSample", 4665, kClassId, CLSID_GPSample, kControlClassId, IGPSampleType::iid, IGPSample::iid}) {}
};

class GPSampleDomain final : public GPDomain<GPSampleDomain, DomainInterfaces, IGPSampleDomain> {
public:
    static constexpr CLSID kClassId = CLSID_GPSampleDomain;
    static constexpr const char16_t* kClassName = u"GPSampleDomain";
    static constexpr uint16_t kStreamVersion = 1;
    GPSampleDomain() : GPDomain(kClassId) {}

    HRESULT put_Maximum(int32_t maximum) override {
        maximum_ = maximum;
        SetDirty();
        return S_OK;
    }

    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override {
        if (!message)
            return E_POINTER;
        *message = nullptr;
        ComPtr<IGPValue> actual;
        HRESULT hr = UnpackValue(value, actual.Out());
        if (FAILED(hr))
            return hr;
        int32_t number = 0;
        auto sample = actual.As<IGPSample>();
        if (sample && SUCCEEDED(sample->get_Value(&number)) && number <= maximum_)
            return MakeEmptyMessage(message);
        hr = MakeErrorMessage(kSampleDomainCode, message);
        return FAILED(hr) ? hr : S_FALSE;
    }

    HRESULT Assign(IClone* source) override {
        auto other = QueryAs<IGPSampleDomain>(source);
        if (!other)
            return E_INVALIDARG;
        maximum_ = static_cast<GPSampleDomain*>(other.Get())->maximum_;
        SetDirty();
        return S_OK;
    }
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override {
        if (!other || !equal)
            return E_POINTER;
        auto domain = QueryAs<IGPSampleDomain>(other);
        *equal =
            domain && static_cast<GPSampleDomain*>(domain.Get())->maximum_ == maximum_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    HRESULT SaveContent(IStream* stream, uint16_t) override { return AfStreamWrite(stream, maximum_); }
    HRESULT LoadContent(IStream* stream, uint16_t) override { return AfStreamRead(stream, &maximum_); }
    HRESULT SerializeContent(IXMLSerializeData* data) override { return data->AddInteger(u"Maximum", maximum_); }
    HRESULT DeserializeContent(IXMLSerializeData* data) override {
        int32_t index = -1;
        data->Find(u"Maximum", &index);
        return index < 0 ? E_FAIL : data->GetInteger(index, &maximum_);
    }

    int32_t maximum_ = 100;
};

// A variable: answers IGPVariable and, so that it can be handed where a value is expected, IGPValue (whose
// operations it does not support).
class GPSampleVariable final : public Object<GPSampleVariable, IGPVariable, IGPValue> {
public:
    HRESULT get_Name(BSTR* name) override { return E_NOTIMPL; }
    HRESULT put_Name(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_Value(IGPValue** value) override { return held_.CopyTo(value); }
    HRESULT putref_Value(IGPValue* value) override {
        held_ = ComPtr<IGPValue>(value);
        return S_OK;
    }
    HRESULT get_DataType(IGPDataType**) override { return E_NOTIMPL; }
    HRESULT putref_DataType(IGPDataType*) override { return E_NOTIMPL; }
    HRESULT get_Derived(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT put_Derived(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT IsEmpty(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT GetAsText(BSTR*) override { return E_NOTIMPL; }
    HRESULT SetAsText(const OLECHAR*, IGPMessage**) override { return E_NOTIMPL; }
    HRESULT SerializeJSONObject(BSTR*) override { return E_NOTIMPL; }
    HRESULT DeserializeJSONObject(const OLECHAR*) override { return E_NOTIMPL; }

private:
    ComPtr<IGPValue> held_;
};

template <class T> class SampleFactory final : public Object<SampleFactory<T>, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return tavi::CreateInstance<T>(outer, riid, ppv);
    }
    HRESULT LockServer(int32_t) override { return S_OK; }
};

inline HRESULT SampleClassSource(REFCLSID clsid, REFIID riid, void** factory) {
    auto hand = [&](auto made) { return made->QueryInterface(riid, factory); };
    if (clsid == CLSID_GPSample)
        return hand(MakeObject<SampleFactory<GPSample>>());
    if (clsid == CLSID_GPSampleType)
        return hand(MakeObject<SampleFactory<GPSampleType>>());
    if (clsid == CLSID_GPSampleDomain)
        return hand(MakeObject<SampleFactory<GPSampleDomain>>());
    return CLASS_E_CLASSNOTAVAILABLE;
}

// Makes the sample classes creatable by class identifier while it lives.
class SampleClassScope {
public:
    SampleClassScope() { SetModuleClassSource(&SampleClassSource); }
    ~SampleClassScope() { SetModuleClassSource(nullptr); }
};

inline ComPtr<IGPSample> MakeSample(int32_t value) {
    auto sample = MakeObject<GPSample>();
    sample->put_Value(value);
    return ComPtr<IGPSample>(static_cast<IGPSample*>(sample.Get()));
}

} // namespace tavi::test
