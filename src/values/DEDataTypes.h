// The data element data types DEType, DEDatasetType and DEGeoDatasetType (tavi/DEDataTypes.h). Their values are the
// data elements of the data access, opened from a catalog path; each type takes the elements of its kind:
//
//   DEType            any data element (IDataElement): folders, files, workspaces, datasets, table descriptions;
//   DEDatasetType     a dataset (IDEDataset4): a table, a feature class, a raster;
//   DEGeoDatasetType  a feature class (IFeatureClass) or a raster (IRasterDataset).
//
// CreateValue(text) opens the element the text names through the utility object (OpenDataElementFromText, blanks
// around the path ignored) and hands it out as the value, without copying it. A data element always names data:
// a null or blank text is E_INVALIDARG, and a path that does not open gives the data access's code
// (TAVI_E_DATA_NOT_FOUND, TAVI_E_DATA_UNREADABLE, TAVI_E_DATA_ACCESS_DENIED, E_INVALIDARG). Data of another kind
// (a folder given to DEDatasetType, a table to DEGeoDatasetType) is E_INVALIDARG and no value: a value a type would
// refuse in ValidateValue is never made by it.
//
// ValidateValue unpacks the value (variables and parameters give their content) and accepts the elements of the
// kind; a value of another kind gets the host's invalid value message, an accepted one with a domain the domain's
// MemberOf verdict. ValidateDataType accepts the type itself and narrower ones: DEType takes all three markers,
// DEDatasetType its own and DEGeoDatasetType's, DEGeoDatasetType its own.
//
// The display names are the catalogue's: 4606 "Data Element", 4546 "Dataset", 4573 "Geodataset". No control class.
#pragma once

#include "host/GPDataType.h"
#include "tavi/DEDataTypes.h"
#include "tavi/DataAccess.h"

#include <initializer_list>

namespace tavi {

// A list of interfaces, as a template argument.
template <class... I> struct Interfaces {};

class DEDataTypeCore {
protected:
    // The element `text` names, as the value, when it answers one of `kinds` (see above for the codes).
    static HRESULT CreateElement(const OLECHAR* text, std::initializer_list<IID> kinds, IGPValue** value);
};

template <class Derived, class Marker, class AcceptedTypes, class ValueKinds> class DEDataType;

template <class Derived, class Marker, class... Accepted, class FirstKind, class... OtherKinds>
class DEDataType<Derived, Marker, Interfaces<Accepted...>, Interfaces<FirstKind, OtherKinds...>>
    : public GPDataType<Derived, Marker, IGPDataType, IClone>, protected DEDataTypeCore {
public:
    HRESULT CreateValue(const OLECHAR* text, IGPValue** value) override {
        return CreateElement(text, {FirstKind::iid, OtherKinds::iid...}, value);
    }
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override {
        return this->ValidateDataTypeAgainst(other, {Accepted::iid...}, message);
    }
    HRESULT ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) override {
        return this->ValidateValueAgainst(value, domain, {FirstKind::iid, OtherKinds::iid...}, message);
    }

protected:
    DEDataType()
        : GPDataType<Derived, Marker, IGPDataType, IClone>({Derived::kName, Derived::kDisplayNameId, Derived::kClassId,
                                                            GUID_NULL, GUID_NULL, Marker::iid, FirstKind::iid}) {}
};

class DEType final : public DEDataType<DEType, IDEType, Interfaces<IDEType, IDEDatasetType, IDEGeoDatasetType>,
                                       Interfaces<IDataElement>> {
public:
    static constexpr CLSID kClassId = CLSID_DEType;
    static constexpr const char16_t* kClassName = u"DEType";
    static constexpr const char16_t* kName = u"DEType";
    static constexpr int32_t kDisplayNameId = 4606;
};

class DEDatasetType final : public DEDataType<DEDatasetType, IDEDatasetType,
                                              Interfaces<IDEDatasetType, IDEGeoDatasetType>, Interfaces<IDEDataset4>> {
public:
    static constexpr CLSID kClassId = CLSID_DEDatasetType;
    static constexpr const char16_t* kClassName = u"DEDatasetType";
    static constexpr const char16_t* kName = u"DEDatasetType";
    static constexpr int32_t kDisplayNameId = 4546;
};

class DEGeoDatasetType final : public DEDataType<DEGeoDatasetType, IDEGeoDatasetType, Interfaces<IDEGeoDatasetType>,
                                                 Interfaces<IFeatureClass, IRasterDataset>> {
public:
    static constexpr CLSID kClassId = CLSID_DEGeoDatasetType;
    static constexpr const char16_t* kClassName = u"DEGeoDatasetType";
    static constexpr const char16_t* kName = u"DEGeoDatasetType";
    static constexpr int32_t kDisplayNameId = 4573;
};

} // namespace tavi
