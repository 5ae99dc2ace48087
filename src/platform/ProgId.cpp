// Programmatic identifiers: HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID names the class's identifier, and
// HKEY_CLASSES_ROOT\<progid>\CLSID names the class back.
#include "platform/Guid.h"
#include "platform/Registry.h"

#include <cstring>
#include <string>

namespace {

// Registry failures other than a missing key or value mean the store could not be read.
HRESULT ReadFailure(LSTATUS status, HRESULT missing) {
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE)
        return missing;
    if (status == ERROR_OUTOFMEMORY)
        return E_OUTOFMEMORY;
    return REGDB_E_READREGDB;
}

} // namespace

extern "C" {

HRESULT ProgIDFromCLSID(REFCLSID clsid, OLECHAR** progId) {
    if (!progId)
        return E_POINTER;
    *progId = nullptr;
    try {
        std::u16string path = u"CLSID\\" + tavi::GuidText(clsid) + u"\\ProgID";
        std::u16string found;
        if (LSTATUS status = tavi::RegistryReadString(HKEY_CLASSES_ROOT, path, u"", &found))
            return ReadFailure(status, REGDB_E_CLASSNOTREG);
        if (found.empty())
            return REGDB_E_CLASSNOTREG;
        size_t bytes = (found.size() + 1) * sizeof(OLECHAR);
        auto* copy = static_cast<OLECHAR*>(CoTaskMemAlloc(bytes));
        if (!copy)
            return E_OUTOFMEMORY;
        std::memcpy(copy, found.c_str(), bytes);
        *progId = copy;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = GUID_NULL;
    if (!progId)
        return E_INVALIDARG;
    try {
        std::u16string_view name(progId);
        // A programmatic identifier is one key name: an empty one or one with a backslash names no class.
        if (name.empty() || name.find(u'\\') != std::u16string_view::npos)
            return CO_E_CLASSSTRING;
        std::u16string path(name);
        path += u"\\CLSID";
        std::u16string text;
        if (LSTATUS status = tavi::RegistryReadString(HKEY_CLASSES_ROOT, path, u"", &text))
            return ReadFailure(status == ERROR_INVALID_PARAMETER ? ERROR_FILE_NOT_FOUND : status, CO_E_CLASSSTRING);
        CLSID parsed = GUID_NULL;
        if (FAILED(CLSIDFromString(text.c_str(), &parsed)))
            return CO_E_CLASSSTRING;
        *clsid = parsed;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // extern "C"
