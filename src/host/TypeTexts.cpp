// The host's texts of field, geometry, feature, dataset and workspace type codes: see TypeTexts.h and
// docs/type-texts.md. Documents store these texts, so a text once written here must keep reading back to its code.
#include "host/TypeTexts.h"

#include "tavi/DataAccess.h"

#include <span>

namespace tavi {

namespace {

struct TypeText {
    int32_t code;
    std::u16string_view text;
};

constexpr TypeText kFieldTypes[] = {
    {taviFieldTypeSmallInteger, u"Short"},
    {taviFieldTypeInteger, u"Long"},
    {taviFieldTypeSingle, u"Float"},
    {taviFieldTypeDouble, u"Double"},
    {taviFieldTypeString, u"Text"},
    {taviFieldTypeDate, u"Date"},
    {taviFieldTypeOID, u"OID"},
    {taviFieldTypeGeometry, u"Geometry"},
    {taviFieldTypeBlob, u"Blob"},
    {taviFieldTypeRaster, u"Raster"},
    {taviFieldTypeGUID, u"GUID"},
    {taviFieldTypeGlobalID, u"GlobalID"},
    {taviFieldTypeXML, u"XML"},
    {taviFieldTypeBigInteger, u"BigInteger"},
    {taviFieldTypeDateOnly, u"DateOnly"},
    {taviFieldTypeTimeOnly, u"TimeOnly"},
    {taviFieldTypeTimestampOffset, u"TimestampOffset"},
};

constexpr TypeText kGeometryTypes[] = {
    {taviGeometryNull, u"Null"},         {taviGeometryPoint, u"Point"},     {taviGeometryMultipoint, u"Multipoint"},
    {taviGeometryPolyline, u"Polyline"}, {taviGeometryPolygon, u"Polygon"}, {taviGeometryMultiPatch, u"MultiPatch"},
};

constexpr TypeText kFeatureTypes[] = {
    {taviFeatureTypeSimple, u"Simple"},
    {taviFeatureTypeAnnotation, u"Annotation"},
    {taviFeatureTypeDimension, u"Dimension"},
};

constexpr TypeText kDatasetTypes[] = {
    {taviDatasetTypeAny, u"Any"},
    {taviDatasetTypeContainer, u"Container"},
    {taviDatasetTypeGeo, u"Geo"},
    {taviDatasetTypeFeatureDataset, u"FeatureDataset"},
    {taviDatasetTypeFeatureClass, u"FeatureClass"},
    {taviDatasetTypeTopology, u"Topology"},
    {taviDatasetTypeTable, u"Table"},
    {taviDatasetTypeRasterDataset, u"RasterDataset"},
    {taviDatasetTypeTin, u"Tin"},
    {taviDatasetTypeToolbox, u"Toolbox"},
    {taviDatasetTypeTool, u"Tool"},
    {taviDatasetTypeNetworkDataset, u"NetworkDataset"},
    {taviDatasetTypeTerrain, u"Terrain"},
    {taviDatasetTypeMosaicDataset, u"MosaicDataset"},
    {taviDatasetTypeLasDataset, u"LasDataset"},
    {taviDatasetTypeUtilityNetwork, u"UtilityNetwork"},
    {taviDatasetTypeTraceNetwork, u"TraceNetwork"},
    {taviDatasetTypeParcelFabric, u"ParcelFabric"},
};

// The data element type names of the dataset types: the names data elements report (a container is a workspace),
// the others "DE" and the dataset type's text.
constexpr TypeText kDatasetElementTypes[] = {
    {taviDatasetTypeAny, u"DEAny"},
    {taviDatasetTypeContainer, u"DEWorkspace"},
    {taviDatasetTypeGeo, u"DEGeo"},
    {taviDatasetTypeFeatureDataset, u"DEFeatureDataset"},
    {taviDatasetTypeFeatureClass, u"DEFeatureClass"},
    {taviDatasetTypeTopology, u"DETopology"},
    {taviDatasetTypeTable, u"DETable"},
    {taviDatasetTypeRasterDataset, u"DERasterDataset"},
    {taviDatasetTypeTin, u"DETin"},
    {taviDatasetTypeToolbox, u"DEToolbox"},
    {taviDatasetTypeTool, u"DETool"},
    {taviDatasetTypeNetworkDataset, u"DENetworkDataset"},
    {taviDatasetTypeTerrain, u"DETerrain"},
    {taviDatasetTypeMosaicDataset, u"DEMosaicDataset"},
    {taviDatasetTypeLasDataset, u"DELasDataset"},
    {taviDatasetTypeUtilityNetwork, u"DEUtilityNetwork"},
    {taviDatasetTypeTraceNetwork, u"DETraceNetwork"},
    {taviDatasetTypeParcelFabric, u"DEParcelFabric"},
};

constexpr TypeText kWorkspaceTypes[] = {
    {taviWorkspaceFileSystem, u"FileSystem"},
    {taviWorkspaceLocalDatabase, u"LocalDatabase"},
    {taviWorkspaceRemoteDatabase, u"RemoteDatabase"},
    {taviWorkspacePortalFeatures, u"PortalFeatures"},
};

// Each table names every code once and every text once (without regard to case), so that the lookups in either
// direction are functions.
constexpr char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr bool EqualsNoCaseAscii(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

template <size_t N> constexpr bool IsOneToOne(const TypeText (&table)[N]) {
    for (size_t i = 0; i < N; ++i)
        for (size_t j = i + 1; j < N; ++j)
            if (table[i].code == table[j].code || EqualsNoCaseAscii(table[i].text, table[j].text))
                return false;
    return true;
}

static_assert(IsOneToOne(kFieldTypes) && IsOneToOne(kGeometryTypes) && IsOneToOne(kFeatureTypes) &&
              IsOneToOne(kDatasetTypes) && IsOneToOne(kDatasetElementTypes) && IsOneToOne(kWorkspaceTypes));

std::u16string_view TextOf(std::span<const TypeText> table, int32_t code) {
    for (const TypeText& row : table)
        if (row.code == code)
            return row.text;
    return {};
}

// The code of `text` with the blanks around it ignored and its letters compared without regard to case. The texts
// of the tables are ASCII, and only ASCII letters are folded: a text that reaches one of them only through Unicode
// case folding (a Kelvin sign for a "k") is not one of these texts.
std::optional<int32_t> CodeOf(std::span<const TypeText> table, std::u16string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.remove_suffix(1);
    for (const TypeText& row : table)
        if (EqualsNoCaseAscii(row.text, text))
            return row.code;
    return std::nullopt;
}

String TextOrNumber(std::u16string_view text, int32_t code) {
    return text.empty() ? FormatInteger("%lld", code) : String(text);
}

} // namespace

std::u16string_view GetFieldType(int32_t fieldType) {
    return TextOf(kFieldTypes, fieldType);
}
std::optional<int32_t> FieldTypeFromText(std::u16string_view text) {
    return CodeOf(kFieldTypes, text);
}

std::u16string_view GeometryTypeText(int32_t geometryType) {
    return TextOf(kGeometryTypes, geometryType);
}
std::optional<int32_t> GeometryTypeFromText(std::u16string_view text) {
    return CodeOf(kGeometryTypes, text);
}

std::u16string_view FeatureTypeText(int32_t featureType) {
    return TextOf(kFeatureTypes, featureType);
}
std::optional<int32_t> FeatureTypeFromText(std::u16string_view text) {
    return CodeOf(kFeatureTypes, text);
}

std::u16string_view DatasetTypeText(int32_t datasetType) {
    return TextOf(kDatasetTypes, datasetType);
}
std::optional<int32_t> DatasetTypeFromText(std::u16string_view text) {
    return CodeOf(kDatasetTypes, text);
}

std::u16string_view DatasetTypeElementType(int32_t datasetType) {
    return TextOf(kDatasetElementTypes, datasetType);
}
std::optional<int32_t> DatasetTypeFromElementType(std::u16string_view elementType) {
    return CodeOf(kDatasetElementTypes, elementType);
}

std::u16string_view WorkspaceTypeText(int32_t workspaceType) {
    return TextOf(kWorkspaceTypes, workspaceType);
}
std::optional<int32_t> WorkspaceTypeFromText(std::u16string_view text) {
    return CodeOf(kWorkspaceTypes, text);
}

namespace GeoprocessingUtil {

String ConvertGeometryTypeToString(int32_t geometryType) {
    return TextOrNumber(GeometryTypeText(geometryType), geometryType);
}

String ConvertFeatureTypeToString(int32_t featureType) {
    return TextOrNumber(FeatureTypeText(featureType), featureType);
}

} // namespace GeoprocessingUtil

} // namespace tavi
