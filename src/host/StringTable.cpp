// The built-in English string table, message texts, and the parser of localized tables.
#include "host/StringTable.h"

#include "platform/Utf.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <iterator>
#include <unordered_map>

namespace tavi {

namespace {

struct Row {
    int32_t id;
    const char16_t* text;
};

#include "host/StringTableData.inc"

constexpr Row kResources[] = {TAVI_RESOURCE_STRINGS};
constexpr Row kMessages[] = {TAVI_MESSAGE_TEXTS};

constexpr bool SortedById(const Row* rows, size_t count) {
    for (size_t i = 1; i < count; ++i)
        if (rows[i - 1].id >= rows[i].id)
            return false;
    return true;
}
static_assert(SortedById(kResources, std::size(kResources)), "resource rows must be sorted and unique");
static_assert(SortedById(kMessages, std::size(kMessages)), "message rows must be sorted and unique");

template <size_t N> const char16_t* FindRow(const Row (&rows)[N], int32_t id) {
    auto found = std::lower_bound(std::begin(rows), std::end(rows), id,
                                  [](const Row& row, int32_t wanted) { return row.id < wanted; });
    return (found != std::end(rows) && found->id == id) ? found->text : nullptr;
}

std::atomic<const LocalizedStrings*> activeTable{nullptr};

} // namespace

class LocalizedStrings {
public:
    std::unordered_map<int32_t, std::u16string> resources;
    std::unordered_map<int32_t, std::u16string> messages;
};

namespace {

// "\n", "\t", "\\" in a table's text; any other backslash stays as it is.
std::string Unescape(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                result += next == 'n' ? '\n' : (next == 't' ? '\t' : '\\');
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

void ParseLine(std::string_view line, LocalizedStrings* table) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0 || line[0] == '#')
        return;
    std::string_view key = line.substr(0, tab);
    bool message = key[0] == 'M';
    if (message)
        key.remove_prefix(1);
    int32_t number = 0;
    auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (ec != std::errc() || end != key.data() + key.size() || key.empty())
        return;
    std::u16string text = FromUtf8(Unescape(line.substr(tab + 1)));
    (message ? table->messages : table->resources)[number] = std::move(text);
}

} // namespace

LocalizedStrings* ParseLocalizedStrings(std::string_view content) {
    auto* table = new LocalizedStrings();
    // A byte order mark at the start is not part of the first line.
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3);
    while (!content.empty()) {
        size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        ParseLine(line, table);
        if (end == std::string_view::npos)
            break;
        content.remove_prefix(end + 1);
    }
    return table;
}

const std::u16string* FindLocalizedString(const LocalizedStrings* table, int32_t id) {
    if (!table)
        return nullptr;
    auto found = table->resources.find(id);
    return found == table->resources.end() ? nullptr : &found->second;
}

const std::u16string* FindLocalizedMessage(const LocalizedStrings* table, int32_t code) {
    if (!table)
        return nullptr;
    auto found = table->messages.find(code);
    return found == table->messages.end() ? nullptr : &found->second;
}

void FreeLocalizedStrings(LocalizedStrings* table) {
    const LocalizedStrings* expected = table;
    activeTable.compare_exchange_strong(expected, nullptr);
    delete table;
}

void SetActiveLocalizedStrings(const LocalizedStrings* table) {
    activeTable = table;
}

std::u16string LoadEnglishResourceString(int32_t id) {
    const char16_t* text = FindRow(kResources, id);
    return text ? std::u16string(text) : std::u16string();
}

std::u16string LoadResourceString(int32_t id) {
    if (const std::u16string* localized = FindLocalizedString(activeTable.load(), id))
        return *localized;
    return LoadEnglishResourceString(id);
}

std::u16string MessageText(int32_t code) {
    if (const std::u16string* localized = FindLocalizedMessage(activeTable.load(), code))
        return *localized;
    const char16_t* text = FindRow(kMessages, code);
    return text ? std::u16string(text) : std::u16string();
}

} // namespace tavi
