// The module's class table: one row per creatable class, in the order hosts have always seen it. A class that is
// known by identity but not built yet is a Pending row; when the class arrives, its row becomes Row<Class>() (with
// the same kind and categories), taking identity from the class.
//
// Rows still to be built name their identifiers from tavi/ClassIds.h, where every identifier is written once.
#include "module/ModuleTable.h"

#include "catalogue/EnumGPEnvironment.h"
#include "catalogue/EnumGPName.h"
#include "catalogue/GPBackgroundObject.h"
#include "catalogue/GPDataTypeFactory.h"
#include "catalogue/GPEnvironment.h"
#include "catalogue/GPFunctionName.h"
#include "catalogue/GPParameter.h"
#include "catalogue/GPParseString.h"
#include "catalogue/GPTest.h"
#include "domains/DataElementDomain.h"
#include "domains/GPCodedValueDomain.h"
#include "domains/GPCompositeDomain.h"
#include "domains/GPDatasetDomain.h"
#include "domains/GPFeatureClassDomain.h"
#include "domains/GPFieldDomain.h"
#include "domains/GPFileDomain.h"
#include "domains/GPNumericDomain.h"
#include "domains/GPRangeDomain.h"
#include "domains/GPUnitDomain.h"
#include "domains/GPWorkspaceDomain.h"
#include "frame/EnumBSTR.h"
#include "layers/GPRecordSet.h"
#include "layers/GPRecordSetTypes.h"
#include "layers/LayerMembers.h"
#include "services/DEUtilities.h"
#include "services/GPEnvironmentManager.h"
#include "services/GPUtilities.h"
#include "tavi/ClassIds.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPEnvironment.h"
#include "tavi/GPParameter.h"
#include "tavi/GPRecordSet.h"
#include "values/DEDataTypes.h"
#include "values/GPBoolean.h"
#include "values/GPCellSizeXY.h"
#include "values/GPCellSizeXYType.h"
#include "values/GPCompositeDataType.h"
#include "values/GPDate.h"
#include "values/GPDouble.h"
#include "values/GPEncryptedString.h"
#include "values/GPEncryptedStringType.h"
#include "values/GPEnvelope.h"
#include "values/GPEnvelopeTypes.h"
#include "values/GPExpressions.h"
#include "values/GPFieldInfo.h"
#include "values/GPFieldMap.h"
#include "values/GPFieldMapping.h"
#include "values/GPFieldMappingType.h"
#include "values/GPKeyValue.h"
#include "values/GPKeyValueType.h"
#include "values/GPLine.h"
#include "values/GPLinearUnit.h"
#include "values/GPLong.h"
#include "values/GPMapTypes.h"
#include "values/GPMapValues.h"
#include "values/GPMultiValue.h"
#include "values/GPMultiValueType.h"
#include "values/GPPoint.h"
#include "values/GPRandomNumberGenerator.h"
#include "values/GPScalarTypes.h"
#include "values/GPShapeTypes.h"
#include "values/GPSpatialDomains.h"
#include "values/GPSpatialReference.h"
#include "values/GPSpatialReferenceTypes.h"
#include "values/GPString.h"
#include "values/GPStringType.h"
#include "values/GPUnitTypes.h"
#include "values/GPValueTable.h"
#include "values/GPValueTableType.h"
#include "values/GPVariable.h"
#include "values/GPVariant.h"
#include "values/GPVariantType.h"

namespace tavi {

namespace {

constinit const ClassEntry kModuleClasses[] = {
    Row<GPDataTypeFactory>(kSingleton, {&CATID_GPDataTypeFactories}),
    Row<GPFunctionName>(),
    Row<GPMultiValueTypeName>(),
    Row<GPValueTableTypeName>(),
    Row<GPValueTableTypeNameProperty>(),
    Row<GPCompositeDataTypeName>(),
    Row<GPBoolean>(),
    Row<GPBooleanType>(),
    Row<GPLong>(),
    Row<GPLongType>(),
    Row<GPDouble>(),
    Row<GPDoubleType>(),
    Row<GPString>(),
    Row<GPStringType>(),
    Row<GPStringHidden>(),
    Row<GPStringHiddenType>(),
    Row<GPEncryptedString>(),
    Row<GPEncryptedStringType>(),
    Row<GPDate>(),
    Row<GPDateType>(),
    Row<GPVariant>(),
    Row<GPVariantType>(),
    Row<GPEnvelope>(),
    Row<GPEnvelopeType>(),
    Row<GPSpatialReference>(),
    Row<GPSpatialReferenceType>(),
    Row<GPCoordinateSystem>(),
    Row<GPCoordinateSystemType>(),
    Row<GPXYDomain>(),
    Row<GPXYDomainType>(),
    Row<GPZDomain>(),
    Row<GPZDomainType>(),
    Row<GPMDomain>(),
    Row<GPMDomainType>(),
    Row<GPPoint>(),
    Row<GPPointType>(),
    Row<GPPolygon>(),
    Row<GPPolygonType>(),
    Row<GPLine>(),
    Row<GPLineType>(),
    Row<GPTimeUnit>(),
    Row<GPTimeUnitType>(),
    Row<GPLinearUnit>(),
    Row<GPLinearUnitType>(),
    Row<GPArealUnit>(),
    Row<GPArealUnitType>(),
    Row<GPType>(),
    Row<DEType>(),
    Row<DEDatasetType>(),
    Row<DEGeoDatasetType>(),
    Row<GPSQLExpression>(),
    Row<GPSQLExpressionType>(),
    Row<GPINFOExpression>(),
    Row<GPINFOExpressionType>(),
    Row<GPRandomNumberGenerator>(),
    Row<GPRandomNumberGeneratorType>(),
    Row<GPCellSizeXYType>(),
    Row<GPCellSizeXY>(),
    Row<GPCalculatorExpressionType>(),
    Row<GPCalculatorExpression>(),
    Row<GPMultiValue>(),
    Row<GPMultiValueType>(),
    Row<GPValueTable>(),
    Row<GPValueTableType>(),
    Row<GPFieldInfo>(),
    Row<GPFieldInfoType>(),
    Row<GPFieldInfoProperty>(),
    Row<GPFieldMapping>(),
    Row<GPFieldMappingType>(),
    Row<GPFieldMap>(),
    Row<GPCompositeDataType>(),
    Row<GPLayoutType>(),
    Row<GPLayout>(),
    Row<GPReportType>(),
    Row<GPReport>(),
    Row<GPMapType>(),
    Row<GPMap>(),
    Row<GPLayerType>(),
    Row<GPLayer>(),
    Row<GPFeatureLayer>(),
    Row<GPFeatureLayerType>(),
    Row<GPRasterCatalogLayer>(),
    Row<GPRasterCatalogLayerType>(),
    Row<GPAnnotationLayer>(),
    Row<GPAnnotationLayerType>(),
    Row<GP3DObjectFeatureLayer>(),
    Row<GP3DObjectFeatureLayerType>(),
    Row<GPCatalogLayer>(),
    Row<GPCatalogLayerType>(),
    Row<GPCatalogDynamicGroupLayer>(),
    Row<GPGraphicsLayer>(),
    Row<GPGraphicsLayerType>(),
    Row<GPDimensionLayer>(),
    Row<GPDimensionLayerType>(),
    Row<GPSubtypeLayer>(),
    Row<GPSubtypeLayerType>(),
    Row<GPMosaicLayer>(),
    Row<GPMosaicLayerType>(),
    Row<GPTrajectoryLayer>(),
    Row<GPTrajectoryLayerType>(),
    Row<GPTopologyLayer>(),
    Row<GPTopologyLayerType>(),
    Row<GPGroupLayer>(),
    Row<GPGroupLayerType>(),
    Row<GPCompositeLayer>(),
    Row<GPCompositeLayerType>(),
    Pending(u"GPRouteMeasureEventProperties", CLSID_GPRouteMeasureEventProperties),
    Pending(u"GPRouteMeasureEventPropertiesType", CLSID_GPRouteMeasureEventPropertiesType),
    Row<GPTinLayer>(),
    Row<GPTinLayerType>(),
    Row<GPTerrainLayer>(),
    Row<GPTerrainLayerType>(),
    Row<GPLasDatasetLayer>(),
    Row<GPLasDatasetLayerType>(),
    Row<GPNetworkDatasetLayer>(),
    Row<GPNetworkDatasetLayerType>(),
    Row<GPUtilityNetworkLayer>(),
    Row<GPUtilityNetworkLayerType>(),
    Row<GPTraceNetworkLayer>(),
    Row<GPTraceNetworkLayerType>(),
    Row<GPCadastralFabricLayer>(),
    Row<GPCadastralFabricLayerType>(),
    Row<GPParcelLayer>(),
    Row<GPParcelLayerType>(),
    Row<GPVoxelLayer>(),
    Row<GPVoxelLayerType>(),
    Row<GPInternetTiledLayer>(),
    Row<GPInternetTiledLayerType>(),
    Row<GPMapServerLayer>(),
    Row<GPMapServerLayerType>(),
    Row<GPSceneServiceLayer>(),
    Row<GPSceneServiceLayerType>(),
    Row<GP3DTilesLayer>(),
    Row<GP3DTilesLayerType>(),
    Row<GPVectorLayer>(),
    Row<GPVectorLayerType>(),
    Row<GPDiagramLayer>(),
    Row<GPDiagramLayerType>(),
    Row<GPKMLLayer>(),
    Row<GPKMLLayerType>(),
    Row<GPBuildingLayer>(),
    Row<GPBuildingLayerType>(),
    Row<GPBuildingDisciplineLayer>(),
    Row<GPBuildingDisciplineLayerType>(),
    Row<GPBuildingSceneLayer>(),
    Row<GPBuildingSceneLayerType>(),
    Row<GPBuildingSceneDisciplineLayer>(),
    Row<GPBuildingSceneDisciplineLayerType>(),
    Row<GPElevationSurfaceLayer>(),
    Row<GPElevationSurfaceLayerType>(),
    Row<GPTableView>(),
    Row<GPTableViewType>(),
    Row<GPOrientedImageryLayer>(),
    Row<GPOrientedImageryLayerType>(),
    Row<GPKeyValue>(),
    Row<GPKeyValueType>(),
    Row<GPKeyValuePair>(),
    Row<GPKeyValueTypeName>(),
    Row<GPKeyValueTypeNamePair>(),
    Row<GPCodedValueDomain>(),
    Row<GPCodedValueDomainProperty>(),
    Row<GPRangeDomain>(),
    Row<GPDatasetDomain>(),
    Row<GPFeatureClassDomain>(),
    Row<GPUnitDomain>(),
    Row<GPWorkspaceDomain>(),
    Row<GPFieldDomain>(),
    Row<DataElementDomain>(),
    Row<GPCompositeDomain>(),
    Row<GPFileDomain>(),
    Row<GPNumericDomain>(),
    Row<GPParameter>(),
    Row<GPVariable>(),
    Row<GPEnvironment>(),
    Row<GPBackgroundObject>(),
    Row<GPParseString>(),
    Row<GPUtilities>(kSingleton),
    Row<GPEnvironmentManager>(),
    Row<GPEnvironmentHost>(),
    Row<ComEnumBSTR>(u"EnumBSTR"),
    Row<EnumGPName>(),
    Row<EnumGPEnvironment>(),
    Row<GPExtent>(),
    Row<GPExtentType>(),
    Row<GPRasterLayer>(),
    Row<GPRasterLayerType>(),
    Row<GPRecordSet>(),
    Row<GPRecordSetType>(),
    Row<GPFeatureRecordSetLayer>(),
    Row<GPFeatureRecordSetLayerType>(),
    Row<GPRasterDataLayer>(),
    Row<GPRasterDataLayerType>(),
    Pending(u"GPDataFile", CLSID_GPDataFile),
    Pending(u"GPDataFileType", CLSID_GPDataFileType),
    Row<GPTest>(),
    Pending(u"TaskAnalyzer", CLSID_TaskAnalyzer),
    Pending(u"AnalyzeTaskMissingDescriptionError", CLSID_AnalyzeTaskMissingDescriptionError, kPlain,
            {&CATID_TaskAnalyzers}),
    Pending(u"AnalyzeTaskMissingTagsError", CLSID_AnalyzeTaskMissingTagsError, kPlain, {&CATID_TaskAnalyzers}),
    Pending(u"AnalyzeToolScriptSyntaxError", CLSID_AnalyzeToolScriptSyntaxError, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolScriptBrokenSourceError", CLSID_AnalyzeToolScriptBrokenSourceError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolScriptInvalidSourceError", CLSID_AnalyzeToolScriptInvalidSourceError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolScriptNonExistingToolboxError", CLSID_AnalyzeToolScriptNonExistingToolboxError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolNonExistingProjectDataError", CLSID_AnalyzeToolNonExistingProjectDataError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolUnsupportedNonDataStoreProjectDataError",
            CLSID_AnalyzeToolUnsupportedNonDataStoreProjectDataError, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolNonDataStoreProjectDataWarning", CLSID_AnalyzeToolNonDataStoreProjectDataWarning, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolNonSupportedDataStoreProjectDataError", CLSID_AnalyzeToolNonSupportedDataStoreProjectDataError,
            kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolPathLengthProjectDataError", CLSID_AnalyzeToolPathLengthProjectDataError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolInvalidError", CLSID_AnalyzeToolInvalidError, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolKVTBasedToolsError", CLSID_AnalyzeToolKVTBasedToolsError, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolKVTBasedToolsWarning", CLSID_AnalyzeToolKVTBasedToolsWarning, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolVBExpressionToolsWarning", CLSID_AnalyzeToolVBExpressionToolsWarning, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolVBExpressionToolsError", CLSID_AnalyzeToolVBExpressionToolsError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolNotValidForServerError", CLSID_AnalyzeToolNotValidForServerError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolNonSupportedDataError", CLSID_AnalyzeToolNonSupportedDataError, kPlain,
            {&CATID_ClientToolAnalyzers}),
    Pending(u"AnalyzeToolNewClientToolsError", CLSID_AnalyzeToolNewClientToolsError, kPlain,
            {&CATID_ClientToolAnalyzers}),
    Pending(u"AnalyzeToolNewClientDataTypesError", CLSID_AnalyzeToolNewClientDataTypesError, kPlain,
            {&CATID_ClientToolAnalyzers}),
    Pending(u"AnalyzeToolRemovedClientToolsError", CLSID_AnalyzeToolRemovedClientToolsError, kPlain,
            {&CATID_ClientToolAnalyzers}),
    Pending(u"AnalyzeToolChangedClientToolsError", CLSID_AnalyzeToolChangedClientToolsError, kPlain,
            {&CATID_ClientToolAnalyzers}),
    Pending(u"AnalyzeToolChangedParameterClientToolsError", CLSID_AnalyzeToolChangedParameterClientToolsError, kPlain,
            {&CATID_ClientToolAnalyzers}),
    Pending(u"AnalyzeToolDLLToolsError", CLSID_AnalyzeToolDLLToolsError, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolPythonSystemToolboxToolsError", CLSID_AnalyzeToolPythonSystemToolboxToolsError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolTaskOutputNeedsMapServiceError", CLSID_AnalyzeToolTaskOutputNeedsMapServiceError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolCannotPublishListVariablesError", CLSID_AnalyzeToolCannotPublishListVariablesError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolTaskOutputCannotUserMapServiceError", CLSID_AnalyzeToolTaskOutputCannotUserMapServiceError,
            kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolMissingMetadataSummaryError", CLSID_AnalyzeToolMissingMetadataSummaryError, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeToolMissingMetadataParameterDescriptionError",
            CLSID_AnalyzeToolMissingMetadataParameterDescriptionError, kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeTaskCannotPublishUnsupportedDataTypeError", CLSID_AnalyzeTaskCannotPublishUnsupportedDataTypeError,
            kPlain, {&CATID_ToolAnalyzers}),
    Pending(u"AnalyzeTaskSharingNonHistoryTaskInfo", CLSID_AnalyzeTaskSharingNonHistoryTaskInfo, kPlain,
            {&CATID_ToolAnalyzers}),
    Pending(u"GPFeatureSolutions", CLSID_GPFeatureSolutions),
    Pending(u"GPFeatureSolutionsResult", CLSID_GPFeatureSolutionsResult),
    Row<DEUtilities>(kSingleton),
    Pending(u"GpVirtualPathParser", CLSID_GpVirtualPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"StandaloneCatalogPathParser", CLSID_StandaloneCatalogPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"QDRCatalogPathParser", CLSID_QDRCatalogPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"NVXCatalogPathParser", CLSID_NVXCatalogPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"TaskServicesCatalogPathParser", CLSID_TaskServicesCatalogPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"GDSCatalogPathParser", CLSID_GDSCatalogPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"WCSCatalogPathParser", CLSID_WCSCatalogPathParser, kPlain, {&CATID_CatalogPathParsers}),
    Pending(u"GPDistributedWorkerArguments", CLSID_GPDistributedWorkerArguments),
    Pending(u"GPDistributedWorkerArgumentsType", CLSID_GPDistributedWorkerArgumentsType),
    Pending(u"GPDistributedWorkerResult", CLSID_GPDistributedWorkerResult),
    Pending(u"GPDistributedWorkerResultType", CLSID_GPDistributedWorkerResultType),
    Row<GPKnowledgeGraphLayer>(),
    Row<GPKnowledgeGraphLayerType>(),
};

} // namespace

std::span<const ClassEntry> ModuleClassTable() {
    return kModuleClasses;
}

} // namespace tavi
