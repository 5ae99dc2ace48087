// Arbitrary text read as the JSON text of a key-value whose data type declares keys of several kinds: a required
// long, an optional double, boolean, string and list of strings, and a nested key-value with a required key of its
// own. A text that is read must be written as a text that reads again, and after that one round the text must stay
// the same (writing leaves out what reading cannot give back, such as empty list members); a text that is refused
// must leave the value as it was. No input may crash, hang or leak: the module object count must come back to where
// it was.
#include "ProvidedClasses.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/Geoprocessing.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

template <class I> ComPtr<I> Make(const CLSID& clsid) {
    ComPtr<I> made;
    AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid());
    return made;
}

ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
    auto factory = Make<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
    ComPtr<IGPDataType> type;
    if (factory)
        factory->GetDataType(name, type.Out());
    return type;
}

ComPtr<IGPDataType> KeyValueType() {
    auto tags = Make<IGPMultiValueType>(CLSID_GPMultiValueType);
    tags->putref_MemberDataType(TypeNamed(u"GPString").Get());
    auto child = Make<IGPKeyValueType>(CLSID_GPKeyValueType);
    child->AddKey(u"label", TypeNamed(u"GPString").Get(), VARIANT_TRUE);
    child->AddKey(u"size", TypeNamed(u"GPDouble").Get(), VARIANT_FALSE);
    auto type = Make<IGPKeyValueType>(CLSID_GPKeyValueType);
    type->AddKey(u"id", TypeNamed(u"GPLong").Get(), VARIANT_TRUE);
    type->AddKey(u"ratio", TypeNamed(u"GPDouble").Get(), VARIANT_FALSE);
    type->AddKey(u"flag", TypeNamed(u"GPBoolean").Get(), VARIANT_FALSE);
    type->AddKey(u"name", TypeNamed(u"GPString").Get(), VARIANT_FALSE);
    type->AddKey(u"tags", tags.As<IGPDataType>().Get(), VARIANT_FALSE);
    type->AddKey(u"child", child.As<IGPDataType>().Get(), VARIANT_FALSE);
    return type.As<IGPDataType>();
}

[[noreturn]] void Fail(const char* what, const std::u16string& text) {
    std::fprintf(stderr, "%s: %s\n", what, ToUtf8(text).c_str());
    std::abort();
}

// SetAsText's result; the value's text afterwards in *after.
HRESULT ReadText(IGPValue* value, const std::u16string& text, std::u16string* after) {
    ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    BStr written;
    if (FAILED(value->GetAsText(written.Out())))
        Fail("a value that was read cannot be written", text);
    *after = written.str();
    return hr;
}

void CheckInput(IGPDataType* type, const std::u16string& input) {
    // A value holding a text of its own first, so that a refused input shows whether it changed anything.
    ComPtr<IGPValue> value;
    type->CreateValue(uR"({"id":1,"tags":["t"]})", value.Out());
    if (!value)
        Fail("no value", input);
    std::u16string before, first, second, third;
    ReadText(value.Get(), u"#", &before);
    if (FAILED(ReadText(value.Get(), input, &first))) {
        if (first != before)
            Fail("a refused text changed the value", input);
        return;
    }
    if (FAILED(ReadText(value.Get(), first, &second)))
        Fail("a written text does not read back", first);
    if (FAILED(ReadText(value.Get(), second, &third)) || third != second)
        Fail("a written text does not come back the same", second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        SetModuleClassSource(&DllGetClassObject);
        SetThreadLocale(1033); // the text of numbers depends on it
        return true;
    }();
    (void)ready;
    if (size > (1u << 16))
        return 0;
    std::u16string input = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    if (ComPtr<IGPDataType> type = KeyValueType())
        CheckInput(type.Get(), input);
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
