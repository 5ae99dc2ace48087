// The words and the splitting of the field mapping text: see FieldMapText.h.
#include "values/FieldMapText.h"

#include "tavi/DataAccess.h"
#include "tavi/GPFieldMapping.h"

#include <array>
#include <charconv>
#include <unordered_map>

namespace tavi::fieldmaptext {

namespace {

// 64-bit FNV-1a over the UTF-16 code units' bytes, low byte first: the keyword tables' hash.
struct KeywordHash {
    size_t operator()(std::u16string_view text) const noexcept {
        uint64_t hash = 14695981039346656037ull;
        for (char16_t c : text)
            for (uint8_t byte : {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)}) {
                hash ^= byte;
                hash *= 1099511628211ull;
            }
        return static_cast<size_t>(hash);
    }
};
using KeywordMap = std::unordered_map<std::u16string_view, int32_t, KeywordHash>;

constexpr std::array<std::u16string_view, kMergeRuleCount> kMergeRuleWords{
    u"None",  u"Min",  u"Max",  u"StdDev", u"Mean",  u"Median",   u"Sum",    u"Join",
    u"First", u"Last", u"Mode", u"Count",  u"Range", u"Variance", u"Unique", u"Concatenate"};

constexpr std::array<std::u16string_view, 17> kFieldTypeWords{
    u"Short",  u"Long", u"Float",    u"Double", u"Text",       u"Date",     u"OID",      u"Geometry",       u"Blob",
    u"Raster", u"Guid", u"GlobalID", u"Xml",    u"BigInteger", u"DateOnly", u"TimeOnly", u"TimestampOffset"};

// Built on first use; a function-local static is made once even when threads ask at the same time.
const KeywordMap& MergeRuleMap() {
    static const KeywordMap map = {{u"min", 1},       {u"max", 2},     {u"stddev", 3},      {u"mean", 4},
                                   {u"median", 5},    {u"sum", 6},     {u"join", 7},        {u"first", 8},
                                   {u"last", 9},      {u"mode", 10},   {u"count", 11},      {u"range", 12},
                                   {u"variance", 13}, {u"unique", 14}, {u"concatenate", 15}};
    return map;
}

const KeywordMap& FieldTypeMap() {
    static const KeywordMap map = {{u"short", taviFieldTypeSmallInteger},
                                   {u"smallinteger", taviFieldTypeSmallInteger},
                                   {u"long", taviFieldTypeInteger},
                                   {u"float", taviFieldTypeSingle},
                                   {u"single", taviFieldTypeSingle},
                                   {u"double", taviFieldTypeDouble},
                                   {u"text", taviFieldTypeString},
                                   {u"string", taviFieldTypeString},
                                   {u"date", taviFieldTypeDate},
                                   {u"oid", taviFieldTypeOID},
                                   {u"objectid", taviFieldTypeOID},
                                   {u"geometry", taviFieldTypeGeometry},
                                   {u"shape", taviFieldTypeGeometry},
                                   {u"blob", taviFieldTypeBlob},
                                   {u"raster", taviFieldTypeRaster},
                                   {u"guid", taviFieldTypeGUID},
                                   {u"globalid", taviFieldTypeGlobalID},
                                   {u"xml", taviFieldTypeXML},
                                   {u"biginteger", taviFieldTypeBigInteger},
                                   {u"dateonly", taviFieldTypeDateOnly},
                                   {u"timeonly", taviFieldTypeTimeOnly},
                                   {u"timestampoffset", taviFieldTypeTimestampOffset}};
    return map;
}

int32_t Lookup(const KeywordMap& map, std::u16string_view keyword, int32_t otherwise) {
    String lower = ToLowerAscii(Trim(keyword));
    auto found = map.find(lower);
    return found == map.end() ? otherwise : found->second;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

} // namespace

std::u16string_view MergeRuleKeyword(int32_t rule) {
    return rule >= 0 && rule < kMergeRuleCount ? kMergeRuleWords[rule] : kMergeRuleWords[0];
}

int32_t MergeRuleOf(std::u16string_view keyword) {
    return Lookup(MergeRuleMap(), keyword, taviGPFieldMapMergeRuleFirst);
}

std::u16string_view FieldTypeKeyword(int32_t type) {
    return type >= 0 && static_cast<size_t>(type) < kFieldTypeWords.size() ? kFieldTypeWords[type]
                                                                           : kFieldTypeWords[taviFieldTypeInteger];
}

int32_t FieldTypeOf(std::u16string_view keyword) {
    return Lookup(FieldTypeMap(), keyword, taviFieldTypeInteger);
}

std::optional<std::vector<std::u16string_view>> Split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == separator)
            ++i;
        if (i == text.size())
            break;
        size_t start = i;
        char16_t quote = 0;
        for (; i < text.size(); ++i) {
            char16_t c = text[i];
            if (c == u'\\' && i + 1 < text.size()) {
                ++i; // the escaped character neither ends the part nor quotes
            } else if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == separator) {
                break;
            }
        }
        if (quote)
            return std::nullopt;
        parts.push_back(text.substr(start, i - start));
    }
    return parts;
}

std::u16string_view Unquoted(std::u16string_view text) {
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

constexpr std::u16string_view kDoubleQuoteWord = u"[double_quote]";

void AppendEncodedAlias(String& text, std::u16string_view alias) {
    for (size_t from = 0;;) {
        size_t quote = alias.find(u'"', from);
        text += alias.substr(from, quote == std::u16string_view::npos ? std::u16string_view::npos : quote - from);
        if (quote == std::u16string_view::npos)
            return;
        text += kDoubleQuoteWord;
        from = quote + 1;
    }
}

String DecodeAlias(std::u16string_view written) {
    String alias;
    alias.reserve(written.size());
    for (size_t i = 0; i < written.size();) {
        if (written.substr(i, kDoubleQuoteWord.size()) == kDoubleQuoteWord) {
            alias += u'"';
            i += kDoubleQuoteWord.size();
        } else {
            alias += written[i++];
        }
    }
    return alias;
}

std::optional<int32_t> ReadInteger(std::u16string_view text) {
    std::string narrow;
    for (char16_t c : Trim(text)) {
        if (c > 0x7F)
            return std::nullopt;
        narrow += static_cast<char>(c);
    }
    if (!narrow.empty() && narrow.front() == '+')
        narrow.erase(0, 1);
    int32_t value = 0;
    auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (narrow.empty() || error != std::errc() || end != narrow.data() + narrow.size())
        return std::nullopt;
    return value;
}

String ComparablePath(std::u16string_view path) {
    String comparable = FoldCase(path);
    for (char16_t& c : comparable)
        if (c == u'/')
            c = u'\\';
    return comparable;
}

} // namespace tavi::fieldmaptext
