// The object base of every class: identity, table-driven interface lookup, atomic reference counting, aggregation,
// the class name and identifier, and membership in the module object count.
//
// A class lists its interfaces in lookup order and the base builds the lookup table from that list:
//
//   class ConnectionPoint final : public Object<ConnectionPoint, IConnectionPoint> { ... };
//
// A row of the list is one of:
//   I               the class derives from I and the lookup answers I::iid with it;
//   Alias<A, B>     the lookup answers A::iid with the class's B (IPersist answered by IPersistStream; an interface
//                   that is B under another identifier, deriving from B and adding nothing, answered by B);
//   Hidden<I>       the class derives from I but the lookup does not answer it;
//   Rows<...>       a group of rows, flattened in place (a base's standard set of interfaces).
// After the class's own rows the base answers IUnknown (the inner unknown), refuses ISupportErrorInfo, and hands
// out a new IClassID tear-off on every query for it.
#pragma once

#include "platform/ComPtr.h"

#include <atomic>
#include <cstring>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace tavi {

// The module object count: live objects plus server locks. DllCanUnloadNow answers from it.
int32_t ModuleObjectCount();
void ModuleLock();
void ModuleUnlock();

// True when the two identifiers are equal in all 16 bytes. Compares two 64-bit words instead of the fields one by
// one: every interface query and class lookup compares identifiers, most of them equal ones.
inline bool SameGuid(const GUID& a, const GUID& b) {
    uint64_t x[2];
    uint64_t y[2];
    std::memcpy(x, &a, sizeof x);
    std::memcpy(y, &b, sizeof y);
    return ((x[0] ^ y[0]) | (x[1] ^ y[1])) == 0;
}

template <class A, class B> struct Alias {};
template <class I> struct Hidden {};
template <class... R> struct Rows {};

// One row of a class's interface list as the lookup sees it: the identifier, and whether a query for it is answered
// (a Hidden row is implemented but not answered). Tests walk these to check every class's lookup and identity.
struct InterfaceRow {
    IID iid;
    bool answered;
};

// The non-delegating unknown of an object: its IUnknown when it stands alone, the private inner unknown when an
// outer object aggregates it.
struct ITAVIInternalUnknown : IUnknown {};

class Unknown {
public:
    Unknown(const Unknown&) = delete;
    Unknown& operator=(const Unknown&) = delete;

    // Every object's memory: blocks of up to 256 bytes come from a small cache of the calling thread (ObjectMemory),
    // so that making and releasing objects, which most operations do, seldom reaches the general allocator.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;

    // The class name each class answers ("GPString"); the base answers "Unknown".
    virtual const char16_t* GetClassName() const { return u"Unknown"; }
    // Copies the class identifier; the base writes nothing. E_POINTER for a null pointer.
    virtual HRESULT GetClassID(CLSID* clsid);
    // Called by Release just before the object is destroyed.
    virtual void FinalRelease() {}

    // The non-delegating operations.
    HRESULT InternalQueryInterface(REFIID riid, void** ppv);
    // InternalQueryInterface on an object that its creator has just made and holds the one construction reference
    // of, handing that reference over as the one the query returns, then forgetting it: so creating an object
    // costs one change of its count, not three. On failure the object is destroyed. The object must not be
    // reachable from another thread yet, as no constructor here makes it.
    HRESULT QueryNewObject(REFIID riid, void** ppv);
    ULONG InternalAddRef() { return ++refs_; }
    ULONG InternalRelease() {
        // The only reference is the caller's: no other thread can hold, take or drop one, so the object goes without
        // a locked instruction. The acquire pairs with the release of the decrements that other threads made.
        if (refs_.load(std::memory_order_acquire) == 1) {
            refs_.store(0, std::memory_order_relaxed);
            Destroy();
            return 0;
        }
        ULONG left = --refs_;
        if (left == 0)
            Destroy();
        return left;
    }

    // The unknown that the object's interfaces delegate to: the outer object when aggregated.
    IUnknown* ControllingUnknown() { return outer_ ? outer_ : &inner_; }
    IUnknown* InnerUnknown() { return &inner_; }
    // Makes `outer` the controlling unknown. Only the factory calls this, right after construction.
    void SetOuter(IUnknown* outer) { outer_ = outer; }
    bool IsAggregated() const { return outer_ != nullptr; }
    ULONG RefCount() const { return refs_.load(); }

protected:
    Unknown() : inner_(this) { ModuleLock(); }
    virtual ~Unknown() { ModuleUnlock(); }

    // The class's own part of the lookup, in declared order. S_OK with an AddRef'ed pointer, or E_NOINTERFACE.
    virtual HRESULT QueryOwnInterface(REFIID riid, void** ppv) = 0;

    // The operations of the controlling unknown, called directly: the same as calling them through
    // ControllingUnknown(), without the two virtual calls of the way through the inner unknown.
    HRESULT ControllingQueryInterface(REFIID riid, void** ppv) {
        return outer_ ? outer_->QueryInterface(riid, ppv) : InternalQueryInterface(riid, ppv);
    }
    ULONG ControllingAddRef() { return outer_ ? outer_->AddRef() : InternalAddRef(); }
    ULONG ControllingRelease() { return outer_ ? outer_->Release() : InternalRelease(); }
    // The reference a successful query hands out: the construction reference while QueryNewObject runs, else a new
    // one on the controlling unknown (what the interface's own AddRef does).
    void AddRefForQuery() {
        if (handOver_)
            handOver_ = false;
        else
            ControllingAddRef();
    }

private:
    // FinalRelease, then delete; out of line, so that every Release stays small.
    void Destroy();

    struct Inner final : ITAVIInternalUnknown {
        explicit Inner(Unknown* owner) : owner_(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override { return owner_->InternalQueryInterface(riid, ppv); }
        ULONG AddRef() override { return owner_->InternalAddRef(); }
        ULONG Release() override { return owner_->InternalRelease(); }
        Unknown* owner_;
    };

    Inner inner_;
    IUnknown* outer_ = nullptr;
    std::atomic<ULONG> refs_{1};
    bool handOver_ = false; // set while QueryNewObject runs and the construction reference is not yet handed out
};

namespace detail {

template <class... T> struct TypeList {};

template <class... Lists> struct Concat;
template <> struct Concat<> { using type = TypeList<>; };
template <class... A> struct Concat<TypeList<A...>> { using type = TypeList<A...>; };
template <class... A, class... B, class... Rest> struct Concat<TypeList<A...>, TypeList<B...>, Rest...> {
    using type = typename Concat<TypeList<A..., B...>, Rest...>::type;
};

template <class R> struct FlattenOne { using type = TypeList<R>; };
template <class... R> struct FlattenOne<Rows<R...>> {
    using type = typename Concat<typename FlattenOne<R>::type...>::type;
};
template <class... R> using Flatten = typename Concat<typename FlattenOne<R>::type...>::type;

// What a row makes the class derive from: the interface itself, or an empty tag for alias rows.
template <class R> struct BaseOf { using type = R; };
template <class A, class B> struct AliasTag {};
template <class A, class B> struct BaseOf<Alias<A, B>> { using type = AliasTag<A, B>; };
template <class I> struct BaseOf<Hidden<I>> { using type = I; };

// How a row answers a query on `self`: true with *ppv set when it matches.
template <class R> struct Answer {
    template <class D> static bool Try(D* self, REFIID riid, void** ppv) {
        if (!SameGuid(riid, R::iid))
            return false;
        *ppv = static_cast<R*>(self);
        return true;
    }
};
template <class A, class B> struct Answer<Alias<A, B>> {
    template <class D> static bool Try(D* self, REFIID riid, void** ppv) {
        if (!SameGuid(riid, A::iid))
            return false;
        if constexpr (std::is_base_of_v<B, A> && !std::is_same_v<A, B>) {
            // A is B under another identifier (same operations, no members of its own): the class is no A, so the
            // answer is its B, which has the layout of an A, rather than a downcast to a type the object is not.
            static_assert(sizeof(A) == sizeof(B), "an identifier alias adds no members");
            *ppv = static_cast<B*>(self);
        } else {
            *ppv = static_cast<A*>(static_cast<B*>(self));
        }
        return true;
    }
};
template <class I> struct Answer<Hidden<I>> {
    template <class D> static bool Try(D*, REFIID, void**) { return false; }
};

// The row a lookup entry describes.
template <class R> struct RowOf { static constexpr InterfaceRow kRow{R::iid, true}; };
template <class A, class B> struct RowOf<Alias<A, B>> { static constexpr InterfaceRow kRow{A::iid, true}; };
template <class I> struct RowOf<Hidden<I>> { static constexpr InterfaceRow kRow{I::iid, false}; };

template <class D> constexpr bool kHasClassId = requires {
    D::kClassId;
};
template <class D> constexpr bool kHasClassName = requires {
    D::kClassName;
};

template <class Derived, class List> class ObjectImpl;

template <class Derived, class... R>
class ObjectImpl<Derived, TypeList<R...>> : public Unknown, public BaseOf<R>::type... {
public:
    // Every interface's IUnknown part delegates to the controlling unknown.
    HRESULT QueryInterface(REFIID riid, void** ppv) override { return ControllingQueryInterface(riid, ppv); }
    ULONG AddRef() override { return ControllingAddRef(); }
    ULONG Release() override { return ControllingRelease(); }

    const char16_t* GetClassName() const override {
        if constexpr (kHasClassName<Derived>)
            return Derived::kClassName;
        else
            return Unknown::GetClassName();
    }
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        if constexpr (kHasClassId<Derived>)
            *clsid = Derived::kClassId;
        return S_OK;
    }

    // The class's own rows in lookup order (the base's IUnknown and IClassID answers come after them).
    static std::span<const InterfaceRow> InterfaceRows() { return kInterfaceRows; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override {
        auto* self = static_cast<Derived*>(this);
        if ((Answer<R>::Try(self, riid, ppv) || ...)) {
            AddRefForQuery();
            return S_OK;
        }
        return E_NOINTERFACE;
    }

private:
    static constexpr InterfaceRow kInterfaceRows[] = {RowOf<R>::kRow...};
};

} // namespace detail

// The base of every class: Object<Derived, rows in lookup order...>. Derived may declare `static constexpr CLSID
// kClassId` and `static constexpr const char16_t* kClassName`.
template <class Derived, class... R> using Object = detail::ObjectImpl<Derived, detail::Flatten<R...>>;

// Creates an object of T standing alone, holding the one construction reference.
template <class T, class... Args> ComPtr<T> MakeObject(Args&&... args) {
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Creates T and queries it for riid, destroying it at once when the query fails. With an outer object, riid must be
// IUnknown and the inner unknown is handed out. Maps allocation failure to E_OUTOFMEMORY and any other exception
// from the constructor to E_FAIL.
template <class T> HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && !SameGuid(riid, IUnknown::iid))
        return CLASS_E_NOAGGREGATION;
    try {
        T* object = new T();
        if (outer) {
            object->SetOuter(outer);
            *ppv = object->InnerUnknown();
            return S_OK;
        }
        return object->QueryNewObject(riid, ppv);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Runs the body of an interface operation: no exception crosses the interface. std::bad_alloc becomes
// E_OUTOFMEMORY and anything else E_FAIL. A body that returns nothing succeeds with S_OK.
template <class F> HRESULT guard(F&& body) noexcept {
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
            body();
            return S_OK;
        } else {
            return body();
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Out-argument discipline: checks for null and clears the out first.
template <class T> HRESULT ClearOut(T** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return S_OK;
}

} // namespace tavi
