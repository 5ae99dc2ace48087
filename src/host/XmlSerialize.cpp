// The XML writer and reader over Boost.PropertyTree, and the document entry points.
#include "host/XmlSerialize.h"

#include "host/CreateInstance.h"
#include "host/XmlNamespace.h"
#include "platform/Guid.h"
#include "platform/HandOut.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/Collections.h"
#include "tavi/Registry.h"
#include "tavi/Stream.h"

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace tavi {

namespace {

using Tree = boost::property_tree::ptree;

constexpr const char* kAttr = "<xmlattr>";
constexpr const char* kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";
constexpr const char* kXsNs = "http://www.w3.org/2001/XMLSchema";

// --- text forms of the scalar kinds ---

std::string_view TrimXmlSpace(std::string_view text) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string DoubleText(double value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<double> ParseDouble(std::string_view text) {
    text = TrimXmlSpace(text);
    if (text == "NaN" || text == "nan")
        return std::nan("");
    if (text == "INF" || text == "inf" || text == "+INF")
        return HUGE_VAL;
    if (text == "-INF" || text == "-inf")
        return -HUGE_VAL;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

template <class T> std::optional<T> ParseInteger(std::string_view text) {
    text = TrimXmlSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    T value{};
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<bool> ParseBoolean(std::string_view text) {
    text = TrimXmlSpace(text);
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return std::nullopt;
}

// Days between 1970-01-01 and the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

const int64_t kDay0 = DaysFromCivil(1899, 12, 30); // day number 0 of DATE
constexpr int64_t kMsPerDay = 86400000;
constexpr double kDateLimit = 1e9; // far beyond any calendar date a document holds

// The ISO form of a day number. Like the platform's dates, the time of day is the fraction's magnitude, also for
// negative day numbers.
std::optional<std::string> DateText(DATE date) {
    if (!std::isfinite(date) || std::fabs(date) > kDateLimit)
        return std::nullopt;
    double whole = std::trunc(date);
    auto days = static_cast<int64_t>(whole);
    int64_t ms = std::llround(std::fabs(date - whole) * kMsPerDay);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += date < 0 ? -1 : 1;
    }
    int64_t y;
    unsigned m, d;
    CivilFromDays(days + kDay0, &y, &m, &d);
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02lld:%02lld:%02lld", static_cast<long long>(y), m,
                          d, static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                          static_cast<long long>(ms / 1000 % 60));
    std::string text(buffer, n);
    if (ms % 1000) {
        std::snprintf(buffer, sizeof buffer, ".%03lld", static_cast<long long>(ms % 1000));
        text += buffer;
    }
    return text;
}

std::optional<DATE> ParseDate(std::string_view text) {
    text = TrimXmlSpace(text);
    long long y = 0;
    unsigned mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    std::string copy(text);
    int consumed = 0;
    if (std::sscanf(copy.c_str(), "%lld-%2u-%2uT%2u:%2u:%2u%n", &y, &mo, &d, &h, &mi, &s, &consumed) < 6)
        return std::nullopt;
    std::string_view rest = std::string_view(copy).substr(consumed);
    if (!rest.empty()) {
        if (rest.size() != 4 || rest[0] != '.')
            return std::nullopt;
        auto fraction = ParseInteger<unsigned>(rest.substr(1));
        if (!fraction)
            return std::nullopt;
        ms = *fraction;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || std::llabs(y) > 3000000)
        return std::nullopt;
    int64_t days = DaysFromCivil(y, mo, d) - kDay0;
    double fraction = static_cast<double>(((h * 60 + mi) * 60 + s) * 1000 + ms) / kMsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

// Currency: a 64-bit count of ten-thousandths, written as an exact decimal.
std::string CurrencyText(int64_t value) {
    bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 10000),
                  static_cast<unsigned long long>(magnitude % 10000));
    return buffer;
}

std::optional<int64_t> ParseCurrency(std::string_view text) {
    text = TrimXmlSpace(text);
    bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+'))
        text.remove_prefix(1);
    size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot), fraction = dot == text.npos ? "" : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 4 || (whole.front() == '-' || whole.front() == '+'))
        return std::nullopt;
    auto units = ParseInteger<uint64_t>(whole);
    std::string padded(fraction);
    padded.resize(4, '0');
    auto parts = ParseInteger<uint64_t>(padded);
    if (!units || !parts || *units > static_cast<uint64_t>(INT64_MAX) / 10000)
        return std::nullopt;
    uint64_t magnitude = *units * 10000 + *parts;
    if (magnitude > static_cast<uint64_t>(INT64_MAX))
        return std::nullopt;
    return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

// The variant kinds whose XML form is one schema type and a text, in one table that the writer and the reader
// share: the schema type written for a kind is the one read back as that kind. VT_INT and VT_UINT are written as
// their 32-bit kinds. Each row writes the variant's field as text, and reads a text into the field at its own width
// (out of range is a failure).
struct ScalarKind {
    VARTYPE vt;
    const char* schemaType; // without the "xs:" prefix
    std::string (*write)(const VARIANT& value);
    bool (*read)(std::string_view text, VARIANT* value);
};

template <class T, T VARIANT::*field> std::string WriteInteger(const VARIANT& value) {
    return std::to_string(value.*field);
}
template <class T, T VARIANT::*field> bool ReadInteger(std::string_view text, VARIANT* value) {
    auto parsed = ParseInteger<T>(text);
    if (parsed)
        value->*field = *parsed;
    return parsed.has_value();
}

constexpr ScalarKind kScalarKinds[] = {
    {VT_I1, "byte", &WriteInteger<int8_t, &VARIANT::cVal>, &ReadInteger<int8_t, &VARIANT::cVal>},
    {VT_UI1, "unsignedByte", &WriteInteger<uint8_t, &VARIANT::bVal>, &ReadInteger<uint8_t, &VARIANT::bVal>},
    {VT_I2, "short", &WriteInteger<int16_t, &VARIANT::iVal>, &ReadInteger<int16_t, &VARIANT::iVal>},
    {VT_UI2, "unsignedShort", &WriteInteger<uint16_t, &VARIANT::uiVal>, &ReadInteger<uint16_t, &VARIANT::uiVal>},
    {VT_I4, "int", &WriteInteger<int32_t, &VARIANT::lVal>, &ReadInteger<int32_t, &VARIANT::lVal>},
    {VT_UI4, "unsignedInt", &WriteInteger<uint32_t, &VARIANT::ulVal>, &ReadInteger<uint32_t, &VARIANT::ulVal>},
    {VT_I8, "long", &WriteInteger<int64_t, &VARIANT::llVal>, &ReadInteger<int64_t, &VARIANT::llVal>},
    {VT_UI8, "unsignedLong", &WriteInteger<uint64_t, &VARIANT::ullVal>, &ReadInteger<uint64_t, &VARIANT::ullVal>},
    {VT_R4, "float", [](const VARIANT& v) { return DoubleText(v.fltVal); },
     [](std::string_view text, VARIANT* v) {
         auto parsed = ParseDouble(text);
         if (parsed)
             v->fltVal = static_cast<float>(*parsed);
         return parsed.has_value();
     }},
    {VT_R8, "double", [](const VARIANT& v) { return DoubleText(v.dblVal); },
     [](std::string_view text, VARIANT* v) {
         auto parsed = ParseDouble(text);
         if (parsed)
             v->dblVal = *parsed;
         return parsed.has_value();
     }},
    {VT_CY, "decimal", [](const VARIANT& v) { return CurrencyText(v.cyVal.int64); },
     [](std::string_view text, VARIANT* v) {
         auto parsed = ParseCurrency(text);
         if (parsed)
             v->cyVal.int64 = *parsed;
         return parsed.has_value();
     }},
    {VT_BOOL, "boolean", [](const VARIANT& v) { return std::string(v.boolVal ? "true" : "false"); },
     [](std::string_view text, VARIANT* v) {
         auto parsed = ParseBoolean(text);
         if (parsed)
             v->boolVal = *parsed ? VARIANT_TRUE : VARIANT_FALSE;
         return parsed.has_value();
     }},
};

const ScalarKind* ScalarKindOf(VARTYPE vt) {
    if (vt == VT_INT)
        vt = VT_I4;
    else if (vt == VT_UINT)
        vt = VT_UI4;
    for (const ScalarKind& kind : kScalarKinds)
        if (kind.vt == vt)
            return &kind;
    return nullptr;
}

const ScalarKind* ScalarKindOf(std::string_view schemaType) {
    for (const ScalarKind& kind : kScalarKinds)
        if (schemaType == kind.schemaType)
            return &kind;
    return nullptr;
}

// Element names: a letter or '_' first, then letters, digits, '_', '-', '.'; characters beyond ASCII count as
// letters.
bool IsElementName(std::u16string_view name) {
    if (name.empty())
        return false;
    auto letter = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
    };
    if (!letter(name.front()))
        return false;
    for (char16_t c : name)
        if (!letter(c) && !(c >= u'0' && c <= u'9') && c != u'-' && c != u'.')
            return false;
    return true;
}

// True when every '&' in `text` starts one of the XML entity references (the five named ones or a character
// reference).
bool EntitiesAreKnown(std::string_view text) {
    for (size_t i = text.find('&'); i != text.npos; i = text.find('&', i + 1)) {
        size_t semicolon = text.find(';', i);
        if (semicolon == text.npos)
            return false;
        std::string_view name = text.substr(i + 1, semicolon - i - 1);
        if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos")
            continue;
        bool hex = name.starts_with("#x");
        std::string_view digits = name.substr(hex ? 2 : 1);
        if (name.empty() || name.front() != '#' || digits.empty())
            return false;
        for (char c : digits)
            if (!(std::isdigit(static_cast<unsigned char>(c)) || (hex && std::isxdigit(static_cast<unsigned char>(c)))))
                return false;
    }
    return true;
}

// A lexical check of the document's structure before it reaches the parser, which is recursive and lenient: one
// root element, start and end tags that match, nesting no deeper than kMaxXmlDepth, known entity references, no
// document type declarations, comments and CDATA sections that end.
bool IsWellFormedEnough(std::string_view text) {
    std::vector<std::string_view> open;
    bool rootSeen = false;
    size_t i = 0;
    auto textIsFine = [&](std::string_view between) {
        if (open.empty())
            return TrimXmlSpace(between).empty();
        return EntitiesAreKnown(between);
    };
    while (i < text.size()) {
        size_t lt = text.find('<', i);
        if (!textIsFine(text.substr(i, lt == text.npos ? text.npos : lt - i)))
            return false;
        if (lt == text.npos)
            break;
        std::string_view rest = text.substr(lt);
        auto skipPast = [&](std::string_view end, bool insideRootOnly) {
            size_t found = text.find(end, lt);
            if (found == text.npos || (insideRootOnly && open.empty()))
                return false;
            i = found + end.size();
            return true;
        };
        if (rest.starts_with("<!--")) {
            if (!skipPast("-->", false))
                return false;
        } else if (rest.starts_with("<![CDATA[")) {
            if (!skipPast("]]>", true))
                return false;
        } else if (rest.starts_with("<?")) {
            if (!skipPast("?>", false))
                return false;
        } else if (rest.starts_with("<!")) {
            return false; // document type declarations are never written and not read
        } else {
            bool closing = rest.starts_with("</");
            size_t nameStart = lt + (closing ? 2 : 1), j = nameStart;
            while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j])) && text[j] != '/' &&
                   text[j] != '>')
                ++j;
            std::string_view name = text.substr(nameStart, j - nameStart);
            if (name.empty())
                return false;
            char quote = 0;
            size_t valueStart = 0;
            for (; j < text.size(); ++j) {
                char c = text[j];
                if (quote) {
                    if (c == quote) {
                        if (!EntitiesAreKnown(text.substr(valueStart, j - valueStart)))
                            return false;
                        quote = 0;
                    }
                } else if (c == '"' || c == '\'') {
                    quote = c;
                    valueStart = j + 1;
                } else if (c == '>') {
                    break;
                }
            }
            if (j >= text.size())
                return false;
            bool selfClosing = text[j - 1] == '/';
            i = j + 1;
            if (closing) {
                if (open.empty() || open.back() != name)
                    return false;
                open.pop_back();
            } else {
                if (open.empty() && rootSeen)
                    return false; // a second root
                rootSeen = true;
                if (!selfClosing) {
                    open.push_back(name);
                    if (static_cast<int>(open.size()) > kMaxXmlDepth)
                        return false;
                }
            }
        }
    }
    return rootSeen && open.empty();
}

// --- object identity for the writer ---

bool ClassIdOf(IUnknown* object, CLSID* clsid) {
    if (auto persist = QueryAs<IPersist>(object);
        persist && SUCCEEDED(persist->GetClassID(clsid)) && !(*clsid == GUID_NULL))
        return true;
    if (auto id = QueryAs<IClassID>(object); id && SUCCEEDED(id->get_ClassID(clsid)) && !(*clsid == GUID_NULL))
        return true;
    return false;
}

std::string GuidUtf8(REFGUID guid) {
    return ToUtf8(GuidText(guid));
}

// The part after the prefix of "prefix:name", and the prefix.
std::pair<std::string, std::string> SplitQualified(const std::string& qualified) {
    size_t colon = qualified.find(':');
    if (colon == qualified.npos)
        return {std::string(), qualified};
    return {qualified.substr(0, colon), qualified.substr(colon + 1)};
}

// --- the writer ---

class XmlWriter final : public Object<XmlWriter, IXMLSerializeData> {
public:
    // `node` is the element of the object being written; `inheritedNamespace` the typens in scope above it.
    XmlWriter(std::shared_ptr<Tree> document, Tree* node, std::u16string inheritedNamespace)
        : document_(std::move(document)), node_(node), inheritedNamespace_(std::move(inheritedNamespace)) {}

    const String& TypeName() const { return typeName_; }
    String EffectiveNamespace() const {
        return typeNamespace_.empty() ? String(XmlNamespaceUtil::GetDocumentNamespace()) : typeNamespace_;
    }

    HRESULT get_TypeName(BSTR* name) override { return HandOut(typeName_, name); }
    HRESULT put_TypeName(const OLECHAR* name) override {
        return guard([&] { typeName_ = name ? name : u""; });
    }
    HRESULT get_TypeNamespaceURI(BSTR* uri) override { return HandOut(EffectiveNamespace(), uri); }
    HRESULT put_TypeNamespaceURI(const OLECHAR* uri) override {
        return guard([&] { typeNamespace_ = uri ? uri : u""; });
    }

    HRESULT AddString(const OLECHAR* name, const OLECHAR* value) override {
        return AddScalar(name, "xs:string", ToUtf8(value ? value : u""));
    }
    HRESULT AddInteger(const OLECHAR* name, int32_t value) override {
        return AddScalar(name, "xs:int", std::to_string(value));
    }
    HRESULT AddDouble(const OLECHAR* name, double value) override {
        return AddScalar(name, "xs:double", DoubleText(value));
    }
    HRESULT AddBoolean(const OLECHAR* name, VARIANT_BOOL value) override {
        return AddScalar(name, "xs:boolean", value ? "true" : "false");
    }
    HRESULT AddDate(const OLECHAR* name, DATE value) override {
        return guard([&] {
            Tree* element = nullptr;
            return WriteDate(name, value, &element);
        });
    }
    HRESULT AddVariant(const OLECHAR* name, const VARIANT* value) override;
    HRESULT AddObject(const OLECHAR* name, IUnknown* object) override {
        return guard([&] {
            Tree* element = nullptr;
            HRESULT hr = NewElement(name, &element);
            return FAILED(hr) ? hr : WriteObject(*element, object, inheritedFor());
        });
    }
    HRESULT AddObjectArray(const OLECHAR* name, IUnknown* array, const OLECHAR* elementTypeName,
                           const OLECHAR* elementNamespace) override;

    HRESULT get_ElementCount(int32_t*) override { return E_FAIL; }
    HRESULT GetElementName(int32_t, BSTR*) override { return E_FAIL; }
    HRESULT Find(const OLECHAR*, int32_t*) override { return E_FAIL; }
    HRESULT GetString(int32_t, BSTR*) override { return E_FAIL; }
    HRESULT GetInteger(int32_t, int32_t*) override { return E_FAIL; }
    HRESULT GetDouble(int32_t, double*) override { return E_FAIL; }
    HRESULT GetBoolean(int32_t, VARIANT_BOOL*) override { return E_FAIL; }
    HRESULT GetDate(int32_t, DATE*) override { return E_FAIL; }
    HRESULT GetVariant(int32_t, VARIANT*) override { return E_FAIL; }
    HRESULT GetObject(int32_t, const OLECHAR*, const OLECHAR*, IUnknown**) override { return E_FAIL; }
    HRESULT GetObjectArray(int32_t, const OLECHAR*, const OLECHAR*, IUnknown*) override { return E_FAIL; }

    // Writes `object` into `element`: its elements, then xsi:type, xmlns:typens and clsid. A null object writes
    // the nil element.
    HRESULT WriteObject(Tree& element, IUnknown* object, const String& inherited);

private:
    // The typens in scope for this object's children: this object's namespace.
    String inheritedFor() const { return EffectiveNamespace(); }

    HRESULT NewElement(const OLECHAR* name, Tree** element) {
        if (!name)
            return E_POINTER;
        if (!IsElementName(name))
            return E_INVALIDARG;
        auto it = node_->push_back(Tree::value_type(ToUtf8(name), Tree()));
        *element = &it->second;
        return S_OK;
    }

    HRESULT AddScalar(const OLECHAR* name, const std::string& type, const std::string& text) {
        return guard([&] {
            Tree* element = nullptr;
            HRESULT hr = NewElement(name, &element);
            if (FAILED(hr))
                return hr;
            element->put_child(kAttr, Tree()).put("xsi:type", type);
            element->put_value(text);
            return S_OK;
        });
    }

    HRESULT WriteDate(const OLECHAR* name, DATE value, Tree** out) {
        auto text = DateText(value);
        if (!text)
            return E_INVALIDARG;
        HRESULT hr = AddScalar(name, "xs:dateTime", *text);
        if (FAILED(hr))
            return hr;
        Tree& element = std::prev(node_->end())->second;
        auto back = ParseDate(*text);
        if (!back || *back != value)
            element.get_child(kAttr).put("days", DoubleText(value));
        *out = &element;
        return S_OK;
    }

    std::shared_ptr<Tree> document_;
    Tree* node_;
    String inheritedNamespace_;
    String typeName_;
    String typeNamespace_;
};

HRESULT XmlWriter::WriteObject(Tree& element, IUnknown* object, const String& inherited) {
    Tree& attributes = element.put_child(kAttr, Tree());
    if (!object) {
        attributes.put("xsi:nil", "true");
        return S_OK;
    }
    auto serialize = QueryAs<IXMLSerialize>(object);
    if (!serialize)
        return E_INVALIDARG;
    auto child = MakeObject<XmlWriter>(document_, &element, inherited);
    HRESULT hr = serialize->Serialize(child.Get());
    if (FAILED(hr))
        return hr;
    String ns = child->EffectiveNamespace();
    String typeName = child->TypeName().empty() ? String(u"Object") : child->TypeName();
    attributes.put("xsi:type", "typens:" + ToUtf8(typeName));
    if (ns != inherited)
        attributes.put("xmlns:typens", ToUtf8(ns));
    CLSID clsid;
    if (ClassIdOf(object, &clsid))
        attributes.put("clsid", GuidUtf8(clsid));
    return S_OK;
}

HRESULT XmlWriter::AddVariant(const OLECHAR* name, const VARIANT* value) {
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (const ScalarKind* kind = ScalarKindOf(value->vt))
            return AddScalar(name, std::string("xs:") + kind->schemaType, kind->write(*value));
        switch (value->vt) {
        case VT_EMPTY:
            return AddScalar(name, "xs:anyType", "");
        case VT_NULL: {
            Tree* element = nullptr;
            HRESULT hr = NewElement(name, &element);
            if (SUCCEEDED(hr))
                element->put_child(kAttr, Tree()).put("xsi:nil", "true");
            return hr;
        }
        case VT_DATE:
            return AddDate(name, value->date);
        case VT_BSTR:
            return AddString(name, value->bstrVal);
        case VT_UNKNOWN:
        case VT_DISPATCH:
            return AddObject(name, value->punkVal);
        default:
            return E_INVALIDARG;
        }
    });
}

HRESULT XmlWriter::AddObjectArray(const OLECHAR* name, IUnknown* array, const OLECHAR* elementTypeName,
                                  const OLECHAR* elementNamespace) {
    if (!array || !elementTypeName)
        return E_POINTER;
    if (!IsElementName(elementTypeName))
        return E_INVALIDARG;
    return guard([&] {
        auto list = QueryAs<IArray>(array);
        if (!list)
            return E_INVALIDARG;
        Tree* element = nullptr;
        HRESULT hr = NewElement(name, &element);
        if (FAILED(hr))
            return hr;
        String ns = elementNamespace ? String(elementNamespace) : String(XmlNamespaceUtil::GetDocumentNamespace());
        String inherited = inheritedFor();
        Tree& attributes = element->put_child(kAttr, Tree());
        attributes.put("xsi:type", "typens:ArrayOf" + ToUtf8(elementTypeName));
        if (ns != inherited)
            attributes.put("xmlns:typens", ToUtf8(ns));
        int32_t count = 0;
        if (FAILED(hr = list->get_Count(&count)))
            return hr;
        std::string itemName = ToUtf8(elementTypeName);
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> item;
            if (FAILED(hr = list->get_Element(i, item.Out())))
                return hr;
            auto it = element->push_back(Tree::value_type(itemName, Tree()));
            if (FAILED(hr = WriteObject(it->second, item.Get(), ns)))
                return hr;
        }
        return S_OK;
    });
}

// --- the reader ---

class XmlReader final : public Object<XmlReader, IXMLSerializeData> {
public:
    // `chain` holds the elements from the root down to the object's own element (last).
    XmlReader(std::shared_ptr<const Tree> document, std::vector<const Tree*> chain)
        : document_(std::move(document)), chain_(std::move(chain)) {
        for (const auto& [key, child] : *chain_.back())
            if (!key.empty() && key.front() != '<')
                elements_.push_back({key, &child});
        ReadType(*chain_.back(), &typeName_, &typeNamespace_);
    }

    HRESULT get_TypeName(BSTR* name) override { return HandOut(typeName_, name); }
    HRESULT put_TypeName(const OLECHAR*) override { return S_OK; } // a reader reports what the document says
    HRESULT get_TypeNamespaceURI(BSTR* uri) override { return HandOut(typeNamespace_, uri); }
    HRESULT put_TypeNamespaceURI(const OLECHAR*) override { return S_OK; }

    HRESULT AddString(const OLECHAR*, const OLECHAR*) override { return E_FAIL; }
    HRESULT AddInteger(const OLECHAR*, int32_t) override { return E_FAIL; }
    HRESULT AddDouble(const OLECHAR*, double) override { return E_FAIL; }
    HRESULT AddBoolean(const OLECHAR*, VARIANT_BOOL) override { return E_FAIL; }
    HRESULT AddDate(const OLECHAR*, DATE) override { return E_FAIL; }
    HRESULT AddVariant(const OLECHAR*, const VARIANT*) override { return E_FAIL; }
    HRESULT AddObject(const OLECHAR*, IUnknown*) override { return E_FAIL; }
    HRESULT AddObjectArray(const OLECHAR*, IUnknown*, const OLECHAR*, const OLECHAR*) override { return E_FAIL; }

    HRESULT get_ElementCount(int32_t* count) override {
        if (!count)
            return E_POINTER;
        *count = static_cast<int32_t>(elements_.size());
        return S_OK;
    }
    HRESULT GetElementName(int32_t index, BSTR* name) override {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        const Tree* element = At(index);
        return element ? HandOut(FromUtf8(elements_[index].first), name) : E_INVALIDARG;
    }
    HRESULT Find(const OLECHAR* name, int32_t* index) override {
        if (!name || !index)
            return E_POINTER;
        return guard([&] {
            *index = -1;
            std::string wanted = ToUtf8(name);
            for (size_t i = 0; i < elements_.size(); ++i)
                if (elements_[i].first == wanted) {
                    *index = static_cast<int32_t>(i);
                    break;
                }
        });
    }
    HRESULT GetString(int32_t index, BSTR* value) override {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        return guard([&] {
            const Tree* element = At(index);
            return element ? HandOut(FromUtf8(element->data()), value) : E_INVALIDARG;
        });
    }
    HRESULT GetInteger(int32_t index, int32_t* value) override {
        return GetParsed(index, value, ParseInteger<int32_t>);
    }
    HRESULT GetDouble(int32_t index, double* value) override { return GetParsed(index, value, ParseDouble); }
    HRESULT GetBoolean(int32_t index, VARIANT_BOOL* value) override {
        if (!value)
            return E_POINTER;
        bool flag = false;
        HRESULT hr = GetParsed(index, &flag, ParseBoolean);
        *value = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return hr;
    }
    HRESULT GetDate(int32_t index, DATE* value) override {
        if (!value)
            return E_POINTER;
        *value = 0;
        return guard([&] {
            const Tree* element = At(index);
            if (!element)
                return E_INVALIDARG;
            if (auto days = element->get_optional<std::string>("<xmlattr>.days")) {
                auto exact = ParseDouble(*days);
                if (!exact)
                    return E_FAIL;
                *value = *exact;
                return S_OK;
            }
            auto date = ParseDate(element->data());
            if (!date)
                return E_FAIL;
            *value = *date;
            return S_OK;
        });
    }
    HRESULT GetVariant(int32_t index, VARIANT* value) override;
    HRESULT GetObject(int32_t index, const OLECHAR*, const OLECHAR*, IUnknown** object) override {
        if (HRESULT hr = ClearOut(object); FAILED(hr))
            return hr;
        return guard([&] {
            const Tree* element = At(index);
            return element ? ReadObject(*element, object) : E_INVALIDARG;
        });
    }
    HRESULT GetObjectArray(int32_t index, const OLECHAR*, const OLECHAR*, IUnknown* array) override;

private:
    const Tree* At(int32_t index) const {
        return index >= 0 && static_cast<size_t>(index) < elements_.size() ? elements_[index].second : nullptr;
    }

    template <class T, class Parse> HRESULT GetParsed(int32_t index, T* value, Parse parse) {
        if (!value)
            return E_POINTER;
        *value = T{};
        return guard([&] {
            const Tree* element = At(index);
            if (!element)
                return E_INVALIDARG;
            auto parsed = parse(element->data());
            if (!parsed)
                return E_FAIL;
            *value = *parsed;
            return S_OK;
        });
    }

    static std::string Attribute(const Tree& element, const char* name) {
        auto attributes = element.get_child_optional(kAttr);
        if (!attributes)
            return std::string();
        auto found = attributes->get_child_optional(boost::property_tree::ptree::path_type(name, '\0'));
        return found ? found->data() : std::string();
    }

    // The namespace bound to `prefix` at `element` (a child of the chain's last element, or that element itself).
    std::string NamespaceOf(const Tree& element, const std::string& prefix) const {
        std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
        std::string found = Attribute(element, attribute.c_str());
        for (auto it = chain_.rbegin(); found.empty() && it != chain_.rend(); ++it)
            found = Attribute(**it, attribute.c_str());
        return found;
    }

    void ReadType(const Tree& element, String* typeName, String* typeNamespace) const {
        std::string type = Attribute(element, "xsi:type");
        if (type.empty()) {
            typeName->clear();
            typeNamespace->clear();
            return;
        }
        auto [prefix, local] = SplitQualified(type);
        *typeName = FromUtf8(local);
        *typeNamespace = FromUtf8(NamespaceOf(element, prefix));
    }

    static bool IsNil(const Tree& element) { return ParseBoolean(Attribute(element, "xsi:nil")).value_or(false); }

    HRESULT ReadObject(const Tree& element, IUnknown** object) {
        if (IsNil(element))
            return S_FALSE;
        CLSID clsid = GUID_NULL;
        std::string clsidText = Attribute(element, "clsid");
        String typeName, typeNamespace;
        ReadType(element, &typeName, &typeNamespace);
        if (clsidText.empty() ? !ClassIdForTypeName(typeName, &clsid)
                              : FAILED(CLSIDFromString(FromUtf8(clsidText).c_str(), &clsid)))
            return E_FAIL;
        ComPtr<IXMLSerialize> made;
        if (FAILED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IXMLSerialize::iid, made.OutVoid())) || !made)
            return E_FAIL;
        std::vector<const Tree*> chain = chain_;
        chain.push_back(&element);
        auto reader = MakeObject<XmlReader>(document_, std::move(chain));
        if (FAILED(made->Deserialize(reader.Get())))
            return E_FAIL;
        *object = static_cast<IUnknown*>(made.Detach());
        return S_OK;
    }

    std::shared_ptr<const Tree> document_;
    std::vector<const Tree*> chain_;
    std::vector<std::pair<std::string, const Tree*>> elements_;
    String typeName_;
    String typeNamespace_;
};

HRESULT XmlReader::GetVariant(int32_t index, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return guard([&]() -> HRESULT {
        const Tree* element = At(index);
        if (!element)
            return E_INVALIDARG;
        if (IsNil(*element)) {
            value->vt = VT_NULL;
            return S_OK;
        }
        auto [prefix, type] = SplitQualified(Attribute(*element, "xsi:type"));
        const std::string& text = element->data();
        if (type == "anyType")
            return S_OK;
        if (const ScalarKind* kind = ScalarKindOf(type)) {
            if (!kind->read(text, value))
                return E_FAIL;
            value->vt = kind->vt;
            return S_OK;
        }
        if (type == "dateTime") {
            DATE date = 0;
            HRESULT hr = GetDate(index, &date);
            if (SUCCEEDED(hr)) {
                value->vt = VT_DATE;
                value->date = date;
            }
            return hr;
        }
        if (prefix == "typens" || !Attribute(*element, "clsid").empty()) {
            IUnknown* object = nullptr;
            HRESULT hr = ReadObject(*element, &object);
            if (FAILED(hr))
                return hr;
            value->vt = object ? VT_UNKNOWN : VT_EMPTY;
            value->punkVal = object;
            return S_OK;
        }
        // xs:string, or no type: the text.
        BSTR copy = MakeBSTR(FromUtf8(text));
        if (!copy)
            return E_OUTOFMEMORY;
        value->vt = VT_BSTR;
        value->bstrVal = copy;
        return S_OK;
    });
}

HRESULT XmlReader::GetObjectArray(int32_t index, const OLECHAR*, const OLECHAR*, IUnknown* array) {
    if (!array)
        return E_POINTER;
    return guard([&] {
        const Tree* element = At(index);
        if (!element)
            return E_INVALIDARG;
        auto list = QueryAs<IArray>(array);
        if (!list)
            return E_INVALIDARG;
        std::vector<const Tree*> chain = chain_;
        chain.push_back(element);
        auto inner = MakeObject<XmlReader>(document_, std::move(chain));
        for (const auto& [key, child] : *element) {
            if (key.empty() || key.front() == '<')
                continue;
            ComPtr<IUnknown> item;
            HRESULT hr = inner->ReadObject(child, item.Out());
            if (FAILED(hr))
                return hr;
            if (FAILED(hr = list->Add(item.Get())))
                return hr;
        }
        return S_OK;
    });
}

const Tree* RootElement(const Tree& document, std::string* name) {
    for (const auto& [key, child] : document)
        if (!key.empty() && key.front() != '<') {
            *name = key;
            return &child;
        }
    return nullptr;
}

} // namespace

bool ClassIdForTypeName(std::u16string_view typeName, CLSID* clsid) {
    if (typeName.empty())
        return false;
    size_t count = 0;
    const HostClassRow* rows = HostClassTable(&count);
    for (size_t i = 0; i < count; ++i)
        if (rows[i].name && typeName == rows[i].name) {
            *clsid = rows[i].clsid;
            return true;
        }
    String progId = u"taviGeoprocessing." + String(typeName);
    return SUCCEEDED(CLSIDFromProgID(progId.c_str(), clsid));
}

HRESULT XmlSerializeObject(IUnknown* object, const char16_t* documentNamespace, String* xml) {
    if (!object || !xml)
        return E_POINTER;
    return guard([&] {
        String ns = documentNamespace ? String(documentNamespace) : String(XmlNamespaceUtil::GetDocumentNamespace());
        DocumentNamespaceScope scope(ns.c_str());
        // The writers share the tree they write into; one that an object keeps beyond its Serialize call still
        // points into a live tree. The document written out is a copy under the root's final name.
        auto body = std::make_shared<Tree>();
        auto writer = MakeObject<XmlWriter>(body, body.get(), String());
        HRESULT hr = writer->WriteObject(*body, object, String());
        if (FAILED(hr))
            return hr;
        std::string rootName = "Object";
        if (auto type = body->get_optional<std::string>("<xmlattr>.xsi:type")) {
            std::string local = SplitQualified(*type).second;
            if (IsElementName(FromUtf8(local)))
                rootName = local;
        }
        Tree& attributes = body->get_child(kAttr);
        attributes.put("xmlns:xsi", kXsiNs);
        attributes.put("xmlns:xs", kXsNs);
        Tree document;
        document.push_back(Tree::value_type(rootName, *body));
        std::ostringstream out;
        boost::property_tree::write_xml(out, document,
                                        boost::property_tree::xml_writer_make_settings<std::string>(' ', 2));
        *xml = FromUtf8(out.str());
        return S_OK;
    });
}

HRESULT XmlDeserializeObject(std::u16string_view xml, IUnknown* object) {
    if (!object)
        return E_POINTER;
    return guard([&] {
        auto serialize = QueryAs<IXMLSerialize>(object);
        if (!serialize)
            return E_INVALIDARG;
        if (!xml.empty() && xml.front() == u'\uFEFF')
            xml.remove_prefix(1); // a byte order mark from a file says nothing about the content
        std::string text = ToUtf8(xml);
        if (!IsWellFormedEnough(text))
            return E_FAIL;
        auto document = std::make_shared<Tree>();
        try {
            std::istringstream in(text);
            boost::property_tree::read_xml(in, *document);
        } catch (const boost::property_tree::ptree_error&) {
            return E_FAIL;
        }
        std::string rootName;
        const Tree* root = RootElement(*document, &rootName);
        if (!root)
            return E_FAIL;
        auto reader = MakeObject<XmlReader>(std::shared_ptr<const Tree>(document), std::vector<const Tree*>{root});
        BStr ns;
        reader->get_TypeNamespaceURI(ns.Out());
        DocumentNamespaceScope scope(ns.empty() ? XmlNamespaceUtil::GetDocumentNamespace() : ns.c_str());
        return serialize->Deserialize(reader.Get());
    });
}

} // namespace tavi

extern "C" TAVI_API HRESULT TaviXmlSerialize(IUnknown* object, const OLECHAR* documentNamespace, BSTR* xml) {
    if (!xml)
        return E_POINTER;
    *xml = nullptr;
    return tavi::guard([&] {
        tavi::String text;
        HRESULT hr = tavi::XmlSerializeObject(object, documentNamespace, &text);
        if (FAILED(hr))
            return hr;
        *xml = tavi::MakeBSTR(text);
        return *xml ? S_OK : E_OUTOFMEMORY;
    });
}

extern "C" TAVI_API HRESULT TaviXmlDeserialize(const OLECHAR* xml, IUnknown* object) {
    if (!xml)
        return E_POINTER;
    return tavi::XmlDeserializeObject(xml, object);
}
