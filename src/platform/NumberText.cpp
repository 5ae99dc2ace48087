// Number text: the platform's number grammar read into an exact decimal, and numbers written with a fixed count of
// significant digits.
#include "platform/NumberText.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tavi::numtext {

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\u00A0';
}

bool isGroupBlank(char16_t c) {
    return c == u' ' || c == u'\u00A0' || c == u'\u202F';
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The reader of one text: a cursor and the locale's symbols.
class Reader {
public:
    Reader(std::u16string_view text, const locale::LocaleData& locale, DecimalNumber& out)
        : text_(text), locale_(locale), out_(out) {}

    HRESULT read() {
        // Field by field: the digit buffer needs no clearing.
        out_.negative = false;
        out_.radix = false;
        out_.radixValue = 0;
        out_.count = 0;
        out_.sticky = false;
        out_.point = 0;
        skipBlanks();
        readAffixes(true);
        if (at(u'&')) {
            HRESULT hr = readRadix();
            if (hr != S_OK)
                return hr;
        } else if (!readMantissa() || !readExponent()) {
            return DISP_E_TYPEMISMATCH;
        }
        readAffixes(false);
        if (pos_ != text_.size() || (paren_ && !closed_))
            return DISP_E_TYPEMISMATCH;
        while (out_.count > 0 && out_.digits[out_.count - 1] == 0)
            --out_.count;
        return S_OK;
    }

private:
    bool more() const { return pos_ < text_.size(); }
    char16_t peek(size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : u'\0'; }
    bool at(char16_t c) const { return more() && text_[pos_] == c; }

    void skipBlanks() {
        while (more() && isBlank(text_[pos_]))
            ++pos_;
    }

    bool atCurrency() const {
        const std::u16string& symbol = locale_.currency;
        return !symbol.empty() && text_.substr(pos_).starts_with(symbol);
    }

    // Signs, parentheses, the currency symbol and blanks before or after the digits; each at most once.
    void readAffixes(bool leading) {
        for (;;) {
            if (!leading)
                skipBlanks();
            if (!more())
                return;
            char16_t c = text_[pos_];
            if (!currency_ && atCurrency()) {
                currency_ = true;
                pos_ += locale_.currency.size();
                skipBlanks();
            } else if ((c == u'+' || c == u'-') && !sign_ && !paren_) {
                sign_ = true;
                out_.negative = c == u'-';
                ++pos_;
            } else if (leading && c == u'(' && !sign_ && !paren_) {
                paren_ = true;
                out_.negative = true;
                ++pos_;
            } else if (!leading && c == u')' && paren_ && !closed_) {
                closed_ = true;
                ++pos_;
            } else {
                return;
            }
        }
    }

    void addDigit(int digit, bool fraction) {
        if (out_.count == 0 && digit == 0) {
            if (fraction)
                --out_.point;
            return;
        }
        if (out_.count < DecimalNumber::kMaxDigits)
            out_.digits[out_.count++] = char(digit);
        else if (digit != 0)
            out_.sticky = true;
        if (!fraction)
            ++out_.point;
    }

    bool isGrouping(char16_t c) const {
        if (locale_.blankGrouping)
            return isGroupBlank(c) && isDigit(peek(1));
        return c == locale_.thousands;
    }

    // Digits with thousands separators after the first digit, then the decimal separator and more digits.
    bool readMantissa() {
        bool digits = false;
        while (more()) {
            char16_t c = text_[pos_];
            if (isDigit(c)) {
                addDigit(c - u'0', false);
                digits = true;
            } else if (digits && isGrouping(c)) {
                // A thousands separator only groups; its position is not checked.
            } else {
                break;
            }
            ++pos_;
        }
        if (at(locale_.decimal)) {
            ++pos_;
            while (more() && isDigit(text_[pos_])) {
                addDigit(text_[pos_] - u'0', true);
                digits = true;
                ++pos_;
            }
        }
        return digits;
    }

    // "e" or "E", an optional sign, at least one digit. Huge exponents saturate: the value then overflows or
    // becomes zero.
    bool readExponent() {
        if (!at(u'e') && !at(u'E'))
            return true;
        ++pos_;
        bool negative = false;
        if (at(u'+') || at(u'-')) {
            negative = at(u'-');
            ++pos_;
        }
        if (!more() || !isDigit(text_[pos_]))
            return false;
        int64_t exponent = 0;
        while (more() && isDigit(text_[pos_])) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (text_[pos_] - u'0');
            ++pos_;
        }
        out_.point += negative ? -exponent : exponent;
        return true;
    }

    // "&H" followed by hexadecimal digits or "&O" by octal digits; DISP_E_OVERFLOW past 64 bits.
    HRESULT readRadix() {
        char16_t kind = peek(1);
        unsigned base = (kind == u'h' || kind == u'H') ? 16 : (kind == u'o' || kind == u'O') ? 8 : 0;
        if (!base)
            return DISP_E_TYPEMISMATCH;
        pos_ += 2;
        bool digits = false;
        bool overflow = false;
        uint64_t value = 0;
        while (more()) {
            char16_t c = text_[pos_];
            unsigned d = isDigit(c)                 ? unsigned(c - u'0')
                         : (c >= u'a' && c <= u'f') ? unsigned(c - u'a' + 10)
                         : (c >= u'A' && c <= u'F') ? unsigned(c - u'A' + 10)
                                                    : 99;
            if (d >= base)
                break;
            if (value > (std::numeric_limits<uint64_t>::max() - d) / base)
                overflow = true;
            value = value * base + d;
            digits = true;
            ++pos_;
        }
        if (!digits)
            return DISP_E_TYPEMISMATCH;
        out_.radix = true;
        out_.radixValue = value;
        // Only trailing blanks may follow a radix literal.
        skipBlanks();
        if (pos_ != text_.size())
            return DISP_E_TYPEMISMATCH;
        return overflow ? DISP_E_OVERFLOW : S_OK;
    }

    std::u16string_view text_;
    const locale::LocaleData& locale_;
    DecimalNumber& out_;
    size_t pos_ = 0;
    bool sign_ = false;
    bool paren_ = false;
    bool closed_ = false;
    bool currency_ = false;
};

// The magnitude of number × 10^shift rounded half to even; false when it does not fit 64 bits.
bool roundedMagnitude(const DecimalNumber& number, int64_t shift, uint64_t& out) {
    out = 0;
    if (number.count == 0)
        return true;
    int64_t p = number.point + shift;
    if (p > 20)
        return false;
    unsigned __int128 value = 0;
    for (int64_t i = 0; i < p; ++i) {
        value = value * 10 + (i < number.count ? unsigned(number.digits[i]) : 0u);
        if (value > std::numeric_limits<uint64_t>::max())
            return false;
    }
    int first = (p >= 0 && p < number.count) ? number.digits[p] : 0;
    bool rest = number.sticky;
    for (int64_t i = std::max<int64_t>(p + 1, 0); !rest && i < number.count; ++i)
        rest = number.digits[i] != 0;
    if (p < 0)
        first = 0; // below one tenth: rounds to zero
    if (first > 5 || (first == 5 && (rest || (value & 1))))
        ++value;
    if (value > std::numeric_limits<uint64_t>::max())
        return false;
    out = uint64_t(value);
    return true;
}

double radixAsDouble(uint64_t value) {
    return value > uint64_t(std::numeric_limits<int64_t>::max()) ? double(int64_t(value)) : double(value);
}

template <class Char> size_t copyAscii(const char* from, size_t length, Char* to) {
    for (size_t i = 0; i < length; ++i)
        to[i] = Char(from[i]);
    return length;
}

} // namespace

HRESULT Parse(std::u16string_view text, const locale::LocaleData& locale, DecimalNumber& out) {
    return Reader(text, locale, out).read();
}

HRESULT ToDouble(const DecimalNumber& number, double& out) {
    if (number.radix) {
        out = radixAsDouble(number.radixValue);
        return S_OK;
    }
    if (number.count == 0) {
        out = 0.0;
        return S_OK;
    }
    if (number.point > 310)
        return DISP_E_OVERFLOW;
    if (number.point < -330) {
        out = 0.0;
        return S_OK;
    }
    char buffer[DecimalNumber::kMaxDigits + 32];
    char* p = buffer;
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < number.count; ++i)
        *p++ = char('0' + number.digits[i]);
    if (number.sticky)
        *p++ = '1';
    *p++ = 'e';
    p = std::to_chars(p, buffer + sizeof buffer, number.point).ptr;
    double value = 0.0;
    auto [end, ec] = std::from_chars(buffer, p, value);
    if (ec == std::errc::result_out_of_range) {
        if (number.point > 0)
            return DISP_E_OVERFLOW;
        value = 0.0;
    } else if (ec != std::errc() || end != p || !std::isfinite(value)) {
        return DISP_E_OVERFLOW;
    }
    out = number.negative ? -value : value;
    return S_OK;
}

HRESULT ToFloat(const DecimalNumber& number, float& out) {
    double value = 0.0;
    HRESULT hr = ToDouble(number, value);
    if (FAILED(hr))
        return hr;
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        return DISP_E_OVERFLOW;
    out = float(value);
    return S_OK;
}

HRESULT ToSigned(const DecimalNumber& number, int64_t min, int64_t max, int64_t& out) {
    if (number.radix) {
        uint64_t v = number.radixValue;
        uint64_t mask =
            max == std::numeric_limits<int64_t>::max() ? std::numeric_limits<uint64_t>::max() : uint64_t(max) * 2 + 1;
        if (v <= uint64_t(max))
            out = int64_t(v);
        else if (v <= mask)
            out = mask == std::numeric_limits<uint64_t>::max() ? int64_t(v) : int64_t(v) - int64_t(mask) - 1;
        else
            return DISP_E_OVERFLOW;
        return S_OK;
    }
    uint64_t magnitude = 0;
    if (!roundedMagnitude(number, 0, magnitude))
        return DISP_E_OVERFLOW;
    if (number.negative) {
        if (magnitude > uint64_t(-(min + 1)) + 1)
            return DISP_E_OVERFLOW;
        out = magnitude == 0 ? 0 : -int64_t(magnitude - 1) - 1;
    } else {
        if (magnitude > uint64_t(max))
            return DISP_E_OVERFLOW;
        out = int64_t(magnitude);
    }
    return S_OK;
}

HRESULT ToUnsigned(const DecimalNumber& number, uint64_t max, uint64_t& out) {
    if (number.radix) {
        if (number.radixValue > max)
            return DISP_E_OVERFLOW;
        out = number.radixValue;
        return S_OK;
    }
    uint64_t magnitude = 0;
    if (!roundedMagnitude(number, 0, magnitude) || magnitude > max || (number.negative && magnitude != 0))
        return DISP_E_OVERFLOW;
    out = magnitude;
    return S_OK;
}

HRESULT ToCurrencyUnits(const DecimalNumber& number, int64_t& out) {
    if (number.radix) {
        __int128 units = __int128(number.radixValue) * 10000;
        if (units > std::numeric_limits<int64_t>::max())
            return DISP_E_OVERFLOW;
        out = int64_t(units);
        return S_OK;
    }
    uint64_t magnitude = 0;
    if (!roundedMagnitude(number, 4, magnitude))
        return DISP_E_OVERFLOW;
    constexpr uint64_t kMax = uint64_t(std::numeric_limits<int64_t>::max());
    if (number.negative) {
        if (magnitude > kMax + 1)
            return DISP_E_OVERFLOW;
        out = magnitude == 0 ? 0 : -int64_t(magnitude - 1) - 1;
    } else {
        if (magnitude > kMax)
            return DISP_E_OVERFLOW;
        out = int64_t(magnitude);
    }
    return S_OK;
}

namespace {

bool IsDigit(char16_t c) {
    return static_cast<char16_t>(c - u'0') < 10;
}

// The number eight characters at `p` make when all eight are the digits '0'..'9', checked and converted eight at a
// time in two 64-bit words of four UTF-16 characters (the first character in the lowest bits): the long digit runs
// of the values' own texts are read in a few steps instead of one per digit.
bool EightDigits(const char16_t* p, uint32_t& number) {
    constexpr uint64_t kHigh = 0xFF80FF80FF80FF80; // any bit at or above 0x80 in a character
    constexpr uint64_t kLow7 = 0x0080008000800080; // bit 0x80 of each character
    auto fourDigits = [](uint64_t word, uint32_t& four) {
        // '0'..'9' exactly when below 0x80, c + 0x50 reaches 0x80 (c >= '0') and c + 0x46 does not (c <= '9').
        if ((word & kHigh) || ((word + 0x0050005000500050) & kLow7) != kLow7 || ((word + 0x0046004600460046) & kLow7))
            return false;
        uint64_t digits = word - 0x0030003000300030;
        uint64_t pairs = (digits * 10 + (digits >> 16)) & 0x0000FFFF0000FFFF; // 10 * d0 + d1, 10 * d2 + d3
        four = static_cast<uint32_t>((pairs * 100 + (pairs >> 32)) & 0xFFFFFFFF);
        return true;
    };
    uint64_t first = 0;
    uint64_t second = 0;
    std::memcpy(&first, p, sizeof first);
    std::memcpy(&second, p + 4, sizeof second);
    uint32_t high = 0;
    uint32_t low = 0;
    if (!fourDigits(first, high) || !fourDigits(second, low))
        return false;
    number = high * 10000 + low;
    return true;
}

// Reads the digits at `p` into `mantissa` (times ten per digit, wrapping past 19 digits) and moves `p` past them;
// returns how many there were. Eight at a time while eight follow, then one by one.
[[gnu::always_inline]] inline int ReadDigits(const char16_t*& p, const char16_t* end, uint64_t& mantissa) {
    const char16_t* start = p;
    uint32_t eight = 0;
    while (end - p >= 8 && EightDigits(p, eight)) {
        mantissa = mantissa * 100000000 + eight;
        p += 8;
    }
    for (; p != end && IsDigit(*p); ++p)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - u'0');
    return static_cast<int>(p - start);
}

} // namespace

bool ReadPlain(std::u16string_view text, char16_t decimal, char16_t other, double& value) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr size_t kLongest = 40;      // longer texts are rare; the general reader takes them
    constexpr int kMostDigits = 19;      // below 10^19: an exact 64-bit integer
    constexpr int kExponentCap = 100000; // far beyond every double; keeps the sum below overflow
    if (text.size() > kLongest)
        return false;
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    const bool negative = p != end && *p == u'-';
    if (p != end && (*p == u'-' || *p == u'+'))
        ++p;
    const char16_t* number = p;
    uint64_t mantissa = 0; // wraps past 19 significant digits, and is then not used
    int digits = ReadDigits(p, end, mantissa);
    int64_t scale = 0;
    if (p != end && (*p == decimal || *p == other)) {
        ++p;
        int fraction = ReadDigits(p, end, mantissa);
        digits += fraction;
        scale = -fraction;
    }
    if (digits == 0)
        return false;
    if (digits > kMostDigits) { // leading zeros are no significant digits
        int significant = digits;
        for (const char16_t* q = number; q != p && !(IsDigit(*q) && *q != u'0'); ++q)
            significant -= *q == u'0';
        if (significant > kMostDigits)
            return false;
    }
    if (p != end && (*p == u'e' || *p == u'E')) {
        ++p;
        bool negativeExponent = p != end && *p == u'-';
        if (p != end && (*p == u'+' || *p == u'-'))
            ++p;
        if (p == end || !IsDigit(*p))
            return false;
        int64_t exponent = 0;
        for (; p != end && IsDigit(*p); ++p)
            exponent = std::min<int64_t>(exponent * 10 + (*p - u'0'), kExponentCap);
        scale += negativeExponent ? -exponent : exponent;
    }
    if (p != end)
        return false;
    if (mantissa == 0) {
        value = negative ? -0.0 : 0.0;
        return true;
    }
    if (mantissa <= (uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        double magnitude = static_cast<double>(mantissa);
        magnitude = scale < 0 ? magnitude / kPowers[-scale] : magnitude * kPowers[scale];
        value = negative ? -magnitude : magnitude;
        return true;
    }
    using Binary = fast_float::binary_format<double>;
    fast_float::adjusted_mantissa product = fast_float::compute_float<Binary>(scale, mantissa);
    if (product.power2 <= 0 || product.power2 >= Binary::infinite_power())
        return false; // undecided, zero, subnormal or overflow
    uint64_t bits = product.mantissa | (static_cast<uint64_t>(product.power2) << Binary::mantissa_explicit_bits());
    if (negative)
        bits |= uint64_t{1} << 63;
    value = std::bit_cast<double>(bits);
    return true;
}

bool ReadPlainAsVariant(std::u16string_view text, char16_t decimal, char16_t other, double& value) {
    if (!ReadPlain(text, decimal, other, value))
        return false;
    if (value == 0)
        value = 0.0; // the full reader's zero has no sign
    return true;
}

HRESULT ParseDouble(std::u16string_view text, LCID lcid, double& out) {
    const locale::LocaleData& data = locale::Data(lcid);
    if (ReadPlainAsVariant(text, data.decimal, data.decimal, out))
        return S_OK;
    DecimalNumber number;
    HRESULT hr = Parse(text, data, number);
    if (FAILED(hr))
        return hr;
    return ToDouble(number, out);
}

namespace {

// The digits and decimal exponent of scientific text ("-1.2345e+06" -> "12345", 6), sign skipped.
void readScientific(const char* text, const char* end, char* digits, int& count, int& exponent) {
    const char* p = text;
    if (*p == '-')
        ++p;
    count = 0;
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    exponent = 0;
    if (p != end) {
        ++p;
        if (*p == '+')
            ++p;
        std::from_chars(p, end, exponent);
    }
}

// The value's digits rounded to `significant` (at most 15) digits, from its shortest round-trip text (fast).
// For a normal double the unit in the last place is far finer than the 15-digit grid, so rounding that text gives
// the same digits as rounding the exact binary value, except when the dropped part is exactly one half. False then,
// and for subnormal doubles (whose last place is coarse): the caller rounds the exact value. A float is formatted
// from its exact double value, which is always a normal double.
bool significandDigits(double value, int significant, char* digits, int& count, int& exponent) {
    if (std::fabs(value) < std::numeric_limits<double>::min())
        return false;
    char scratch[48];
    auto result = std::to_chars(scratch, scratch + sizeof scratch, value, std::chars_format::scientific);
    readScientific(scratch, result.ptr, digits, count, exponent);
    if (count <= significant)
        return true;
    char next = digits[significant];
    bool more = false;
    for (int i = significant + 1; i < count; ++i)
        more = more || digits[i] != '0';
    if (next == '5' && !more)
        return false;
    count = significant;
    if (next > '5' || (next == '5' && more)) {
        int i = count - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = '1'; // 9.99... carried into a new digit
            count = 1;
            ++exponent;
        }
    }
    return true;
}

} // namespace

size_t FormatReal(double value, int significantDigits, char16_t decimal, char16_t* buffer) {
    if (std::isnan(value))
        return copyAscii("NaN", 3, buffer);
    if (std::isinf(value))
        return value < 0 ? copyAscii("-Infinity", 9, buffer) : copyAscii("Infinity", 8, buffer);
    if (value == 0.0) {
        buffer[0] = u'0';
        return 1;
    }
    char digits[24];
    int count = 0;
    int exponent = 0;
    bool negative = value < 0;
    if (!significandDigits(value, significantDigits, digits, count, exponent)) {
        // A tie or a subnormal: round the exact binary value.
        char scratch[48];
        auto result = std::to_chars(scratch, scratch + sizeof scratch, value, std::chars_format::scientific,
                                    significantDigits - 1);
        readScientific(scratch, result.ptr, digits, count, exponent);
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char16_t* out = buffer;
    if (negative)
        *out++ = u'-';
    bool fixed = exponent >= 0 ? exponent < significantDigits : count - 1 - exponent <= significantDigits;
    if (fixed && exponent >= 0) {
        for (int i = 0; i <= exponent; ++i)
            *out++ = char16_t(i < count ? digits[i] : '0');
        if (count > exponent + 1) {
            *out++ = decimal;
            for (int i = exponent + 1; i < count; ++i)
                *out++ = char16_t(digits[i]);
        }
    } else if (fixed) {
        *out++ = u'0';
        *out++ = decimal;
        for (int i = -1; i > exponent; --i)
            *out++ = u'0';
        for (int i = 0; i < count; ++i)
            *out++ = char16_t(digits[i]);
    } else {
        *out++ = char16_t(digits[0]);
        if (count > 1) {
            *out++ = decimal;
            for (int i = 1; i < count; ++i)
                *out++ = char16_t(digits[i]);
        }
        *out++ = u'E';
        *out++ = exponent < 0 ? u'-' : u'+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            *out++ = u'0';
        char exp[8];
        auto end = std::to_chars(exp, exp + sizeof exp, magnitude).ptr;
        out += copyAscii(exp, size_t(end - exp), out);
    }
    return size_t(out - buffer);
}

size_t FormatSigned(int64_t value, char16_t* buffer) {
    char scratch[24];
    auto end = std::to_chars(scratch, scratch + sizeof scratch, value).ptr;
    return copyAscii(scratch, size_t(end - scratch), buffer);
}

size_t FormatUnsigned(uint64_t value, char16_t* buffer) {
    char scratch[24];
    auto end = std::to_chars(scratch, scratch + sizeof scratch, value).ptr;
    return copyAscii(scratch, size_t(end - scratch), buffer);
}

size_t FormatCurrencyUnits(int64_t units, char16_t decimal, char16_t* buffer) {
    uint64_t magnitude = units < 0 ? uint64_t(-(units + 1)) + 1 : uint64_t(units);
    char16_t* out = buffer;
    if (units < 0)
        *out++ = u'-';
    out += FormatUnsigned(magnitude / 10000, out);
    unsigned fraction = unsigned(magnitude % 10000);
    if (fraction) {
        *out++ = decimal;
        for (unsigned scale = 1000; fraction; scale /= 10) {
            *out++ = char16_t(u'0' + fraction / scale);
            fraction %= scale;
        }
    }
    return size_t(out - buffer);
}

std::u16string FormatDouble(double value, LCID lcid) {
    char16_t buffer[kMaxNumberText];
    return std::u16string(buffer, FormatReal(value, 15, locale::Data(lcid).decimal, buffer));
}

std::u16string FormatFloat(float value, LCID lcid) {
    char16_t buffer[kMaxNumberText];
    return std::u16string(buffer, FormatReal(double(value), 7, locale::Data(lcid).decimal, buffer));
}

} // namespace tavi::numtext
