// `tavigp value`: a value made from text by its data type, shown as text, XML or stream bytes, with the message the
// value gives for the text.
#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Marshal.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDomains.h"
#include "tavi/GPMessage.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <algorithm>
#include <charconv>
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
    std::optional<std::string> member; // the member data type of a list type
    std::vector<std::string> columns;  // the column data types of a table type
    bool list = false;                 // the members (or records) one per line instead of the text form
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

// Two numbers "LOW,HIGH" in the C notation (a point as decimal separator).
std::pair<double, double> ParseBounds(const std::string& kind, std::string_view bounds) {
    const size_t comma = bounds.find(',');
    auto number = [&](std::string_view text) {
        double value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            throw UsageError("--domain " + kind + ": needs two numbers, as in " + kind + ":0,100");
        return value;
    };
    if (comma == std::string_view::npos)
        number({});
    return {number(bounds.substr(0, comma)), number(bounds.substr(comma + 1))};
}

// The kind and the text after the colon of a --domain SPEC; a usage error for an unknown kind or bad bounds.
std::pair<std::string, std::string> SplitDomainSpec(const std::string& spec) {
    const size_t colon = spec.find(':');
    std::string kind = spec.substr(0, colon);
    std::string rest = colon == std::string::npos ? std::string() : spec.substr(colon + 1);
    if (kind != "coded" && kind != "range" && kind != "numeric")
        throw UsageError("unknown domain '" + spec + "': use coded:A,B,C, range:MIN,MAX or numeric:LOW,HIGH");
    if (kind != "coded")
        ParseBounds(kind, rest);
    return {kind, rest};
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
        else
            throw UsageError("unknown option '" + arg + "'");
    }
    if (positional.size() != 2)
        throw UsageError(positional.size() < 2 ? "TYPE and TEXT are needed"
                                               : "unexpected argument '" + positional[2] + "'");
    if (options.docVersion && !options.stream)
        throw UsageError("--docversion applies to --stream only");
    if (options.domain)
        SplitDomainSpec(*options.domain);
    if (options.member && !options.columns.empty())
        throw UsageError("--member and --columns do not go together");
    options.type = positional[0];
    options.text = positional[1];
    return options;
}

std::string CodeText(HRESULT hr) {
    std::string_view name = HrName(hr);
    return HrText(hr) + (name.empty() ? "" : " (" + std::string(name) + ")");
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
            return Fail("GetAsText failed: " + CodeText(hr)), false;
        std::cout << Narrow(text.view()) << "\n";
    }
    if (options.xml) {
        tavi::BStr xml;
        if (HRESULT hr = TaviXmlSerialize(value, nullptr, xml.Out()); FAILED(hr))
            return Fail("the value has no XML form: " + CodeText(hr)), false;
        std::string text = Narrow(xml.view());
        std::cout << text << (text.ends_with('\n') ? "" : "\n");
    }
    if (options.stream) {
        std::vector<uint8_t> bytes;
        if (HRESULT hr = StreamBytes(value, docVersion, &bytes); FAILED(hr))
            return Fail("the value cannot be saved to a stream: " + CodeText(hr)), false;
        std::cout << HexText(bytes) << "\n";
    }
    return true;
}

tavi::ComPtr<IUnknown> CreateDomain(const CLSID& clsid, const std::string& kind) {
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(clsid), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    if (FAILED(hr))
        throw std::runtime_error("cannot create the " + kind + " domain: " + CodeText(hr));
    return object;
}

tavi::ComPtr<IGPDomain> MakeCodedDomain(const std::string& codes) {
    auto object = CreateDomain(CLSID_GPCodedValueDomain, "coded");
    auto coded = tavi::QueryAs<IGPCodedValueDomain>(object.Get());
    tavi::BStr list(Widen(codes));
    if (HRESULT hr = coded ? coded->SetCodes(list.Get(), list.Get(), nullptr) : E_NOINTERFACE; FAILED(hr))
        throw std::runtime_error("cannot set the codes: " + CodeText(hr));
    return tavi::QueryAs<IGPDomain>(object.Get());
}

tavi::ComPtr<IGPDomain> MakeRangeDomain(double low, double high) {
    auto object = CreateDomain(CLSID_GPRangeDomain, "range");
    auto range = tavi::QueryAs<IRangeDomain>(object.Get());
    VARIANT minimum{}, maximum{};
    minimum.vt = maximum.vt = VT_R8;
    minimum.dblVal = low;
    maximum.dblVal = high;
    HRESULT hr = range ? range->put_MinValue(minimum) : E_NOINTERFACE;
    if (SUCCEEDED(hr))
        hr = range->put_MaxValue(maximum);
    if (FAILED(hr))
        throw std::runtime_error("cannot set the range: " + CodeText(hr));
    return tavi::QueryAs<IGPDomain>(object.Get());
}

tavi::ComPtr<IGPDomain> MakeNumericDomain(double low, double high) {
    auto object = CreateDomain(CLSID_GPNumericDomain, "numeric");
    auto numeric = tavi::QueryAs<IGPNumericDomain>(object.Get());
    if (!numeric)
        throw std::runtime_error("the numeric domain lacks its interface");
    numeric->put_LowLimit(low);
    numeric->put_Inclusive(VARIANT_TRUE);
    numeric->put_HighLimit(VARIANT_TRUE, high);
    return tavi::QueryAs<IGPDomain>(object.Get());
}

// The domain a --domain SPEC describes: "coded:A,B,C" (string codes, each its own name), "range:MIN,MAX" (a range
// domain over numbers) or "numeric:LOW,HIGH" (a numeric domain whose two limits are both allowed).
tavi::ComPtr<IGPDomain> MakeDomain(const std::string& spec) {
    const auto [kind, rest] = SplitDomainSpec(spec);
    if (kind == "coded")
        return MakeCodedDomain(rest);
    const auto [low, high] = ParseBounds(kind, rest);
    return kind == "range" ? MakeRangeDomain(low, high) : MakeNumericDomain(low, high);
}

// Prints the domain's verdict on the value, as the data type asks for it; false when the value is not a member.
bool ShowVerdict(IGPDataType* dataType, IGPValue* value, IGPDomain* domain) {
    tavi::ComPtr<IGPMessage> verdict;
    HRESULT hr = dataType->ValidateValue(value, domain, verdict.Out());
    if (FAILED(hr) && !verdict)
        return Fail("the domain cannot check the value: " + CodeText(hr)), false;
    VARIANT_BOOL error = VARIANT_FALSE;
    if (verdict)
        verdict->IsError(&error);
    std::cout << (error ? "not a member" : "member") << "\n";
    ReportMessage(verdict.Get());
    return !error;
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
    if (HRESULT hr = dataType->CreateValue(nullptr, value.Out()); FAILED(hr) || !value)
        return Fail("cannot create a " + options.type + " value: " + CodeText(FAILED(hr) ? hr : E_POINTER));
    // The value is made empty and then given the text, so that the message of a text it refuses is handed out.
    tavi::ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    if (FAILED(hr)) {
        ReportMessage(message.Get()); // a list says which member it could not make
        return Fail("SetAsText failed: " + CodeText(hr));
    }
    const bool error = ReportMessage(message.Get());
    if (!PrintForms(value.Get(), options, docVersion))
        return kExitFailure;
    if (options.domain) {
        tavi::ComPtr<IGPDomain> domain = MakeDomain(*options.domain);
        if (!domain)
            return Fail("the " + *options.domain + " domain lacks the domain interface");
        if (!ShowVerdict(dataType.Get(), value.Get(), domain.Get()))
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
        tavi::ComPtr<IUnknown> object;
        HRESULT hr = CreateObject(GuidToText(CLSID_GPDataTypeFactory), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
        auto factory = tavi::QueryAs<IGPDataTypeFactory>(object.Get());
        status = FAILED(hr) || !factory
                     ? Fail("cannot create the data type factory: " + CodeText(FAILED(hr) ? hr : E_NOINTERFACE))
                     : ShowValue(factory.Get(), options, docVersion);
    }
    DllCanUnloadNow(); // lets the thread's factory and its data types go
    return status;
}

const Command kValue{
    "value",
    "make a value of a data type from text",
    "usage: tavigp value TYPE TEXT [--member MEMBERTYPE | --columns T1,T2...] [--list] [--xml]\n"
    "                               [--stream [--docversion V]] [--domain SPEC]\n"
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
    "                    or 'not a member' (the domain's message on standard error). SPEC is 'coded:A,B,C' (string\n"
    "                    codes), 'range:MIN,MAX' (a range domain over numbers, MIN and MAX allowed) or\n"
    "                    'numeric:LOW,HIGH' (a numeric domain, LOW and HIGH allowed)\n"
    "\n"
    "The text form is printed only when neither --xml nor --stream is given. A warning or error message of the\n"
    "value goes to standard error as 'warning CODE: TEXT' or 'error CODE: TEXT'; the value is printed either way.\n"
    "Options start with '--', so a TEXT such as -5 is taken as it is; after '--' every word is TYPE or TEXT.\n"
    "\n"
    "Exit status: 0 when the value was made and shown (a warning included); 1 when its message is an error, the\n"
    "value is not a member of the domain, the type is unknown or cannot be created yet, or the value or a form\n"
    "cannot be made (a line on standard error says which); 2 for a wrong command line, such as an unknown document\n"
    "version or domain.\n",
    &RunValue,
};
const CommandRegistration kRegistration{kValue};

} // namespace
} // namespace tavigp
