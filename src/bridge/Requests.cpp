// The one table of request kinds, every family listed once, and the dispatch of requests to their handlers.
#include "bridge/Requests.h"

#include <stdexcept>

namespace tavigp {

namespace {

constexpr RequestFamily kRequestFamilies[] = {
    &ObjectRequestFamily, &StreamRequestFamily,   &XmlRequestFamily,       &ThreadRequestFamily,
    &DllRequestFamily,    &RegistryRequestFamily, &ErrorInfoRequestFamily,
};

const std::map<std::string, RequestHandler, std::less<>>& Handlers() {
    static const RequestTable table = [] {
        RequestTable t;
        for (RequestFamily add : kRequestFamilies)
            add(t);
        return t;
    }();
    return table.All();
}

Json Dispatch(Session& session, const Json& request) {
    if (!request.is_object())
        throw BridgeError("a request is a JSON object");
    RequestHandler handler = nullptr;
    std::string chosen;
    for (const auto& [key, value] : request.items()) {
        auto found = Handlers().find(key);
        if (found == Handlers().end())
            continue;
        if (handler)
            throw BridgeError("a request names one operation; this one names both '" + chosen + "' and '" + key + "'");
        handler = found->second;
        chosen = key;
    }
    if (!handler)
        throw BridgeError("unknown request: no operation key such as \"new\", \"call\" or \"stream\"");
    return handler(session, request);
}

} // namespace

void RequestTable::Add(std::string_view key, RequestHandler handler) {
    if (!handlers_.emplace(std::string(key), handler).second)
        throw std::logic_error("request kind added twice: " + std::string(key));
}

Json HandleRequest(Session& session, const Json& request) {
    try {
        return Dispatch(session, request);
    } catch (const BridgeError& error) {
        return {{"ok", false}, {"error", error.what()}};
    } catch (const Json::exception& error) {
        return {{"ok", false}, {"error", std::string("malformed request: ") + error.what()}};
    } catch (const std::bad_alloc&) {
        return {{"ok", false}, {"error", "out of memory"}};
    }
}

std::string RequiredString(const Json& request, const char* field) {
    if (!request.contains(field))
        throw BridgeError(std::string("missing \"") + field + "\"");
    if (!request[field].is_string())
        throw BridgeError(std::string("\"") + field + "\" must be a string");
    return request[field].get<std::string>();
}

std::optional<std::string> OptionalString(const Json& request, const char* field) {
    if (!request.contains(field))
        return std::nullopt;
    return RequiredString(request, field);
}

Json ResultReply(HRESULT hr) {
    Json reply = {{"ok", true}, {"hr", HrText(hr)}};
    if (std::string_view name = HrName(hr); !name.empty())
        reply["hrname"] = name;
    return reply;
}

} // namespace tavigp
