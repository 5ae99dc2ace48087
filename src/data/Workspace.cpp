// Workspaces: see Workspace.h.
#include "data/Workspace.h"

#include "data/Field.h"
#include "data/RasterDataset.h"
#include "data/Table.h"
#include "platform/BStr.h"
#include "platform/HandOut.h"
#include "platform/Utf.h"

#include <cpl_vsi.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>

namespace tavi {

namespace {

String JoinPath(const String& folder, std::u16string_view name) {
    if (folder.empty())
        return String(name);
    return folder.back() == u'/' ? folder + String(name) : folder + u'/' + String(name);
}

// The side files a shapefile keeps beside its .shp.
bool IsShapefileSideFile(const std::filesystem::path& file) {
    static const char* const kSideExtensions[] = {".dbf", ".shx", ".prj", ".cpg", ".sbn", ".sbx", ".qix", ".shp.xml"};
    std::string name = file.filename().string();
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* extension : kSideExtensions) {
        std::string_view ext(extension);
        if (lower.size() > ext.size() && lower.ends_with(ext)) {
            std::string stem = name.substr(0, name.size() - ext.size());
            std::error_code ignored;
            if (std::filesystem::exists(file.parent_path() / (stem + ".shp"), ignored) ||
                std::filesystem::exists(file.parent_path() / (stem + ".SHP"), ignored))
                return true;
        }
    }
    return false;
}

// The OGR geometry type for a shape type with Z and M as asked; wkbUnknown for a shape type that cannot be made.
OGRwkbGeometryType GeometryTypeFor(int32_t shapeType, VARIANT_BOOL hasZ, VARIANT_BOOL hasM) {
    OGRwkbGeometryType type = wkbUnknown;
    switch (shapeType) {
    case taviGeometryPoint:
        type = wkbPoint;
        break;
    case taviGeometryMultipoint:
        type = wkbMultiPoint;
        break;
    case taviGeometryPolyline:
        type = wkbMultiLineString;
        break;
    case taviGeometryPolygon:
        type = wkbMultiPolygon;
        break;
    default:
        return wkbUnknown;
    }
    return OGR_GT_SetModifier(type, hasZ != 0, hasM != 0);
}

// The coordinate system of a spatial reference, read back from its well-known text; null for none.
HRESULT ToOgrSpatialReference(ISpatialReference* spatialReference, std::unique_ptr<OGRSpatialReference>& srs) {
    srs.reset();
    if (!spatialReference)
        return S_OK;
    BStr wkt;
    if (HRESULT hr = spatialReference->ExportToWKT(wkt.Out()); FAILED(hr))
        return hr;
    srs = std::make_unique<OGRSpatialReference>();
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    gdal::ErrorScope quiet;
    return srs->importFromWkt(ToUtf8(wkt.view()).c_str()) == OGRERR_NONE ? S_OK : E_INVALIDARG;
}

// The attribute fields to create: every field of the list that is no object identifier and no shape.
HRESULT AttributeDefinitions(IFields* fields, std::vector<std::unique_ptr<OGRFieldDefn>>& definitions) {
    if (!fields)
        return S_OK;
    int32_t count = 0;
    if (HRESULT hr = fields->get_FieldCount(&count); FAILED(hr))
        return hr;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        FieldProperties properties;
        if (HRESULT hr = fields->get_Field(i, field.Out()); FAILED(hr))
            return hr;
        if (HRESULT hr = ReadFieldProperties(field.Get(), properties); FAILED(hr))
            return hr;
        if (properties.type == taviFieldTypeOID || properties.type == taviFieldTypeGeometry)
            continue;
        std::unique_ptr<OGRFieldDefn> definition;
        if (HRESULT hr = ToOgrField(properties, definition); FAILED(hr))
            return hr;
        definitions.push_back(std::move(definition));
    }
    return S_OK;
}

// Deletes a layer of `dataset` (with a shapefile's dataset, its files).
void RemoveLayer(GDALDataset& dataset, OGRLayer* layer) {
    gdal::ErrorScope quiet;
    for (int i = 0; i < dataset.GetLayerCount(); ++i) {
        if (dataset.GetLayer(i) == layer) {
            dataset.DeleteLayer(i);
            return;
        }
    }
}

// Creates layer `name` in `dataset` with the fields; the layer or a failure code. Nothing is left when it fails.
HRESULT CreateLayer(GDALDataset& dataset, const std::string& name, IFields* fields, OGRwkbGeometryType geometry,
                    ISpatialReference* spatialReference, OGRLayer** created) {
    std::vector<std::unique_ptr<OGRFieldDefn>> definitions;
    if (HRESULT hr = AttributeDefinitions(fields, definitions); FAILED(hr))
        return hr;
    std::unique_ptr<OGRSpatialReference> srs;
    if (HRESULT hr = ToOgrSpatialReference(spatialReference, srs); FAILED(hr))
        return hr;
    if (!dataset.TestCapability(ODsCCreateLayer))
        return TAVI_E_DATA_ACCESS_DENIED;
    gdal::ErrorScope errors;
    OGRLayer* layer = dataset.CreateLayer(name.c_str(), srs.get(), geometry, nullptr);
    if (!layer)
        return errors.HasError() ? gdal::ResultFromError(errors.ErrorNumber()) : E_FAIL;
    for (const auto& definition : definitions) {
        if (layer->CreateField(definition.get()) != OGRERR_NONE) {
            RemoveLayer(dataset, layer); // a field the format cannot store: no table without it is left behind
            return E_INVALIDARG;
        }
    }
    *created = layer;
    return S_OK;
}

HRESULT CheckName(const OLECHAR* name) {
    if (!name)
        return E_POINTER;
    return Trim(name).empty() || std::u16string_view(name).find_first_of(u"/\\") != std::u16string_view::npos
               ? E_INVALIDARG
               : S_OK;
}

} // namespace

FolderWorkspace::FolderWorkspace(String catalogPath, String name)
    : DataElementObject(u"DEFolder", std::move(catalogPath), std::move(name)) {}

HRESULT FolderWorkspace::get_WorkspaceType(int32_t* type) {
    return HandOutValue<int32_t>(taviWorkspaceFileSystem, type);
}

HRESULT FolderWorkspace::OpenWorkspace(IWorkspace** workspace) {
    if (HRESULT hr = ClearOut(workspace); FAILED(hr))
        return hr;
    *workspace = this;
    AddRef();
    return S_OK;
}

HRESULT FolderWorkspace::get_PathName(BSTR* path) {
    return HandOut(CatalogPath(), path);
}

HRESULT FolderWorkspace::get_Type(int32_t* type) {
    return get_WorkspaceType(type);
}

HRESULT FolderWorkspace::OpenDataElement(const OLECHAR* name, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    if (!*name)
        return E_INVALIDARG;
    return guard([&] { return tavi::OpenDataElement(JoinPath(CatalogPath(), name), element); });
}

namespace {

// Creates a shapefile or .dbf at `path` holding one layer, closed again so that it is then opened like any file.
HRESULT CreateFileDataset(const String& path, IFields* fields, OGRwkbGeometryType geometry,
                          ISpatialReference* spatialReference) {
    VSIStatBufL stat;
    std::string file = gdal::ToGdalPath(path);
    if (VSIStatL(file.c_str(), &stat) == 0)
        return TAVI_E_DATA_EXISTS;
    GDALDriver* driver = gdal::VectorDriverForExtension("shp");
    if (!driver)
        return E_FAIL;
    gdal::ErrorScope errors;
    auto dataset = gdal::Share(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        return errors.HasError() ? gdal::ResultFromError(errors.ErrorNumber()) : TAVI_E_DATA_ACCESS_DENIED;
    OGRLayer* layer = nullptr;
    return CreateLayer(*dataset, ToUtf8(GPCatalogPath(path).GetBaseName()), fields, geometry, spatialReference, &layer);
}

String WithExtension(const OLECHAR* name, const char16_t* extension) {
    GPCatalogPath path(name);
    return path.GetExtension().empty() ? String(name) + u'.' + extension : String(name);
}

} // namespace

HRESULT FolderWorkspace::CreateTable(const OLECHAR* name, IFields* fields, ITable** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    if (HRESULT hr = CheckName(name); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String path = JoinPath(CatalogPath(), WithExtension(name, u"dbf"));
        if (HRESULT hr = CreateFileDataset(path, fields, wkbNone, nullptr); FAILED(hr))
            return hr;
        return tavi::OpenTable(path, table);
    });
}

HRESULT FolderWorkspace::CreateFeatureClass(const OLECHAR* name, IFields* fields, int32_t shapeType, VARIANT_BOOL hasZ,
                                            VARIANT_BOOL hasM, ISpatialReference* spatialReference,
                                            IFeatureClass** featureClass) {
    if (HRESULT hr = ClearOut(featureClass); FAILED(hr))
        return hr;
    if (HRESULT hr = CheckName(name); FAILED(hr))
        return hr;
    OGRwkbGeometryType geometry = GeometryTypeFor(shapeType, hasZ, hasM);
    if (geometry == wkbUnknown)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        String path = JoinPath(CatalogPath(), WithExtension(name, u"shp"));
        if (HRESULT hr = CreateFileDataset(path, fields, geometry, spatialReference); FAILED(hr))
            return hr;
        return tavi::OpenFeatureClass(path, featureClass);
    });
}

HRESULT FolderWorkspace::ListChildren(std::vector<ComPtr<IDataElement>>& children) {
    std::error_code error;
    std::filesystem::directory_iterator entries(std::filesystem::path(gdal::ToGdalPath(CatalogPath())), error);
    if (error)
        return TAVI_E_DATA_UNREADABLE;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : entries) {
        std::string file = entry.path().filename().string();
        if (!file.empty() && file[0] != '.' && !IsShapefileSideFile(entry.path()))
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        ComPtr<IDataElement> child;
        // A child that cannot be read is left out of the listing, not a failure of the folder.
        if (SUCCEEDED(tavi::OpenDataElement(JoinPath(CatalogPath(), FromUtf8(path.filename().string())), child.Out())))
            children.push_back(std::move(child));
    }
    return S_OK;
}

DatabaseWorkspace::DatabaseWorkspace(gdal::DatasetPtr dataset, String catalogPath, String name)
    : DataElementObject(u"DEWorkspace", std::move(catalogPath), std::move(name)), dataset_(std::move(dataset)) {}

HRESULT DatabaseWorkspace::get_WorkspaceType(int32_t* type) {
    return HandOutValue<int32_t>(taviWorkspaceLocalDatabase, type);
}

HRESULT DatabaseWorkspace::OpenWorkspace(IWorkspace** workspace) {
    if (HRESULT hr = ClearOut(workspace); FAILED(hr))
        return hr;
    *workspace = this;
    AddRef();
    return S_OK;
}

HRESULT DatabaseWorkspace::get_PathName(BSTR* path) {
    return HandOut(CatalogPath(), path);
}

HRESULT DatabaseWorkspace::get_Type(int32_t* type) {
    return get_WorkspaceType(type);
}

HRESULT DatabaseWorkspace::OpenDataElement(const OLECHAR* name, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    if (!*name)
        return E_INVALIDARG;
    auto held = dataset_.Lock();
    return guard([&]() -> HRESULT {
        for (int i = 0; i < dataset_->GetLayerCount(); ++i) {
            OGRLayer* layer = dataset_->GetLayer(i);
            if (!layer)
                continue;
            String layerName = FromUtf8(layer->GetName());
            if (EqualsNoCase(layerName, name)) {
                *element = MakeTableElement(dataset_, layer, JoinPath(CatalogPath(), layerName)).Detach();
                return S_OK;
            }
        }
        for (const String& table : RasterTableNames())
            if (EqualsNoCase(table, name))
                return OpenRasterTable(table, element);
        return TAVI_E_DATA_NOT_FOUND;
    });
}

HRESULT DatabaseWorkspace::Create(const OLECHAR* name, IFields* fields, OGRwkbGeometryType geometry,
                                  ISpatialReference* spatialReference, REFIID riid, void** out) {
    if (HRESULT hr = CheckName(name); FAILED(hr))
        return hr;
    // Held from the look for an existing table to the new one's fields: no other thread makes the same name
    // meanwhile or opens the table half made.
    auto held = dataset_.Lock();
    return guard([&]() -> HRESULT {
        ComPtr<IDataElement> existing;
        if (OpenDataElement(name, existing.Out()) == S_OK)
            return TAVI_E_DATA_EXISTS;
        OGRLayer* layer = nullptr;
        if (HRESULT hr = CreateLayer(*dataset_, ToUtf8(name), fields, geometry, spatialReference, &layer); FAILED(hr))
            return hr;
        auto element = MakeTableElement(dataset_, layer, JoinPath(CatalogPath(), FromUtf8(layer->GetName())));
        return element->QueryInterface(riid, out);
    });
}

HRESULT DatabaseWorkspace::CreateTable(const OLECHAR* name, IFields* fields, ITable** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    return Create(name, fields, wkbNone, nullptr, ITable::iid, reinterpret_cast<void**>(table));
}

HRESULT DatabaseWorkspace::CreateFeatureClass(const OLECHAR* name, IFields* fields, int32_t shapeType,
                                              VARIANT_BOOL hasZ, VARIANT_BOOL hasM, ISpatialReference* spatialReference,
                                              IFeatureClass** featureClass) {
    if (HRESULT hr = ClearOut(featureClass); FAILED(hr))
        return hr;
    OGRwkbGeometryType geometry = GeometryTypeFor(shapeType, hasZ, hasM);
    if (geometry == wkbUnknown)
        return E_INVALIDARG;
    return Create(name, fields, geometry, spatialReference, IFeatureClass::iid, reinterpret_cast<void**>(featureClass));
}

HRESULT DatabaseWorkspace::ListChildren(std::vector<ComPtr<IDataElement>>& children) {
    auto held = dataset_.Lock();
    for (int i = 0; i < dataset_->GetLayerCount(); ++i) {
        OGRLayer* layer = dataset_->GetLayer(i);
        if (!layer)
            continue; // a layer the driver cannot read is left out of the listing
        children.push_back(MakeTableElement(dataset_, layer, JoinPath(CatalogPath(), FromUtf8(layer->GetName()))));
    }
    for (const String& table : RasterTableNames()) {
        ComPtr<IDataElement> raster;
        if (SUCCEEDED(OpenRasterTable(table, raster.Out())))
            children.push_back(std::move(raster));
    }
    return S_OK;
}

std::vector<String> DatabaseWorkspace::RasterTableNames() const {
    std::vector<String> names;
    auto held = dataset_.Lock();
    if (!EQUAL(dataset_->GetDriverName(), "GPKG"))
        return names;
    gdal::ErrorScope quiet;
    OGRLayer* result = dataset_->ExecuteSQL("SELECT table_name FROM gpkg_contents WHERE data_type IN "
                                            "('tiles', '2d-gridded-coverage') ORDER BY table_name",
                                            nullptr, nullptr);
    if (!result)
        return names;
    while (std::unique_ptr<OGRFeature> row{result->GetNextFeature()})
        names.push_back(FromUtf8(row->GetFieldAsString(0)));
    dataset_->ReleaseResultSet(result);
    return names;
}

HRESULT DatabaseWorkspace::OpenRasterTable(const String& table, IDataElement** element) {
    gdal::ErrorScope errors;
    std::string connection = "GPKG:" + gdal::ToGdalPath(CatalogPath()) + ":" + ToUtf8(table);
    auto raster = gdal::Share(GDALDataset::Open(connection.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!raster)
        return TAVI_E_DATA_UNREADABLE;
    *element = MakeObject<RasterElement>(std::move(raster), JoinPath(CatalogPath(), table), table).Detach();
    return S_OK;
}

bool IsMemoryWorkspacePath(std::u16string_view catalogPath) {
    std::u16string_view first = catalogPath.substr(0, catalogPath.find_first_of(u"/\\"));
    return EqualsNoCase(first, u"in_memory") || EqualsNoCase(first, u"memory");
}

HRESULT OpenMemoryWorkspace(std::u16string_view workspaceName, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        gdal::EnsureInitialized();
        // Never destroyed: the memory workspaces hold their data until the process ends.
        static auto* workspaces = new std::map<String, gdal::DatasetPtr>();
        static std::mutex lock;
        String key = ToLowerAscii(workspaceName);
        gdal::DatasetPtr dataset;
        {
            std::lock_guard<std::mutex> held(lock);
            auto& slot = (*workspaces)[key];
            if (!slot) {
                GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Memory");
                if (!driver)
                    return E_FAIL;
                gdal::ErrorScope errors;
                slot = gdal::Share(driver->Create(ToUtf8(key).c_str(), 0, 0, 0, GDT_Unknown, nullptr));
                if (!slot)
                    return E_FAIL;
            }
            dataset = slot;
        }
        *element = MakeObject<DatabaseWorkspace>(std::move(dataset), key, key).Detach();
        return S_OK;
    });
}

} // namespace tavi
