// The VARIANT life cycle (init, clear, deep copy) and comparison.
#include "platform/VariantKinds.h"
#include "tavi/Unknown.h"

#include <unicode/stringoptions.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <cmath>
#include <cstring>

using namespace tavi::variantkinds;

namespace {

// A deep copy of `source` into `out` (which holds nothing): a new BSTR, an added reference, a copied array.
HRESULT copyContent(const VARIANT& source, VARIANT& out) {
    out = source;
    if (source.vt & VT_ARRAY) {
        out.parray = nullptr;
        if (!source.parray)
            return S_OK;
        return SafeArrayCopy(source.parray, &out.parray);
    }
    switch (source.vt) {
    case VT_BSTR:
        if (source.bstrVal) {
            out.bstrVal =
                SysAllocStringByteLen(reinterpret_cast<const char*>(source.bstrVal), SysStringByteLen(source.bstrVal));
            if (!out.bstrVal)
                return E_OUTOFMEMORY;
        }
        return S_OK;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (source.punkVal)
            source.punkVal->AddRef();
        return S_OK;
    default:
        return S_OK;
    }
}

bool isNumericKind(VARTYPE vt) {
    return vt == VT_EMPTY || tavi::variantkinds::IsNumberKind(vt);
}

// The value of a numeric variant, exactly when it is an integer (to 128 bits), else as a double.
struct Number {
    bool integral;
    __int128 integer;
    double real;
};

Number numberOf(const VARIANT& v) {
    switch (v.vt) {
    case VT_I1:
        return {true, v.cVal, 0};
    case VT_I2:
        return {true, v.iVal, 0};
    case VT_I4:
    case VT_INT:
        return {true, v.lVal, 0};
    case VT_I8:
        return {true, v.llVal, 0};
    case VT_UI1:
        return {true, v.bVal, 0};
    case VT_UI2:
        return {true, v.uiVal, 0};
    case VT_UI4:
    case VT_UINT:
        return {true, v.ulVal, 0};
    case VT_UI8:
        return {true, v.ullVal, 0};
    case VT_BOOL:
        return {true, v.boolVal, 0};
    case VT_R4:
        return {false, 0, v.fltVal};
    case VT_R8:
        return {false, 0, v.dblVal};
    case VT_DATE:
        return {false, 0, v.date};
    case VT_CY:
        if (v.cyVal.int64 % 10000 == 0)
            return {true, v.cyVal.int64 / 10000, 0};
        return {false, 0, double(v.cyVal.int64) / 10000.0};
    default:
        return {true, 0, 0}; // VT_EMPTY is zero
    }
}

HRESULT order(bool less, bool equal) {
    return less ? VARCMP_LT : equal ? VARCMP_EQ : VARCMP_GT;
}

HRESULT compareNumbers(const VARIANT& left, const VARIANT& right) {
    Number a = numberOf(left), b = numberOf(right);
    if (a.integral && b.integral)
        return order(a.integer < b.integer, a.integer == b.integer);
    double x = a.integral ? double(a.integer) : a.real;
    double y = b.integral ? double(b.integer) : b.real;
    if (std::isnan(x) || std::isnan(y))
        return VARCMP_NULL;
    return order(x < y, x == y);
}

// Texts compare by code unit; NORM_IGNORECASE (1) folds case first.
HRESULT compareTexts(BSTR left, BSTR right, uint32_t flags) {
    const UChar* a = left ? reinterpret_cast<const UChar*>(left) : u"";
    const UChar* b = right ? reinterpret_cast<const UChar*>(right) : u"";
    int32_t la = int32_t(SysStringLen(left)), lb = int32_t(SysStringLen(right));
    int32_t result = 0;
    if (flags & 1u) {
        UErrorCode status = U_ZERO_ERROR;
        result = u_strCaseCompare(a, la, b, lb, U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
    } else {
        result = u_strCompare(a, la, b, lb, true);
    }
    return order(result < 0, result == 0);
}

} // namespace

extern "C" {

void VariantInit(VARIANT* v) {
    if (!v)
        return;
    std::memset(v, 0, sizeof(VARIANT));
    v->vt = VT_EMPTY;
}

// Frees what the variant owns and leaves it VT_EMPTY. DISP_E_BADVARTYPE (and nothing changes) for a kind the
// platform does not know.
HRESULT VariantClear(VARIANT* v) {
    if (!v)
        return E_INVALIDARG;
    if (!IsValidKind(v->vt))
        return DISP_E_BADVARTYPE;
    if (v->vt & VT_ARRAY) {
        SafeArrayDestroy(v->parray);
    } else if (v->vt == VT_BSTR) {
        SysFreeString(v->bstrVal);
    } else if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal) {
        v->punkVal->Release();
    }
    VariantInit(v);
    return S_OK;
}

// The copy is made before `dest` is cleared, so on failure `dest` keeps what it had.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
    if (!dest || !source)
        return E_INVALIDARG;
    if (dest == source)
        return S_OK;
    if (!IsValidKind(source->vt))
        return DISP_E_BADVARTYPE;
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = copyContent(*source, copy);
    if (FAILED(hr))
        return hr;
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

// VARCMP_LT, VARCMP_EQ or VARCMP_GT; VARCMP_NULL when either side is VT_NULL. Numbers compare by value across
// kinds (VT_EMPTY is zero), texts by code unit (case folded with NORM_IGNORECASE), and a number is less than a
// text. DISP_E_BADVARTYPE for unknown kinds, DISP_E_TYPEMISMATCH for interfaces and arrays.
HRESULT VarCmp(const VARIANT* left, const VARIANT* right, LCID lcid, uint32_t flags) {
    if (!left || !right)
        return E_INVALIDARG;
    if (!IsValidKind(left->vt) || !IsValidKind(right->vt))
        return DISP_E_BADVARTYPE;
    if (left->vt == VT_NULL || right->vt == VT_NULL)
        return VARCMP_NULL;
    bool leftText = left->vt == VT_BSTR, rightText = right->vt == VT_BSTR;
    if (leftText && rightText)
        return compareTexts(left->bstrVal, right->bstrVal, flags);
    if (leftText && right->vt == VT_EMPTY)
        return compareTexts(left->bstrVal, nullptr, flags);
    if (rightText && left->vt == VT_EMPTY)
        return compareTexts(nullptr, right->bstrVal, flags);
    if (leftText && isNumericKind(right->vt))
        return VARCMP_GT;
    if (rightText && isNumericKind(left->vt))
        return VARCMP_LT;
    if (isNumericKind(left->vt) && isNumericKind(right->vt))
        return compareNumbers(*left, *right);
    if (left->vt == VT_ERROR && right->vt == VT_ERROR)
        return order(left->scode < right->scode, left->scode == right->scode);
    return DISP_E_TYPEMISMATCH;
}

} // extern "C"
