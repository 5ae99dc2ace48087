// Identifier and result code texts for the command line.
#include "Text.h"

#include "platform/Utf.h"

#include <cstdio>
#include <utility>

namespace tavigp {

std::string GuidToText(const GUID& g) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return buffer;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at `at`, advancing it; nothing when one is not a digit.
std::optional<uint32_t> ReadHex(std::string_view text, size_t& at, size_t digits) {
    uint32_t value = 0;
    for (size_t i = 0; i < digits; ++i, ++at) {
        int d = at < text.size() ? HexDigit(text[at]) : -1;
        if (d < 0)
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return value;
}

bool Expect(std::string_view text, size_t& at, char c) {
    return at < text.size() && text[at++] == c;
}

} // namespace

std::optional<GUID> GuidFromText(std::string_view text) {
    if (text.size() != 38)
        return std::nullopt;
    GUID g{};
    size_t at = 0;
    auto d1 = Expect(text, at, '{') ? ReadHex(text, at, 8) : std::nullopt;
    auto d2 = d1 && Expect(text, at, '-') ? ReadHex(text, at, 4) : std::nullopt;
    auto d3 = d2 && Expect(text, at, '-') ? ReadHex(text, at, 4) : std::nullopt;
    if (!d3 || !Expect(text, at, '-'))
        return std::nullopt;
    g.Data1 = *d1;
    g.Data2 = static_cast<uint16_t>(*d2);
    g.Data3 = static_cast<uint16_t>(*d3);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, at, '-'))
            return std::nullopt;
        auto byte = ReadHex(text, at, 2);
        if (!byte)
            return std::nullopt;
        g.Data4[i] = static_cast<uint8_t>(*byte);
    }
    return Expect(text, at, '}') ? std::optional<GUID>(g) : std::nullopt;
}

std::string HrText(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<uint32_t>(hr));
    return buffer;
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
