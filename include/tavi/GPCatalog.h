// The catalogue interfaces: name lists, the layer support of the data type factory, tool names and the tool
// factory they open through, and the text tokenizer.
#pragma once

#include "tavi/GPValue.h"

struct IEnumGPEnvironment;

// Reads a list of names one by one; S_FALSE (and null) past the last.
struct IEnumGPName : IUnknown {
    static constexpr IID iid{0x4DAA55F1, 0xB959, 0x4C53, {0x99, 0x0B, 0xA8, 0x71, 0xB1, 0x9B, 0xA3, 0xD6}};
    virtual HRESULT Next(IGPName** name) = 0;
    virtual HRESULT Reset() = 0;
};

// Wraps a layer object of the mapping host into the matching layer value.
struct IGPLayerSupport : IUnknown {
    static constexpr IID iid{0x9029AAC3, 0xEBD3, 0x4FA9, {0xA9, 0xF8, 0x81, 0x53, 0x77, 0x5C, 0x87, 0x0C}};
    // E_FAIL when no layer value fits the object.
    virtual HRESULT MakeLayerValue(IUnknown* layer, IGPValue** value) = 0;
    // Not supported: always E_FAIL.
    virtual HRESULT MakeLayer(IGPValue* value, IUnknown** layer) = 0;
};

// The name of one geoprocessing tool, with its help reference.
struct IGPFunctionName : IUnknown {
    static constexpr IID iid{0x4CDFD9F9, 0xAE02, 0x460E, {0x8A, 0xA2, 0x8B, 0xD6, 0x9E, 0x06, 0x95, 0x6E}};
    virtual HRESULT get_HelpFile(BSTR* helpFile) = 0;
    virtual HRESULT put_HelpFile(const OLECHAR* helpFile) = 0;
    virtual HRESULT get_HelpContext(int32_t* helpContext) = 0;
    virtual HRESULT put_HelpContext(int32_t helpContext) = 0;
};

// A factory of geoprocessing tools, as a tool name opens it.
struct IGPFunctionFactory : IUnknown {
    static constexpr IID iid{0x669E0215, 0xB827, 0x4130, {0x90, 0x14, 0xDF, 0x1A, 0x53, 0xC6, 0x88, 0x05}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_Alias(BSTR* alias) = 0;
    virtual HRESULT get_CLSID(IUID** id) = 0;
    // The tool of that name.
    virtual HRESULT GetFunction(const OLECHAR* name, IUnknown** function) = 0;
    // The name object of the tool of that name.
    virtual HRESULT GetFunctionName(const OLECHAR* name, IGPName** functionName) = 0;
    // The environment settings the factory's tools honour (null when the factory names none).
    virtual HRESULT GetFunctionEnvironments(IEnumGPEnvironment** settings) = 0;
    // The names of the tools of one category.
    virtual HRESULT GetFunctionNamesInCategory(const OLECHAR* category, IEnumGPName** names) = 0;
    // The names of every tool of the factory.
    virtual HRESULT GetFunctionNames(IEnumGPName** names) = 0;
};

// Splits a line of text into tokens at a separator; quotes and parentheses group text holding the separator.
struct IGPParseString : IUnknown {
    static constexpr IID iid{0x05BEBF04, 0x93DB, 0x4B17, {0x97, 0xBD, 0xB1, 0x58, 0x79, 0x2C, 0x66, 0x25}};
    virtual HRESULT Init(const OLECHAR* text, const OLECHAR* separator) = 0;
    virtual HRESULT NextToken(BSTR* token) = 0;
    virtual HRESULT NextPlainToken(BSTR* token) = 0;
    virtual HRESULT get_NextIsGrouped(VARIANT_BOOL* grouped) = 0;
    // Incremental reading: one character at a time; *complete when a separator ends a token that had begun.
    virtual HRESULT AddCharacter(const OLECHAR* character, VARIANT_BOOL* inQuotes, VARIANT_BOOL* complete,
                                 BSTR* token) = 0;
};

// The tokenizer's typed readers, quoting and locale-aware numbers, after the five operations of IGPParseString.
struct IGPParseString2 : IGPParseString {
    static constexpr IID iid{0x1A39705F, 0x345B, 0x4C6D, {0xB5, 0xD5, 0xAA, 0xD3, 0xF5, 0xB4, 0xB2, 0x18}};
    virtual HRESULT get_Rest(BSTR* rest) = 0;
    virtual HRESULT NextDouble(double* value) = 0;
    virtual HRESULT NextLong(int32_t* value) = 0;
    virtual HRESULT NextBool(VARIANT_BOOL* value) = 0;
    virtual HRESULT NeedsQuote(const OLECHAR* text, VARIANT_BOOL* needsQuote) = 0;
    virtual HRESULT Quote(const OLECHAR* text, BSTR* quoted) = 0;
    virtual HRESULT ParseDouble(const OLECHAR* text, double* value) = 0;
    virtual HRESULT FormatDouble(double value, BSTR* text) = 0;
};

// The tokenizer's own readers.
struct IGPParseStringImpl : IUnknown {
    static constexpr IID iid{0xE774ABFB, 0x5035, 0x42A2, {0xA7, 0x12, 0x76, 0xC1, 0xC9, 0xBE, 0xCB, 0xD9}};
    virtual HRESULT NextDoubleQuotedToken(BSTR* token) = 0;
    // The token's first and last character positions, or -1 for both when there is none.
    virtual HRESULT NextGroupedToken(int32_t* start, int32_t* end, BSTR* token) = 0;
};

constexpr CLSID CLSID_GPFunctionName{0x9A332F42, 0x377F, 0x4213, {0x95, 0x4B, 0xB6, 0x8C, 0xC8, 0xB9, 0xCE, 0x46}};
constexpr CLSID CLSID_EnumGPName{0x5B0071FC, 0x8D88, 0x49DF, {0x8B, 0x40, 0x50, 0xE9, 0xE1, 0x90, 0xA0, 0xF6}};
constexpr CLSID CLSID_GPParseString{0x9D1636D7, 0x383A, 0x45C1, {0xB2, 0xE8, 0x29, 0xAC, 0x59, 0x12, 0x78, 0x27}};
constexpr CLSID CLSID_GPUtilities{0x59E42101, 0x2F33, 0x4B6D, {0x8C, 0xEE, 0xEE, 0xD9, 0xD9, 0x8D, 0x19, 0x57}};
constexpr CLSID CLSID_DEUtilities{0xF0C2AA3E, 0xB2F1, 0x4208, {0x98, 0x43, 0x6A, 0x3C, 0x70, 0xA4, 0x68, 0x0A}};
