// The one table of bound operations: every binding family, listed once.
#include "bridge/Binding.h"

#include <stdexcept>

namespace tavigp {

namespace {

constexpr BindingFamily kBindingFamilies[] = {
    &BindUnknownFamily,   &BindCollectionFamily, &BindPersistFamily, &BindCategoryFamily,
    &BindMessageFamily,   &BindValueFamily,      &BindScalarFamily,  &BindCatalogueFamily,
    &BindUtilitiesFamily, &BindXmlFamily,        &BindDataFamily,    &BindDomainFamily,
    &BindUnitFamily,      &BindExtentFamily,     &BindShapeFamily,   &BindSpatialReferenceFamily,
    &BindCellSizeFamily,
};

} // namespace

void BindingTable::Insert(const char* name, Binding binding) {
    if (!bindings_.emplace(name, std::move(binding)).second)
        throw std::logic_error(std::string("operation bound twice: ") + name);
}

const BindingTable::Binding* BindingTable::Find(const std::string& name) const {
    auto found = bindings_.find(name);
    return found == bindings_.end() ? nullptr : &found->second;
}

const BindingTable& Bindings() {
    static const BindingTable table = [] {
        BindingTable t;
        for (BindingFamily bind : kBindingFamilies)
            bind(t);
        return t;
    }();
    return table;
}

} // namespace tavigp
