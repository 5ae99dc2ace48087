// The field info family: a value listing the fields of a layer or table with, for each, a new name (alias), whether
// it is visible, and how its values are split when features are split; its data type; and the property object that
// carries one field's settings in the value's XML form.
//
// An entry is addressed by its position in the list (the entry index, 0..count-1); an entry index outside the list
// gives E_FAIL. The field index of an entry is something else: the position of the field in its table (-1 when not
// known, as for entries read from text). Every null out pointer gives E_POINTER; a null text argument is the empty
// text.
//
// Besides the settings the text form carries, an entry keeps what it knows of the field it came from: the field's
// alias in its table, the name of that table, the field's type code (a taviFieldType, -1 when not known), length and
// precision. Entries built from a table (IGPFieldInfo4) fill them in; the stream and XML forms keep them; the text
// form does not.
//
// The interfaces' identifiers are name-based (version 5) identifiers of "taviGeoprocessing.<interface name>" in the
// namespace {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, as those of tavi/GPComposite.h.
#pragma once

#include "tavi/GPValue.h"

// How an entry's values are split when its features are split.
enum taviFieldSplitRule : int32_t {
    taviFieldSplitNone = 0,  // the value is kept ("NONE")
    taviFieldSplitRatio = 1, // the value is divided in proportion to the parts ("RATIO"); any nonzero rule means this
};

// The entries and their main settings.
struct IGPFieldInfo : IUnknown {
    static constexpr IID iid{0x515B366A, 0x5308, 0x53BE, {0xAB, 0xB5, 0xA0, 0xCD, 0x26, 0x1C, 0x1E, 0x4F}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    virtual HRESULT get_Name(int32_t index, BSTR* name) = 0;
    virtual HRESULT put_Name(int32_t index, const OLECHAR* name) = 0;
    virtual HRESULT get_NewName(int32_t index, BSTR* newName) = 0;
    virtual HRESULT put_NewName(int32_t index, const OLECHAR* newName) = 0;
    virtual HRESULT get_FieldIndex(int32_t index, int32_t* fieldIndex) = 0;
    virtual HRESULT put_FieldIndex(int32_t index, int32_t fieldIndex) = 0;
    // VARIANT_TRUE (-1) or VARIANT_FALSE (0); any nonzero `visible` makes the entry visible.
    virtual HRESULT get_Visible(int32_t index, VARIANT_BOOL* visible) = 0;
    virtual HRESULT put_Visible(int32_t index, VARIANT_BOOL visible) = 0;
    // A taviFieldSplitRule; the rule is kept as given (any nonzero rule reads as "RATIO").
    virtual HRESULT get_SplitRule(int32_t index, int32_t* rule) = 0;
    virtual HRESULT put_SplitRule(int32_t index, int32_t rule) = 0;
    // The entry's error mark, set by whoever validated it. It is no part of the content: IsEqual ignores it and the
    // stream form does not keep it (the XML form does).
    virtual HRESULT get_HasError(int32_t index, VARIANT_BOOL* hasError) = 0;
    virtual HRESULT put_HasError(int32_t index, VARIANT_BOOL hasError) = 0;
    // Appends an entry (without error mark and with the further settings unknown).
    virtual HRESULT AddField(const OLECHAR* name, const OLECHAR* newName, int32_t fieldIndex, VARIANT_BOOL visible,
                             int32_t rule) = 0;
    virtual HRESULT RemoveField(int32_t index) = 0;
    virtual HRESULT RemoveAll() = 0;
    // The entry index of the first entry of that name, compared lower-cased; -1 and S_FALSE when there is none.
    virtual HRESULT FindField(const OLECHAR* name, int32_t* index) = 0;
};

// The texts an entry keeps of its field's source: the field's alias in its table and the table's name.
struct IGPFieldInfo2 : IUnknown {
    static constexpr IID iid{0xB587324D, 0xB51D, 0x526A, {0x9A, 0x4A, 0xBB, 0xDA, 0x80, 0x1B, 0x9E, 0xF1}};
    virtual HRESULT get_SourceAlias(int32_t index, BSTR* alias) = 0;
    virtual HRESULT put_SourceAlias(int32_t index, const OLECHAR* alias) = 0;
    virtual HRESULT get_SourceTable(int32_t index, BSTR* table) = 0;
    virtual HRESULT put_SourceTable(int32_t index, const OLECHAR* table) = 0;
};

// The numbers an entry keeps of its field: type code (a taviFieldType, -1 when not known), length and precision.
struct IGPFieldInfo3 : IUnknown {
    static constexpr IID iid{0xA1A93D68, 0xEEAE, 0x5738, {0xB3, 0x11, 0x14, 0x90, 0x34, 0x1A, 0xC9, 0x9A}};
    virtual HRESULT get_FieldType(int32_t index, int32_t* type) = 0;
    virtual HRESULT put_FieldType(int32_t index, int32_t type) = 0;
    virtual HRESULT get_FieldLength(int32_t index, int32_t* length) = 0;
    virtual HRESULT put_FieldLength(int32_t index, int32_t length) = 0;
    virtual HRESULT get_FieldPrecision(int32_t index, int32_t* precision) = 0;
    virtual HRESULT put_FieldPrecision(int32_t index, int32_t precision) = 0;
};

// Entries built from a table: one per field in field order, with field index = the field's position, name and new
// name = the field's name, visible, split rule "NONE", no error mark, and the further settings read from the field
// (its alias, its type, length and precision, and the table's name). The entries replace the value's; a table that
// cannot be read changes nothing.
struct IGPFieldInfo4 : IUnknown {
    static constexpr IID iid{0x2CC94435, 0x037B, 0x5C3C, {0x94, 0x15, 0xCD, 0xA0, 0xA0, 0x0E, 0x2A, 0x03}};
    // `table` answers ITable, or is the IFields list itself. E_INVALIDARG for null or anything else.
    virtual HRESULT SetFromTable(IUnknown* table) = 0;
    // The table at the catalog path (a file such as "roads.shp" or a dataset in a container such as
    // "city.gpkg/roads"), opened through the data access layer; its result code when it cannot be opened as a table.
    virtual HRESULT SetFromCatalogPath(const OLECHAR* catalogPath) = 0;
};

// One entry's settings, as the value's XML form writes them.
struct IGPFieldInfoProperty : IUnknown {
    static constexpr IID iid{0x5A4BD193, 0x2518, 0x5629, {0xA7, 0xD0, 0x22, 0xAF, 0x2C, 0x00, 0x23, 0xA8}};
    virtual HRESULT get_Index(int32_t* fieldIndex) = 0;
    virtual HRESULT put_Index(int32_t fieldIndex) = 0;
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT get_Alias(BSTR* newName) = 0;
    virtual HRESULT put_Alias(const OLECHAR* newName) = 0;
    virtual HRESULT get_SplitRule(int32_t* rule) = 0;
    virtual HRESULT put_SplitRule(int32_t rule) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* visible) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0; // any nonzero: visible
    virtual HRESULT get_HasError(VARIANT_BOOL* hasError) = 0;
    virtual HRESULT put_HasError(VARIANT_BOOL hasError) = 0; // any nonzero: marked
    virtual HRESULT get_SourceAlias(BSTR* alias) = 0;
    virtual HRESULT put_SourceAlias(const OLECHAR* alias) = 0;
    virtual HRESULT get_SourceTable(BSTR* table) = 0;
    virtual HRESULT put_SourceTable(const OLECHAR* table) = 0;
    virtual HRESULT get_FieldType(int32_t* type) = 0;
    virtual HRESULT put_FieldType(int32_t type) = 0;
    virtual HRESULT get_FieldLength(int32_t* length) = 0;
    virtual HRESULT put_FieldLength(int32_t length) = 0;
    virtual HRESULT get_FieldPrecision(int32_t* precision) = 0;
    virtual HRESULT put_FieldPrecision(int32_t precision) = 0;
};

// Data type marker.
struct IGPFieldInfoType : IUnknown {
    static constexpr IID iid{0xFD928473, 0xE1A8, 0x589F, {0xB4, 0x07, 0x51, 0x14, 0x47, 0x32, 0xA9, 0xF6}};
};

constexpr CLSID CLSID_GPFieldInfo{0x2ECE5CD7, 0x8567, 0x44C7, {0xA6, 0xA3, 0xC8, 0x6F, 0xAF, 0x2B, 0x55, 0x50}};
constexpr CLSID CLSID_GPFieldInfoType{0x0602F3B9, 0xE9F6, 0x49D8, {0x9C, 0x54, 0x6E, 0x13, 0xE4, 0x7F, 0x06, 0xC3}};
constexpr CLSID CLSID_GPFieldInfoProperty{0x1D752F2C, 0x4AED, 0x48AA, {0xBC, 0xC2, 0x0E, 0x64, 0x49, 0xEC, 0xD8, 0x06}};
