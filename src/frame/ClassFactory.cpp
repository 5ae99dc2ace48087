// The plain and the per-thread singleton class factories.
#include "frame/ClassFactory.h"

#include <new>
#include <vector>

namespace tavi {

HRESULT ClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (SameGuid(riid, IClassFactory::iid) || SameGuid(riid, IUnknown::iid)) {
        *ppv = static_cast<IClassFactory*>(this);
        if (counted_)
            ++refs_; // AddRef, without the virtual call
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::Release() {
    if (!counted_)
        return 1;
    ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ClassFactory::Construct(Unknown** object) const {
    *object = nullptr;
    try {
        *object = construct_();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && !SameGuid(riid, IUnknown::iid))
        return CLASS_E_NOAGGREGATION;
    Unknown* object = nullptr;
    if (HRESULT hr = Construct(&object); FAILED(hr))
        return hr;
    if (outer) {
        // The construction reference becomes the outer object's reference on the inner unknown.
        object->SetOuter(outer);
        *ppv = object->InnerUnknown();
        return S_OK;
    }
    return object->QueryNewObject(riid, ppv); // destroys the object when the query fails
}

HRESULT ClassFactory::LockServer(int32_t lock) {
    if (lock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}

HRESULT SingletonClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv && SameGuid(riid, ISingleton::iid)) {
        *ppv = static_cast<ISingleton*>(&singleton_);
        AddRef();
        return S_OK;
    }
    return ClassFactory::QueryInterface(riid, ppv);
}

HRESULT SingletonClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    std::lock_guard hold(lock_);
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    const auto thread = std::this_thread::get_id();
    if (auto found = instances_.find(thread); found != instances_.end())
        return found->second.object->InternalQueryInterface(riid, ppv);
    Unknown* object = nullptr;
    if (HRESULT hr = Construct(&object); FAILED(hr))
        return hr;
    const ULONG heldCount = object->RefCount();
    HRESULT hr = object->InternalQueryInterface(riid, ppv);
    if (FAILED(hr)) {
        object->InternalRelease();
        return hr;
    }
    try {
        instances_.emplace(thread, Instance{object, heldCount});
    } catch (const std::bad_alloc&) {
        // Without a map entry the object would be lost to the next request: hand out nothing.
        static_cast<IUnknown*>(*ppv)->Release();
        *ppv = nullptr;
        object->InternalRelease();
        return E_OUTOFMEMORY;
    }
    return hr;
}

HRESULT SingletonClassFactory::ReleaseSingleton() {
    Unknown* unreferenced = nullptr;
    {
        std::lock_guard hold(lock_);
        auto found = instances_.find(std::this_thread::get_id());
        if (found == instances_.end())
            return S_OK;
        if (found->second.object->RefCount() != found->second.heldCount)
            return S_OK;
        unreferenced = found->second.object;
        instances_.erase(found);
    }
    // Outside the lock: the object's destructor may create objects through this factory's module again.
    unreferenced->InternalRelease();
    return S_OK;
}

size_t SingletonClassFactory::InstanceCount() {
    std::lock_guard hold(lock_);
    return instances_.size();
}

SingletonClassFactory::~SingletonClassFactory() {
    std::vector<Unknown*> held;
    {
        std::lock_guard hold(lock_);
        for (auto& [thread, instance] : instances_)
            held.push_back(instance.object);
        instances_.clear();
    }
    for (Unknown* object : held)
        object->InternalRelease();
}

IClassFactory* MakeFactory(const ClassEntry& entry) {
    if (!entry.Provided())
        return nullptr;
    if (entry.factory == FactoryKind::Singleton)
        return new SingletonClassFactory(entry.construct, FactoryLifetime::Registry);
    return new ClassFactory(entry.construct, FactoryLifetime::Registry);
}

void DestroyFactory(IClassFactory* factory) {
    delete static_cast<ClassFactory*>(factory);
}

} // namespace tavi
