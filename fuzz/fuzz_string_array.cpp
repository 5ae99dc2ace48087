// Arbitrary input to the string array's readers. The first byte chooses the form (even: the stream form, odd: the XML
// form); the rest is the form's content, read into an array that already holds a text. A read that fails must leave
// that text as it was; what is read holds no NUL, writes a stream form that reads back to the same texts and
// writes an XML document that reads back to the same texts (a lone surrogate as U+FFFD). No input may crash, hang or
// leak: the module object count must come back to where it was.
#include "ProvidedClasses.h"
#include "host/StringArray.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

HRESULT LoadStream(StringArray* array, const uint8_t* data, size_t size) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(data, static_cast<ULONG>(size), 0, stream.Out())))
        return E_FAIL;
    return array->Load(stream.Get());
}

std::vector<String> StreamRoundTrip(StringArray* array) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, 0, stream.Out())) || FAILED(array->Save(stream.Get(), 1)))
        Fail("the stream form of a read array cannot be written");
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto back = MakeObject<StringArray>();
    if (FAILED(back->Load(stream.Get())))
        Fail("the stream form of a read array does not read back");
    return back->Texts();
}

std::vector<String> XmlRoundTrip(StringArray* array) {
    BStr xml;
    if (FAILED(TaviXmlSerialize(static_cast<IStringArray*>(array), nullptr, xml.Out())))
        Fail("the XML form of a read array cannot be written");
    auto back = MakeObject<StringArray>();
    if (FAILED(TaviXmlDeserialize(xml.c_str(), static_cast<IStringArray*>(back.Get()))))
        Fail("the XML form of a read array does not read back");
    return back->Texts();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ProvidedClasses(); // installs the module as the class source
    if (size < 1 || size > (1u << 20))
        return 0;
    int32_t objectsBefore = fuzz::ObjectsLeftAfterSingletons();
    {
        auto array = MakeObject<StringArray>();
        array->Add(u"before");
        HRESULT hr = S_OK;
        if (data[0] % 2 == 0) {
            hr = LoadStream(array.Get(), data + 1, size - 1);
        } else {
            String xml = FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
            hr = TaviXmlDeserialize(xml.c_str(), static_cast<IStringArray*>(array.Get()));
        }
        if (FAILED(hr)) {
            if (array->Texts() != std::vector<String>{u"before"})
                Fail("a failed read changed the array");
        } else {
            for (const String& text : array->Texts())
                if (text.find(u'\0') != String::npos)
                    Fail("a text holding NUL was read");
            if (StreamRoundTrip(array.Get()) != array->Texts())
                Fail("the stream form does not read back to the same texts");
            // Text leaves for XML as UTF-8, where a lone surrogate becomes U+FFFD; everything else comes back.
            std::vector<String> expected;
            for (const String& text : array->Texts())
                expected.push_back(FromUtf8(ToUtf8(text)));
            if (XmlRoundTrip(array.Get()) != expected)
                Fail("the XML form does not read back to the same texts");
        }
    }
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != objectsBefore) {
        std::fprintf(stderr, "objects leaked: %d before, %d after\n", objectsBefore, after);
        std::abort();
    }
    return 0;
}
