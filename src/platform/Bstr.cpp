// BSTR allocation: a 32-bit byte count, the text, and a terminating zero (two zero bytes, so that a string with an
// odd byte length is still terminated as text). Freed strings go straight back to the heap: a cache of freed
// strings would hide use-after-free faults from the sanitizers.
#include "tavi/Platform.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// The largest byte count the 32-bit prefix can carry while leaving room for the prefix and terminator.
constexpr uint32_t kMaxBytes = 0xFFFFFFFFu - kPrefix - sizeof(OLECHAR) - 1;

uint32_t* prefixOf(BSTR text) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kPrefix);
}

// Allocates room for `byteLength` bytes of text, sets the prefix and the terminator, and copies `bytes` when given.
// Null when the length cannot be represented or memory runs out.
BSTR allocateBytes(const void* bytes, uint32_t byteLength) {
    if (byteLength > kMaxBytes)
        return nullptr;
    // The terminator is two zero bytes after the text; one more byte keeps the allocation a whole number of
    // characters when the byte length is odd.
    size_t total = kPrefix + size_t(byteLength) + sizeof(OLECHAR) + (byteLength & 1u);
    auto* block = static_cast<char*>(std::malloc(total));
    if (!block)
        return nullptr;
    std::memcpy(block, &byteLength, kPrefix);
    char* text = block + kPrefix;
    if (bytes)
        std::memmove(text, bytes, byteLength);
    else
        std::memset(text, 0, byteLength);
    std::memset(text + byteLength, 0, sizeof(OLECHAR) + (byteLength & 1u));
    return reinterpret_cast<BSTR>(text);
}

uint32_t textLength(const OLECHAR* text) {
    uint32_t n = 0;
    while (text[n])
        ++n;
    return n;
}

// Replaces *target with a fresh copy of text[0, length). The copy is made before the old string is freed, so the
// source may be (part of) the string being replaced.
int32_t reallocate(BSTR* target, const OLECHAR* text, uint32_t length) {
    if (!target)
        return 0;
    if (length > kMaxBytes / sizeof(OLECHAR))
        return 0;
    BSTR fresh = allocateBytes(text, length * uint32_t(sizeof(OLECHAR)));
    if (!fresh)
        return 0;
    SysFreeString(*target);
    *target = fresh;
    return 1;
}

} // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
    if (!text)
        return nullptr;
    return SysAllocStringLen(text, textLength(text));
}

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    if (length > kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    return allocateBytes(text, length * uint32_t(sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(const char* bytes, uint32_t byteLength) {
    return allocateBytes(bytes, byteLength);
}

int32_t SysReAllocString(BSTR* target, const OLECHAR* text) {
    if (!text)
        return reallocate(target, nullptr, 0);
    return reallocate(target, text, textLength(text));
}

int32_t SysReAllocStringLen(BSTR* target, const OLECHAR* text, uint32_t length) {
    return reallocate(target, text, length);
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(prefixOf(text));
}

uint32_t SysStringLen(BSTR text) {
    return text ? *prefixOf(text) / uint32_t(sizeof(OLECHAR)) : 0;
}

uint32_t SysStringByteLen(BSTR text) {
    return text ? *prefixOf(text) : 0;
}

} // extern "C"
