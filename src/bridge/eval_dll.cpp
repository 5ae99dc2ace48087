// Bridge requests on the library's entry points: {"dll": "DllCanUnloadNow"} and the others.
#include "bridge/ClassTable.h"
#include "bridge/Requests.h"

#include "tavi/Entry.h"

namespace tavigp {
namespace {

// {"dll": "DllGetClassObject", "clsid": "{…}" or a class name, "iid": "{…}" (IClassFactory when absent), "as": "f"}.
Json GetClassObject(Session& session, const Json& request) {
    std::string which = RequiredString(request, "clsid");
    auto classId = ResolveClass(which);
    if (!classId)
        throw BridgeError("unknown class '" + which + "'");
    IID iid = IClassFactory::iid;
    if (auto text = OptionalString(request, "iid")) {
        auto parsed = GuidFromText(*text);
        if (!parsed)
            throw BridgeError("\"iid\" is an identifier \"{…}\"");
        iid = *parsed;
    }
    std::optional<std::string> as = OptionalString(request, "as");
    void* handed = nullptr;
    HRESULT hr = DllGetClassObject(*classId, iid, &handed);
    auto object = tavi::ComPtr<IUnknown>::Adopt(static_cast<IUnknown*>(handed));
    Json reply = ResultReply(hr);
    if (object) {
        if (as)
            session.Store(*as, std::move(object));
        else
            reply["object"] = session.HandOut(std::move(object))["object"];
    }
    return reply;
}

Json Dll(Session& session, const Json& request) {
    std::string entry = RequiredString(request, "dll");
    if (entry == "DllGetClassObject")
        return GetClassObject(session, request);
    static const std::pair<const char*, HRESULT (*)()> kEntries[] = {
        {"DllCanUnloadNow", &DllCanUnloadNow},
        {"DllRegisterServer", &DllRegisterServer},
        {"DllUnregisterServer", &DllUnregisterServer},
        {"taviDllRegisterServer", &taviDllRegisterServer},
        {"taviDllUnregisterServer", &taviDllUnregisterServer},
    };
    for (const auto& [name, function] : kEntries)
        if (entry == name)
            return ResultReply(function());
    throw BridgeError("unknown entry point '" + entry + "'");
}

} // namespace

void DllRequestFamily(RequestTable& table) {
    table.Add("dll", &Dll);
}

} // namespace tavigp
