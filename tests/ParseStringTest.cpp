// The text tokenizer: the grouped, plain and double-quote readers, positions, look-ahead and the rest, incremental
// reading, the typed readers, quoting, locale numbers, and the GPParseString object's interfaces and arguments.
#include "TestSupport.h"

#include "catalogue/GPParseString.h"
#include "host/CreateInstance.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"

#include <functional>
#include <vector>

namespace tavi::test {
namespace {

using Tokens = std::vector<String>;

// More calls than any row needs: a reader that never reaches the end fails the row instead of hanging.
constexpr int kMaxCalls = 64;

class ParseStringTest : public LeakCheckedTest {
protected:
    ComPtr<IGPParseString2> NewParser(const char16_t* text, const char16_t* separator) {
        auto parser = MakeObject<GPParseString>();
        EXPECT_EQ(parser->Init(text, separator), S_OK);
        return ComPtr<IGPParseString2>(static_cast<IGPParseString2*>(parser.Get()));
    }
};

// The grouped reader's tokens up to its end (start -1), so that an empty token inside the text still counts.
Tokens GroupedTokens(IGPParseString2* parser) {
    auto impl = QueryAs<IGPParseStringImpl>(parser);
    Tokens tokens;
    for (int call = 0; call < kMaxCalls; ++call) {
        int32_t start = 0, end = 0;
        BStr token;
        EXPECT_EQ(impl->NextGroupedToken(&start, &end, token.Out()), S_OK);
        if (start == -1) {
            EXPECT_TRUE(token.empty());
            EXPECT_EQ(end, -1);
            return tokens;
        }
        tokens.push_back(token.str());
    }
    ADD_FAILURE() << "the reader never reached the end";
    return tokens;
}

// Calls `next` until it hands out the empty token.
Tokens TokensUntilEmpty(const std::function<HRESULT(BSTR*)>& next) {
    Tokens tokens;
    for (int call = 0; call < kMaxCalls; ++call) {
        BStr token;
        EXPECT_EQ(next(token.Out()), S_OK);
        if (token.empty())
            return tokens;
        tokens.push_back(token.str());
    }
    ADD_FAILURE() << "the reader never reached the end";
    return tokens;
}

struct TokenCase {
    const char16_t* separator;
    const char16_t* text;
    Tokens tokens;
    const char* reason;
};

const TokenCase kGrouped[] = {
    {u";", u"a; 'b;c'; (d;e)", {u"a", u"b;c", u"d;e"}, "apostrophes and parentheses group the separator"},
    {u" ", u"'it''s' x", {u"it's", u"x"}, "a doubled apostrophe stands for one"},
    {u",", u"'x'y,z", {u"'x'y", u"z"}, "text right after the closing quote: the raw item, quotes included"},
    {u";", u"\"a\"\"b\";c", {u"ab", u"c"}, "a double quote after the closing one opens a new run"},
    {u";", u"(a)x;b", {u"(a)", u"x", u"b"}, "a raw item that starts with a parenthesis ends at its closing one"},
    {u";", u"('a)b');c", {u"('a)b')", u"c"}, "quotes inside a raw parenthesized item hide its parenthesis"},
    {u";", u"'b;c' ;d", {u"'b;c' ", u"d"}, "a blank after the closing quote makes the item raw, read as it is"},
    {u";", u"  a b ;c  ", {u"a b ", u"c"}, "the text is trimmed; a raw token is not"},
    {u";", u"(d;e", {u"d;e"}, "a group the text ends inside"},
    {u";", u"a;'", {u"a", u""}, "a lone quote at the end is an empty token"},
    {u";", u"'  b  ';''", {u"b", u""}, "a quoted token is trimmed; empty quotes are an empty token"},
    {u";", u";;a;;", {u"a"}, "separators before and after"},
    {u"|", u"x|(p|q)|'r|s'", {u"x", u"p|q", u"r|s"}, "another separator"},
    {u"", u"a b  c", {u"a", u"b", u"c"}, "an empty separator text behaves like a blank"},
    {u";", u"", {}, "an empty text"},
};

TEST_F(ParseStringTest, GroupedReader) {
    for (const auto& c : kGrouped) {
        SCOPED_TRACE(c.reason);
        auto parser = NewParser(c.text, c.separator);
        EXPECT_EQ(GroupedTokens(parser.Get()), c.tokens);
        // NextToken is the same reader.
        parser->Init(c.text, c.separator);
        Tokens viaNextToken;
        for (size_t i = 0; i < c.tokens.size(); ++i) {
            BStr token;
            EXPECT_EQ(parser->NextToken(token.Out()), S_OK);
            viaNextToken.push_back(token.str());
        }
        EXPECT_EQ(viaNextToken, c.tokens);
    }
}

TEST_F(ParseStringTest, GroupedReaderPositions) {
    struct Expected {
        const char16_t* token;
        int32_t start, end;
    };
    struct Case {
        const char16_t* separator;
        const char16_t* text;
        std::vector<Expected> tokens;
    };
    const Case cases[] = {
        // A raw token reports its first and last characters; a quoted one its first and the one past its last.
        {u";", u"a; 'b;c'; (d;e)", {{u"a", 0, 0}, {u"b;c", 4, 7}, {u"d;e", 11, 14}}},
        {u",", u"'x'y,z", {{u"'x'y", 0, 3}, {u"z", 5, 5}}},
        {u";", u"'';x", {{u"", 1, 1}, {u"x", 3, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto parser = NewParser(c.text, c.separator);
        auto impl = QueryAs<IGPParseStringImpl>(parser.Get());
        for (const auto& expected : c.tokens) {
            int32_t start = 0, end = 0;
            BStr token;
            ASSERT_EQ(impl->NextGroupedToken(&start, &end, token.Out()), S_OK);
            EXPECT_EQ(token.str(), expected.token);
            EXPECT_EQ(start, expected.start);
            EXPECT_EQ(end, expected.end);
        }
        int32_t start = 0, end = 0;
        BStr token;
        EXPECT_EQ(impl->NextGroupedToken(&start, &end, token.Out()), S_OK);
        EXPECT_EQ(start, -1);
        EXPECT_EQ(end, -1);
    }
}

TEST_F(ParseStringTest, PlainReader) {
    const TokenCase cases[] = {
        {u";", u" a ; 'b;c' ;;d ", {u"a", u"'b", u"c'", u"d"}, "quotes mean nothing; tokens are trimmed"},
        {u"", u"(x y) z", {u"(x", u"y)", u"z"}, "an empty separator text behaves like a blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto parser = NewParser(c.text, c.separator);
        EXPECT_EQ(TokensUntilEmpty([&](BSTR* t) { return parser->NextPlainToken(t); }), c.tokens);
    }
}

TEST_F(ParseStringTest, DoubleQuoteReader) {
    const TokenCase cases[] = {
        {u";", u"\"a\"\"b\";c", {u"ab", u"c"}, "runs are joined, their quotes dropped"},
        {u";", u"\"a\" \"b\";c", {u"a", u"b", u"c"}, "the character after a closed run ends the token"},
        {u",", u"ab\"c,d\"e,f", {u"ab\"c,d\"e", u"f"}, "a raw token: double quotes hide the separator"},
        {u";", u"'x;y'", {u"'x", u"y'"}, "apostrophes do not group here"},
        {u";", u"(a;\"b)\")x;c", {u"(a;\"b)\")", u"x", u"c"}, "a parenthesis runs to its closing one"},
        {u";", u"(abc", {u"(abc"}, "a parenthesis never closed runs to the end"},
        {u";", u"\" \";\"  a  \"", {u" ", u"a"}, "one blank stays; anything else is trimmed"},
        {u";", u"\"abc", {u"abc"}, "an unterminated run ends with the text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto parser = NewParser(c.text, c.separator);
        auto impl = QueryAs<IGPParseStringImpl>(parser.Get());
        EXPECT_EQ(TokensUntilEmpty([&](BSTR* t) { return impl->NextDoubleQuotedToken(t); }), c.tokens);
    }
}

TEST_F(ParseStringTest, LookAheadAndRest) {
    auto parser = NewParser(u"a;  'b' ;c", u";");
    VARIANT_BOOL grouped = VARIANT_TRUE;
    EXPECT_EQ(parser->get_NextIsGrouped(&grouped), S_OK);
    EXPECT_EQ(grouped, VARIANT_FALSE);
    BStr token;
    ASSERT_EQ(parser->NextToken(token.Out()), S_OK);
    EXPECT_EQ(token.str(), u"a");
    // Past the separator and the blanks the apostrophe opens a group; looking does not move.
    EXPECT_EQ(parser->get_NextIsGrouped(&grouped), S_OK);
    EXPECT_EQ(grouped, VARIANT_TRUE);
    BStr rest;
    EXPECT_EQ(parser->get_Rest(rest.Out()), S_OK);
    EXPECT_EQ(rest.str(), u"  'b' ;c"); // from the next non-separator character, untrimmed
    // At the end: nothing is grouped and the rest is empty.
    parser->Init(u"x;;", u";");
    ASSERT_EQ(parser->NextToken(token.Out()), S_OK);
    EXPECT_EQ(parser->get_NextIsGrouped(&grouped), S_OK);
    EXPECT_EQ(grouped, VARIANT_FALSE);
    EXPECT_EQ(parser->get_Rest(rest.Out()), S_OK);
    EXPECT_TRUE(rest.empty());
}

// Feeds a whole line to AddCharacter: the completed tokens, then what was left when the line ended.
Tokens IncrementalTokens(IGPParseString* parser, std::u16string_view line) {
    Tokens tokens;
    BStr token;
    for (char16_t c : line) {
        const char16_t character[] = {c, 0};
        VARIANT_BOOL inQuotes = VARIANT_FALSE, complete = VARIANT_FALSE;
        EXPECT_EQ(parser->AddCharacter(character, &inQuotes, &complete, token.Out()), S_OK);
        if (complete)
            tokens.push_back(token.str());
    }
    if (!token.empty())
        tokens.push_back(token.str());
    return tokens;
}

TEST_F(ParseStringTest, IncrementalReadingMatchesTheGroupedReader) {
    // Lines where both read alike: plain items and items kept raw because text follows their quotes.
    const struct {
        const char16_t* separator;
        const char16_t* line;
    } lines[] = {
        {u";", u"a;bb;ccc"}, {u" ", u"1 2 3"}, {u";", u"x'a;b'y;w"}, {u"|", u"p\"q|r\"s|t"}, {u",", u"'x'y,z"},
    };
    for (const auto& c : lines) {
        SCOPED_TRACE(ToUtf8(c.line));
        auto parser = NewParser(c.line, c.separator);
        Tokens grouped = GroupedTokens(parser.Get());
        auto incremental = NewParser(u"", c.separator);
        EXPECT_EQ(IncrementalTokens(incremental.Get(), c.line), grouped);
    }
}

TEST_F(ParseStringTest, IncrementalReadingKeepsGroupsWhole) {
    const TokenCase cases[] = {
        {u";", u"'b;c';d", {u"'b;c'", u"d"}, "a quoted separator does not end the token"},
        {u";", u"(a;b);c", {u"(a;b)", u"c"}, "nor does one inside parentheses"},
        {u";", u"'it''s;x';y", {u"'it''s;x'", u"y"}, "a doubled apostrophe keeps the quote open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto parser = NewParser(u"", c.separator);
        EXPECT_EQ(IncrementalTokens(parser.Get(), c.text), c.tokens);
    }
    // The flags of each character: a separator before any token completes nothing; quote marks and what they
    // enclose are in quotes; the separator that ends the token is not.
    auto parser = NewParser(u"", u";");
    const struct {
        const char16_t* character;
        VARIANT_BOOL inQuotes, complete;
        const char16_t* token;
    } steps[] = {
        {u";", VARIANT_FALSE, VARIANT_FALSE, u""},   {u"'", VARIANT_TRUE, VARIANT_FALSE, u"'"},
        {u";", VARIANT_TRUE, VARIANT_FALSE, u"';"},  {u"'", VARIANT_TRUE, VARIANT_FALSE, u"';'"},
        {u";", VARIANT_FALSE, VARIANT_TRUE, u"';'"}, {u"z", VARIANT_FALSE, VARIANT_FALSE, u"z"},
    };
    for (const auto& step : steps) {
        VARIANT_BOOL inQuotes = 5, complete = 5;
        BStr token;
        EXPECT_EQ(parser->AddCharacter(step.character, &inQuotes, &complete, token.Out()), S_OK);
        EXPECT_EQ(inQuotes, step.inQuotes);
        EXPECT_EQ(complete, step.complete);
        EXPECT_EQ(token.str(), step.token);
    }
}

TEST_F(ParseStringTest, TypedReaders) {
    auto parser = NewParser(u"TRUE 1 yes 0 false", u" ");
    const VARIANT_BOOL expected[] = {VARIANT_TRUE, VARIANT_TRUE, VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE};
    for (VARIANT_BOOL want : expected) {
        VARIANT_BOOL value = 7;
        EXPECT_EQ(parser->NextBool(&value), S_OK);
        EXPECT_EQ(value, want);
    }
    VARIANT_BOOL value = 7;
    EXPECT_EQ(parser->NextBool(&value), E_FAIL) << "no token left";

    const struct {
        const char16_t* token;
        HRESULT hr;
        int32_t value;
    } longs[] = {
        {u"12.7", S_OK, 12}, // cut toward zero
        {u"-3.9", S_OK, -3}, //
        {u"2147483647", S_OK, INT32_MAX},
        {u"abc", DISP_E_TYPEMISMATCH, 0}, // not a number: 0 and the conversion's code
        {u"1e10", DISP_E_OVERFLOW, 0},    // past 32 bits
    };
    for (const auto& c : longs) {
        SCOPED_TRACE(ToUtf8(c.token));
        parser->Init(c.token, u";");
        int32_t number = 99;
        EXPECT_EQ(parser->NextLong(&number), c.hr);
        EXPECT_EQ(number, c.value);
    }
    int32_t number = 99;
    parser->Init(u"", u";");
    EXPECT_EQ(parser->NextLong(&number), E_FAIL);

    parser->Init(u"1,5 '2.5' x", u" ");
    double real = 0;
    EXPECT_EQ(parser->NextDouble(&real), S_OK);
    EXPECT_EQ(real, 1.5); // a comma reads as the point in a locale whose separator is the point
    EXPECT_EQ(parser->NextDouble(&real), S_OK);
    EXPECT_EQ(real, 2.5);
    real = 42;
    EXPECT_TRUE(FAILED(parser->NextDouble(&real)));
    EXPECT_EQ(real, 42) << "nothing stored on failure";
    EXPECT_EQ(parser->NextDouble(&real), E_FAIL);
}

TEST_F(ParseStringTest, QuotingReadsBack) {
    const struct {
        const char16_t* text;
        bool needsQuote;
        const char16_t* quoted;
    } cases[] = {
        {u"abc", false, u"abc"},
        {u"", true, u"''"},
        {u"a b", true, u"'a b'"},
        {u"a\tb", true, u"'a\tb'"},
        {u"a;b", true, u"'a;b'"},
        {u"a,b", true, u"'a,b'"},
        {u"(x", true, u"'(x'"},
        {u"x)", true, u"'x)'"},
        {u"it's", true, u"\"it's\""},            // an apostrophe: double quotes
        {u"say \"hi\"", true, u"'say \"hi\"'"},  // a double quote: apostrophes
        {u"it's \"x\"", true, u"'it''s \"x\"'"}, // both: apostrophes, the text's own doubled
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto parser = NewParser(u"", u" ");
        VARIANT_BOOL needs = 5;
        EXPECT_EQ(parser->NeedsQuote(c.text, &needs), S_OK);
        EXPECT_EQ(needs, c.needsQuote ? VARIANT_TRUE : VARIANT_FALSE);
        BStr quoted;
        EXPECT_EQ(parser->Quote(c.text, quoted.Out()), S_OK);
        EXPECT_EQ(quoted.str(), c.quoted);
        // The grouped reader gives the text back as one token, whatever the separator.
        for (const char16_t* separator : {u" ", u";", u","}) {
            parser->Init(quoted.c_str(), separator);
            BStr token;
            EXPECT_EQ(parser->NextToken(token.Out()), S_OK);
            EXPECT_EQ(token.str(), c.text);
        }
    }
}

class ParseStringLocaleTest : public ParseStringTest {
protected:
    void TearDown() override {
        locale::SetUserDefaultLocaleForTesting(saved_);
        ParseStringTest::TearDown();
    }
    LCID saved_ = locale::UserDefault();
};

TEST_F(ParseStringLocaleTest, DoublesFollowTheUserLocale) {
    const struct {
        LCID lcid;
        const char16_t* text;
        HRESULT hr;
        double value;
        const char16_t* formatted;
    } cases[] = {
        {1031, u"2.5", S_OK, 2.5, u"2,5"}, // de-DE: the point becomes the locale's comma
        {1031, u"2,5", S_OK, 2.5, u"2,5"}, //
        {1033, u"2,5", S_OK, 2.5, u"2.5"}, // en-US: the comma becomes the point
        {1031, u"-0.125", S_OK, -0.125, u"-0,125"}, {1031, u"2,5x", DISP_E_TYPEMISMATCH, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        locale::SetUserDefaultLocaleForTesting(c.lcid);
        auto parser = NewParser(u"", u" ");
        double value = 42;
        EXPECT_EQ(parser->ParseDouble(c.text, &value), c.hr);
        EXPECT_EQ(value, SUCCEEDED(c.hr) ? c.value : 42);
        if (!c.formatted)
            continue;
        BStr text;
        EXPECT_EQ(parser->FormatDouble(c.value, text.Out()), S_OK);
        EXPECT_EQ(text.str(), c.formatted);
    }
}

TEST_F(ParseStringTest, ObjectAnswersItsInterfacesAndChecksArguments) {
    ClassObjectSource saved = ModuleClassSource();
    SetModuleClassSource(&DllGetClassObject);
    ComPtr<IGPParseString> parser;
    ASSERT_EQ(
        AfCreateInstance(CLSID_GPParseString, nullptr, CLSCTX_INPROC_SERVER, IGPParseString::iid, parser.OutVoid()),
        S_OK);
    SetModuleClassSource(saved);
    auto second = QueryAs<IGPParseString2>(parser.Get());
    ASSERT_TRUE(second);
    EXPECT_EQ(static_cast<IGPParseString*>(second.Get()), parser.Get()) << "IGPParseString is the IGPParseString2";
    auto impl = QueryAs<IGPParseStringImpl>(parser.Get());
    ASSERT_TRUE(impl);
    // Null texts are empty; a new object reads as an empty text.
    BStr token;
    EXPECT_EQ(parser->NextToken(token.Out()), S_OK);
    EXPECT_TRUE(token.empty());
    EXPECT_EQ(parser->Init(nullptr, nullptr), S_OK);

    BSTR* noText = nullptr;
    int32_t position = 0;
    VARIANT_BOOL flag = 0;
    double real = 0;
    const std::function<HRESULT()> nullOuts[] = {
        [&] { return parser->NextToken(noText); },
        [&] { return parser->NextPlainToken(noText); },
        [&] { return parser->get_NextIsGrouped(nullptr); },
        [&] { return parser->AddCharacter(nullptr, &flag, &flag, token.Out()); },
        [&] { return parser->AddCharacter(u"a", nullptr, &flag, token.Out()); },
        [&] { return parser->AddCharacter(u"a", &flag, nullptr, token.Out()); },
        [&] { return parser->AddCharacter(u"a", &flag, &flag, noText); },
        [&] { return second->get_Rest(noText); },
        [&] { return second->NextDouble(nullptr); },
        [&] { return second->NextLong(nullptr); },
        [&] { return second->NextBool(nullptr); },
        [&] { return second->NeedsQuote(u"a", nullptr); },
        [&] { return second->Quote(u"a", noText); },
        [&] { return second->ParseDouble(u"1", nullptr); },
        [&] { return second->FormatDouble(1, noText); },
        [&] { return impl->NextDoubleQuotedToken(noText); },
        [&] { return impl->NextGroupedToken(nullptr, &position, token.Out()); },
        [&] { return impl->NextGroupedToken(&position, nullptr, token.Out()); },
        [&] { return impl->NextGroupedToken(&position, &position, noText); },
    };
    for (size_t i = 0; i < std::size(nullOuts); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nullOuts[i](), E_POINTER);
    }
    EXPECT_EQ(parser->AddCharacter(u"", &flag, &flag, token.Out()), E_INVALIDARG);
    EXPECT_EQ(second->ParseDouble(nullptr, &real), DISP_E_TYPEMISMATCH) << "a null text is the empty text";
}

} // namespace
} // namespace tavi::test
