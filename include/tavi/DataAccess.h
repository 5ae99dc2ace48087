// The host's data access: data elements named by catalog path, fields, tables and feature classes with their cursors
// and rows, rasters, workspaces, spatial references with their domains, and the envelope that carries extents.
//
// Identifiers: IDataElement, IDEWorkspace, IDEDataset4 and IEnvelope keep the identifiers the documents give them.
// The others are name-based (version 5) identifiers of "taviGeoprocessing.<interface name>" in the namespace of the
// library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, so they never change.
//
// Where no order is fixed elsewhere, operations are in the order: getters before setters, property by property,
// then the other operations. Every getter gives E_POINTER for a null out pointer.
#pragma once

#include "tavi/Collections.h"
#include "tavi/Unknown.h"

// Failure codes of opening data by catalog path.
constexpr HRESULT TAVI_E_DATA_NOT_FOUND = STG_E_FILENOTFOUND; // nothing at the path, or no such dataset inside it
constexpr HRESULT TAVI_E_DATA_UNREADABLE = STG_E_READFAULT;   // something is there but it cannot be read as data
constexpr HRESULT TAVI_E_DATA_ACCESS_DENIED = E_ACCESSDENIED; // the path may not be read (or written)
constexpr HRESULT TAVI_E_DATA_EXISTS = static_cast<HRESULT>(0x800700B7); // a dataset of that name exists already

// Field type codes.
enum taviFieldType : int32_t {
    taviFieldTypeSmallInteger = 0,
    taviFieldTypeInteger = 1,
    taviFieldTypeSingle = 2,
    taviFieldTypeDouble = 3,
    taviFieldTypeString = 4,
    taviFieldTypeDate = 5,
    taviFieldTypeOID = 6,
    taviFieldTypeGeometry = 7,
    taviFieldTypeBlob = 8,
    taviFieldTypeRaster = 9,
    taviFieldTypeGUID = 10,
    taviFieldTypeGlobalID = 11,
    taviFieldTypeXML = 12,
    taviFieldTypeBigInteger = 13,
    taviFieldTypeDateOnly = 14,
    taviFieldTypeTimeOnly = 15,
    taviFieldTypeTimestampOffset = 16,
};

// Geometry (shape) type codes. 0 is a feature class whose shape type is not known.
enum taviGeometryType : int32_t {
    taviGeometryNull = 0,
    taviGeometryPoint = 1,
    taviGeometryMultipoint = 2,
    taviGeometryPolyline = 3,
    taviGeometryPolygon = 4,
    taviGeometryMultiPatch = 9,
};

// Feature type codes; data read through the host is always simple.
enum taviFeatureType : int32_t {
    taviFeatureTypeSimple = 1,
    taviFeatureTypeAnnotation = 11,
    taviFeatureTypeDimension = 13,
    taviFeatureTypeCatalog = 15,
    taviFeatureTypeOrientedImagery = 16,
};

// Dataset type numbers (IDEDataset4's first operation). The data read through this host is of the kinds feature
// class, table and raster dataset; the other kinds are named by filters and by values of other hosts.
enum taviDatasetType : int32_t {
    taviDatasetTypeAny = 1,
    taviDatasetTypeContainer = 2,
    taviDatasetTypeGeo = 3,
    taviDatasetTypeFeatureDataset = 4,
    taviDatasetTypeFeatureClass = 5,
    taviDatasetTypeTopology = 8,
    taviDatasetTypeTable = 10,
    taviDatasetTypeRasterDataset = 12,
    taviDatasetTypeTin = 14,
    taviDatasetTypeToolbox = 17,
    taviDatasetTypeTool = 18,
    taviDatasetTypeNetworkDataset = 19,
    taviDatasetTypeTerrain = 20,
    taviDatasetTypeMosaicDataset = 21,
    taviDatasetTypeLasDataset = 22,
    taviDatasetTypeUtilityNetwork = 23,
    taviDatasetTypeTraceNetwork = 24,
    taviDatasetTypeParcelFabric = 25,
};

// Workspace type numbers (IDEWorkspace's first operation): a folder, or a database in a file or in memory.
enum taviWorkspaceType : int32_t {
    taviWorkspaceFileSystem = 0,
    taviWorkspaceLocalDatabase = 1,
    taviWorkspaceRemoteDatabase = 2,
    taviWorkspacePortalFeatures = 32, // the feature services of a portal
};

struct IEnvelope;
struct IFields;
struct IRow;
struct ICursor;
struct ISpatialReference;
struct IWorkspace;

// Anything the catalog shows: a folder, a file, a workspace, a table, a feature class, a raster.
struct IDataElement : IUnknown {
    static constexpr IID iid{0xE2C87DF0, 0x33D9, 0x4A47, {0x9B, 0x67, 0xFA, 0x54, 0xB2, 0xFD, 0x79, 0x66}};
    // The kind as a type name: "DEFolder", "DEFile", "DEWorkspace", "DETable", "DEFeatureClass", "DERasterDataset".
    virtual HRESULT get_Type(BSTR* typeName) = 0;
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_CatalogPath(BSTR* path) = 0;
    virtual HRESULT get_BaseName(BSTR* baseName) = 0;
    virtual HRESULT get_Extension(BSTR* extension) = 0;
    // True once the children have been listed.
    virtual HRESULT get_ChildrenExpanded(VARIANT_BOOL* expanded) = 0;
    // A new array of the child data elements of a container (possibly empty); null for an element that holds none.
    virtual HRESULT get_Children(IArray** children) = 0;
};

// Answered by data elements that are workspaces (a folder, a GeoPackage, a file database folder, a memory workspace).
struct IDEWorkspace : IUnknown {
    static constexpr IID iid{0xC7B1FC10, 0x308F, 0x4FB5, {0x89, 0x0C, 0x8B, 0x52, 0x93, 0xEA, 0xD0, 0x96}};
    virtual HRESULT get_WorkspaceType(int32_t* type) = 0;
    virtual HRESULT OpenWorkspace(IWorkspace** workspace) = 0;
};

// Answered by data elements that are datasets. Data read through this host is never versioned and cannot be.
struct IDEDataset4 : IUnknown {
    static constexpr IID iid{0x29FBED10, 0xA332, 0x11D5, {0x93, 0x1B, 0x00, 0x80, 0xC7, 0x1A, 0x32, 0x26}};
    virtual HRESULT get_DatasetType(int32_t* type) = 0;
    virtual HRESULT get_DSID(int32_t* id) = 0;
    virtual HRESULT get_Versioned(VARIANT_BOOL* versioned) = 0;
    virtual HRESULT get_IsArchived(VARIANT_BOOL* archived) = 0;
    virtual HRESULT get_ChangeTracked(VARIANT_BOOL* tracked) = 0;
    virtual HRESULT get_CanVersion(VARIANT_BOOL* canVersion) = 0;
};

// A rectangle with an optional spatial reference. A new envelope is empty; its coordinates then read as NaN.
struct IEnvelope : IUnknown {
    static constexpr IID iid{0x1B077914, 0x38C5, 0x11D0, {0x92, 0xD2, 0x00, 0x80, 0x5F, 0x7C, 0x28, 0xB0}};
    virtual HRESULT get_XMin(double* value) = 0;
    virtual HRESULT put_XMin(double value) = 0;
    virtual HRESULT get_YMin(double* value) = 0;
    virtual HRESULT put_YMin(double value) = 0;
    virtual HRESULT get_XMax(double* value) = 0;
    virtual HRESULT put_XMax(double value) = 0;
    virtual HRESULT get_YMax(double* value) = 0;
    virtual HRESULT put_YMax(double value) = 0;
    virtual HRESULT get_Width(double* value) = 0;
    virtual HRESULT get_Height(double* value) = 0;
    virtual HRESULT get_IsEmpty(VARIANT_BOOL* empty) = 0;
    virtual HRESULT SetEmpty() = 0;
    // E_INVALIDARG when a minimum is above its maximum or a coordinate is not a number.
    virtual HRESULT PutCoords(double xmin, double ymin, double xmax, double ymax) = 0;
    virtual HRESULT QueryCoords(double* xmin, double* ymin, double* xmax, double* ymax) = 0;
    // The spatial reference, shared, not copied; null when none.
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0;
    virtual HRESULT putref_SpatialReference(ISpatialReference* spatialReference) = 0;
    // Equal coordinates (both empty counts as equal); the spatial references are not compared.
    virtual HRESULT IsEqual(IEnvelope* other, VARIANT_BOOL* equal) = 0;
};

// A coordinate system with the XY, Z and M domains that stored coordinates snap to. Each domain is a false origin
// and a units value (how many storage steps per coordinate unit; the resolution is its inverse) plus a tolerance.
struct ISpatialReference : IUnknown {
    static constexpr IID iid{0x6B7F14BA, 0xF4C7, 0x53E3, {0xB4, 0xE7, 0x5D, 0x8C, 0x4E, 0xB6, 0xB2, 0x0C}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    // The authority code (4326), 0 when the coordinate system has none.
    virtual HRESULT get_FactoryCode(int32_t* code) = 0;
    virtual HRESULT get_IsGeographic(VARIANT_BOOL* geographic) = 0;
    virtual HRESULT get_IsProjected(VARIANT_BOOL* projected) = 0;
    // The coordinate system's well-known text (single line).
    virtual HRESULT ExportToWKT(BSTR* wkt) = 0;
    virtual HRESULT HasXYPrecision(VARIANT_BOOL* has) = 0;
    virtual HRESULT HasZPrecision(VARIANT_BOOL* has) = 0;
    virtual HRESULT HasMPrecision(VARIANT_BOOL* has) = 0;
    virtual HRESULT GetFalseOriginAndUnits(double* falseX, double* falseY, double* xyUnits) = 0;
    // E_INVALIDARG for units that are not positive.
    virtual HRESULT SetFalseOriginAndUnits(double falseX, double falseY, double xyUnits) = 0;
    virtual HRESULT GetZFalseOriginAndUnits(double* falseZ, double* zUnits) = 0;
    virtual HRESULT SetZFalseOriginAndUnits(double falseZ, double zUnits) = 0;
    virtual HRESULT GetMFalseOriginAndUnits(double* falseM, double* mUnits) = 0;
    virtual HRESULT SetMFalseOriginAndUnits(double falseM, double mUnits) = 0;
    // The domains are the ranges the origins and units can hold.
    virtual HRESULT GetDomain(double* xmin, double* xmax, double* ymin, double* ymax) = 0;
    virtual HRESULT SetDomain(double xmin, double xmax, double ymin, double ymax) = 0;
    virtual HRESULT GetZDomain(double* zmin, double* zmax) = 0;
    virtual HRESULT SetZDomain(double zmin, double zmax) = 0;
    virtual HRESULT GetMDomain(double* mmin, double* mmax) = 0;
    virtual HRESULT SetMDomain(double mmin, double mmax) = 0;
    virtual HRESULT get_XYTolerance(double* tolerance) = 0;
    virtual HRESULT put_XYTolerance(double tolerance) = 0;
    virtual HRESULT get_ZTolerance(double* tolerance) = 0;
    virtual HRESULT put_ZTolerance(double tolerance) = 0;
    virtual HRESULT get_MTolerance(double* tolerance) = 0;
    virtual HRESULT put_MTolerance(double tolerance) = 0;
    virtual HRESULT get_IsHighPrecision(VARIANT_BOOL* highPrecision) = 0;
    virtual HRESULT put_IsHighPrecision(VARIANT_BOOL highPrecision) = 0;
    // Same coordinate system (the domains are not compared).
    virtual HRESULT IsSameCoordinateSystem(ISpatialReference* other, VARIANT_BOOL* same) = 0;
    // An independent copy, domains included.
    virtual HRESULT Clone(ISpatialReference** copy) = 0;
};

// The unit facts of a spatial reference's coordinate system, for converting measures into its units. Each answers
// S_FALSE and 0 where the coordinate system has no such fact (meters per unit of a geographic system, the
// angular facts of a projected one).
struct ICoordinateSystemUnits : IUnknown {
    static constexpr IID iid{0x7873F1E6, 0x35F4, 0x5398, {0xB5, 0xED, 0x5F, 0xB3, 0xFE, 0x1C, 0x80, 0xDC}}; // assigned
    // Meters per linear unit of a projected (or local) coordinate system.
    virtual HRESULT get_MetersPerUnit(double* meters) = 0;
    // Radians per angular unit of a geographic coordinate system.
    virtual HRESULT get_RadiansPerUnit(double* radians) = 0;
    // The spheroid's axes in meters, of a geographic coordinate system.
    virtual HRESULT get_SemiMajorAxis(double* meters) = 0;
    virtual HRESULT get_SemiMinorAxis(double* meters) = 0;
};

// A raster field's definition.
struct IRasterDef : IUnknown {
    static constexpr IID iid{0xF03A74FF, 0x8E6E, 0x5CF3, {0xB7, 0xEF, 0xED, 0xFB, 0x91, 0xFE, 0x59, 0xFF}};
    virtual HRESULT get_Description(BSTR* description) = 0;
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0;
};

// A field of a table.
struct IField : IUnknown {
    static constexpr IID iid{0x0A43A549, 0xDBC4, 0x5FB9, {0x96, 0x40, 0x9B, 0xC3, 0xC8, 0x50, 0x43, 0x6A}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_AliasName(BSTR* alias) = 0;
    virtual HRESULT get_Type(int32_t* type) = 0; // a taviFieldType code
    virtual HRESULT get_Length(int32_t* length) = 0;
    virtual HRESULT get_IsNullable(VARIANT_BOOL* nullable) = 0;
    virtual HRESULT get_Editable(VARIANT_BOOL* editable) = 0;
    virtual HRESULT get_Required(VARIANT_BOOL* required) = 0;
    virtual HRESULT get_Precision(int32_t* precision) = 0;
    virtual HRESULT get_Scale(int32_t* scale) = 0;
    // The raster definition of a raster field; null (S_OK) for any other field.
    virtual HRESULT get_RasterDef(IRasterDef** rasterDef) = 0;
};

// Sets the properties of a field that is not part of a table yet.
struct IFieldEdit : IUnknown {
    static constexpr IID iid{0x46A18BDB, 0xE481, 0x5B9D, {0x9F, 0x84, 0x08, 0x55, 0x9F, 0xC2, 0x4F, 0x61}};
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT put_AliasName(const OLECHAR* alias) = 0;
    virtual HRESULT put_Type(int32_t type) = 0; // E_INVALIDARG for a code that is no taviFieldType
    virtual HRESULT put_Length(int32_t length) = 0;
    virtual HRESULT put_IsNullable(VARIANT_BOOL nullable) = 0;
    virtual HRESULT put_Editable(VARIANT_BOOL editable) = 0;
    virtual HRESULT put_Required(VARIANT_BOOL required) = 0;
    virtual HRESULT put_Precision(int32_t precision) = 0;
    virtual HRESULT put_Scale(int32_t scale) = 0;
    virtual HRESULT putref_RasterDef(IRasterDef* rasterDef) = 0;
};

// The ordered fields of a table.
struct IFields : IUnknown {
    static constexpr IID iid{0xFD28BB92, 0xD823, 0x5CCB, {0x9C, 0x12, 0x5E, 0xC9, 0xAD, 0x23, 0x27, 0x11}};
    virtual HRESULT get_FieldCount(int32_t* count) = 0;
    // E_INVALIDARG outside 0..count-1.
    virtual HRESULT get_Field(int32_t index, IField** field) = 0;
    // The index of the field of that name, compared without regard to case; -1 (S_FALSE) when there is none.
    virtual HRESULT FindField(const OLECHAR* name, int32_t* index) = 0;
};

// Builds a list of fields, for a table to be created.
struct IFieldsEdit : IUnknown {
    static constexpr IID iid{0x6BACAC92, 0x5137, 0x50BA, {0xBF, 0xDD, 0xD9, 0x4D, 0xEF, 0x80, 0x11, 0x77}};
    // Appends the field (held, not copied). E_INVALIDARG for a field without a name or with the name of one
    // already in the list (compared without regard to case).
    virtual HRESULT AddField(IField* field) = 0;
};

// A record of a table. Values are VARIANTs: integers VT_I4 or VT_I8, reals VT_R8, texts VT_BSTR, dates VT_DATE,
// null VT_NULL; the shape field gives and takes its geometry as well-known text (VT_BSTR).
struct IRow : IUnknown {
    static constexpr IID iid{0x8E864F1F, 0xC274, 0x5BC2, {0x9D, 0x70, 0xD0, 0x72, 0xDA, 0x16, 0x41, 0xF7}};
    // The object identifier; -1 for a row not stored yet.
    virtual HRESULT get_OID(int64_t* oid) = 0;
    virtual HRESULT get_Fields(IFields** fields) = 0;
    // E_INVALIDARG for an index outside the fields.
    virtual HRESULT get_Value(int32_t index, VARIANT* value) = 0;
    // E_INVALIDARG for an index outside the fields or the object identifier field, DISP_E_TYPEMISMATCH for a value
    // the field cannot hold.
    virtual HRESULT put_Value(int32_t index, VARIANT value) = 0;
    // Writes the row to its table: a new row is added and gets its identifier, a read row is rewritten.
    virtual HRESULT Store() = 0;
    virtual HRESULT Delete() = 0;
};

// Rows one at a time. NextRow gives S_FALSE and null at the end.
struct ICursor : IUnknown {
    static constexpr IID iid{0x5026DA46, 0x6F70, 0x54DE, {0x87, 0xDD, 0x65, 0xE3, 0xBC, 0x22, 0x65, 0xFC}};
    virtual HRESULT get_Fields(IFields** fields) = 0;
    virtual HRESULT NextRow(IRow** row) = 0;
};

// The description of a table data element: its fields and its object identifier field. A table opened from data
// answers it with its layer's description, whose fields change only through the data (putref_Fields and
// put_OIDFieldName give E_FAIL). A table description (CLSID_DETableDescription) holds a description of its own: it is
// how a table is named and stored inside other objects, without the data behind it.
struct IDEGdbTable7 : IUnknown {
    static constexpr IID iid{0xA3DE5CE7, 0x4188, 0x5ECA, {0x80, 0x1A, 0x72, 0xDB, 0x02, 0xD4, 0xB2, 0x2D}};
    virtual HRESULT get_Fields(IFields** fields) = 0;
    virtual HRESULT putref_Fields(IFields* fields) = 0; // null stands for an empty list
    virtual HRESULT get_HasOID(VARIANT_BOOL* hasOID) = 0;
    virtual HRESULT get_OIDFieldName(BSTR* name) = 0;
    virtual HRESULT put_OIDFieldName(const OLECHAR* name) = 0;
};

// The description of a feature class: answered by the feature class elements of the data access beside
// IDEGdbTable7.
struct IDEGdbFeatureClass3 : IUnknown {
    static constexpr IID iid{0x3AEDAC3B, 0x6503, 0x5014, {0xA7, 0x4A, 0x2A, 0xBA, 0xF8, 0xEE, 0x3B, 0x01}};
    virtual HRESULT get_FeatureType(int32_t* featureType) = 0; // a taviFeatureType code
    virtual HRESULT get_ShapeType(int32_t* shapeType) = 0;     // a taviGeometryType code
    virtual HRESULT get_ShapeFieldName(BSTR* name) = 0;
};

// A table (also answered by feature classes).
struct ITable : IUnknown {
    static constexpr IID iid{0xEC620529, 0xCFE6, 0x5416, {0xB8, 0xB9, 0x4F, 0x78, 0xB6, 0xE0, 0x02, 0xC5}};
    virtual HRESULT get_Fields(IFields** fields) = 0;
    virtual HRESULT get_HasOID(VARIANT_BOOL* hasOID) = 0;
    virtual HRESULT get_OIDFieldName(BSTR* name) = 0;
    virtual HRESULT RowCount(int64_t* count) = 0;
    // A cursor over the rows that satisfy the attribute filter (an SQL where clause; null or empty for all rows).
    // E_INVALIDARG for a filter that cannot be read. Only the newest cursor of a table reads: an older one then
    // fails with E_FAIL.
    virtual HRESULT Search(const OLECHAR* whereClause, ICursor** cursor) = 0;
    // TAVI_E_DATA_NOT_FOUND when no row has that identifier.
    virtual HRESULT GetRow(int64_t oid, IRow** row) = 0;
    // A new row, not stored until its Store.
    virtual HRESULT CreateRow(IRow** row) = 0;
};

// A table with a shape field.
struct IFeatureClass : IUnknown {
    static constexpr IID iid{0x932E1A6E, 0x39B0, 0x5B2E, {0x80, 0x34, 0xDA, 0xD0, 0x38, 0x0B, 0x9A, 0xB0}};
    virtual HRESULT get_ShapeType(int32_t* shapeType) = 0;     // a taviGeometryType code
    virtual HRESULT get_FeatureType(int32_t* featureType) = 0; // a taviFeatureType code
    virtual HRESULT get_ShapeFieldName(BSTR* name) = 0;
    virtual HRESULT get_HasZ(VARIANT_BOOL* hasZ) = 0;
    virtual HRESULT get_HasM(VARIANT_BOOL* hasM) = 0;
    virtual HRESULT get_HasSpatialIndex(VARIANT_BOOL* hasIndex) = 0;
    // A new envelope of the features' extent (empty when there are none), in the feature class's spatial reference.
    virtual HRESULT get_Extent(IEnvelope** extent) = 0;
    // S_FALSE with null when the data names no coordinate system.
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0;
};

// A raster: its size, cell sizes, extent and spatial reference.
struct IRasterDataset : IUnknown {
    static constexpr IID iid{0x8129857E, 0xF65B, 0x519D, {0x8E, 0x1B, 0x71, 0x28, 0xEF, 0x7D, 0xF6, 0xF2}};
    virtual HRESULT get_ColumnCount(int32_t* columns) = 0;
    virtual HRESULT get_RowCount(int32_t* rows) = 0;
    virtual HRESULT get_BandCount(int32_t* bands) = 0;
    virtual HRESULT get_CellSizeX(double* size) = 0;
    virtual HRESULT get_CellSizeY(double* size) = 0; // positive, whichever way the rows run
    virtual HRESULT get_Extent(IEnvelope** extent) = 0;
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0; // S_FALSE with null when none
};

// An open workspace: a folder, a GeoPackage, a file database folder or a memory workspace.
struct IWorkspace : IUnknown {
    static constexpr IID iid{0xFB42A3C3, 0xD2C6, 0x5C59, {0x93, 0x37, 0x57, 0x38, 0x4D, 0xBC, 0xA9, 0xA1}};
    virtual HRESULT get_PathName(BSTR* path) = 0;
    virtual HRESULT get_Type(int32_t* type) = 0; // a taviWorkspaceType number
    // The data element of the dataset of that name in this workspace; TAVI_E_DATA_NOT_FOUND when there is none.
    virtual HRESULT OpenDataElement(const OLECHAR* name, IDataElement** element) = 0;
    // Creates a table with the given fields (object identifier and shape fields among them are left to the table,
    // which makes its own). A folder makes a .dbf file, a database a table. TAVI_E_DATA_EXISTS when the name is
    // taken, E_INVALIDARG for an empty name or a field the format cannot store, TAVI_E_DATA_ACCESS_DENIED when the
    // workspace cannot be written.
    virtual HRESULT CreateTable(const OLECHAR* name, IFields* fields, ITable** table) = 0;
    // Creates a feature class of a taviGeometryType (not 0) with Z and M values as asked and an optional spatial
    // reference; a folder makes a shapefile. Failure codes as CreateTable.
    virtual HRESULT CreateFeatureClass(const OLECHAR* name, IFields* fields, int32_t shapeType, VARIANT_BOOL hasZ,
                                       VARIANT_BOOL hasM, ISpatialReference* spatialReference,
                                       IFeatureClass** featureClass) = 0;
};

// The host platform's classes that other objects create and store: a field (IField, IFieldEdit, IClone,
// IPersistStream), a raster field's definition (IRasterDef, IPersistStream) and a table description (IDataElement,
// IDEGdbTable7, IClone, IPersistStream). Name-based identifiers, as the interfaces'.
constexpr CLSID CLSID_Field{0x66C5C25B, 0x0532, 0x5417, {0xA4, 0xE7, 0x68, 0xC5, 0xF5, 0xFB, 0x09, 0x45}};
constexpr CLSID CLSID_RasterDef{0x4A9C0BFD, 0x26F0, 0x5443, {0x92, 0x58, 0xC7, 0xE9, 0xD3, 0x90, 0x02, 0xC6}};
constexpr CLSID CLSID_DETableDescription{0x548683AD, 0x5B50, 0x5967, {0xAB, 0xE3, 0x43, 0x23, 0x3D, 0x8E, 0x88, 0x0A}};

// Data element kinds that the data access of this library does not open (its elements answer none of these), but
// that elements of other hosts report and that layer data types accept: parcel fabrics, KML, LAS datasets, mosaic
// datasets, network datasets, raster catalogs, terrains, TINs, topologies, trace and utility networks, and the data
// types of those kinds. Markers, without operations. The first group of each identifier is the documented one; the
// rest of it is name-based, as the identifiers above (the TIN element's is documented whole).
struct IDECadastralFabric : IUnknown {
    static constexpr IID iid{0x06C95FA1, 0x7AE9, 0x543E, {0xA2, 0x3C, 0x8C, 0x3C, 0x01, 0xD9, 0x8A, 0xF3}};
};
struct IDECadastralFabricType : IUnknown {
    static constexpr IID iid{0x4E275E65, 0xCAB7, 0x5A95, {0x8D, 0x1A, 0xF7, 0xA2, 0x37, 0xB1, 0x8D, 0x14}};
};
struct IDECadastralFabricType2 : IUnknown {
    static constexpr IID iid{0x29C69EB6, 0x11E0, 0x5C37, {0x80, 0xE9, 0xB6, 0x42, 0x83, 0x35, 0x29, 0x00}};
};
struct IDEKml : IUnknown {
    static constexpr IID iid{0x5CEA7586, 0xF770, 0x55D2, {0x96, 0xA3, 0x5F, 0x79, 0x4E, 0x77, 0x4C, 0xF8}};
};
struct IDELasDataset : IUnknown {
    static constexpr IID iid{0x1508D058, 0x1012, 0x5E60, {0x84, 0xCF, 0x54, 0xF3, 0x2C, 0x49, 0x49, 0x7F}};
};
struct IDELasDatasetType : IUnknown {
    static constexpr IID iid{0xE4C66C0C, 0x8DE8, 0x5D79, {0x94, 0xEA, 0x7D, 0x90, 0x12, 0x2D, 0x19, 0xAE}};
};
struct IDEMosaicDataset : IUnknown {
    static constexpr IID iid{0xB29E01E9, 0xFEB1, 0x500B, {0xBA, 0x82, 0xDA, 0x17, 0xFE, 0xFE, 0x3C, 0xCC}};
};
struct IDEMosaicDataset2 : IUnknown {
    static constexpr IID iid{0xAEA1D74B, 0x6FB8, 0x50BD, {0x83, 0x58, 0x13, 0x55, 0x7C, 0xA6, 0xEF, 0x5B}};
};
struct IDEMosaicDatasetType : IUnknown {
    static constexpr IID iid{0x445BEC21, 0x22E2, 0x584F, {0xB8, 0x80, 0xC3, 0x48, 0x5C, 0x1D, 0x3E, 0xE4}};
};
struct IDENetworkDataset : IUnknown {
    static constexpr IID iid{0x71E4AA21, 0x1B71, 0x5584, {0xA4, 0x5C, 0x6A, 0x4C, 0x15, 0x2E, 0x57, 0xE1}};
};
struct IDENetworkDatasetType : IUnknown {
    static constexpr IID iid{0x5C83A1A5, 0xD9A1, 0x58E7, {0x93, 0xAF, 0x3F, 0x9E, 0x82, 0x9D, 0x55, 0x65}};
};
struct IDEParcelFabric : IUnknown {
    static constexpr IID iid{0xF309F1D6, 0x88AC, 0x5A89, {0xAF, 0x96, 0x28, 0xBA, 0xFB, 0xAD, 0xF1, 0xDF}};
};
struct IDEParcelFabricType : IUnknown {
    static constexpr IID iid{0x7228F5A9, 0xFC7D, 0x55A2, {0xB7, 0xF0, 0x33, 0xE5, 0xE4, 0xFB, 0xB7, 0x60}};
};
struct IDERasterCatalog : IUnknown {
    static constexpr IID iid{0x8F9C9DC8, 0x4823, 0x5997, {0x98, 0x79, 0xE9, 0xAB, 0x55, 0x94, 0x0B, 0x12}};
};
struct IDERasterCatalogType : IUnknown {
    static constexpr IID iid{0xD3A432E3, 0x84D5, 0x5732, {0xB7, 0x60, 0xB8, 0x1C, 0x6B, 0xA7, 0x41, 0x3C}};
};
struct IDERasterDatasetType : IUnknown {
    static constexpr IID iid{0x4A4A7C1E, 0xD8FD, 0x531D, {0x8C, 0x19, 0xA9, 0x33, 0x85, 0x2D, 0x78, 0x36}};
};
struct IDERasterBandType : IUnknown {
    static constexpr IID iid{0xCD3998C0, 0x2DB8, 0x5F71, {0x98, 0x59, 0xAA, 0xC4, 0x40, 0x1E, 0xBC, 0xF2}};
};
struct IDETerrain : IUnknown {
    static constexpr IID iid{0x0911F2FB, 0x3B9D, 0x5962, {0x83, 0x15, 0x58, 0xB1, 0xC2, 0x61, 0x4F, 0x4B}};
};
struct IDETerrainType : IUnknown {
    static constexpr IID iid{0x6AF7C569, 0x57E1, 0x5333, {0x99, 0x21, 0x3C, 0xD7, 0xB8, 0x40, 0x32, 0x3C}};
};
struct IDETin : IUnknown {
    static constexpr IID iid{0xB0B62284, 0x0080, 0x4EA3, {0x97, 0x16, 0xDE, 0x52, 0x93, 0xA7, 0x3F, 0x6E}};
};
struct IDETinType : IUnknown {
    static constexpr IID iid{0x0853EB47, 0xA4BB, 0x5F00, {0x8D, 0xF7, 0x7D, 0x02, 0xA0, 0xDD, 0x5E, 0xFC}};
};
struct IDETopology : IUnknown {
    static constexpr IID iid{0x2F5817AB, 0x589A, 0x500E, {0x94, 0x4D, 0x43, 0x04, 0x40, 0xA4, 0xE6, 0x66}};
};
struct IDETopologyType : IUnknown {
    static constexpr IID iid{0x924FD381, 0xC2A9, 0x5AE6, {0x8D, 0x77, 0x2A, 0x61, 0xB7, 0x40, 0xF0, 0x01}};
};
struct IDETraceNetwork : IUnknown {
    static constexpr IID iid{0xB335FE69, 0x944D, 0x53CA, {0xBD, 0xF4, 0x5C, 0xC9, 0xBA, 0x4A, 0xA6, 0x0B}};
};
struct IDETraceNetworkType : IUnknown {
    static constexpr IID iid{0x311A7958, 0x1A27, 0x52DB, {0x87, 0x54, 0x41, 0x95, 0x60, 0x82, 0xBE, 0xE2}};
};
struct IDEUtilityNetwork : IUnknown {
    static constexpr IID iid{0x911DBBD5, 0x4160, 0x513E, {0xB4, 0x58, 0xCD, 0x91, 0xE6, 0x8D, 0x7E, 0xC0}};
};
struct IDEUtilityNetworkType : IUnknown {
    static constexpr IID iid{0xFCA0A9A3, 0x20CF, 0x5BE5, {0x91, 0x6A, 0x34, 0xC0, 0x25, 0x1F, 0x45, 0x93}};
};
