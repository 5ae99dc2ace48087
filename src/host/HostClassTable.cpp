// The host's own classes that AfCreateInstance creates before it asks the module or the registry.
#include "host/CreateInstance.h"

#include "platform/CategoryManager.h"

#include <iterator>

namespace tavi {

namespace {

// One row per class: identifier, name, creator.
const HostClassRow kHostClasses[] = {
    {CLSID_StdComponentCategoriesMgr, u"ComponentCategoriesManager", &CreateCategoryManager},
};

} // namespace

const HostClassRow* HostClassTable(size_t* count) {
    *count = std::size(kHostClasses);
    return kHostClasses;
}

} // namespace tavi
