// VariantChangeType(Ex) between the scalar kinds, and the date text entry points VarBstrFromDate/VarDateFromStr.
// Every conversion goes through one of a few value shapes (an integer, a real, currency units, a text), so the
// n x n matrix of kinds is a handful of functions, not a table written out by hand.
#include "platform/DateText.h"
#include "platform/Locale.h"
#include "platform/NumberText.h"
#include "platform/Object.h"
#include "platform/VariantKinds.h"
#include "tavi/Unknown.h"

#include <unicode/uchar.h>

#include <cmath>
#include <limits>
#include <string_view>

namespace {

using namespace tavi;

// ---- The kinds ----

struct IntegerKind {
    VARTYPE vt;
    bool isSigned;
    int64_t min;
    int64_t max;
    uint64_t umax;
};

constexpr IntegerKind kIntegerKinds[] = {
    {VT_I1, true, INT8_MIN, INT8_MAX, 0},   {VT_I2, true, INT16_MIN, INT16_MAX, 0},
    {VT_I4, true, INT32_MIN, INT32_MAX, 0}, {VT_INT, true, INT32_MIN, INT32_MAX, 0},
    {VT_I8, true, INT64_MIN, INT64_MAX, 0}, {VT_UI1, false, 0, 0, UINT8_MAX},
    {VT_UI2, false, 0, 0, UINT16_MAX},      {VT_UI4, false, 0, 0, UINT32_MAX},
    {VT_UINT, false, 0, 0, UINT32_MAX},     {VT_UI8, false, 0, 0, UINT64_MAX},
};

const IntegerKind* integerKind(VARTYPE vt) {
    for (const auto& kind : kIntegerKinds)
        if (kind.vt == vt)
            return &kind;
    return nullptr;
}

void storeInteger(VARTYPE vt, int64_t s, uint64_t u, VARIANT& out) {
    out.vt = vt;
    switch (vt) {
    case VT_I1:
        out.cVal = int8_t(s);
        break;
    case VT_I2:
        out.iVal = int16_t(s);
        break;
    case VT_I4:
    case VT_INT:
        out.lVal = int32_t(s);
        break;
    case VT_I8:
        out.llVal = s;
        break;
    case VT_UI1:
        out.bVal = uint8_t(u);
        break;
    case VT_UI2:
        out.uiVal = uint16_t(u);
        break;
    case VT_UI4:
    case VT_UINT:
        out.ulVal = uint32_t(u);
        break;
    case VT_UI8:
        out.ullVal = u;
        break;
    default:
        break;
    }
}

// ---- Numbers ----

// The value of a numeric source in the shape it has.
struct Numeric {
    enum Shape { Signed, Unsigned, Real, Currency } shape = Signed;
    int64_t s = 0;
    uint64_t u = 0;
    double d = 0;
};

bool numericOf(const VARIANT& v, Numeric& n) {
    switch (v.vt) {
    case VT_EMPTY:
        n = {Numeric::Signed, 0, 0, 0};
        return true;
    case VT_I1:
        n = {Numeric::Signed, v.cVal, 0, 0};
        return true;
    case VT_I2:
        n = {Numeric::Signed, v.iVal, 0, 0};
        return true;
    case VT_I4:
    case VT_INT:
        n = {Numeric::Signed, v.lVal, 0, 0};
        return true;
    case VT_I8:
        n = {Numeric::Signed, v.llVal, 0, 0};
        return true;
    case VT_BOOL:
        n = {Numeric::Signed, v.boolVal ? -1 : 0, 0, 0};
        return true;
    case VT_UI1:
        n = {Numeric::Unsigned, 0, v.bVal, 0};
        return true;
    case VT_UI2:
        n = {Numeric::Unsigned, 0, v.uiVal, 0};
        return true;
    case VT_UI4:
    case VT_UINT:
        n = {Numeric::Unsigned, 0, v.ulVal, 0};
        return true;
    case VT_UI8:
        n = {Numeric::Unsigned, 0, v.ullVal, 0};
        return true;
    case VT_R4:
        n = {Numeric::Real, 0, 0, double(v.fltVal)};
        return true;
    case VT_R8:
        n = {Numeric::Real, 0, 0, v.dblVal};
        return true;
    case VT_DATE:
        n = {Numeric::Real, 0, 0, v.date};
        return true;
    case VT_CY:
        n = {Numeric::Currency, v.cyVal.int64, 0, 0};
        return true;
    default:
        return false;
    }
}

// Rounds half to even whatever the floating-point environment's rounding mode is.
double roundHalfEven(double x) {
    double floor = std::floor(x);
    double rest = x - floor;
    if (rest > 0.5)
        return floor + 1;
    if (rest < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

// Currency units / 10,000, rounded half to even.
int64_t currencyToInteger(int64_t units) {
    int64_t q = units / 10000, r = units % 10000;
    if (r > 5000 || (r == 5000 && (q & 1)))
        ++q;
    else if (r < -5000 || (r == -5000 && (q & 1)))
        --q;
    return q;
}

// The value as a 128-bit integer, rounded half to even; false for NaN and values past 128 bits.
bool integerOf(const Numeric& n, __int128& out) {
    switch (n.shape) {
    case Numeric::Signed:
        out = n.s;
        return true;
    case Numeric::Unsigned:
        out = n.u;
        return true;
    case Numeric::Currency:
        out = currencyToInteger(n.s);
        return true;
    case Numeric::Real: {
        if (!(std::fabs(n.d) < 1e30))
            return false;
        out = __int128(roundHalfEven(n.d));
        return true;
    }
    }
    return false;
}

double realOf(const Numeric& n) {
    switch (n.shape) {
    case Numeric::Signed:
        return double(n.s);
    case Numeric::Unsigned:
        return double(n.u);
    case Numeric::Currency:
        return double(n.s) / 10000.0;
    case Numeric::Real:
        return n.d;
    }
    return 0;
}

HRESULT toInteger(const Numeric& n, const IntegerKind& kind, VARIANT& out) {
    __int128 value = 0;
    if (!integerOf(n, value))
        return DISP_E_OVERFLOW;
    if (kind.isSigned ? (value < kind.min || value > kind.max) : (value < 0 || value > __int128(kind.umax)))
        return DISP_E_OVERFLOW;
    storeInteger(kind.vt, int64_t(value), uint64_t(value), out);
    return S_OK;
}

HRESULT toCurrency(const Numeric& n, VARIANT& out) {
    __int128 units = 0;
    switch (n.shape) {
    case Numeric::Currency:
        units = n.s;
        break;
    case Numeric::Signed:
        units = __int128(n.s) * 10000;
        break;
    case Numeric::Unsigned:
        units = __int128(n.u) * 10000;
        break;
    case Numeric::Real:
        if (!(std::fabs(n.d) < 1e15))
            return DISP_E_OVERFLOW;
        units = __int128(roundHalfEven(n.d * 10000.0));
        break;
    }
    if (units < std::numeric_limits<int64_t>::min() || units > std::numeric_limits<int64_t>::max())
        return DISP_E_OVERFLOW;
    out.vt = VT_CY;
    out.cyVal.int64 = int64_t(units);
    return S_OK;
}

HRESULT fromNumeric(const Numeric& n, VARTYPE vt, VARIANT& out) {
    if (const IntegerKind* kind = integerKind(vt))
        return toInteger(n, *kind, out);
    double real = realOf(n);
    switch (vt) {
    case VT_R8:
        out.vt = VT_R8;
        out.dblVal = real;
        return S_OK;
    case VT_R4:
        if (std::fabs(real) > double(std::numeric_limits<float>::max()))
            return DISP_E_OVERFLOW;
        out.vt = VT_R4;
        out.fltVal = float(real);
        return S_OK;
    case VT_DATE:
        if (!datetext::InRange(real))
            return DISP_E_OVERFLOW;
        out.vt = VT_DATE;
        out.date = real;
        return S_OK;
    case VT_CY:
        return toCurrency(n, out);
    case VT_BOOL:
        out.vt = VT_BOOL;
        out.boolVal = (n.shape == Numeric::Real ? n.d != 0 : (n.s != 0 || n.u != 0)) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// ---- Text ----

HRESULT storeText(std::u16string_view text, VARIANT& out) {
    BSTR made = SysAllocStringLen(text.data(), uint32_t(text.size()));
    if (!made)
        return E_OUTOFMEMORY;
    out.vt = VT_BSTR;
    out.bstrVal = made;
    return S_OK;
}

std::u16string_view textOf(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0';
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (u_foldCase(a[i], U_FOLD_CASE_DEFAULT) != u_foldCase(b[i], U_FOLD_CASE_DEFAULT))
            return false;
    return true;
}

// "true"/"false" in any case, "#TRUE#"/"#FALSE#", the locale's words with VARIANT_LOCALBOOL, else a number.
HRESULT boolFromText(std::u16string_view text, LCID lcid, uint16_t flags, VARIANT& out) {
    const locale::LocaleData& data = locale::Data(lcid);
    std::u16string_view word = trimmed(text);
    int found = -1;
    if (equalsIgnoringCase(word, u"true") || equalsIgnoringCase(word, u"#TRUE#"))
        found = 1;
    else if (equalsIgnoringCase(word, u"false") || equalsIgnoringCase(word, u"#FALSE#"))
        found = 0;
    else if ((flags & VARIANT_LOCALBOOL) && equalsIgnoringCase(word, data.trueWord))
        found = 1;
    else if ((flags & VARIANT_LOCALBOOL) && equalsIgnoringCase(word, data.falseWord))
        found = 0;
    if (found < 0) {
        double value = 0;
        HRESULT hr = numtext::ParseDouble(text, lcid, value);
        if (FAILED(hr))
            return hr;
        found = value != 0;
    }
    out.vt = VT_BOOL;
    out.boolVal = found ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT fromText(std::u16string_view text, LCID lcid, uint16_t flags, VARTYPE vt, VARIANT& out) {
    if (vt == VT_R8) {
        double value = 0;
        HRESULT hr = numtext::ParseDouble(text, lcid, value);
        if (FAILED(hr))
            return hr;
        out.vt = VT_R8;
        out.dblVal = value;
        return S_OK;
    }
    if (vt == VT_BOOL)
        return boolFromText(text, lcid, flags, out);
    if (vt == VT_DATE) {
        DATE date = 0;
        HRESULT hr = datetext::Parse(text, lcid, datetext::VarFlagsFromVariantFlags(flags), date);
        if (FAILED(hr))
            return hr;
        out.vt = VT_DATE;
        out.date = date;
        return S_OK;
    }
    numtext::DecimalNumber number;
    HRESULT hr = numtext::Parse(text, locale::Data(lcid), number);
    if (FAILED(hr))
        return hr;
    if (const IntegerKind* kind = integerKind(vt)) {
        int64_t s = 0;
        uint64_t u = 0;
        hr = kind->isSigned ? numtext::ToSigned(number, kind->min, kind->max, s)
                            : numtext::ToUnsigned(number, kind->umax, u);
        if (SUCCEEDED(hr))
            storeInteger(vt, s, u, out);
        return hr;
    }
    switch (vt) {
    case VT_R4: {
        float value = 0;
        hr = numtext::ToFloat(number, value);
        if (SUCCEEDED(hr)) {
            out.vt = VT_R4;
            out.fltVal = value;
        }
        return hr;
    }
    case VT_CY: {
        int64_t units = 0;
        hr = numtext::ToCurrencyUnits(number, units);
        if (SUCCEEDED(hr)) {
            out.vt = VT_CY;
            out.cyVal.int64 = units;
        }
        return hr;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT toText(const VARIANT& source, LCID lcid, uint16_t flags, VARIANT& out) {
    char16_t buffer[numtext::kMaxNumberText];
    size_t length = 0;
    switch (source.vt) {
    case VT_EMPTY:
        return storeText(u"", out);
    case VT_BOOL: {
        bool value = source.boolVal != 0;
        if (flags & VARIANT_LOCALBOOL) {
            const locale::LocaleData& data = locale::Data(lcid);
            return storeText(value ? data.trueWord : data.falseWord, out);
        }
        if (flags & VARIANT_ALPHABOOL)
            return storeText(value ? u"True" : u"False", out);
        return storeText(value ? u"-1" : u"0", out);
    }
    case VT_R8:
        length = numtext::FormatReal(source.dblVal, 15, locale::Data(lcid).decimal, buffer);
        break;
    case VT_R4:
        length = numtext::FormatReal(double(source.fltVal), 7, locale::Data(lcid).decimal, buffer);
        break;
    case VT_CY:
        length = numtext::FormatCurrencyUnits(source.cyVal.int64, locale::Data(lcid).decimal, buffer);
        break;
    case VT_DATE: {
        std::u16string text;
        HRESULT hr = datetext::Format(source.date, lcid, datetext::VarFlagsFromVariantFlags(flags), text);
        if (FAILED(hr))
            return hr;
        return storeText(text, out);
    }
    default: {
        Numeric n;
        if (!numericOf(source, n))
            return DISP_E_TYPEMISMATCH;
        length =
            n.shape == Numeric::Unsigned ? numtext::FormatUnsigned(n.u, buffer) : numtext::FormatSigned(n.s, buffer);
        break;
    }
    }
    return storeText({buffer, length}, out);
}

// ---- Interfaces, errors, arrays ----

HRESULT fromInterface(const VARIANT& source, VARTYPE vt, VARIANT& out) {
    if (vt == VT_UNKNOWN && source.vt == VT_DISPATCH) {
        out.vt = VT_UNKNOWN;
        out.punkVal = nullptr;
        if (!source.pdispVal)
            return S_OK;
        return source.pdispVal->QueryInterface(IUnknown::iid, reinterpret_cast<void**>(&out.punkVal));
    }
    return DISP_E_TYPEMISMATCH;
}

bool isInteger32Kind(VARTYPE vt) {
    return vt == VT_I4 || vt == VT_INT;
}

// The conversion itself, into `out` (empty on entry). Same-kind conversions are copies.
HRESULT convert(const VARIANT& source, LCID lcid, uint16_t flags, VARTYPE vt, VARIANT& out) {
    if (source.vt == vt)
        return VariantCopy(&out, &source);
    if (vt == VT_EMPTY)
        return source.vt == VT_NULL ? DISP_E_TYPEMISMATCH : S_OK;
    if (source.vt == VT_NULL || vt == VT_NULL) {
        if (vt == VT_NULL && source.vt == VT_EMPTY) {
            out.vt = VT_NULL;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if ((source.vt & VT_ARRAY) || (vt & VT_ARRAY))
        return DISP_E_TYPEMISMATCH;
    if (source.vt == VT_UNKNOWN || source.vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == VT_DISPATCH)
        return fromInterface(source, vt, out);
    if (source.vt == VT_ERROR || vt == VT_ERROR) {
        // An error code travels only to and from the 32-bit integers.
        if (source.vt == VT_ERROR && isInteger32Kind(vt)) {
            out.vt = vt;
            out.lVal = source.scode;
            return S_OK;
        }
        if (vt == VT_ERROR && isInteger32Kind(source.vt)) {
            out.vt = VT_ERROR;
            out.scode = source.lVal;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (vt == VT_BSTR)
        return toText(source, lcid, flags, out);
    if (source.vt == VT_BSTR)
        return fromText(textOf(source.bstrVal), lcid, flags, vt, out);
    Numeric n;
    if (!numericOf(source, n))
        return DISP_E_TYPEMISMATCH;
    return fromNumeric(n, vt, out);
}

} // namespace

extern "C" {

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, uint16_t flags, VARTYPE vt) {
    return VariantChangeTypeEx(dest, source, LOCALE_USER_DEFAULT, flags, vt);
}

// The result is built aside and stored only on success, so on failure `dest` is untouched; `dest` may be
// `source`.
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* source, LCID lcid, uint16_t flags, VARTYPE vt) {
    if (!dest || !source)
        return E_INVALIDARG;
    if (!variantkinds::IsValidKind(source->vt) || !variantkinds::IsValidKind(vt))
        return DISP_E_BADVARTYPE;
    return guard([&]() -> HRESULT {
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = convert(*source, lcid, flags, vt, result);
        if (FAILED(hr)) {
            VariantClear(&result);
            return hr;
        }
        hr = VariantClear(dest);
        if (FAILED(hr)) {
            VariantClear(&result);
            return hr;
        }
        *dest = result;
        return S_OK;
    });
}

HRESULT VarBstrFromDate(DATE date, LCID lcid, uint32_t flags, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return guard([&]() -> HRESULT {
        std::u16string text;
        HRESULT hr = datetext::Format(date, lcid, flags, text);
        if (FAILED(hr))
            return hr;
        *out = SysAllocStringLen(text.data(), uint32_t(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT VarDateFromStr(const OLECHAR* text, LCID lcid, uint32_t flags, DATE* out) {
    if (!out)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        return datetext::Parse(text ? std::u16string_view(text) : std::u16string_view(), lcid, flags, *out);
    });
}

} // extern "C"
