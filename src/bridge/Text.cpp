// Identifier and result code texts for the command line.
#include "bridge/Text.h"

#include "platform/Utf.h"

#include <cstdio>
#include <utility>

namespace tavigp {

// The library's own identifier text: braced, upper-case hexadecimal.
std::string GuidToText(const GUID& g) {
    OLECHAR buffer[40];
    return StringFromGUID2(g, buffer, 40) ? tavi::ToUtf8(buffer) : std::string();
}

// Only the braced form: a bare name is never taken for a programmatic identifier here.
std::optional<GUID> GuidFromText(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    GUID g{};
    if (FAILED(IIDFromString(tavi::FromUtf8(text).c_str(), &g)))
        return std::nullopt;
    return g;
}

std::string HrText(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<uint32_t>(hr));
    return buffer;
}

std::string HrTextAndName(HRESULT hr) {
    std::string_view name = HrName(hr);
    return HrText(hr) + (name.empty() ? "" : " (" + std::string(name) + ")");
}

std::string_view HrName(HRESULT hr) {
    static constexpr std::pair<HRESULT, std::string_view> kNames[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_ABORT, "E_ABORT"},
        {E_FAIL, "E_FAIL"},
        {E_UNEXPECTED, "E_UNEXPECTED"},
        {E_ACCESSDENIED, "E_ACCESSDENIED"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
        {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE"},
        {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"},
        {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
        {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
        {REGDB_E_READREGDB, "REGDB_E_READREGDB"},
        {REGDB_E_WRITEREGDB, "REGDB_E_WRITEREGDB"},
        {CO_E_CLASSSTRING, "CO_E_CLASSSTRING"},
        {OLE_E_NOCONNECTION, "OLE_E_NOCONNECTION"},
        {CONNECT_E_NOCONNECTION, "CONNECT_E_NOCONNECTION"},
        {CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT"},
        {SELFREG_E_CLASS, "SELFREG_E_CLASS"},
        {STG_E_INVALIDFUNCTION, "STG_E_INVALIDFUNCTION"},
        {STG_E_FILENOTFOUND, "STG_E_FILENOTFOUND"},
        {STG_E_ACCESSDENIED, "STG_E_ACCESSDENIED"},
        {STG_E_INVALIDPOINTER, "STG_E_INVALIDPOINTER"},
        {STG_E_READFAULT, "STG_E_READFAULT"},
        {STG_E_WRITEFAULT, "STG_E_WRITEFAULT"},
        {STG_E_MEDIUMFULL, "STG_E_MEDIUMFULL"},
        {STG_E_INVALIDPARAMETER, "STG_E_INVALIDPARAMETER"},
    };
    for (const auto& [code, name] : kNames)
        if (code == hr)
            return name;
    return {};
}

std::string Narrow(std::u16string_view text) {
    return tavi::ToUtf8(text);
}
std::u16string Widen(std::string_view text) {
    return tavi::FromUtf8(text);
}

std::string DumpLine(const Json& reply) {
    return reply.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace tavigp
