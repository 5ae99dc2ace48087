// The host's record pieces: the in-memory record set (a whole table of records, with geometries for a feature set),
// the query filter that selects records, the property set and the JSON object that carry a service's answers, and the
// service input layer that fetches records from a feature service layer.
//
// Identifiers: IRecordSet, IQueryFilter, IPropertySet, IJSONObject, IGPServiceInputLayer and the classes of the
// property set and the JSON object keep the identifiers the documents give them. The others are name-based
// (version 5) identifiers of "taviGeoprocessing.<name>" in the namespace of the library's type library identifier
// {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}. Every getter gives E_POINTER for a null out pointer.
#pragma once

#include "tavi/DataAccess.h"

// Options of IRecordSetInit::ToJSON, combined with |.
enum taviRecordSetJsonOption : int32_t {
    taviJsonCompact = 0,
    taviJsonPretty = 1,           // line breaks and indentation
    taviJsonSkipFieldAliases = 2, // no "alias" member in "fields"
    taviJsonNoZ = 4,              // leave out z values
    taviJsonNoM = 8,              // leave out m values
};

// A table of records held in memory. Its fields are those of a table (the object identifier field of type
// taviFieldTypeOID among them when the records have identifiers); a feature set adds one geometry field
// (taviFieldTypeGeometry) and a shape type, Z and M awareness and a spatial reference. A record set never changes
// once made: IRecordSetInit replaces the whole content.
struct IRecordSet : IUnknown {
    static constexpr IID iid{0x4510A65B, 0xACD1, 0x4046, {0xB8, 0xB0, 0x10, 0xF9, 0xD0, 0xDA, 0x67, 0x3F}};
    virtual HRESULT get_Fields(IFields** fields) = 0;
    virtual HRESULT get_RecordCount(int64_t* count) = 0;
    // The object identifier field's name; empty when the records have none.
    virtual HRESULT get_OIDFieldName(BSTR* name) = 0;
    // The geometry field's name; empty for records without geometry.
    virtual HRESULT get_ShapeFieldName(BSTR* name) = 0;
    // A taviGeometryType code; taviGeometryNull for records without geometry.
    virtual HRESULT get_ShapeType(int32_t* shapeType) = 0;
    virtual HRESULT get_HasZ(VARIANT_BOOL* hasZ) = 0;
    virtual HRESULT get_HasM(VARIANT_BOOL* hasM) = 0;
    // S_FALSE with null when the records name no coordinate system.
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0;
    // A record's value, as IRow gives it (integers VT_I4 or VT_I8, reals VT_R8, texts VT_BSTR, dates VT_DATE, null
    // VT_NULL; the geometry as well-known text). E_INVALIDARG for a record or field outside the set.
    virtual HRESULT get_Value(int64_t record, int32_t field, VARIANT* value) = 0;
    // Writes the records into a new table (a feature class for a feature set) named `name` in `workspace`, in one
    // transaction where the workspace has them; the table's failure codes of IWorkspace::CreateTable, and nothing
    // is left behind on failure.
    virtual HRESULT CreateTable(IWorkspace* workspace, const OLECHAR* name, ITable** table) = 0;
};

// Fills a record set.
struct IRecordSetInit : IUnknown {
    static constexpr IID iid{0xFDC8A5BB, 0x3860, 0x5C08, {0x88, 0xBF, 0x45, 0xFD, 0xC8, 0xF3, 0x94, 0x37}}; // assigned
    // Reads every record of a table or feature class (a data element or an open ITable) that satisfies the where
    // clause (null or empty for all). E_INVALIDARG for something that is no table or a clause that cannot be read.
    virtual HRESULT SetSourceTable(IUnknown* table, const OLECHAR* whereClause) = 0;
    // The JSON form of a record or feature set (see docs/recordset-json.md). E_INVALIDARG for text that is not such
    // a form; the record set is then unchanged.
    virtual HRESULT FromJSON(const OLECHAR* json) = 0;
    virtual HRESULT ToJSON(int32_t options, BSTR* json) = 0;
    // The records as a GeoJSON FeatureCollection (RFC 7946).
    virtual HRESULT ToGeoJSON(BSTR* json) = 0;
    // The same forms in a file (UTF-8). STG_E_FILENOTFOUND when the file cannot be opened.
    virtual HRESULT ReadJSONFile(const OLECHAR* path) = 0;
    virtual HRESULT WriteJSONFile(const OLECHAR* path, int32_t options) = 0;
};

// Which records to read: an SQL where clause and the fields to read ("*" or a comma-separated list).
struct IQueryFilter : IUnknown {
    static constexpr IID iid{0xFDFEBD93, 0xED75, 0x11D0, {0x9A, 0x95, 0x08, 0x00, 0x09, 0xEC, 0x73, 0x4B}};
    virtual HRESULT get_WhereClause(BSTR* whereClause) = 0;
    virtual HRESULT put_WhereClause(const OLECHAR* whereClause) = 0;
    virtual HRESULT get_SubFields(BSTR* subFields) = 0;
    virtual HRESULT put_SubFields(const OLECHAR* subFields) = 0;
};

// Named values; names compare without regard to case.
struct IPropertySet : IUnknown {
    static constexpr IID iid{0xF0BA6ABC, 0x8E9F, 0x11D0, {0xB4, 0xAB, 0x00, 0x00, 0xF8, 0x03, 0x73, 0x68}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    // S_FALSE with an empty variant for a name that is not set.
    virtual HRESULT GetProperty(const OLECHAR* name, VARIANT* value) = 0;
    virtual HRESULT SetProperty(const OLECHAR* name, VARIANT value) = 0;
    virtual HRESULT RemoveProperty(const OLECHAR* name) = 0;
    // Two arrays (VT_ARRAY | VT_BSTR names, VT_ARRAY | VT_VARIANT values), in the order the names were first set.
    virtual HRESULT GetAllProperties(VARIANT* names, VARIANT* values) = 0;
};

// A JSON object, held as its parsed form.
struct IJSONObject : IUnknown {
    static constexpr IID iid{0xEEA70515, 0xFA6B, 0x4DEE, {0xAB, 0x79, 0xD7, 0x93, 0x5B, 0xF3, 0xA8, 0x38}};
    // Compact text.
    virtual HRESULT ToJSONString(BSTR* json) = 0;
    // E_INVALIDARG for text that is not a JSON object; the object is then unchanged.
    virtual HRESULT FromJSONString(const OLECHAR* json) = 0;
    // A member as its JSON text; S_FALSE with null when the object has no such member.
    virtual HRESULT GetMember(const OLECHAR* name, BSTR* json) = 0;
};

// Failures of the service input layer (docs/feature-service.md). A service that wants a token which was not given,
// or refuses the one given (HTTP 401/403, or error codes 498/499 in its answer), gives E_ACCESSDENIED.
constexpr HRESULT TAVI_E_SERVICE_UNREACHABLE = static_cast<HRESULT>(0x80040670); // no connection: name, refusal, TLS
constexpr HRESULT TAVI_E_SERVICE_TIMEOUT = static_cast<HRESULT>(0x80040671);     // a time limit passed
constexpr HRESULT TAVI_E_SERVICE_ANSWER = static_cast<HRESULT>(0x80040672);      // an error answer; an unreadable one
constexpr HRESULT TAVI_E_SERVICE_TOO_LARGE = static_cast<HRESULT>(0x80040673);   // an answer passed the size limit

// The records of one layer of a feature service (or map service, or big data catalog service), fetched over HTTP(S)
// (docs/feature-service.md). The token and referer are sent with every request and kept nowhere else.
struct IGPServiceInputLayer : IUnknown {
    static constexpr IID iid{0x7B50CA80, 0x0202, 0x4BF0, {0xA3, 0xFD, 0x96, 0x63, 0xB2, 0xC6, 0xB0, 0x1C}};
    // Connects to the layer at `url` and reads its definition. E_INVALIDARG for an address that is not http or
    // https; the failure codes of docs/feature-service.md for a service that cannot be reached or read.
    virtual HRESULT Init(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer) = 0;
    // The layer definition as the service gave it (a JSON object).
    virtual HRESULT GetLayerDefinition(IJSONObject** definition) = 0;
    // Fetches the records that `filter` selects (null: all), page by page, into a new record set. `updatedFilter`
    // (may be null) receives the filter that fetches what is left when the service stopped at its transfer limit,
    // else null.
    virtual HRESULT GetRecords(IQueryFilter* filter, IRecordSet** records, IQueryFilter** updatedFilter) = 0;
    // True when the last GetRecords stopped before the end because the service's transfer limit was reached.
    virtual HRESULT get_ExceededTransferLimit(VARIANT_BOOL* exceeded) = 0;
    // What the service told of itself (its "currentVersion", "maxRecordCount", the pages read); a new set.
    virtual HRESULT get_ServiceProperties(IPropertySet** properties) = 0;
    // True once records were fetched.
    virtual HRESULT get_RecordsPresent(VARIANT_BOOL* present) = 0;
};

constexpr CLSID CLSID_RecordSet{0x9EC3F61E, 0xC995, 0x5C37, {0x8B, 0x1C, 0xF0, 0xFD, 0xF8, 0xBF, 0x02, 0xE3}};
constexpr CLSID CLSID_QueryFilter{0x0ED3B5E4, 0xCE79, 0x5DE0, {0xA1, 0x3B, 0xE4, 0xA7, 0x49, 0x73, 0xCF, 0xFA}};
constexpr CLSID CLSID_PropertySet{0x588E5A11, 0xD09B, 0x11D1, {0xAA, 0x7C, 0x00, 0xC0, 0x4F, 0xA3, 0x3A, 0x15}};
constexpr CLSID CLSID_JSONObject{0xDB25E387, 0x8D9F, 0x4D79, {0xB1, 0xDF, 0x8F, 0x65, 0x69, 0x44, 0x65, 0xF0}};
constexpr CLSID CLSID_GPServiceInputLayer{0x2091E6B9, 0x4133, 0x5CA3, {0x97, 0xBA, 0x07, 0xD1, 0xBD, 0xB9, 0x2D, 0x38}};
