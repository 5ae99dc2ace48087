// Writing and removing the registry keys and component categories of a class table.
#include "frame/Registration.h"

#include "host/CreateInstance.h"
#include "platform/ComPtr.h"
#include "platform/Guid.h"
#include "platform/Registry.h"

namespace tavi {

namespace {

const char16_t* ThreadingModelText(ThreadingModel model) {
    switch (model) {
    case ThreadingModel::Free:
        return u"Free";
    case ThreadingModel::Both:
        return u"Both";
    case ThreadingModel::Apartment:
        break;
    }
    return u"Apartment";
}

std::u16string VersionIndependentProgId(const ClassEntry& entry) {
    return std::u16string(kProgIdPrefix) + u"." + entry.name;
}

std::u16string VersionedProgId(const ClassEntry& entry) {
    return VersionIndependentProgId(entry) + u".1";
}

// A string value, its terminating zero included in the size. A null name is the key's default value.
LSTATUS SetString(HKEY key, const char16_t* valueName, const std::u16string& text) {
    return RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
}

// Creates (or opens) `subKey` below `parent` with read and write access and sets its default value.
LSTATUS CreateWithDefault(HKEY parent, const std::u16string& subKey, const std::u16string& value, RegKey* key) {
    LSTATUS status = RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ_WRITE,
                                     nullptr, key->Out(), nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    return SetString(key->Get(), nullptr, value);
}

// Writes the class keys and both programmatic identifiers. ERROR_SUCCESS or the first failing call's status.
LSTATUS WriteClassKeys(const ClassEntry& entry, const std::u16string& serverPath) {
    const std::u16string classText = GuidText(entry.classId);
    const std::u16string classKeyName = u"CLSID\\" + classText;
    const std::u16string independent = VersionIndependentProgId(entry);
    const std::u16string versioned = VersionedProgId(entry);
    LSTATUS status;
    {
        RegKey classKey, server;
        if ((status = CreateWithDefault(HKEY_CLASSES_ROOT, classKeyName, independent, &classKey)) ||
            (status = CreateWithDefault(classKey.Get(), u"InprocServer32", serverPath, &server)) ||
            (status = SetString(server.Get(), u"ThreadingModel", ThreadingModelText(entry.threadingModel))))
            return status;
    }
    {
        RegKey progId, sub;
        if ((status = CreateWithDefault(HKEY_CLASSES_ROOT, independent, independent, &progId)) ||
            (status = CreateWithDefault(progId.Get(), u"CLSID", classText, &sub)) ||
            (status = CreateWithDefault(progId.Get(), u"CurVer", versioned, &sub)))
            return status;
    }
    {
        RegKey progId, sub;
        if ((status = CreateWithDefault(HKEY_CLASSES_ROOT, versioned, independent, &progId)) ||
            (status = CreateWithDefault(progId.Get(), u"CLSID", classText, &sub)))
            return status;
    }
    RegKey classKey, sub;
    if ((status = RegCreateKeyExW(HKEY_CLASSES_ROOT, classKeyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ_WRITE, nullptr, classKey.Out(), nullptr)) ||
        (status = CreateWithDefault(classKey.Get(), u"VersionIndependentProgID", independent, &sub)) ||
        (status = CreateWithDefault(classKey.Get(), u"ProgID", versioned, &sub)) ||
        (status = CreateWithDefault(classKey.Get(), u"TypeLib", GuidText(kTypeLibraryId), &sub)))
        return status;
    return ERROR_SUCCESS;
}

// Deleting what is already gone is no failure: a half-written earlier registration is still removable.
bool Deleted(LSTATUS status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// Removes the class key and the programmatic identifiers under the prefix that the registry names for the class.
// True when all three are gone; true too when the class has no programmatic identifier registered.
bool DeleteClassKeys(const ClassEntry& entry) {
    OLECHAR* registered = nullptr;
    if (FAILED(ProgIDFromCLSID(entry.classId, &registered)) || !registered)
        return true;
    std::u16string progId(registered);
    CoTaskMemFree(registered);
    const std::u16string prefix = progId.substr(0, progId.find(u'.'));
    const std::u16string independent = prefix + u"." + entry.name;

    RegKey classes;
    LSTATUS opened = RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_ALL_ACCESS, classes.Out());
    bool classKeyGone =
        opened == ERROR_FILE_NOT_FOUND ||
        (opened == ERROR_SUCCESS && Deleted(RegDeleteTreeW(classes.Get(), GuidText(entry.classId).c_str())));
    bool independentGone = Deleted(RegDeleteTreeW(HKEY_CLASSES_ROOT, independent.c_str()));
    bool versionedGone = Deleted(RegDeleteTreeW(HKEY_CLASSES_ROOT, (independent + u".1").c_str()));
    return classKeyGone && independentGone && versionedGone;
}

HRESULT MakeCategoryManager(ComPtr<ICatRegister>* manager) {
    return AfCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, ICatRegister::iid,
                            manager->OutVoid());
}

} // namespace

HRESULT RegisterClass(const ClassEntry& entry, const std::u16string& serverPath, ICatRegister* categories) {
    return guard([&]() -> HRESULT {
        // All of one class or nothing of it: another process registering at the same time never sees (or leaves)
        // half a class.
        RegistryTransaction transaction;
        if (!DeleteClassKeys(entry) || WriteClassKeys(entry, serverPath) != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
        CATID programmable = CATID_Programmable;
        if (FAILED(categories->RegisterClassImplCategories(entry.classId, 1, &programmable)))
            return SELFREG_E_CLASS;
        for (const CATID* category : entry.categories) {
            if (!category)
                continue;
            CATID own = *category;
            if (FAILED(categories->RegisterClassImplCategories(entry.classId, 1, &own)))
                return E_FAIL;
        }
        if (transaction.Status() == ERROR_SUCCESS && transaction.Commit() != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
        return S_OK;
    });
}

HRESULT UnregisterClass(const ClassEntry& entry, ICatRegister* categories) {
    return guard([&]() -> HRESULT {
        RegistryTransaction transaction;
        // The programmable category goes with the class key itself.
        for (const CATID* category : entry.categories) {
            if (!category)
                continue;
            CATID own = *category;
            if (FAILED(categories->UnRegisterClassImplCategories(entry.classId, 1, &own)))
                return E_FAIL;
        }
        if (!DeleteClassKeys(entry))
            return SELFREG_E_CLASS;
        if (transaction.Status() == ERROR_SUCCESS && transaction.Commit() != ERROR_SUCCESS)
            return SELFREG_E_CLASS;
        return S_OK;
    });
}

HRESULT RegisterClasses(std::span<const ClassEntry> table, const std::u16string& serverPath) {
    ComPtr<ICatRegister> categories;
    if (HRESULT hr = MakeCategoryManager(&categories); FAILED(hr))
        return hr;
    for (const ClassEntry& entry : table) {
        if (!entry.Provided())
            continue;
        if (HRESULT hr = RegisterClass(entry, serverPath, categories.Get()); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT UnregisterClasses(std::span<const ClassEntry> table) {
    ComPtr<ICatRegister> categories;
    if (HRESULT hr = MakeCategoryManager(&categories); FAILED(hr))
        return hr;
    for (const ClassEntry& entry : table) {
        if (!entry.Provided())
            continue;
        if (HRESULT hr = UnregisterClass(entry, categories.Get()); FAILED(hr))
            return hr;
    }
    return S_OK;
}

} // namespace tavi
