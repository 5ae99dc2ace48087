// The process's environment settings and the manager objects that read and change them.
#include "services/GPEnvironmentManager.h"

#include "frame/EnumBSTR.h"
#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/String.h"
#include "platform/BStr.h"
#include "platform/HandOut.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/Geometry.h"
#include "tavi/Geoprocessing.h"

#include <mutex>
#include <optional>
#include <vector>

namespace tavi {

namespace {

enum class DefaultDomain { None, Workspace, OutputFlag };

// One default setting: its name, display name, category and the catalogue name of its data type.
struct DefaultSetting {
    const char16_t* name;
    const char16_t* displayName;
    const char16_t* category;
    const char16_t* dataType;
    DefaultDomain domain;
};

// The default settings, in display order. Their texts are this library's own.
constexpr DefaultSetting kDefaultSettings[] = {
    {u"workspace", u"Current Workspace", u"Workspace", u"DEType", DefaultDomain::Workspace},
    {u"scratchWorkspace", u"Scratch Workspace", u"Workspace", u"DEType", DefaultDomain::Workspace},
    {kOutputCoordinateSystemSetting, u"Output Coordinate System", u"Output Coordinates", u"GPCoordinateSystem",
     DefaultDomain::None},
    {u"extent", u"Extent", u"Processing Extent", u"GPExtent", DefaultDomain::None},
    {u"XYResolution", u"XY Resolution", u"XY Resolution and Tolerance", u"GPLinearUnit", DefaultDomain::None},
    {u"XYTolerance", u"XY Tolerance", u"XY Resolution and Tolerance", u"GPLinearUnit", DefaultDomain::None},
    {u"outputZFlag", u"Output has Z Values", u"Z Values", u"GPString", DefaultDomain::OutputFlag},
    {u"outputMFlag", u"Output has M Values", u"M Values", u"GPString", DefaultDomain::OutputFlag},
    {u"cellSize", u"Cell Size", u"Raster Analysis", u"GPCellSizeXY", DefaultDomain::None},
    {u"randomGenerator", u"Random Number Generator", u"Randomization", u"GPRandomNumberGenerator", DefaultDomain::None},
    {u"qualifiedFieldNames", u"Maintain Fully Qualified Field Names", u"Fields", u"GPBoolean", DefaultDomain::None},
    {u"parallelProcessingFactor", u"Parallel Processing Factor", u"Parallel Processing", u"GPString",
     DefaultDomain::None},
};

// The words an output Z or M flag takes.
constexpr const char16_t* kOutputFlagWords[] = {u"Same As Input", u"Enabled", u"Disabled"};

template <class I> ComPtr<I> CreateByClass(REFCLSID clsid) {
    ComPtr<I> made;
    if (FAILED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid())))
        return {};
    return made;
}

ComPtr<IGPDomain> MakeDefaultDomain(DefaultDomain kind) {
    switch (kind) {
    case DefaultDomain::None:
        return {};
    case DefaultDomain::Workspace:
        return CreateByClass<IGPDomain>(CLSID_GPWorkspaceDomain);
    case DefaultDomain::OutputFlag: {
        auto codes = CreateByClass<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
        if (!codes)
            return {};
        for (const char16_t* word : kOutputFlagWords)
            if (FAILED(codes->AddStringCode(word, word)))
                return {};
        return codes.As<IGPDomain>();
    }
    }
    return {};
}

// A copy of a setting (through IClone), or null when it cannot be copied.
ComPtr<IGPEnvironment> CopyOf(IGPEnvironment* setting) {
    ComPtr<IGPEnvironment> copy;
    CloneAs(setting, copy);
    return copy;
}

// The coordinate system a value holds: S_OK with it, S_FALSE with null for a value that holds none yet, E_INVALIDARG
// for a value of a kind that holds none.
HRESULT SpatialReferenceOf(IGPValue* value, ISpatialReference** spatialReference) {
    if (auto system = QueryAs<IGPCoordinateSystem>(value))
        return system->get_CoordinateSystem(spatialReference);
    if (auto reference = QueryAs<IGPSpatialReference>(value))
        return reference->get_SpatialReference(spatialReference);
    return E_INVALIDARG;
}

// Puts `spatialReference` into a new value made by `dataType`.
HRESULT ValueHolding(IGPDataType* dataType, ISpatialReference* spatialReference, IGPValue** value) {
    ComPtr<IGPValue> made;
    if (!dataType || FAILED(dataType->CreateValue(nullptr, made.Out())) || !made)
        return E_FAIL;
    HRESULT hr = E_INVALIDARG;
    if (auto system = made.As<IGPCoordinateSystem>())
        hr = system->putref_CoordinateSystem(spatialReference);
    else if (auto reference = made.As<IGPSpatialReference>())
        hr = reference->putref_SpatialReference(spatialReference);
    if (FAILED(hr))
        return hr;
    *value = made.Detach();
    return S_OK;
}

} // namespace

// The settings of the process, in their list order. Every access holds the mutex; nothing that may call back into
// the store (parsing text, validating values) runs while it is held.
class EnvironmentStore {
public:
    // Builds the default settings. E_FAIL when the setting class or a data type cannot be made.
    HRESULT AddDefaults() {
        auto factory = CreateByClass<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
        if (!factory)
            return E_FAIL;
        int32_t order = 0;
        for (const DefaultSetting& row : kDefaultSettings) {
            auto setting = CreateByClass<IGPEnvironment>(CLSID_GPEnvironment);
            ComPtr<IGPDataType> dataType;
            if (!setting || FAILED(factory->GetDataType(row.dataType, dataType.Out())) || !dataType)
                return E_FAIL;
            setting->put_Name(row.name);
            setting->put_DisplayName(row.displayName);
            setting->put_Category(row.category);
            setting->putref_DataType(dataType.Get());
            if (row.domain != DefaultDomain::None) {
                auto domain = MakeDefaultDomain(row.domain);
                if (!domain)
                    return E_FAIL;
                setting->putref_Domain(domain.Get());
            }
            setting->put_DisplayOrder(order++);
            settings_.push_back({row.name, std::move(setting)});
        }
        return S_OK;
    }

    std::mutex& Mutex() { return mutex_; }
    // A setting with its name, kept beside it so that finding one reads no setting (the settings are the store's
    // own copies, so their names change only through the store).
    struct Stored {
        String name;
        ComPtr<IGPEnvironment> setting;
    };
    std::vector<Stored>& Settings() { return settings_; }

    // The position of the named setting, or none. The caller holds the mutex.
    std::optional<size_t> Find(const OLECHAR* name) const {
        if (!name)
            return std::nullopt;
        // The name as the setting spells it is the usual case, and the cheap one to compare.
        const std::u16string_view wanted(name);
        for (size_t i = 0; i < settings_.size(); ++i)
            if (settings_[i].name == wanted)
                return i;
        for (size_t i = 0; i < settings_.size(); ++i)
            if (EqualsNoCase(settings_[i].name, wanted))
                return i;
        return std::nullopt;
    }
    IGPEnvironment* At(const OLECHAR* name) const {
        auto at = Find(name);
        return at ? settings_[*at].setting.Get() : nullptr;
    }

private:
    std::mutex mutex_;
    std::vector<Stored> settings_;
};

namespace {

std::mutex& ProcessStoreMutex() {
    static std::mutex mutex;
    return mutex;
}
std::shared_ptr<EnvironmentStore>& ProcessStoreSlot() {
    static std::shared_ptr<EnvironmentStore> store;
    return store;
}

// The process's store, made with the defaults when `make` and there is none; null when it cannot be made.
std::shared_ptr<EnvironmentStore> ProcessStore(bool make) {
    std::lock_guard lock(ProcessStoreMutex());
    auto& slot = ProcessStoreSlot();
    if (!slot && make) {
        auto store = std::make_shared<EnvironmentStore>();
        if (SUCCEEDED(store->AddDefaults()))
            slot = std::move(store);
    }
    return slot;
}

// What a change needs from a setting: its data type and domain, read under the store's mutex.
struct SettingKind {
    ComPtr<IGPDataType> dataType;
    ComPtr<IGPDomain> domain;
};

// Runs `change` with the named setting's data type and domain, read under the store's mutex: E_FAIL without a
// store, E_INVALIDARG for a name the store does not hold. `change` runs without the mutex, since reading text or
// checking a value may reach back into the store.
template <class Change> HRESULT ChangeSetting(EnvironmentStore* store, const OLECHAR* name, Change change) {
    return guard([&]() -> HRESULT {
        if (!store)
            return E_FAIL;
        SettingKind kind;
        {
            std::lock_guard lock(store->Mutex());
            IGPEnvironment* setting = store->At(name);
            if (!setting)
                return E_INVALIDARG;
            setting->get_DataType(kind.dataType.Out());
            setting->get_Domain(kind.domain.Out());
        }
        return change(kind);
    });
}

// Stores `value` (kept as it is; null clears) in the named setting and marks it altered when it holds one.
HRESULT StoreValue(EnvironmentStore& store, const OLECHAR* name, IGPValue* value) {
    std::lock_guard lock(store.Mutex());
    IGPEnvironment* setting = store.At(name);
    if (!setting)
        return E_INVALIDARG;
    if (HRESULT hr = setting->putref_Value(value); FAILED(hr))
        return hr;
    if (auto altered = QueryAs<IGPEnvironmentImpl2>(setting))
        altered->put_Altered(value ? VARIANT_TRUE : VARIANT_FALSE);
    return S_OK;
}

// Makes a value of `dataType` from `text`: an empty value given the text, so that the message of a text it refuses
// is had; a data type that makes no empty value (values that name data) makes it from the text directly.
HRESULT ValueFromText(IGPDataType* dataType, const OLECHAR* text, IGPValue** value, IGPMessage** message) {
    ComPtr<IGPValue> made;
    if (SUCCEEDED(dataType->CreateValue(nullptr, made.Out())) && made) {
        if (HRESULT hr = made->SetAsText(text, message); FAILED(hr))
            return hr;
    } else {
        HRESULT hr = dataType->CreateValue(text, made.Out());
        if (FAILED(hr) || !made)
            return FAILED(hr) ? hr : E_FAIL;
        if (hr == S_FALSE) // refused: its message says why
            return made->SetAsText(text, message);
    }
    *value = made.Detach();
    return S_OK;
}

// Runs `read` on the named setting under the store's mutex, `*out` cleared first: E_FAIL without a store,
// E_INVALIDARG for a name the store does not hold.
template <class Out, class Read>
HRESULT ReadSetting(EnvironmentStore* store, const OLECHAR* name, Out** out, Read read) {
    if (HRESULT hr = ClearOut(out); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!store)
            return E_FAIL;
        std::lock_guard lock(store->Mutex());
        IGPEnvironment* found = store->At(name);
        return found ? read(found) : E_INVALIDARG;
    });
}

// The coordinate system the setting's value holds, the value itself read (not a copy): S_FALSE and null for a
// setting without a value or a value that holds no system yet; E_INVALIDARG for a value of a kind that holds none.
HRESULT StoredSpatialReference(IGPEnvironment* setting, ISpatialReference** spatialReference) {
    auto impl = QueryAs<IGPEnvironmentImpl>(setting);
    ComPtr<IGPValue> value;
    if (!impl || FAILED(impl->get_StoredValue(value.Out())))
        return E_FAIL;
    if (!value)
        return S_FALSE;
    if (HRESULT hr = SpatialReferenceOf(value.Get(), spatialReference); FAILED(hr))
        return hr;
    return *spatialReference ? S_OK : S_FALSE;
}

} // namespace

HRESULT ProcessSpatialReference(const OLECHAR* name, ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    std::shared_ptr<EnvironmentStore> store = ProcessStore(false);
    HRESULT hr = !store ? S_FALSE : ReadSetting(store.get(), name, spatialReference, [&](IGPEnvironment* setting) {
        return StoredSpatialReference(setting, spatialReference);
    });
    return hr == S_OK ? S_OK : S_FALSE;
}

HRESULT SetProcessSpatialReference(const OLECHAR* name, ISpatialReference* spatialReference) {
    return guard([&]() -> HRESULT {
        if (!spatialReference && !ProcessStore(false))
            return S_OK; // nothing to forget
        ComPtr<GPEnvironmentManager> manager = MakeObject<GPEnvironmentManager>();
        return manager->SetSpatialReference(name, spatialReference);
    });
}

void ReleaseUnusedEnvironmentStore() {
    std::shared_ptr<EnvironmentStore> released;
    {
        std::lock_guard lock(ProcessStoreMutex());
        auto& slot = ProcessStoreSlot();
        if (slot && slot.use_count() == 1)
            released = std::move(slot);
    }
    // The settings are released here, outside the lock: releasing them may reach back into the library.
}

// --- GPEnvironmentManager ---

GPEnvironmentManager::GPEnvironmentManager() : store_(ProcessStore(true)) {}

GPEnvironmentManager::~GPEnvironmentManager() = default;

HRESULT GPEnvironmentManager::GetEnvironment(const OLECHAR* name, IGPEnvironment** setting) {
    return ReadSetting(store_.get(), name, setting, [&](IGPEnvironment* found) -> HRESULT {
        auto copy = CopyOf(found);
        if (!copy)
            return E_FAIL;
        *setting = copy.Detach();
        return S_OK;
    });
}

HRESULT GPEnvironmentManager::GetEnvironmentValue(const OLECHAR* name, IGPValue** value) {
    return ReadSetting(store_.get(), name, value, [&](IGPEnvironment* found) -> HRESULT {
        if (HRESULT hr = found->get_Value(value); FAILED(hr))
            return hr;
        return *value ? S_OK : S_FALSE;
    });
}

HRESULT GPEnvironmentManager::SetEnvironmentValue(const OLECHAR* name, IGPValue* value) {
    return ChangeSetting(store_.get(), name, [&](const SettingKind& kind) -> HRESULT {
        ComPtr<IGPValue> copy;
        if (value) {
            if (FAILED(CloneAs(value, copy)))
                return E_INVALIDARG;
            ComPtr<IGPMessage> verdict;
            if (kind.dataType && (FAILED(kind.dataType->ValidateValue(copy.Get(), kind.domain.Get(), verdict.Out())) ||
                                  MessageIsError(verdict.Get())))
                return E_INVALIDARG;
        }
        return StoreValue(*store_, name, copy.Get());
    });
}

HRESULT GPEnvironmentManager::GetEnvironmentText(const OLECHAR* name, BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> value;
        HRESULT hr = GetEnvironmentValue(name, value.Out());
        if (FAILED(hr))
            return hr;
        if (!value)
            return HandOut(u"", text);
        return value->GetAsText(text);
    });
}

HRESULT GPEnvironmentManager::SetEnvironmentText(const OLECHAR* name, const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return ChangeSetting(store_.get(), name, [&](const SettingKind& kind) -> HRESULT {
        if (!text || !*text) {
            if (HRESULT hr = StoreValue(*store_, name, nullptr); FAILED(hr))
                return hr;
            return MakeEmptyMessage(message);
        }
        if (!kind.dataType)
            return E_FAIL; // a setting with neither a data type nor a value cannot read text
        ComPtr<IGPValue> value;
        ComPtr<IGPMessage> parsed;
        if (HRESULT hr = ValueFromText(kind.dataType.Get(), text, value.Out(), parsed.Out()); FAILED(hr))
            return hr;
        if (!value || MessageIsError(parsed.Get())) {
            *message = parsed.Detach();
            return S_OK;
        }
        ComPtr<IGPMessage> verdict;
        if (HRESULT hr = kind.dataType->ValidateValue(value.Get(), kind.domain.Get(), verdict.Out()); FAILED(hr))
            return hr;
        if (MessageIsError(verdict.Get())) {
            *message = verdict.Detach();
            return S_OK;
        }
        if (HRESULT hr = StoreValue(*store_, name, value.Get()); FAILED(hr))
            return hr;
        *message = parsed ? parsed.Detach() : verdict.Detach(); // a warning of the text, if any
        return *message ? S_OK : MakeEmptyMessage(message);
    });
}

HRESULT GPEnvironmentManager::ResetEnvironment(const OLECHAR* name) {
    return guard([&]() -> HRESULT {
        if (!store_)
            return E_FAIL;
        return StoreValue(*store_, name, nullptr);
    });
}

HRESULT GPEnvironmentManager::ResetEnvironments() {
    return guard([&]() -> HRESULT {
        if (!store_)
            return E_FAIL;
        std::lock_guard lock(store_->Mutex());
        for (auto& stored : store_->Settings()) {
            stored.setting->putref_Value(nullptr);
            if (auto altered = stored.setting.As<IGPEnvironmentImpl2>())
                altered->put_Altered(VARIANT_FALSE);
        }
        return S_OK;
    });
}

HRESULT GPEnvironmentManager::AddEnvironment(IGPEnvironment* setting) {
    if (!setting)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (!store_)
            return E_FAIL;
        BStr name;
        if (FAILED(setting->get_Name(name.Out())) || name.view().empty())
            return E_INVALIDARG;
        auto copy = CopyOf(setting);
        if (!copy)
            return E_FAIL;
        std::lock_guard lock(store_->Mutex());
        auto& settings = store_->Settings();
        EnvironmentStore::Stored added{String(name.view()), std::move(copy)};
        if (auto at = store_->Find(name.c_str()))
            settings[*at] = std::move(added);
        else
            settings.push_back(std::move(added));
        return S_OK;
    });
}

HRESULT GPEnvironmentManager::RemoveEnvironment(const OLECHAR* name) {
    return guard([&]() -> HRESULT {
        if (!store_)
            return E_FAIL;
        ComPtr<IGPEnvironment> removed; // released after the lock
        std::lock_guard lock(store_->Mutex());
        auto at = store_->Find(name);
        if (!at)
            return E_INVALIDARG;
        auto& settings = store_->Settings();
        removed = std::move(settings[*at].setting);
        settings.erase(settings.begin() + static_cast<std::ptrdiff_t>(*at));
        return S_OK;
    });
}

HRESULT GPEnvironmentManager::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    if (!store_)
        return E_FAIL;
    std::lock_guard lock(store_->Mutex());
    *count = static_cast<int32_t>(store_->Settings().size());
    return S_OK;
}

HRESULT GPEnvironmentManager::GetEnvironmentNames(IEnumBSTR** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!store_)
            return E_FAIL;
        ComPtr<EnumBSTR> list = MakeObject<EnumBSTR>();
        std::lock_guard lock(store_->Mutex());
        for (auto& stored : store_->Settings())
            list->Add(stored.name);
        *names = list.Detach();
        return S_OK;
    });
}

HRESULT GPEnvironmentManager::GetSpatialReference(const OLECHAR* name, ISpatialReference** spatialReference) {
    return ReadSetting(store_.get(), name, spatialReference,
                       [&](IGPEnvironment* found) { return StoredSpatialReference(found, spatialReference); });
}

HRESULT GPEnvironmentManager::SetSpatialReference(const OLECHAR* name, ISpatialReference* spatialReference) {
    return ChangeSetting(store_.get(), name, [&](const SettingKind& kind) -> HRESULT {
        ComPtr<IGPValue> value;
        if (spatialReference)
            if (HRESULT hr = ValueHolding(kind.dataType.Get(), spatialReference, value.Out()); FAILED(hr))
                return hr;
        return StoreValue(*store_, name, value.Get());
    });
}

HRESULT GPEnvironmentManager::get_Environments(IEnumGPEnvironment** settings) {
    if (HRESULT hr = ClearOut(settings); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!store_)
            return E_FAIL;
        auto list = CreateByClass<IArray>(CLSID_EnumGPEnvironment);
        if (!list)
            return E_FAIL;
        std::lock_guard lock(store_->Mutex());
        for (auto& stored : store_->Settings()) {
            auto copy = CopyOf(stored.setting.Get());
            if (!copy)
                return E_FAIL;
            if (HRESULT hr = list->Add(copy.Get()); FAILED(hr))
                return hr;
        }
        return list->QueryInterface(IEnumGPEnvironment::iid, reinterpret_cast<void**>(settings));
    });
}

// --- GPEnvironmentHost ---

HRESULT GPEnvironmentHost::get_EnvironmentManager(IGPEnvironmentManager** manager) {
    if (HRESULT hr = ClearOut(manager); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<GPEnvironmentManager> made = MakeObject<GPEnvironmentManager>();
        *manager = made.Detach();
        return S_OK;
    });
}

} // namespace tavi
