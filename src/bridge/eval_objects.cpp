// Bridge requests on objects: "new", "release", "same", "objects", "call" and "ops".
#include "bridge/Binding.h"
#include "bridge/ClassTable.h"
#include "bridge/Requests.h"

#include "tavi/Entry.h"

namespace tavigp {
namespace {

// {"new": "GPString", "as": "s"}: created through the class's factory, asked for IUnknown. Without "as" the object
// gets the next "$N" name, given back as "object".
Json New(Session& session, const Json& request) {
    std::string which = RequiredString(request, "new");
    std::optional<std::string> as = OptionalString(request, "as");
    tavi::ComPtr<IUnknown> object;
    std::optional<HRESULT> created = CreateObject(which, &object);
    if (!created)
        throw BridgeError("unknown class '" + which + "'");
    HRESULT hr = *created;
    Json reply = ResultReply(hr);
    if (FAILED(hr) || !object)
        return reply;
    if (as) {
        session.Store(*as, std::move(object));
    } else {
        Json handed = session.HandOut(std::move(object));
        reply["object"] = handed["object"];
    }
    return reply;
}

Json Release(Session& session, const Json& request) {
    session.Release(RequiredString(request, "release"));
    return {{"ok", true}};
}

// {"releaseall": true}: drops every session object, so that a script can check the object count afterwards.
Json ReleaseAll(Session& session, const Json&) {
    if (Session::CurrentThread() != 0)
        throw BridgeError("\"releaseall\" runs on the main thread");
    session.ReleaseAll();
    return {{"ok", true}};
}

Json Same(Session& session, const Json& request) {
    const Json& names = request["same"];
    if (!names.is_array() || names.size() != 2 || !names[0].is_string() || !names[1].is_string())
        throw BridgeError("\"same\" takes two object names");
    bool same = tavi::SameObject(session.Find(names[0].get<std::string>()), session.Find(names[1].get<std::string>()));
    return {{"ok", true}, {"same", same}};
}

// The module object count, as DllCanUnloadNow sees it.
Json Objects(Session&, const Json&) {
    return {{"ok", true}, {"count", TaviGetModuleObjectCount()}};
}

std::set<size_t> NullOuts(const Json& request, int outs) {
    std::set<size_t> positions;
    if (!request.contains("nullout"))
        return positions;
    const Json& list = request["nullout"];
    if (!list.is_array())
        throw BridgeError("\"nullout\" is an array of out positions");
    for (const Json& item : list) {
        if (!item.is_number_unsigned() || item.get<uint64_t>() >= static_cast<uint64_t>(outs))
            throw BridgeError("\"nullout\": positions run from 0 to the number of out arguments - 1 (" +
                              std::to_string(outs) + " here)");
        positions.insert(item.get<size_t>());
    }
    return positions;
}

// {"call": "Interface.operation", "on": "s", "args": [...], "nullout": [i]}.
Json Call(Session& session, const Json& request) {
    std::string name = RequiredString(request, "call");
    const BindingTable::Binding* binding = Bindings().Find(name);
    if (!binding)
        throw BridgeError("unknown operation '" + name + "' (\"ops\" lists them)");
    IUnknown* object = session.Find(RequiredString(request, "on"));
    static const Json kNoArgs = Json::array();
    const Json& args = request.contains("args") ? request["args"] : kNoArgs;
    if (!args.is_array())
        throw BridgeError("\"args\" is an array");
    CallOutcome outcome = CallBound(session, name, *binding, object, args, NullOuts(request, binding->outs));
    Json reply = ResultReply(outcome.hr);
    if (outcome.noInterface)
        reply["noninterface"] = true;
    else
        reply["out"] = std::move(outcome.outs);
    return reply;
}

Json Ops(Session&, const Json&) {
    Json ops = Json::array();
    for (const auto& [name, binding] : Bindings().All())
        ops.push_back(name + "(" + binding.signature + ")");
    return {{"ok", true}, {"ops", std::move(ops)}};
}

} // namespace

void ObjectRequestFamily(RequestTable& table) {
    table.Add("new", &New);
    table.Add("release", &Release);
    table.Add("releaseall", &ReleaseAll);
    table.Add("same", &Same);
    table.Add("objects", &Objects);
    table.Add("call", &Call);
    table.Add("ops", &Ops);
}

} // namespace tavigp
