// The text tokenizer: the quote state machine, the readers, incremental reading, locale numbers and quoting.
#include "host/TextTokenizer.h"

#include "host/TAVILocale.h"
#include "platform/BStr.h"
#include "platform/Locale.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace tavi {

namespace {

constexpr char16_t kApostrophe = u'\'';
constexpr char16_t kDoubleQuote = u'"';
constexpr char16_t kBlank = u' ';

bool opensGroup(char16_t c) {
    return c == kApostrophe || c == kDoubleQuote || c == TextTokenizer::kOpenGroup;
}

QuoteAnswer stepInApostrophes(char16_t c, QuoteState& state) {
    if (c == kApostrophe) {
        if (state.last != kApostrophe) {
            state.last = kApostrophe; // closes, unless another apostrophe follows
            return kQuoteMark;
        }
        state.last = kBlank; // a doubled apostrophe: the second one is the text's own
        return kQuoteInside;
    }
    if (state.last == kApostrophe) {
        state.Reset(); // the apostrophe before closed the quote
        return kQuoteOutside;
    }
    state.last = c;
    return kQuoteInside;
}

} // namespace

QuoteAnswer QuoteStep(char16_t c, QuoteState& state) {
    switch (state.open) {
    case kBlank:
        if (opensGroup(c)) {
            state.open = c;
            state.last = kBlank;
            return kQuoteMark;
        }
        state.last = c;
        return kQuoteOutside;
    case kApostrophe:
        return stepInApostrophes(c, state);
    default: {
        // Inside double quotes or parentheses: only the matching mark closes.
        char16_t close = state.open == TextTokenizer::kOpenGroup ? TextTokenizer::kCloseGroup : kDoubleQuote;
        if (c == close) {
            state.Reset();
            return kQuoteMark;
        }
        state.last = c;
        return kQuoteInside;
    }
    }
}

TextTokenizer::TextTokenizer() {
    Init(u"", u" ");
}

std::u16string_view TextTokenizer::Trimmed(std::u16string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

TextTokenizer::TextTokenizer(std::u16string_view text, std::u16string_view separator) {
    Init(text, separator);
}

void TextTokenizer::Init(std::u16string_view text, std::u16string_view separator) {
    openGroup_ = kOpenGroup;
    closeGroup_ = kCloseGroup;
    // An empty separator text behaves like a blank: every reader needs a stop character.
    separator_ = separator.empty() ? kBlank : separator.front();
    text_.assign(TextTokenizer::Trimmed(text));
    length_ = static_cast<int32_t>(std::min<size_t>(text_.size(), INT32_MAX));
    position_ = 0;
    inGroup_ = started_ = quoted_ = skipClose_ = false;
    token_.clear();
    completed_.clear();
    quoteState_.Reset();
}

void TextTokenizer::skipSeparators() {
    while (position_ < length_ && at(position_) == separator_)
        ++position_;
}

int32_t TextTokenizer::nextNonBlank(int32_t from) const {
    while (from < length_ && (at(from) == separator_ || TextTokenizer::IsBlank(at(from))))
        ++from;
    return from;
}

void TextTokenizer::skipSeparatorsAndBlanks() {
    position_ = nextNonBlank(position_);
}

std::u16string_view TextTokenizer::NextPlainToken() {
    skipSeparators();
    int32_t first = position_;
    while (position_ < length_ && at(position_) != separator_)
        ++position_;
    return TextTokenizer::Trimmed(slice(first, position_));
}

std::u16string_view TextTokenizer::NextToken() {
    int32_t start = -1;
    int32_t end = -1;
    return NextGroupedToken(start, end);
}

std::u16string_view TextTokenizer::NextGroupedToken(int32_t& start, int32_t& end) {
    start = end = -1;
    skipSeparatorsAndBlanks();
    if (AtEnd())
        return {};
    std::u16string_view token;
    if (opensGroup(at(position_)) && readGrouped(token, start, end))
        return token;
    return readRaw(start, end);
}

bool TextTokenizer::readGrouped(std::u16string_view& token, int32_t& start, int32_t& end) {
    const int32_t opening = position_;
    QuoteState state;
    QuoteStep(at(position_++), state); // the state the opening mark puts us in
    scratch_.clear();
    start = end = position_; // an empty group: no character between the marks
    bool collected = false;
    while (position_ < length_) {
        char16_t c = at(position_);
        QuoteAnswer answer = QuoteStep(c, state);
        if (answer == kQuoteOutside)
            break;
        if (answer == kQuoteInside) {
            if (!collected)
                start = position_;
            collected = true;
            scratch_.push_back(c);
            end = position_ + 1;
        }
        ++position_;
    }
    if (position_ < length_ && at(position_) != separator_) {
        // Text follows the closing mark directly: the whole item is read raw, marks included.
        position_ = opening;
        return false;
    }
    token = TextTokenizer::Trimmed(scratch_);
    return true;
}

std::u16string_view TextTokenizer::readRaw(int32_t& start, int32_t& end) {
    const int32_t first = position_;
    QuoteState state;
    char16_t stop = separator_;
    skipClose_ = at(position_) == openGroup_;
    if (skipClose_) {
        // The token's own parenthesis is not fed to the state machine, so that its closing parenthesis reads as
        // outside any group; a parenthesis inside it still groups one level deeper.
        stop = closeGroup_;
        ++position_;
    }
    while (position_ < length_) {
        char16_t c = at(position_);
        if (state.open == kBlank && !opensGroup(c)) {
            // Outside any group only the stop character matters (the state machine would just note c as the
            // last character, which it never reads outside a group).
            if (c == stop)
                break;
        } else if (QuoteStep(c, state) == kQuoteOutside && c == stop) {
            break;
        }
        ++position_;
    }
    if (skipClose_ && position_ < length_)
        ++position_; // the closing parenthesis belongs to the token
    skipClose_ = false;
    start = first;
    end = position_ - 1;
    return slice(first, position_);
}

std::u16string_view TextTokenizer::NextDoubleQuotedToken() {
    skipSeparatorsAndBlanks();
    if (AtEnd())
        return {};
    std::u16string_view token = at(position_) == kDoubleQuote ? readDoubleQuotedRuns() : readDoubleQuotedRaw();
    if (token == u" ")
        return token;
    return TextTokenizer::Trimmed(token);
}

std::u16string_view TextTokenizer::readDoubleQuotedRuns() {
    scratch_.clear();
    ++position_; // the opening quote
    while (position_ < length_) {
        char16_t c = at(position_++);
        if (c != kDoubleQuote) {
            scratch_.push_back(c);
            continue;
        }
        if (position_ < length_ && at(position_) == kDoubleQuote) {
            ++position_; // a quote right after the closing one opens the next run
            continue;
        }
        break;
    }
    return scratch_;
}

std::u16string_view TextTokenizer::readDoubleQuotedRaw() {
    const int32_t first = position_;
    const bool parenthesized = at(position_) == openGroup_;
    const char16_t stop = parenthesized ? closeGroup_ : separator_;
    if (parenthesized)
        ++position_;
    bool inQuotes = false;
    while (position_ < length_) {
        char16_t c = at(position_);
        if (c == kDoubleQuote)
            inQuotes = !inQuotes;
        else if (!inQuotes && c == stop)
            break;
        ++position_;
    }
    if (parenthesized && position_ < length_)
        ++position_; // the closing parenthesis belongs to the token
    return slice(first, position_);
}

bool TextTokenizer::NextIsGrouped() const {
    int32_t next = nextNonBlank(position_);
    return next < length_ && opensGroup(at(next));
}

std::u16string_view TextTokenizer::Rest() {
    skipSeparators();
    return slice(position_, length_);
}

HRESULT TextTokenizer::NextDouble(double& value) {
    std::u16string_view token = NextToken();
    if (token.empty())
        return E_FAIL;
    return ParseDouble(token, value);
}

HRESULT TextTokenizer::NextLong(int32_t& value) {
    value = 0;
    std::u16string_view token = NextToken();
    if (token.empty())
        return E_FAIL;
    Variant number = Variant::Text(token);
    HRESULT hr = number.ChangeType(VT_R8, LOCALE_USER_DEFAULT);
    if (FAILED(hr))
        return hr;
    // Cutting a double outside the 32-bit range (or a NaN) to a whole number has no answer.
    if (!(number.dblVal > -2147483649.0 && number.dblVal < 2147483648.0))
        return DISP_E_OVERFLOW;
    value = static_cast<int32_t>(number.dblVal);
    return S_OK;
}

HRESULT TextTokenizer::NextBool(bool& value) {
    std::u16string_view token = NextToken();
    if (token.empty())
        return E_FAIL;
    value = EqualsNoCase(token, u"true") || token == u"1";
    return S_OK;
}

TextTokenizer::Added TextTokenizer::AddCharacter(char16_t c, std::u16string_view& token) {
    Added added;
    QuoteAnswer answer = QuoteStep(c, quoteState_);
    if (answer == kQuoteOutside) {
        if (c == closeGroup_ && inGroup_)
            inGroup_ = false;
        else if (c == openGroup_ && !started_)
            inGroup_ = true;
    }
    quoted_ = answer != kQuoteOutside;
    added.inQuotes = quoted_;
    if (c == separator_ && !quoted_ && !inGroup_) {
        added.complete = started_;
        // Hand out the collected text from a buffer of its own, so that starting over does not free it.
        std::swap(completed_, token_);
        token_.clear();
        token = completed_;
        inGroup_ = started_ = quoted_ = false;
        quoteState_.Reset();
        return added;
    }
    token_.push_back(c);
    started_ = true;
    token = token_;
    return added;
}

HRESULT TextTokenizer::ParseDouble(std::u16string_view text, double& value) {
    char16_t decimal = locale::DecimalSeparator(TAVILocale::GetLocale());
    // Either separator stands for the locale's; a plain number with at most one of them is read in place, without
    // the copy and the variant the other texts take.
    char16_t other = decimal == u'.' ? u',' : decimal == u',' ? u'.' : decimal;
    if (numtext::ReadPlainAsVariant(text, decimal, other, value))
        return S_OK;
    String local(text);
    if (decimal == u'.')
        std::replace(local.begin(), local.end(), u',', u'.');
    else if (decimal == u',')
        std::replace(local.begin(), local.end(), u'.', u',');
    Variant number = Variant::Text(local);
    HRESULT hr = number.ChangeType(VT_R8, LOCALE_USER_DEFAULT);
    if (SUCCEEDED(hr))
        value = number.dblVal;
    return hr;
}

HRESULT TextTokenizer::FormatDouble(double value, String& text) {
    Variant number = Variant::Double(value);
    HRESULT hr = number.ChangeType(VT_BSTR, LOCALE_USER_DEFAULT);
    if (FAILED(hr))
        return hr;
    text.assign(number.bstrVal, SysStringLen(number.bstrVal));
    return S_OK;
}

namespace GeoprocessingUtil {

bool NeedsQuote(std::u16string_view text) {
    if (text.empty())
        return true;
    return std::any_of(text.begin(), text.end(), [](char16_t c) {
        return IsWhiteSpace(c) || c == u';' || c == u',' || c == kApostrophe || c == kDoubleQuote ||
               c == TextTokenizer::kOpenGroup || c == TextTokenizer::kCloseGroup;
    });
}

String Quote(std::u16string_view text) {
    if (!NeedsQuote(text))
        return String(text);
    const bool hasApostrophe = text.find(kApostrophe) != text.npos;
    const bool hasDoubleQuote = text.find(kDoubleQuote) != text.npos;
    String quoted;
    quoted.reserve(text.size() + 2);
    if (hasApostrophe && !hasDoubleQuote) {
        quoted.push_back(kDoubleQuote);
        quoted.append(text);
        quoted.push_back(kDoubleQuote);
        return quoted;
    }
    quoted.push_back(kApostrophe);
    for (char16_t c : text) {
        quoted.push_back(c);
        if (c == kApostrophe)
            quoted.push_back(kApostrophe);
    }
    quoted.push_back(kApostrophe);
    return quoted;
}

std::u16string_view StripOuterChars(std::u16string_view text, char16_t open, char16_t close) {
    if (text.size() >= 2 && text.front() == open && text.back() == close)
        return text.substr(1, text.size() - 2);
    return text;
}

} // namespace GeoprocessingUtil

} // namespace tavi
