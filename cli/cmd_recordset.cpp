// `tavigp recordset`: reads a table, a record set file, a JSON file or a service layer into an in-memory record set
// and shows it (a summary, its JSON form, GeoJSON), or writes it into a table.
#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/Entry.h"
#include "tavi/GPRecordSet.h"
#include "tavi/GPUtilities.h"
#include "tavi/Stream.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace tavigp {
namespace {

using tavi::BStr;
using tavi::ComPtr;

struct Options {
    std::string source;
    std::string where;
    std::string referer;
    std::string out;
    enum class Show { Summary, Json, GeoJson } show = Show::Summary;
};

// A failure of the library, said on standard error with its error information when there is some.
class Failure : public std::runtime_error {
public:
    Failure(const std::string& what, HRESULT hr) : std::runtime_error(Describe(what, hr)) {}

private:
    static std::string Describe(const std::string& what, HRESULT hr) {
        ComPtr<IErrorInfo> info;
        BStr description;
        if (GetErrorInfo(0, info.Out()) == S_OK && info)
            info->GetDescription(description.Out());
        std::string text = what;
        if (!description.view().empty())
            text += ": " + Narrow(description.view());
        return text + " (" + HrTextAndName(hr) + ")";
    }
};

void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr))
        throw Failure(what, hr);
}

template <class I> ComPtr<I> Create(std::string_view name) {
    ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(name, &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    Check(hr, "cannot create " + std::string(name));
    auto typed = tavi::QueryAs<I>(object.Get());
    if (!typed)
        throw Failure("cannot create " + std::string(name), E_NOINTERFACE);
    return typed;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

ComPtr<IDataElement> OpenData(const std::string& path) {
    auto utilities = Create<IGPUtilities>(GuidToText(CLSID_GPUtilities));
    ComPtr<IDataElement> element;
    Check(utilities->OpenDataElementFromText(Widen(path).c_str(), element.Out()), "cannot open " + path);
    return element;
}

// The object a file stores: its class identifier, then its own stream form.
ComPtr<IUnknown> LoadStoredObject(IStream* stream, const std::string& source) {
    CLSID classId{};
    ULONG read = 0;
    if (FAILED(stream->Read(&classId, sizeof classId, &read)) || read != sizeof classId)
        throw Failure("cannot read " + source, E_FAIL);
    ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(classId), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    Check(hr, source + " holds an object of an unknown class");
    auto persist = tavi::QueryAs<IPersistStream>(object.Get());
    if (!persist)
        throw Failure(source + " holds an object that cannot be read", E_NOINTERFACE);
    Check(persist->Load(stream), "cannot read " + source);
    return object;
}

// The records of a record set value (a record set file it reads, or a service layer it fetches).
ComPtr<IRecordSet> RecordsOfValue(IGPRecordSet* value, const std::string& source) {
    ComPtr<IRecordSet> records;
    Check(value->get_RecordSet(records.Out()), "cannot read " + source);
    if (!records)
        throw Failure("no records in " + source, E_FAIL);
    return records;
}

ComPtr<IRecordSet> ReadSource(const Options& options) {
    const std::string& source = options.source;
    const bool web = StartsWithNoCase(source, "http://") || StartsWithNoCase(source, "https://");
    const std::string extension = LowerExtension(source.substr(0, source.find('?')));
    if (web && extension == ".dat") {
        // Downloaded into a temporary file, which the value removes once read.
        auto value = Create<IGPRecordSetImpl>("GPRecordSet");
        Check(value->put_Path(Widen(source).c_str()), "cannot name " + source);
        return RecordsOfValue(tavi::QueryAs<IGPRecordSet>(value.Get()).Get(), source);
    }
    if (web) {
        auto value = Create<IGPRecordSet2>("GPFeatureRecordSetLayer");
        const char* token = std::getenv("TAVI_SERVICE_TOKEN");
        Check(value->SetURL(Widen(source).c_str(), token ? Widen(token).c_str() : nullptr,
                            options.referer.empty() ? nullptr : Widen(options.referer).c_str()),
              "cannot connect to " + source);
        return RecordsOfValue(value.Get(), source);
    }
    if (extension == ".dat") {
        // Read as stored, without the value's removal of a file it loads.
        ComPtr<IStream> stream;
        Check(CreateStreamOnFile(source.c_str(), 0, 0, stream.Out()), "cannot open " + source);
        auto value = tavi::QueryAs<IGPRecordSet>(LoadStoredObject(stream.Get(), source).Get());
        if (!value)
            throw Failure(source + " holds no record set", E_FAIL);
        return RecordsOfValue(value.Get(), source);
    }
    auto records = Create<IRecordSetInit>("RecordSet");
    if (extension == ".json")
        Check(records->ReadJSONFile(Widen(source).c_str()), "cannot read " + source);
    else
        Check(records->SetSourceTable(OpenData(source).Get(), Widen(options.where).c_str()), "cannot read " + source);
    return tavi::QueryAs<IRecordSet>(records.Get());
}

const char* kShapeNames[] = {"none", "Point", "Multipoint", "Polyline", "Polygon"};
const char* kFieldTypeNames[] = {"SmallInteger", "Integer",    "Single",   "Double",   "String",         "Date",
                                 "OID",          "Geometry",   "Blob",     "Raster",   "GUID",           "GlobalID",
                                 "XML",          "BigInteger", "DateOnly", "TimeOnly", "TimestampOffset"};

void PrintSummary(IRecordSet* records, const std::string& source) {
    int64_t count = 0;
    int32_t shapeType = 0;
    VARIANT_BOOL hasZ = VARIANT_FALSE, hasM = VARIANT_FALSE;
    BStr oid;
    records->get_RecordCount(&count);
    records->get_ShapeType(&shapeType);
    records->get_HasZ(&hasZ);
    records->get_HasM(&hasM);
    records->get_OIDFieldName(oid.Out());
    std::cout << "source " << source << "\n"
              << "records " << count << "\n";
    if (shapeType > 0 && shapeType < static_cast<int32_t>(std::size(kShapeNames)))
        std::cout << "geometry " << kShapeNames[shapeType] << (hasZ == VARIANT_TRUE ? " Z" : "")
                  << (hasM == VARIANT_TRUE ? " M" : "") << "\n";
    ComPtr<ISpatialReference> spatialReference;
    if (records->get_SpatialReference(spatialReference.Out()) == S_OK && spatialReference) {
        BStr name;
        int32_t code = 0;
        spatialReference->get_Name(name.Out());
        spatialReference->get_FactoryCode(&code);
        std::cout << "spatial reference " << (code ? std::to_string(code) + " " : "") << Narrow(name.view()) << "\n";
    }
    if (!oid.view().empty())
        std::cout << "object id field " << Narrow(oid.view()) << "\n";
    ComPtr<IFields> fields;
    int32_t fieldCount = 0;
    if (FAILED(records->get_Fields(fields.Out())) || FAILED(fields->get_FieldCount(&fieldCount)))
        return;
    std::cout << "fields\n";
    for (int32_t index = 0; index < fieldCount; ++index) {
        ComPtr<IField> field;
        BStr name;
        int32_t type = 0, length = 0;
        if (FAILED(fields->get_Field(index, field.Out())))
            continue;
        field->get_Name(name.Out());
        field->get_Type(&type);
        field->get_Length(&length);
        std::cout << "  " << Narrow(name.view()) << " "
                  << (type >= 0 && type < static_cast<int32_t>(std::size(kFieldTypeNames)) ? kFieldTypeNames[type]
                                                                                           : std::to_string(type))
                  << (length > 0 ? "(" + std::to_string(length) + ")" : "") << "\n";
    }
}

// Writes the records into a new table PATH: the last component is the table's name (".shp" and ".dbf" dropped),
// the rest the workspace (a folder or a database).
void WriteTable(IRecordSet* records, const std::string& path) {
    std::filesystem::path target(path);
    std::string name = target.filename().string();
    if (const std::string extension = LowerExtension(name); extension == ".shp" || extension == ".dbf")
        name = target.stem().string();
    std::string parent = target.parent_path().string();
    if (parent.empty())
        parent = ".";
    auto element = tavi::QueryAs<IDEWorkspace>(OpenData(parent).Get());
    if (!element)
        throw Failure(parent + " is no workspace", E_INVALIDARG);
    ComPtr<IWorkspace> workspace;
    Check(element->OpenWorkspace(workspace.Out()), "cannot open " + parent);
    ComPtr<ITable> table;
    Check(records->CreateTable(workspace.Get(), Widen(name).c_str(), table.Out()), "cannot write " + path);
    std::cout << "wrote " << path << "\n";
}

void Show(IRecordSet* records, const Options& options) {
    if (!options.out.empty()) {
        WriteTable(records, options.out);
        return;
    }
    if (options.show == Options::Show::Summary) {
        PrintSummary(records, options.source);
        return;
    }
    auto init = tavi::QueryAs<IRecordSetInit>(records);
    BStr text;
    if (options.show == Options::Show::Json)
        Check(init->ToJSON(taviJsonCompact, text.Out()), "cannot write the records as JSON");
    else
        Check(init->ToGeoJSON(text.Out()), "cannot write the records as GeoJSON");
    std::cout << Narrow(text.view()) << "\n";
}

Options ReadOptions(const std::vector<std::string>& args) {
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](const char* what) -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs " + what);
            return args[++i];
        };
        if (arg == "--json")
            options.show = Options::Show::Json;
        else if (arg == "--geojson")
            options.show = Options::Show::GeoJson;
        else if (arg == "--out")
            options.out = value("a table path");
        else if (arg == "--where")
            options.where = value("an SQL where clause");
        else if (arg == "--referer")
            options.referer = value("a referer");
        else if (arg.starts_with("--"))
            throw UsageError("unknown option '" + arg + "'");
        else if (options.source.empty())
            options.source = arg;
        else
            throw UsageError("unexpected argument '" + arg + "'");
    }
    if (options.source.empty())
        throw UsageError("SOURCE is needed");
    return options;
}

int RunRecordSet(const std::vector<std::string>& args) {
    const Options options = ReadOptions(args);
    int status = kExitOk;
    try {
        ComPtr<IRecordSet> records = ReadSource(options);
        Show(records.Get(), options);
    } catch (const Failure& failure) {
        std::cerr << "tavigp recordset: " << failure.what() << "\n";
        status = kExitFailure;
    }
    DllCanUnloadNow();
    return status;
}

const Command kRecordSet{
    "recordset",
    "read a table, record set file, JSON file or service layer and show or write its records",
    "usage: tavigp recordset SOURCE [--json | --geojson | --out TABLE] [--where CLAUSE] [--referer REFERER]\n"
    "\n"
    "Reads the records of SOURCE into an in-memory record set:\n"
    "\n"
    "  a table or feature class path    city.gpkg/roads, wells.shp, points.csv (--where selects records)\n"
    "  a record set file                records.dat, as a record set value stores itself (left in place)\n"
    "  a JSON file                      records.json, in the form of docs/recordset-json.md\n"
    "  a web address of a .dat file     downloaded, read, and the download removed\n"
    "  a service layer address          http(s)://HOST/.../NAME/FeatureServer/0, fetched page by page\n"
    "                                   (docs/feature-service.md); the token is taken from the environment\n"
    "                                   variable TAVI_SERVICE_TOKEN, never from the command line\n"
    "\n"
    "and prints a summary (source, record count, geometry, spatial reference, object id field, fields), or:\n"
    "\n"
    "  --json      the records in the JSON form\n"
    "  --geojson   the records as a GeoJSON FeatureCollection (RFC 7946)\n"
    "  --out TABLE writes the records into a new table TABLE of an existing workspace: data.gpkg/name, or\n"
    "              folder/name.shp (a shapefile; a .dbf table for records without geometry)\n"
    "\n"
    "Exit status 0; 1 when the source cannot be read or the table written (a line on standard error says why);\n"
    "2 for a wrong command line.\n",
    &RunRecordSet,
};
const CommandRegistration kRegistration{kRecordSet};

} // namespace
} // namespace tavigp
