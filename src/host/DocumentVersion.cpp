// Document version names, and the exported name look-up for hosts.
#include "host/DocumentVersion.h"

#include "tavi/Stream.h"

#include <charconv>

namespace tavi::docversion {

namespace {

std::optional<int32_t> ParseNumber(std::string_view text) {
    int32_t value = 0;
    if (text.empty())
        return std::nullopt;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string Name(int32_t version) {
    if (version == kCurrent)
        return "current";
    if (IsNewerLine(version)) {
        if ((version - kNewerFirst) % kNewerStep == 0)
            return "newer:" + std::to_string(PositionInLine(version));
    } else if (version >= kOlderFirst) {
        return "older:" + std::to_string(version - kOlderFirst);
    }
    return std::to_string(version);
}

std::optional<int32_t> FromName(std::string_view name) {
    if (name == "current")
        return kCurrent;
    auto positioned = [&](std::string_view prefix, auto make) -> std::optional<int32_t> {
        auto k = ParseNumber(name.substr(prefix.size()));
        // Positions past a line's count are refused for the older line: they would fall into the gap before the
        // newer line. The newer line continues its numbering.
        if (!k || *k < 0 || *k > 100000)
            return std::nullopt;
        return make(*k);
    };
    if (name.starts_with("older:")) {
        auto version = positioned("older:", [](int32_t k) { return Older(k); });
        if (version && *version >= kOlderFirst + kOlderCount)
            return std::nullopt;
        return version;
    }
    if (name.starts_with("newer:"))
        return positioned("newer:", [](int32_t k) { return Newer(k); });
    return ParseNumber(name);
}

} // namespace tavi::docversion

extern "C" TAVI_API HRESULT TaviDocumentVersionFromName(const char* name, int32_t* version) {
    if (!name || !version)
        return E_POINTER;
    auto found = tavi::docversion::FromName(name);
    if (!found)
        return E_INVALIDARG;
    *version = *found;
    return S_OK;
}
