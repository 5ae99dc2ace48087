// The run-time side of a class table: factories, lookup and the unload answer.
#include "frame/ClassRegistry.h"

#include "frame/ClassFactory.h"

namespace tavi {

ClassRegistry::ClassRegistry(std::span<const ClassEntry> table) : table_(table), index_(table) {
    factories_.reserve(table.size());
    for (const ClassEntry& entry : table)
        factories_.push_back(MakeFactory(entry));
}

ClassRegistry::~ClassRegistry() {
    for (IClassFactory* factory : factories_)
        if (factory)
            factory->Release();
}

HRESULT ClassRegistry::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    const ClassEntry* entry = index_.Find(clsid);
    IClassFactory* factory = entry ? FactoryOf(entry) : nullptr;
    if (!factory)
        return CLASS_E_CLASSNOTAVAILABLE;
    // The factory is not AddRef'ed first: its QueryInterface does that.
    return factory->QueryInterface(riid, ppv);
}

HRESULT ClassRegistry::CanUnloadNow() {
    for (const ClassEntry* entry : index_.Singletons()) {
        IClassFactory* factory = FactoryOf(entry);
        if (!factory)
            continue;
        if (auto singleton = QueryAs<ISingleton>(factory))
            singleton->ReleaseSingleton();
    }
    return ModuleObjectCount() > 0 ? S_FALSE : S_OK;
}

} // namespace tavi
