// The utility services: the framework's utility object (its missing-data registry and thread routing), the
// cartographic repository of a repository thread with the capsules applied to it, and the data element utilities.
// The class identifiers CLSID_GPUtilities and CLSID_DEUtilities live in GPCatalog.h beside the data type factory
// that holds both singletons.
//
// Interface identifiers marked "assigned" are name-based (version 5) identifiers of "taviGeoprocessing.<name>" in
// the namespace of the library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}.
#pragma once

#include "tavi/GPCatalog.h"

// The cartographic repository of one repository thread: objects kept by key text. A repository belongs to its
// thread and may be touched only there.
struct ICIMRepository : IUnknown {
    static constexpr IID iid{0x0444000C, 0x7498, 0x5069, {0xB6, 0x60, 0x1C, 0x5D, 0x46, 0xD1, 0x12, 0x38}}; // assigned
    // The index of the repository thread that owns it (0 is the main thread).
    virtual HRESULT get_Index(int32_t* index) = 0;
    // How many objects it keeps.
    virtual HRESULT get_Count(int32_t* count) = 0;
    // Keeps `object` under `key`, replacing an object kept under the same key. E_POINTER for a null key or object.
    virtual HRESULT Add(const OLECHAR* key, IUnknown* object) = 0;
    // Lets the object under `key` go: S_OK, or S_FALSE when no object has that key. E_POINTER for a null key.
    virtual HRESULT Remove(const OLECHAR* key) = 0;
    // The object kept under `key` (keys compare exactly): S_OK with it, or S_FALSE with null when there is none.
    // E_POINTER for a null key or out.
    virtual HRESULT FindByKey(const OLECHAR* key, IUnknown** object) = 0;
};

// A unit of connection work handed to every repository that knows its key.
struct IGPThreadCapsule : IUnknown {
    static constexpr IID iid{0x8AF1BDA4, 0xE093, 0x51EA, {0x89, 0x1D, 0xC1, 0xDE, 0xFE, 0x99, 0x2E, 0x86}}; // assigned
    // The key under which repositories keep the object the capsule is about.
    virtual HRESULT get_Key(BSTR* key) = 0;
    // Applies `command` ("connect", "connect_suspend", "refresh" or "disconnect") to `repository`. It is called on
    // the repository's own thread. `ownRepository` is true for the repository of the utility object that sent the
    // capsule; `mainRepository` is true for the repository of the main thread.
    virtual HRESULT Apply(ICIMRepository* repository, const OLECHAR* command, VARIANT_BOOL ownRepository,
                          VARIANT_BOOL mainRepository) = 0;
};

// The utility object. Its data access operations join this interface family with the data layer.
struct IGPUtilities : IUnknown {
    static constexpr IID iid{0x1DB338BC, 0x8A98, 0x52BD, {0xB4, 0xDA, 0x8D, 0x9D, 0x6A, 0x1E, 0xB6, 0x47}}; // assigned
};

// The utility object's own operations. The first five are the missing-data registry: catalog paths whose data is
// known not to exist, kept by the instance of the main repository thread; instances elsewhere forward to it. Each
// answers S_FALSE and does nothing outside the desktop application (a null out is E_POINTER first).
struct IGPUtilitiesImpl : IUnknown {
    static constexpr IID iid{0xC92C3850, 0xF54B, 0x588C, {0xAB, 0xBD, 0xBA, 0x04, 0x99, 0xEC, 0x69, 0xDF}}; // assigned
    // Records `path` (standardized, so two forms of one path are one entry).
    virtual HRESULT AddNonExistDataPathname(const OLECHAR* path) = 0;
    // `found` is true exactly when the standardized `path` was recorded.
    virtual HRESULT CheckNonExistDataPathname(const OLECHAR* path, VARIANT_BOOL* found) = 0;
    // Forgets every recorded path.
    virtual HRESULT ClearNonExistDataPathname() = 0;
    // Stores the flag here and, on an instance that does not own the registry, also in the owner. Always S_OK in
    // the desktop application.
    virtual HRESULT SetSkipMapObjNonExistData(VARIANT_BOOL skip) = 0;
    // The owner's flag (refreshed from the owner on every call of a non-owner).
    virtual HRESULT GetSkipMapObjNonExistData(VARIANT_BOOL* skip) = 0;

    // Applies `capsule` with `command` to every repository thread's repository that knows the capsule's key.
    // E_POINTER for a null command or capsule; E_INVALIDARG for a command other than "connect",
    // "connect_suspend", "refresh" and "disconnect".
    virtual HRESULT DoThreadCapsule(const OLECHAR* command, IGPThreadCapsule* capsule) = 0;

    // The repository index this instance works with: the one set here, else the index of the repository thread it
    // was created on (0 elsewhere). E_INVALIDARG for an index outside the pool.
    virtual HRESULT get_RepositoryIndex(int32_t* index) = 0;
    virtual HRESULT put_RepositoryIndex(int32_t index) = 0;
    // The construction-time settings read from the current user's "Software\TAVI\Torvik\Settings".
    virtual HRESULT get_CachingEnabled(VARIANT_BOOL* enabled) = 0;
    virtual HRESULT get_RunGPOnlyInMainThread(VARIANT_BOOL* mainOnly) = 0;
};

// The data element utilities.
struct IDEUtilities : IUnknown {
    static constexpr IID iid{0xA3B76FF7, 0x0F62, 0x5DEA, {0x8D, 0xA7, 0x60, 0x75, 0x0F, 0x9B, 0xE4, 0x8D}}; // assigned
    // The on/off setting shared by every caller on the thread (the singleton is per thread). It starts on; callers
    // that switch it off restore what they found.
    virtual HRESULT get_Enabled(VARIANT_BOOL* enabled) = 0;
    virtual HRESULT put_Enabled(VARIANT_BOOL enabled) = 0;
    // The full catalog path of `path`: made absolute against the working directory and standardized. E_POINTER
    // for a null path or out.
    virtual HRESULT ResolveCatalogPath(const OLECHAR* path, BSTR* fullPath) = 0;
};
