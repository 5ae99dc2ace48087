// Arbitrary text as an XML document: read by a probe object that asks every element for every kind (string,
// integer, double, boolean, date, variant, object, array of objects), and by the sample value's Deserialize. Object
// elements may name the sample classes or any class of the module's table, so that every class's Deserialize is
// reached. No input may crash, hang or leak: the module object count must come back to where it was.
#include "../tests/SampleValue.h"
#include "ProvidedClasses.h"

#include "host/XmlSerialize.h"
#include "platform/Utf.h"
#include "tavi/Collections.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace tavi;

namespace {

class CollectingArray final : public Object<CollectingArray, IArray> {
public:
    HRESULT get_Count(int32_t* count) override {
        *count = static_cast<int32_t>(items_.size());
        return S_OK;
    }
    HRESULT get_Element(int32_t index, IUnknown** element) override {
        return index >= 0 && static_cast<size_t>(index) < items_.size() ? items_[index].CopyTo(element) : E_INVALIDARG;
    }
    HRESULT Add(IUnknown* element) override {
        items_.emplace_back(element);
        return S_OK;
    }
    HRESULT Insert(int32_t, IUnknown*) override { return E_NOTIMPL; }
    HRESULT Remove(int32_t) override { return E_NOTIMPL; }
    HRESULT RemoveAll() override {
        items_.clear();
        return S_OK;
    }

private:
    std::vector<ComPtr<IUnknown>> items_;
};

// Reads each element in every way the reader offers; failures are expected, crashes are not.
class ReadEverything final : public Object<ReadEverything, IXMLSerialize> {
public:
    HRESULT Serialize(IXMLSerializeData*) override { return E_NOTIMPL; }
    HRESULT Deserialize(IXMLSerializeData* data) override {
        BStr text;
        data->get_TypeName(text.Out());
        data->get_TypeNamespaceURI(text.Out());
        int32_t count = 0;
        data->get_ElementCount(&count);
        for (int32_t i = 0; i < count; ++i) {
            data->GetElementName(i, text.Out());
            int32_t index = -1;
            data->Find(text.c_str(), &index);
            data->GetString(i, text.Out());
            int32_t integer;
            data->GetInteger(i, &integer);
            double number;
            data->GetDouble(i, &number);
            VARIANT_BOOL flag;
            data->GetBoolean(i, &flag);
            DATE date;
            data->GetDate(i, &date);
            Variant variant;
            data->GetVariant(i, &variant);
            ComPtr<IUnknown> object;
            data->GetObject(i, nullptr, nullptr, object.Out());
            auto array = MakeObject<CollectingArray>();
            data->GetObjectArray(i, nullptr, nullptr, static_cast<IArray*>(array.Get()));
        }
        return S_OK;
    }
};

// The sample classes first, then the module's.
HRESULT SampleThenModuleClasses(REFCLSID clsid, REFIID riid, void** factory) {
    HRESULT hr = test::SampleClassSource(clsid, riid, factory);
    return hr == CLASS_E_CLASSNOTAVAILABLE ? DllGetClassObject(clsid, riid, factory) : hr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool installed = (SetModuleClassSource(&SampleThenModuleClasses), true);
    (void)installed;
    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    {
        std::u16string xml = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
        auto probe = MakeObject<ReadEverything>();
        TaviXmlDeserialize(xml.c_str(), static_cast<IXMLSerialize*>(probe.Get()));
        auto sample = MakeObject<test::GPSample>();
        TaviXmlDeserialize(xml.c_str(), static_cast<IGPValue*>(sample.Get()));
        BStr back;
        TaviXmlSerialize(static_cast<IGPValue*>(sample.Get()), nullptr, back.Out()); // whatever was read writes
    }
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
