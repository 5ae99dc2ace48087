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

// The user default locale's decimal separator. The locale's data is looked up again only when the user default
// changes: every text written or read asks for the separator.
struct DecimalOfLocale {
    LCID lcid = ~LCID{0}; // no locale has this identifier
    char16_t decimal = u'.';
};
[[gnu::tls_model("initial-exec")]] thread_local DecimalOfLocale userDecimal;

char16_t UserDecimal() {
    LCID user = locale::UserDefault();
    if (userDecimal.lcid != user)
        userDecimal = {user, locale::Data(user).decimal};
    return userDecimal.decimal;
}

size_t CopyText(std::u16string_view text, char16_t (&buffer)[kMaxText]) {
    size_t length = std::min(text.size(), kMaxText);
    std::copy_n(text.data(), length, buffer);
    return length;
}

// Copies 16 characters, however many of them are wanted, and returns the position after the first `count` (at
// most 16): the buffers here have room to spare, and a fixed-size copy is one vector move where a counted one is a
// loop or a call.
char* Put(char* out, const char* from, int count) {
    std::memcpy(out, from, 16);
    return out + count;
}

constexpr char kZeros[17] = "0000000000000000";

// The shortest digits that read back as a finite double, from std::to_chars' scientific form ("-1.2345e+06"), kept
// as that text: the digits are its first character and those after the point. The layouts are written narrow, with
// '.' for the separator, then widened in one fixed-size step and given the separator wanted.
struct ShortestDigits {
    explicit ShortestDigits(double value) {
        const char* end = std::to_chars(text, text + kLongest, value, std::chars_format::scientific).ptr;
        length = static_cast<int>(end - text);
        negative = text[0] == '-';
        first = negative ? 1 : 0;
        // The exponent is the last two or three characters, after its sign and the 'e'.
        const bool threeDigits = end[-3] >= '0' && end[-3] <= '9';
        exponent = (end[-2] - '0') * 10 + (end[-1] - '0') + (threeDigits ? (end[-3] - '0') * 100 : 0);
        const char* sign = end - (threeDigits ? 4 : 3);
        if (*sign == '-')
            exponent = -exponent;
        mark = static_cast<int>(sign - 1 - text);
        int mantissaLength = mark - first;
        count = mantissaLength == 1 ? 1 : mantissaLength - 1;
    }

    // The variant conversion's layout of at most kVariantDigits digits (numtext::FormatReal): fixed notation while
    // the digits fit in kVariantDigits places, else d.dddE+XX; with the locale's decimal separator. Writing it here
    // from digits already at hand saves the conversion finding them a second time.
    size_t LayOutAsVariantText(char16_t decimal, char16_t* out) {
        bool fixed = exponent >= 0 ? exponent < kVariantDigits : count - 1 - exponent <= kVariantDigits;
        if (fixed)
            return LayOutFixed(decimal, out);
        // std::to_chars' scientific form with the locale's separator and a capital E: the exponent has its sign and
        // at least two digits in both.
        text[mark] = 'E';
        return Widen(text, length, count > 1 ? first + 1 : -1, decimal, out);
    }

    // printf's "%.{count}g" layout of the digits: fixed notation for exponents from -4 up to count - 1, else
    // d.ddde+XX (std::to_chars' scientific form is exactly that); always with ".".
    size_t LayOutAsG(char16_t* out) {
        if (exponent < -4 || exponent >= count)
            return Widen(text, length, -1, u'.', out);
        return LayOutFixed(u'.', out);
    }

    int count = 0;    // significant digits
    int exponent = 0; // of the first digit

private:
    // The longest scientific form: "-2.2250738585072014e-308".
    static constexpr int kLongest = 24;
    // Room for every layout (at most 24 characters) and for the 16-character copies that start inside it.
    static constexpr int kRoom = 48;

    // The digits in positional notation, padded with zeros up to the units; at most 16 digits on either side of
    // the separator and at most 15 zeros between it and the digits, which the callers' layouts guarantee.
    size_t LayOutFixed(char16_t decimal, char16_t* out) const {
        char fixed[kRoom] = {};
        char* p = fixed;
        if (negative)
            *p++ = '-';
        const char* fraction = text + first + 2; // the digits after the first one
        const int fractionCount = count - 1;
        int separator = -1;
        if (exponent >= 0) {
            *p++ = text[first];
            if (fractionCount <= exponent) {
                p = Put(p, fraction, fractionCount);
                p = Put(p, kZeros, exponent - fractionCount);
            } else {
                p = Put(p, fraction, exponent);
                separator = static_cast<int>(p - fixed);
                *p++ = '.';
                p = Put(p, fraction + exponent, fractionCount - exponent);
            }
        } else {
            *p++ = '0';
            separator = static_cast<int>(p - fixed);
            *p++ = '.';
            p = Put(p, kZeros, -exponent - 1);
            *p++ = text[first];
            p = Put(p, fraction, fractionCount);
        }
        return Widen(fixed, static_cast<int>(p - fixed), separator, decimal, out);
    }

    // `from` widened into `out`: 32 characters whatever `count` is (the compiler makes that a few vector
    // instructions), with `decimal` at `separator` (none when negative). Returns `count`.
    static size_t Widen(const char* from, int count, int separator, char16_t decimal, char16_t* out) {
        for (int i = 0; i < 32; ++i)
            out[i] = static_cast<unsigned char>(from[i]);
        if (separator >= 0)
            out[separator] = decimal;
        return static_cast<size_t>(count);
    }

    char text[kRoom] = {};
    int length = 0; // of the scientific form
    int first = 0;  // where the significand starts
    int mark = 0;   // where the 'e' is
    bool negative = false;
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
    char16_t decimal = UserDecimal();
    char16_t other = decimal == u'.' ? u',' : u'.';
    if (numtext::ReadPlain(text, decimal, other, value))
        return true;
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

namespace {

// Format's numbers other than the normal ones: NaN, the infinities, zeros and subnormals.
size_t FormatUnusual(double value, char16_t (&buffer)[kMaxText]) {
    if (std::isnan(value))
        return CopyText(NotANumberText(), buffer);
    const char16_t decimal = UserDecimal();
    if (std::isinf(value))
        return numtext::FormatReal(value, 15, decimal, buffer); // "Infinity" / "-Infinity", which read back
    if (value == 0.0) // "0" from the conversion; "-0" keeps the sign that the conversion drops
        return std::signbit(value) ? CopyText(u"-0", buffer) : numtext::FormatReal(value, 15, decimal, buffer);
    // Subnormals are rounded from their exact binary value by the conversion, not from the shortest digits; with
    // more than 15 of those digits, the shortest "%g" text, as for normal numbers (no subnormal is taken for a
    // power of two there).
    ShortestDigits shortest(value);
    if (shortest.count <= kVariantDigits)
        return numtext::FormatReal(value, kVariantDigits, decimal, buffer);
    return shortest.LayOutAsG(buffer);
}

} // namespace

size_t Format(double value, char16_t (&buffer)[kMaxText]) {
    // The binary exponent tells the common numbers from the rest with one test.
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const uint64_t biasedExponent = (bits >> 52) & 0x7FF;
    if (biasedExponent == 0 || biasedExponent == 0x7FF) [[unlikely]]
        return FormatUnusual(value, buffer);
    // The locale's own text (the variant conversion's: 15 significant digits, the locale's separator) comes first,
    // being what a user of the locale expects; it is kept when this locale's reader gives back all 64 bits.
    // Reading it as the C runtime would (stopping at a decimal comma) would turn 2,5 into 2 and refuse the
    // locale's own text in every comma locale; reading it in the locale is what SetAsText does, so what is shown
    // is what is read.
    //
    // Whether it reads back is known without writing it: the conversion keeps the shortest round-trip digits
    // when there are at most 15 of them (so the text reads back), and with more no 15-digit text can.
    ShortestDigits shortest(value);
    if (shortest.count <= kVariantDigits)
        return shortest.LayOutAsVariantText(UserDecimal(), buffer);
    // Otherwise the shortest "%g" text that reads back, which always uses "." (SetAsText takes it in every locale,
    // the other separator standing for the locale's own). The "%g" text with as many digits as the shortest form
    // is that form itself, except where the value is a power of two: its lower neighbour is nearer than its upper
    // one, and the nearest decimal of that length may fall outside the values that read back. Those few take the
    // full search.
    if ((bits & ((uint64_t{1} << 52) - 1)) != 0)
        return shortest.LayOutAsG(buffer);
    return CopyText(ShortestRoundTripText(value), buffer);
}

} // namespace doubletext

} // namespace tavi
