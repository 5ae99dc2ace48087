// The list grammar of multi-values: the classic forms written and read as they always were, and every list of member
// texts read back exactly from what is written.
#include "TestSupport.h"

#include "host/MultiValueText.h"

#include <random>

namespace tavi::test {
namespace {

using multivaluetext::DecodeMember;
using multivaluetext::Form;
using multivaluetext::FormOf;
using multivaluetext::Join;
using multivaluetext::Split;

String JoinTexts(std::vector<std::optional<String>> members) {
    return Join(members);
}

TEST(MultiValueText, WritesTheClassicForms) {
    struct Case {
        std::vector<std::optional<String>> members;
        std::u16string_view text;
    };
    const Case cases[] = {
        {{u"a b", u"it's", u"x"}, u"'a b';\"it's\";x"},
        {{u"", u"C:\\temp\\"}, u"'';C:\\temp\\\\"},     // a first empty member cannot be "#": the list would be empty
        {{u"x", u"", std::nullopt}, u"x;#;#"},          // later empty members and members without value are "#"
        {{u"'a'"}, u"\"'a'\""},                         // a text in apostrophes goes in double quotes
        {{u"\"a\""}, u"'\"a\"'"},                       // and the other way round
        {{u"'"}, u"\"'\""},                             // a lone quote counts as a text in quotes
        {{u"say \"it's\""}, u"\"say \\\"it\\'s\\\"\""}, // both kinds of quote: escaped in double quotes
        {{u"a;b"}, u"'a;b'"},
        {{u"\\"}, u"\\\\"}, // one trailing backslash is doubled
        {{}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(JoinTexts(c.members), c.text);
    }
}

TEST(MultiValueText, WritesTheEscapedFormWhereTheClassicOneWouldNotReadBack) {
    struct Case {
        std::optional<String> member;
        std::u16string_view text;
    };
    const Case cases[] = {
        {u"a\\\\", u"\"a\\\\\\\\\""},     // two trailing backslashes would come back as one
        {u"x\\'y z", u"\"x\\\\\\'y z\""}, // a backslash before a quote
        {u"\ttab", u"\"\ttab\""},         // white space that trimming takes
        {u"#", u"\"#\""},                 // a "#" of its own is an empty member
        {u"#tag", u"\"#tag\""},           // as a first member it would empty the list
        {u"a\\;b", u"\"a\\\\;b\""},       // a backslash before ";" would switch to the escaped-separator form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(JoinTexts({c.member}), c.text);
    }
    EXPECT_EQ(JoinTexts({u"(a", u"b)"}), u"\"(a\";b)"); // not a list in parentheses
    EXPECT_EQ(JoinTexts({u"x", u"#tag"}), u"x;#tag");   // "#" leads only the whole list
}

TEST(MultiValueText, ReadsTheClassicForms) {
    struct Case {
        std::u16string_view text;
        std::vector<String> members;
    };
    const Case cases[] = {
        {u"a;;b;", {u"a", u"b"}},
        {u"(a;b)", {u"a", u"b"}},
        {u"  'x;y'  ", {u"x;y"}},
        {u"\"it's\";'a b'", {u"it's", u"a b"}},
        {u"\"say \\\"it\\'s\\\"\"", {u"say \"it's\""}},
        {u"C:\\temp\\\\;x", {u"C:\\temp\\", u"x"}},
        {u"a\\;b", {u"a\\;b"}}, // split as ordinary here; the value reads this form with the tokenizer
        {u"x;#;y", {u"x", u"", u"y"}},
        {u"()", {}},
        {u"(#)", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(Split(c.text), c.members);
    }
    EXPECT_EQ(FormOf(u"#;a"), Form::kEmpty);
    EXPECT_EQ(FormOf(u""), Form::kEmpty);
    EXPECT_EQ(FormOf(u"a\\;b"), Form::kEscapedSeparator);
    EXPECT_EQ(FormOf(u"a\\\\;b"), Form::kOrdinary); // the backslash before ";" is itself escaped
    EXPECT_EQ(DecodeMember(u" 'a b' "), u"a b");
}

TEST(MultiValueText, EveryListReadsBackExactly) {
    // Member texts of any characters, the grammar's own above all: quotes, backslashes, separators, blanks and other
    // white space, "#", parentheses, empty texts, letters beyond ASCII.
    const std::u16string_view alphabet = u"ab ;'\"\\#()\t\u00e9\u5317,.";
    std::mt19937_64 random(13);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::optional<String>> members(1 + pick(5));
        for (auto& member : members) {
            member.emplace();
            size_t length = pick(4) == 0 ? 0 : 1 + pick(8);
            for (size_t i = 0; i < length; ++i)
                member->push_back(alphabet[pick(alphabet.size())]);
        }
        String text = Join(members);
        SCOPED_TRACE(ToUtf8(text));
        ASSERT_EQ(FormOf(text), Form::kOrdinary);
        std::vector<String> expected;
        for (const auto& member : members)
            expected.push_back(*member);
        ASSERT_EQ(Split(text), expected);
    }
}

using Table = std::vector<std::vector<String>>;

String WriteTable(const Table& records) {
    multivaluetext::TableWriter writer;
    for (const auto& record : records) {
        writer.BeginRecord();
        for (const auto& cell : record)
            writer.AddCell(cell);
    }
    return writer.Finish();
}

Table ReadTable(std::u16string_view text) {
    Table records;
    multivaluetext::SplitRecords(text, [&](std::vector<String>& cells) {
        records.push_back(cells);
        return true;
    });
    return records;
}

TEST(MultiValueText, TableRecordsAndTheirValues) {
    struct Case {
        Table records;
        std::u16string_view text;
    };
    const Case cases[] = {
        {{{u"in.shp", u"1"}, {u"my data.shp", u"2"}}, u"in.shp 1;'my data.shp' 2"},
        {{{u"", u"x"}, {u"", u""}}, u"'' x;# #"}, // the table's first value cannot be "#": the table would be empty
        {{{u"a;b", u"it's"}}, u"'a;b' \"it's\""},
        {{{u"#x", u"y"}, {u"#x", u"\\"}}, u"\"#x\" y;#x \\\\"},
        {{}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(WriteTable(c.records), c.text);
        EXPECT_EQ(ReadTable(c.text), c.records);
    }
    // Reading: runs of blanks and empty records are skipped; "#" first, or nothing, is an empty table.
    EXPECT_EQ(ReadTable(u"  a   b ;; c  "), (Table{{u"a", u"b"}, {u"c"}}));
    EXPECT_EQ(ReadTable(u"# a b"), Table{});
    EXPECT_EQ(ReadTable(u"   "), Table{});
}

TEST(MultiValueText, EveryTableReadsBackExactly) {
    const std::u16string_view alphabet = u"ab ;'\"\\#()\t\u00e9,";
    std::mt19937_64 random(17);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (int round = 0; round < 20000; ++round) {
        Table records(1 + pick(3));
        const size_t columns = 1 + pick(3);
        for (auto& record : records) {
            record.resize(columns);
            for (auto& cell : record) {
                size_t length = pick(4) == 0 ? 0 : 1 + pick(6);
                for (size_t i = 0; i < length; ++i)
                    cell.push_back(alphabet[pick(alphabet.size())]);
            }
        }
        String text = WriteTable(records);
        SCOPED_TRACE(ToUtf8(text));
        ASSERT_EQ(ReadTable(text), records);
    }
}

} // namespace
} // namespace tavi::test
