// The double's text codec: writing with the locale's separator or the shortest exact form, reading either.
#include "host/DoubleText.h"

#include "host/NumberFormat.h"
#include "host/TAVILocale.h"
#include "platform/Locale.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace tavi {

namespace doubletext {

namespace {

// The significant digits of the variant conversion's text of a double.
constexpr int kVariantDigits = 15;

bool IsCBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// True when `text` may be a locale's not-a-number text: no locale spells it starting with a digit, a sign or a
// separator, so the common texts skip the lookup.
bool MayBeNotANumberText(std::u16string_view text) {
    if (text.empty())
        return false;
    char16_t first = text.front();
    return !(first >= u'0' && first <= u'9') && first != u'+' && first != u'-' && first != u'.' && first != u',';
}

// strtod's reading of a narrow text: optional sign, then a decimal, "inf"/"infinity"/"nan" or "0x" hexadecimal
// number; whatever follows is ignored. False when no number starts the text or it is out of range.
bool ReadNarrow(const char* begin, const char* end, double& value) {
    const char* p = begin;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p != end && (*p == '+' || *p == '-'))
        return false;
    std::from_chars_result result{};
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        result = std::from_chars(p + 2, end, value, std::chars_format::hex);
        if (result.ec == std::errc::invalid_argument) {
            value = 0; // "0x" without hexadecimal digits reads as the 0 before it
            result.ec = std::errc();
        }
    } else {
        result = std::from_chars(p, end, value);
    }
    if (result.ec != std::errc())
        return false;
    if (negative)
        value = -value;
    return true;
}

size_t CopyText(std::u16string_view text, char16_t (&buffer)[kMaxText]) {
    size_t length = std::min(text.size(), kMaxText);
    std::copy_n(text.data(), length, buffer);
    return length;
}

// The shortest digits that read back as a finite double, from std::to_chars' scientific form ("-1.2345e+06"), kept
// as that text: the digits are its first character and those after the point.
struct ShortestDigits {
    explicit ShortestDigits(double value) {
        const char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
        length = static_cast<size_t>(end - text);
        negative = text[0] == '-';
        first = negative ? 1 : 0;
        const char* mark = static_cast<const char*>(std::memchr(text, 'e', length));
        int mantissaLength = static_cast<int>(mark - text) - first;
        count = mantissaLength == 1 ? 1 : mantissaLength - 1;
        for (const char* p = mark + 2; p < end; ++p)
            exponent = exponent * 10 + (*p - '0');
        if (mark[1] == '-')
            exponent = -exponent;
        powerOfTwo = (std::bit_cast<uint64_t>(value) & ((uint64_t{1} << 52) - 1)) == 0;
    }

    // The variant conversion's layout of at most kVariantDigits digits (numtext::FormatReal): fixed notation while
    // the digits fit in kVariantDigits places, else d.dddE+XX; with the locale's decimal separator. Writing it here
    // from digits already at hand saves the conversion finding them a second time.
    size_t LayOutAsVariantText(char16_t decimal, char16_t* out) const {
        char16_t* p = out;
        if (negative)
            *p++ = u'-';
        bool fixed = exponent >= 0 ? exponent < kVariantDigits : count - 1 - exponent <= kVariantDigits;
        if (fixed) {
            p = LayOutFixed(decimal, p);
        } else {
            p = CopyDigits(0, 1, p);
            if (count > 1) {
                *p++ = decimal;
                p = CopyDigits(1, count, p);
            }
            p = LayOutExponent(p);
        }
        return static_cast<size_t>(p - out);
    }

    // printf's "%.{count}g" layout of the digits: fixed notation for exponents from -4 up to count - 1, else
    // d.ddde+XX (std::to_chars' scientific form is exactly that); always with ".".
    size_t LayOutAsG(char16_t* out) const {
        if (exponent < -4 || exponent >= count)
            return static_cast<size_t>(std::copy(text, text + length, out) - out);
        char16_t* p = out;
        if (negative)
            *p++ = u'-';
        return static_cast<size_t>(LayOutFixed(u'.', p) - out);
    }

private:
    // Digits [from, to) of the significand.
    char16_t* CopyDigits(int from, int to, char16_t* p) const {
        for (int i = from; i < to; ++i)
            *p++ = static_cast<char16_t>(text[first + (i == 0 ? 0 : i + 1)]);
        return p;
    }
    // The digits in positional notation, padded with zeros up to the units.
    char16_t* LayOutFixed(char16_t decimal, char16_t* p) const {
        if (exponent >= 0) {
            p = CopyDigits(0, std::min(count, exponent + 1), p);
            p = std::fill_n(p, std::max(0, exponent + 1 - count), u'0');
            if (count > exponent + 1) {
                *p++ = decimal;
                p = CopyDigits(exponent + 1, count, p);
            }
            return p;
        }
        *p++ = u'0';
        *p++ = decimal;
        p = std::fill_n(p, -exponent - 1, u'0');
        return CopyDigits(0, count, p);
    }
    // "E", the exponent's sign and at least two digits.
    char16_t* LayOutExponent(char16_t* p) const {
        *p++ = u'E';
        *p++ = exponent < 0 ? u'-' : u'+';
        int magnitude = exponent < 0 ? -exponent : exponent; // at most 324
        if (magnitude >= 100)
            *p++ = static_cast<char16_t>(u'0' + magnitude / 100);
        *p++ = static_cast<char16_t>(u'0' + magnitude / 10 % 10);
        *p++ = static_cast<char16_t>(u'0' + magnitude % 10);
        return p;
    }

    char text[32];
    size_t length = 0;
    int first = 0; // where the significand starts in `text`

public:
    int count = 0;    // significant digits
    int exponent = 0; // of the first digit
    bool negative = false;
    bool powerOfTwo = false;
};

} // namespace

std::u16string_view NotANumberText() {
    // The locale's data is built once per locale and kept for the process, so the view stays valid.
    return locale::Data(locale::Resolve(TAVILocale::GetLocale())).notANumber;
}

void AppendNumbers(String& text, std::span<const double> values) {
    char16_t buffer[kMaxText];
    bool first = true;
    for (double value : values) {
        if (!first)
            text.push_back(u' ');
        first = false;
        text.append(buffer, Format(value, buffer));
    }
}

bool ReadNotFinite(std::u16string_view token, double& number) {
    if (token == NotANumberText()) {
        number = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    bool negative = !token.empty() && token.front() == u'-';
    if (token.substr(negative ? 1 : 0) != u"Infinity")
        return false;
    number = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return true;
}

bool Read(std::u16string_view text, double& value) {
    char16_t decimal = locale::DecimalSeparator(LOCALE_USER_DEFAULT);
    char16_t other = decimal == u'.' ? u',' : u'.';
    if (MayBeNotANumberText(text) && text == NotANumberText() && text.find(other) == std::u16string_view::npos) {
        value = std::nan("");
        return true;
    }
    size_t start = 0;
    while (start < text.size() && IsCBlank(text[start]))
        ++start;
    // The narrow text the number reader sees: the locale's separator, and the first occurrence of the other one
    // (which stands for it), as '.'; other ASCII as it is. A further '.' where that is not the locale's separator,
    // and anything beyond ASCII, ends the text. Numbers are short; a longer text is narrowed on the heap, not cut.
    char small[64];
    std::string large;
    char* narrow = small;
    if (text.size() - start > sizeof small) {
        large.resize(text.size() - start);
        narrow = large.data();
    }
    size_t length = 0;
    bool swapPending = true;
    for (size_t at = start; at < text.size(); ++at) {
        char16_t c = text[at];
        if (static_cast<char16_t>(c - u'0') < 10) { // digits first: they are most of any number
            narrow[length++] = static_cast<char>(c);
        } else if (c == decimal || (c == other && swapPending)) {
            swapPending = swapPending && c != other;
            narrow[length++] = '.';
        } else if (c == u'.' || c == 0 || c >= 0x80) {
            break;
        } else {
            narrow[length++] = static_cast<char>(c);
        }
    }
    return ReadNarrow(narrow, narrow + length, value);
}

size_t Format(double value, char16_t (&buffer)[kMaxText]) {
    if (std::isnan(value))
        return CopyText(NotANumberText(), buffer);
    char16_t decimal = locale::DecimalSeparator(LOCALE_USER_DEFAULT);
    if (std::isinf(value))
        return numtext::FormatReal(value, 15, decimal, buffer); // "Infinity" / "-Infinity", which read back
    // The locale's own text (the variant conversion's: 15 significant digits, the locale's separator) comes first,
    // being what a user of the locale expects; it is kept when this locale's reader gives back all 64 bits.
    // Reading it as the C runtime would (stopping at a decimal comma) would turn 2,5 into 2 and refuse the
    // locale's own text in every comma locale; reading it in the locale is what SetAsText does, so what is shown
    // is what is read.
    //
    // Whether it reads back is known without writing it: the conversion keeps the shortest round-trip digits
    // when there are at most 15 of them (so the text reads back), and with more no 15-digit text can.
    ShortestDigits shortest(value);
    if (shortest.count <= kVariantDigits && value != 0.0) {
        // Subnormals are rounded from their exact binary value by the conversion, not from these digits.
        if (std::fabs(value) < std::numeric_limits<double>::min())
            return numtext::FormatReal(value, kVariantDigits, decimal, buffer);
        return shortest.LayOutAsVariantText(decimal, buffer);
    }
    if (value == 0.0) // "0" from the conversion; "-0" keeps the sign that the conversion drops
        return std::signbit(value) ? shortest.LayOutAsG(buffer) : numtext::FormatReal(value, 15, decimal, buffer);
    // Otherwise the shortest "%g" text that reads back, which always uses "." (SetAsText takes it in every locale,
    // the other separator standing for the locale's own). The "%g" text with as many digits as the shortest form
    // is that form itself, except where the value is a power of two: its lower neighbour is nearer than its upper
    // one, and the nearest decimal of that length may fall outside the values that read back. Those few take the
    // full search.
    if (!shortest.powerOfTwo)
        return shortest.LayOutAsG(buffer);
    return CopyText(ShortestRoundTripText(value), buffer);
}

} // namespace doubletext

} // namespace tavi
