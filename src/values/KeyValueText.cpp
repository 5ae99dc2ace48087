// The JSON text form of key-values.
#include "values/KeyValueText.h"

#include "host/ObjectArray.h"
#include "platform/Utf.h"
#include "tavi/GPComposite.h"
#include "tavi/GPKeyValue.h"
#include "tavi/GPScalar.h"
#include "values/GPKeyValue.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

namespace tavi::keyvaluetext {

namespace {

// Members in document order, so that a text is written back in the order it was read.
using Json = nlohmann::ordered_json;

constexpr int kMaxDepth = GPKeyValue::kMaxDepth;

bool ReadMembers(const Json& object, const KeyDeclarations& keys, std::vector<ComPtr<IGPValue>>& values);
bool ValueOf(IGPDataType* type, const Json& json, ComPtr<IGPValue>& value);

// A new empty value of `type` (CreateValue without text).
ComPtr<IGPValue> EmptyValueOf(IGPDataType* type) {
    ComPtr<IGPValue> made;
    if (type->CreateValue(nullptr, made.Out()) != S_OK)
        return {};
    return made;
}

// An object for a key-value type: a nested key-value with a copy of the type, its required keys enforced.
bool NestedKeyValue(IGPDataType* type, const Json& object, ComPtr<IGPValue>& value) {
    auto nested = MakeObject<GPKeyValue>();
    if (FAILED(nested->putref_DataType(type)))
        return false;
    std::vector<ComPtr<IGPValue>> values;
    if (!ReadMembers(object, nested->Keys(), values) || !RequiredKeysHeld(nested->Keys(), values))
        return false;
    nested->TakeValues(std::move(values));
    value = ComPtr<IGPValue>(static_cast<IGPValue*>(nested.Get()));
    return true;
}

// An array for a multi-value type: one member per element made by the member type; null elements are left out.
bool MultiValue(IGPDataType* type, IGPMultiValueType* multiType, const Json& array, ComPtr<IGPValue>& value) {
    ComPtr<IGPDataType> memberType;
    multiType->get_MemberDataType(memberType.Out());
    ComPtr<IGPValue> made = EmptyValueOf(type);
    auto list = QueryAs<IGPMultiValue>(made.Get());
    if (!list)
        return false;
    for (const Json& element : array) {
        ComPtr<IGPValue> member;
        if (!ValueOf(memberType.Get(), element, member))
            return false;
        if (member && FAILED(list->AddValue(member.Get())))
            return false;
    }
    value = made;
    return true;
}

// An array of arrays for a value table type: one record per inner array, each cell made by its column's type; cells
// the array leaves out (and null cells) are empty. A record longer than the columns cannot be read.
bool ValueTable(IGPDataType* type, IGPValueTableType* tableType, const Json& array, ComPtr<IGPValue>& value) {
    int32_t columns = 0;
    tableType->get_Count(&columns);
    std::vector<ComPtr<IGPDataType>> columnTypes(static_cast<size_t>(columns < 0 ? 0 : columns));
    for (size_t i = 0; i < columnTypes.size(); ++i)
        tableType->get_DataType(static_cast<int32_t>(i), columnTypes[i].Out());
    ComPtr<IGPValue> made = EmptyValueOf(type);
    auto table = QueryAs<IGPValueTable>(made.Get());
    if (!table)
        return false;
    for (const Json& row : array) {
        if (!row.is_array() || row.size() > columnTypes.size())
            return false;
        auto record = MakeObject<ObjectArray>();
        for (size_t i = 0; i < columnTypes.size(); ++i) {
            ComPtr<IGPValue> cell;
            if (i < row.size() && !ValueOf(columnTypes[i].Get(), row[i], cell))
                return false;
            record->Add(cell.Get());
        }
        if (FAILED(table->AddRecord(static_cast<IArray*>(record.Get()))))
            return false;
    }
    value = made;
    return true;
}

// A string, number or boolean: given to the data type as text (a string's content, else the JSON text). A string
// holding U+0000 cannot be read: the data type would see only the text before it.
bool ScalarValue(IGPDataType* type, const Json& json, ComPtr<IGPValue>& value) {
    String text = FromUtf8(json.is_string() ? json.get<std::string>() : json.dump());
    if (text.find(u'\0') != String::npos)
        return false;
    ComPtr<IGPValue> made;
    if (type->CreateValue(text.c_str(), made.Out()) != S_OK || !made)
        return false; // S_FALSE: the data type could not read the text
    value = made;
    return true;
}

// The value of `type` that `json` gives; null leaves it without value. False when it cannot be read: no data type,
// an object for a type that is no key-value type, an array for one that is neither a multi-value nor a value table
// type, or a value the type cannot make. A key-value type answers the other two interfaces too, and a multi-value
// type the value table one, so they are asked in that order.
bool ValueOf(IGPDataType* type, const Json& json, ComPtr<IGPValue>& value) {
    value = nullptr;
    if (json.is_null())
        return true;
    if (!type)
        return false;
    bool keyValueType = static_cast<bool>(QueryAs<IGPKeyValueType>(type));
    if (json.is_object())
        return keyValueType && NestedKeyValue(type, json, value);
    if (!json.is_array())
        return ScalarValue(type, json, value);
    if (keyValueType)
        return false;
    if (auto multiType = QueryAs<IGPMultiValueType>(type))
        return MultiValue(type, multiType.Get(), json, value);
    if (auto tableType = QueryAs<IGPValueTableType>(type))
        return ValueTable(type, tableType.Get(), json, value);
    return false;
}

bool ReadMembers(const Json& object, const KeyDeclarations& keys, std::vector<ComPtr<IGPValue>>& values) {
    values.assign(static_cast<size_t>(keys.Count()), nullptr);
    for (const auto& [name, member] : object.items()) {
        int32_t index = keys.Find(FromUtf8(name));
        if (index < 0)
            continue; // a member the type does not declare is no part of the value
        if (!ValueOf(keys[index].dataType.Get(), member, values[static_cast<size_t>(index)]))
            return false;
    }
    return true;
}

bool WriteValue(IGPValue* value, int depth, Json& out);

String TextOf(IGPValue* value) {
    BStr text;
    value->GetAsText(text.Out());
    return text.str();
}

bool WriteKeyValue(IGPKeyValueIndex* keyValue, int depth, Json& out) {
    out = Json::object();
    int32_t count = 0;
    keyValue->get_Count(&count);
    for (int32_t i = 0; i < count; ++i) {
        BStr name;
        ComPtr<IGPValue> held;
        keyValue->get_Key(i, name.Out());
        keyValue->get_Value(i, held.Out());
        if (held && !WriteValue(held.Get(), depth + 1, out[ToUtf8(name.view())]))
            return false;
    }
    return true;
}

bool WriteMultiValue(IGPMultiValue* list, int depth, Json& out) {
    out = Json::array();
    int32_t count = 0;
    list->get_Count(&count);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPValue> member;
        list->get_Value(i, member.Out());
        VARIANT_BOOL empty = VARIANT_TRUE;
        if (!member || FAILED(member->IsEmpty(&empty)) || empty)
            continue; // an empty member has no place in the array
        out.push_back(Json());
        if (!WriteValue(member.Get(), depth + 1, out.back()))
            return false;
    }
    return true;
}

bool WriteValueTable(IGPValueTable* table, int depth, Json& out) {
    if (depth + 1 > kMaxDepth)
        return false;
    out = Json::array();
    int32_t records = 0, columns = 0;
    table->get_RecordCount(&records);
    table->get_DataTypeCount(&columns);
    for (int32_t row = 0; row < records; ++row) {
        Json& record = out.emplace_back(Json::array());
        for (int32_t column = 0; column < columns; ++column) {
            ComPtr<IGPValue> cell;
            table->GetValue(row, column, cell.Out());
            Json& written = record.emplace_back(nullptr);
            if (cell && !WriteValue(cell.Get(), depth + 2, written))
                return false;
        }
    }
    return true;
}

// A long, double or boolean is written as a JSON number or boolean only when it answers exactly one of the three
// interfaces: a variant answers them all, and reading it as one of them would change what it holds.
bool WriteScalar(IGPValue* value, Json& out) {
    auto asLong = QueryAs<IGPLong>(value);
    auto asDouble = QueryAs<IGPDouble>(value);
    auto asBoolean = QueryAs<IGPBoolean>(value);
    if (static_cast<int>(bool(asLong)) + bool(asDouble) + bool(asBoolean) != 1)
        return false;
    int64_t number = 0;
    double real = 0;
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (asLong && SUCCEEDED(asLong->get_Value64(&number)))
        out = number;
    else if (asDouble && SUCCEEDED(asDouble->get_Value(&real)) && std::isfinite(real))
        out = real; // JSON has no number for NaN or the infinities: those are written as their text
    else if (asBoolean && SUCCEEDED(asBoolean->get_Value(&flag)))
        out = flag != VARIANT_FALSE;
    else
        return false;
    return true;
}

// `depth` is the level the value takes when it is written as an object or array.
bool WriteValue(IGPValue* value, int depth, Json& out) {
    VARIANT_BOOL empty = VARIANT_FALSE;
    if (SUCCEEDED(value->IsEmpty(&empty)) && empty) {
        out = ToUtf8(TextOf(value)); // read back as an empty value of the key's type
        return true;
    }
    if (auto keyValue = QueryAs<IGPKeyValueIndex>(value))
        return depth <= kMaxDepth && WriteKeyValue(keyValue.Get(), depth, out);
    if (auto list = QueryAs<IGPMultiValue>(value))
        return depth <= kMaxDepth && WriteMultiValue(list.Get(), depth, out);
    if (auto table = QueryAs<IGPValueTable>(value))
        return depth <= kMaxDepth && WriteValueTable(table.Get(), depth, out);
    if (!WriteScalar(value, out))
        out = ToUtf8(TextOf(value));
    return true;
}

} // namespace

int NestingDepth(std::string_view json, int limit) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit)
                return deepest;
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

ReadResult ReadObject(std::u16string_view text, const KeyDeclarations& keys, std::vector<ComPtr<IGPValue>>& values) {
    std::string utf8 = ToUtf8(text);
    // Refused before parsing: nothing deeper than the limit reaches the parser or the readers above, which recurse.
    if (NestingDepth(utf8, kMaxDepth) > kMaxDepth)
        return ReadResult::kNotRead;
    Json json = Json::parse(utf8, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return ReadResult::kNotObject;
    return ReadMembers(json, keys, values) ? ReadResult::kRead : ReadResult::kNotRead;
}

bool WriteObject(const KeyDeclarations& keys, const std::vector<ComPtr<IGPValue>>& values, String& text) {
    Json object = Json::object();
    for (int32_t i = 0; i < keys.Count(); ++i) {
        IGPValue* held = values[static_cast<size_t>(i)].Get();
        if (held && !WriteValue(held, 2, object[ToUtf8(keys[i].name)]))
            return false;
    }
    text = FromUtf8(object.dump(-1, ' ', false, Json::error_handler_t::replace));
    return true;
}

bool RequiredKeysHeld(const KeyDeclarations& keys, const std::vector<ComPtr<IGPValue>>& values) {
    for (int32_t i = 0; i < keys.Count(); ++i)
        if (keys[i].required && !values[static_cast<size_t>(i)])
            return false;
    return true;
}

} // namespace tavi::keyvaluetext
