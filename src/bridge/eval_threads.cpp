// Bridge requests on threads: {"thread": N, "do": {…}} and {"threadlocale": LCID}.
#include "bridge/Requests.h"

namespace tavigp {
namespace {

// Runs the inner request on worker thread N and replies what it replies.
Json Thread(Session& session, const Json& request) {
    const Json& number = request["thread"];
    if (!number.is_number_integer())
        throw BridgeError("\"thread\" is a thread number");
    if (!request.contains("do") || !request["do"].is_object())
        throw BridgeError("\"do\" holds the request to run on the thread");
    Json reply;
    // Checked as a 64-bit number first, so that a huge one is refused rather than cut down to a valid one.
    int64_t wide = number.get<int64_t>();
    int thread = wide < 0 || wide > Session::kMaxThreads ? -1 : static_cast<int>(wide);
    session.RunOn(thread, [&] { reply = HandleRequest(session, request["do"]); });
    return reply;
}

// Sets the calling thread's locale; replies the platform's answer (1 when set) and the locale now in force.
Json ThreadLocale(Session&, const Json& request) {
    const Json& lcid = request["threadlocale"];
    if (!lcid.is_number_unsigned() || lcid.get<uint64_t>() > UINT32_MAX)
        throw BridgeError("\"threadlocale\" is a locale identifier such as 1033");
    int32_t result = SetThreadLocale(lcid.get<LCID>());
    return {{"ok", true}, {"result", result}, {"locale", GetThreadLocale()}};
}

} // namespace

void ThreadRequestFamily(RequestTable& table) {
    table.Add("thread", &Thread);
    table.Add("threadlocale", &ThreadLocale);
}

} // namespace tavigp
