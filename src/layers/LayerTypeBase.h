// The layer data type bases: GPLayerTypeBase, GPFeatureLayerTypeBase, GPTableViewTypeBase and
// GPCompositeLayerTypeBase, and the validation of layer values and data types by the acceptance table of a member.
//
// Every base answers IGPDataType, IClone, IPersistStream (a 16-bit version 1 and nothing else; versions 0 and 1 read),
// IXMLSerialize (the type name and namespace only), IGPLayerType, IGxFilterInfo (the browse filter of the member's
// kind of dataset, none for kinds without one) and IDEGeoDatasetType; feature layer types add IGPFeatureLayerType
// and IGPTableViewType, table view types IGPTableViewType. CreateValue makes a member value and reads the text
// through its SetAsText (see LayerBase.h: a dataset path makes a layer over that data).
#pragma once

#include "host/GPDataType.h"
#include "host/StreamIO.h"
#include "layers/LayerBase.h"
#include "tavi/DEDataTypes.h"
#include "tavi/GPDomains.h"
#include "tavi/Xml.h"

#include <span>

namespace tavi {

// The control class that edits layer values.
constexpr CLSID kLayerControlClassId{0x330553E6, 0xA5FD, 0x11D5, {0xA6, 0x82, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};

// What a member's data type accepts besides values and types of its own marker interfaces.
struct LayerAcceptance {
    std::span<const IID> values{};     // further value interfaces (data element kinds)
    int32_t featureType = 0;           // a geodatabase feature class element of this feature type (0: no such test)
    bool holder = true;                // a layer holder whose layer is of the member's kind, or that holds none
    bool anyLayer = false;             // any layer and any holder (the generic layer)
    int32_t surfaceKind = 0;           // an elevation surface layer of this surface source kind (0: no such test)
    bool objectFeatureDataset = false; // a geodatabase table element that is a 3D object feature dataset
    bool rasterSource = false;         // a layer whose data is a raster, and raster data elements
    std::span<const IID> types{};      // further data type interfaces
};

// The validation of a member (unpacking first, then the tests in the order the fields above are listed).
HRESULT ValidateLayerValue(GPDataTypeCore& type, const IID& own, const LayerAcceptance& accept, IGPValue* value,
                           IGPDomain* domain, IGPMessage** message);
HRESULT ValidateLayerDataType(GPDataTypeCore& type, const IID& own, const LayerAcceptance& accept, IGPDataType* other,
                              IGPMessage** message);
// The browse filters of a dataset type (0: none).
HRESULT LayerBrowseFilters(int32_t datasetType, IArray** filters);
// The stream and XML forms of a layer data type.
HRESULT SaveLayerType(IStream* stream);
HRESULT LoadLayerType(IStream* stream);
HRESULT SerializeLayerType(const char16_t* typeName, IXMLSerializeData* data);

template <LayerBaseKind kKind>
using LayerTypeRows =
    Rows<IGPDataType, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize, IGPLayerType,
         RowIf<kKind == LayerBaseKind::FeatureLayer, IGPFeatureLayerType>,
         RowIf<kKind == LayerBaseKind::FeatureLayer || kKind == LayerBaseKind::TableView, IGPTableViewType>,
         IGxFilterInfo, IDEGeoDatasetType>;

// The layer data type base. `Own` are the member's own rows (its marker), looked up first. Derived supplies
// kClassName, kDatasetType (browse filter) and `Kind`, whose kAccept (when it has one) replaces the base's test of
// the two marker interfaces.
template <class Derived, LayerBaseKind kKind, class Own = Rows<>>
class LayerType : public GPDataType<Derived, Own, LayerTypeRows<kKind>> {
    using Base = GPDataType<Derived, Own, LayerTypeRows<kKind>>;

public:
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override {
        if constexpr (requires { Derived::Kind::kAccept; })
            return ValidateLayerDataType(*this, this->TypeInterfaceId(), Derived::Kind::kAccept, other, message);
        else
            return Base::ValidateDataType(other, message);
    }
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override {
        if constexpr (requires { Derived::Kind::kAccept; })
            return ValidateLayerValue(*this, this->ValueInterfaceId(), Derived::Kind::kAccept, value, domain, message);
        else
            return Base::ValidateValue(value, domain, message);
    }

    // IPersistStream
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream* stream) override { return LoadLayerType(stream); }
    HRESULT Save(IStream* stream, int32_t) override { return SaveLayerType(stream); }
    HRESULT GetSizeMax(uint64_t* size) override { return HandOutValue<uint64_t>(sizeof(uint16_t), size); }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return SerializeLayerType(Derived::kClassName, data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return data ? S_OK : E_POINTER; }

    // IGxFilterInfo
    HRESULT get_OpenGxObjectFilters(IArray** filters) override {
        return LayerBrowseFilters(Derived::kDatasetType, filters);
    }

protected:
    explicit LayerType(const DataTypeIdentity& identity) : Base(identity) {}
};

template <class Derived, class Own = Rows<>> using GPLayerTypeBase = LayerType<Derived, LayerBaseKind::Layer, Own>;
template <class Derived, class Own = Rows<>>
using GPFeatureLayerTypeBase = LayerType<Derived, LayerBaseKind::FeatureLayer, Own>;
template <class Derived, class Own = Rows<>>
using GPTableViewTypeBase = LayerType<Derived, LayerBaseKind::TableView, Own>;
template <class Derived, class Own = Rows<>>
using GPCompositeLayerTypeBase = LayerType<Derived, LayerBaseKind::CompositeLayer, Own>;

} // namespace tavi
