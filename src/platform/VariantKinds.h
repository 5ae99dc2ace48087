// The variant kinds the platform layer supports, and the facts about each that the variant, conversion and safe
// array functions share.
#pragma once

#include "tavi/Platform.h"

namespace tavi::variantkinds {

// DISP_E_BADINDEX: a safe array index outside the bounds.
constexpr HRESULT kBadIndex = static_cast<HRESULT>(0x8002000B);

// The kinds that hold a number (dates and booleans included: both are numbers underneath).
constexpr bool IsNumberKind(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BOOL:
        return true;
    default:
        return false;
    }
}

// The kinds a safe array or a VT_ARRAY variant may hold.
constexpr bool IsArrayElementKind(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_BOOL:
    case VT_ERROR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
    case VT_VARIANT:
        return true;
    default:
        return false;
    }
}

// The kinds a variant may hold without VT_ARRAY.
constexpr bool IsScalarKind(VARTYPE vt) {
    return vt == VT_EMPTY || vt == VT_NULL || (vt != VT_VARIANT && IsArrayElementKind(vt));
}

// A kind a variant may hold: a scalar, or VT_ARRAY of an element kind.
constexpr bool IsValidKind(VARTYPE vt) {
    if (vt & VT_ARRAY)
        return (vt & ~VT_ARRAY) != 0 && IsArrayElementKind(VARTYPE(vt & ~VT_ARRAY));
    return IsScalarKind(vt);
}

// The bytes one element of the kind takes in a safe array; 0 for kinds no array holds.
constexpr uint32_t ElementSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return sizeof(void*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

} // namespace tavi::variantkinds
