// Arbitrary text read as the text of a field info. A text that is read must be written as a text that reads back to
// the very same text and to equal entries, and the entries must survive the stream form; a text that is refused must
// leave the value as it was, its entries and its index by name alike. No input may crash, hang or leak: the module
// object count must come back to where it was.
#include "ProvidedClasses.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/GPFieldInfo.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

constexpr const char16_t* kBefore = u"kept 'k k' HIDDEN RATIO";

ComPtr<IGPFieldInfo> NewInfo() {
    ComPtr<IGPFieldInfo> made;
    AfCreateInstance(CLSID_GPFieldInfo, nullptr, CLSCTX_INPROC_SERVER, IGPFieldInfo::iid, made.OutVoid());
    return made;
}

[[noreturn]] void Fail(const char* what, const std::u16string& text) {
    std::fprintf(stderr, "%s: %s\n", what, ToUtf8(text).c_str());
    std::abort();
}

// SetAsText's result; the value's text afterwards in *after.
HRESULT ReadText(IGPFieldInfo* info, const std::u16string& text, std::u16string* after) {
    auto value = QueryAs<IGPValue>(info);
    ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    if (!message)
        Fail("no message handed out", text);
    BStr written;
    if (FAILED(value->GetAsText(written.Out())))
        Fail("a value cannot be written", text);
    *after = written.str();
    return hr;
}

bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal);
    return equal != VARIANT_FALSE;
}

void CheckInput(const std::u16string& input) {
    auto info = NewInfo();
    if (!info)
        Fail("no field info", input);
    std::u16string before, first, second;
    ReadText(info.Get(), kBefore, &before);
    if (FAILED(ReadText(info.Get(), input, &first))) {
        int32_t at = -1;
        if (first != before || info->FindField(u"KEPT", &at) != S_OK || at != 0)
            Fail("a refused text changed the value", input);
        return;
    }
    auto again = NewInfo();
    if (FAILED(ReadText(again.Get(), first, &second)))
        Fail("a written text does not read back", first);
    if (second != first)
        Fail("a written text does not come back the same", first);
    auto third = NewInfo();
    std::u16string ignored;
    ReadText(third.Get(), second, &ignored);
    if (!Equal(again.Get(), third.Get()))
        Fail("a written text reads as other entries", second);

    ComPtr<IStream> stream;
    CreateStreamOnMemory(nullptr, 0, 0, stream.Out());
    auto loaded = NewInfo();
    if (FAILED(QueryAs<IPersistStream>(info.Get())->Save(stream.Get(), 1)) ||
        FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr)) ||
        FAILED(QueryAs<IPersistStream>(loaded.Get())->Load(stream.Get())) || !Equal(loaded.Get(), info.Get()))
        Fail("the entries do not survive the stream form", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        SetModuleClassSource(&DllGetClassObject);
        return true;
    }();
    (void)ready;
    if (size > (1u << 16))
        return 0;
    std::u16string input = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    CheckInput(input);
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
