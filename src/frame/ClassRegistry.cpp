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
        DestroyFactory(factory);
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
    ReleaseThreadSingletons();
    return ModuleObjectCount() > 0 ? S_FALSE : S_OK;
}

void ClassRegistry::ReleaseThreadSingletons() {
    // A chain of holds is at most as long as there are singleton classes; other threads changing the count at the
    // same time cannot keep the loop going past that.
    const auto singletons = index_.Singletons();
    for (size_t pass = 0; pass <= singletons.size(); ++pass) {
        const int32_t before = ModuleObjectCount();
        for (const ClassEntry* entry : singletons) {
            IClassFactory* factory = FactoryOf(entry);
            if (!factory)
                continue;
            if (auto singleton = QueryAs<ISingleton>(factory))
                singleton->ReleaseSingleton();
        }
        if (ModuleObjectCount() == before)
            return;
    }
}

} // namespace tavi
