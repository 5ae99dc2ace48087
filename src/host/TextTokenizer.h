// The text tokenizer behind the text forms of list-like values: splits a line at a separator character, where
// apostrophes, double quotes and parentheses group text that holds the separator. Also the host's quoting rule
// (GeoprocessingUtil::NeedsQuote, Quote) and reading and writing doubles in the user's locale.
//
// Value classes use TextTokenizer directly; the GPParseString object is a thin interface over it.
//
// Readers hand out views. A view stays valid until the next call that reads, adds a character or re-initializes
// the tokenizer; copy it into a String to keep it. Reading never allocates per character: a token read raw is a
// view into the text, and a token collected from inside quotes is built in one buffer that is reused.
//
// Every reader stops at the end of the text: the position never passes the text's length, each call that finds
// a token moves past at least one character, and a call at the end answers the empty token. So a loop
// "while (!(token = t.NextToken()).empty())" always ends, and so does "while (!t.AtEnd()) t.NextToken()".
#pragma once

#include "host/String.h"

#include <cstdint>
#include <string_view>

namespace tavi {

// The quote state machine that all readers share: the open quote (a blank when none) and the last character seen.
struct QuoteState {
    char16_t open = u' ';
    char16_t last = u' ';
    void Reset() { open = last = u' '; }
};

// What QuoteStep says of one character.
enum QuoteAnswer : int {
    kQuoteOutside = 0, // an ordinary character outside any group
    kQuoteInside = 1,  // a character inside a group (for apostrophes: the second of a doubled apostrophe, too)
    kQuoteMark = 2,    // a character that opens or closes a group
};

// Steps the state with one character. Apostrophes, double quotes and an opening parenthesis open a group; the
// same quote or the closing parenthesis closes it. Inside apostrophes a doubled apostrophe stands for one: the
// first answers kQuoteMark, the second kQuoteInside. A character right after a closing apostrophe is outside.
QuoteAnswer QuoteStep(char16_t c, QuoteState& state);

class TextTokenizer {
public:
    static constexpr char16_t kOpenGroup = u'(';
    static constexpr char16_t kCloseGroup = u')';

    // An empty text with a blank as separator.
    TextTokenizer();
    TextTokenizer(std::u16string_view text, std::u16string_view separator);

    // Starts over on `text` (white space trimmed at both ends) with the first character of `separator` as the
    // separator. An empty separator text means a blank, so that every reader still has one stop character and a
    // caller's missing separator behaves like the commonest one.
    void Init(std::u16string_view text, std::u16string_view separator);

    // Skips separators and reads up to the next separator or the end; the stretch trimmed of white space. Quotes
    // and parentheses mean nothing here.
    std::u16string_view NextPlainToken();

    // The grouped reader. Skips separators and blanks; at the end answers the empty token with start = end = -1.
    // A token opened by an apostrophe, a double quote or an opening parenthesis and followed by the separator or
    // the end gives the text inside the group, trimmed, without the grouping characters: start is the position of
    // its first character and end the position just past its last one. A token followed directly by other text,
    // or one that starts with an ordinary character, is read raw: the text up to the next separator outside any
    // group, quotes included, with start and end the positions of its first and last characters. A raw token that
    // starts with an opening parenthesis runs to the parenthesis that closes it, both included.
    std::u16string_view NextGroupedToken(int32_t& start, int32_t& end);
    // The grouped reader without positions.
    std::u16string_view NextToken();

    // Skips separators and blanks. A token opened by a double quote is the concatenation of its quoted runs
    // ("a""b" gives ab; "a" "b" gives a); only double quotes group otherwise, and a token that starts with an
    // opening parenthesis runs to the first closing parenthesis outside double quotes, both included. The token
    // comes back trimmed unless it is exactly one blank.
    std::u16string_view NextDoubleQuotedToken();

    // True when, past separators and blanks, the next character opens a group (apostrophe, double quote, opening
    // parenthesis); false at the end. Does not move.
    bool NextIsGrouped() const;

    // Moves past separators and answers the rest of the text, untrimmed; empty at the end.
    std::u16string_view Rest();

    // The grouped reader's next token as a number or a boolean. An empty token (the end) gives E_FAIL.
    // NextDouble reads with ParseDouble. NextLong reads the token as a double in the user's locale and cuts it to
    // a whole number: 0 with the conversion's code when that fails, 0 with DISP_E_OVERFLOW outside 32 bits.
    // NextBool answers true for "true" and "1" in any case and false for any other token.
    HRESULT NextDouble(double& value);
    HRESULT NextLong(int32_t& value);
    HRESULT NextBool(bool& value);

    // Incremental reading, one character at a time. `inQuotes` tells whether the character was inside (or was)
    // a quote or parenthesis mark. When `c` is the separator outside quotes and parenthesis groups the token ends:
    // `token` is what was collected (without the separator), the answer's `complete` is true when anything had
    // been collected, and the collected text, flags and quote state start over. Otherwise `c` is added and
    // `token` is the text collected so far. The token view stays valid until the next call.
    struct Added {
        bool inQuotes = false;
        bool complete = false;
    };
    Added AddCharacter(char16_t c, std::u16string_view& token);

    // A text in the user's locale as a double: commas become points when the locale's decimal separator is a
    // point, points become commas when it is a comma, then the locale-aware variant conversion. `value` is
    // written only on success; the conversion's code is returned.
    static HRESULT ParseDouble(std::u16string_view text, double& value);
    // A double as text through the variant conversion in the user's locale.
    static HRESULT FormatDouble(double value, String& text);

    // The tokenizer's white space (IsWhiteSpace, with the ASCII answer inline: readers ask it of nearly every
    // character they skip), and `text` without it at either end.
    static bool IsBlank(char16_t c) {
        if (c < 0x80)
            return c == u' ' || (c >= u'\t' && c <= u'\r');
        return IsWhiteSpace(c);
    }
    static std::u16string_view Trimmed(std::u16string_view text);

    char16_t Separator() const { return separator_; }
    const String& Text() const { return text_; }
    int32_t Length() const { return length_; }
    int32_t Position() const { return position_; }
    bool AtEnd() const { return position_ >= length_; }

private:
    char16_t at(int32_t index) const { return text_[static_cast<size_t>(index)]; }
    std::u16string_view slice(int32_t from, int32_t to) const {
        return std::u16string_view(text_).substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    }
    void skipSeparators();
    void skipSeparatorsAndBlanks();
    int32_t nextNonBlank(int32_t from) const;
    // Reads a token opened by a grouping character at position_; false (position_ restored) when text follows
    // the closing mark directly and the token must be read raw.
    bool readGrouped(std::u16string_view& token, int32_t& start, int32_t& end);
    std::u16string_view readRaw(int32_t& start, int32_t& end);
    std::u16string_view readDoubleQuotedRuns();
    std::u16string_view readDoubleQuotedRaw();

    char16_t openGroup_ = kOpenGroup;
    char16_t closeGroup_ = kCloseGroup;
    char16_t separator_ = u' ';
    String text_;
    int32_t length_ = 0;
    int32_t position_ = 0;
    // Incremental reading.
    bool inGroup_ = false;
    bool started_ = false;
    bool quoted_ = false;
    // Set while a raw token that began with an opening parenthesis is read: its closing parenthesis is part of
    // the token and the position moves past it.
    bool skipClose_ = false;
    String token_;
    // The token handed out when a separator completes one; token_ starts over empty.
    String completed_;
    QuoteState quoteState_;
    // The buffer that tokens collected from inside quotes are built in (kept apart from token_, which belongs to
    // incremental reading, so that the two ways of reading can be mixed).
    String scratch_;
};

namespace GeoprocessingUtil {
// The host's quoting rule: a text needs quotes when it is empty or holds white space, ";" or ",", an apostrophe
// or a double quote, or a parenthesis.
bool NeedsQuote(std::u16string_view text);
// The text as the tokenizer reads it back as one token: unchanged when it needs no quotes; in double quotes when
// it holds an apostrophe; in apostrophes otherwise. A text that holds both kinds of quote goes in apostrophes with
// each of its apostrophes doubled, since double quotes around a double quote could not be read back.
String Quote(std::u16string_view text);
// `text` without one pair of `open` and `close` enclosing it (its first and last characters); unchanged otherwise.
std::u16string_view StripOuterChars(std::u16string_view text, char16_t open, char16_t close);
} // namespace GeoprocessingUtil

} // namespace tavi
