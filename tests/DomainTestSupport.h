// Helpers of the tests of domains that hold other domains: creation through the module, range domains and values
// from text, stream round trips, and two stand-in domains for what real domains cannot show (a failing MemberOf,
// the exact value a domain was asked about, browse filters).
#pragma once

#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "tavi/Entry.h"
#include "tavi/GPDomains.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"

#include <string>
#include <vector>

namespace tavi::test {

template <class I> ComPtr<I> Create(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

// A range domain from `min` to `max` (numbers).
inline ComPtr<IGPDomain> NewRange(double min, double max) {
    auto range = Create<IRangeDomain>(CLSID_GPRangeDomain);
    if (!range)
        return nullptr;
    EXPECT_EQ(range->put_MinValue(Variant::Double(min)), S_OK);
    EXPECT_EQ(range->put_MaxValue(Variant::Double(max)), S_OK);
    return range.As<IGPDomain>();
}

// A value of `clsid` set from `text` (the text must be readable).
inline ComPtr<IGPValue> NewValue(REFCLSID clsid, const char16_t* text) {
    auto value = Create<IGPValue>(clsid);
    ComPtr<IGPMessage> message;
    if (value) {
        EXPECT_TRUE(SUCCEEDED(value->SetAsText(text, message.Out()))) << ToUtf8(text);
    }
    EXPECT_FALSE(MessageIsError(message.Get())) << ToUtf8(text);
    return value;
}

inline std::string TextOf(IUnknown* value) {
    BStr text;
    if (auto gp = QueryAs<IGPValue>(value))
        gp->GetAsText(text.Out());
    return ToUtf8(text.view());
}

inline bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}

inline ComPtr<IStream> NewStream(const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}

// Saves `object`, then loads a new object of `clsid` from the stream; null when either step fails.
template <class I> ComPtr<I> StreamCopy(IUnknown* object, REFCLSID clsid) {
    auto stream = NewStream();
    if (QueryAs<IPersistStream>(object)->Save(stream.Get(), 1) != S_OK)
        return nullptr;
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto read = Create<I>(clsid);
    if (QueryAs<IPersistStream>(read.Get())->Load(stream.Get()) != S_OK)
        return nullptr;
    return read;
}

// Answers MemberOf with a message of the given type and code and the given result, and remembers what it was
// asked about.
class RecordingDomain final : public Object<RecordingDomain, IGPDomain> {
public:
    explicit RecordingDomain(int32_t type = taviGPMessageTypeEmpty, int32_t code = 0, HRESULT result = S_OK)
        : type_(type), code_(code), result_(result) {}

    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override {
        ++calls;
        seen = ComPtr<IGPValue>(value);
        if (HRESULT hr = ClearOut(message); FAILED(hr))
            return hr;
        if (FAILED(result_))
            return result_;
        HRESULT hr = MakeMessage(type_, code_, u"", message);
        return FAILED(hr) ? hr : result_;
    }

    ComPtr<IGPValue> seen;
    int calls = 0;

private:
    int32_t type_;
    int32_t code_;
    HRESULT result_;
};

// Accepts everything and answers browse filters: the given texts as GPString values, or no array at all.
class FilterDomain final : public Object<FilterDomain, IGPDomain, IGxFilterInfo> {
public:
    explicit FilterDomain(std::vector<std::u16string> filters, bool givesArray = true)
        : filters_(std::move(filters)), givesArray_(givesArray) {}

    HRESULT MemberOf(IGPValue*, IGPMessage** message) override { return MakeEmptyMessage(message); }
    HRESULT get_OpenGxObjectFilters(IArray** filters) override {
        if (HRESULT hr = ClearOut(filters); FAILED(hr) || !givesArray_)
            return hr;
        ComPtr<IArray> array;
        CreateObjectArray(IArray::iid, array.OutVoid());
        for (const auto& text : filters_) {
            auto filter = Create<IGPString>(CLSID_GPString);
            filter->put_Value(text.c_str());
            array->Add(filter.Get());
        }
        *filters = array.Detach();
        return S_OK;
    }

private:
    std::vector<std::u16string> filters_;
    bool givesArray_;
};

// The texts of an array of string values (an element that is not one reads "?").
inline std::vector<std::string> FilterTexts(IArray* array) {
    std::vector<std::string> texts;
    int32_t count = 0;
    if (!array || FAILED(array->get_Count(&count)))
        return texts;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        array->get_Element(i, element.Out());
        BStr text;
        auto string = QueryAs<IGPString>(element.Get());
        texts.push_back(string && SUCCEEDED(string->get_Value(text.Out())) ? ToUtf8(text.view()) : "?");
    }
    return texts;
}

} // namespace tavi::test
