// The record set value (GPRecordSet) and the feature set value (GPFeatureRecordSetLayer), with their data types. A
// record set value holds a table of records: an in-memory record set (IRecordSet), given, read from a record set
// file (".dat"), or fetched on demand from the address of a feature service layer.
//
// Identifiers marked "assigned" are name-based (version 5) identifiers of "taviGeoprocessing.<name>" in the namespace
// of the library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}; the others are the documented
// ones. Every getter gives E_POINTER for a null out pointer.
#pragma once

#include "tavi/GPValue.h"
#include "tavi/RecordSet.h"

struct IGPRecordSet : IUnknown {
    static constexpr IID iid{0x23A1155C, 0x92FB, 0x4FCD, {0x87, 0x1C, 0xA7, 0xFF, 0xB9, 0xB3, 0x26, 0xAB}};
    // The records, loaded on demand (from the record set file, or fetched from the service); null when there are
    // none. A failed load returns its error.
    virtual HRESULT get_RecordSet(IRecordSet** recordSet) = 0;
    // Empties the value, then holds `recordSet` and takes its fields.
    virtual HRESULT putref_RecordSet(IRecordSet* recordSet) = 0;
    virtual HRESULT get_OIDFieldName(BSTR* name) = 0;
    virtual HRESULT put_OIDFieldName(const OLECHAR* name) = 0;
    // True when the service reported that not all records were transferred.
    virtual HRESULT get_ExceededTransferLimit(VARIANT_BOOL* exceeded) = 0;
    virtual HRESULT put_ExceededTransferLimit(VARIANT_BOOL exceeded) = 0;
};

struct IGPRecordSet2 : IGPRecordSet {
    static constexpr IID iid{0x2078F402, 0xCEBC, 0x48A8, {0x9D, 0xD8, 0x89, 0x57, 0xFB, 0x3F, 0x48, 0x2D}};
    // Makes the value URL based: empties it, connects to the service layer at `url` and takes its definition. The
    // connection's failure code (the value then empty); E_POINTER for a null url. Token and referer may be null.
    virtual HRESULT SetURL(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer) = 0;
    // Each of the three only when non-empty; `token` and `referer` may be null pointers.
    virtual HRESULT GetURL(BSTR* url, BSTR* token, BSTR* referer) = 0;
    virtual HRESULT get_QueryFilter(IQueryFilter** filter) = 0;
    virtual HRESULT putref_QueryFilter(IQueryFilter* filter) = 0;
    virtual HRESULT get_IsURLBased(VARIANT_BOOL* urlBased) = 0;
};

struct IGPRecordSetImpl : IUnknown {
    static constexpr IID iid{0xC9844898, 0x587F, 0x4EC4, {0x9D, 0xEF, 0x0E, 0x06, 0x40, 0x38, 0x27, 0xC4}};
    // A catalog path, or an http(s) address of a record set file ending in ".dat".
    virtual HRESULT get_Path(BSTR* path) = 0;
    virtual HRESULT put_Path(const OLECHAR* path) = 0;
    // The service input layer (IGPServiceInputLayer), connected first when the value is URL based; null otherwise.
    virtual HRESULT get_ServiceLayer(IUnknown** serviceLayer) = 0;
    virtual HRESULT get_ServiceProperties(IPropertySet** properties) = 0;
    virtual HRESULT get_Path2(BSTR* path) = 0;
    // SetURL with the layer definition given instead of fetched (E_POINTER for a null definition).
    virtual HRESULT SetURLWithDefinition(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer,
                                         IJSONObject* definition) = 0;
    // The layer definition's text when there is one; otherwise the out value is left as it was.
    virtual HRESULT get_LayerDefinition(BSTR* definition) = 0;
    // Writes the records into a new table of `workspace` (null: the default workspace) named after `name`. S_FALSE
    // when the records were already written to a table.
    virtual HRESULT ExportToWorkspace(IWorkspace* workspace, const OLECHAR* name, ITable** table) = 0;
    virtual HRESULT get_Note(BSTR* note, VARIANT_BOOL* flag) = 0;
    virtual HRESULT put_Note(const OLECHAR* note, VARIANT_BOOL flag) = 0;
};

// The feature set value's markers.
struct IGPFeatureRecordSetLayer : IUnknown {
    static constexpr IID iid{0xB164C639, 0x9EDB, 0x4E18, {0x8B, 0xE3, 0xAF, 0x37, 0x57, 0x72, 0xE6, 0x52}};
};
struct IGPFeatureRecordSet : IUnknown {
    static constexpr IID iid{0xFF17EC66, 0x8C89, 0x4FBB, {0x88, 0x2D, 0x48, 0x3F, 0x4D, 0xD3, 0x70, 0x65}};
};

// How the feature set's layer is drawn: an object the library keeps and stores, and does not read.
struct IGPLayerDescription : IUnknown {
    static constexpr IID iid{0x36C58BCC, 0x44B2, 0x443F, {0x80, 0xDB, 0xA6, 0xBE, 0x31, 0xF3, 0x1E, 0x41}};
    virtual HRESULT get_DrawingDescription(IUnknown** description) = 0;
    // Null clears it. An object that answers ILayerDrawingDescriptionSource gives its description instead.
    virtual HRESULT putref_DrawingDescription(IUnknown* description) = 0;
    virtual HRESULT get_DrawingDescription2(IUnknown** description) = 0;
};

// An object that hands out a drawing description (a layer, say).
struct ILayerDrawingDescriptionSource : IUnknown {
    static constexpr IID iid{0x5979B91D, 0x9EBA, 0x40AC, {0x8E, 0x97, 0x5E, 0x26, 0xBA, 0xEB, 0x4C, 0x40}};
    virtual HRESULT get_DrawingDescription(IUnknown** description) = 0;
};

// The edit templates of the feature set's layer, kept and stored, not read.
struct IGPLayerEditTemplateManagerImpl : IUnknown {
    static constexpr IID iid{0xBE0AB78C, 0x5F19, 0x4DDF, {0xA8, 0xB1, 0x21, 0x07, 0x73, 0xAD, 0x2B, 0x69}};
    virtual HRESULT putref_EditTemplates(IUnknown* templates) = 0;
    virtual HRESULT get_EditTemplates(IUnknown** templates) = 0;
};

// Markers of the data types.
struct IGPRecordSetType : IUnknown {
    static constexpr IID iid{0xC3D97E1B, 0x8397, 0x476B, {0xB5, 0x1B, 0xF2, 0x0F, 0x4A, 0xF5, 0xF9, 0xD3}};
};
struct IGPFeatureRecordSetLayerType : IUnknown {
    static constexpr IID iid{0xD13BBAB1, 0x9601, 0x46D1, {0x93, 0x16, 0x86, 0x17, 0x11, 0x30, 0x1E, 0x61}};
};
struct IGPFeatureRecordSetType : IUnknown {
    static constexpr IID iid{0x3573641E, 0xECF7, 0x4F61, {0x96, 0xF4, 0xD7, 0x95, 0xF9, 0x77, 0x28, 0xCD}};
};

constexpr CLSID CLSID_GPRecordSet{0x38DB67C2, 0xEBC1, 0x461A, {0x87, 0x29, 0x01, 0x1B, 0xB7, 0xDB, 0xAF, 0x0C}};
constexpr CLSID CLSID_GPRecordSetType{0x8E899C4E, 0xB519, 0x4ADD, {0xAE, 0x4F, 0xA1, 0x6D, 0xF1, 0xE1, 0x60, 0x75}};
constexpr CLSID CLSID_GPFeatureRecordSetLayer{
    0x1CE6115F, 0xA472, 0x49A1, {0xA2, 0x28, 0x88, 0xF6, 0x01, 0xB3, 0x13, 0x4E}};
constexpr CLSID CLSID_GPFeatureRecordSetLayerType{
    0x066DB363, 0xBC31, 0x468B, {0xBD, 0xD1, 0xD5, 0xE6, 0x8E, 0x25, 0x50, 0x41}};
