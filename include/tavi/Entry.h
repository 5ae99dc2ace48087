// The library's exported entry points: the component-server functions a host calls to get class factories, to ask
// whether the library may be unloaded and to register its classes; the class-table listing for hosts that show the
// classes; and the exported scoped flag GPAutocompleteContext.
#pragma once

#include "tavi/Unknown.h"

extern "C" {

// Hands out the factory of `rclsid` queried for `riid`: whatever the factory's QueryInterface answers.
// CLASS_E_CLASSNOTAVAILABLE for a class the library does not provide; E_POINTER for a null `ppv`.
TAVI_API HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);

// Releases the calling thread's singletons that nobody else holds, then answers S_FALSE while any object of the
// library or any server lock is alive, else S_OK.
TAVI_API HRESULT DllCanUnloadNow();

// Do nothing and answer S_OK: registration is taviDllRegisterServer's work.
TAVI_API HRESULT DllRegisterServer();
TAVI_API HRESULT DllUnregisterServer();

// Write (remove) the registry keys and component categories of every provided class, in table order, stopping at
// the first failure. SELFREG_E_CLASS when a key or value cannot be written or deleted; E_FAIL when one of a class's
// own categories cannot be registered or unregistered; the category manager's code when it cannot be created.
TAVI_API HRESULT taviDllRegisterServer();
TAVI_API HRESULT taviDllUnregisterServer();

// Factory kinds of the class table.
enum TaviFactoryKind : int32_t {
    TaviFactoryPlain = 0,     // a new object on every CreateInstance
    TaviFactorySingleton = 1, // one object per calling thread
};

constexpr int32_t kTaviMaxCategories = 5;

// One row of the class table as a host sees it. Pointers point into the library's static table and stay valid while
// the library is loaded; the caller frees nothing.
struct TaviClassInfo {
    const char16_t* name;                 // the class name, e.g. u"GPString"
    CLSID classId;                        // the identifier the class is created and registered under
    int32_t factoryKind;                  // a TaviFactoryKind
    int32_t categoryCount;                // number of valid entries in `categories`
    CATID categories[kTaviMaxCategories]; // categories of its own, beside the programmable-component category
    int32_t threadingModel;               // 0 "Apartment", 1 "Free", 2 "Both"
    int32_t provided;                     // 1 when DllGetClassObject can create it, 0 when not yet provided
};

// The number of rows in the class table (provided or not).
TAVI_API int32_t TaviGetClassCount();

// The module object count that DllCanUnloadNow consults: live objects plus server locks. Hosts and scripts use it
// to check that nothing leaked.
TAVI_API int32_t TaviGetModuleObjectCount();

// Fills `info` with row `index` (0 .. count-1) of the class table, in table order. E_POINTER for a null `info`,
// E_INVALIDARG for an index out of range.
TAVI_API HRESULT TaviGetClassInfo(int32_t index, TaviClassInfo* info);

// Creates one of the host's own classes, which the class table does not list (identifier objects "UID", arrays
// "Array", messages, names, geometry, spatial references, ...), by class name or by class identifier in braces.
// E_POINTER for a null `ppv`, E_INVALIDARG for a null `name`, REGDB_E_CLASSNOTREG when no host class has that name
// or identifier, else the class's creation result.
TAVI_API HRESULT TaviCreateHostInstance(const OLECHAR* name, REFIID riid, void** ppv);
}

// A scoped per-thread flag: while an object lives, IsActive() on its thread answers the value it was built with;
// when it ends, the value from before it comes back. Scopes nest and the innermost wins. A new thread starts false.
// Nothing inside the library reads the flag; it is offered to callers.
class TAVI_API GPAutocompleteContext {
public:
    explicit GPAutocompleteContext(bool active);
    ~GPAutocompleteContext();
    GPAutocompleteContext(const GPAutocompleteContext& other) = default;
    // Copies the stored outer value, as the one byte of state it is.
    GPAutocompleteContext& operator=(const GPAutocompleteContext& other) = default;

    static bool IsActive();

private:
    bool saved_; // the thread's flag as it stood before this scope
};
