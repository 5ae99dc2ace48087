// The host's JSON object: see JsonObject.h.
#include "host/JsonObject.h"

#include "platform/HandOut.h"
#include "platform/Utf.h"

namespace tavi {

namespace {

// Values compared without regard to member order: the ordered form compares objects as sequences.
bool SameJson(const JsonValue& a, const JsonValue& b) {
    if (a.is_object() && b.is_object()) {
        if (a.size() != b.size())
            return false;
        for (const auto& [name, value] : a.items()) {
            auto found = b.find(name);
            if (found == b.end() || !SameJson(value, *found))
                return false;
        }
        return true;
    }
    if (a.is_array() && b.is_array()) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!SameJson(a[i], b[i]))
                return false;
        return true;
    }
    return a == b;
}

} // namespace

std::optional<JsonValue> ParseJsonObject(std::string_view text) {
    bool tooDeep = false;
    // The parser counts depth from 0 at the top-level value; a value that would open a level beyond the limit is
    // dropped and the whole text refused.
    auto limit = [&](int depth, JsonValue::parse_event_t event, JsonValue&) {
        if ((event == JsonValue::parse_event_t::object_start || event == JsonValue::parse_event_t::array_start) &&
            depth >= kMaxJsonDepth) {
            tooDeep = true;
            return false;
        }
        return !tooDeep;
    };
    JsonValue parsed = JsonValue::parse(text.begin(), text.end(), limit, /*allow_exceptions=*/false);
    if (tooDeep || parsed.is_discarded() || !parsed.is_object())
        return std::nullopt;
    return parsed;
}

std::string JsonText(const JsonValue& value) {
    return value.dump(-1, ' ', false, JsonValue::error_handler_t::replace);
}

HRESULT JSONObject::ToJSONString(BSTR* json) {
    if (!json)
        return E_POINTER;
    *json = nullptr;
    return guard([&] { return HandOut(FromUtf8(JsonText(json_)), json); });
}

HRESULT JSONObject::FromJSONString(const OLECHAR* json) {
    if (!json)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto parsed = ParseJsonObject(ToUtf8(json));
        if (!parsed)
            return E_INVALIDARG;
        json_ = std::move(*parsed);
        return S_OK;
    });
}

HRESULT JSONObject::GetMember(const OLECHAR* name, BSTR* json) {
    if (!name || !json)
        return E_POINTER;
    *json = nullptr;
    return guard([&]() -> HRESULT {
        auto found = json_.find(ToUtf8(name));
        if (found == json_.end())
            return S_FALSE;
        return HandOut(FromUtf8(JsonText(*found)), json);
    });
}

HRESULT JSONObject::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT { return MakeObject<JSONObject>(json_).As<IClone>().CopyTo(clone); });
}

HRESULT JSONObject::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto other = QueryAs<IJSONObject>(source);
        if (!other)
            return E_INVALIDARG;
        auto content = JsonObjectContent(other.Get());
        if (!content)
            return E_FAIL;
        json_ = std::move(*content);
        return S_OK;
    });
}

HRESULT JSONObject::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto object = QueryAs<IJSONObject>(other);
        auto content = object ? JsonObjectContent(object.Get()) : std::nullopt;
        if (content && SameJson(json_, *content))
            *equal = VARIANT_TRUE;
    });
}

HRESULT JSONObject::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IJSONObject*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT MakeJsonObject(JsonValue object, IJSONObject** out) {
    if (HRESULT hr = ClearOut(out); FAILED(hr))
        return hr;
    if (!object.is_object())
        return E_INVALIDARG;
    return guard([&]() -> HRESULT { return MakeObject<JSONObject>(std::move(object)).As<IJSONObject>().CopyTo(out); });
}

std::optional<JsonValue> JsonObjectContent(IJSONObject* object) {
    if (!object)
        return std::nullopt;
    if (auto* ours = dynamic_cast<JSONObject*>(object))
        return ours->Json();
    BStr text;
    if (FAILED(object->ToJSONString(text.Out())))
        return std::nullopt;
    return ParseJsonObject(ToUtf8(text.view()));
}

} // namespace tavi
