// The text form of a list of values.
#include "host/MultiValueText.h"

#include "host/TextTokenizer.h"

#include <array>

namespace tavi::multivaluetext {

namespace {

constexpr char16_t kSeparator = u';';
constexpr char16_t kCellSeparator = u' ';
constexpr char16_t kApostrophe = u'\'';
constexpr char16_t kQuote = u'"';
constexpr char16_t kBackslash = u'\\';
constexpr std::u16string_view kEmptyMember = u"#";

bool IsQuote(char16_t c) {
    return c == kApostrophe || c == kQuote;
}

bool EnclosedIn(std::u16string_view text, char16_t mark) {
    return text.size() >= 2 && text.front() == mark && text.back() == mark;
}

// Where the token that starts at `from` ends: at the first `stop` or `alsoStop` outside quotes, or at the end. A
// backslash escapes the character after it wherever it stands; a double quote toggles double-quote mode unless
// apostrophe mode is on, and the other way round.
size_t TokenEnd(std::u16string_view text, size_t from, char16_t stop = kSeparator, char16_t alsoStop = kSeparator) {
    bool inQuotes = false;
    bool inApostrophes = false;
    size_t at = from;
    while (at < text.size()) {
        char16_t c = text[at];
        if (c == kBackslash) {
            at += 2;
            continue;
        }
        if (c == kQuote && !inApostrophes)
            inQuotes = !inQuotes;
        else if (c == kApostrophe && !inQuotes)
            inApostrophes = !inApostrophes;
        else if ((c == stop || c == alsoStop) && !inQuotes && !inApostrophes)
            break;
        ++at;
    }
    return std::min(at, text.size());
}

// A backslash before every apostrophe and double quote that no backslash escapes yet.
String EscapeQuotes(std::u16string_view text) {
    String out;
    out.reserve(text.size() + 8);
    bool escaped = false;
    for (char16_t c : text) {
        if (!escaped && IsQuote(c))
            out.push_back(kBackslash);
        out.push_back(c);
        escaped = !escaped && c == kBackslash;
    }
    return out;
}

String Enclose(std::u16string_view text, char16_t mark) {
    String out;
    out.reserve(text.size() + 2);
    out.push_back(mark);
    out.append(text);
    out.push_back(mark);
    return out;
}

// The classic form of a non-empty member text.
String ClassicForm(std::u16string_view member) {
    String text(member);
    bool oneTrailingBackslash =
        !text.empty() && text.back() == kBackslash && (text.size() == 1 || text[text.size() - 2] != kBackslash);
    if (oneTrailingBackslash)
        text.push_back(kBackslash);
    if (!text.empty() && IsQuote(text.front()) && text.back() == text.front()) {
        // Already in quotes: the other kind of quote around it, unless quotes stand inside too.
        std::u16string_view inside = text.size() >= 2 ? std::u16string_view(text).substr(1, text.size() - 2) : u"";
        if (inside.find_first_of(u"'\"") == std::u16string_view::npos)
            return Enclose(text, text.front() == kApostrophe ? kQuote : kApostrophe);
        return Enclose(EscapeQuotes(text), kQuote);
    }
    bool apostrophe = text.find(kApostrophe) != String::npos;
    bool quote = text.find(kQuote) != String::npos;
    if (apostrophe && quote)
        return Enclose(EscapeQuotes(text), kQuote);
    if (apostrophe)
        return Enclose(text, kQuote);
    if (quote || text.find_first_of(u" ;") != String::npos)
        return Enclose(text, kApostrophe);
    return text;
}

// The form that always reads back exactly: double quotes, with every backslash and quote escaped.
String EscapedForm(std::u16string_view member) {
    String out;
    out.reserve(member.size() + 8);
    out.push_back(kQuote);
    for (char16_t c : member) {
        if (c == kBackslash || IsQuote(c))
            out.push_back(kBackslash);
        out.push_back(c);
    }
    out.push_back(kQuote);
    return out;
}

// Whether `form` stands for `member` in a list (or, with `cellStop` a blank, in a record of a table): one whole
// token, with no escaped separator, that reads back as it.
bool ReadsBackAs(const String& form, std::u16string_view member, bool first, char16_t cellStop = kSeparator) {
    if (form.find(u"\\;") != String::npos || (first && form.front() == u'#'))
        return false;
    String followed = form;
    followed.push_back(cellStop);
    followed.push_back(u'x');
    return TokenEnd(followed, 0, kSeparator, cellStop) == form.size() && DecodeMember(form) == member;
}

// Whether a character keeps a text from standing for itself in a list: white space (and any control character), the
// separator, a quote, a backslash. A table answers the ASCII ones, since a list asks it of every character.
constexpr auto kSpecialAscii = [] {
    std::array<bool, 128> special{};
    for (char16_t c = 0; c <= u' '; ++c)
        special[c] = true;
    for (char16_t c : {kSeparator, kApostrophe, kQuote, kBackslash})
        special[c] = true;
    return special;
}();

bool IsSpecial(char16_t c) {
    return c < 0x80 ? kSpecialAscii[c] : IsWhiteSpace(c);
}

// Appends `text` to `out` when it stands for itself in a list: no character the grammar reads specially, no white
// space, and not "#" (nor starting with "#" as the first member). Most members are such texts; they skip the classic
// form's checks, and each character is checked as it is copied. False, with `out` as it was, for any other text.
bool AppendBare(String& out, std::u16string_view text, bool first) {
    if (text.empty() || text == kEmptyMember || (first && text.front() == u'#'))
        return false;
    const size_t start = out.size();
    out.resize(start + text.size());
    char16_t* to = out.data() + start;
    for (char16_t c : text) {
        if (IsSpecial(c)) {
            out.resize(start);
            return false;
        }
        *to++ = c;
    }
    return true;
}

String MemberForm(std::optional<std::u16string_view> member, bool first, char16_t cellStop = kSeparator) {
    if (!member || member->empty())
        return first ? String(u"''") : String(kEmptyMember); // a list starting with "#" reads as empty
    String classic = ClassicForm(*member);
    return ReadsBackAs(classic, *member, first, cellStop) ? classic : EscapedForm(*member);
}

// Inside double quotes: a backslash before an apostrophe, a double quote or a backslash stands for that character.
String UnescapeQuoted(std::u16string_view text) {
    String out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == kBackslash && at + 1 < text.size() && (IsQuote(text[at + 1]) || text[at + 1] == kBackslash))
            ++at;
        out.push_back(text[at]);
    }
    return out;
}

} // namespace

void ListWriter::Add(std::optional<std::u16string_view> member) {
    const bool first = count_++ == 0;
    if (!first)
        text_.push_back(kSeparator);
    if (!member || !AppendBare(text_, *member, first))
        text_ += MemberForm(member, first);
    if (first) {
        firstFormLength_ = text_.size();
        if (member)
            first_ = String(*member);
    }
}

String ListWriter::Finish() {
    // A list enclosed in parentheses reads as its inside: the first member then takes the escaped form, which starts
    // with a double quote. (A first member without text is written "''", which starts otherwise.)
    if (text_.size() >= 2 && text_.front() == u'(' && text_.back() == u')' && first_)
        text_.replace(0, firstFormLength_, EscapedForm(*first_));
    String text = std::move(text_);
    *this = ListWriter();
    return text;
}

String Join(std::span<const std::optional<String>> members) {
    ListWriter writer;
    for (const auto& member : members)
        writer.Add(member ? std::optional<std::u16string_view>(*member) : std::nullopt);
    return writer.Finish();
}

void TableWriter::BeginRecord() {
    if (records_++ > 0)
        text_.push_back(kSeparator);
    cells_ = 0;
}

void TableWriter::AddCell(std::optional<std::u16string_view> cell) {
    const bool first = records_ == 1 && cells_ == 0; // a table's text starting with "#" reads as empty
    if (cells_++ > 0)
        text_.push_back(kCellSeparator);
    if (!cell || !AppendBare(text_, *cell, first))
        text_ += MemberForm(cell, first, kCellSeparator);
}

String TableWriter::Finish() {
    String text = std::move(text_);
    *this = TableWriter();
    return text;
}

void SplitRecords(std::u16string_view text, const std::function<bool(std::vector<String>&)>& record) {
    std::u16string_view body = TextTokenizer::Trimmed(text);
    if (body.empty() || body.front() == u'#')
        return;
    std::vector<String> cells;
    for (size_t at = 0; at < body.size();) {
        if (body[at] == kSeparator) {
            ++at;
            continue;
        }
        size_t end = TokenEnd(body, at);
        std::u16string_view line = body.substr(at, end - at);
        cells.clear();
        for (size_t cell = 0; cell < line.size();) {
            if (line[cell] == kCellSeparator) {
                ++cell;
                continue;
            }
            size_t cellEnd = TokenEnd(line, cell, kCellSeparator);
            cells.push_back(DecodeMember(line.substr(cell, cellEnd - cell)));
            cell = cellEnd;
        }
        if (!cells.empty() && !record(cells))
            return;
        at = end;
    }
}

Form FormOf(std::u16string_view text) {
    if (text.empty() || text.front() == u'#')
        return Form::kEmpty;
    size_t pair = text.find(u"\\;");
    if (text.size() >= 2 && pair != std::u16string_view::npos && (pair == 0 || text[pair - 1] != kBackslash))
        return Form::kEscapedSeparator;
    return Form::kOrdinary;
}

void SplitEach(std::u16string_view text, const std::function<bool(const String&)>& member) {
    std::u16string_view inside = GeoprocessingUtil::StripOuterChars(TextTokenizer::Trimmed(text), u'(', u')');
    if (inside.empty() || inside.front() == u'#')
        return;
    size_t at = 0;
    for (;;) {
        while (at < inside.size() && inside[at] == kSeparator)
            ++at;
        if (at == inside.size())
            return; // the first empty token ends the list
        size_t end = TokenEnd(inside, at);
        if (!member(DecodeMember(inside.substr(at, end - at))))
            return;
        at = end;
    }
}

std::vector<String> Split(std::u16string_view text) {
    std::vector<String> members;
    SplitEach(text, [&](const String& member) {
        members.push_back(member);
        return true;
    });
    return members;
}

String DecodeMember(std::u16string_view token) {
    std::u16string_view text = TextTokenizer::Trimmed(token);
    if (text == kEmptyMember)
        return String();
    bool quoted = text.size() > 2 && text.front() == kQuote && text.back() == kQuote;
    text = EnclosedIn(text, kApostrophe) ? text.substr(1, text.size() - 2)
                                         : GeoprocessingUtil::StripOuterChars(text, kQuote, kQuote);
    if (quoted)
        return UnescapeQuoted(text);
    String member(text);
    if (member.size() > 1 && member.ends_with(u"\\\\"))
        member.pop_back();
    return member;
}

std::optional<String> EscapedSeparatorBody(std::u16string_view text) {
    std::u16string_view body =
        GeoprocessingUtil::StripOuterChars(GeoprocessingUtil::StripOuterChars(text, kQuote, kQuote), u'(', u')');
    if (body == kEmptyMember)
        return std::nullopt;
    return String(body);
}

} // namespace tavi::multivaluetext
