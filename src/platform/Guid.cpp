// Identifiers: parsing and formatting the braced text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and making
// random (version 4) identifiers.
#include "platform/Guid.h"
#include "tavi/Platform.h"
#include "tavi/Registry.h"

#include <cerrno>
#include <sys/random.h>

namespace {

constexpr size_t kGuidTextLength = 38; // braces, 32 digits, 4 hyphens

int hexValue(OLECHAR c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at text[pos]; false when one is not a digit.
bool readHex(const OLECHAR* text, size_t pos, int digits, uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = hexValue(text[pos + i]);
        if (d < 0)
            return false;
        value = (value << 4) | uint64_t(d);
    }
    return true;
}

// Parses exactly the braced form, digits in either case, nothing before or after it.
bool parseBraced(const OLECHAR* text, GUID& out) {
    size_t length = 0;
    while (length <= kGuidTextLength && text[length])
        ++length;
    if (length != kGuidTextLength || text[0] != u'{' || text[37] != u'}')
        return false;
    if (text[9] != u'-' || text[14] != u'-' || text[19] != u'-' || text[24] != u'-')
        return false;
    uint64_t v = 0;
    GUID g{};
    if (!readHex(text, 1, 8, v))
        return false;
    g.Data1 = uint32_t(v);
    if (!readHex(text, 10, 4, v))
        return false;
    g.Data2 = uint16_t(v);
    if (!readHex(text, 15, 4, v))
        return false;
    g.Data3 = uint16_t(v);
    static constexpr size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!readHex(text, kBytePos[i], 2, v))
            return false;
        g.Data4[i] = uint8_t(v);
    }
    out = g;
    return true;
}

void putHex(OLECHAR*& p, uint64_t value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i)
        *p++ = kDigits[(value >> (4 * i)) & 0xF];
}

} // namespace

extern "C" {

// A null text is the null identifier. Text that is not the braced form is looked up as a programmatic identifier;
// CO_E_CLASSSTRING when that fails too. The out value is written only on success.
HRESULT CLSIDFromString(const OLECHAR* text, CLSID* out) {
    if (!out)
        return E_POINTER;
    if (!text) {
        *out = GUID_NULL;
        return S_OK;
    }
    if (parseBraced(text, *out))
        return S_OK;
    if (text[0] != u'{' && text[0] != 0) {
        CLSID found{};
        if (SUCCEEDED(CLSIDFromProgID(text, &found))) {
            *out = found;
            return S_OK;
        }
    }
    return CO_E_CLASSSTRING;
}

// Interface identifiers have no programmatic names: only the braced form, else E_INVALIDARG.
HRESULT IIDFromString(const OLECHAR* text, IID* out) {
    if (!out)
        return E_POINTER;
    if (!text) {
        *out = GUID_NULL;
        return S_OK;
    }
    return parseBraced(text, *out) ? S_OK : E_INVALIDARG;
}

// Writes the braced upper-case form and its terminator; returns the characters written including the terminator,
// or 0 (writing nothing) when the buffer is null or shorter than 39.
int32_t StringFromGUID2(REFGUID guid, OLECHAR* buffer, int32_t capacity) {
    if (!buffer || capacity < int32_t(kGuidTextLength + 1))
        return 0;
    OLECHAR* p = buffer;
    *p++ = u'{';
    putHex(p, guid.Data1, 8);
    *p++ = u'-';
    putHex(p, guid.Data2, 4);
    *p++ = u'-';
    putHex(p, guid.Data3, 4);
    *p++ = u'-';
    putHex(p, guid.Data4[0], 2);
    putHex(p, guid.Data4[1], 2);
    *p++ = u'-';
    for (int i = 2; i < 8; ++i)
        putHex(p, guid.Data4[i], 2);
    *p++ = u'}';
    *p = 0;
    return int32_t(kGuidTextLength + 1);
}

// A random identifier: 122 random bits from the kernel's entropy source (no user-space generator whose state a
// fork would duplicate), version 4, RFC 4122 variant. E_FAIL only if the kernel refuses to give random bytes.
HRESULT CoCreateGuid(GUID* out) {
    if (!out)
        return E_POINTER;
    uint8_t bytes[16];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return E_FAIL;
        }
        filled += size_t(got);
    }
    GUID g{};
    g.Data1 = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    g.Data2 = uint16_t(bytes[4] << 8 | bytes[5]);
    g.Data3 = uint16_t(((bytes[6] << 8 | bytes[7]) & 0x0FFF) | 0x4000);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = bytes[8 + i];
    g.Data4[0] = uint8_t((g.Data4[0] & 0x3F) | 0x80);
    *out = g;
    return S_OK;
}

} // extern "C"

std::u16string tavi::GuidText(REFGUID guid) {
    OLECHAR text[kGuidTextLength + 1];
    StringFromGUID2(guid, text, int32_t(kGuidTextLength + 1));
    return std::u16string(text, kGuidTextLength);
}
