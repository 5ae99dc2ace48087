// Arbitrary bytes as the stream form of an in-memory record set (what a record set file holds after its class
// identifier). What loads is then used the ways that read the content: every field of the first and last records
// as values (geometries rebuilt as well-known text), the JSON form, the stream form written again and read back
// equal.
// No input may crash, hang, allocate beyond what it holds or leak: the module object count must come back to where
// it was.
#include "data/RecordSet.h"
#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/Object.h"
#include "tavi/Entry.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

void ReadValues(IRecordSet* records) {
    int64_t count = 0;
    ComPtr<IFields> fields;
    int32_t fieldCount = 0;
    if (FAILED(records->get_RecordCount(&count)) || FAILED(records->get_Fields(fields.Out())) ||
        FAILED(fields->get_FieldCount(&fieldCount)))
        std::abort(); // a loaded record set answers these
    for (int64_t record : {int64_t{0}, int64_t{1}, count - 1, count}) {
        for (int32_t field = -1; field <= fieldCount; ++field) {
            Variant value;
            HRESULT hr = records->get_Value(record, field, &value);
            bool inside = record >= 0 && record < count && field >= 0 && field < fieldCount;
            if (inside != SUCCEEDED(hr))
                std::abort();
        }
    }
}

// Equal content; the spatial references are left out, as a coordinate system's own text may not read back as the
// same system when the input made it an odd one.
bool SameButSpatialReference(RecordData a, RecordData b) {
    a.geometry.spatialReference = {};
    b.geometry.spatialReference = {};
    return a == b;
}

void UseLoaded(RecordSet& records) {
    ReadValues(&records);
    BStr json;
    records.ToJSON(taviJsonCompact, json.Out());
    ComPtr<IStream> out;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, 0, out.Out())))
        return;
    if (FAILED(records.Save(out.Get(), 1)))
        std::abort(); // what loaded is well formed, so it saves
    out->Seek(0, STREAM_SEEK_SET, nullptr);
    auto again = MakeObject<RecordSet>();
    if (FAILED(again->Load(out.Get())) || !SameButSpatialReference(*records.Content(), *again->Content()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetModuleClassSource(&DllGetClassObject); // nested objects (spatial references, raster definitions) by class
    if (size > (1u << 20))
        return 0;
    DllCanUnloadNow();
    int32_t before = ModuleObjectCount();
    {
        ComPtr<IStream> stream;
        if (FAILED(CreateStreamOnMemory(data, static_cast<ULONG>(size), 0, stream.Out())))
            return 0;
        auto records = MakeObject<RecordSet>();
        if (SUCCEEDED(records->Load(stream.Get())))
            UseLoaded(*records);
    }
    DllCanUnloadNow();
    if (int32_t after = ModuleObjectCount(); after != before) {
        std::fprintf(stderr, "objects leaked: %d before, %d after\n", before, after);
        std::abort();
    }
    return 0;
}
