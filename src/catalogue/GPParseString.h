// GPParseString: the text tokenizer as an object. A thin layer over TextTokenizer that checks arguments, hands out
// new BSTRs and keeps exceptions from crossing the interfaces.
#pragma once

#include "host/TextTokenizer.h"
#include "platform/Object.h"
#include "tavi/GPCatalog.h"

namespace tavi {

class GPParseString final
    : public Object<GPParseString, Alias<IGPParseString, IGPParseString2>, IGPParseString2, IGPParseStringImpl> {
public:
    static constexpr CLSID kClassId = CLSID_GPParseString;
    static constexpr const char16_t* kClassName = u"GPParseString";

    // A null text reads as the empty text and a null separator as a blank.
    HRESULT Init(const OLECHAR* text, const OLECHAR* separator) override;
    HRESULT NextToken(BSTR* token) override;
    HRESULT NextPlainToken(BSTR* token) override;
    HRESULT get_NextIsGrouped(VARIANT_BOOL* grouped) override;
    // The first character of `character` is added; E_INVALIDARG when it is the empty text.
    HRESULT AddCharacter(const OLECHAR* character, VARIANT_BOOL* inQuotes, VARIANT_BOOL* complete,
                         BSTR* token) override;

    HRESULT get_Rest(BSTR* rest) override;
    HRESULT NextDouble(double* value) override;
    // 0 and the conversion's code when the token is not a number; 0 and DISP_E_OVERFLOW outside 32 bits.
    HRESULT NextLong(int32_t* value) override;
    HRESULT NextBool(VARIANT_BOOL* value) override;
    HRESULT NeedsQuote(const OLECHAR* text, VARIANT_BOOL* needsQuote) override;
    HRESULT Quote(const OLECHAR* text, BSTR* quoted) override;
    HRESULT ParseDouble(const OLECHAR* text, double* value) override;
    HRESULT FormatDouble(double value, BSTR* text) override;

    HRESULT NextDoubleQuotedToken(BSTR* token) override;
    HRESULT NextGroupedToken(int32_t* start, int32_t* end, BSTR* token) override;

    // The engine, for code inside the library that holds the object.
    TextTokenizer& Tokenizer() { return tokenizer_; }

private:
    TextTokenizer tokenizer_;
};

} // namespace tavi
