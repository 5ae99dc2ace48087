// The library's exported entry points, the class-table listing for hosts, and what happens when the library is
// loaded and unloaded.
#include "tavi/Entry.h"

#include "data/DataClasses.h"
#include "frame/Registration.h"
#include "host/CreateInstance.h"
#include "host/RepositorySync.h"
#include "host/TAVILocale.h"
#include "module/ModuleTable.h"
#include "platform/Utf.h"
#include "services/GPEnvironmentManager.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

namespace tavi {

ClassRegistry& ModuleClasses() {
    // Made on first use, so that it exists before any static initializer of another file asks for a class.
    static ClassRegistry registry(ModuleClassTable());
    return registry;
}

namespace {

// The full path of the file that holds this code: the shared library, or the program it is linked into (for which
// the loader may report only the name it was started by).
std::u16string ModuleFilePath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&ModuleFilePath), &info) || !info.dli_fname)
        return {};
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved))
        return FromUtf8(resolved);
    ssize_t length = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    return length > 0 ? FromUtf8(std::string_view(resolved, length)) : FromUtf8(info.dli_fname);
}

// Load and unload: the module offers its classes to the host's object creation before anything else, and loads its
// localized strings; on unload it withdraws both.
class ModuleLifetime {
public:
    ModuleLifetime() {
        SetModuleClassSource(&DllGetClassObject);
        SetPlatformClassTable(&DataClassTable);
        resources_ = TAVILocale::LoadLocalizedRes(nullptr);
    }
    ~ModuleLifetime() {
        SetModuleClassSource(nullptr);
        SetPlatformClassTable(nullptr);
        if (resources_)
            TAVILocale::FreeLocalizedRes(resources_);
    }

private:
    LocalizedStrings* resources_ = nullptr;
};

ModuleLifetime moduleLifetime;

} // namespace

} // namespace tavi

using namespace tavi;

extern "C" {

TAVI_API HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    return guard([&] { return ModuleClasses().GetClassObject(rclsid, riid, ppv); });
}

// The calling thread's unreferenced singletons go first. While objects remain and the repository threads run, each
// repository thread lets its own unreferenced singletons go, on that thread (a singleton belongs to its thread). A
// singleton that another thread's object still uses is referenced by it and stays. The library can unload only with
// no object left and the threads stopped, so the check stops them; the next use starts them again. On a repository
// thread, which cannot stop the pool it runs in, the answer stays S_FALSE.
TAVI_API HRESULT DllCanUnloadNow() {
    return guard([]() -> HRESULT {
        ClassRegistry& classes = ModuleClasses();
        classes.ReleaseThreadSingletons();
        if (ModuleObjectCount() > 0 && RepositorySync::IsRunning())
            RepositorySync::InternalExecuteAll([&classes] {
                classes.ReleaseThreadSingletons();
                return S_OK;
            });
        // The process's environment settings go with the last manager that holds them.
        ReleaseUnusedEnvironmentStore();
        if (ModuleObjectCount() > 0)
            return S_FALSE;
        return RepositorySync::Stop() ? S_OK : S_FALSE;
    });
}

// Registration is taviDllRegisterServer's work; these are kept for hosts that call them by habit.
static HRESULT RegisterServerNoOp() {
    return S_OK;
}
TAVI_API HRESULT DllRegisterServer() {
    return RegisterServerNoOp();
}
TAVI_API HRESULT DllUnregisterServer() {
    return RegisterServerNoOp();
}

TAVI_API HRESULT taviDllRegisterServer() {
    return guard([] { return RegisterClasses(ModuleClassTable(), ModuleFilePath()); });
}

TAVI_API HRESULT taviDllUnregisterServer() {
    return guard([] { return UnregisterClasses(ModuleClassTable()); });
}

TAVI_API int32_t TaviGetClassCount() {
    return static_cast<int32_t>(ModuleClassTable().size());
}

TAVI_API int32_t TaviGetModuleObjectCount() {
    return ModuleObjectCount();
}

TAVI_API HRESULT TaviGetClassInfo(int32_t index, TaviClassInfo* info) {
    if (!info)
        return E_POINTER;
    const auto table = ModuleClassTable();
    if (index < 0 || static_cast<size_t>(index) >= table.size())
        return E_INVALIDARG;
    const ClassEntry& entry = table[index];
    *info = TaviClassInfo{};
    info->name = entry.name;
    info->classId = entry.classId;
    info->factoryKind = static_cast<int32_t>(entry.factory);
    for (const CATID* category : entry.categories)
        if (category)
            info->categories[info->categoryCount++] = *category;
    info->threadingModel = static_cast<int32_t>(entry.threadingModel);
    info->provided = entry.Provided() ? 1 : 0;
    return S_OK;
}

// Creates one of the host's own classes, the ones object creation inside the library finds before it asks the module
// (identifier objects, arrays, messages, names, geometry, fields and table descriptions, ...), for hosts that have no
// other way to reach them. `name` is the class name (u"UID") or its class identifier in braces. E_POINTER for a null
// `ppv`, E_INVALIDARG for a null `name`, REGDB_E_CLASSNOTREG when no host class has that name or identifier, else the
// creator's result.
TAVI_API HRESULT TaviCreateHostInstance(const OLECHAR* name, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!name)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        CLSID classId{};
        bool byId = name[0] == u'{' && SUCCEEDED(CLSIDFromString(name, &classId));
        for (ClassTableSource table : {&HostClassTable, &DataClassTable}) {
            size_t count = 0;
            const HostClassRow* rows = table(&count);
            for (size_t i = 0; i < count; ++i)
                if (byId ? rows[i].clsid == classId : rows[i].name && std::u16string_view(name) == rows[i].name)
                    return rows[i].create(nullptr, riid, ppv);
        }
        return REGDB_E_CLASSNOTREG;
    });
}
}
