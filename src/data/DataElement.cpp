// Opening data elements by catalog path: see DataElement.h.
#include "data/DataElement.h"

#include "data/GdalDataset.h"
#include "data/RasterDataset.h"
#include "data/Table.h"
#include "data/Workspace.h"
#include "platform/Utf.h"

#include <cpl_vsi.h>
#include <sys/stat.h>

#include <unistd.h>

namespace tavi {

namespace {

// Extensions of data formats: a file with one of these that GDAL cannot open is unreadable data, not a plain file.
constexpr const char16_t* kDataExtensions[] = {u"shp",     u"dbf",  u"shx", u"gpkg", u"tif",    u"tiff", u"img", u"csv",
                                               u"geojson", u"json", u"kml", u"gml",  u"sqlite", u"asc",  u"vrt", u"jpg",
                                               u"jpeg",    u"png",  u"nc",  u"dem",  u"fgb",    u"gdb"};

bool HasDataExtension(const GPCatalogPath& path) {
    String extension = path.GetExtension();
    for (const char16_t* known : kDataExtensions)
        if (EqualsNoCase(extension, known))
            return true;
    return false;
}

// A device, pipe or socket is no data: opening one could block on a read that never ends.
enum class Kind { Missing, Folder, File, Special };

Kind KindAt(const String& path) {
    VSIStatBufL stat;
    if (VSIStatL(gdal::ToGdalPath(path).c_str(), &stat) != 0)
        return Kind::Missing;
    if (VSI_ISDIR(stat.st_mode))
        return Kind::Folder;
    return S_ISREG(stat.st_mode) ? Kind::File : Kind::Special;
}

bool IsReadable(const String& path) {
    return access(gdal::ToGdalPath(path).c_str(), R_OK) == 0;
}

bool IsWritable(const String& path) {
    return access(gdal::ToGdalPath(path).c_str(), W_OK) == 0;
}

gdal::DatasetPtr OpenWithGdal(const String& path, unsigned flags, const char* const* drivers = nullptr) {
    return gdal::Share(
        GDALDataset::Open(gdal::ToGdalPath(path).c_str(), flags | GDAL_OF_VERBOSE_ERROR, drivers, nullptr, nullptr));
}

// A vector dataset: a database workspace when it can hold several datasets, else its one table or feature class.
HRESULT ElementOfVectorDataset(gdal::DatasetPtr dataset, const GPCatalogPath& path, IDataElement** element) {
    const char* driver = dataset->GetDriverName();
    bool database = EQUAL(driver, "GPKG") || EQUAL(driver, "SQLite") || EQUAL(driver, "OpenFileGDB");
    if (database || dataset->GetLayerCount() != 1) {
        *element = MakeObject<DatabaseWorkspace>(std::move(dataset), path.GetPathName(), path.GetFile()).Detach();
        return S_OK;
    }
    OGRLayer* layer = dataset->GetLayer(0);
    if (!layer)
        return TAVI_E_DATA_UNREADABLE;
    auto table = MakeTableElement(std::move(dataset), layer, path.GetPathName(), path.GetFile());
    *element = table.Detach();
    return S_OK;
}

// A file that exists: vector data (opened for update when the file may be written), a raster, or a plain file.
HRESULT OpenFile(const GPCatalogPath& path, IDataElement** element) {
    const String& name = path.GetPathName();
    if (!IsReadable(name))
        return TAVI_E_DATA_ACCESS_DENIED;
    gdal::ErrorScope errors;
    unsigned update = IsWritable(name) ? GDAL_OF_UPDATE : GDAL_OF_READONLY;
    // A GeoPackage is a workspace even when it holds only rasters.
    unsigned kinds = EqualsNoCase(path.GetExtension(), u"gpkg") ? GDAL_OF_VECTOR | GDAL_OF_RASTER : GDAL_OF_VECTOR;
    if (auto vector = OpenWithGdal(name, kinds | update))
        return ElementOfVectorDataset(std::move(vector), path, element);
    if (update == GDAL_OF_UPDATE)
        if (auto vector = OpenWithGdal(name, kinds | GDAL_OF_READONLY))
            return ElementOfVectorDataset(std::move(vector), path, element);
    if (auto raster = OpenWithGdal(name, GDAL_OF_RASTER | GDAL_OF_READONLY)) {
        *element = MakeObject<RasterElement>(std::move(raster), name, path.GetFile()).Detach();
        return S_OK;
    }
    if (HasDataExtension(path))
        return TAVI_E_DATA_UNREADABLE;
    *element = MakeObject<FileElement>(name, path.GetFile()).Detach();
    return S_OK;
}

// A folder that exists: a file database when it ends in .gdb, else a folder workspace.
HRESULT OpenFolder(const GPCatalogPath& path, IDataElement** element) {
    const String& name = path.GetPathName();
    if (EqualsNoCase(path.GetExtension(), u"gdb")) {
        if (!IsReadable(name))
            return TAVI_E_DATA_ACCESS_DENIED;
        gdal::ErrorScope errors;
        const char* const drivers[] = {"OpenFileGDB", nullptr};
        auto database = OpenWithGdal(name, GDAL_OF_VECTOR | (IsWritable(name) ? GDAL_OF_UPDATE : 0), drivers);
        if (!database)
            database = OpenWithGdal(name, GDAL_OF_VECTOR, drivers);
        if (!database)
            return TAVI_E_DATA_UNREADABLE;
        *element = MakeObject<DatabaseWorkspace>(std::move(database), name, path.GetFile()).Detach();
        return S_OK;
    }
    *element = MakeObject<FolderWorkspace>(name, path.GetFile()).Detach();
    return S_OK;
}

HRESULT OpenExisting(const GPCatalogPath& path, Kind kind, IDataElement** element) {
    if (kind == Kind::Special)
        return TAVI_E_DATA_UNREADABLE;
    return kind == Kind::Folder ? OpenFolder(path, element) : OpenFile(path, element);
}

// A path that does not exist may name a dataset inside a container: the nearest existing ancestor must be a
// database workspace, and the last component names the dataset (file databases flatten their feature datasets, so
// data.gdb/transport/roads finds roads).
HRESULT OpenInsideContainer(const GPCatalogPath& path, IDataElement** element) {
    String ancestor = path.GetPath();
    while (!ancestor.empty() && ancestor != u"/" && KindAt(ancestor) == Kind::Missing)
        ancestor = GPCatalogPath(ancestor).GetPath();
    if (ancestor.empty() || ancestor == u"/")
        return TAVI_E_DATA_NOT_FOUND;
    ComPtr<IDataElement> container;
    if (HRESULT hr = OpenExisting(GPCatalogPath(ancestor), KindAt(ancestor), container.Out()); FAILED(hr))
        return hr;
    auto workspace = container.As<IDEWorkspace>();
    int32_t type = taviWorkspaceFileSystem;
    if (!workspace || FAILED(workspace->get_WorkspaceType(&type)) || type != taviWorkspaceLocalDatabase)
        return TAVI_E_DATA_NOT_FOUND; // a folder holds no missing file; a plain file holds nothing
    return container.As<IWorkspace>()->OpenDataElement(BStr(path.GetFile()).c_str(), element);
}

HRESULT OpenMemory(const GPCatalogPath& path, IDataElement** element) {
    const String& name = path.GetPathName();
    size_t slash = name.find(u'/');
    ComPtr<IDataElement> workspace;
    if (HRESULT hr = OpenMemoryWorkspace(name.substr(0, slash), workspace.Out()); FAILED(hr))
        return hr;
    if (slash == String::npos) {
        *element = workspace.Detach();
        return S_OK;
    }
    return workspace.As<IWorkspace>()->OpenDataElement(BStr(path.GetFile()).c_str(), element);
}

template <class I> HRESULT OpenAs(std::u16string_view catalogPath, I** out) {
    if (HRESULT hr = ClearOut(out); FAILED(hr))
        return hr;
    ComPtr<IDataElement> element;
    if (HRESULT hr = OpenDataElement(catalogPath, element.Out()); FAILED(hr))
        return hr;
    return element->QueryInterface(I::iid, reinterpret_cast<void**>(out));
}

} // namespace

HRESULT OpenDataElement(std::u16string_view catalogPath, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (Trim(catalogPath).empty() || catalogPath.find(u'\0') != std::u16string_view::npos)
            return E_INVALIDARG;
        if (!gdal::IsLocalPath(catalogPath))
            return E_INVALIDARG;
        gdal::EnsureInitialized();
        GPCatalogPath path(catalogPath);
        if (IsMemoryWorkspacePath(path.GetPathName()))
            return OpenMemory(path, element);
        Kind kind = KindAt(path.GetPathName());
        if (kind == Kind::Missing)
            return OpenInsideContainer(path, element);
        return OpenExisting(path, kind, element);
    });
}

HRESULT OpenTable(std::u16string_view catalogPath, ITable** table) {
    return OpenAs(catalogPath, table);
}

HRESULT OpenFeatureClass(std::u16string_view catalogPath, IFeatureClass** featureClass) {
    return OpenAs(catalogPath, featureClass);
}

HRESULT OpenRasterDataset(std::u16string_view catalogPath, IRasterDataset** raster) {
    return OpenAs(catalogPath, raster);
}

HRESULT OpenWorkspace(std::u16string_view catalogPath, IWorkspace** workspace) {
    return OpenAs(catalogPath, workspace);
}

} // namespace tavi
