// Arbitrary input to the host's geometry and spatial reference readers: the first byte chooses the reader, the rest
// is its input. Well-known text of a geometry, the text of a spatial reference (well-known text, an authority code,
// a PROJ string), or the stream form of an envelope, a spatial reference, a point, a polyline or a polygon. Whatever
// was read is written back out. No input may crash, hang or leak: the module object count must come back to where
// it was.
#include "host/Envelope.h"
#include "host/Geometry.h"
#include "host/SpatialReference.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "tavi/Geometry.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

void ReadGeometryText(std::u16string_view text) {
    ComPtr<IGeometry> geometry;
    if (FAILED(CreateGeometryFromWKT(text, geometry.Out())) || !geometry)
        return;
    ComPtr<IEnvelope> envelope;
    geometry->get_Envelope(envelope.Out());
    BStr back;
    geometry->ExportToWKT(back.Out());
}

void ReadSpatialReferenceText(std::u16string_view text) {
    ComPtr<ISpatialReference> spatialReference;
    CreateSpatialReferenceFromText(text, spatialReference.Out());
}

template <class T> void LoadStream(const uint8_t* data, size_t size) {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(data, static_cast<ULONG>(size), 0, stream.Out())))
        return;
    auto object = MakeObject<T>();
    auto persist = QueryAs<IPersistStream>(object.Get());
    if (!persist || FAILED(persist->Load(stream.Get())))
        return;
    ComPtr<IStream> out;
    if (SUCCEEDED(CreateStreamOnMemory(nullptr, 0, 0, out.Out())))
        persist->Save(out.Get(), 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 16))
        return 0;
    int32_t before = ModuleObjectCount();
    {
        const uint8_t* rest = data + 1;
        size_t restSize = size - 1;
        std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(rest), restSize));
        switch (data[0] % 7) {
        case 0:
            ReadGeometryText(text);
            break;
        case 1:
            ReadSpatialReferenceText(text);
            break;
        case 2:
            LoadStream<Envelope>(rest, restSize);
            break;
        case 3:
            LoadStream<SpatialReference>(rest, restSize);
            break;
        case 4:
            LoadStream<Point>(rest, restSize);
            break;
        case 5:
            LoadStream<Polyline>(rest, restSize);
            break;
        default:
            LoadStream<Polygon>(rest, restSize);
            break;
        }
    }
    if (ModuleObjectCount() != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", ModuleObjectCount(), before);
        std::abort();
    }
    return 0;
}
