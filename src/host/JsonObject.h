// The host's JSON object: one JSON object held in its parsed form (nlohmann/json, members in the order the text
// gave them). A service input layer hands out a layer's definition in one; the record set values reduce and keep it.
#pragma once

#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/RecordSet.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

namespace tavi {

using JsonValue = nlohmann::ordered_json;

// How deep arrays and objects may nest in a text that is read (the top-level object counts as 1). Deeper texts are
// refused, so that no text can exhaust the stack of the writer, which walks values recursively.
constexpr int kMaxJsonDepth = 256;

// `text` (UTF-8) as a JSON object: nothing when it is not well-formed JSON, not an object, or nests too deep.
// Duplicate member names keep the last value at the first name's place.
std::optional<JsonValue> ParseJsonObject(std::string_view text);

// Compact UTF-8 text of a value. Throws std::bad_alloc only.
std::string JsonText(const JsonValue& value);

// The text form is compact JSON; a text that is not a JSON object (FromJSONString) gives E_INVALIDARG and leaves
// the object as it was; null texts and names give E_POINTER. A new object is the empty object "{}".
class JSONObject final : public Object<JSONObject, IJSONObject, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_JSONObject;
    static constexpr const char16_t* kClassName = u"JSONObject";

    JSONObject() = default;
    explicit JSONObject(JsonValue object) : json_(std::move(object)) {}

    // IJSONObject
    HRESULT ToJSONString(BSTR* json) override;
    HRESULT FromJSONString(const OLECHAR* json) override;
    HRESULT GetMember(const OLECHAR* name, BSTR* json) override;
    // IClone: any object answering IJSONObject can be assigned (its text is read; E_INVALIDARG for another object).
    // Two objects are equal when they hold the same members with equal values, in any order.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;

    const JsonValue& Json() const { return json_; }

private:
    JsonValue json_ = JsonValue::object();
};

// A new JSON object holding `object` (which must be a JSON object).
HRESULT MakeJsonObject(JsonValue object, IJSONObject** out);

// The content of any IJSONObject (read through its text when it is not one of ours); nothing when it cannot be read.
std::optional<JsonValue> JsonObjectContent(IJSONObject* object);

} // namespace tavi
