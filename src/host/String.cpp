// Text helpers on UTF-16 strings; case folding and white space come from ICU.
#include "host/String.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace tavi {

bool IsWhiteSpace(char16_t c) {
    return u_isUWhiteSpace(c) || c == u'\t' || c == u'\v' || c == u'\f';
}

String TrimLeft(std::u16string_view text) {
    size_t first = 0;
    while (first < text.size() && IsWhiteSpace(text[first]))
        ++first;
    return String(text.substr(first));
}

String TrimRight(std::u16string_view text) {
    size_t last = text.size();
    while (last > 0 && IsWhiteSpace(text[last - 1]))
        --last;
    return String(text.substr(0, last));
}

String Trim(std::u16string_view text) {
    return TrimLeft(TrimRight(text));
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t result = u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                                      reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()),
                                      U_FOLD_CASE_DEFAULT, &status);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

// The common ASCII start is compared directly: case folding maps every ASCII character to one ASCII character
// (A-Z lowered) and no character to nothing, so two ASCII characters that differ once lowered decide "not equal", a
// text that ends there while the other goes on is not equal either, and only a rest holding other characters needs
// the full folding.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] >= 0x80 || b[i] >= 0x80)
            return CompareNoCase(a.substr(i), b.substr(i)) == 0;
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return a.size() == b.size();
}

String FoldCase(std::u16string_view text) {
    // Simple folding code point by code point: the length in code units never changes, so positions found in the
    // folded text are positions in the original.
    String result;
    result.reserve(text.size());
    int32_t length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        if (U16_LENGTH(folded) != U16_LENGTH(c))
            folded = c;
        if (U_IS_BMP(folded)) {
            result += static_cast<char16_t>(folded);
        } else {
            result += static_cast<char16_t>(U16_LEAD(folded));
            result += static_cast<char16_t>(U16_TRAIL(folded));
        }
    }
    return result;
}

size_t FindNoCase(std::u16string_view text, std::u16string_view needle, size_t from) {
    if (needle.empty())
        return from <= text.size() ? from : String::npos;
    String foldedText = FoldCase(text);
    String foldedNeedle = FoldCase(needle);
    return foldedText.find(foldedNeedle, from);
}

char16_t ToLowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

String ToLowerAscii(std::u16string_view text) {
    String result(text);
    for (auto& c : result)
        c = ToLowerAscii(c);
    return result;
}

String ToUpperAscii(std::u16string_view text) {
    String result(text);
    for (auto& c : result)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
    return result;
}

namespace {

// The conversion character of a format holding exactly one conversion ("%%" aside), or 0. Length modifiers
// (h, l, ll, L, q, j, z, t) are skipped; '*' widths are refused because no argument supplies them.
char SoleConversion(const char* format, size_t* position) {
    char found = 0;
    for (size_t i = 0; format[i]; ++i) {
        if (format[i] != '%')
            continue;
        if (format[i + 1] == '%') {
            ++i;
            continue;
        }
        if (found)
            return 0;
        size_t j = i + 1;
        while (format[j] && std::strchr("-+ #0123456789.", format[j]))
            ++j;
        while (format[j] && std::strchr("hlLqjzt", format[j]))
            ++j;
        if (!format[j] || !std::strchr("diouxXeEfFgGaA", format[j]))
            return 0;
        found = format[j];
        *position = i;
        i = j;
    }
    return found;
}

// The format with its length modifiers replaced by the one the argument type needs ("ll" for int64_t, none for
// double), so that callers may write "%d" or "%ld" for any integer.
std::string Normalise(const char* format, size_t position, bool integer) {
    std::string result(format, position);
    size_t j = position + 1;
    result += '%';
    while (format[j] && std::strchr("-+ #0123456789.", format[j]))
        result += format[j++];
    while (format[j] && std::strchr("hlLqjzt", format[j]))
        ++j;
    if (integer)
        result += "ll";
    result += format[j];
    result += format + j + 1;
    return result;
}

String Widen(const char* text) {
    String result;
    for (; *text; ++text)
        result += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return result;
}

// Runs snprintf in the "C" locale on this thread, so that a host's setlocale never turns the decimal point into a
// comma.
class CLocaleScope {
public:
    CLocaleScope() : previous_(cLocale() ? uselocale(cLocale()) : nullptr) {}
    ~CLocaleScope() {
        if (previous_)
            uselocale(previous_);
    }

private:
    static locale_t cLocale() {
        static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
        return c;
    }
    locale_t previous_;
};

template <class T> String Print(const std::string& format, T value) {
    CLocaleScope cLocale;
    char buffer[512];
    int length = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    if (length < 0)
        return {};
    if (static_cast<size_t>(length) < sizeof buffer)
        return Widen(buffer);
    std::string big(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(big.data(), big.size(), format.c_str(), value);
    big.resize(static_cast<size_t>(length));
    return Widen(big.c_str());
}

bool IsIntegerConversion(char c) {
    return std::strchr("diouxX", c) != nullptr;
}

} // namespace

String FormatNumber(const char* printfFormat, double value) {
    size_t position = 0;
    char conversion = printfFormat ? SoleConversion(printfFormat, &position) : 0;
    if (!conversion)
        return {};
    if (IsIntegerConversion(conversion)) {
        // Out-of-range or NaN values saturate instead of invoking undefined conversion.
        int64_t whole = 0;
        if (value >= 9.2233720368547758e18)
            whole = INT64_MAX;
        else if (value <= -9.2233720368547758e18)
            whole = INT64_MIN;
        else if (value == value)
            whole = static_cast<int64_t>(value);
        return Print(Normalise(printfFormat, position, true), static_cast<long long>(whole));
    }
    return Print(Normalise(printfFormat, position, false), value);
}

String FormatInteger(const char* printfFormat, int64_t value) {
    size_t position = 0;
    char conversion = printfFormat ? SoleConversion(printfFormat, &position) : 0;
    if (!conversion)
        return {};
    if (IsIntegerConversion(conversion))
        return Print(Normalise(printfFormat, position, true), static_cast<long long>(value));
    return Print(Normalise(printfFormat, position, false), static_cast<double>(value));
}

String DoubleToText(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    *end = '\0';
    return Widen(buffer);
}

String FormatInserts(std::u16string_view pattern, std::initializer_list<std::u16string_view> inserts) {
    String result;
    result.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        char16_t c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            char16_t next = pattern[i + 1];
            if (next == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            if (next >= u'1' && next <= u'9') {
                size_t index = static_cast<size_t>(next - u'1');
                if (index < inserts.size())
                    result += *(inserts.begin() + index);
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

BSTR MakeBSTR(std::u16string_view text) {
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

DelimitedList::DelimitedList(std::u16string_view text, std::u16string_view delimiter, bool trimItems) {
    if (text.empty())
        return;
    auto add = [&](std::u16string_view item) { items_.push_back(trimItems ? Trim(item) : String(item)); };
    if (delimiter.empty()) {
        add(text);
        return;
    }
    size_t start = 0;
    for (;;) {
        size_t found = text.find(delimiter, start);
        if (found == std::u16string_view::npos) {
            add(text.substr(start));
            return;
        }
        add(text.substr(start, found - start));
        start = found + delimiter.size();
    }
}

String DelimitedList::Join(std::u16string_view delimiter) const {
    String result;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i)
            result += delimiter;
        result += items_[i];
    }
    return result;
}

} // namespace tavi
