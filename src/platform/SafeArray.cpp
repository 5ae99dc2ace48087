// One-dimensional safe arrays of the scalar kinds, BSTRs, interfaces and variants. The array owns its elements:
// destroying it frees the texts, releases the interfaces and clears the variants.
#include "platform/VariantKinds.h"
#include "tavi/Unknown.h"

#include <cstdlib>
#include <cstring>
#include <new>

using namespace tavi::variantkinds;

namespace {

constexpr uint16_t FADF_HAVEVARTYPE = 0x0080;
constexpr uint16_t FADF_BSTR = 0x0100;
constexpr uint16_t FADF_UNKNOWN = 0x0200;
constexpr uint16_t FADF_DISPATCH = 0x0400;
constexpr uint16_t FADF_VARIANT = 0x0800;

uint16_t featuresOf(VARTYPE vt) {
    switch (vt) {
    case VT_BSTR:
        return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
        return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH:
        return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT:
        return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
        return FADF_HAVEVARTYPE;
    }
}

void* elementAt(const SAFEARRAY* array, uint32_t offset) {
    return static_cast<char*>(array->pvData) + size_t(offset) * array->cbElements;
}

// The element offset of an index; false when it is outside the bounds.
bool offsetOf(const SAFEARRAY* array, const int32_t* index, uint32_t& offset) {
    int64_t relative = int64_t(*index) - array->rgsabound[0].lLbound;
    if (relative < 0 || relative >= int64_t(array->rgsabound[0].cElements))
        return false;
    offset = uint32_t(relative);
    return true;
}

// Frees what an element owns and leaves it zero.
void releaseElement(VARTYPE vt, void* element) {
    switch (vt) {
    case VT_BSTR:
        SysFreeString(*static_cast<BSTR*>(element));
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (auto* unknown = *static_cast<IUnknown**>(element))
            unknown->Release();
        break;
    case VT_VARIANT:
        VariantClear(static_cast<VARIANT*>(element));
        break;
    default:
        break;
    }
    std::memset(element, 0, ElementSize(vt));
}

// Copies one element from `from` into the zeroed slot `to`: a new BSTR, a new reference, a deep variant copy.
HRESULT copyElement(VARTYPE vt, const void* from, void* to) {
    switch (vt) {
    case VT_BSTR: {
        BSTR source = *static_cast<const BSTR*>(from);
        if (!source)
            return S_OK;
        BSTR copy = SysAllocStringByteLen(reinterpret_cast<const char*>(source), SysStringByteLen(source));
        if (!copy)
            return E_OUTOFMEMORY;
        *static_cast<BSTR*>(to) = copy;
        return S_OK;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
        IUnknown* unknown = *static_cast<IUnknown* const*>(from);
        if (unknown)
            unknown->AddRef();
        *static_cast<IUnknown**>(to) = unknown;
        return S_OK;
    }
    case VT_VARIANT:
        VariantInit(static_cast<VARIANT*>(to));
        return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(from));
    default:
        std::memcpy(to, from, ElementSize(vt));
        return S_OK;
    }
}

bool isArray(const SAFEARRAY* array) {
    return array && array->cDims == 1 && IsArrayElementKind(array->vt);
}

} // namespace

extern "C" {

// Null for a kind no array holds or when memory runs out. The elements start zero (empty texts, null interfaces,
// empty variants).
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lowerBound, uint32_t count) {
    if (!IsArrayElementKind(vt))
        return nullptr;
    uint32_t size = ElementSize(vt);
    auto* array = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
    if (!array)
        return nullptr;
    array->pvData = std::calloc(count ? count : 1, size);
    if (!array->pvData) {
        std::free(array);
        return nullptr;
    }
    array->cDims = 1;
    array->fFeatures = featuresOf(vt);
    array->cbElements = size;
    array->vt = vt;
    array->rgsabound[0].cElements = count;
    array->rgsabound[0].lLbound = lowerBound;
    return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (!array)
        return S_OK;
    if (!isArray(array))
        return E_INVALIDARG;
    for (uint32_t i = 0; i < array->rgsabound[0].cElements; ++i)
        releaseElement(array->vt, elementAt(array, i));
    std::free(array->pvData);
    std::free(array);
    return S_OK;
}

// A deep copy; *out is null on failure.
HRESULT SafeArrayCopy(const SAFEARRAY* source, SAFEARRAY** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!isArray(source))
        return E_INVALIDARG;
    SAFEARRAY* copy = SafeArrayCreateVector(source->vt, source->rgsabound[0].lLbound, source->rgsabound[0].cElements);
    if (!copy)
        return E_OUTOFMEMORY;
    for (uint32_t i = 0; i < source->rgsabound[0].cElements; ++i) {
        HRESULT hr = copyElement(source->vt, elementAt(source, i), elementAt(copy, i));
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *out = copy;
    return S_OK;
}

// Copies the element into *out: a new BSTR the caller frees, an added reference, a variant copy (out is taken as
// uninitialized memory). DISP_E_BADINDEX outside the bounds.
HRESULT SafeArrayGetElement(const SAFEARRAY* array, const int32_t* index, void* out) {
    if (!isArray(array) || !index || !out)
        return E_INVALIDARG;
    uint32_t offset = 0;
    if (!offsetOf(array, index, offset))
        return kBadIndex;
    std::memset(out, 0, array->cbElements);
    return copyElement(array->vt, elementAt(array, offset), out);
}

// Stores a copy of the value: for VT_BSTR, VT_UNKNOWN and VT_DISPATCH `value` is the BSTR or interface itself;
// for the other kinds it points to the value (a VARIANT* for VT_VARIANT). The element's old content is freed.
HRESULT SafeArrayPutElement(SAFEARRAY* array, const int32_t* index, const void* value) {
    if (!isArray(array) || !index)
        return E_INVALIDARG;
    uint32_t offset = 0;
    if (!offsetOf(array, index, offset))
        return kBadIndex;
    VARTYPE vt = array->vt;
    bool direct = vt == VT_BSTR || vt == VT_UNKNOWN || vt == VT_DISPATCH;
    if (!direct && !value)
        return E_INVALIDARG;
    alignas(VARIANT) unsigned char fresh[sizeof(VARIANT)] = {};
    HRESULT hr = copyElement(vt, direct ? static_cast<const void*>(&value) : value, fresh);
    if (FAILED(hr))
        return hr;
    void* slot = elementAt(array, offset);
    releaseElement(vt, slot);
    std::memcpy(slot, fresh, array->cbElements);
    return S_OK;
}

} // extern "C"
