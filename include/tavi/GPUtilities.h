// The utility services: the framework's utility object (its missing-data registry and thread routing), the
// cartographic repository of a repository thread with the capsules applied to it, the project operations, and the
// data element utilities.
// The class identifiers CLSID_GPUtilities and CLSID_DEUtilities live in GPCatalog.h beside the data type factory
// that holds both singletons.
//
// Interface identifiers marked "assigned" are name-based (version 5) identifiers of "taviGeoprocessing.<name>" in
// the namespace of the library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}.
#pragma once

#include "tavi/DataAccess.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPLayer.h"
#include "tavi/GPMap.h"

// The cartographic repository of one repository thread: objects kept by key text. A repository belongs to its
// thread and may be touched only there.
struct ICIMRepository : IUnknown {
    static constexpr IID iid{0x0444000C, 0x7498, 0x5069, {0xB6, 0x60, 0x1C, 0x5D, 0x46, 0xD1, 0x12, 0x38}}; // assigned
    // The index of the repository thread that owns it (0 is the main thread).
    virtual HRESULT get_Index(int32_t* index) = 0;
    // How many objects it keeps.
    virtual HRESULT get_Count(int32_t* count) = 0;
    // Keeps `object` under `key`, replacing an object kept under the same key. E_POINTER for a null key or object.
    virtual HRESULT Add(const OLECHAR* key, IUnknown* object) = 0;
    // Lets the object under `key` go: S_OK, or S_FALSE when no object has that key. E_POINTER for a null key.
    virtual HRESULT Remove(const OLECHAR* key) = 0;
    // The object kept under `key` (keys compare exactly): S_OK with it, or S_FALSE with null when there is none.
    // E_POINTER for a null key or out.
    virtual HRESULT FindByKey(const OLECHAR* key, IUnknown** object) = 0;
};

// A unit of connection work handed to every repository that knows its key.
struct IGPThreadCapsule : IUnknown {
    static constexpr IID iid{0x8AF1BDA4, 0xE093, 0x51EA, {0x89, 0x1D, 0xC1, 0xDE, 0xFE, 0x99, 0x2E, 0x86}}; // assigned
    // The key under which repositories keep the object the capsule is about.
    virtual HRESULT get_Key(BSTR* key) = 0;
    // Applies `command` ("connect", "connect_suspend", "refresh" or "disconnect") to `repository`. It is called on
    // the repository's own thread. `ownRepository` is true for the repository of the utility object that sent the
    // capsule; `mainRepository` is true for the repository of the main thread.
    virtual HRESULT Apply(ICIMRepository* repository, const OLECHAR* command, VARIANT_BOOL ownRepository,
                          VARIANT_BOOL mainRepository) = 0;
};

// The utility object's data operations: values made from text and resolved, data named by text or by a value
// opened as data elements, and what that data holds. "Data" arguments typed IUnknown take a data element, a value
// (its text form is the catalog path) or a model variable (its value); a null data argument is E_POINTER.
// Opening failures answer the data access codes: TAVI_E_DATA_NOT_FOUND, TAVI_E_DATA_UNREADABLE,
// TAVI_E_DATA_ACCESS_DENIED, E_INVALIDARG for an empty text.
struct IGPUtilities : IUnknown {
    static constexpr IID iid{0x1DB338BC, 0x8A98, 0x52BD, {0xB4, 0xDA, 0x8D, 0x9D, 0x6A, 0x1E, 0xB6, 0x47}}; // assigned
    // A new value of the data type named `dataTypeName` (any letter case), made from `text` by the data type found
    // through the data type factory. E_INVALIDARG for a name the catalogue does not know; the data type's own
    // failure when it cannot make the value (bad text for a scalar type is its CreateValue's verdict). "GPMap",
    // "GPLayout" and "GPReport" are found as IGPProjectUtilities finds them: S_FALSE and null for a text that names
    // no such item.
    virtual HRESULT MakeGPValueFromText(const OLECHAR* dataTypeName, const OLECHAR* text, IGPValue** value) = 0;
    // The value `source` stands for: a variable's value, or a value; with a variable manager, a value whose text
    // names model variables is resolved against it. S_FALSE with null when a variable holds no value.
    virtual HRESULT ResolveValue(IUnknown* source, IGPVariableManager* manager, IGPValue** value) = 0;
    // Whether values of the data type name stored data: layers, table views, tables, feature classes, datasets,
    // workspaces, folders and files.
    virtual HRESULT IsDataType(IGPDataType* dataType, VARIANT_BOOL* isData) = 0;
    // The same question asked by data type name (any letter case).
    virtual HRESULT IsDataTypeName(const OLECHAR* dataTypeName, VARIANT_BOOL* isData) = 0;
    // The data element a catalog path names (leading and trailing blanks are not part of the path).
    virtual HRESULT OpenDataElementFromText(const OLECHAR* text, IDataElement** element) = 0;
    // The data element `data` names: a data element itself, else the data its value's text names. E_INVALIDARG for
    // an empty value.
    virtual HRESULT OpenDataElement(IUnknown* data, IDataElement** element) = 0;
    // True when the data `data` names opens; never fails for data that is missing or unreadable.
    virtual HRESULT CanOpenData(IUnknown* data, VARIANT_BOOL* canOpen) = 0;
    // True when the data the element stands for still opens at its catalog path.
    virtual HRESULT IsValidDataElement(IDataElement* element, VARIANT_BOOL* valid) = 0;
    // A new envelope of the data's extent (feature classes and rasters), in its spatial reference. S_FALSE with null
    // for data without an extent (tables, workspaces, folders, files).
    virtual HRESULT GetExtent(IUnknown* data, IEnvelope** extent) = 0;
    // The fields of a table or feature class, raster fields left out. S_FALSE with null for data without fields.
    virtual HRESULT GetFields(IUnknown* data, IFields** fields) = 0;
    // The fields with raster fields kept; a raster dataset gives one raster field, "Raster".
    virtual HRESULT GetFieldsWithRaster(IUnknown* data, IFields** fields) = 0;
    // The spatial reference of a feature class or raster. S_FALSE with null for data that names none or has none.
    virtual HRESULT GetSpatialReference(IUnknown* data, ISpatialReference** spatialReference) = 0;
    // True when the last component of `path` has the extension `extension` (with or without its leading point),
    // compared without regard to case. An empty extension matches a path without one.
    virtual HRESULT HasExtension(const OLECHAR* path, const OLECHAR* extension, VARIANT_BOOL* has) = 0;
    // The default workspace: the GeoPackage "scratch.gpkg" in the scratch folder, both made on first need.
    virtual HRESULT GetDefaultWorkspace(IWorkspace** workspace) = 0;
    // Readies a data element before its children are listed; `options` is null or the caller's listing settings
    // (IDEListingOptions), which are read. Listing needs no preparation here yet, so beyond reading them it only
    // checks its arguments: E_POINTER for a null element, E_INVALIDARG for options that do not answer
    // IDEListingOptions, and the options' own failure to be read.
    virtual HRESULT PrepareDataElement(IDataElement* element, IUnknown* options) = 0;
    // The memory workspace "in_memory" or "memory" (any letter case), kept for the life of the process.
    // E_INVALIDARG for any other name.
    virtual HRESULT OpenVirtualWorkspace(const OLECHAR* name, IWorkspace** workspace) = 0;
    // The scratch folder: TAVI_SCRATCH_FOLDER, else $XDG_CACHE_HOME/tavi/scratch, else ~/.cache/tavi/scratch.
    // Naming it creates nothing.
    virtual HRESULT get_ScratchFolder(BSTR* folder) = 0;
    // The extent of the current display, which the host application puts when it has a map display: a new copy,
    // or S_FALSE with null when no display extent was put (always so in a process without a display). Putting
    // null forgets it; an empty envelope is E_INVALIDARG. The setting belongs to the thread's utility object.
    virtual HRESULT get_DisplayExtent(IEnvelope** extent) = 0;
    virtual HRESULT put_DisplayExtent(IEnvelope* extent) = 0;
    // The output coordinate system that tools project their results into (kept by reference), or S_FALSE with null
    // when none is set. Putting null forgets it. It is the process's environment setting "outputCoordinateSystem"
    // (IGPEnvironmentManager), so every utility object on every thread sees the same one.
    virtual HRESULT get_OutputCoordinateSystem(ISpatialReference** spatialReference) = 0;
    virtual HRESULT put_OutputCoordinateSystem(ISpatialReference* spatialReference) = 0;
};

// The utility object's own operations. The first five are the missing-data registry: catalog paths whose data is
// known not to exist, kept by the instance of the main repository thread; instances elsewhere forward to it. Each
// answers S_FALSE and does nothing outside the desktop application (a null out is E_POINTER first).
struct IGPUtilitiesImpl : IUnknown {
    static constexpr IID iid{0xC92C3850, 0xF54B, 0x588C, {0xAB, 0xBD, 0xBA, 0x04, 0x99, 0xEC, 0x69, 0xDF}}; // assigned
    // Records `path` (standardized, so two forms of one path are one entry).
    virtual HRESULT AddNonExistDataPathname(const OLECHAR* path) = 0;
    // `found` is true exactly when the standardized `path` was recorded.
    virtual HRESULT CheckNonExistDataPathname(const OLECHAR* path, VARIANT_BOOL* found) = 0;
    // Forgets every recorded path.
    virtual HRESULT ClearNonExistDataPathname() = 0;
    // Stores the flag here and, on an instance that does not own the registry, also in the owner. Always S_OK in
    // the desktop application.
    virtual HRESULT SetSkipMapObjNonExistData(VARIANT_BOOL skip) = 0;
    // The owner's flag (refreshed from the owner on every call of a non-owner).
    virtual HRESULT GetSkipMapObjNonExistData(VARIANT_BOOL* skip) = 0;

    // Applies `capsule` with `command` to every repository thread's repository that knows the capsule's key.
    // E_POINTER for a null command or capsule; E_INVALIDARG for a command other than "connect",
    // "connect_suspend", "refresh" and "disconnect".
    virtual HRESULT DoThreadCapsule(const OLECHAR* command, IGPThreadCapsule* capsule) = 0;

    // The repository index this instance works with: the one set here, else the index of the repository thread it
    // was created on (0 elsewhere). E_INVALIDARG for an index outside the pool.
    virtual HRESULT get_RepositoryIndex(int32_t* index) = 0;
    virtual HRESULT put_RepositoryIndex(int32_t index) = 0;
    // The construction-time settings read from the current user's "Software\TAVI\Torvik\Settings".
    virtual HRESULT get_CachingEnabled(VARIANT_BOOL* enabled) = 0;
    virtual HRESULT get_RunGPOnlyInMainThread(VARIANT_BOOL* mainOnly) = 0;
    // The display-mode queries that decide how a coded value domain lists its codes: by name only when both are
    // false. Whether the user asked to see codes by their values (the DWORD "ShowCodedValueKeys" 1 in the settings)
    // and whether the process runs scripts, where users type the values (TAVI_SCRIPTING=1 in the environment).
    // Both are read at construction.
    virtual HRESULT get_ShowCodedValueKeys(VARIANT_BOOL* show) = 0;
    virtual HRESULT get_InScriptingSession(VARIANT_BOOL* scripting) = 0;
};

// The utility object's project operations. A project is a document of maps (with their layers), layouts and
// reports; the current one is the document put here, else the one the environment variable TAVI_PROJECT names, and
// it is shared by every utility object of the process. A map, layout or report may also come from a standalone
// file of its kind. The current map is the one put here, else the first map of the project.
struct IGPProjectUtilities : IUnknown {
    static constexpr IID iid{0x27D2275D, 0x2F7B, 0x5153, {0x99, 0xC4, 0x47, 0x8B, 0xEC, 0xE3, 0x3F, 0x02}}; // assigned
    // The path of the current project ("" when there is none). Putting a path reads the document; a document that
    // cannot be read keeps the current project and fails with the reader's code, its message in the error info.
    // Putting "" closes the project.
    virtual HRESULT get_ProjectPath(BSTR* path) = 0;
    virtual HRESULT put_ProjectPath(const OLECHAR* path) = 0;
    // The name of the current map ("" without a project); E_INVALIDARG for a name that is no map of the project.
    virtual HRESULT get_CurrentMap(BSTR* name) = 0;
    virtual HRESULT put_CurrentMap(const OLECHAR* name) = 0;
    // The map, layout or report a text names (an item of the project, or a file of the item's kind); null and
    // S_FALSE when it names none.
    virtual HRESULT FindMap(const OLECHAR* text, IGPMap** map) = 0;
    virtual HRESULT FindLayout(const OLECHAR* text, IGPLayout** layout) = 0;
    virtual HRESULT FindReport(const OLECHAR* text, IGPReport** report) = 0;
    // The names of the layers of the current map, group children after their group, in document order.
    virtual HRESULT GetLayerNames(IEnumBSTR** names) = 0;
    // A new layer value for the layer of the current map of that name (a group with its children); null and
    // S_FALSE when the map has none.
    virtual HRESULT MakeLayer(const OLECHAR* name, IGPLayer** layer) = 0;
};

// What a host shows of the current project: the whole document as one JSON text (docs/project.md gives its keys).
struct IGPProjectUtilities2 : IUnknown {
    static constexpr IID iid{0x775F30E1, 0xD863, 0x5FA2, {0x89, 0x9B, 0x46, 0x0A, 0x0B, 0x3C, 0x28, 0x11}}; // assigned
    // The current project's path, maps (the current one marked) with their layer trees, layouts and reports; data
    // sources absolute, and a layer's kind told from its data where the document gives none ("" when the data does
    // not open). S_FALSE and "" without a project; a TAVI_PROJECT document that cannot be read fails as
    // put_ProjectPath does.
    virtual HRESULT DescribeProject(BSTR* json) = 0;
};

// The data element utilities.
struct IDEUtilities : IUnknown {
    static constexpr IID iid{0xA3B76FF7, 0x0F62, 0x5DEA, {0x8D, 0xA7, 0x60, 0x75, 0x0F, 0x9B, 0xE4, 0x8D}}; // assigned
    // The on/off setting shared by every caller on the thread (the singleton is per thread). It starts on; callers
    // that switch it off restore what they found.
    virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
    virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
    // The full catalog path of `path`: made absolute against the working directory and standardized. E_POINTER
    // for a null path or out.
    virtual HRESULT ResolveCatalogPath(const OLECHAR* path, BSTR* fullPath) = 0;
};
