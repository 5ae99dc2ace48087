// The JSON forms of the bridge's parameter kinds.
#include "bridge/Marshal.h"

#include "platform/VariantKinds.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace tavigp {

bool IsNullArgument(const Json& value) {
    return value.is_null() || (value.is_object() && value.size() == 1 && value.value("nullptr", false) == true);
}

namespace {

// A 64-bit value may come as a decimal string, since not every JSON reader keeps 64-bit integers exact.
template <class T> std::optional<T> FromDecimal(const std::string& text) {
    T value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// A float argument counts as an integer when it is one exactly ("3.0").
std::optional<double> IntegralDouble(const Json& value) {
    if (!value.is_number_float())
        return std::nullopt;
    double d = value.get<double>();
    return std::isfinite(d) && std::trunc(d) == d ? std::optional<double>(d) : std::nullopt;
}

} // namespace

int64_t SignedFromJson(CallState& state, const Json& value, int64_t min, int64_t max, bool allowBool) {
    std::optional<int64_t> number;
    if (value.is_boolean() && allowBool)
        number = value.get<bool>() ? -1 : 0;
    else if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(max))
        state.Fail("number out of range [" + std::to_string(min) + ", " + std::to_string(max) + "]");
    else if (value.is_number_integer())
        number = value.get<int64_t>();
    else if (auto d = IntegralDouble(value); d && *d >= -9.2e18 && *d <= 9.2e18)
        number = static_cast<int64_t>(*d);
    else if (value.is_string() && max > std::numeric_limits<int32_t>::max())
        number = FromDecimal<int64_t>(value.get<std::string>());
    if (!number)
        state.Fail("expected a number");
    if (*number < min || *number > max)
        state.Fail("number out of range [" + std::to_string(min) + ", " + std::to_string(max) + "]");
    return *number;
}

uint64_t UnsignedFromJson(CallState& state, const Json& value, uint64_t max) {
    std::optional<uint64_t> number;
    if (value.is_number_unsigned())
        number = value.get<uint64_t>();
    else if (value.is_number_integer())
        state.Fail("number out of range [0, " + std::to_string(max) + "]");
    else if (auto d = IntegralDouble(value); d && *d >= 0 && *d <= 1.8e19)
        number = static_cast<uint64_t>(*d);
    else if (value.is_string() && max > std::numeric_limits<uint32_t>::max())
        number = FromDecimal<uint64_t>(value.get<std::string>());
    if (!number)
        state.Fail("expected a number");
    if (*number > max)
        state.Fail("number out of range [0, " + std::to_string(max) + "]");
    return *number;
}

double DoubleFromJson(CallState& state, const Json& value) {
    if (value.is_number())
        return value.get<double>();
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (text == "NaN")
            return std::numeric_limits<double>::quiet_NaN();
        if (text == "Infinity")
            return std::numeric_limits<double>::infinity();
        if (text == "-Infinity")
            return -std::numeric_limits<double>::infinity();
    }
    state.Fail("expected a number, \"NaN\", \"Infinity\" or \"-Infinity\"");
}

Json DoubleToJson(double value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    return value;
}

GUID GuidFromJson(CallState& state, const Json& value) {
    if (value.is_string())
        if (auto guid = GuidFromText(value.get_ref<const std::string&>()))
            return *guid;
    state.Fail("expected an identifier \"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}\"");
}

std::u16string TextFromJson(CallState& state, const Json& value) {
    if (!value.is_string())
        state.Fail("expected a string");
    return Widen(value.get_ref<const std::string&>());
}

tavi::ComPtr<IUnknown> ObjectFromJson(CallState& state, const Json& value, const IID& iid) {
    if (IsNullArgument(value))
        return nullptr;
    if (!value.is_object() || !value.contains("object") || !value["object"].is_string())
        state.Fail("expected {\"object\": \"name\"} or null");
    IUnknown* object = state.session.Find(value["object"].get<std::string>());
    tavi::ComPtr<IUnknown> queried;
    if (FAILED(object->QueryInterface(iid, queried.OutVoid())) || !queried)
        state.Fail("object '" + value["object"].get<std::string>() + "' does not answer the interface " +
                   GuidToText(iid));
    return queried;
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view text, std::string* why) {
    auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    if (text.size() % 2) {
        *why = "a hex string needs an even number of digits";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int high = digit(text[2 * i]), low = digit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            *why = "not a hex digit in \"" + std::string(text.substr(2 * i, 2)) + "\"";
            return std::nullopt;
        }
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return bytes;
}

std::vector<uint8_t> HexFromJson(CallState& state, const Json& value) {
    if (!value.is_string())
        state.Fail("expected a hex string");
    std::string why;
    auto bytes = ParseHex(value.get_ref<const std::string&>(), &why);
    if (!bytes)
        state.Fail(why);
    return *bytes;
}

std::string HexText(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

// Variants.

namespace {

constexpr std::pair<VARTYPE, std::string_view> kVariantKinds[] = {
    {VT_EMPTY, "VT_EMPTY"},     {VT_NULL, "VT_NULL"},
    {VT_I2, "VT_I2"},           {VT_I4, "VT_I4"},
    {VT_R4, "VT_R4"},           {VT_R8, "VT_R8"},
    {VT_CY, "VT_CY"},           {VT_DATE, "VT_DATE"},
    {VT_BSTR, "VT_BSTR"},       {VT_DISPATCH, "VT_DISPATCH"},
    {VT_ERROR, "VT_ERROR"},     {VT_BOOL, "VT_BOOL"},
    {VT_UNKNOWN, "VT_UNKNOWN"}, {VT_I1, "VT_I1"},
    {VT_UI1, "VT_UI1"},         {VT_UI2, "VT_UI2"},
    {VT_UI4, "VT_UI4"},         {VT_I8, "VT_I8"},
    {VT_UI8, "VT_UI8"},         {VT_INT, "VT_INT"},
    {VT_UINT, "VT_UINT"},       {VT_VARIANT, "VT_VARIANT"},
};
constexpr std::string_view kArrayPrefix = "VT_ARRAY|";

std::optional<VARTYPE> KindFromName(std::string_view name) {
    for (const auto& [kind, text] : kVariantKinds)
        if (text == name)
            return kind;
    return std::nullopt;
}

std::string KindName(VARTYPE kind) {
    if ((kind & VT_ARRAY) && !(kind & VT_BYREF))
        return std::string(kArrayPrefix) + KindName(static_cast<VARTYPE>(kind & ~VT_ARRAY));
    for (const auto& [k, text] : kVariantKinds)
        if (k == kind)
            return std::string(text);
    return std::to_string(kind);
}

struct ArrayDestroyer {
    void operator()(SAFEARRAY* array) const { SafeArrayDestroy(array); }
};
using ArrayHolder = std::unique_ptr<SAFEARRAY, ArrayDestroyer>;

// The element at `index` as SafeArrayPutElement takes it: texts and objects themselves, everything else by address
// (a variant element as the VARIANT).
const void* ElementArgument(VARTYPE kind, VARIANT& element) {
    if (kind == VT_BSTR)
        return element.bstrVal;
    if (kind == VT_UNKNOWN || kind == VT_DISPATCH)
        return element.punkVal;
    return kind == VT_VARIANT ? static_cast<const void*>(&element) : &element.llVal;
}

// {"vt": "VT_ARRAY|VT_R8", "value": [1.5, 2], "lbound": 0}: a one-dimensional array whose items take the element
// kind's form; the items of a VT_ARRAY|VT_VARIANT are variants in the full form.
SAFEARRAY* ArrayFromJson(CallState& state, const Json& value, VARTYPE kind) {
    if (!tavi::variantkinds::IsArrayElementKind(kind))
        state.Fail("no array holds " + KindName(kind));
    if (!value.contains("value") || !value["value"].is_array())
        state.Fail(KindName(static_cast<VARTYPE>(kind | VT_ARRAY)) + " needs a \"value\" array");
    const Json& items = value["value"];
    auto lowerBound =
        static_cast<int32_t>(SignedFromJson(state, value.value("lbound", Json(0)), INT32_MIN, INT32_MAX, false));
    ArrayHolder array(SafeArrayCreateVector(kind, lowerBound, static_cast<uint32_t>(items.size())));
    if (!array)
        throw std::bad_alloc();
    for (size_t i = 0; i < items.size(); ++i) {
        tavi::Variant element;
        VariantFromJson(state, kind == VT_VARIANT ? items[i] : Json{{"vt", KindName(kind)}, {"value", items[i]}},
                        &element);
        int32_t index = lowerBound + static_cast<int32_t>(i);
        HRESULT hr = SafeArrayPutElement(array.get(), &index, ElementArgument(kind, element));
        if (FAILED(hr))
            state.Fail("array item " + std::to_string(i) + " not stored: " + HrText(hr));
    }
    return array.release();
}

// The items of a one-dimensional array, each in its element kind's form; null for an item that cannot be read.
Json ArrayToJson(Session& session, const SAFEARRAY& array) {
    Json items = Json::array();
    for (uint32_t i = 0; i < array.rgsabound[0].cElements; ++i) {
        int32_t index = array.rgsabound[0].lLbound + static_cast<int32_t>(i);
        tavi::Variant element;
        void* slot = array.vt == VT_VARIANT ? static_cast<void*>(&element) : &element.llVal;
        if (FAILED(SafeArrayGetElement(&array, &index, slot))) {
            items.push_back(nullptr);
            continue;
        }
        if (array.vt != VT_VARIANT)
            element.vt = array.vt; // the element is now the variant's own value, cleared with it
        Json form = VariantToJson(session, element);
        items.push_back(array.vt == VT_VARIANT ? form : form.value("value", Json()));
    }
    return items;
}

} // namespace

void VariantFromJson(CallState& state, const Json& value, VARIANT* out) {
    if (!value.is_object() || !value.contains("vt") || !value["vt"].is_string())
        state.Fail("expected a variant {\"vt\": \"VT_…\", \"value\": …}");
    const std::string& name = value["vt"].get_ref<const std::string&>();
    if (name.starts_with(kArrayPrefix)) {
        auto element = KindFromName(std::string_view(name).substr(kArrayPrefix.size()));
        if (!element)
            state.Fail("unknown variant kind " + value["vt"].dump());
        out->parray = ArrayFromJson(state, value, *element);
        out->vt = static_cast<VARTYPE>(VT_ARRAY | *element);
        return;
    }
    auto kind = KindFromName(name);
    if (!kind)
        state.Fail("unknown variant kind " + value["vt"].dump());
    const Json none;
    const Json& v = value.contains("value") ? value["value"] : none;
    auto needsValue = [&] {
        if (!value.contains("value"))
            state.Fail(value["vt"].get<std::string>() + " needs a \"value\"");
    };
    switch (*kind) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_I1:
        needsValue();
        out->cVal = static_cast<int8_t>(SignedFromJson(state, v, INT8_MIN, INT8_MAX, false));
        break;
    case VT_I2:
        needsValue();
        out->iVal = static_cast<int16_t>(SignedFromJson(state, v, INT16_MIN, INT16_MAX, false));
        break;
    case VT_I4:
    case VT_INT:
        needsValue();
        out->lVal = static_cast<int32_t>(SignedFromJson(state, v, INT32_MIN, INT32_MAX, false));
        break;
    case VT_ERROR:
        needsValue();
        out->scode = static_cast<int32_t>(SignedFromJson(state, v, INT32_MIN, UINT32_MAX, false));
        break;
    case VT_I8:
        needsValue();
        out->llVal = SignedFromJson(state, v, INT64_MIN, INT64_MAX, false);
        break;
    case VT_UI1:
        needsValue();
        out->bVal = static_cast<uint8_t>(UnsignedFromJson(state, v, UINT8_MAX));
        break;
    case VT_UI2:
        needsValue();
        out->uiVal = static_cast<uint16_t>(UnsignedFromJson(state, v, UINT16_MAX));
        break;
    case VT_UI4:
    case VT_UINT:
        needsValue();
        out->ulVal = static_cast<uint32_t>(UnsignedFromJson(state, v, UINT32_MAX));
        break;
    case VT_UI8:
        needsValue();
        out->ullVal = UnsignedFromJson(state, v, UINT64_MAX);
        break;
    case VT_R4:
        needsValue();
        out->fltVal = static_cast<float>(DoubleFromJson(state, v));
        break;
    case VT_R8:
        needsValue();
        out->dblVal = DoubleFromJson(state, v);
        break;
    case VT_DATE:
        needsValue();
        out->date = DoubleFromJson(state, v);
        break;
    case VT_CY:
        needsValue();
        out->cyVal.int64 = std::llround(DoubleFromJson(state, v) * 10000.0);
        break;
    case VT_BOOL:
        needsValue();
        out->boolVal = static_cast<VARIANT_BOOL>(SignedFromJson(state, v, INT16_MIN, INT16_MAX, true));
        break;
    case VT_BSTR: {
        needsValue();
        if (v.is_null()) {
            out->bstrVal = nullptr;
            break;
        }
        std::u16string text = TextFromJson(state, v);
        out->bstrVal = SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
        if (!out->bstrVal)
            throw std::bad_alloc();
        break;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
        tavi::ComPtr<IUnknown> object = ObjectFromJson(state, v, IUnknown::iid);
        out->punkVal = object.Detach(); // the variant owns the reference; VariantClear releases it
        break;
    }
    default:
        state.Fail("unsupported variant kind");
    }
    out->vt = *kind;
}

Json VariantToJson(Session& session, const VARIANT& v) {
    Json out = {{"vt", KindName(v.vt)}};
    if ((v.vt & VT_ARRAY) && !(v.vt & VT_BYREF)) {
        // Only one-dimensional arrays have a JSON form; others report their kind alone.
        if (!v.parray)
            out["value"] = nullptr;
        else if (v.parray->cDims == 1)
            out["value"] = ArrayToJson(session, *v.parray);
        if (v.parray && v.parray->cDims == 1 && v.parray->rgsabound[0].lLbound != 0)
            out["lbound"] = v.parray->rgsabound[0].lLbound;
        return out;
    }
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_I1:
        out["value"] = v.cVal;
        break;
    case VT_I2:
        out["value"] = v.iVal;
        break;
    case VT_I4:
    case VT_INT:
        out["value"] = v.lVal;
        break;
    case VT_ERROR:
        out["value"] = v.scode;
        break;
    case VT_I8:
        out["value"] = v.llVal;
        break;
    case VT_UI1:
        out["value"] = v.bVal;
        break;
    case VT_UI2:
        out["value"] = v.uiVal;
        break;
    case VT_UI4:
    case VT_UINT:
        out["value"] = v.ulVal;
        break;
    case VT_UI8:
        out["value"] = v.ullVal;
        break;
    case VT_R4:
        out["value"] = DoubleToJson(v.fltVal);
        break;
    case VT_R8:
        out["value"] = DoubleToJson(v.dblVal);
        break;
    case VT_DATE:
        out["value"] = DoubleToJson(v.date);
        break;
    case VT_CY:
        out["value"] = static_cast<double>(v.cyVal.int64) / 10000.0;
        break;
    case VT_BOOL:
        out["value"] = v.boolVal;
        break;
    case VT_BSTR:
        out["value"] = v.bstrVal ? Json(Narrow({v.bstrVal, SysStringLen(v.bstrVal)})) : Json(nullptr);
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        out["value"] = v.punkVal ? session.HandOut(tavi::ComPtr<IUnknown>(v.punkVal)) : Json(nullptr);
        break;
    default:
        break; // kinds without a JSON form report only their kind
    }
    return out;
}

// Adapter types.

std::vector<GUID> Param<std::vector<GUID>>::Prepare(CallState& s) {
    const Json& v = s.NextIn();
    if (!v.is_array())
        s.Fail("expected an array of identifiers");
    std::vector<GUID> guids;
    for (const Json& item : v)
        guids.push_back(GuidFromJson(s, item));
    return guids;
}

CategoryInfos Param<CategoryInfos>::Prepare(CallState& s) {
    const Json& v = s.NextIn();
    if (!v.is_array())
        s.Fail("expected an array of {\"catid\", \"lcid\", \"description\"}");
    CategoryInfos infos;
    for (const Json& item : v) {
        if (!item.is_object() || !item.contains("catid"))
            s.Fail("expected {\"catid\": \"{…}\", \"lcid\": 1033, \"description\": \"…\"}");
        CATEGORYINFO info{};
        info.catid = GuidFromJson(s, item["catid"]);
        info.lcid = static_cast<LCID>(UnsignedFromJson(s, item.value("lcid", Json(0)), UINT32_MAX));
        std::u16string text = TextFromJson(s, item.value("description", Json("")));
        if (text.size() >= std::size(info.szDescription))
            s.Fail("a category description has at most 127 characters");
        std::memcpy(info.szDescription, text.c_str(), (text.size() + 1) * sizeof(char16_t));
        infos.push_back(info);
    }
    return infos;
}

template <> Json OutAdapterParam<std::vector<GUID>>::EmitValue(CallState&, std::vector<GUID>& guids) {
    Json out = Json::array();
    for (const GUID& g : guids)
        out.push_back(GuidToText(g));
    return out;
}

template <> Json OutAdapterParam<HexBytes>::EmitValue(CallState&, HexBytes& bytes) {
    return HexText(bytes.bytes);
}

template <> Json OutAdapterParam<ObjectList>::EmitValue(CallState& s, ObjectList& list) {
    Json out = Json::array();
    for (auto& object : list.objects)
        out.push_back(object ? s.session.HandOut(std::move(object)) : Json(nullptr));
    return out;
}

template <> Json OutAdapterParam<ConnectionList>::EmitValue(CallState& s, ConnectionList& list) {
    Json out = Json::array();
    for (Connection& c : list) {
        Json sink = c.sink ? s.session.HandOut(std::move(c.sink)) : Json(nullptr);
        out.push_back({{"sink", sink}, {"cookie", c.cookie}});
    }
    return out;
}

} // namespace tavigp
