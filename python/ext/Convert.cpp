// Python values to the bridge's JSON forms and back.
#include "Convert.h"

#include "Objects.h"

#include "bridge/Marshal.h"

#include <cmath>
#include <limits>

namespace tavipy {

using tavigp::Json;

namespace {

constexpr std::string_view kArrayPrefix = "VT_ARRAY|";

[[noreturn]] void WrongType(std::string_view kind, const py::handle& value) {
    throw py::type_error("expected " + std::string(kind) + ", got " +
                         py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>());
}

Json Number(const py::handle& value) {
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>();
    try {
        return value.cast<int64_t>();
    } catch (const py::cast_error&) {
        return value.cast<uint64_t>(); // past the signed range; the bridge checks the parameter's own range
    }
}

Json Double(double number) {
    return tavigp::DoubleToJson(number);
}

// Lists, dictionaries and scalars as they are: for parameters whose JSON form is itself a structure.
Json Plain(const py::handle& value, CallObjects& objects) {
    if (value.is_none())
        return nullptr;
    if (py::isinstance<py::bool_>(value) || py::isinstance<py::int_>(value))
        return Number(value);
    if (py::isinstance<py::float_>(value))
        return Double(value.cast<double>());
    if (py::isinstance<py::str>(value))
        return value.cast<std::string>();
    if (py::isinstance<Object>(value))
        return objects.In(value);
    if (py::isinstance<py::dict>(value)) {
        Json object = Json::object();
        for (auto [key, item] : value.cast<py::dict>())
            object[py::str(key).cast<std::string>()] = Plain(item, objects);
        return object;
    }
    if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
        Json array = Json::array();
        for (py::handle item : value)
            array.push_back(Plain(item, objects));
        return array;
    }
    WrongType("a JSON-like value", value);
}

// A VARIANT from the Python value that says its kind: None, bool, int, float, str, an Object, a list of any of
// these, or the bridge's own form {"vt": ..., "value": ...} for any other kind.
Json Variant(const py::handle& value, CallObjects& objects) {
    if (value.is_none())
        return {{"vt", "VT_EMPTY"}};
    if (py::isinstance<py::bool_>(value))
        return {{"vt", "VT_BOOL"}, {"value", value.cast<bool>()}};
    if (py::isinstance<py::int_>(value)) {
        Json number = Number(value);
        bool fits32 = number.is_number_integer() && number.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                      number.get<int64_t>() <= std::numeric_limits<int32_t>::max();
        return {{"vt", fits32 ? "VT_I4" : number.is_number_unsigned() ? "VT_UI8" : "VT_I8"}, {"value", number}};
    }
    if (py::isinstance<py::float_>(value))
        return {{"vt", "VT_R8"}, {"value", Double(value.cast<double>())}};
    if (py::isinstance<py::str>(value))
        return {{"vt", "VT_BSTR"}, {"value", value.cast<std::string>()}};
    if (py::isinstance<Object>(value))
        return {{"vt", "VT_UNKNOWN"}, {"value", objects.In(value)}};
    if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
        Json items = Json::array();
        for (py::handle item : value)
            items.push_back(Variant(item, objects));
        return {{"vt", "VT_ARRAY|VT_VARIANT"}, {"value", std::move(items)}};
    }
    if (py::isinstance<py::dict>(value) && value.cast<py::dict>().contains("vt"))
        return Plain(value, objects);
    WrongType("a value a VARIANT can hold", value);
}

std::string HexOf(const py::handle& value) {
    std::string bytes = py::bytes(py::reinterpret_borrow<py::object>(value));
    return tavigp::HexText(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

py::object PlainToPython(const Json& value, CallObjects& objects);

py::object DoubleToPython(const Json& value) {
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        return py::float_(text == "NaN"        ? std::numeric_limits<double>::quiet_NaN()
                          : text == "Infinity" ? std::numeric_limits<double>::infinity()
                                               : -std::numeric_limits<double>::infinity());
    }
    if (value.is_null())
        return py::none();
    return py::float_(value.get<double>());
}

// One value of variant kind `kind` ("VT_R8") in its JSON form.
py::object VariantValueToPython(std::string_view kind, const Json& value, CallObjects& objects) {
    if (value.is_null())
        return py::none();
    if (kind == "VT_BOOL")
        return py::bool_(value.get<int64_t>() != 0);
    if (kind == "VT_R4" || kind == "VT_R8" || kind == "VT_DATE" || kind == "VT_CY")
        return DoubleToPython(value);
    if (kind == "VT_UNKNOWN" || kind == "VT_DISPATCH")
        return objects.Out(value);
    if (kind == "VT_VARIANT")
        return FromJson(value, "out VARIANT", objects);
    return PlainToPython(value, objects);
}

py::object VariantToPython(const Json& form, CallObjects& objects) {
    if (!form.is_object() || !form.contains("vt"))
        return PlainToPython(form, objects);
    std::string kind = form["vt"].get<std::string>();
    const Json none;
    const Json& value = form.contains("value") ? form["value"] : none;
    if (std::string_view(kind).starts_with(kArrayPrefix)) {
        std::string_view element = std::string_view(kind).substr(kArrayPrefix.size());
        if (!value.is_array())
            return py::none();
        py::list items;
        for (const Json& item : value)
            items.append(VariantValueToPython(element, item, objects));
        return items;
    }
    return VariantValueToPython(kind, value, objects);
}

py::object PlainToPython(const Json& value, CallObjects& objects) {
    switch (value.type()) {
    case Json::value_t::null:
        return py::none();
    case Json::value_t::boolean:
        return py::bool_(value.get<bool>());
    case Json::value_t::number_integer:
        return py::int_(value.get<int64_t>());
    case Json::value_t::number_unsigned:
        return py::int_(value.get<uint64_t>());
    case Json::value_t::number_float:
        return py::float_(value.get<double>());
    case Json::value_t::string:
        return py::str(value.get<std::string>());
    case Json::value_t::array: {
        py::list items;
        for (const Json& item : value)
            items.append(PlainToPython(item, objects));
        return items;
    }
    case Json::value_t::object: {
        if (value.contains("object") && value["object"].is_string())
            return objects.Out(value);
        py::dict fields;
        for (const auto& [key, item] : value.items())
            fields[py::str(key)] = PlainToPython(item, objects);
        return fields;
    }
    default:
        return py::none();
    }
}

} // namespace

Json CallObjects::In(const py::handle& value) {
    const Object& object = value.cast<const Object&>();
    std::string name = "#" + std::to_string(nextIn_++);
    session.Store(name, object.unknown);
    return {{"object", name}};
}

py::object CallObjects::Out(const Json& handedOut) {
    if (handedOut.is_null())
        return py::none();
    tavi::ComPtr<IUnknown> object(session.Find(handedOut["object"].get<std::string>()));
    return Wrap(std::move(object), handedOut.value("class", std::string()));
}

Json ToJson(const py::handle& value, std::string_view kind, CallObjects& objects) {
    if (kind == "text" || kind == "BSTR" || kind == "GUID") {
        if (value.is_none())
            return nullptr;
        if (!py::isinstance<py::str>(value))
            WrongType("str", value);
        return value.cast<std::string>();
    }
    if (kind == "number") {
        if (!py::isinstance<py::int_>(value)) // bool is an int too
            WrongType("int", value);
        return Number(value);
    }
    if (kind == "double") {
        if (!py::isinstance<py::float_>(value) && !py::isinstance<py::int_>(value))
            WrongType("float", value);
        return Double(value.cast<double>());
    }
    if (kind == "VARIANT")
        return Variant(value, objects);
    if (kind == "object") {
        if (value.is_none())
            return nullptr;
        if (!py::isinstance<Object>(value))
            WrongType("a tavi.Object", value);
        return objects.In(value);
    }
    if (kind == "hex bytes") {
        if (!py::isinstance<py::bytes>(value) && !py::isinstance<py::bytearray>(value))
            WrongType("bytes", value);
        return HexOf(value);
    }
    return Plain(value, objects);
}

py::object FromJson(const Json& value, std::string_view kind, CallObjects& objects) {
    if (kind == "out double")
        return DoubleToPython(value);
    if (kind == "out VARIANT")
        return value.is_null() ? py::none() : VariantToPython(value, objects);
    if (kind == "out object")
        return objects.Out(value);
    if (kind == "out hex bytes") {
        if (!value.is_string())
            return py::none();
        auto bytes = tavigp::ParseHex(value.get_ref<const std::string&>(), nullptr).value_or(std::vector<uint8_t>());
        return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    return PlainToPython(value, objects);
}

} // namespace tavipy
