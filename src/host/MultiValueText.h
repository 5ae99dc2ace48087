// The text form of a list of values, "a;'b c';\"it's\"": writing the members' texts joined by ";" with the quoting
// that keeps each one whole, and reading such a text back into the members' texts. Multi-values and the records of
// value tables use it.
//
// Writing keeps the classic form wherever reading it gives the member back exactly: a member is written bare, or in
// apostrophes, or in double quotes, or (holding both kinds of quote) in double quotes with backslash escapes; an
// empty member is "#"; a text ending in one backslash gets a second. Where the classic form would not come back as
// it was (a text ending in several backslashes, a backslash before a quote, white space other than blanks at its
// ends, a "#" of its own, a first member that would make the list look empty or enclosed in parentheses), the member
// is written in double quotes with every backslash, apostrophe and double quote escaped by a backslash. So reading
// what was written always gives the same members.
//
// Reading takes the classic forms as they always were, with two additions that make the above exact: inside double
// quotes a doubled backslash stands for one, and a bare "#" among the members is an empty member.
#pragma once

#include "host/String.h"

#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tavi::multivaluetext {

// Writes a list's text member by member: every member in order, separated by ";". A member without a value is
// written as an empty one.
class ListWriter {
public:
    // Room for `characters` of text, so that a long list grows its text once.
    void Reserve(size_t characters) { text_.reserve(characters); }
    void Add(std::optional<std::u16string_view> member);
    // The text; the writer is then empty again.
    String Finish();

private:
    String text_;
    size_t count_ = 0;
    std::optional<String> first_; // the first member, kept in case the list must not start with "("
    size_t firstFormLength_ = 0;
};

// Writes a value table's text record by record: records separated by ";", the values of a record by one blank, each
// value in the list's quoting, held to the form that keeps it one value of its record (so a value with a blank is
// quoted). A value without text is "#", or "''" when it is the table's first.
class TableWriter {
public:
    void Reserve(size_t characters) { text_.reserve(characters); }
    void BeginRecord();
    void AddCell(std::optional<std::u16string_view> cell);
    // The text; the writer is then empty again.
    String Finish();

private:
    String text_;
    size_t records_ = 0;
    size_t cells_ = 0;
};

// The list's text of `members` (ListWriter over them).
String Join(std::span<const std::optional<String>> members);

// How a list's text is to be read.
enum class Form {
    kEmpty,            // no members: an empty text or one whose first character is "#"
    kEscapedSeparator, // a backslash before a ";" (not itself escaped): the members are the tokenizer's tokens
    kOrdinary,         // the classic list: see Split (which may still find no members)
};
Form FormOf(std::u16string_view text);

// The members' texts of a list in the ordinary form: blanks trimmed, one enclosing pair of parentheses removed, the
// members split at every ";" outside quotes and not escaped, each member trimmed and unquoted. SplitEach hands each
// member's text to `member` in order and stops when it answers false.
std::vector<String> Split(std::u16string_view text);
void SplitEach(std::u16string_view text, const std::function<bool(const String&)>& member);

// The records of a value table's text, each as its values' texts: records split at every ";" outside quotes and not
// escaped (empty records skipped), values at blanks likewise, each value trimmed and unquoted as a list member is.
// An empty text, or one whose first character is "#", has no records. `record` may take the texts it is handed; it
// answers false to stop.
void SplitRecords(std::u16string_view text, const std::function<bool(std::vector<String>&)>& record);

// One member's text as the list holds it (a token of the tokenizer in the escaped-separator form, or of Split),
// trimmed and unquoted.
String DecodeMember(std::u16string_view token);

// The escaped-separator form's text before it is tokenized: one enclosing pair of double quotes, then one of
// parentheses, removed; nothing (an empty list) when the result is exactly "#".
std::optional<String> EscapedSeparatorBody(std::u16string_view text);

} // namespace tavi::multivaluetext
