// The key-value family: a value made of named entries (the key-value), its data type (which declares the keys, each
// with its own data type and a required flag), the name that stands for that data type in documents, and the pairs
// their XML forms are written with. Both the data type and the value also present themselves as a value table of
// one column per key (IGPValueTableType, IGPValueTable in tavi/GPComposite.h); the value table has one record.
//
// Keys are texts compared exactly (letter case counts). Declarations keep the order they were added in; positions
// follow that order. The interfaces' identifiers are name-based (version 5) identifiers of
// "taviGeoprocessing.<interface name>" in the namespace {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, as those of
// tavi/GPComposite.h. Every null out pointer gives E_POINTER unless an operation says otherwise.
#pragma once

#include "tavi/Collections.h"
#include "tavi/GPComposite.h"
#include "tavi/GPValue.h"

// The keys of a key-value data type, by name.
struct IGPKeyValueType : IUnknown {
    static constexpr IID iid{0xAD8F7FE6, 0xA0BF, 0x5ECE, {0x9E, 0x15, 0xEC, 0x40, 0x04, 0x7D, 0xAD, 0x2C}};
    // A new string list (IBStringArray) of the key names in declaration order.
    virtual HRESULT get_Keys(IBStringArray** names) = 0;
    // Declares a key at the end. `dataType` may be null (the key then takes no value from text). E_INVALIDARG for a
    // null name, a name already declared, or the type itself as `dataType` (here and wherever a key's data type is
    // set: a type cannot hold itself).
    virtual HRESULT AddKey(const OLECHAR* name, IGPDataType* dataType, VARIANT_BOOL required) = 0;
    // The key's data type (null when it has none). E_INVALIDARG for a null or undeclared name.
    virtual HRESULT get_KeyDataType(const OLECHAR* name, IGPDataType** dataType) = 0;
    // E_INVALIDARG for a null or undeclared name.
    virtual HRESULT RemoveKey(const OLECHAR* name) = 0;
    virtual HRESULT RemoveAllKeys() = 0;
    // Replaces the key's data type (null: none). E_INVALIDARG for a null or undeclared name.
    virtual HRESULT putref_KeyDataType(const OLECHAR* name, IGPDataType* dataType) = 0;
    // The key's position. E_INVALIDARG (and -1) for a null argument or an undeclared name.
    virtual HRESULT GetKeyIndex(const OLECHAR* name, int32_t* index) = 0;
    // E_INVALIDARG for a null or undeclared name.
    virtual HRESULT get_KeyRequired(const OLECHAR* name, VARIANT_BOOL* required) = 0;
    // Any non-zero `required` makes the key required. E_INVALIDARG for a null or undeclared name.
    virtual HRESULT put_KeyRequired(const OLECHAR* name, VARIANT_BOOL required) = 0;
};

// The keys of a key-value data type, by position. An index outside 0..count-1 gives E_INVALIDARG.
struct IGPKeyValueTypeIndex : IUnknown {
    static constexpr IID iid{0x22687A28, 0x11E3, 0x527C, {0xAC, 0x27, 0x3A, 0x90, 0x38, 0x14, 0x65, 0x0A}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    virtual HRESULT get_Key(int32_t index, BSTR* name) = 0;
    // The position of the key `name`; -1 and S_FALSE when it is not declared (or null).
    virtual HRESULT Find(const OLECHAR* name, int32_t* index) = 0;
    virtual HRESULT RemoveKeyAt(int32_t index) = 0;
    virtual HRESULT get_DataType(int32_t index, IGPDataType** dataType) = 0;
    // E_INVALIDARG for a null data type too.
    virtual HRESULT putref_DataType(int32_t index, IGPDataType* dataType) = 0;
    // VARIANT_TRUE (-1) or VARIANT_FALSE (0).
    virtual HRESULT get_Required(int32_t index, VARIANT_BOOL* required) = 0;
    // The key is required exactly when `required` is VARIANT_TRUE (-1).
    virtual HRESULT put_Required(int32_t index, VARIANT_BOOL required) = 0;
};

// A key-value by key name. The keys are those its data type declares.
struct IGPKeyValue : IUnknown {
    static constexpr IID iid{0xDA9D1C44, 0x3210, 0x5F3B, {0x80, 0x61, 0x0B, 0x42, 0xF3, 0xD0, 0xBA, 0x4D}};
    // Makes the value use a copy of `dataType`'s declarations (the key data types themselves are shared). Values of
    // keys the new type still declares are kept, the others dropped. E_INVALIDARG unless `dataType` answers
    // IGPKeyValueType.
    virtual HRESULT putref_DataType(IGPDataType* dataType) = 0;
    // A new string list (IBStringArray) of the declared key names in declaration order.
    virtual HRESULT get_Keys(IBStringArray** names) = 0;
    // The key's value, or null (S_OK) when it holds none. E_INVALIDARG for a null or undeclared key.
    virtual HRESULT get_Value(const OLECHAR* key, IGPValue** value) = 0;
    // Stores `value` for the key (held, not copied); null leaves the key without value. E_INVALIDARG for a null or
    // undeclared key, and for the key-value itself as the value.
    virtual HRESULT putref_Value(const OLECHAR* key, IGPValue* value) = 0;
    // Leaves the key without value (the declaration stays). E_INVALIDARG for a null or undeclared key.
    virtual HRESULT RemoveKeyValue(const OLECHAR* key) = 0;
};

// A key-value by key position. An index outside 0..count-1 gives E_INVALIDARG.
struct IGPKeyValueIndex : IUnknown {
    static constexpr IID iid{0xA93574F5, 0x8CE8, 0x5ACF, {0x9B, 0xC1, 0x35, 0x35, 0xE0, 0x24, 0xF3, 0xF7}};
    // The number of declared keys (whether they hold a value or not).
    virtual HRESULT get_Count(int32_t* count) = 0;
    virtual HRESULT get_Key(int32_t index, BSTR* name) = 0;
    // The key's value, or null (S_OK) when it holds none.
    virtual HRESULT get_Value(int32_t index, IGPValue** value) = 0;
    // As IGPKeyValue::putref_Value.
    virtual HRESULT putref_Value(int32_t index, IGPValue* value) = 0;
    virtual HRESULT RemoveValueAt(int32_t index) = 0;
    // The position of the key `name`; -1 and S_FALSE when it is not declared (or null).
    virtual HRESULT Find(const OLECHAR* name, int32_t* index) = 0;
};

// One entry of a key-value's XML form: a key and its value.
struct IGPKeyValuePair : IUnknown {
    static constexpr IID iid{0xD2F75935, 0xF64D, 0x5EF0, {0x8B, 0x4F, 0xA9, 0xCD, 0x4B, 0x3B, 0x64, 0x69}};
    virtual HRESULT get_Key(BSTR* key) = 0;
    // A null key is the empty text.
    virtual HRESULT put_Key(const OLECHAR* key) = 0;
    virtual HRESULT get_Value(IGPValue** value) = 0;
    virtual HRESULT putref_Value(IGPValue* value) = 0;
};

// One key declaration by name: the key, its data type's name and the required flag.
struct IGPKeyValueTypeNamePair : IUnknown {
    static constexpr IID iid{0x679D3DAE, 0x7E13, 0x5A47, {0x8E, 0xE7, 0xDC, 0x6E, 0x97, 0x11, 0x8C, 0x39}};
    virtual HRESULT get_Key(BSTR* key) = 0;
    // A null key is the empty text.
    virtual HRESULT put_Key(const OLECHAR* key) = 0;
    // The stored name as IGPDataTypeName (E_NOINTERFACE and null when it does not answer it; null when none).
    virtual HRESULT get_DataTypeName(IGPDataTypeName** name) = 0;
    // Stores the name's IGPName; null (or an object without IGPName) clears it.
    virtual HRESULT putref_DataTypeName(IUnknown* name) = 0;
    virtual HRESULT get_Required(VARIANT_BOOL* required) = 0;
    // Any non-zero `required` makes the key required.
    virtual HRESULT put_Required(VARIANT_BOOL required) = 0;
};

// The name of a key-value data type: its key declarations as name pairs, in order.
struct IGPKeyValueTypeName : IUnknown {
    static constexpr IID iid{0xB1DCECE8, 0xE5DA, 0x5B28, {0x9D, 0xC6, 0x48, 0xEC, 0x27, 0xC3, 0x45, 0x31}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    // A new pair holding the declaration at `index`. E_INVALIDARG outside 0..count-1.
    virtual HRESULT get_Pair(int32_t index, IGPKeyValueTypeNamePair** pair) = 0;
    // Appends the pair's declaration (its fields are copied). E_INVALIDARG for a null pair or a key already there.
    virtual HRESULT AddPair(IGPKeyValueTypeNamePair* pair) = 0;
    // E_INVALIDARG outside 0..count-1.
    virtual HRESULT RemovePair(int32_t index) = 0;
    virtual HRESULT RemoveAllPairs() = 0;
};

// Classes of this family. The type name's identifier is assigned: the name-based identifier of
// "taviGeoprocessing.GPKeyValueTypeName" in the same namespace.
constexpr CLSID CLSID_GPKeyValue{0x75E306F8, 0x43BB, 0x4470, {0x90, 0xB3, 0xBB, 0x2D, 0xD1, 0x9D, 0xB1, 0x74}};
constexpr CLSID CLSID_GPKeyValueType{0xADAEA3B6, 0x4E26, 0x4A05, {0xA6, 0xB2, 0x8B, 0xBF, 0x29, 0xD3, 0x50, 0x94}};
constexpr CLSID CLSID_GPKeyValuePair{0xCD11BA57, 0x42DF, 0x4A6F, {0xAC, 0x02, 0xEA, 0x79, 0x97, 0x2B, 0xEF, 0xB9}};
constexpr CLSID CLSID_GPKeyValueTypeName{
    0x1FFB1DC2, 0x5695, 0x5830, {0xA4, 0xBC, 0x3F, 0x08, 0xCB, 0x7C, 0x79, 0xAB}}; // assigned
constexpr CLSID CLSID_GPKeyValueTypeNamePair{
    0xA92A74C3, 0xA708, 0x44D6, {0x8C, 0xBC, 0xF6, 0x21, 0x89, 0xE4, 0xBA, 0x08}};
