// The data type catalogue and its name index.
#include "catalogue/DataTypeCatalogue.h"

#include "host/String.h"
#include "layers/LayerMembers.h"
#include "tavi/ClassIds.h"
#include "tavi/GPRecordSet.h"
#include "tavi/GPValue.h"
#include "values/DEDataTypes.h"
#include "values/GPCellSizeXYType.h"
#include "values/GPEncryptedStringType.h"
#include "values/GPEnvelopeTypes.h"
#include "values/GPExpressions.h"
#include "values/GPFieldInfo.h"
#include "values/GPFieldMappingType.h"
#include "values/GPMapTypes.h"
#include "values/GPRandomNumberGenerator.h"
#include "values/GPScalarTypes.h"
#include "values/GPShapeTypes.h"
#include "values/GPSpatialReferenceTypes.h"
#include "values/GPStringType.h"
#include "values/GPUnitTypes.h"
#include "values/GPVariantType.h"

#include <array>
#include <cstring>
#include <iterator>

namespace tavi {

namespace {

// A row of a data type still to be built: its identifier (tavi/ClassIds.h) and display name string.
constexpr DataTypeCatalogueRow Entry(const char16_t* name, const CLSID& dataType, int32_t displayNameId,
                                     int32_t descriptionId, int32_t categoryId) {
    return {name, dataType, CLSID_GPName, displayNameId, descriptionId, categoryId};
}
// A row of a data type the library provides: identifier and display name string from the class itself.
template <class DataType>
constexpr DataTypeCatalogueRow Entry(const char16_t* name, int32_t descriptionId, int32_t categoryId) {
    return Entry(name, DataType::kClassId, DataType::kDisplayNameId, descriptionId, categoryId);
}

constexpr DataTypeCatalogueRow kCatalogue[] = {
    Entry<GPBooleanType>(u"GPBoolean", 4503, 4502),
    Entry<GPDateType>(u"GPDate", 4520, 4519),
    Entry<GPLongType>(u"GPLong", 4664, 4663),
    Entry<GPDoubleType>(u"GPDouble", 4616, 4615),
    Entry<GPStringType>(u"GPString", 4689, 4688),
    Entry<GPStringHiddenType>(u"GPStringHidden", 4740, 4739),
    Entry<GPEncryptedStringType>(u"GPEncryptedString", 4722, 4721),
    Entry<GPEnvelopeType>(u"GPEnvelope", 4620, 4619),
    Entry<GPSpatialReferenceType>(u"GPSpatialReference", 4683, 4682),
    Entry<GPPointType>(u"GPPoint", 4672, 4671),
    Entry<GPPolygonType>(u"GPPolygon", 4676, 4675),
    Entry<GPLineType>(u"GPLine", 4655, 4654),
    Entry<GPLayoutType>(u"GPLayout", 4670, 4666),
    Entry<GPReportType>(u"GPReport", 4838, 4836),
    Entry<GPMapType>(u"GPMap", 4658, 4657),
    Entry<GPLayerType>(u"GPLayer", 4652, 4651),
    Entry<GPFeatureLayerType>(u"GPFeatureLayer", 4628, 4627),
    Entry<GPTopologyLayerType>(u"GPTopologyLayer", 4704, 4705),
    Entry<GPRasterLayerType>(u"GPRasterLayer", 4710, 4709),
    Entry<GPRasterCatalogLayerType>(u"GPRasterCatalogLayer", 4713, 4714),
    Entry<GPMosaicLayerType>(u"GPMosaicLayer", 4101, 4102),
    Entry(u"GPRasterBuilder", CLSID_GPRasterBuilderType, 4097, 4098, 4099),
    Entry(u"GPRouteMeasureEventProperties", CLSID_GPRouteMeasureEventPropertiesType, 4681, 4680, 4679),
    Entry<GPTinLayerType>(u"GPTinLayer", 4695, 4694),
    Entry<GPTableViewType>(u"GPTableView", 4692, 4691),
    Entry<GPFieldInfoType>(u"GPFieldInfo", 4634, 4633),
    Entry<GPFieldMappingType>(u"GPFieldMapping", 4749, 4750),
    Entry<GPTimeUnitType>(u"GPTimeUnit", 4743, 4742),
    Entry<GPLinearUnitType>(u"GPLinearUnit", 4660, 4659),
    Entry<GPArealUnitType>(u"GPArealUnit", 4785, 4523),
    Entry<GPRandomNumberGeneratorType>(u"GPRandomNumberGenerator", 4764, 4763),
    Entry<GPType>(u"GPType", 4646, 4645),
    Entry<DEType>(u"DEType", 4605, 4604),
    Entry<DEDatasetType>(u"DEDatasetType", 4545, 4544),
    Entry<DEGeoDatasetType>(u"DEGeoDatasetType", 4572, 4571),
    Entry<GPSQLExpressionType>(u"GPSQLExpression", 4686, 4685),
    Entry<GPINFOExpressionType>(u"GPINFOExpression", 4649, 4648),
    Entry<GPExtentType>(u"GPExtent", 4707, 4706),
    Entry<GPCoordinateSystemType>(u"GPCoordinateSystem", 4727, 4728),
    Entry<GPXYDomainType>(u"GPXYDomain", 4716, 4717),
    Entry<GPZDomainType>(u"GPZDomain", 4719, 4720),
    Entry<GPMDomainType>(u"GPMDomain", 4724, 4725),
    Entry<GPGroupLayerType>(u"GPGroupLayer", 4731, 4732),
    Entry<GPCompositeLayerType>(u"GPCompositeLayer", 4734, 4735),
    Entry<GPNetworkDatasetLayerType>(u"GPNetworkDatasetLayer", 4737, 4738),
    Entry(u"GPNetworkDataSource", CLSID_GPNetworkDataSourceType, 4842, 4843, 4844),
    Entry<GPUtilityNetworkLayerType>(u"GPUtilityNetworkLayer", 4115, 4116),
    Entry<GPTraceNetworkLayerType>(u"GPTraceNetworkLayer", 4840, 4841),
    Entry<GPDiagramLayerType>(u"GPDiagramLayer", 4820, 4821),
    Entry<GPVariantType>(u"GPVariant", 4769, 4770),
    Entry<GPTerrainLayerType>(u"GPTerrainLayer", 4773, 4772),
    Entry<GPLasDatasetLayerType>(u"GPLasDatasetLayer", 4813, 4811),
    Entry(u"GPRecordSet", CLSID_GPRecordSetType, 4779, 4781, 4782),
    Entry(u"GPFeatureRecordSetLayer", CLSID_GPFeatureRecordSetLayerType, 4788, 4793, 4794),
    Entry(u"DEToolbox", CLSID_DEToolboxType, 4798, 4799, 4800),
    Entry(u"DETool", CLSID_DEToolType, 4801, 4802, 4803),
    Entry(u"GPGraphDataTable", CLSID_GPGraphDataTableType, 4630, 4631, 4632),
    Entry(u"GPGraph", CLSID_GPGraphType, 4701, 4702, 4700),
    Entry<GPCadastralFabricLayerType>(u"GPCadastralFabricLayer", 4806, 4807),
    Entry<GPParcelLayerType>(u"GPParcelLayer", 4128, 4834),
    Entry<GPVoxelLayerType>(u"GPVoxelLayer", 4846, 4847),
    Entry<GPCellSizeXYType>(u"GPCellSizeXY", 4809, 4810),
    Entry<GPCalculatorExpressionType>(u"GPCalculatorExpression", 4105, 4106),
    Entry<GPRasterDataLayerType>(u"GPRasterDataLayer", 4789, 4782),
    Entry(u"GPDataFile", CLSID_GPDataFileType, 4795, 4795, 4782),
    Entry<GPInternetTiledLayerType>(u"GPInternetTiledLayer", 4818, 4816),
    Entry<GPMapServerLayerType>(u"GPMapServerLayer", 4112, 4113),
    Entry<GPSceneServiceLayerType>(u"GPSceneServiceLayer", 4134, 4123),
    Entry<GP3DTilesLayerType>(u"GP3DTilesLayer", 4153, 4154),
    Entry<GPVectorLayerType>(u"GPVectorLayer", 4132, 4131),
    Entry<GPKMLLayerType>(u"GPKMLLayer", 4825, 4826),
    Entry<GPBuildingLayerType>(u"GPBuildingLayer", 4138, 4140),
    Entry<GPBuildingDisciplineLayerType>(u"GPBuildingDisciplineLayer", 4139, 4141),
    Entry<GPBuildingSceneLayerType>(u"GPBuildingSceneLayer", 4147, 4148),
    Entry<GPBuildingSceneDisciplineLayerType>(u"GPBuildingSceneDisciplineLayer", 4150, 4151),
    Entry<GPElevationSurfaceLayerType>(u"GPElevationSurfaceLayer", 4143, 4144),
    Entry<GPAnnotationLayerType>(u"GPAnnotationLayer", 4829, 4830),
    Entry<GP3DObjectFeatureLayerType>(u"GP3DObjectFeatureLayer", 4855, 4856),
    Entry<GPGraphicsLayerType>(u"GPGraphicsLayer", 4849, 4850),
    Entry<GPDimensionLayerType>(u"GPDimensionLayer", 4831, 4832),
    Entry<GPCatalogLayerType>(u"GPCatalogLayer", 4852, 4853),
    Entry<GPTrajectoryLayerType>(u"GPTrajectoryLayer", 4860, 4861),
    Entry<GPOrientedImageryLayerType>(u"GPOrientedImageryLayer", 4863, 4864),
    Entry(u"GPPairwiseWeightsTable", CLSID_GPPairwiseWeightsTableType, 4874, 4875, 4876),
    Entry<GPKnowledgeGraphLayerType>(u"GPKnowledgeGraphLayer", 4878, 4879),
};

static_assert(std::size(kCatalogue) == 85);

// Every catalogue name is ASCII and at most this long.
constexpr size_t kMaxNameLength = 32;

constexpr char LowerAscii(char16_t c) {
    return static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c);
}

// FNV-1a over the lower-cased ASCII bytes.
constexpr uint32_t HashStep(uint32_t hash, char c) {
    return (hash ^ static_cast<uint8_t>(c)) * 16777619u;
}
constexpr uint32_t kHashSeed = 2166136261u;

// An open-addressing index from the lower-cased name to the first row of that name. Names are ASCII, and for an
// ASCII query the platform's case-insensitive comparison is ASCII case folding, so the index answers exactly as a
// scan of the table would. Queries holding other characters (some fold onto ASCII letters) take the scan.
class NameIndex {
public:
    NameIndex() {
        slots_.fill(-1);
        for (size_t row = 0; row < std::size(kCatalogue); ++row) {
            std::u16string_view name = kCatalogue[row].name;
            Key& key = keys_[row];
            key.length = name.size();
            uint32_t hash = kHashSeed;
            for (size_t i = 0; i < name.size(); ++i)
                hash = HashStep(hash, key.text[i] = LowerAscii(name[i]));
            size_t slot = hash & kMask;
            while (slots_[slot] >= 0 && !Same(keys_[slots_[slot]], key.text.data(), key.length))
                slot = (slot + 1) & kMask;
            if (slots_[slot] < 0) // a later row of the same name never shadows the first
                slots_[slot] = static_cast<int16_t>(row);
        }
    }

    // The row of an ASCII name; false when the query is not ASCII (the caller scans instead).
    bool Find(std::u16string_view name, int32_t* row) const {
        *row = -1;
        std::array<char, kMaxNameLength> lowered;
        uint32_t hash = kHashSeed;
        const size_t length = name.size();
        for (size_t i = 0; i < length; ++i) {
            char16_t c = name[i];
            if (c >= 0x80)
                return false;
            if (i < kMaxNameLength)
                hash = HashStep(hash, lowered[i] = LowerAscii(c));
        }
        if (length > kMaxNameLength)
            return true;
        for (size_t slot = hash & kMask; slots_[slot] >= 0; slot = (slot + 1) & kMask)
            if (Same(keys_[slots_[slot]], lowered.data(), length)) {
                *row = slots_[slot];
                break;
            }
        return true;
    }

private:
    struct Key {
        std::array<char, kMaxNameLength> text{};
        size_t length = 0;
    };
    static bool Same(const Key& key, const char* text, size_t length) {
        return key.length == length && std::memcmp(key.text.data(), text, length) == 0;
    }

    static constexpr size_t kSlots = 256; // a power of two, about three times the row count
    static constexpr size_t kMask = kSlots - 1;
    std::array<int16_t, kSlots> slots_;
    std::array<Key, std::size(kCatalogue)> keys_;
};

int32_t ScanForRow(std::u16string_view name) {
    for (size_t row = 0; row < std::size(kCatalogue); ++row)
        if (EqualsNoCase(name, kCatalogue[row].name))
            return static_cast<int32_t>(row);
    return -1;
}

} // namespace

std::span<const DataTypeCatalogueRow> DataTypeCatalogue() {
    return kCatalogue;
}

int32_t FindDataTypeRow(std::u16string_view name) {
    static const NameIndex index; // built once, thread-safe
    int32_t row = -1;
    return index.Find(name, &row) ? row : ScanForRow(name);
}

} // namespace tavi
