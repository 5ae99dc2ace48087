// The domains that filter data: fields by type and name, feature classes by shape, feature type, spatial index, Z
// and M, files by extension, workspaces and datasets by type, and data elements by type name.
//
// Type lists hold codes; the host's type converter (tavi/TypeConverter.h) gives their texts. Index arguments outside
// 0..count-1 give E_INVALIDARG and null out pointers E_POINTER, unless an operation says otherwise. Every change
// marks the domain dirty.
#pragma once

#include "tavi/Collections.h"
#include "tavi/GPDomains.h"
#include "tavi/GPValue.h"

// The field types, key fields (always allowed) and excluded fields (never allowed) of a field domain.
struct IGPFieldDomain : IUnknown {
    static constexpr IID iid{0x59CA08CF, 0x1173, 0x565A, {0xAF, 0x54, 0x42, 0x6D, 0xDC, 0x99, 0x72, 0xF5}}; // assigned
    virtual HRESULT get_FieldTypeCount(int32_t* count) = 0;
    virtual HRESULT get_FieldType(int32_t index, int32_t* fieldType) = 0;
    virtual HRESULT AddType(int32_t fieldType) = 0;    // appended unless present
    virtual HRESULT RemoveType(int32_t fieldType) = 0; // removed if present
    // A new array (IArray of IField) of the key fields (one new field per key name) followed by the fields of the
    // data the value names that the domain allows. The utility object's result code; S_FALSE and null when the
    // data has no fields.
    virtual HRESULT GetFields(IGPValue* value, IArray** fields) = 0;
    virtual HRESULT put_FilterIndex(VARIANT_BOOL filterIndex, int16_t filterIndexType) = 0;
    virtual HRESULT get_FilterIndex(VARIANT_BOOL* filterIndex) = 0;
    virtual HRESULT get_FilterIndexType(int16_t* filterIndexType) = 0;
    virtual HRESULT get_KeyFieldCount(int32_t* count) = 0;
    virtual HRESULT get_KeyField(int32_t index, BSTR* name) = 0;
    virtual HRESULT AddKeyField(const OLECHAR* name) = 0; // appended, duplicates allowed
    virtual HRESULT RemoveKeyField(int32_t index) = 0;
    virtual HRESULT get_ExcludeFieldCount(int32_t* count) = 0;
    virtual HRESULT get_ExcludeField(int32_t index, BSTR* name) = 0;
    virtual HRESULT AddExcludeField(const OLECHAR* name) = 0;
    virtual HRESULT RemoveExcludeField(int32_t index) = 0;
};

// Whether GetFields asks for raster fields too. Setting it does not mark the domain dirty.
struct IGPFieldDomain2 : IUnknown {
    static constexpr IID iid{0x4A03E3B8, 0x38A3, 0x553E, {0x87, 0xD1, 0x8F, 0xC9, 0x56, 0x4B, 0xE6, 0x32}}; // assigned
    virtual HRESULT get_UseRasterFields(VARIANT_BOOL* use) = 0;
    virtual HRESULT put_UseRasterFields(VARIANT_BOOL use) = 0;
};

// The shape types and filters of a feature class domain.
struct IGPFeatureClassDomain : IUnknown {
    static constexpr IID iid{0x57AC4EAD, 0x0FA7, 0x58F7, {0xB2, 0xD7, 0x60, 0x1D, 0xC9, 0x7C, 0x09, 0xF0}}; // assigned
    virtual HRESULT get_ShapeTypeCount(int32_t* count) = 0;
    virtual HRESULT get_ShapeType(int32_t index, int32_t* shapeType) = 0;
    virtual HRESULT AddShapeType(int32_t shapeType) = 0;
    virtual HRESULT RemoveShapeType(int32_t shapeType) = 0;
    // A new array of the child data elements of the data element the value holds that are feature classes the
    // domain accepts; null (S_OK) when there are none.
    virtual HRESULT GetFeatureClasses(IGPValue* value, IArray** featureClasses) = 0;
    virtual HRESULT put_FilterIndex(VARIANT_BOOL filterIndex, VARIANT_BOOL filterIndexType) = 0;
    virtual HRESULT get_FilterIndex(VARIANT_BOOL* filterIndex) = 0;
    virtual HRESULT get_FilterIndexType(VARIANT_BOOL* filterIndexType) = 0;
    virtual HRESULT put_FilterHasMs(VARIANT_BOOL filterHasMs, VARIANT_BOOL includeHasMs) = 0;
    virtual HRESULT get_FilterHasMs(VARIANT_BOOL* filterHasMs) = 0;
    virtual HRESULT get_IncludeHasMs(VARIANT_BOOL* includeHasMs) = 0;
    virtual HRESULT put_FilterHasZs(VARIANT_BOOL filterHasZs, VARIANT_BOOL includeHasZs) = 0;
    virtual HRESULT get_FilterHasZs(VARIANT_BOOL* filterHasZs) = 0;
    virtual HRESULT get_IncludeHasZs(VARIANT_BOOL* includeHasZs) = 0;
};

// The feature type list, and a third list of codes that membership does not use.
struct IGPFeatureClassDomain2 : IGPFeatureClassDomain {
    static constexpr IID iid{0x96873D4C, 0x9EF7, 0x52C8, {0x8B, 0x77, 0xF4, 0xDD, 0x04, 0x3C, 0xAE, 0x85}}; // assigned
    virtual HRESULT get_FeatureTypeCount(int32_t* count) = 0;
    virtual HRESULT get_FeatureType(int32_t index, int32_t* featureType) = 0;
    virtual HRESULT AddFeatureType(int32_t featureType) = 0;
    virtual HRESULT RemoveFeatureType(int32_t featureType) = 0;
    virtual HRESULT get_TypeCount(int32_t* count) = 0;
    virtual HRESULT get_Type(int32_t index, int32_t* type) = 0;
    virtual HRESULT AddType(int32_t type) = 0;
    virtual HRESULT RemoveType(int32_t type) = 0;
};

// The file extensions (without their point; "*" any file) of a file domain.
struct IGPFileDomain : IUnknown {
    static constexpr IID iid{0x8C7B0DCF, 0xCD75, 0x57C3, {0x9D, 0x75, 0x60, 0x8E, 0x7D, 0x10, 0x46, 0x08}}; // assigned
    virtual HRESULT get_FileExtensionCount(int32_t* count) = 0;
    virtual HRESULT get_FileExtension(int32_t index, BSTR* extension) = 0;
    virtual HRESULT AddFileExtension(const OLECHAR* extension) = 0;    // unless present in any letter case
    virtual HRESULT RemoveFileExtension(const OLECHAR* extension) = 0; // the first equal in any letter case
    // For a value that holds data elements (an IArray, or a value answering IGPMultiValue), a new array of those
    // whose catalog path has one of the extensions.
    virtual HRESULT FilterDataElements(IUnknown* value, IArray** elements) = 0;
};

// The workspace types (taviWorkspaceType numbers) of a workspace domain; none accepts every workspace.
struct IGPWorkspaceDomain : IUnknown {
    static constexpr IID iid{0x7FEEBBDF, 0xAF2E, 0x4FE1, {0xB2, 0x8A, 0xDB, 0x6B, 0xF5, 0xB9, 0xC8, 0x69}};
    virtual HRESULT get_TypeCount(int32_t* count) = 0;
    virtual HRESULT get_Type(int32_t index, int32_t* type) = 0;
    virtual HRESULT AddType(int32_t type) = 0;
    virtual HRESULT RemoveType(int32_t type) = 0;
    // A new array of the children of the data element the value holds that the domain accepts; null (S_OK) when
    // none is. E_INVALIDARG for a value that is no data element.
    virtual HRESULT GetMatchingChildren(IGPValue* value, IArray** children) = 0;
};

// The dataset types (taviDatasetType numbers) of a dataset domain, and its versioning filters.
struct IGPDatasetDomain : IUnknown {
    static constexpr IID iid{0x98FD17FD, 0x0943, 0x4513, {0xB0, 0x97, 0x5A, 0xF3, 0xD0, 0x6B, 0x6B, 0x39}};
    virtual HRESULT get_TypeCount(int32_t* count) = 0;
    virtual HRESULT get_Type(int32_t index, int32_t* type) = 0;
    virtual HRESULT AddType(int32_t type) = 0;
    virtual HRESULT RemoveType(int32_t type) = 0;
    virtual HRESULT GetMatchingChildren(IGPValue* value, IArray** children) = 0;
    virtual HRESULT put_FilterVersioned(VARIANT_BOOL check, VARIANT_BOOL required) = 0;
    virtual HRESULT get_FilterVersioned(VARIANT_BOOL* check) = 0;
    virtual HRESULT get_FilterVersionedType(VARIANT_BOOL* required) = 0;
    virtual HRESULT put_FilterCanVersion(VARIANT_BOOL check, VARIANT_BOOL required) = 0;
    virtual HRESULT get_FilterCanVersion(VARIANT_BOOL* check) = 0;
    virtual HRESULT get_FilterCanVersionType(VARIANT_BOOL* required) = 0;
};

// The data element type names ("DEFeatureClass", "DEWorkspace", ...) of a data element domain, compared without
// regard to case; none accepts every data element.
struct IDataElementDomain : IUnknown {
    static constexpr IID iid{0x5082C43E, 0x0803, 0x44AB, {0xB9, 0x78, 0x68, 0xB7, 0x9F, 0x6C, 0xE5, 0x09}};
    virtual HRESULT get_TypeCount(int32_t* count) = 0;
    virtual HRESULT get_Type(int32_t index, BSTR* name) = 0;
    virtual HRESULT AddType(const OLECHAR* name) = 0;
    virtual HRESULT RemoveType(const OLECHAR* name) = 0;
    virtual HRESULT GetMatchingChildren(IGPValue* value, IArray** children) = 0;
};

constexpr CLSID CLSID_GPFieldDomain{0xD7FFAFF1, 0x5990, 0x4828, {0x82, 0x63, 0xAA, 0x93, 0xC1, 0xC0, 0xBD, 0x6A}};
constexpr CLSID CLSID_GPFeatureClassDomain{
    0x652EC5FF, 0x1772, 0x49AB, {0xB7, 0xC7, 0x43, 0x91, 0x43, 0xD4, 0x4D, 0x56}};
constexpr CLSID CLSID_GPFileDomain{0x3EDC8E3A, 0xFF87, 0x47E1, {0xAF, 0x34, 0x09, 0xBB, 0x4C, 0xB2, 0x2D, 0xA9}};
constexpr CLSID CLSID_GPWorkspaceDomain{0x0238381E, 0x083F, 0x4D29, {0x93, 0x3D, 0x09, 0xB4, 0x6E, 0xCC, 0xCF, 0x73}};
constexpr CLSID CLSID_GPDatasetDomain{0x507CDA98, 0xCEFD, 0x4BFC, {0xBF, 0x14, 0x21, 0xA4, 0x1B, 0x77, 0x3E, 0x2D}};
constexpr CLSID CLSID_DataElementDomain{0xB6F39D28, 0xC6F6, 0x45B4, {0xA6, 0x0C, 0x26, 0x01, 0xA1, 0x1B, 0xE4, 0xBD}};
