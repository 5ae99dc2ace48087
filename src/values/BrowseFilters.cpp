// The browse filter tables: file extensions, workspace types and dataset types to the browse dialog's filters.
#include "values/BrowseFilters.h"

#include "host/ObjectArray.h"
#include "host/TypeTexts.h"
#include "tavi/DataAccess.h"
#include "values/GPString.h"

#include <algorithm>
#include <array>

namespace tavi {

namespace {

using Filter = std::u16string_view;

// Files, by what they hold.
constexpr Filter kTextFiles = u"tavi_browseDialogFilters_TextFiles";
constexpr Filter kTables = u"tavi_browseDialogFilters_Tables";
constexpr Filter kSpreadsheets = u"tavi_browseDialogFilters_Spreadsheets";
constexpr Filter kImages = u"tavi_browseDialogFilters_Images";
constexpr Filter kRasters = u"tavi_browseDialogFilters_Rasters";
constexpr Filter kPointClouds = u"tavi_browseDialogFilters_PointClouds";
constexpr Filter kShapefiles = u"tavi_browseDialogFilters_Shapefiles";
constexpr Filter kGeoJSON = u"tavi_browseDialogFilters_GeoJSON";
constexpr Filter kJsonFiles = u"tavi_browseDialogFilters_JsonFiles";
constexpr Filter kKML = u"tavi_browseDialogFilters_KML";
constexpr Filter kCadDrawings = u"tavi_browseDialogFilters_CadDrawings";
constexpr Filter kVectorFiles = u"tavi_browseDialogFilters_VectorFiles";
constexpr Filter kGeoPackages = u"tavi_browseDialogFilters_GeoPackages";
constexpr Filter kSQLiteDatabases = u"tavi_browseDialogFilters_SQLiteDatabases";
constexpr Filter kModels3D = u"tavi_browseDialogFilters_Models3D";
constexpr Filter kMachineLearningModels = u"tavi_browseDialogFilters_MachineLearningModels";
constexpr Filter kDocuments = u"tavi_browseDialogFilters_Documents";
constexpr Filter kArchives = u"tavi_browseDialogFilters_Archives";
constexpr Filter kScripts = u"tavi_browseDialogFilters_Scripts";
// The files of this library.
constexpr Filter kConnectionFiles = u"tavi_browseDialogFilters_ConnectionFiles";
constexpr Filter kLayerFiles = u"tavi_browseDialogFilters_LayerFiles";
constexpr Filter kPackages = u"tavi_browseDialogFilters_Packages";
constexpr Filter kProjectFiles = u"tavi_browseDialogFilters_ProjectFiles";
constexpr Filter kToolboxes = u"tavi_browseDialogFilters_Toolboxes";

// Workspaces.
constexpr Filter kFolders = u"tavi_browseDialogFilters_Folders";
constexpr Filter kFileDatabases = u"tavi_browseDialogFilters_FileDatabases";
constexpr Filter kMobileDatabases = u"tavi_browseDialogFilters_MobileDatabases";
constexpr Filter kProjectDatabases = u"tavi_browseDialogFilters_ProjectDatabases";
constexpr Filter kPortalFeatureWorkspaces = u"tavi_browseDialogFilters_PortalFeatureWorkspaces";

// Datasets.
constexpr Filter kDatasets = u"tavi_browseDialogFilters_Datasets";

struct ExtensionFilter {
    std::u16string_view extension;
    Filter filter;
};

// Sorted by extension (code unit order), one row per extension.
constexpr ExtensionFilter kFileFilters[] = {
    {u"3ds", kModels3D},
    {u"7z", kArchives},
    {u"asc", kRasters},
    {u"bil", kRasters},
    {u"bip", kRasters},
    {u"bmp", kImages},
    {u"bsq", kRasters},
    {u"bz2", kArchives},
    {u"csv", kTextFiles},
    {u"dae", kModels3D},
    {u"db", kSQLiteDatabases},
    {u"dbf", kTables},
    {u"dem", kRasters},
    {u"dgn", kCadDrawings},
    {u"doc", kDocuments},
    {u"docx", kDocuments},
    {u"dt0", kRasters},
    {u"dt1", kRasters},
    {u"dt2", kRasters},
    {u"dwg", kCadDrawings},
    {u"dxf", kCadDrawings},
    {u"e57", kPointClouds},
    {u"ecw", kRasters},
    {u"fbx", kModels3D},
    {u"feather", kTables},
    {u"fgb", kVectorFiles},
    {u"flt", kRasters},
    {u"geojson", kGeoJSON},
    {u"geojsonl", kGeoJSON},
    {u"gif", kImages},
    {u"glb", kModels3D},
    {u"gltf", kModels3D},
    {u"gml", kVectorFiles},
    {u"gmt", kVectorFiles},
    {u"gpkg", kGeoPackages},
    {u"gpx", kVectorFiles},
    {u"grb2", kRasters},
    {u"grd", kRasters},
    {u"grib", kRasters},
    {u"gz", kArchives},
    {u"h5", kRasters},
    {u"hdf", kRasters},
    {u"hgt", kRasters},
    {u"htm", kDocuments},
    {u"html", kDocuments},
    {u"ifc", kModels3D},
    {u"img", kRasters},
    {u"ipynb", kScripts},
    {u"j2k", kRasters},
    {u"jp2", kRasters},
    {u"jpeg", kImages},
    {u"jpg", kImages},
    {u"js", kScripts},
    {u"json", kJsonFiles},
    {u"kml", kKML},
    {u"kmz", kKML},
    {u"las", kPointClouds},
    {u"laz", kPointClouds},
    {u"md", kDocuments},
    {u"mid", kVectorFiles},
    {u"mif", kVectorFiles},
    {u"nc", kRasters},
    {u"ntf", kRasters},
    {u"obj", kModels3D},
    {u"ods", kSpreadsheets},
    {u"odt", kDocuments},
    {u"onnx", kMachineLearningModels},
    {u"osm", kVectorFiles},
    {u"parquet", kTables},
    {u"pbf", kVectorFiles},
    {u"pdf", kDocuments},
    {u"ply", kModels3D},
    {u"png", kImages},
    {u"prn", kTextFiles},
    {u"pt", kMachineLearningModels},
    {u"pth", kMachineLearningModels},
    {u"py", kScripts},
    {u"r", kScripts},
    {u"rtf", kDocuments},
    {u"sdat", kRasters},
    {u"sh", kScripts},
    {u"shp", kShapefiles},
    {u"spatialite", kSQLiteDatabases},
    {u"sql", kScripts},
    {u"sqlite", kSQLiteDatabases},
    {u"sqlite3", kSQLiteDatabases},
    {u"stl", kModels3D},
    {u"svg", kImages},
    {u"tab", kVectorFiles},
    {u"tar", kArchives},
    {u"taviconn", kConnectionFiles},
    {u"tavilayer", kLayerFiles},
    {u"tavipkg", kPackages},
    {u"taviproject", kProjectFiles},
    {u"tavitoolbox", kToolboxes},
    {u"text", kTextFiles},
    {u"tflite", kMachineLearningModels},
    {u"tif", kRasters},
    {u"tiff", kRasters},
    {u"tsv", kTextFiles},
    {u"txt", kTextFiles},
    {u"vrt", kRasters},
    {u"webp", kImages},
    {u"xls", kSpreadsheets},
    {u"xlsb", kSpreadsheets},
    {u"xlsm", kSpreadsheets},
    {u"xlsx", kSpreadsheets},
    {u"xml", kDocuments},
    {u"xyz", kRasters},
    {u"xz", kArchives},
    {u"zip", kArchives},
};

constexpr bool IsStrictlySorted() {
    for (size_t i = 1; i < std::size(kFileFilters); ++i)
        if (!(kFileFilters[i - 1].extension < kFileFilters[i].extension))
            return false;
    return true;
}
static_assert(IsStrictlySorted(), "the extension table must be sorted, without repeats, for the binary search");
static_assert(std::size(kFileFilters) == 111);

struct DatasetFilter {
    int32_t type;
    Filter filter;
};

constexpr DatasetFilter kDatasetFilters[] = {
    {taviDatasetTypeAny, kDatasets},
    {taviDatasetTypeContainer, u"tavi_browseDialogFilters_Containers"},
    {taviDatasetTypeGeo, u"tavi_browseDialogFilters_GeoDatasets"},
    {taviDatasetTypeFeatureDataset, u"tavi_browseDialogFilters_FeatureDatasets"},
    {taviDatasetTypeFeatureClass, u"tavi_browseDialogFilters_FeatureClasses"},
    {taviDatasetTypeTopology, u"tavi_browseDialogFilters_Topologies"},
    {taviDatasetTypeTable, kTables},
    {taviDatasetTypeRasterDataset, u"tavi_browseDialogFilters_RasterDatasets"},
    {taviDatasetTypeTin, u"tavi_browseDialogFilters_Tins"},
    {taviDatasetTypeToolbox, kToolboxes},
    {taviDatasetTypeTool, u"tavi_browseDialogFilters_Tools"},
    {taviDatasetTypeNetworkDataset, u"tavi_browseDialogFilters_NetworkDatasets"},
    {taviDatasetTypeTerrain, u"tavi_browseDialogFilters_Terrains"},
    {taviDatasetTypeMosaicDataset, u"tavi_browseDialogFilters_MosaicDatasets"},
    {taviDatasetTypeLasDataset, u"tavi_browseDialogFilters_LasDatasets"},
    {taviDatasetTypeUtilityNetwork, u"tavi_browseDialogFilters_UtilityNetworks"},
    {taviDatasetTypeTraceNetwork, u"tavi_browseDialogFilters_TraceNetworks"},
    {taviDatasetTypeParcelFabric, u"tavi_browseDialogFilters_ParcelFabrics"},
};

} // namespace

std::u16string_view FileBrowseFilter(std::u16string_view extension) {
    auto row = std::lower_bound(std::begin(kFileFilters), std::end(kFileFilters), extension,
                                [](const ExtensionFilter& r, std::u16string_view key) { return r.extension < key; });
    if (row == std::end(kFileFilters) || row->extension != extension)
        return {};
    return row->filter;
}

size_t FileBrowseFilterCount() {
    return std::size(kFileFilters);
}

std::vector<std::u16string_view> WorkspaceBrowseFilters(int32_t workspaceType) {
    switch (workspaceType) {
    case taviWorkspaceFileSystem:
        return {kFolders};
    case taviWorkspaceLocalDatabase:
        return {kFileDatabases, kSQLiteDatabases, kMobileDatabases};
    case taviWorkspaceRemoteDatabase:
        return {kProjectDatabases};
    case taviWorkspacePortalFeatures:
        return {kPortalFeatureWorkspaces};
    default:
        return {kFolders, kFileDatabases, kProjectDatabases, kPortalFeatureWorkspaces};
    }
}

std::u16string_view DatasetBrowseFilter(int32_t datasetType) {
    for (const auto& row : kDatasetFilters)
        if (row.type == datasetType)
            return row.filter;
    return kDatasets;
}

String FeatureClassBrowseFilter(int32_t shapeType) {
    std::u16string_view text = GeometryTypeText(shapeType);
    if (text.empty() || shapeType == taviGeometryNull)
        return String(DatasetBrowseFilter(taviDatasetTypeFeatureClass));
    return String(u"tavi_browseDialogFilters_") + String(text) + u"FeatureClasses";
}

} // namespace tavi
