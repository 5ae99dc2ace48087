// The one table of bound operations: every binding family, listed once.
#include "bridge/Binding.h"

#include <stdexcept>

namespace tavigp {

namespace {

constexpr BindingFamily kBindingFamilies[] = {
    &BindUnknownFamily,     &BindCollectionFamily, &BindPersistFamily,  &BindCategoryFamily,
    &BindMessageFamily,     &BindValueFamily,      &BindScalarFamily,   &BindCatalogueFamily,
    &BindUtilitiesFamily,   &BindXmlFamily,        &BindDataFamily,     &BindDomainFamily,
    &BindUnitFamily,        &BindExtentFamily,     &BindShapeFamily,    &BindSpatialReferenceFamily,
    &BindCellSizeFamily,    &BindCompositeFamily,  &BindKeyValueFamily, &BindFieldMappingFamily,
    &BindFieldInfoFamily,   &BindRandomFamily,     &BindTextFamily,     &BindFieldDomainFamily,
    &BindEnvironmentFamily, &BindParameterFamily,  &BindLayerFamily,    &BindMapFamily,
    &BindRecordFamily,
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

CallOutcome CallBound(Session& session, const std::string& name, const BindingTable::Binding& binding, IUnknown* object,
                      const Json& args, std::set<size_t> nullOuts) {
    if (args.size() != static_cast<size_t>(binding.ins))
        throw BridgeError(name + " takes " + std::to_string(binding.ins) + " argument(s) (" + binding.signature +
                          "), not " + std::to_string(args.size()));
    CallState state{session, args, std::move(nullOuts)};
    CallOutcome outcome;
    void* target = nullptr;
    HRESULT hr = object->QueryInterface(binding.iid, &target);
    if (FAILED(hr) || !target) {
        outcome.hr = FAILED(hr) ? hr : E_NOINTERFACE;
        outcome.noInterface = true;
        return outcome;
    }
    // The queried reference is released whatever happens below.
    tavi::ComPtr<IUnknown> held = tavi::ComPtr<IUnknown>::Adopt(static_cast<IUnknown*>(target));
    outcome.hr = binding.invoke(state, target);
    outcome.outs = std::move(state.outs);
    return outcome;
}

} // namespace tavigp
