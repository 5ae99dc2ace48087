// The object base's shared part: the module object count, the base rules of interface lookup, and the IClassID
// tear-off.
#include "platform/Object.h"

#include "platform/Registry.h"

#include <mutex>
#include <utility>
#include <vector>

namespace tavi {

namespace {

// The module object count, kept per thread. Every object changes it twice, and a shared atomic counter would cost
// two locked instructions per object; instead each thread counts what it adds and what it takes away in counters of
// its own, with plain loads and stores (only that thread writes them), and a reader sums them under a lock. An
// object made on one thread and released on another is added on the first and taken on the second.
//
// Both counters only grow, and a reader sums every "taken" counter before any "added" one: so the sum is never
// below the count as it stood at some moment of the reading, and an object that lives throughout the reading always
// keeps the answer above zero, whatever other threads make and release meanwhile.
struct ThreadCount {
    std::atomic<uint32_t> added{0};
    std::atomic<uint32_t> taken{0};
};

// The counters of the live threads, and what the ended threads left. Never destroyed: threads may end, and objects
// may die, after the library's static objects are gone.
struct CountBook {
    std::mutex lock;
    std::vector<ThreadCount*> live;
    ThreadCount settled; // ended threads' counts, and changes made by a thread after its counters ended
};

CountBook& Book() {
    static CountBook* book = new CountBook;
    return *book;
}

// The calling thread's counters: null until the thread first changes the count, and again once they have ended.
[[gnu::tls_model("initial-exec")]] thread_local ThreadCount* threadCount = nullptr;
[[gnu::tls_model("initial-exec")]] thread_local bool threadCountEnded = false;

// Enters the thread's counters in the book on first use and settles them when the thread ends.
struct ThreadCountEntry {
    ThreadCount count;
    ThreadCountEntry() {
        CountBook& book = Book();
        std::lock_guard hold(book.lock);
        book.live.push_back(&count);
    }
    ~ThreadCountEntry() {
        CountBook& book = Book();
        std::lock_guard hold(book.lock);
        book.settled.added += count.added.load(std::memory_order_relaxed);
        book.settled.taken += count.taken.load(std::memory_order_relaxed);
        std::erase(book.live, &count);
        threadCount = nullptr;
        threadCountEnded = true;
    }
};

// The calling thread's counters, entered in the book on first use; null once they have ended.
ThreadCount* AttachThreadCount() {
    if (threadCountEnded)
        return nullptr;
    thread_local ThreadCountEntry entry;
    threadCount = &entry.count;
    return threadCount;
}

// One more on counter `which` (added or taken) of a thread that has no counters yet, or no longer has them. Out of
// line, so that the common case stays a load and a store.
[[gnu::noinline]] void CountFirstOrLast(std::atomic<uint32_t> ThreadCount::*which) {
    if (ThreadCount* count = AttachThreadCount())
        (count->*which).store((count->*which).load(std::memory_order_relaxed) + 1, std::memory_order_release);
    else
        (Book().settled.*which)++;
}

// One more on the calling thread's counter `which`: only this thread writes it, so no locked instruction is needed.
inline void Count(std::atomic<uint32_t> ThreadCount::*which) {
    ThreadCount* count = threadCount;
    if (!count) [[unlikely]]
        return CountFirstOrLast(which);
    std::atomic<uint32_t>& counter = count->*which;
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

// The object memory cache. Each thread keeps, per 16-byte size class up to 256 bytes, a short list of blocks that
// objects of that size left behind; a new object of the size takes one back. A block goes to the list of the thread
// that frees it, whichever made it, and every block is an ordinary allocation of its class's full size, so it may
// also be handed back to the general allocator at any time: when a list is full, and when the thread ends. Under
// the address and thread sanitizers the cache stands aside, so that they see every allocation and release.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCacheObjectMemory = false;
#else
constexpr bool kCacheObjectMemory = true;
#endif

class ObjectMemory {
public:
    static constexpr size_t kGranule = 16;
    static constexpr size_t kClasses = 16; // up to 256 bytes
    static constexpr int kKept = 32;       // blocks kept per class

    ~ObjectMemory() {
        ended_ = true;
        for (Free*& list : lists_)
            while (list)
                ::operator delete(std::exchange(list, list->next));
    }
    void* Take(size_t sizeClass) {
        Free* block = lists_[sizeClass];
        if (!block)
            return ::operator new((sizeClass + 1) * kGranule);
        lists_[sizeClass] = block->next;
        --counts_[sizeClass];
        return block;
    }
    void Give(void* memory, size_t sizeClass) noexcept {
        if (counts_[sizeClass] >= kKept)
            return ::operator delete(memory);
        auto* block = static_cast<Free*>(memory);
        block->next = lists_[sizeClass];
        lists_[sizeClass] = block;
        ++counts_[sizeClass];
    }
    // True once the thread's cache is gone; Take and Give are then not to be called.
    static bool Ended() { return ended_; }

private:
    struct Free {
        Free* next;
    };
    Free* lists_[kClasses] = {};
    int counts_[kClasses] = {};
    static thread_local bool ended_; // the thread's cache is gone: blocks go straight back to the allocator
};
thread_local bool ObjectMemory::ended_ = false;
thread_local ObjectMemory objectMemory;

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
    CountBook& book = Book();
    std::lock_guard hold(book.lock);
    uint32_t taken = book.settled.taken.load();
    for (const ThreadCount* count : book.live)
        taken += count->taken.load(std::memory_order_acquire);
    uint32_t added = book.settled.added.load();
    for (const ThreadCount* count : book.live)
        added += count->added.load(std::memory_order_acquire);
    return static_cast<int32_t>(added - taken);
}
void ModuleLock() {
    Count(&ThreadCount::added);
}
void ModuleUnlock() {
    Count(&ThreadCount::taken);
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
    if (SameGuid(riid, IUnknown::iid)) {
        *ppv = static_cast<IUnknown*>(&inner_);
        AddRefForQuery();
        return S_OK;
    }
    if (SameGuid(riid, IClassID::iid)) {
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

HRESULT Unknown::QueryNewObject(REFIID riid, void** ppv) {
    handOver_ = true;
    HRESULT hr = InternalQueryInterface(riid, ppv);
    if (handOver_) {
        // Nothing took the construction reference: the query failed, or it answered with a reference of its own
        // (the IClassID tear-off, an override that asks another object).
        handOver_ = false;
        InternalRelease();
    }
    return hr;
}

void* Unknown::operator new(size_t size) {
    const size_t sizeClass = (size - 1) / ObjectMemory::kGranule;
    if (!kCacheObjectMemory || size == 0 || sizeClass >= ObjectMemory::kClasses)
        return ::operator new(size);
    // A block of a class always has the class's full size: any thread's cache may take it in when it is freed.
    if (ObjectMemory::Ended())
        return ::operator new((sizeClass + 1) * ObjectMemory::kGranule);
    return objectMemory.Take(sizeClass);
}

void Unknown::operator delete(void* block, size_t size) noexcept {
    const size_t sizeClass = (size - 1) / ObjectMemory::kGranule;
    if (!kCacheObjectMemory || size == 0 || sizeClass >= ObjectMemory::kClasses || ObjectMemory::Ended())
        return ::operator delete(block);
    objectMemory.Give(block, sizeClass);
}

void Unknown::Destroy() {
    FinalRelease();
    delete this;
}

} // namespace tavi
