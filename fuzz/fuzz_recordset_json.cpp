// Arbitrary text read as the JSON form of a record or feature set, and as a layer definition. A text that is read
// must be written (compact and pretty, and as GeoJSON), and what was written must read back to the same content bit
// for bit, and after one more round to the same text; a text that is refused must leave the content that was there
// before as it was. No input may crash, hang or leak: the module object count must come back to where it was.
#include "data/RecordSetJson.h"
#include "platform/Object.h"
#include "tavi/RecordSet.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tavi;

namespace {

[[noreturn]] void Fail(const char* what, std::string_view input) {
    std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(input.size()), input.data());
    std::abort();
}

// A small feature set that a refused text must leave as it was.
constexpr std::string_view kBefore =
    R"({"geometryType":"taviGeometryPolyline","hasZ":true,"fields":[{"name":"OID","type":"taviFieldTypeOID"},)"
    R"({"name":"s","type":"taviFieldTypeString"}],"features":[{"attributes":{"OID":1,"s":"x"},)"
    R"("geometry":{"paths":[[[0,0,1],[1,1,2]]]}}]})";

void CheckRecordSet(std::string_view input) {
    RecordData before;
    if (FAILED(ReadRecordSetJson(kBefore, before)))
        Fail("the reference set cannot be read", kBefore);
    RecordData data;
    ReadRecordSetJson(kBefore, data);
    std::string error;
    if (FAILED(ReadRecordSetJson(input, data, &error))) {
        if (error.empty())
            Fail("a refusal without a message", input);
        if (!(data == before))
            Fail("a refused text changed the content", input);
        return;
    }
    for (int32_t options : {taviJsonCompact, taviJsonPretty}) {
        std::string written;
        WriteRecordSetJson(data, options, written);
        RecordData back;
        if (FAILED(ReadRecordSetJson(written, back, &error)))
            Fail(("a written text does not read back: " + error).c_str(), written);
        if (!(back == data))
            Fail("a written text reads back to other content", written);
        // The text itself settles after one round: a coordinate system read from a code may come back as its
        // well-known text, which then stays.
        std::string again;
        WriteRecordSetJson(back, options, again);
        RecordData third;
        if (FAILED(ReadRecordSetJson(again, third, &error)) || !(third == data))
            Fail("a text written again does not read back the same", again);
        std::string settled;
        WriteRecordSetJson(third, options, settled);
        if (settled != again)
            Fail("a written text does not come back the same", again);
    }
    std::string geoJson;
    WriteRecordSetGeoJson(data, geoJson);
}

void CheckLayerDefinition(std::string_view input) {
    RecordData before;
    ReadLayerDefinitionFields(R"({"fields":[{"name":"a","type":"taviFieldTypeInteger"}],"objectIdField":"a"})", before);
    RecordData data;
    ReadLayerDefinitionFields(R"({"fields":[{"name":"a","type":"taviFieldTypeInteger"}],"objectIdField":"a"})", data);
    if (FAILED(ReadLayerDefinitionFields(input, data)) && !(data == before))
        Fail("a refused definition changed the content", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size > (1u << 16))
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const int32_t before = ModuleObjectCount();
    CheckRecordSet(input);
    CheckLayerDefinition(input);
    if (const int32_t after = ModuleObjectCount(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
