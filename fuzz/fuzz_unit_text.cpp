// Arbitrary input given to the unit values: the first byte chooses the kind (linear, areal, time), what reads the
// rest (SetAsText, the stream form's Load, the XML form's Deserialize) and the thread locale. Whatever was read is
// written back out as text, stream and XML and compared with a clone. No input may crash, hang or leak: the module
// object count must come back to where it was.
#include "ProvidedClasses.h"
#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "tavi/GPUnits.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

constexpr CLSID kKinds[] = {CLSID_GPLinearUnit, CLSID_GPArealUnit, CLSID_GPTimeUnit};
constexpr LCID kLocales[] = {1033, 1031, 1025, 1054};

void Read(IGPValue* value, uint8_t mode, const uint8_t* data, size_t size) {
    if (mode == 1) {
        ComPtr<IStream> stream;
        if (SUCCEEDED(CreateStreamOnMemory(data, static_cast<ULONG>(size), 0, stream.Out())))
            QueryAs<IPersistStream>(value)->Load(stream.Get());
        return;
    }
    std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    if (mode == 2) {
        TaviXmlDeserialize(text.c_str(), value);
        return;
    }
    ComPtr<IGPMessage> message;
    value->SetAsText(text.c_str(), message.Out());
}

void WriteBack(IGPValue* value) {
    BStr text;
    value->GetAsText(text.Out());
    BStr xml;
    TaviXmlSerialize(value, nullptr, xml.Out());
    ComPtr<IStream> stream;
    if (SUCCEEDED(CreateStreamOnMemory(nullptr, 0, 0, stream.Out())))
        QueryAs<IPersistStream>(value)->Save(stream.Get(), 1);
    ComPtr<IClone> clone;
    if (SUCCEEDED(QueryAs<IClone>(value)->Clone(clone.Out())) && clone) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        QueryAs<IClone>(value)->IsEqual(clone.Get(), &equal);
        if (!equal) {
            std::fprintf(stderr, "a clone differs from its source\n");
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 16))
        return 0;
    SetModuleClassSource(&DllGetClassObject);
    uint8_t choice = data[0];
    SetThreadLocale(kLocales[(choice >> 4) % std::size(kLocales)]);
    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    {
        ComPtr<IGPValue> value;
        if (SUCCEEDED(
                AfCreateInstance(kKinds[choice % 3], nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, value.OutVoid())) &&
            value) {
            Read(value.Get(), (choice >> 2) % 3, data + 1, size - 1);
            WriteBack(value.Get());
        }
    }
    SetThreadLocale(1033);
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
