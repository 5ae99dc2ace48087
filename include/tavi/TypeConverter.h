// The host's texts of the enumerations that data filters store: field types, geometry (shape) types, feature types,
// dataset types and workspace types, one text per code, compared without regard to case when read back
// (docs/type-texts.md lists them). Domains write their type lists to XML as these texts.
#pragma once

#include "tavi/Unknown.h"

// Each *FromText answers E_INVALIDARG (and 0) for a text that names no code, each *ToText E_INVALIDARG (and a null
// text) for a code that has no text. Null out pointers give E_POINTER.
struct IGPTypeConverter : IUnknown {
    static constexpr IID iid{0xBD65B611, 0xAA51, 0x462F, {0xA1, 0x1A, 0xB0, 0xBA, 0x22, 0x3D, 0x9E, 0x9C}};
    virtual HRESULT DatasetTypeFromText(const OLECHAR* text, int32_t* type) = 0;
    virtual HRESULT DatasetTypeToText(int32_t type, BSTR* text) = 0;
    virtual HRESULT FieldTypeFromText(const OLECHAR* text, int32_t* type) = 0;
    virtual HRESULT FieldTypeToText(int32_t type, BSTR* text) = 0;
    virtual HRESULT GeometryTypeFromText(const OLECHAR* text, int32_t* type) = 0;
    virtual HRESULT GeometryTypeToText(int32_t type, BSTR* text) = 0;
    virtual HRESULT FeatureTypeFromText(const OLECHAR* text, int32_t* type) = 0;
    virtual HRESULT FeatureTypeToText(int32_t type, BSTR* text) = 0;
    // The dataset type of a data element type name ("DEFeatureClass" -> 5), and the data element type name that
    // stands for a dataset type.
    virtual HRESULT DatasetTypeFromElementType(const OLECHAR* elementType, int32_t* type) = 0;
    virtual HRESULT DatasetTypeToElementType(int32_t type, BSTR* elementType) = 0;
    virtual HRESULT WorkspaceTypeFromText(const OLECHAR* text, int32_t* type) = 0;
    virtual HRESULT WorkspaceTypeToText(int32_t type, BSTR* text) = 0;
};

constexpr CLSID CLSID_GPTypeConverter{0x48F71B4D, 0x72CE, 0x42AA, {0xA4, 0x5C, 0x5C, 0x18, 0x0F, 0x6E, 0x78, 0xE8}};

// The settings a caller gives the utility object's PrepareDataElement before it lists a data element's children.
struct IDEListingOptions : IUnknown {
    static constexpr IID iid{0x25E52C75, 0x56A2, 0x4631, {0x9C, 0xA3, 0x2D, 0xE4, 0x61, 0x03, 0xEB, 0xFB}};
    // Whether the children will be listed (false at start).
    virtual HRESULT get_ListChildren(VARIANT_BOOL* list) = 0;
    virtual HRESULT put_ListChildren(VARIANT_BOOL list) = 0;
    // How many levels below the element the caller reads: 1 the children only, -1 (the start value) no limit.
    // E_INVALIDARG for 0 and for values below -1.
    virtual HRESULT get_ChildDepth(int32_t* depth) = 0;
    virtual HRESULT put_ChildDepth(int32_t depth) = 0;
};

constexpr CLSID CLSID_DEListingOptions{0x0592F426, 0x4F2C, 0x4016, {0xAD, 0xC7, 0x0A, 0x84, 0xED, 0x2E, 0x1B, 0xC0}};
