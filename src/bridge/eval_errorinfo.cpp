// Bridge requests on the thread's error information: {"errorinfo": "create" | "set" | "get", …}.
#include "bridge/Requests.h"

namespace tavigp {
namespace {

Json ErrorInfo(Session& session, const Json& request) {
    std::string what = RequiredString(request, "errorinfo");
    if (what == "create") { // {"errorinfo": "create", "as": "e"}: a new object answering ICreateErrorInfo
        std::string as = RequiredString(request, "as");
        tavi::ComPtr<ICreateErrorInfo> info;
        HRESULT hr = CreateErrorInfo(info.Out());
        if (SUCCEEDED(hr) && info)
            session.Store(as, tavi::ComPtr<IUnknown>(info.Get()));
        return ResultReply(hr);
    }
    if (what == "set") { // {"errorinfo": "set", "of": "e"}, or "of": null to clear the thread's information
        tavi::ComPtr<IErrorInfo> info;
        if (request.contains("of") && !request["of"].is_null()) {
            info = tavi::QueryAs<IErrorInfo>(session.Find(RequiredString(request, "of")));
            if (!info)
                throw BridgeError("\"of\" does not answer IErrorInfo");
        }
        return ResultReply(SetErrorInfo(0, info.Get()));
    }
    if (what == "get") { // hands out the thread's information (and clears it) as "$N", or "object": null
        tavi::ComPtr<IErrorInfo> info;
        HRESULT hr = GetErrorInfo(0, info.Out());
        Json reply = ResultReply(hr);
        reply["object"] = info ? session.HandOut(tavi::ComPtr<IUnknown>(info.Get())) : Json(nullptr);
        return reply;
    }
    throw BridgeError("\"errorinfo\" is \"create\", \"set\" or \"get\"");
}

} // namespace

void ErrorInfoRequestFamily(RequestTable& table) {
    table.Add("errorinfo", &ErrorInfo);
}

} // namespace tavigp
