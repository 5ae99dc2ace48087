// Field mappings: how the fields of an output table are made from the fields of input tables. A field map
// (IGPFieldMap) is one output field with the input fields that feed it, the part of each input text that is taken and
// the rule that merges several input values into one; a field mapping (IGPFieldMapping) is the value that holds the
// field maps of an output table and the input tables they draw on.
//
// Fields are platform fields (IField, CLSID_Field) and input tables are table data elements (IDEGdbTable7, such as
// the elements OpenDataElement gives or table descriptions). Interface identifiers are name-based (version 5)
// identifiers of "taviGeoprocessing.<interface name>" in the namespace {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}.
#pragma once

#include "tavi/DataAccess.h"
#include "tavi/GPValue.h"

// Merge rules: how the values of a field map's inputs become one output value.
enum taviGPFieldMapMergeRule : int32_t {
    taviGPFieldMapMergeRuleNone = 0,
    taviGPFieldMapMergeRuleMin = 1,
    taviGPFieldMapMergeRuleMax = 2,
    taviGPFieldMapMergeRuleStdDev = 3,
    taviGPFieldMapMergeRuleMean = 4,
    taviGPFieldMapMergeRuleMedian = 5,
    taviGPFieldMapMergeRuleSum = 6,
    taviGPFieldMapMergeRuleJoin = 7,
    taviGPFieldMapMergeRuleFirst = 8,
    taviGPFieldMapMergeRuleLast = 9,
    taviGPFieldMapMergeRuleMode = 10,
    taviGPFieldMapMergeRuleCount = 11,
    taviGPFieldMapMergeRuleRange = 12,
    taviGPFieldMapMergeRuleVariance = 13,
    taviGPFieldMapMergeRuleUnique = 14,
    taviGPFieldMapMergeRuleConcatenate = 15,
};

// The failure of a field map whose inputs cannot feed its output field: a Blob field mapped to another type or back.
constexpr HRESULT TAVI_E_FIELDMAP_TYPE_MISMATCH = static_cast<HRESULT>(0x80040655);

// One output field and its inputs. An input entry is an input field of an input table, the text positions taken
// from it (start and end, -1 for the whole value and for its end) and the position of its table among the input
// tables of the mapping it belongs to. Operations on an entry by index give E_FAIL for an index outside the entries.
struct IGPFieldMap : IUnknown {
    static constexpr IID iid{0x49BCEC51, 0xD24B, 0x58F6, {0xA8, 0xF8, 0xEB, 0xA9, 0x0F, 0xFE, 0xA0, 0x7E}};
    virtual HRESULT RemoveAll() = 0; // drops every input entry
    virtual HRESULT get_InputFieldCount(int32_t* count) = 0;
    // For each input entry, a copy of its input field named by the entry's table path joined to the field name.
    virtual HRESULT GetQualifiedFields(IFields** fields) = 0;
    virtual HRESULT get_OutputField(IField** field) = 0;    // a copy; E_FAIL when there is none
    virtual HRESULT putref_OutputField(IField* field) = 0;  // E_FAIL for a field whose name is blank
    virtual HRESULT get_MergeRule(int32_t* rule) = 0;       // a taviGPFieldMapMergeRule
    virtual HRESULT put_MergeRule(int32_t rule) = 0;        // E_INVALIDARG outside the rules
    virtual HRESULT get_JoinDelimiter(BSTR* delimiter) = 0; // empty when none
    virtual HRESULT put_JoinDelimiter(const OLECHAR* delimiter) = 0;
    virtual HRESULT AddInputField(IDEGdbTable7* table, IField* field, int32_t start, int32_t end) = 0;
    // The first entry whose table has the catalog path of `table` (slashes read as backslashes) and whose field is
    // named `fieldName`, both without regard to case; -1 when there is none.
    virtual HRESULT FindInputField(IDEGdbTable7* table, const OLECHAR* fieldName, int32_t* index) = 0;
    virtual HRESULT RemoveInputField(int32_t index) = 0;
    virtual HRESULT get_InputField(int32_t index, IField** field) = 0;
    virtual HRESULT get_InputTable(int32_t index, IDEGdbTable7** table) = 0;
    virtual HRESULT GetTextPositions(int32_t index, int32_t* start, int32_t* end) = 0;
    virtual HRESULT SetTextPositions(int32_t index, int32_t start, int32_t end) = 0;
    virtual HRESULT get_InputTableIndex(int32_t index, int32_t* tableIndex) = 0;
    virtual HRESULT put_InputTableIndex(int32_t index, int32_t tableIndex) = 0;
};

// The field map's text in the field mapping grammar, both ways. SetAsText replaces the whole map; a text that cannot
// be read, or a map that fails the field map check, leaves the map as it was (E_FAIL, or the check's failure).
struct IGPFieldMapImpl : IUnknown {
    static constexpr IID iid{0xC489E363, 0x2FA6, 0x5531, {0x91, 0xF4, 0x90, 0x79, 0x4F, 0xAE, 0xCD, 0xB1}};
    virtual HRESULT GetAsText(BSTR* text) = 0;
    virtual HRESULT SetAsText(const OLECHAR* text) = 0;
    // S_OK when the map may stand in a mapping: it has a named output field and no input is a Blob field while the
    // output is not, or the other way round (TAVI_E_FIELDMAP_TYPE_MISMATCH); E_FAIL without a named output field.
    virtual HRESULT Check() = 0;
};

// The field maps of an output table and the input tables they draw on. Field maps are handed out and taken as
// copies; operations by index give E_FAIL for an index outside the field maps.
struct IGPFieldMapping : IUnknown {
    static constexpr IID iid{0xE5D05258, 0xCF3A, 0x53A2, {0x8C, 0xD1, 0x94, 0xA5, 0x7C, 0xDE, 0x25, 0x48}};
    // Merges the fields of `table` into the field maps (same-named fields into one map; a field that cannot join
    // its namesake starts a map under a numbered name) and appends the table to the input tables.
    virtual HRESULT AddTable(IDEGdbTable7* table) = 0;
    virtual HRESULT GetOutputFields(IFields** fields) = 0; // every field map's output field, in order
    virtual HRESULT RemoveAll() = 0;                       // drops every field map and input table
    virtual HRESULT get_FieldMapCount(int32_t* count) = 0;
    virtual HRESULT GetFieldMap(int32_t index, IGPFieldMap** fieldMap) = 0;
    virtual HRESULT ReplaceFieldMap(int32_t index, IGPFieldMap* fieldMap) = 0; // the field map check's failure
    virtual HRESULT AddFieldMap(IGPFieldMap* fieldMap) = 0;                    // the field map check's failure
    // Removes the input table at `tableIndex` with every input entry drawn from it; field maps left without inputs
    // go, and the later tables' entries move down one place.
    virtual HRESULT RemoveTable(int32_t tableIndex) = 0;
    virtual HRESULT RemoveFieldMap(int32_t index) = 0;
    // Builds the field maps again from the input tables alone, as AddTable made them, dropping every edit.
    virtual HRESULT ResetFieldMaps() = 0;
};

// The mapping's input and target tables.
struct IGPFieldMappingImpl : IUnknown {
    static constexpr IID iid{0xF8AB634A, 0x623F, 0x54D7, {0xB9, 0x2C, 0xAD, 0x26, 0xA4, 0xAE, 0xC7, 0x49}};
    virtual HRESULT get_InputTableCount(int32_t* count) = 0;
    virtual HRESULT get_InputTable(int32_t index, IDEGdbTable7** table) = 0; // E_FAIL outside the tables
    virtual HRESULT get_TargetTable(IDEGdbTable7** table) = 0;               // S_FALSE with null when none
    virtual HRESULT putref_TargetTable(IDEGdbTable7* table) = 0;
};

// The field mapping data type's marker.
struct IGPFieldMappingType : IUnknown {
    static constexpr IID iid{0x78F7BC63, 0xE2CF, 0x5606, {0xAB, 0xAF, 0xD0, 0xCB, 0xA1, 0x54, 0xEE, 0x6A}};
};

constexpr CLSID CLSID_GPFieldMapping{0xD9272DB9, 0xF03C, 0x4484, {0x8F, 0xD2, 0x8A, 0x50, 0x47, 0xB2, 0xCB, 0xB6}};
constexpr CLSID CLSID_GPFieldMappingType{0x92AD7ED4, 0x25DE, 0x45BC, {0xB4, 0x60, 0xBE, 0xE2, 0x0A, 0xFF, 0x77, 0x69}};
constexpr CLSID CLSID_GPFieldMap{0xDECF43A7, 0x578A, 0x48CA, {0xBC, 0xA2, 0x4B, 0x11, 0x14, 0x8E, 0x20, 0x09}};
