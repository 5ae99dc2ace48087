// The data types of the record set value (GPRecordSetType, "Record Set") and of the feature set value
// (GPFeatureRecordSetLayerType, "Feature Set").
//
// GPRecordSetType answers, beside its marker, the table data type marker (IDETableType) and the data element data
// type markers (IDEDatasetType, IDEType). It accepts data types of record sets, table views and tables, and values
// that are record sets, table views or table descriptions (anything answering IDEGdbTable7: tables and feature
// classes opened from data).
//
// GPFeatureRecordSetLayerType answers its marker, IGPFeatureRecordSetType, the feature class data type marker
// (IDEFeatureClassType) and, as a feature class is a table with a location, the record set type's markers and
// IDEGeoDatasetType, IGPValueUISupport (nothing to say: S_FALSE) and IGxFilterInfo (the
// browse filter of feature classes). It accepts feature set types; feature layer types that are not raster catalog
// layer types; feature class types that are not raster catalog types; and the generic data type. Values: feature
// sets; feature layers that are not raster catalog layers; feature class descriptions (IDEGdbFeatureClass3) that are
// not raster catalogs; and layer holders that hold no layer or a feature layer.
//
// Both keep only their identities, stored as the layer data types store theirs (LayerTypeBase.h).
#pragma once

#include "host/GPDataType.h"
#include "layers/LayerTypeBase.h"
#include "tavi/DEDataTypes.h"
#include "tavi/GPLayer.h"
#include "tavi/GPRecordSet.h"
#include "tavi/GPUnits.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi {

// The control class that edits record set and feature set values.
constexpr CLSID kRecordSetControlClassId{0xD6D9B0AB, 0x9339, 0x4895, {0xB6, 0x9C, 0x00, 0xCD, 0x49, 0xEC, 0xC7, 0xAE}};

// The stream and XML forms of both, those of the layer data types.
template <class Derived, class... R> class RecordSetTypeBase : public GPDataType<Derived, R...> {
public:
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream* stream) override { return LoadLayerType(stream); }
    HRESULT Save(IStream* stream, int32_t) override { return SaveLayerType(stream); }
    HRESULT GetSizeMax(uint64_t* size) override { return HandOutValue<uint64_t>(sizeof(uint16_t), size); }
    HRESULT Serialize(IXMLSerializeData* data) override { return SerializeLayerType(Derived::kClassName, data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return data ? S_OK : E_POINTER; }

protected:
    using GPDataType<Derived, R...>::GPDataType;
};

class GPRecordSetType final
    : public RecordSetTypeBase<GPRecordSetType, IGPRecordSetType, IGPDataType, IClone, IPersistStream,
                               Alias<IPersist, IPersistStream>, IXMLSerialize, IDETableType, IDEDatasetType, IDEType> {
public:
    static constexpr CLSID kClassId = CLSID_GPRecordSetType;
    static constexpr const char16_t* kClassName = u"GPRecordSetType";
    GPRecordSetType();

    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;
};

class GPFeatureRecordSetLayerType final
    : public RecordSetTypeBase<GPFeatureRecordSetLayerType, IGPFeatureRecordSetLayerType, IGPDataType,
                               IGPFeatureRecordSetType, IClone, IPersistStream, Alias<IPersist, IPersistStream>,
                               IXMLSerialize, IDEFeatureClassType, IDETableType, IDEGeoDatasetType, IDEDatasetType,
                               IDEType, IGPValueUISupport, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPFeatureRecordSetLayerType;
    static constexpr const char16_t* kClassName = u"GPFeatureRecordSetLayerType";
    GPFeatureRecordSetLayerType();

    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override;

    // IGPValueUISupport
    HRESULT GetValueSupport(IGPValue* value, BSTR* support) override;
    // IGxFilterInfo
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;
};

} // namespace tavi
