// The host's own classes that AfCreateInstance creates before it asks the module or the registry.
#include "host/CreateInstance.h"

// TODO: list the component category manager once src/platform/CategoryManager.h provides CreateCategoryManager:
// #include "platform/CategoryManager.h"

namespace tavi {

namespace {

// One row per class: identifier, name, creator. Rows are added beside the classes they create.
const HostClassRow kHostClasses[] = {
    // {CLSID_StdComponentCategoriesMgr, u"ComponentCategoriesManager", &CreateCategoryManager},
    {GUID_NULL, nullptr, nullptr}, // end marker, never matched (GUID_NULL is no class)
};

} // namespace

const HostClassRow* HostClassTable(size_t* count) {
    *count = sizeof kHostClasses / sizeof kHostClasses[0] - 1;
    return kHostClasses;
}

} // namespace tavi
