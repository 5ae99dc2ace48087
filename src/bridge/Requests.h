// The bridge's request kinds. A request is a JSON object whose operation key ("new", "call", "stream", …) picks
// its handler. Each family of request kinds adds its keys in an eval_<family>.cpp file, and Requests.cpp lists the
// families once, the way Bindings.cpp lists the binding families.
#pragma once

#include "bridge/Session.h"
#include "bridge/Text.h"

#include <map>
#include <string>
#include <string_view>

namespace tavigp {

// Carries out `request` and returns the reply, which starts with "ok": true. Throws BridgeError for a malformed
// request.
using RequestHandler = Json (*)(Session& session, const Json& request);

// The request kinds by their operation key.
class RequestTable {
public:
    // Adds a kind; std::logic_error when the key has a handler already, as one would hide the other.
    void Add(std::string_view key, RequestHandler handler);
    const std::map<std::string, RequestHandler, std::less<>>& All() const { return handlers_; }

private:
    std::map<std::string, RequestHandler, std::less<>> handlers_;
};

// A request family adds the kinds of one eval_<family>.cpp.
using RequestFamily = void (*)(RequestTable& table);
void ObjectRequestFamily(RequestTable& table);
void StreamRequestFamily(RequestTable& table);
void XmlRequestFamily(RequestTable& table);
void ThreadRequestFamily(RequestTable& table);
void ErrorInfoRequestFamily(RequestTable& table);
void DllRequestFamily(RequestTable& table);
void RegistryRequestFamily(RequestTable& table);

// Handles one request (already parsed) and always returns a reply: malformed requests give "ok": false with an
// "error" text.
Json HandleRequest(Session& session, const Json& request);

// Shared request readers: a field that must be a string / may be absent; BridgeError names the field otherwise.
std::string RequiredString(const Json& request, const char* field);
std::optional<std::string> OptionalString(const Json& request, const char* field);

// {"ok": true, "hr": "0x…", "hrname": "…"} for a result code.
Json ResultReply(HRESULT hr);

} // namespace tavigp
