// Arbitrary text given to one class of the module: a value reads it with SetAsText, a data type makes a value from
// it with CreateValue, and any class that has an XML form reads it as an XML document; whatever was read is then
// written back out. The first byte chooses the thread locale (the text forms of numbers and dates depend on it), the
// next two the class. No input may crash, hang or leak: the module object count must come back to where it was.
#include "ProvidedClasses.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/Geoprocessing.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace tavi;

namespace {

constexpr LCID kLocales[] = {1033, 1031, 1025, 1054};

// Protected texts need a key; the fuzzer gets a key file of its own, never the user's.
void UseScratchKeyFile() {
    if (std::getenv("TAVI_KEY_FILE"))
        return;
    auto path = std::filesystem::temp_directory_path() / "tavi-fuzz-key";
    setenv("TAVI_KEY_FILE", path.c_str(), 1);
}

void ReadAsValue(IUnknown* object, const std::u16string& text) {
    ComPtr<IGPValue> value;
    if (FAILED(object->QueryInterface(IGPValue::iid, value.OutVoid())) || !value)
        return;
    ComPtr<IGPMessage> message;
    value->SetAsText(text.c_str(), message.Out());
    BStr back;
    value->GetAsText(back.Out());
    ComPtr<IClone> clone;
    if (auto source = value.As<IClone>(); source && SUCCEEDED(source->Clone(clone.Out())) && clone) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        source->IsEqual(clone.Get(), &equal);
    }
}

void CreateThroughType(IUnknown* object, const std::u16string& text) {
    ComPtr<IGPDataType> type;
    if (FAILED(object->QueryInterface(IGPDataType::iid, type.OutVoid())) || !type)
        return;
    ComPtr<IGPValue> made;
    type->CreateValue(text.c_str(), made.Out());
    if (made) {
        BStr back;
        made->GetAsText(back.Out());
        ComPtr<IGPMessage> message;
        type->ValidateValue(made.Get(), nullptr, message.Out());
    }
}

void ReadAsXml(IUnknown* object, const std::u16string& text) {
    ComPtr<IXMLSerialize> xml;
    if (FAILED(object->QueryInterface(IXMLSerialize::iid, xml.OutVoid())) || !xml)
        return;
    TaviXmlDeserialize(text.c_str(), object);
    BStr back;
    TaviXmlSerialize(object, nullptr, back.Out());
}

// A new object of the class, or null.
ComPtr<IUnknown> Create(const CLSID& clsid) {
    ComPtr<IUnknown> object;
    if (FAILED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, object.OutVoid())))
        object = nullptr;
    return object;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        UseScratchKeyFile();
        return true;
    }();
    (void)ready;
    const auto& classes = fuzz::ProvidedClasses();
    if (size < 3 || size > (1u << 16) || classes.empty())
        return 0;
    SetThreadLocale(kLocales[data[0] % std::size(kLocales)]);
    const CLSID& clsid = classes[(data[1] | data[2] << 8) % classes.size()];
    std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 3), size - 3));

    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    if (ComPtr<IUnknown> object = Create(clsid)) {
        ReadAsValue(object.Get(), text);
        CreateThroughType(object.Get(), text);
        ReadAsXml(object.Get(), text);
    }
    SetThreadLocale(1033);
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
