// The two factory kinds of the class table: ClassFactory makes a new object on every request; SingletonClassFactory
// keeps one object per calling thread and hands that one out again. Factories do not count in the module object
// count; LockServer does. A factory either counts its references and deletes itself on the last Release, or lives
// as long as the class registry that made it and ignores AddRef and Release (the registry's factories: every object
// creation through the entry points queries one and releases it, and counting would add two atomic operations to
// each creation).
#pragma once

#include "frame/ClassTable.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace tavi {

enum class FactoryLifetime {
    Counted,  // one reference held by the creator; the last Release deletes the factory
    Registry, // AddRef and Release change nothing; the registry that made it destroys it with DestroyFactory
};

class ClassFactory : public IClassFactory {
public:
    // A factory for objects made by `construct`.
    explicit ClassFactory(Constructor construct, FactoryLifetime lifetime = FactoryLifetime::Counted)
        : construct_(construct), counted_(lifetime == FactoryLifetime::Counted) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    // IUnknown and IClassFactory answer with the factory itself; anything else is E_NOINTERFACE.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    // A registry's factory answers 2 and 1, as if its registry and the caller held it.
    ULONG AddRef() override { return counted_ ? ++refs_ : 2; }
    ULONG Release() override;

    // Without an outer object: a new object queried for riid; it is destroyed at once when the query fails.
    // With one: riid must be IUnknown (else CLASS_E_NOAGGREGATION) and the inner unknown is handed out.
    // E_OUTOFMEMORY when allocation fails, E_FAIL for any other exception from the constructor.
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    // Nonzero locks the module (DllCanUnloadNow answers S_FALSE), zero unlocks it.
    HRESULT LockServer(int32_t lock) override;

protected:
    virtual ~ClassFactory() = default;
    // Runs the constructor, mapping its exceptions to result codes. S_OK with the new object (one reference).
    HRESULT Construct(Unknown** object) const;

private:
    friend void DestroyFactory(IClassFactory* factory);

    Constructor construct_;
    const bool counted_;
    std::atomic<ULONG> refs_{1};
};

class SingletonClassFactory final : public ClassFactory {
public:
    explicit SingletonClassFactory(Constructor construct, FactoryLifetime lifetime = FactoryLifetime::Counted)
        : ClassFactory(construct, lifetime), singleton_(this) {}

    // Also answers ISingleton.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    // The calling thread's object, made on the first request of that thread. Aggregation is refused
    // (CLASS_E_NOAGGREGATION). A failed query on a new object leaves no object behind.
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;

    // Releases the calling thread's object when only this factory holds it. Always S_OK.
    HRESULT ReleaseSingleton();

    // How many threads hold an object now, for tests.
    size_t InstanceCount();

private:
    // The ISingleton sub-object; its IUnknown part is the factory's.
    struct Singleton final : ISingleton {
        explicit Singleton(SingletonClassFactory* owner) : owner_(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override { return owner_->QueryInterface(riid, ppv); }
        ULONG AddRef() override { return owner_->AddRef(); }
        ULONG Release() override { return owner_->Release(); }
        HRESULT ReleaseSingleton() override { return owner_->ReleaseSingleton(); }
        SingletonClassFactory* owner_;
    };

    // One thread's object: the map holds one reference, and `heldCount` is the object's count as it stood right
    // after construction, so a count equal to it means nobody else holds the object.
    struct Instance {
        Unknown* object;
        ULONG heldCount;
    };

    // Releases every object the map still holds: the map's references die with it.
    ~SingletonClassFactory() override;

    Singleton singleton_;
    std::mutex lock_; // held while an object is looked up, made and queried
    std::unordered_map<std::thread::id, Instance> instances_;
};

// Makes the factory for a row, living as long as the registry that asks for it: null for a row that is not
// provided.
IClassFactory* MakeFactory(const ClassEntry& entry);
// Destroys a factory made by MakeFactory, whatever still holds it. Null is ignored.
void DestroyFactory(IClassFactory* factory);

} // namespace tavi
