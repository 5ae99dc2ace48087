// The classes a fuzz target can reach by number: every class the module's table provides, in table order. A target
// takes a number from its input and uses it modulo the count, so that every class is reached without guessing
// identifiers.
#pragma once

#include "host/CreateInstance.h"
#include "platform/Object.h"
#include "tavi/Entry.h"

#include <vector>

namespace tavi::fuzz {

inline const std::vector<CLSID>& ProvidedClasses() {
    static const std::vector<CLSID> classes = [] {
        SetModuleClassSource(&DllGetClassObject);
        std::vector<CLSID> found;
        for (int32_t i = 0; i < TaviGetClassCount(); ++i) {
            TaviClassInfo info{};
            if (SUCCEEDED(TaviGetClassInfo(i, &info)) && info.provided)
                found.push_back(info.classId);
        }
        return found;
    }();
    return classes;
}

// Releases the calling thread's singletons (the data type factory with the data types it keeps), which an input may
// have brought to life and which legitimately outlive it; what is left counted after this was leaked.
inline int32_t ObjectsLeftAfterSingletons() {
    SetErrorInfo(0, nullptr); // a failure's description is the thread's state, not a leak
    DllCanUnloadNow();
    return ModuleObjectCount();
}

} // namespace tavi::fuzz
