// The object base's shared part: the module object count, the base rules of interface lookup, and the IClassID
// tear-off.
#include "platform/Object.h"

#include "platform/Registry.h"

namespace tavi {

namespace {

std::atomic<int32_t> moduleLockCount{0};

// A tear-off made on every query for IClassID. It holds a reference on its owner and counts its own references.
// Its queries go to the owner's controlling unknown, so that an aggregated object's tear-off answers IUnknown (and
// every other interface) as the outer object does: one identity however it is reached.
class ClassIDImpl final : public IClassID {
public:
    explicit ClassIDImpl(Unknown* owner) : owner_(owner) { owner_->ControllingUnknown()->AddRef(); }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return owner_->ControllingUnknown()->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) {
            owner_->ControllingUnknown()->Release();
            delete this;
        }
        return left;
    }
    HRESULT get_ClassID(CLSID* clsid) override { return owner_->GetClassID(clsid); }
    HRESULT get_ProgID(BSTR* progId) override {
        if (!progId)
            return E_POINTER;
        *progId = nullptr;
        CLSID clsid = GUID_NULL;
        if (FAILED(owner_->GetClassID(&clsid)))
            return E_FAIL;
        OLECHAR* found = nullptr;
        HRESULT hr = ProgIDFromCLSID(clsid, &found);
        if (FAILED(hr))
            return hr;
        *progId = SysAllocString(found);
        CoTaskMemFree(found);
        return *progId ? S_OK : E_OUTOFMEMORY;
    }

private:
    Unknown* owner_;
    std::atomic<ULONG> refs_{1};
};

} // namespace

int32_t ModuleObjectCount() {
    return moduleLockCount.load();
}
void ModuleLock() {
    ++moduleLockCount;
}
void ModuleUnlock() {
    --moduleLockCount;
}

HRESULT Unknown::GetClassID(CLSID* clsid) {
    return clsid ? S_OK : E_POINTER;
}

HRESULT Unknown::InternalQueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (QueryOwnInterface(riid, ppv) == S_OK)
        return S_OK;
    if (riid == IUnknown::iid) {
        *ppv = static_cast<IUnknown*>(&inner_);
        InternalAddRef();
        return S_OK;
    }
    if (riid == IClassID::iid) {
        try {
            *ppv = static_cast<IClassID*>(new ClassIDImpl(this));
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    // ISupportErrorInfo and everything else: no class of the library supplies error information per interface.
    return E_NOINTERFACE;
}

ULONG Unknown::InternalRelease() {
    ULONG left = --refs_;
    if (left == 0) {
        FinalRelease();
        delete this;
    }
    return left;
}

} // namespace tavi
