// GPParseString: argument checks and BSTR hand-out around the tokenizer engine.
#include "catalogue/GPParseString.h"

namespace tavi {

namespace {

std::u16string_view viewOf(const OLECHAR* text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

// Hands `text` out as a new BSTR in `*out` (already cleared).
HRESULT handOut(std::u16string_view text, BSTR* out) {
    BSTR made = MakeBSTR(text);
    if (!made)
        return E_OUTOFMEMORY;
    *out = made;
    return S_OK;
}

VARIANT_BOOL toVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

HRESULT GPParseString::Init(const OLECHAR* text, const OLECHAR* separator) {
    return guard([&] { tokenizer_.Init(viewOf(text), viewOf(separator)); });
}

HRESULT GPParseString::NextToken(BSTR* token) {
    if (FAILED(ClearOut(token)))
        return E_POINTER;
    return guard([&] { return handOut(tokenizer_.NextToken(), token); });
}

HRESULT GPParseString::NextPlainToken(BSTR* token) {
    if (FAILED(ClearOut(token)))
        return E_POINTER;
    return guard([&] { return handOut(tokenizer_.NextPlainToken(), token); });
}

HRESULT GPParseString::get_NextIsGrouped(VARIANT_BOOL* grouped) {
    if (!grouped)
        return E_POINTER;
    *grouped = toVariantBool(tokenizer_.NextIsGrouped());
    return S_OK;
}

HRESULT GPParseString::AddCharacter(const OLECHAR* character, VARIANT_BOOL* inQuotes, VARIANT_BOOL* complete,
                                    BSTR* token) {
    if (!character || !inQuotes || !complete || FAILED(ClearOut(token)))
        return E_POINTER;
    *inQuotes = *complete = VARIANT_FALSE;
    if (character[0] == 0)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        std::u16string_view collected;
        TextTokenizer::Added added = tokenizer_.AddCharacter(character[0], collected);
        HRESULT hr = handOut(collected, token);
        if (FAILED(hr))
            return hr;
        *inQuotes = toVariantBool(added.inQuotes);
        *complete = toVariantBool(added.complete);
        return S_OK;
    });
}

HRESULT GPParseString::get_Rest(BSTR* rest) {
    if (FAILED(ClearOut(rest)))
        return E_POINTER;
    return guard([&] { return handOut(tokenizer_.Rest(), rest); });
}

HRESULT GPParseString::NextDouble(double* value) {
    if (!value)
        return E_POINTER;
    return guard([&] { return tokenizer_.NextDouble(*value); });
}

HRESULT GPParseString::NextLong(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = 0;
    return guard([&] { return tokenizer_.NextLong(*value); });
}

HRESULT GPParseString::NextBool(VARIANT_BOOL* value) {
    if (!value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        bool read = false;
        HRESULT hr = tokenizer_.NextBool(read);
        if (SUCCEEDED(hr))
            *value = toVariantBool(read);
        return hr;
    });
}

HRESULT GPParseString::NeedsQuote(const OLECHAR* text, VARIANT_BOOL* needsQuote) {
    if (!needsQuote)
        return E_POINTER;
    *needsQuote = toVariantBool(GeoprocessingUtil::NeedsQuote(viewOf(text)));
    return S_OK;
}

HRESULT GPParseString::Quote(const OLECHAR* text, BSTR* quoted) {
    if (FAILED(ClearOut(quoted)))
        return E_POINTER;
    return guard([&] { return handOut(GeoprocessingUtil::Quote(viewOf(text)), quoted); });
}

HRESULT GPParseString::ParseDouble(const OLECHAR* text, double* value) {
    if (!value)
        return E_POINTER;
    return guard([&] { return TextTokenizer::ParseDouble(viewOf(text), *value); });
}

HRESULT GPParseString::FormatDouble(double value, BSTR* text) {
    if (FAILED(ClearOut(text)))
        return E_POINTER;
    return guard([&]() -> HRESULT {
        String formatted;
        HRESULT hr = TextTokenizer::FormatDouble(value, formatted);
        return FAILED(hr) ? hr : handOut(formatted, text);
    });
}

HRESULT GPParseString::NextDoubleQuotedToken(BSTR* token) {
    if (FAILED(ClearOut(token)))
        return E_POINTER;
    return guard([&] { return handOut(tokenizer_.NextDoubleQuotedToken(), token); });
}

HRESULT GPParseString::NextGroupedToken(int32_t* start, int32_t* end, BSTR* token) {
    if (!start || !end || FAILED(ClearOut(token)))
        return E_POINTER;
    *start = *end = -1;
    return guard([&]() -> HRESULT {
        int32_t first = -1;
        int32_t last = -1;
        HRESULT hr = handOut(tokenizer_.NextGroupedToken(first, last), token);
        if (SUCCEEDED(hr)) {
            *start = first;
            *end = last;
        }
        return hr;
    });
}

} // namespace tavi
