// Bridge requests on the persisted forms of objects: {"xml": "write" | "read", …} through the library's XML
// functions, and {"json": "write" | "read", …} through the value's own JSON operations.
#include "bridge/ClassTable.h"
#include "bridge/Requests.h"

#include "tavi/GPValue.h"
#include "tavi/Xml.h"

#include "platform/BStr.h"

namespace tavigp {
namespace {

// The reply when the object does not answer the interface the request needs, as for a call.
Json NonInterface(HRESULT hr) {
    Json reply = ResultReply(FAILED(hr) ? hr : E_NOINTERFACE);
    reply["noninterface"] = true;
    return reply;
}

// Lets `read` fill an object from the request's "text": the session object named by "into", which keeps whatever the
// read left in it; or else a new object of "class", stored as "as" only when both creation and read succeed.
template <class Read> Json ReadForm(Session& session, const Json& request, Read read) {
    std::u16string text = Widen(RequiredString(request, "text"));
    if (auto into = OptionalString(request, "into")) {
        if (request.contains("class") || request.contains("as"))
            throw BridgeError("\"into\" reads into an existing object; \"class\" and \"as\" make a new one");
        std::optional<HRESULT> hr = read(session.Find(*into), text);
        return hr ? ResultReply(*hr) : NonInterface(E_NOINTERFACE);
    }
    std::string which = RequiredString(request, "class");
    std::string as = RequiredString(request, "as");
    tavi::ComPtr<IUnknown> object;
    std::optional<HRESULT> created = CreateObject(which, &object);
    if (!created)
        throw BridgeError("unknown class '" + which + "'");
    if (FAILED(*created))
        return ResultReply(*created);
    std::optional<HRESULT> hr = read(object.Get(), text);
    if (!hr)
        return NonInterface(E_NOINTERFACE);
    if (SUCCEEDED(*hr))
        session.Store(as, std::move(object));
    return ResultReply(*hr);
}

Json XmlWrite(Session& session, const Json& request) {
    IUnknown* object = session.Find(RequiredString(request, "of"));
    std::optional<std::u16string> ns;
    if (auto text = OptionalString(request, "namespace"))
        ns = Widen(*text);
    tavi::BStr xml;
    HRESULT hr = TaviXmlSerialize(object, ns ? ns->c_str() : nullptr, xml.Out());
    Json reply = ResultReply(hr);
    if (SUCCEEDED(hr))
        reply["xml"] = Narrow(xml.view());
    return reply;
}

Json Xml(Session& session, const Json& request) {
    std::string what = RequiredString(request, "xml");
    if (what == "write")
        return XmlWrite(session, request);
    if (what == "read")
        return ReadForm(session, request, [](IUnknown* object, const std::u16string& text) {
            return std::optional<HRESULT>(TaviXmlDeserialize(text.c_str(), object));
        });
    throw BridgeError("\"xml\" is \"write\" or \"read\"");
}

Json JsonWrite(Session& session, const Json& request) {
    auto value = tavi::QueryAs<IGPValue>(session.Find(RequiredString(request, "of")));
    if (!value)
        return NonInterface(E_NOINTERFACE);
    tavi::BStr text;
    HRESULT hr = value->SerializeJSONObject(text.Out());
    Json reply = ResultReply(hr);
    if (SUCCEEDED(hr))
        reply["json"] = Narrow(text.view());
    return reply;
}

Json JsonForm(Session& session, const Json& request) {
    std::string what = RequiredString(request, "json");
    if (what == "write")
        return JsonWrite(session, request);
    if (what == "read")
        return ReadForm(session, request, [](IUnknown* object, const std::u16string& text) {
            auto value = tavi::QueryAs<IGPValue>(object);
            return value ? std::optional<HRESULT>(value->DeserializeJSONObject(text.c_str())) : std::nullopt;
        });
    throw BridgeError("\"json\" is \"write\" or \"read\"");
}

} // namespace

void XmlRequestFamily(RequestTable& table) {
    table.Add("xml", &Xml);
    table.Add("json", &JsonForm);
}

} // namespace tavigp
