// A module's classes at run time: its class table, the lookup index over it and one factory per provided row. This
// is what DllGetClassObject and DllCanUnloadNow answer from.
#pragma once

#include "frame/ClassIndex.h"

#include <span>
#include <vector>

namespace tavi {

class ClassRegistry {
public:
    // Creates every factory of `table`; they live until the registry dies. The table must outlive
    // the registry.
    explicit ClassRegistry(std::span<const ClassEntry> table);
    ~ClassRegistry();
    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    // The factory of `clsid` queried for `riid`. CLASS_E_CLASSNOTAVAILABLE for an unknown class or a row that is not
    // provided; E_POINTER for a null `ppv`.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // Releases the calling thread's unreferenced singletons, then S_FALSE while the module object count is above 0.
    HRESULT CanUnloadNow();
    // Releases the calling thread's unreferenced singletons, again while a pass lets one go: a singleton may hold
    // another that only becomes unreferenced when the first goes.
    void ReleaseThreadSingletons();

    std::span<const ClassEntry> Table() const { return table_; }
    ClassIndex& Index() { return index_; }

private:
    IClassFactory* FactoryOf(const ClassEntry* entry) const { return factories_[entry - table_.data()]; }

    std::span<const ClassEntry> table_;
    ClassIndex index_;
    std::vector<IClassFactory*> factories_; // parallel to the table; null for rows not provided
};

} // namespace tavi
