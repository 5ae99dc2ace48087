// Owners for the platform's text and variant: BStr frees its BSTR, Variant clears itself. Both are header-only so
// that hosts of the library can use them too. A failed allocation throws std::bad_alloc.
#pragma once

#include "tavi/Platform.h"

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace tavi {

// An owned BSTR. Making a copy of a text throws std::bad_alloc when the allocation fails (an interface operation's
// guard turns that into E_OUTOFMEMORY), so a BStr made from a text never silently holds null; only BStr() and
// BStr(nullptr) do.
class BStr {
public:
    BStr() = default;
    explicit BStr(std::u16string_view text) : s_(Checked(SysAllocStringLen(text.data(), Length(text)))) {}
    explicit BStr(const OLECHAR* text) : s_(text ? Checked(SysAllocString(text)) : nullptr) {}
    BStr(const BStr&) = delete;
    BStr& operator=(const BStr&) = delete;
    BStr(BStr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    BStr& operator=(BStr&& other) noexcept {
        if (this != &other) {
            Reset();
            s_ = std::exchange(other.s_, nullptr);
        }
        return *this;
    }
    ~BStr() { Reset(); }

    static BStr Adopt(BSTR raw) {
        BStr result;
        result.s_ = raw;
        return result;
    }
    void Reset() { SysFreeString(std::exchange(s_, nullptr)); }
    BSTR* Out() {
        Reset();
        return &s_;
    }
    [[nodiscard]] BSTR Detach() { return std::exchange(s_, nullptr); }
    BSTR Get() const { return s_; }
    // A null BSTR reads as the empty text everywhere.
    const OLECHAR* c_str() const { return s_ ? s_ : u""; }
    uint32_t size() const { return SysStringLen(s_); }
    bool empty() const { return size() == 0; }
    std::u16string_view view() const { return {c_str(), size()}; }
    std::u16string str() const { return std::u16string(view()); }
    bool IsNull() const { return s_ == nullptr; }

private:
    static uint32_t Length(std::u16string_view text) {
        if (text.size() > UINT32_MAX / sizeof(OLECHAR))
            throw std::bad_alloc();
        return static_cast<uint32_t>(text.size());
    }
    static BSTR Checked(BSTR made) {
        if (!made)
            throw std::bad_alloc();
        return made;
    }

    BSTR s_ = nullptr;
};

class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(const Variant& other) : Variant() { VariantCopy(this, &other); }
    Variant(Variant&& other) noexcept : VARIANT(other) { VariantInit(&other); }
    explicit Variant(const VARIANT& other) : Variant() { VariantCopy(this, &other); }
    Variant& operator=(const Variant& other) {
        if (this != &other)
            VariantCopy(this, &other);
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(this);
            static_cast<VARIANT&>(*this) = other;
            VariantInit(&other);
        }
        return *this;
    }
    ~Variant() { VariantClear(this); }

    static Variant Double(double value) {
        Variant v;
        v.vt = VT_R8;
        v.dblVal = value;
        return v;
    }
    static Variant Int(int32_t value) {
        Variant v;
        v.vt = VT_I4;
        v.lVal = value;
        return v;
    }
    static Variant Bool(bool value) {
        Variant v;
        v.vt = VT_BOOL;
        v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static Variant Date(DATE value) {
        Variant v;
        v.vt = VT_DATE;
        v.date = value;
        return v;
    }
    // Throws std::bad_alloc when the text cannot be copied.
    static Variant Text(std::u16string_view text) {
        Variant v;
        v.bstrVal = BStr(text).Detach();
        v.vt = VT_BSTR;
        return v;
    }
    void Clear() { VariantClear(this); }
    VARIANT* Out() {
        VariantClear(this);
        return this;
    }
    // Hands the content to the caller and leaves this variant empty.
    VARIANT Detach() {
        VARIANT raw = *this;
        VariantInit(this);
        return raw;
    }
    HRESULT ChangeType(VARTYPE to, LCID lcid = LOCALE_USER_DEFAULT, uint16_t flags = 0) {
        return VariantChangeTypeEx(this, this, lcid, flags, to);
    }
};

} // namespace tavi
