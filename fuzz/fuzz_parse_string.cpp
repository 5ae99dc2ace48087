// Arbitrary bytes as UTF-16 text through every reader of the text tokenizer, with several separators, and through
// incremental reading. Must never crash, hang or read out of bounds; the checks below trap when a reader stops
// moving, passes the end of the text, or when a quoted text does not read back as the text.
#include "catalogue/GPParseString.h"
#include "host/TextTokenizer.h"

#include <cstring>
#include <string>

namespace {

using tavi::TextTokenizer;

const char16_t* const kSeparators[] = {u";", u",", u" ", u"|", u""};

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Runs `read` until the end of the text: every call made before the end has to move forward.
template <class Read> void readToEnd(TextTokenizer& tokenizer, Read&& read) {
    while (!tokenizer.AtEnd()) {
        int32_t before = tokenizer.Position();
        read();
        check(tokenizer.Position() > before && tokenizer.Position() <= tokenizer.Length());
    }
    check(read().empty());
}

void everyReader(std::u16string_view text, const char16_t* separator) {
    TextTokenizer tokenizer(text, separator);
    readToEnd(tokenizer, [&] { return tokenizer.NextPlainToken(); });
    tokenizer.Init(text, separator);
    readToEnd(tokenizer, [&] {
        int32_t start = 0, end = 0;
        std::u16string_view token = tokenizer.NextGroupedToken(start, end);
        check(start >= -1 && start <= tokenizer.Length() && end >= -1 && end <= tokenizer.Length());
        return token;
    });
    tokenizer.Init(text, separator);
    readToEnd(tokenizer, [&] { return tokenizer.NextDoubleQuotedToken(); });
    // Mixed readers, the look-ahead and the rest.
    tokenizer.Init(text, separator);
    readToEnd(tokenizer, [&] {
        bool grouped = tokenizer.NextIsGrouped();
        std::u16string_view token = grouped ? tokenizer.NextDoubleQuotedToken() : tokenizer.NextToken();
        tokenizer.Rest();
        return token;
    });
    tokenizer.Init(u"", separator);
    for (char16_t c : text) {
        std::u16string_view token;
        tokenizer.AddCharacter(c, token);
    }
}

// A text that needs quotes reads back from its quoted form as itself (trimmed, as quoted tokens are); one that
// needs none is a token of its own.
void quoteReadsBack(std::u16string_view text) {
    tavi::String quoted = tavi::GeoprocessingUtil::Quote(text);
    TextTokenizer tokenizer(quoted, u" ");
    std::u16string_view token = tokenizer.NextToken();
    TextTokenizer trimmedText(text, u" "); // Init trims
    check(token == std::u16string_view(trimmedText.Text()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    std::u16string text(size / 2, u'\0');
    if (!text.empty())
        std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    for (const char16_t* separator : kSeparators)
        everyReader(text, separator);
    quoteReadsBack(text);

    // The object over the engine, as a C-string caller sees it (up to the first zero).
    auto parser = tavi::MakeObject<tavi::GPParseString>();
    parser->Init(text.c_str(), u";");
    for (int call = 0; call <= static_cast<int>(text.size()); ++call) {
        BSTR token = nullptr;
        parser->NextToken(&token);
        bool empty = SysStringLen(token) == 0;
        SysFreeString(token);
        if (empty)
            break;
    }
    double value = 0;
    parser->ParseDouble(text.c_str(), &value);
    return 0;
}
