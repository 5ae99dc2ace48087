// Arbitrary text read as a field mapping, and as one field map, next to a shapefile and a GeoPackage the target makes
// at start (the text "@" stands for the shapefile's path and "&" for the GeoPackage table's, so that inputs reach
// real tables without knowing where they are). A text that is read must be written as a text that reads again, and
// after that one round the text must stay the same; a text that is refused must leave the mapping as it was. No input
// may crash, hang or leak: the module object count must come back to where it was.
#include "ProvidedClasses.h"
#include "data/GdalDataset.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/GPFieldMapping.h"
#include "tavi/Geoprocessing.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace tavi;

namespace {

struct Tables {
    std::u16string shapefile;
    std::u16string geopackage;
};

// A folder with a blank in its name holding parcels.shp (NAME text 20, COUNT) and data.gpkg/roads (NAME text 64,
// NOTE blob).
Tables MakeTables() {
    GDALAllRegister();
    std::string folder = (std::filesystem::temp_directory_path() / "fuzz field maps").string();
    std::filesystem::create_directories(folder);
    auto make = [&](const char* extension, const std::string& file, const char* layerName,
                    std::initializer_list<std::pair<const char*, OGRFieldType>> fields) {
        std::string path = folder + "/" + file;
        std::filesystem::remove(path);
        GDALDataset* dataset =
            gdal::VectorDriverForExtension(extension)->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        OGRLayer* layer = dataset->CreateLayer(layerName, nullptr, wkbPoint, nullptr);
        for (auto [name, type] : fields) {
            OGRFieldDefn field(name, type);
            layer->CreateField(&field);
        }
        GDALClose(dataset);
    };
    make("shp", "parcels.shp", "parcels", {{"NAME", OFTString}, {"COUNT", OFTInteger}});
    make("gpkg", "data.gpkg", "roads", {{"NAME", OFTString}, {"NOTE", OFTBinary}});
    return {FromUtf8(folder + "/parcels.shp"), FromUtf8(folder + "/data.gpkg/roads")};
}

[[noreturn]] void Fail(const char* what, const std::u16string& text) {
    std::fprintf(stderr, "%s: %s\n", what, ToUtf8(text).c_str());
    std::abort();
}

std::u16string Expand(std::u16string_view input, const Tables& tables) {
    std::u16string text;
    for (char16_t c : input)
        if (c == u'@')
            text += tables.shapefile;
        else if (c == u'&')
            text += tables.geopackage;
        else
            text += c;
    return text;
}

HRESULT ReadMapping(IGPValue* value, const std::u16string& text, std::u16string* after) {
    ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    if (!message)
        Fail("no message", text);
    BStr written;
    if (FAILED(value->GetAsText(written.Out())))
        Fail("a mapping cannot be written", text);
    *after = written.str();
    return hr;
}

void CheckMapping(const std::u16string& input) {
    ComPtr<IGPValue> value;
    AfCreateInstance(CLSID_GPFieldMapping, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, value.OutVoid());
    if (!value)
        Fail("no mapping", input);
    std::u16string before, first, second, third;
    ReadMapping(value.Get(), u"X \"X\" true true false 1 Text 0 0,First,#", &before);
    if (FAILED(ReadMapping(value.Get(), input, &first))) {
        if (first != before)
            Fail("a refused text changed the mapping", input);
        return;
    }
    if (FAILED(ReadMapping(value.Get(), first, &second)))
        Fail("a written mapping does not read back", first);
    if (FAILED(ReadMapping(value.Get(), second, &third)) || third != second)
        Fail("a written mapping does not come back the same", second);
}

void CheckFieldMap(const std::u16string& input) {
    ComPtr<IGPFieldMapImpl> map;
    AfCreateInstance(CLSID_GPFieldMap, nullptr, CLSCTX_INPROC_SERVER, IGPFieldMapImpl::iid, map.OutVoid());
    if (!map)
        Fail("no field map", input);
    BStr first, second;
    if (FAILED(map->SetAsText(input.c_str())))
        return;
    map->GetAsText(first.Out());
    if (FAILED(map->SetAsText(first.c_str())))
        Fail("a written field map does not read back", first.str());
    map->GetAsText(second.Out());
    if (second.str() != first.str())
        Fail("a written field map does not come back the same", first.str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Tables tables = [] {
        SetModuleClassSource(&DllGetClassObject);
        return MakeTables();
    }();
    if (size > (1u << 14))
        return 0;
    std::u16string input = Expand(FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size)), tables);
    int32_t before = fuzz::ObjectsLeftAfterSingletons();
    CheckMapping(input);
    CheckFieldMap(input);
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != before) {
        std::fprintf(stderr, "object count %d after the input, %d before\n", after, before);
        std::abort();
    }
    return 0;
}
