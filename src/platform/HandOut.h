// Out-arguments handed to a caller: a copy of a text as a new BSTR, or a plain value. Every interface operation that
// answers a text or a value through an out-pointer uses these, so that each gives the same codes.
#pragma once

#include "platform/BStr.h"
#include "tavi/Platform.h"

#include <new>
#include <string_view>

namespace tavi {

// A new BSTR holding `text` in *out, owned by the caller. E_POINTER for a null out; E_OUTOFMEMORY (and null in *out)
// when the copy cannot be made; never S_OK with a null text.
inline HRESULT HandOut(std::u16string_view text, BSTR* out) noexcept {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    try {
        *out = BStr(text).Detach(); // BStr's rules: a text too long for a BSTR is out of memory, not cut short
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// `value` in *out; E_POINTER for a null out.
template <class T> HRESULT HandOutValue(T value, T* out) noexcept {
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

} // namespace tavi
