// Object creation by class identifier through three sources in turn: the host's class table, the module's class
// source, and the libraries registered in the registry store.
#include "host/CreateInstance.h"

#include "platform/ComPtr.h"
#include "platform/Guid.h"
#include "platform/Utf.h"
#include "tavi/Registry.h"

#include <atomic>
#include <dlfcn.h>
#include <string>

namespace tavi {

namespace {

std::atomic<ClassObjectSource> moduleClassSource{nullptr};
std::atomic<ClassTableSource> platformClassTable{nullptr};

using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);

// Asks a class factory for the object. CLASS_E_CLASSNOTAVAILABLE from the factory source means "not mine".
HRESULT CreateFromFactorySource(DllGetClassObjectFn source, REFCLSID clsid, IUnknown* outer, REFIID riid, void** out) {
    ComPtr<IClassFactory> factory;
    HRESULT hr = source(clsid, IClassFactory::iid, factory.OutVoid());
    if (FAILED(hr) || !factory)
        return hr == CLASS_E_CLASSNOTAVAILABLE || SUCCEEDED(hr) ? REGDB_E_CLASSNOTREG : hr;
    return factory->CreateInstance(outer, riid, out);
}

HRESULT CreateFromTable(ClassTableSource table, REFCLSID clsid, IUnknown* outer, REFIID riid, void** out) {
    size_t count = 0;
    const HostClassRow* rows = table ? table(&count) : nullptr;
    for (size_t i = 0; i < count; ++i)
        if (rows[i].clsid == clsid)
            return rows[i].create(outer, riid, out);
    return REGDB_E_CLASSNOTREG;
}

// The library path registered for the class: the default value of HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32.
std::string RegisteredLibrary(REFCLSID clsid) {
    std::u16string keyName = u"CLSID\\" + GuidText(clsid) + u"\\InprocServer32";
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    DWORD type = REG_NONE, size = 0;
    std::u16string path;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size >= sizeof(OLECHAR)) {
        path.resize(size / sizeof(OLECHAR));
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<uint8_t*>(path.data()), &size) !=
            ERROR_SUCCESS)
            path.clear();
        while (!path.empty() && path.back() == u'\0')
            path.pop_back();
    }
    RegCloseKey(key);
    return ToUtf8(path);
}

HRESULT CreateFromRegistry(REFCLSID clsid, IUnknown* outer, REFIID riid, void** out) {
    std::string path = RegisteredLibrary(clsid);
    if (path.empty())
        return REGDB_E_CLASSNOTREG;
    // The library stays loaded for the life of the process: its objects may outlive any count we could keep here.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return REGDB_E_CLASSNOTREG;
    auto source = reinterpret_cast<DllGetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    if (!source)
        return REGDB_E_CLASSNOTREG;
    return CreateFromFactorySource(source, clsid, outer, riid, out);
}

} // namespace

void SetModuleClassSource(ClassObjectSource getClassObject) {
    moduleClassSource = getClassObject;
}

void SetPlatformClassTable(ClassTableSource table) {
    platformClassTable = table;
}

ClassObjectSource ModuleClassSource() {
    return moduleClassSource.load();
}

HRESULT AfCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    try {
        HRESULT hr = CreateFromTable(&HostClassTable, clsid, outer, riid, out);
        if (hr != REGDB_E_CLASSNOTREG)
            return hr;
        hr = CreateFromTable(platformClassTable.load(), clsid, outer, riid, out);
        if (hr != REGDB_E_CLASSNOTREG)
            return hr;
        if (ClassObjectSource source = moduleClassSource.load()) {
            hr = CreateFromFactorySource(source, clsid, outer, riid, out);
            if (hr != REGDB_E_CLASSNOTREG)
                return hr;
        }
        return CreateFromRegistry(clsid, outer, riid, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace tavi
