// The data type factory: the per-thread catalogue of data types by name. It hands out one shared data type object
// per name for as long as it lives, builds descriptive name objects for pickers, lists every name, and wraps layer
// objects into layer values.
#pragma once

#include "catalogue/DataTypeCatalogue.h"
#include "platform/Object.h"
#include "tavi/GPCatalog.h"

#include <vector>

namespace tavi {

// Created only through its singleton factory, so every caller on a thread shares one factory and therefore one
// object per data type.
class GPDataTypeFactory final : public Object<GPDataTypeFactory, IGPDataTypeFactory, IGPLayerSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPDataTypeFactory;
    static constexpr const char16_t* kClassName = u"GPDataTypeFactory";

    // Takes the thread's utility singletons (GPUtilities, DEUtilities) when the module provides them; a missing
    // one is held as null and only the layer support needs them.
    GPDataTypeFactory();

    // IGPDataTypeFactory
    // An identifier object holding this class's identifier. E_POINTER for a null out; E_FAIL for any failure.
    HRESULT get_FactoryID(IUID** id) override;
    // The data type of the catalogue row whose name equals `name` ignoring case, created on first request and the
    // same object afterwards. E_FAIL (null result) for a null or unknown name, and when the row's class cannot be
    // created or does not answer IGPDataType.
    HRESULT GetDataType(const OLECHAR* name, IGPDataType** dataType) override;
    // A new name object for the row: its name, the string-table texts of its display name, description and
    // category, and this factory as its factory. E_FAIL for an unknown name or a name object that cannot be made.
    HRESULT GetDataTypeName(const OLECHAR* name, IGPName** dataTypeName) override;
    // A name object for every row, in table order; when one cannot be built nothing is handed out and its failure
    // is returned.
    HRESULT GetDataTypeNames(IEnumGPName** names) override;

    // IGPLayerSupport
    // The layer value for an object that stands for a layer: a copy of a layer value, of the layer a holder holds,
    // or a new layer over a data element of the kind its data calls for (a feature class makes a feature layer, or an
    // annotation, dimension or oriented imagery layer by its feature type; a table a table view; a raster a raster
    // layer; a TIN, terrain, LAS dataset or topology element a layer of that kind), named by the element. E_POINTER
    // for a null argument; E_FAIL for an empty holder and for anything else.
    HRESULT MakeLayerValue(IUnknown* layer, IGPValue** value) override;
    // Not supported: E_FAIL.
    HRESULT MakeLayer(IGPValue* value, IUnknown** layer) override;

private:
    HRESULT MakeName(const DataTypeCatalogueRow& row, IGPName** name);

    std::vector<ComPtr<IGPDataType>> cache_; // one slot per catalogue row, filled on first request
    ComPtr<IUnknown> gpUtilities_;
    ComPtr<IUnknown> deUtilities_;
};

} // namespace tavi
