// The bridge's request kinds. A request is a JSON object whose operation key ("new", "call", "stream", …) picks
// its handler; each family of handlers lives in an eval_<family>.cpp file and adds itself with one static
// RequestRegistration per key.
#pragma once

#include "Session.h"
#include "Text.h"

#include <string>
#include <string_view>

namespace tavigp {

// Carries out `request` and returns the reply, which starts with "ok": true. Throws BridgeError for a malformed
// request.
using RequestHandler = Json (*)(Session& session, const Json& request);

struct RequestRegistration {
    RequestRegistration(std::string_view key, RequestHandler handler);
};

// Handles one request (already parsed) and always returns a reply: malformed requests give "ok": false with an
// "error" text.
Json HandleRequest(Session& session, const Json& request);

// Shared request readers: a field that must be a string / may be absent; BridgeError names the field otherwise.
std::string RequiredString(const Json& request, const char* field);
std::optional<std::string> OptionalString(const Json& request, const char* field);

// {"ok": true, "hr": "0x…", "hrname": "…"} for a result code.
Json ResultReply(HRESULT hr);

} // namespace tavigp
