// Workspaces: a folder ("DEFolder", file system type 0) and a database ("DEWorkspace", local database type 1): a
// GeoPackage, a file database folder (.gdb), or one of the memory workspaces "in_memory" and "memory", which live
// as long as the process.
#pragma once

#include "data/DataElement.h"
#include "data/GdalDataset.h"

namespace tavi {

class FolderWorkspace final : public DataElementObject<FolderWorkspace, IDEWorkspace, IWorkspace> {
public:
    static constexpr const char16_t* kClassName = u"DEFolder";

    FolderWorkspace(String catalogPath, String name);

    // IDEWorkspace
    HRESULT get_WorkspaceType(int32_t* type) override;
    HRESULT OpenWorkspace(IWorkspace** workspace) override;
    // IWorkspace
    HRESULT get_PathName(BSTR* path) override;
    HRESULT get_Type(int32_t* type) override;
    HRESULT OpenDataElement(const OLECHAR* name, IDataElement** element) override;
    // A table is a .dbf and a feature class a shapefile; the name gets the extension when it has none.
    HRESULT CreateTable(const OLECHAR* name, IFields* fields, ITable** table) override;
    HRESULT CreateFeatureClass(const OLECHAR* name, IFields* fields, int32_t shapeType, VARIANT_BOOL hasZ,
                               VARIANT_BOOL hasM, ISpatialReference* spatialReference,
                               IFeatureClass** featureClass) override;

protected:
    bool IsContainer() const override { return true; }
    // Subfolders and the files that open as data elements, by name; hidden entries and the side files of a
    // shapefile (.dbf, .shx, .prj, ... beside a .shp of the same name) are left out.
    HRESULT ListChildren(std::vector<ComPtr<IDataElement>>& children) override;
};

// Tables, feature classes and (in a GeoPackage) raster tables; names compare without regard to case.
class DatabaseWorkspace final : public DataElementObject<DatabaseWorkspace, IDEWorkspace, IWorkspace> {
public:
    static constexpr const char16_t* kClassName = u"DEWorkspace";

    DatabaseWorkspace(gdal::DatasetPtr dataset, String catalogPath, String name);

    // IDEWorkspace
    HRESULT get_WorkspaceType(int32_t* type) override;
    HRESULT OpenWorkspace(IWorkspace** workspace) override;
    // IWorkspace. Dataset names compare without regard to case.
    HRESULT get_PathName(BSTR* path) override;
    HRESULT get_Type(int32_t* type) override;
    HRESULT OpenDataElement(const OLECHAR* name, IDataElement** element) override;
    HRESULT CreateTable(const OLECHAR* name, IFields* fields, ITable** table) override;
    HRESULT CreateFeatureClass(const OLECHAR* name, IFields* fields, int32_t shapeType, VARIANT_BOOL hasZ,
                               VARIANT_BOOL hasM, ISpatialReference* spatialReference,
                               IFeatureClass** featureClass) override;

protected:
    bool IsContainer() const override { return true; }
    // The tables and feature classes in stored order, then a GeoPackage's raster tables by name.
    HRESULT ListChildren(std::vector<ComPtr<IDataElement>>& children) override;

private:
    // The raster tables of a GeoPackage (none for other databases).
    std::vector<String> RasterTableNames() const;
    HRESULT OpenRasterTable(const String& table, IDataElement** element);
    HRESULT Create(const OLECHAR* name, IFields* fields, OGRwkbGeometryType geometry,
                   ISpatialReference* spatialReference, REFIID riid, void** out);

    gdal::DatasetPtr dataset_;
};

// True when the first component of a catalog path names a memory workspace ("in_memory" or "memory", any case).
bool IsMemoryWorkspacePath(std::u16string_view catalogPath);

// The memory workspace a catalog path begins with, created on first use and kept for the life of the process. Every
// thread opens the same dataset, so a table made on one thread is seen by all; the objects opened from it serialise
// their use of it through its lock.
HRESULT OpenMemoryWorkspace(std::u16string_view workspaceName, IDataElement** element);

} // namespace tavi
