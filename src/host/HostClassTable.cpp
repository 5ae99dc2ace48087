// The host's own classes that AfCreateInstance creates before it asks the module or the registry.
#include "host/CreateInstance.h"
#include "host/GPName.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/UID.h"
#include "host/ValueResolver.h"

// TODO: list the component category manager once src/platform/CategoryManager.h provides CreateCategoryManager:
// #include "platform/CategoryManager.h"

namespace tavi {

namespace {

// One row per class: identifier, name, creator. Rows are added beside the classes they create.
const HostClassRow kHostClasses[] = {
    // {CLSID_StdComponentCategoriesMgr, u"ComponentCategoriesManager", &CreateCategoryManager},
    {GPMessage::kClassId, GPMessage::kClassName, &CreateInstance<GPMessage>},
    {GPMultiMessage::kClassId, GPMultiMessage::kClassName, &CreateInstance<GPMultiMessage>},
    {GPMessageMaker::kClassId, GPMessageMaker::kClassName, &CreateInstance<GPMessageMaker>},
    {GPValueResolver::kClassId, GPValueResolver::kClassName, &CreateInstance<GPValueResolver>},
    {UID::kClassId, UID::kClassName, &CreateInstance<UID>},
    {GPName::kClassId, GPName::kClassName, &CreateInstance<GPName>},
    {GUID_NULL, nullptr, nullptr}, // end marker, never matched (GUID_NULL is no class)
};

} // namespace

const HostClassRow* HostClassTable(size_t* count) {
    *count = sizeof kHostClasses / sizeof kHostClasses[0] - 1;
    return kHostClasses;
}

} // namespace tavi
