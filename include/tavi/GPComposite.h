// The composite values: the multi-value (a list of values of one member data type), its data type and the name that
// stands for that data type in documents; the value table (records of one value per column), its data type and
// name, and the one-column value table view the multi-value also presents; the composite data
// type (a value of any one of several data types) and its name; and the enumerator of values.
//
// No identifiers are documented for these interfaces; they are name-based (version 5) identifiers of
// "taviGeoprocessing.<interface name>" in the namespace of the library's type library identifier
// {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, so they never change. Every null out pointer gives E_POINTER.
#pragma once

#include "tavi/Collections.h"
#include "tavi/GPValue.h"

// The name of a data type that documents store in its place (answered by the data type names of the composite
// types); it adds no operation to IGPName and IName.
struct IGPDataTypeName : IUnknown {
    static constexpr IID iid{0xED97886C, 0xC946, 0x5027, {0xBE, 0x0D, 0xB3, 0x7F, 0xF4, 0x7D, 0xD0, 0xB4}};
};

// An enumerator of values: Next hands out the next value (S_FALSE and null at the end); Reset starts over.
struct IEnumGPValue : IUnknown {
    static constexpr IID iid{0xFEEF202D, 0xA149, 0x5C29, {0x9A, 0x72, 0xDD, 0x97, 0x22, 0x4A, 0x48, 0x80}};
    virtual HRESULT Next(IGPValue** value) = 0;
    virtual HRESULT Reset() = 0;
};

// A list of values of one member data type.
struct IGPMultiValue : IUnknown {
    static constexpr IID iid{0x402FFF4F, 0x334C, 0x5871, {0xB8, 0x93, 0x51, 0x04, 0x3C, 0xBF, 0x7F, 0x5E}};
    // The member at `index`; E_INVALIDARG outside 0..count-1.
    virtual HRESULT get_Value(int32_t index, IGPValue** value) = 0;
    // An enumerator over a copy of the list; null when the list is empty.
    virtual HRESULT get_Values(IEnumGPValue** values) = 0;
    virtual HRESULT putref_MemberDataType(IGPDataType* dataType) = 0;
    virtual HRESULT get_MemberDataType(IGPDataType** dataType) = 0;
    virtual HRESULT get_Count(int32_t* count) = 0;
    // Appends; a null value is ignored.
    virtual HRESULT AddValue(IGPValue* value) = 0;
    // Inserts before `index`; a null value is ignored.
    virtual HRESULT InsertValue(int32_t index, IGPValue* value) = 0;
    // Removes the first member that is the same object; E_FAIL when none is.
    virtual HRESULT RemoveValue(IGPValue* value) = 0;
    // E_INVALIDARG outside 0..count-1.
    virtual HRESULT Remove(int32_t index) = 0;
    // Remove(index), then InsertValue(index, value).
    virtual HRESULT Replace(int32_t index, IGPValue* value) = 0;
};

// The data type of multi-values: it carries the member data type.
struct IGPMultiValueType : IUnknown {
    static constexpr IID iid{0x4CFDAB32, 0xAC5F, 0x52B5, {0x88, 0xF9, 0x52, 0x93, 0x4F, 0x87, 0xFC, 0xCD}};
    virtual HRESULT putref_MemberDataType(IGPDataType* dataType) = 0;
    virtual HRESULT get_MemberDataType(IGPDataType** dataType) = 0;
};

// The name of a multi-value data type: the member data type by its name.
struct IGPMultiValueDataTypeName : IUnknown {
    static constexpr IID iid{0x81F00F69, 0x173E, 0x5597, {0xBF, 0xBF, 0x0B, 0xE3, 0x87, 0x0A, 0x06, 0xA4}};
    // The stored name as IGPDataTypeName (E_NOINTERFACE and null when it does not answer it).
    virtual HRESULT get_MemberDataTypeName(IGPDataTypeName** name) = 0;
    // Stores the name's IGPName; null clears it.
    virtual HRESULT putref_MemberDataTypeName(IUnknown* name) = 0;
};

// A table of values: records of one value per column, each column of its own data type. A record is an IArray of
// values, one per column.
struct IGPValueTable : IUnknown {
    static constexpr IID iid{0x08EF03FE, 0x05AD, 0x5441, {0x97, 0x65, 0xB1, 0xF2, 0x57, 0x7A, 0x6F, 0xE7}};
    virtual HRESULT get_DataTypeCount(int32_t* count) = 0;
    virtual HRESULT get_DataType(int32_t index, IGPDataType** dataType) = 0;
    virtual HRESULT AddDataType(IGPDataType* dataType) = 0;
    virtual HRESULT RemoveDataType(int32_t index) = 0;
    virtual HRESULT get_RecordCount(int32_t* count) = 0;
    virtual HRESULT GetValue(int32_t row, int32_t column, IGPValue** value) = 0;
    virtual HRESULT SetValue(int32_t row, int32_t column, IGPValue* value) = 0;
    virtual HRESULT AddRecord(IArray* record) = 0;
    virtual HRESULT InsertRecord(int32_t index, IArray* record) = 0;
    virtual HRESULT ReplaceRecord(int32_t index, IArray* record) = 0;
    virtual HRESULT RemoveRecord(int32_t index) = 0;
    virtual HRESULT GetRecord(int32_t index, IArray** record) = 0;
    virtual HRESULT RemoveValue(IGPValue* value) = 0;
};

// The data type of value tables: its columns.
struct IGPValueTableType : IUnknown {
    static constexpr IID iid{0x5A18E925, 0xBDF3, 0x5497, {0x9A, 0x54, 0xCA, 0xC4, 0x4B, 0x43, 0x41, 0x73}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    virtual HRESULT get_DataType(int32_t index, IGPDataType** dataType) = 0;
    virtual HRESULT get_Width(int32_t index, int32_t* width) = 0;
    virtual HRESULT get_DisplayName(int32_t index, BSTR* name) = 0;
    // `control` is an IUID naming the column's editing control, or null.
    virtual HRESULT AddDataType(IGPDataType* dataType, const OLECHAR* displayName, int32_t width,
                                IUnknown* control) = 0;
    virtual HRESULT RemoveDataType(int32_t index) = 0;
    virtual HRESULT get_ControlCLSID(int32_t index, IUID** control) = 0;
    virtual HRESULT put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) = 0;
    virtual HRESULT get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) = 0;
};

// The name of a value table data type: per column the data type's name, heading, width, read-only setting and
// editing control, kept in step.
struct IGPValueTableTypeName : IUnknown {
    static constexpr IID iid{0x2E09854B, 0x7D81, 0x50B2, {0x9F, 0x7E, 0xF0, 0x65, 0xD2, 0xD9, 0x98, 0x17}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    // The column's data type name as IGPDataTypeName. Every index operation gives E_INVALIDARG outside the columns.
    virtual HRESULT get_DataTypeName(int32_t index, IGPDataTypeName** name) = 0;
    virtual HRESULT put_ReadOnly(int32_t index, VARIANT_BOOL readOnly) = 0;
    virtual HRESULT get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) = 0;
    virtual HRESULT get_Width(int32_t index, int32_t* width) = 0;
    virtual HRESULT get_DisplayName(int32_t index, BSTR* name) = 0;
    // Appends a column: the data type name (null gives E_POINTER), the heading, the width (0 becomes 20), not
    // read-only, and the control (an IUID, or null).
    virtual HRESULT AddDataType(IUnknown* name, const OLECHAR* displayName, int32_t width, IUnknown* control) = 0;
    // Removes the column; a negative index removes the last one. E_FAIL outside the columns.
    virtual HRESULT RemoveDataType(int32_t index) = 0;
    virtual HRESULT get_ControlCLSID(int32_t index, IUID** control) = 0;
};

// One column of a value table data type name, as its XML form holds it.
struct IGPValueTableTypeNameProperty : IUnknown {
    static constexpr IID iid{0x1509F5F4, 0x05C7, 0x530F, {0xBD, 0x96, 0x1D, 0x5A, 0x2E, 0xFF, 0x1E, 0x86}};
    virtual HRESULT get_Width(int32_t* width) = 0;
    virtual HRESULT put_Width(int32_t width) = 0;
    // A flag kept for the caller (false at start); no other operation, nor the XML form, uses it.
    virtual HRESULT get_Flag(VARIANT_BOOL* flag) = 0;
    virtual HRESULT put_Flag(VARIANT_BOOL flag) = 0;
    // The data type name as IGPDataTypeName (null when none is set).
    virtual HRESULT get_DataTypeName(IGPDataTypeName** name) = 0;
    virtual HRESULT putref_DataTypeName(IUnknown* name) = 0;
    virtual HRESULT put_DisplayName(const OLECHAR* name) = 0;
    virtual HRESULT get_DisplayName(BSTR* name) = 0;
    virtual HRESULT putref_ControlCLSID(IUID* control) = 0;
    virtual HRESULT get_ControlCLSID(IUID** control) = 0;
};

// A data type that takes a value of any one of its member data types, tried in order.
struct IGPCompositeDataType : IUnknown {
    static constexpr IID iid{0x7CA644F5, 0xA9C5, 0x506A, {0x93, 0x82, 0xCB, 0x1E, 0x4F, 0xB9, 0x72, 0xF3}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    // Null (S_OK) outside the list.
    virtual HRESULT get_DataType(int32_t index, IGPDataType** dataType) = 0;
    virtual HRESULT AddDataType(IGPDataType* dataType) = 0;
    // E_FAIL outside the list.
    virtual HRESULT RemoveDataType(int32_t index) = 0;
};

// The name of a composite data type: its members by their names.
struct IGPCompositeDataTypeName : IUnknown {
    static constexpr IID iid{0xAB1142AA, 0x8304, 0x5126, {0xBF, 0x5F, 0x23, 0x46, 0x8B, 0xA5, 0x84, 0x9A}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    // Null (S_OK) outside the list.
    virtual HRESULT get_DataTypeName(int32_t index, IGPDataTypeName** name) = 0;
    virtual HRESULT AddDataTypeName(IUnknown* name) = 0;
    // E_FAIL outside the list.
    virtual HRESULT RemoveDataTypeName(int32_t index) = 0;
};

// Classes of this family.
constexpr CLSID CLSID_GPMultiValue{0x6A34BC94, 0x06B2, 0x481B, {0xB1, 0x04, 0x66, 0x63, 0xC4, 0xA3, 0x44, 0xEF}};
constexpr CLSID CLSID_GPMultiValueType{0xE798AAA9, 0xF35B, 0x48A1, {0x83, 0x80, 0x83, 0x16, 0x5F, 0x8B, 0x1C, 0xB8}};
constexpr CLSID CLSID_GPMultiValueTypeName{
    0x35DE3370, 0x678E, 0x40FB, {0x9B, 0x7E, 0xFF, 0xAF, 0x08, 0x22, 0x4B, 0x99}};
constexpr CLSID CLSID_GPValueTable{0x98A7A0CD, 0x3282, 0x44CD, {0x90, 0xB7, 0x4F, 0x39, 0xCD, 0xB8, 0x5B, 0x84}};
constexpr CLSID CLSID_GPValueTableType{0x50E9D14F, 0x745A, 0x490A, {0xBF, 0xE3, 0xF7, 0x9A, 0x19, 0xAA, 0x3E, 0x22}};
constexpr CLSID CLSID_GPValueTableTypeName{
    0x65521A5F, 0x7DA6, 0x4893, {0xAE, 0x58, 0xF7, 0x0F, 0xD3, 0xCD, 0x1D, 0xEE}};
constexpr CLSID CLSID_GPValueTableTypeNameProperty{
    0xBCBAB8F3, 0x85D8, 0x4E59, {0xB5, 0x82, 0x0B, 0x9D, 0x58, 0x3A, 0x71, 0x06}};
constexpr CLSID CLSID_GPCompositeDataType{0x69E51B7D, 0x0E6E, 0x4EF6, {0x8B, 0xE8, 0x27, 0x5E, 0xB9, 0x28, 0x1E, 0x13}};
constexpr CLSID CLSID_GPCompositeDataTypeName{
    0x409F1684, 0xA968, 0x43ED, {0x9C, 0x7A, 0x74, 0x7B, 0x6E, 0x66, 0xCA, 0xDD}};
