// The component category manager: category descriptions and the categories classes implement or require, kept in
// the registry, and the listing of the classes that belong to given categories.
#include "platform/CategoryManager.h"

#include "platform/Guid.h"
#include "platform/Object.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tavi {

namespace {

constexpr ULONG kAnyCategories = static_cast<ULONG>(-1); // a count that means "do not filter on these"
constexpr std::u16string_view kImplemented = u"Implemented Categories";
constexpr std::u16string_view kRequired = u"Required Categories";
std::u16string ClassPath(REFCLSID clsid) {
    return u"CLSID\\" + GuidText(clsid);
}

std::u16string CategoryListPath(REFCLSID clsid, std::u16string_view list) {
    return ClassPath(clsid) + u"\\" + std::u16string(list);
}

// The locale's value name: its identifier in hexadecimal ("409" for English, United States).
std::u16string LocaleValueName(LCID lcid) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", lcid);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

// A description from the fixed buffer, which a careless caller may fill to the end without a terminating zero.
std::u16string Description(const CATEGORYINFO& info) {
    const OLECHAR* text = info.szDescription;
    size_t length = 0;
    while (length < std::size(info.szDescription) && text[length] != 0)
        ++length;
    return std::u16string(text, length);
}

HRESULT WriteFailure(LSTATUS status) {
    return status == ERROR_OUTOFMEMORY ? E_OUTOFMEMORY : REGDB_E_WRITEREGDB;
}
HRESULT ReadFailure(LSTATUS status) {
    return status == ERROR_OUTOFMEMORY ? E_OUTOFMEMORY : REGDB_E_READREGDB;
}

// A list argument: null is allowed only when there is nothing to read.
bool ValidList(ULONG count, const CATID* ids) {
    return ids || count == 0 || count == kAnyCategories;
}

LSTATUS CreateKey(const std::u16string& path) {
    RegKey key;
    return RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ_WRITE,
                           nullptr, key.Out(), nullptr);
}

// Deletes a key with everything below it; a key that is not there is already gone.
LSTATUS DeleteTree(const std::u16string& path) {
    LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// The names of a key's subkeys, in the store's order. A missing key has none.
LSTATUS SubkeyNames(const std::u16string& path, std::vector<std::u16string>* names) {
    names->clear();
    RegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Out());
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS)
        return status;
    std::vector<OLECHAR> buffer(256);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        status = RegEnumKeyExW(key.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status == ERROR_MORE_DATA) {
            buffer.resize(length);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        names->emplace_back(buffer.data(), length);
        ++index;
    }
}

// True when a key has neither subkeys nor values.
bool KeyIsEmpty(const std::u16string& path) {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        return false;
    OLECHAR name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_NO_MORE_ITEMS)
        return false;
    length = 256;
    return RegEnumValueW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_NO_MORE_ITEMS;
}

bool Contains(const CATID* ids, ULONG count, REFGUID id) {
    return std::find(ids, ids + count, id) != ids + count;
}

// Whether a registered class belongs: it implements every category of `implemented`, and every category it requires
// is among `required`. A count of (ULONG)-1 leaves that side out of the test.
LSTATUS Belongs(REFCLSID clsid, ULONG implementedCount, const CATID* implemented, ULONG requiredCount,
                const CATID* required, bool* belongs) {
    *belongs = false;
    if (implementedCount != kAnyCategories) {
        std::u16string list = CategoryListPath(clsid, kImplemented);
        for (ULONG i = 0; i < implementedCount; ++i)
            if (!RegistryKeyExists(HKEY_CLASSES_ROOT, list + u"\\" + GuidText(implemented[i])))
                return ERROR_SUCCESS;
    }
    if (requiredCount != kAnyCategories) {
        std::vector<std::u16string> names;
        if (LSTATUS status = SubkeyNames(CategoryListPath(clsid, kRequired), &names))
            return status;
        for (const std::u16string& name : names) {
            CATID catid = GUID_NULL;
            if (FAILED(CLSIDFromString(name.c_str(), &catid)))
                continue; // a stray key that names no category requires nothing
            if (!Contains(required, requiredCount, catid))
                return ERROR_SUCCESS;
        }
    }
    *belongs = true;
    return ERROR_SUCCESS;
}

// The classes found when the enumeration was made, shared by its clones.
using ClassList = std::shared_ptr<const std::vector<CLSID>>;

class ClassEnumerator final : public Object<ClassEnumerator, IEnumGUID> {
public:
    ClassEnumerator(ClassList classes, size_t position) : classes_(std::move(classes)), position_(position) {}

    HRESULT Next(ULONG count, GUID* items, ULONG* fetched) override {
        if (fetched)
            *fetched = 0;
        if (!items)
            return E_POINTER;
        if (!fetched && count != 1)
            return E_INVALIDARG;
        ULONG copied = 0;
        while (copied < count && position_ < classes_->size())
            items[copied++] = (*classes_)[position_++];
        if (fetched)
            *fetched = copied;
        return copied == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        size_t left = classes_->size() - position_;
        position_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumGUID** clone) override {
        if (HRESULT hr = ClearOut(clone); FAILED(hr))
            return hr;
        return guard([&] { *clone = MakeObject<ClassEnumerator>(classes_, position_).Detach(); });
    }

private:
    ClassList classes_;
    size_t position_;
};

class CategoryManager final : public Object<CategoryManager, ICatRegister, ICatInformation> {
public:
    static constexpr CLSID kClassId = CLSID_StdComponentCategoriesMgr;
    static constexpr const char16_t* kClassName = u"StdComponentCategoriesMgr";

    // ICatRegister. Each call is one transaction: all its categories are written or none.
    HRESULT RegisterCategories(ULONG count, CATEGORYINFO* infos) override {
        if (!infos && count != 0)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            RegistryTransaction transaction;
            for (ULONG i = 0; i < count; ++i) {
                std::u16string path = u"Component Categories\\" + GuidText(infos[i].catid);
                LSTATUS status =
                    RegistryWriteString(HKEY_CLASSES_ROOT, path, LocaleValueName(infos[i].lcid), Description(infos[i]));
                if (status != ERROR_SUCCESS)
                    return WriteFailure(status);
            }
            LSTATUS status = transaction.Commit();
            return status == ERROR_SUCCESS ? S_OK : WriteFailure(status);
        });
    }
    HRESULT UnRegisterCategories(ULONG count, CATID* catids) override {
        if (!catids && count != 0)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            RegistryTransaction transaction;
            for (ULONG i = 0; i < count; ++i)
                if (LSTATUS status = DeleteTree(u"Component Categories\\" + GuidText(catids[i])))
                    return WriteFailure(status);
            LSTATUS status = transaction.Commit();
            return status == ERROR_SUCCESS ? S_OK : WriteFailure(status);
        });
    }
    HRESULT RegisterClassImplCategories(REFCLSID clsid, ULONG count, CATID* catids) override {
        return RegisterClassCategories(clsid, kImplemented, count, catids);
    }
    HRESULT UnRegisterClassImplCategories(REFCLSID clsid, ULONG count, CATID* catids) override {
        return UnRegisterClassCategories(clsid, kImplemented, count, catids);
    }
    HRESULT RegisterClassReqCategories(REFCLSID clsid, ULONG count, CATID* catids) override {
        return RegisterClassCategories(clsid, kRequired, count, catids);
    }
    HRESULT UnRegisterClassReqCategories(REFCLSID clsid, ULONG count, CATID* catids) override {
        return UnRegisterClassCategories(clsid, kRequired, count, catids);
    }

    // ICatInformation.
    HRESULT EnumClassesOfCategories(ULONG implementedCount, const CATID* implemented, ULONG requiredCount,
                                    const CATID* required, IEnumCLSID** classes) override {
        if (HRESULT hr = ClearOut(classes); FAILED(hr))
            return hr;
        if (!ValidList(implementedCount, implemented) || !ValidList(requiredCount, required))
            return E_POINTER;
        return guard([&]() -> HRESULT {
            std::vector<std::u16string> names;
            if (LSTATUS status = SubkeyNames(u"CLSID", &names))
                return ReadFailure(status);
            auto found = std::make_shared<std::vector<CLSID>>();
            for (const std::u16string& name : names) {
                CLSID clsid = GUID_NULL;
                if (FAILED(CLSIDFromString(name.c_str(), &clsid)))
                    continue; // not a class identifier
                bool belongs = false;
                if (LSTATUS status = Belongs(clsid, implementedCount, implemented, requiredCount, required, &belongs))
                    return ReadFailure(status);
                if (belongs)
                    found->push_back(clsid);
            }
            *classes = MakeObject<ClassEnumerator>(std::move(found), 0).Detach();
            return S_OK;
        });
    }
    // S_OK when the class is registered and belongs to the categories, S_FALSE otherwise.
    HRESULT IsClassOfCategories(REFCLSID clsid, ULONG implementedCount, const CATID* implemented, ULONG requiredCount,
                                const CATID* required) override {
        if (!ValidList(implementedCount, implemented) || !ValidList(requiredCount, required))
            return E_POINTER;
        return guard([&]() -> HRESULT {
            if (!RegistryKeyExists(HKEY_CLASSES_ROOT, ClassPath(clsid)))
                return S_FALSE;
            bool belongs = false;
            if (LSTATUS status = Belongs(clsid, implementedCount, implemented, requiredCount, required, &belongs))
                return ReadFailure(status);
            return belongs ? S_OK : S_FALSE;
        });
    }

private:
    static HRESULT RegisterClassCategories(REFCLSID clsid, std::u16string_view list, ULONG count, CATID* catids) {
        if (!catids && count != 0)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            RegistryTransaction transaction;
            std::u16string listPath = CategoryListPath(clsid, list);
            for (ULONG i = 0; i < count; ++i)
                if (LSTATUS status = CreateKey(listPath + u"\\" + GuidText(catids[i])))
                    return WriteFailure(status);
            LSTATUS status = transaction.Commit();
            return status == ERROR_SUCCESS ? S_OK : WriteFailure(status);
        });
    }

    // Removes the categories; the list key goes too once it holds nothing, so that a class without categories
    // looks as it did before any was registered.
    static HRESULT UnRegisterClassCategories(REFCLSID clsid, std::u16string_view list, ULONG count, CATID* catids) {
        if (!catids && count != 0)
            return E_POINTER;
        return guard([&]() -> HRESULT {
            RegistryTransaction transaction;
            std::u16string listPath = CategoryListPath(clsid, list);
            for (ULONG i = 0; i < count; ++i)
                if (LSTATUS status = DeleteTree(listPath + u"\\" + GuidText(catids[i])))
                    return WriteFailure(status);
            if (KeyIsEmpty(listPath))
                if (LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, listPath.c_str()))
                    return WriteFailure(status);
            LSTATUS status = transaction.Commit();
            return status == ERROR_SUCCESS ? S_OK : WriteFailure(status);
        });
    }
};

} // namespace

HRESULT CreateCategoryManager(IUnknown* outer, REFIID riid, void** ppv) {
    return CreateInstance<CategoryManager>(outer, riid, ppv);
}

} // namespace tavi
