// Layer definitions of service layers: see LayerDefinition.h.
#include "data/LayerDefinition.h"

#include "platform/Object.h"
#include "platform/Utf.h"

#include <nlohmann/json.hpp>

#include <array>

namespace tavi {

namespace {

using Json = nlohmann::json;

// A JSON object, or a discarded value for any other text (no exception: a number out of range is no object either).
Json ParseObject(std::string_view text) {
    Json parsed = Json::parse(text.begin(), text.end(), nullptr, false);
    return parsed.is_object() ? parsed : Json(Json::value_t::discarded);
}

String TextMember(const Json& object, const char* name) {
    auto found = object.find(name);
    return found != object.end() && found->is_string() ? FromUtf8(found->get_ref<const std::string&>()) : String();
}

constexpr std::array<const char*, 13> kRecordMembers = {"name",
                                                        "type",
                                                        "geometryType",
                                                        "objectIdField",
                                                        "globalIdField",
                                                        "displayField",
                                                        "fields",
                                                        "hasZ",
                                                        "hasM",
                                                        "spatialReference",
                                                        "extent",
                                                        "maxRecordCount",
                                                        "advancedQueryCapabilities"};

} // namespace

HRESULT ReduceLayerDefinition(std::string_view definition, std::string& reduced) {
    return guard([&]() -> HRESULT {
        Json parsed = ParseObject(definition);
        if (parsed.is_discarded())
            return E_INVALIDARG;
        Json kept = Json::object();
        for (const char* name : kRecordMembers)
            if (auto found = parsed.find(name); found != parsed.end())
                kept[name] = std::move(*found);
        reduced = kept.dump();
        return S_OK;
    });
}

HRESULT ReadLayerDefinitionFacts(std::string_view definition, LayerDefinitionFacts& facts) {
    return guard([&]() -> HRESULT {
        Json parsed = ParseObject(definition);
        if (parsed.is_discarded())
            return E_INVALIDARG;
        facts.name = TextMember(parsed, "name");
        facts.geometryType = TextMember(parsed, "geometryType");
        return S_OK;
    });
}

} // namespace tavi
