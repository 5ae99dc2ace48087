// `tavigp value`: a value made from text by its data type, shown as text, XML or stream bytes, with the message the
// value gives for the text.
#include "ClassTable.h"
#include "Command.h"
#include "Marshal.h"
#include "Text.h"

#include "platform/BStr.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPMessage.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

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
};

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
        else
            throw UsageError("unknown option '" + arg + "'");
    }
    if (positional.size() != 2)
        throw UsageError(positional.size() < 2 ? "TYPE and TEXT are needed"
                                               : "unexpected argument '" + positional[2] + "'");
    if (options.docVersion && !options.stream)
        throw UsageError("--docversion applies to --stream only");
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

// Prints the forms asked for; false (after saying why) when one cannot be made.
bool PrintForms(IGPValue* value, const ValueOptions& options, int32_t docVersion) {
    if (!options.xml && !options.stream) {
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

int ShowValue(IGPDataTypeFactory* factory, const ValueOptions& options, int32_t docVersion) {
    const std::u16string type = Widen(options.type), text = Widen(options.text);
    tavi::ComPtr<IGPDataType> dataType;
    if (HRESULT hr = factory->GetDataType(type.c_str(), dataType.Out()); FAILED(hr) || !dataType) {
        tavi::ComPtr<IGPName> known;
        if (SUCCEEDED(factory->GetDataTypeName(type.c_str(), known.Out())))
            return Fail("data type '" + options.type + "' is in the catalogue but the library cannot create it yet");
        return Fail("unknown data type '" + options.type + "' ('tavigp types' lists them)");
    }
    tavi::ComPtr<IGPValue> value;
    if (HRESULT hr = dataType->CreateValue(text.c_str(), value.Out()); FAILED(hr) || !value)
        return Fail("cannot create a " + options.type + " value: " + CodeText(FAILED(hr) ? hr : E_POINTER));
    // CreateValue keeps the message of the text to itself; setting the text again on the value hands it out.
    tavi::ComPtr<IGPMessage> message;
    HRESULT hr = value->SetAsText(text.c_str(), message.Out());
    if (FAILED(hr))
        return Fail("SetAsText failed: " + CodeText(hr));
    const bool error = ReportMessage(message.Get());
    if (!PrintForms(value.Get(), options, docVersion))
        return kExitFailure;
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
    "usage: tavigp value TYPE TEXT [--xml] [--stream [--docversion V]]\n"
    "\n"
    "Asks the data type factory for the data type TYPE (a name 'tavigp types' lists, in any letter case), lets it\n"
    "create a value from TEXT, and sets TEXT on the value once more to get the message the value gives for it.\n"
    "Standard output gets the value in the forms asked for, in this order:\n"
    "\n"
    "  (no option)       the value's text form (GetAsText), on one line\n"
    "  --xml             the value's XML document\n"
    "  --stream          the bytes the value saves to a stream, in hexadecimal, on one line\n"
    "  --docversion V    the document version the stream is written for: 'current' (the default), 'older:K' or\n"
    "                    'newer:K' (K the position within that application line, from 0), or a version number\n"
    "\n"
    "The text form is printed only when neither --xml nor --stream is given. A warning or error message of the\n"
    "value goes to standard error as 'warning CODE: TEXT' or 'error CODE: TEXT'; the value is printed either way.\n"
    "Options start with '--', so a TEXT such as -5 is taken as it is; after '--' every word is TYPE or TEXT.\n"
    "\n"
    "Exit status: 0 when the value was made and shown (a warning included); 1 when its message is an error, the\n"
    "type is unknown or cannot be created yet, or the value or a form cannot be made (a line on standard error\n"
    "says which); 2 for a wrong command line, such as an unknown document version.\n",
    &RunValue,
};
const CommandRegistration kRegistration{kValue};

} // namespace
} // namespace tavigp
