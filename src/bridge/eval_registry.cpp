// Bridge requests on the registry store: {"reg": "get" | "set" | "keys", "key": "HKEY_…\\…", …}.
#include "bridge/Marshal.h"
#include "bridge/RegistryAccess.h"
#include "bridge/Requests.h"

namespace tavigp {
namespace {

RegPath KeyOf(const Json& request) {
    std::string text = RequiredString(request, "key");
    auto path = ParseRegPath(text);
    if (!path)
        throw BridgeError("\"key\" must start with HKEY_CLASSES_ROOT or HKEY_CURRENT_USER: '" + text + "'");
    return *path;
}

// Not found (the key or the value) is an answer, "found": false; any other failure of the store is reported as
// its status.
Json NotFoundOr(LSTATUS status) {
    if (status == ERROR_FILE_NOT_FOUND)
        return {{"ok", true}, {"found", false}};
    return {{"ok", true}, {"found", false}, {"status", RegStatusText(status)}};
}

Json Get(const Json& request) {
    RegPath path = KeyOf(request);
    std::u16string name = Widen(RequiredString(request, "value"));
    RegKey key;
    if (LSTATUS status = OpenKey(path, false, &key); status != ERROR_SUCCESS)
        return NotFoundOr(status);
    RegValue value;
    if (LSTATUS status = QueryValue(key.Get(), name, &value); status != ERROR_SUCCESS)
        return NotFoundOr(status);
    Json reply = {{"ok", true}, {"found", true}};
    if (value.type == REG_SZ) {
        reply["type"] = "REG_SZ";
        reply["data"] = Narrow(value.text);
    } else if (value.type == REG_DWORD) {
        reply["type"] = "REG_DWORD";
        reply["data"] = value.number;
    } else {
        reply["type"] = value.type;
        reply["data"] = HexText(value.bytes);
    }
    return reply;
}

Json Set(const Json& request) {
    RegPath path = KeyOf(request);
    std::u16string name = Widen(RequiredString(request, "value"));
    std::string type = OptionalString(request, "type").value_or("REG_SZ");
    const Json& data = request.contains("data") ? request["data"] : throw BridgeError("missing \"data\"");
    if (type == "REG_SZ" && !data.is_string())
        throw BridgeError("REG_SZ data is a string");
    if (type == "REG_DWORD" && (!data.is_number_unsigned() || data.get<uint64_t>() > UINT32_MAX))
        throw BridgeError("REG_DWORD data is a number from 0 to 4294967295");
    if (type != "REG_SZ" && type != "REG_DWORD")
        throw BridgeError("\"type\" is REG_SZ or REG_DWORD");
    RegKey key;
    LSTATUS status = CreateKey(path, &key);
    if (status == ERROR_SUCCESS)
        status = type == "REG_SZ" ? SetString(key.Get(), name, Widen(data.get<std::string>()))
                                  : SetDword(key.Get(), name, data.get<DWORD>());
    return {{"ok", true}, {"status", RegStatusText(status)}};
}

Json Keys(const Json& request) {
    RegKey key;
    if (LSTATUS status = OpenKey(KeyOf(request), false, &key); status != ERROR_SUCCESS)
        return NotFoundOr(status);
    std::vector<std::u16string> names;
    if (LSTATUS status = SubkeyNames(key.Get(), &names); status != ERROR_SUCCESS)
        return {{"ok", true}, {"found", true}, {"status", RegStatusText(status)}};
    Json keys = Json::array();
    for (const auto& name : names)
        keys.push_back(Narrow(name));
    return {{"ok", true}, {"found", true}, {"keys", std::move(keys)}};
}

Json Reg(Session&, const Json& request) {
    std::string what = RequiredString(request, "reg");
    if (what == "get")
        return Get(request);
    if (what == "set")
        return Set(request);
    if (what == "keys")
        return Keys(request);
    throw BridgeError("\"reg\" is \"get\", \"set\" or \"keys\"");
}

} // namespace

void RegistryRequestFamily(RequestTable& table) {
    table.Add("reg", &Reg);
}

} // namespace tavigp
