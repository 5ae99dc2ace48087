// The utility object: its settings, the missing-data registry with its forwarding to the main repository thread, and
// the thread capsules.
#include "services/GPUtilities.h"

#include "host/CatalogPathText.h"
#include "host/CreateInstance.h"
#include "host/HostApplication.h"
#include "host/RepositorySync.h"
#include "platform/BStr.h"
#include "platform/Registry.h"

#include <algorithm>
#include <memory>
#include <mutex>

namespace tavi {

namespace {

constexpr char16_t kSettingsKey[] = u"Software\\TAVI\\Torvik\\Settings";

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

bool IsCapsuleCommand(std::u16string_view command) {
    return command == u"connect" || command == u"connect_suspend" || command == u"refresh" || command == u"disconnect";
}

} // namespace

// The owner is looked up on the main repository thread (that thread's singleton, made there through the platform's
// object creation) the first time and kept: while this instance lives, the owner and the paths it keeps cannot be
// let go by an unload check. Only the reference count is touched off the main thread; the calls run there.
template <class Call> HRESULT GPUtilities::ForwardToOwner(Call call) {
    return RepositorySync::InternalExecuteMain([this, &call]() -> HRESULT {
        if (!owner_) {
            HRESULT hr = AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilitiesImpl::iid,
                                          owner_.OutVoid());
            if (FAILED(hr))
                return hr;
            if (!owner_)
                return E_FAIL;
        }
        return call(owner_.Get());
    });
}

GPUtilitiesSettings GPUtilitiesSettings::Read() {
    GPUtilitiesSettings settings;
    DWORD value = 0;
    if (RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey, u"DisableGPCaching", &value) == ERROR_SUCCESS)
        settings.cachingEnabled = !(value == 1 || value == 3 || value == 4);
    if (RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey, u"RunGPOnlyInMainThread", &value) == ERROR_SUCCESS)
        settings.runOnlyInMainThread = ToVariantBool(value == 1);
    if (RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey, u"SkipMapUpdateNonExistsDataPathnames", &value) ==
        ERROR_SUCCESS)
        settings.skipMapObjNonExistData = ToVariantBool(value == 1);
    if (RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey, u"ShowCodedValueKeys", &value) == ERROR_SUCCESS)
        settings.showCodedValueKeys = ToVariantBool(value == 1);
    return settings;
}

GPUtilities::GPUtilities()
    : inDesktopApp_(hostapp::InDesktopApplication()), inScriptingSession_(hostapp::InScriptingSession()),
      createdOnCIMThread_(RepositorySync::IsCIMThread()), createdOnMainThread_(RepositorySync::IsMainThread()),
      settings_(GPUtilitiesSettings::Read()), skipMapObjNonExistData_(settings_.skipMapObjNonExistData),
      defaultIndex_(std::max(RepositorySync::CurrentIndex(), 0)), highestIndexSeen_(defaultIndex_) {}

HRESULT GPUtilities::AddNonExistDataPathname(const OLECHAR* path) {
    if (!inDesktopApp_)
        return S_FALSE;
    if (!path || !*path)
        return E_INVALIDARG;
    if (!IsOwner())
        return guard([&] {
            String copy(path);
            return ForwardToOwner(
                [&](IGPUtilitiesImpl* owner) { return owner->AddNonExistDataPathname(copy.c_str()); });
        });
    return guard([&] { nonExistDataPathnames_.insert(GeoprocessingUtil::StandardizeCatalogPath(path, true)); });
}

HRESULT GPUtilities::CheckNonExistDataPathname(const OLECHAR* path, VARIANT_BOOL* found) {
    if (!found)
        return E_POINTER;
    *found = VARIANT_FALSE;
    if (!inDesktopApp_)
        return S_FALSE;
    if (!path || !*path)
        return S_OK;
    if (!IsOwner())
        return guard([&] {
            String copy(path);
            return ForwardToOwner(
                [&](IGPUtilitiesImpl* owner) { return owner->CheckNonExistDataPathname(copy.c_str(), found); });
        });
    return guard([&] {
        *found = ToVariantBool(nonExistDataPathnames_.contains(GeoprocessingUtil::StandardizeCatalogPath(path, true)));
    });
}

HRESULT GPUtilities::ClearNonExistDataPathname() {
    if (!inDesktopApp_)
        return S_FALSE;
    if (!IsOwner())
        return guard(
            [&] { return ForwardToOwner([](IGPUtilitiesImpl* owner) { return owner->ClearNonExistDataPathname(); }); });
    nonExistDataPathnames_.clear();
    return S_OK;
}

HRESULT GPUtilities::SetSkipMapObjNonExistData(VARIANT_BOOL skip) {
    if (!inDesktopApp_)
        return S_FALSE;
    skipMapObjNonExistData_ = ToVariantBool(skip != VARIANT_FALSE);
    if (!IsOwner()) {
        // The owner's answer is not reported: this instance holds the flag either way.
        guard([&] {
            return ForwardToOwner([skip](IGPUtilitiesImpl* owner) { return owner->SetSkipMapObjNonExistData(skip); });
        });
    }
    return S_OK;
}

HRESULT GPUtilities::GetSkipMapObjNonExistData(VARIANT_BOOL* skip) {
    if (!skip)
        return E_POINTER;
    *skip = VARIANT_FALSE;
    if (!inDesktopApp_)
        return S_FALSE;
    if (!IsOwner()) {
        VARIANT_BOOL ownerFlag = VARIANT_FALSE;
        HRESULT hr = guard([&] {
            return ForwardToOwner(
                [&](IGPUtilitiesImpl* owner) { return owner->GetSkipMapObjNonExistData(&ownerFlag); });
        });
        if (FAILED(hr))
            return hr;
        skipMapObjNonExistData_ = ownerFlag;
    }
    *skip = skipMapObjNonExistData_;
    return S_OK;
}

HRESULT GPUtilities::DoThreadCapsule(const OLECHAR* command, IGPThreadCapsule* capsule) {
    if (!command || !capsule)
        return E_POINTER;
    String cmd(command);
    if (!IsCapsuleCommand(cmd))
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        BStr key;
        if (HRESULT hr = capsule->get_Key(key.Out()); FAILED(hr))
            return hr;
        const int32_t ownIndex = RepositoryIndex();
        highestIndexSeen_ = std::max(highestIndexSeen_, ownIndex);
        const int32_t highest = highestIndexSeen_;
        const String keyText = key.str();
        ComPtr<IGPThreadCapsule> held(capsule);
        auto applying = std::make_shared<std::mutex>(); // one Apply at a time across the threads

        HRESULT hr = RepositorySync::InternalExecuteAll([=]() -> HRESULT {
            const int32_t index = RepositorySync::CurrentIndex();
            if (index < 0 || index > highest)
                return S_OK;
            ComPtr<ICIMRepository> repository;
            if (HRESULT found = RepositorySync::GetRepository(index, repository.Out()); FAILED(found))
                return found;
            ComPtr<IUnknown> object;
            if (repository->FindByKey(keyText.c_str(), object.Out()) != S_OK)
                return S_OK;
            const bool own = index == ownIndex;
            std::lock_guard lock(*applying);
            HRESULT applied = held->Apply(repository.Get(), cmd.c_str(), ToVariantBool(own), ToVariantBool(index == 0));
            if (SUCCEEDED(applied) && own && cmd == u"refresh") {
                applied = held->Apply(repository.Get(), u"disconnect", VARIANT_TRUE, ToVariantBool(index == 0));
                if (SUCCEEDED(applied))
                    applied = held->Apply(repository.Get(), u"connect", VARIANT_TRUE, ToVariantBool(index == 0));
            }
            return applied;
        });
        if (FAILED(hr))
            return hr;
        if (cmd == u"connect_suspend" && inDesktopApp_ && !createdOnCIMThread_) {
            if (!applicationRepository_)
                applicationRepository_ = RepositorySync::MakeApplicationRepository();
            return capsule->Apply(applicationRepository_.Get(), cmd.c_str(), VARIANT_TRUE, VARIANT_FALSE);
        }
        return S_OK;
    });
}

HRESULT GPUtilities::get_RepositoryIndex(int32_t* index) {
    if (!index)
        return E_POINTER;
    *index = RepositoryIndex();
    return S_OK;
}

HRESULT GPUtilities::put_RepositoryIndex(int32_t index) {
    if (index < 0 || index >= RepositorySync::GetCIMPoolSize())
        return E_INVALIDARG;
    explicitIndex_ = index;
    highestIndexSeen_ = std::max(highestIndexSeen_, index);
    return S_OK;
}

HRESULT GPUtilities::get_CachingEnabled(VARIANT_BOOL* enabled) {
    if (!enabled)
        return E_POINTER;
    *enabled = ToVariantBool(settings_.cachingEnabled);
    return S_OK;
}

HRESULT GPUtilities::get_RunGPOnlyInMainThread(VARIANT_BOOL* mainOnly) {
    if (!mainOnly)
        return E_POINTER;
    *mainOnly = settings_.runOnlyInMainThread;
    return S_OK;
}

HRESULT GPUtilities::get_ShowCodedValueKeys(VARIANT_BOOL* show) {
    if (!show)
        return E_POINTER;
    *show = settings_.showCodedValueKeys;
    return S_OK;
}

HRESULT GPUtilities::get_InScriptingSession(VARIANT_BOOL* scripting) {
    if (!scripting)
        return E_POINTER;
    *scripting = ToVariantBool(inScriptingSession_);
    return S_OK;
}

} // namespace tavi
