// `tavigp value --domain SPEC`: the domain a SPEC describes.
#include "DomainSpec.h"

#include "Command.h"
#include "bridge/ClassTable.h"
#include "bridge/Marshal.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"
#include "tavi/TypeConverter.h"

#include <charconv>
#include <vector>

namespace tavigp {
namespace {

const char* const kUnknownKind = "use coded:A,B,C, range:MIN,MAX, numeric:LOW,HIGH, fields:TYPES, shapes:TYPES, "
                                 "ext:EXTENSIONS, workspace:TYPES, datasets:TYPES or elements:NAMES";

// The kind and the text after the colon.
std::pair<std::string, std::string> Split(const std::string& spec) {
    const size_t colon = spec.find(':');
    return {spec.substr(0, colon), colon == std::string::npos ? std::string() : spec.substr(colon + 1)};
}

// The comma-separated items of a list; none may be empty.
std::vector<std::string> Items(const std::string& kind, const std::string& list) {
    std::vector<std::string> items;
    for (size_t at = 0;;) {
        size_t comma = list.find(',', at);
        std::string item = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (item.empty())
            throw UsageError("--domain " + kind + ": needs names separated by commas");
        items.push_back(std::move(item));
        if (comma == std::string::npos)
            return items;
        at = comma + 1;
    }
}

// Two numbers "LOW,HIGH" in the C notation (a point as decimal separator).
std::pair<double, double> ParseBounds(const std::string& kind, std::string_view bounds) {
    const size_t comma = bounds.find(',');
    auto number = [&](std::string_view text) {
        double value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            throw UsageError("--domain " + kind + ": needs two numbers, as in " + kind + ":0,100");
        return value;
    };
    if (comma == std::string_view::npos)
        number({});
    return {number(bounds.substr(0, comma)), number(bounds.substr(comma + 1))};
}

tavi::ComPtr<IUnknown> CreateByClass(const CLSID& clsid, const std::string& what) {
    tavi::ComPtr<IUnknown> object;
    HRESULT hr = CreateObject(GuidToText(clsid), &object).value_or(CLASS_E_CLASSNOTAVAILABLE);
    if (FAILED(hr))
        throw std::runtime_error("cannot create the " + what + ": " + HrTextAndName(hr));
    return object;
}

using TextToCode = HRESULT (IGPTypeConverter::*)(const OLECHAR*, int32_t*);

// The codes of the host's type texts; a usage error names the first text that names no code.
std::vector<int32_t> Codes(const std::string& kind, const std::string& list, TextToCode fromText) {
    auto converter = tavi::QueryAs<IGPTypeConverter>(CreateByClass(CLSID_GPTypeConverter, "type converter").Get());
    if (!converter)
        throw std::runtime_error("the type converter lacks its interface");
    std::vector<int32_t> codes;
    for (const std::string& item : Items(kind, list)) {
        int32_t code = 0;
        if (FAILED(((*converter).*fromText)(Widen(item).c_str(), &code)))
            throw UsageError("--domain " + kind + ": unknown type '" + item + "' (docs/type-texts.md lists them)");
        codes.push_back(code);
    }
    return codes;
}

tavi::ComPtr<IGPDomain> AsDomain(const tavi::ComPtr<IUnknown>& object) {
    auto domain = tavi::QueryAs<IGPDomain>(object.Get());
    if (!domain)
        throw std::runtime_error("the domain lacks the domain interface");
    return domain;
}

void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr))
        throw std::runtime_error("cannot set the " + what + ": " + HrTextAndName(hr));
}

tavi::ComPtr<IGPDomain> MakeCodedDomain(const std::string& codes) {
    auto object = CreateByClass(CLSID_GPCodedValueDomain, "coded domain");
    auto coded = tavi::QueryAs<IGPCodedValueDomain>(object.Get());
    tavi::BStr list(Widen(codes));
    Check(coded ? coded->SetCodes(list.Get(), list.Get(), nullptr) : E_NOINTERFACE, "codes");
    return AsDomain(object);
}

tavi::ComPtr<IGPDomain> MakeRangeDomain(double low, double high) {
    auto object = CreateByClass(CLSID_GPRangeDomain, "range domain");
    auto range = tavi::QueryAs<IRangeDomain>(object.Get());
    VARIANT minimum{}, maximum{};
    minimum.vt = maximum.vt = VT_R8;
    minimum.dblVal = low;
    maximum.dblVal = high;
    HRESULT hr = range ? range->put_MinValue(minimum) : E_NOINTERFACE;
    if (SUCCEEDED(hr))
        hr = range->put_MaxValue(maximum);
    Check(hr, "range");
    return AsDomain(object);
}

tavi::ComPtr<IGPDomain> MakeNumericDomain(double low, double high) {
    auto object = CreateByClass(CLSID_GPNumericDomain, "numeric domain");
    auto numeric = tavi::QueryAs<IGPNumericDomain>(object.Get());
    if (!numeric)
        throw std::runtime_error("the numeric domain lacks its interface");
    numeric->put_LowLimit(low);
    numeric->put_Inclusive(VARIANT_TRUE);
    numeric->put_HighLimit(VARIANT_TRUE, high);
    return AsDomain(object);
}

// A domain of class `clsid` whose interface I takes each code (or name) through `add`.
template <class I, class Item>
tavi::ComPtr<IGPDomain> MakeListDomain(const CLSID& clsid, const std::vector<Item>& items, HRESULT (I::*add)(Item)) {
    auto object = CreateByClass(clsid, "domain");
    auto list = tavi::QueryAs<I>(object.Get());
    if (!list)
        throw std::runtime_error("the domain lacks its list interface");
    for (const Item& item : items)
        Check(((*list).*add)(item), "domain's list");
    return AsDomain(object);
}

// A domain whose interface I takes names (extensions, data element type names) as texts.
template <class I>
tavi::ComPtr<IGPDomain> MakeNameDomain(const CLSID& clsid, const std::string& kind, const std::string& list,
                                       HRESULT (I::*add)(const OLECHAR*)) {
    auto object = CreateByClass(clsid, "domain");
    auto names = tavi::QueryAs<I>(object.Get());
    if (!names)
        throw std::runtime_error("the domain lacks its list interface");
    for (const std::string& item : Items(kind, list))
        Check(((*names).*add)(Widen(item).c_str()), "domain's list");
    return AsDomain(object);
}

} // namespace

void CheckDomainSpec(const std::string& spec) {
    MakeDomain(spec);
}

bool IsFieldDomainSpec(const std::string& spec) {
    return Split(spec).first == "fields";
}

tavi::ComPtr<IGPDomain> MakeDomain(const std::string& spec) {
    const auto [kind, rest] = Split(spec);
    if (kind == "coded")
        return MakeCodedDomain(rest);
    if (kind == "range" || kind == "numeric") {
        const auto [low, high] = ParseBounds(kind, rest);
        return kind == "range" ? MakeRangeDomain(low, high) : MakeNumericDomain(low, high);
    }
    if (kind == "fields")
        return MakeListDomain(CLSID_GPFieldDomain, Codes(kind, rest, &IGPTypeConverter::FieldTypeFromText),
                              &IGPFieldDomain::AddType);
    if (kind == "shapes")
        return MakeListDomain(CLSID_GPFeatureClassDomain, Codes(kind, rest, &IGPTypeConverter::GeometryTypeFromText),
                              &IGPFeatureClassDomain::AddShapeType);
    if (kind == "workspace")
        return MakeListDomain(CLSID_GPWorkspaceDomain, Codes(kind, rest, &IGPTypeConverter::WorkspaceTypeFromText),
                              &IGPWorkspaceDomain::AddType);
    if (kind == "datasets")
        return MakeListDomain(CLSID_GPDatasetDomain, Codes(kind, rest, &IGPTypeConverter::DatasetTypeFromText),
                              &IGPDatasetDomain::AddType);
    if (kind == "ext")
        return MakeNameDomain(CLSID_GPFileDomain, kind, rest, &IGPFileDomain::AddFileExtension);
    if (kind == "elements")
        return MakeNameDomain(CLSID_DataElementDomain, kind, rest, &IDataElementDomain::AddType);
    throw UsageError("unknown domain '" + spec + "': " + kUnknownKind);
}

} // namespace tavigp
