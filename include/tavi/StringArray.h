// The platform's string array: an ordered list of texts that is also an XML object of type "ArrayOfString", one
// "String" element per text. Domains and parameters store their lists of names and type texts in it.
#pragma once

#include "tavi/Unknown.h"

struct IStringArray : IUnknown {
    static constexpr IID iid{0x206216C9, 0x7253, 0x4A4D, {0x92, 0xDD, 0x60, 0x32, 0x9F, 0xD9, 0xD7, 0x92}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    // A copy of the text at `index`; E_INVALIDARG outside 0..count-1.
    virtual HRESULT get_Element(int32_t index, BSTR* text) = 0;
    // A null text is stored as an empty one.
    virtual HRESULT Add(const OLECHAR* text) = 0;
    // `index` may be 0 to count; E_INVALIDARG otherwise.
    virtual HRESULT Insert(int32_t index, const OLECHAR* text) = 0;
    virtual HRESULT Remove(int32_t index) = 0;
    virtual HRESULT RemoveAll() = 0;
    virtual HRESULT Replace(int32_t index, const OLECHAR* text) = 0;
};

// The string array class (IStringArray, IXMLSerialize, IClone, IPersistStream).
constexpr CLSID CLSID_StringArray{0xA7F92065, 0x36CE, 0x47B6, {0xA4, 0x63, 0x47, 0x63, 0xDA, 0x94, 0x7C, 0xC2}};
