// The one table of bound operations: every binding family, listed once.
#include "Binding.h"

namespace tavigp {

const BindingTable::Binding* BindingTable::Find(const std::string& name) const {
    auto found = bindings_.find(name);
    return found == bindings_.end() ? nullptr : &found->second;
}

const BindingTable& Bindings() {
    static const BindingTable table = [] {
        BindingTable t;
        BindUnknownFamily(t);
        BindCollectionFamily(t);
        BindPersistFamily(t);
        BindCategoryFamily(t);
        BindMessageFamily(t);
        BindValueFamily(t);
        BindScalarFamily(t);
        BindCatalogueFamily(t);
        BindUtilitiesFamily(t);
        BindXmlFamily(t);
        BindDataFamily(t);
        BindDomainFamily(t);
        BindUnitFamily(t);
        BindExtentFamily(t);
        BindShapeFamily(t);
        BindSpatialReferenceFamily(t);
        BindCellSizeFamily(t);
        return t;
    }();
    return table;
}

} // namespace tavigp
