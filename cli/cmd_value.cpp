// `tavigp value`: a value made from text by its data type, shown as text, XML or stream bytes, with the message the
// value gives for the text.
#include "Command.h"
#include "DomainSpec.h"
#include "EnvironmentOptions.h"
#include "ProjectOptions.h"
#include "bridge/ClassTable.h"
#include "bridge/Marshal.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/DataAccess.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPComposite.h"
#include "tavi/GPMessage.h"
#include "tavi/GPUtilities.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <algorithm>
#include <iostream>
#include <optional>

namespace tavigp {
namespace {

struct ValueOptions {
    std::string type;
    std::string text;
    bool xml = false;
    bool stream = false;
    std::optional<std::string> docVersion;
    std::optional<std::string> domain;
    std::optional<std::string> member;    // the member data type of a list type
    std::vector<std::string> columns;     // the column data types of a table type
    bool list = false;                    // the members (or records) one per line instead of the text form
    std::vector<std::string> environment; // NAME=TEXT settings made before the value
    std::string project;                  // the project document made current before the value ("" for none)
};

// The names of a comma-separated list, none empty.
std::vector<std::string> SplitNames(std::string_view names) {
    std::vector<std::string> split;
    for (size_t at = 0;;) {
        size_t comma = names.find(',', at);
        std::string_view name = names.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at);
        if (name.empty())
            throw UsageError("--columns needs data type names separated by commas, as in GPString,GPLong");
        split.emplace_back(name);
        if (comma == std::string_view::npos)
            return split;
        at = comma + 1;
    }
}

ValueOptions ParseValueOptions(const std::vector<std::string>& args) {
    ValueOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Only words starting with "--" are options, so a TEXT such as "-5" needs no "--" before it.
        if (optionsEnded || !arg.starts_with("--"))
            positional.push_back(arg);
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "--xml")
            options.xml = true;
        else if (arg == "--stream")
            options.stream = true;
        else if (arg == "--docversion") {
            if (i + 1 == args.size())
                throw UsageError("--docversion needs a version");
            options.docVersion = args[++i];
        } else if (arg.starts_with("--docversion="))
            options.docVersion = arg.substr(std::string_view("--docversion=").size());
        else if (arg == "--domain") {
            if (i + 1 == args.size())
                throw UsageError("--domain needs a domain");
            options.domain = args[++i];
        } else if (arg.starts_with("--domain="))
            options.domain = arg.substr(std::string_view("--domain=").size());
        else if (arg == "--member") {
            if (i + 1 >= args.size())
                throw UsageError("--member needs a data type");
            options.member = args[++i];
        } else if (arg.starts_with("--member="))
            options.member = arg.substr(std::string_view("--member=").size());
        else if (arg == "--columns") {
            if (i + 1 >= args.size())
                throw UsageError("--columns needs data types");
            options.columns = SplitNames(args[++i]);
        } else if (arg.starts_with("--columns="))
            options.columns = SplitNames(std::string_view(arg).substr(std::string_view("--columns=").size()));
        else if (arg == "--list")
            options.list = true;
        else if (!TakeEnvironmentOption(args, i, options.environment) && !TakeProjectOption(args, i, options.project))
            throw UsageError("unknown option '" + arg + "'");
    }
    if (positional.size() != 2)
        throw UsageError(positional.size() < 2 ? "TYPE and TEXT are needed"
                                               : "unexpected argument '" + positional[2] + "'");
    if (options.docVersion && !options.stream)
        throw UsageError("--docversion applies to --stream only");
    if (options.domain)
        CheckDomainSpec(*options.domain);
    if (options.member && !options.columns.empty())
        throw UsageError("--member and --columns do not go together");
    options.type = positional[0];
    options.text = positional[1];
    return options;
}

int Fail(const std::string& what) {
    std::cerr << "tavigp value: " << what << "\n";
    return kExitFailure;
}

// Reports the message on standard error; true when it is an error.
bool ReportMessage(IGPMessage* message) {
    int32_t type = 0, code = 0;
    if (!message || FAILED(message->get_Type(&type)))
        return false;
    if (type != taviGPMessageTypeWarning && type != taviGPMessageTypeError)
        return false;
    message->get_ErrorCode(&code);
    tavi::BStr description;
    message->get_Description(description.Out());
    std::cerr << (type == taviGPMessageTypeError ? "error " : "warning ") << code << ": " << Narrow(description.view())
              << "\n";
    return type == taviGPMessageTypeError;
}

HRESULT StreamBytes(IGPValue* value, int32_t docVersion, std::vector<uint8_t>* bytes) {
    auto persist = tavi::QueryAs<IPersistStream>(value);
    if (!persist)
        return E_NOINTERFACE;
    tavi::ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnMemory(nullptr, 0, docVersion, stream.Out());
    if (SUCCEEDED(hr))
        hr = persist->Save(stream.Get(), 0);
    uint64_t size = 0;
    if (SUCCEEDED(hr))
        hr = stream->Seek(0, STREAM_SEEK_END, &size);
    if (SUCCEEDED(hr))
        hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
        return hr;
    bytes->resize(static_cast<size_t>(size));
    ULONG read = 0;
    if (!bytes->empty() && FAILED(hr = stream->Read(bytes->data(), static_cast<ULONG>(bytes->size()), &read)))
        return hr;
    bytes->resize(read);
    return S_OK;
}

// Prints a table's records one per line, the values' text forms separated by tabs (a list: one member per line).
void PrintRecords(IGPValueTable* table) {
    int32_t records = 0, columns = 0;
    table->get_RecordCount(&records);
    table->get_DataTypeCount(&columns);
    for (int32_t r = 0; r < records; ++r) {
        for (int32_t c = 0; c < std::max(columns, 1); ++c) {
            tavi::ComPtr<IGPValue> cell;
            tavi::BStr text;
            if (SUCCEEDED(table->GetValue(r, c, cell.Out())) && cell)
                cell->GetAsText(text.Out());
            std::cout << (c > 0 ? "\t" : "") << Narrow(text.view());
        }
        std::cout << "\n";
    }
}

// Prints the forms asked for; false (after saying why) when one cannot be made.
bool PrintForms(IGPValue* value, const ValueOptions& options, int32_t docVersion) {
    if (options.list) {
        auto table = tavi::QueryAs<IGPValueTable>(value);
        if (!table)
            return Fail("the value is no list of members"), false;
        PrintRecords(table.Get());
    } else if (!options.xml && !options.stream) {
        tavi::BStr text;
        if (HRESULT hr = value->GetAsText(text.Out()); FAILED(hr))
            return Fail("GetAsText failed: " + HrTextAndName(hr)), false;
        std::cout << Narrow(text.view()) << "\n";
    }
    if (options.xml) {
        tavi::BStr xml;
        if (HRESULT hr = TaviXmlSerialize(value, nullptr, xml.Out()); FAILED(hr))
            return Fail("the value has no XML form: " + HrTextAndName(hr)), false;
        std::string text = Narrow(xml.view());
        std::cout << text << (text.ends_with('\n') ? "" : "\n");
    }
    if (options.stream) {
        std::vector<uint8_t> bytes;
        if (HRESULT hr = StreamBytes(value, docVersion, &bytes); FAILED(hr))
            return Fail("the value cannot be saved to a stream: " + HrTextAndName(hr)), false;
        std::cout << HexText(bytes) << "\n";
    }
    return true;
}

// Prints the domain's verdict on the value, as the data type asks for it; false when the value is not a member.
bool ShowVerdict(IGPDataType* dataType, IGPValue* value, IGPDomain* domain) {
    tavi::ComPtr<IGPMessage> verdict;
    HRESULT hr = dataType->ValidateValue(value, domain, verdict.Out());
    if (FAILED(hr) && !verdict)
        return Fail("the domain cannot check the value: " + HrTextAndName(hr)), false;
    VARIANT_BOOL error = VARIANT_FALSE;
    if (verdict)
        verdict->IsError(&error);
    std::cout << (error ? "not a member" : "member") << "\n";
    ReportMessage(verdict.Get());
    return !error;
}

// Prints the field domain's verdict on each field of the data the value names, one line "NAME<TAB>member" or
// "NAME<TAB>not a member" (the domain's message on standard error); false when no field is a member.
bool ShowFieldVerdicts(IGPValue* value, IGPDomain* domain) {
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(CLSID_GPUtilities), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    auto utilities = tavi::QueryAs<IGPUtilities>(object.Get());
    tavi::ComPtr<IFields> fields;
    if (FAILED(hr) || !utilities || FAILED(hr = utilities->GetFields(value, fields.Out())) || !fields)
        return Fail("the value names no data with fields" + (FAILED(hr) ? ": " + HrTextAndName(hr) : "")), false;
    int32_t count = 0;
    fields->get_FieldCount(&count);
    bool anyMember = false;
    for (int32_t i = 0; i < count; ++i) {
        tavi::ComPtr<IField> field;
        tavi::BStr name;
        if (FAILED(fields->get_Field(i, field.Out())) || FAILED(field->get_Name(name.Out())))
            return Fail("cannot read field " + std::to_string(i)), false;
        tavi::ComPtr<IGPMessage> verdict;
        auto fieldValue = tavi::QueryAs<IGPValue>(field.Get());
        if (!fieldValue || FAILED(hr = domain->MemberOf(fieldValue.Get(), verdict.Out())))
            return Fail("the domain cannot check field " + Narrow(name.view()) + ": " + HrTextAndName(hr)), false;
        const bool member = hr == S_OK;
        anyMember = anyMember || member;
        std::cout << Narrow(name.view()) << (member ? "\tmember\n" : "\tnot a member\n");
        std::cout.flush();
        ReportMessage(verdict.Get());
    }
    return anyMember;
}

// The list type TYPE (its class "<TYPE>Type", as the catalogue does not list list types) with the member data type
// `member` from the factory; a line on standard error and nothing when either cannot be had.
tavi::ComPtr<IGPDataType> ListType(IGPDataTypeFactory* factory, const ValueOptions& options) {
    tavi::ComPtr<IGPDataType> memberType;
    if (FAILED(factory->GetDataType(Widen(*options.member).c_str(), memberType.Out())) || !memberType) {
        Fail("unknown member data type '" + *options.member + "'");
        return {};
    }
    tavi::ComPtr<IUnknown> object;
    CreateObject(options.type + "Type", &object);
    auto listType = tavi::QueryAs<IGPMultiValueType>(object.Get());
    if (!listType) {
        Fail("'" + options.type + "' is no list type that takes a member data type");
        return {};
    }
    listType->putref_MemberDataType(memberType.Get());
    return tavi::QueryAs<IGPDataType>(object.Get());
}

// The table type TYPE (its class "<TYPE>Type") with a column of each data type of --columns from the factory, each
// headed by its data type's name; a line on standard error and nothing when one cannot be had.
tavi::ComPtr<IGPDataType> TableType(IGPDataTypeFactory* factory, const ValueOptions& options) {
    tavi::ComPtr<IUnknown> object;
    CreateObject(options.type + "Type", &object);
    auto tableType = tavi::QueryAs<IGPValueTableType>(object.Get());
    if (!tableType || tavi::QueryAs<IGPMultiValueType>(object.Get())) {
        Fail("'" + options.type + "' is no table type that takes column data types");
        return {};
    }
    for (const std::string& column : options.columns) {
        tavi::ComPtr<IGPDataType> columnType;
        const std::u16string name = Widen(column);
        if (FAILED(factory->GetDataType(name.c_str(), columnType.Out())) || !columnType) {
            Fail("unknown column data type '" + column + "'");
            return {};
        }
        tableType->AddDataType(columnType.Get(), name.c_str(), 0, nullptr);
    }
    return tavi::QueryAs<IGPDataType>(object.Get());
}

int ShowValue(IGPDataTypeFactory* factory, const ValueOptions& options, int32_t docVersion) {
    const std::u16string type = Widen(options.type), text = Widen(options.text);
    tavi::ComPtr<IGPDataType> dataType;
    if (options.member) {
        if (!(dataType = ListType(factory, options)))
            return kExitFailure;
    } else if (!options.columns.empty()) {
        if (!(dataType = TableType(factory, options)))
            return kExitFailure;
    } else if (HRESULT hr = factory->GetDataType(type.c_str(), dataType.Out()); FAILED(hr) || !dataType) {
        tavi::ComPtr<IGPName> known;
        if (SUCCEEDED(factory->GetDataTypeName(type.c_str(), known.Out())))
            return Fail("data type '" + options.type + "' is in the catalogue but the library cannot create it yet");
        return Fail("unknown data type '" + options.type + "' ('tavigp types' lists them)");
    }
    tavi::ComPtr<IGPValue> value;
    // A data type whose values always name something (data elements) makes no empty value: it makes it from TEXT.
    if (FAILED(dataType->CreateValue(nullptr, value.Out())) || !value)
        if (HRESULT hr = dataType->CreateValue(text.c_str(), value.Out()); FAILED(hr) || !value)
            return Fail("cannot create a " + options.type + " value: " + HrTextAndName(FAILED(hr) ? hr : E_POINTER));
    // The value is made empty and then given the text, so that the message of a text it refuses is handed out.
    tavi::ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    if (FAILED(hr)) {
        ReportMessage(message.Get()); // a list says which member it could not make
        return Fail("SetAsText failed: " + HrTextAndName(hr));
    }
    const bool error = ReportMessage(message.Get());
    if (!PrintForms(value.Get(), options, docVersion))
        return kExitFailure;
    if (options.domain) {
        tavi::ComPtr<IGPDomain> domain = MakeDomain(*options.domain);
        const bool member = IsFieldDomainSpec(*options.domain) ? ShowFieldVerdicts(value.Get(), domain.Get())
                                                               : ShowVerdict(dataType.Get(), value.Get(), domain.Get());
        if (!member)
            return kExitFailure;
    }
    return error ? kExitFailure : kExitOk;
}

int RunValue(const std::vector<std::string>& args) {
    const ValueOptions options = ParseValueOptions(args);
    int32_t docVersion = 0;
    const std::string versionName = options.docVersion.value_or("current");
    if (FAILED(TaviDocumentVersionFromName(versionName.c_str(), &docVersion)))
        throw UsageError("unknown document version '" + versionName + "'");
    int status = kExitFailure;
    {
        // The manager holds the settings of --env for as long as the value is made and shown.
        tavi::ComPtr<IGPEnvironmentManager> environment;
        const bool settingsMade =
            options.environment.empty() || ((environment = OpenEnvironmentManager("value")) &&
                                            ApplyEnvironmentSettings(environment.Get(), options.environment, "value"));
        const bool projectMade = options.project.empty() || OpenProject(options.project, "value");
        if (settingsMade && projectMade) {
            tavi::ComPtr<IUnknown> object;
            HRESULT hr = CreateObject(GuidToText(CLSID_GPDataTypeFactory), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
            auto factory = tavi::QueryAs<IGPDataTypeFactory>(object.Get());
            status =
                FAILED(hr) || !factory
                    ? Fail("cannot create the data type factory: " + HrTextAndName(FAILED(hr) ? hr : E_NOINTERFACE))
                    : ShowValue(factory.Get(), options, docVersion);
        }
    }
    DllCanUnloadNow(); // lets the thread's factory and its data types go, and the settings with the manager
    return status;
}

const Command kValue{
    "value",
    "make a value of a data type from text",
    "usage: tavigp value TYPE TEXT [--member MEMBERTYPE | --columns T1,T2...] [--list] [--xml]\n"
    "                               [--stream [--docversion V]] [--domain SPEC] [--env NAME=TEXT]...\n"
    "                               [--project PATH]\n"
    "\n"
    "Asks the data type factory for the data type TYPE (a name 'tavigp types' lists, in any letter case), lets it\n"
    "create a value from TEXT, and sets TEXT on the value once more to get the message the value gives for it.\n"
    "Standard output gets the value in the forms asked for, in this order:\n"
    "\n"
    "  (no option)       the value's text form (GetAsText), on one line\n"
    "  --member T        TYPE is a list type (GPMultiValue) whose members are of the data type T\n"
    "  --columns T1,T2   TYPE is a table type (GPValueTable) with a column of each data type T1, T2...\n"
    "  --list            the list's members' text forms, one per line, instead of the list's text form (of a\n"
    "                    table: one record per line, its values' text forms separated by tabs)\n"
    "  --xml             the value's XML document\n"
    "  --stream          the bytes the value saves to a stream, in hexadecimal, on one line\n"
    "  --docversion V    the document version the stream is written for: 'current' (the default), 'older:K' or\n"
    "                    'newer:K' (K the position within that application line, from 0), or a version number\n"
    "  --domain SPEC     then the verdict of a domain on the value, as the data type validates it: a line 'member'\n"
    "                    or 'not a member' (the domain's message on standard error). SPEC is one of\n"
    "                      coded:A,B,C        string codes\n"
    "                      range:MIN,MAX      a range domain over numbers, MIN and MAX allowed\n"
    "                      numeric:LOW,HIGH   a numeric domain, LOW and HIGH allowed\n"
    "                      fields:T1,T2       a field domain of field types (Short, Long, Text...): the verdict on\n"
    "                                         each field of the data the value names, one line per field,\n"
    "                                         'NAME<TAB>member' or 'NAME<TAB>not a member'\n"
    "                      shapes:T1,T2       a feature class domain of geometry types (Point, Polyline...)\n"
    "                      ext:E1,E2          a file domain of file extensions (shp, gpkg; * for any file)\n"
    "                      workspace:T1,T2    a workspace domain (FileSystem, LocalDatabase, RemoteDatabase)\n"
    "                      datasets:T1,T2     a dataset domain (FeatureClass, Table, RasterDataset...)\n"
    "                      elements:N1,N2     a data element domain of type names (DEFeatureClass, DEFile...)\n"
    "                    Type texts are those of docs/type-texts.md, in any letter case. Data is named by a\n"
    "                    value of DEType, DEDatasetType or DEGeoDatasetType, e.g.\n"
    "                    tavigp value DEGeoDatasetType roads.shp --domain shapes:Polyline\n"
    "  --env NAME=TEXT   sets the environment setting NAME from TEXT before the value is made (settings such as\n"
    "                    outputCoordinateSystem change how values read text: 'tavigp env' lists them); may be\n"
    "                    given more than once\n"
    "  --project PATH    makes the project document PATH (docs/project.md) the current project before the value is\n"
    "                    made, so that a map, layout, report or layer is found by its name in it, as in\n"
    "                    tavigp value GPFeatureLayer roads --project city.json\n"
    "\n"
    "The text form is printed only when neither --xml nor --stream is given. A warning or error message of the\n"
    "value goes to standard error as 'warning CODE: TEXT' or 'error CODE: TEXT'; the value is printed either way.\n"
    "Options start with '--', so a TEXT such as -5 is taken as it is; after '--' every word is TYPE or TEXT.\n"
    "\n"
    "Exit status: 0 when the value was made and shown (a warning included); 1 when its message is an error, the\n"
    "value is not a member of the domain (for fields: no field is a member), the type is unknown or cannot be\n"
    "created yet, the project document cannot be read, or the value or a form cannot be made (a line on standard\n"
    "error says which); 2 for a wrong\n"
    "command line, such as an unknown document version or domain.\n",
    &RunValue,
};
const CommandRegistration kRegistration{kValue};

} // namespace
} // namespace tavigp
