// The repository thread pool. One mutex guards every queue and counter of the pool (a handful of threads, short
// critical sections). A thread that waits for work it handed out keeps running what is queued for itself, so two
// repository threads handing work to each other never deadlock, and work handed to the calling thread runs at once.
#include "host/RepositorySync.h"

#include "host/String.h"
#include "platform/Object.h"
#include "platform/Registry.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavi {

namespace {

constexpr char16_t kSettingsKey[] = u"Software\\TAVI\\Torvik\\Settings";

// The repository of one thread. A pool thread's repository belongs to the pool, which lives as long as the library,
// so it does not keep the library loaded: it takes itself out of the module object count for its lifetime. The
// application's repository (index -1) counts like any object.
class CIMRepository final : public Object<CIMRepository, ICIMRepository> {
public:
    static constexpr const char16_t* kClassName = u"CIMRepository";

    explicit CIMRepository(int32_t index) : index_(index) {
        if (InPool())
            ModuleUnlock();
    }
    ~CIMRepository() override {
        if (InPool())
            ModuleLock();
    }

    HRESULT get_Index(int32_t* index) override {
        if (!index)
            return E_POINTER;
        *index = index_;
        return S_OK;
    }
    HRESULT get_Count(int32_t* count) override {
        if (!count)
            return E_POINTER;
        *count = static_cast<int32_t>(objects_.size());
        return S_OK;
    }
    HRESULT Add(const OLECHAR* key, IUnknown* object) override {
        if (!key || !object)
            return E_POINTER;
        return guard([&] { objects_[String(key)] = ComPtr<IUnknown>(object); });
    }
    HRESULT Remove(const OLECHAR* key) override {
        if (!key)
            return E_POINTER;
        return guard([&] { return objects_.erase(String(key)) ? S_OK : S_FALSE; });
    }
    HRESULT FindByKey(const OLECHAR* key, IUnknown** object) override {
        if (HRESULT hr = ClearOut(object); FAILED(hr) || !key)
            return FAILED(hr) ? hr : E_POINTER;
        return guard([&] {
            auto found = objects_.find(std::u16string_view(key));
            if (found == objects_.end())
                return S_FALSE;
            return found->second.CopyTo(object);
        });
    }

    // Lets every kept object go; the owning thread calls this as it ends.
    void Clear() { objects_.clear(); }

private:
    bool InPool() const { return index_ >= 0; }

    int32_t index_;
    std::map<String, ComPtr<IUnknown>, std::less<>> objects_;
};

HRESULT RunWork(const RepositoryWork& work) noexcept {
    try {
        return work ? work() : E_POINTER;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

struct Worker;

// What a waiting caller watches: how many of its shares are still to run and the first failure among them.
struct Completion {
    int32_t pending = 0;
    HRESULT result = S_OK;
    bool keepSuccessCode = false; // one share: its own result, success codes included
    Worker* waiter = nullptr;     // a repository thread waits on its own wake-up
    std::condition_variable done; // any other thread waits here
};

struct Task {
    RepositoryWork work;
    Completion* completion; // null when nobody waits
};

struct Worker {
    int32_t index = 0;
    std::deque<Task> queue;
    std::condition_variable wake; // new work, stop, or progress of something this thread waits for
    int32_t depth = 0;            // tasks running on this thread's stack (nested while it waits)
    ComPtr<CIMRepository> repository;
    std::thread thread;
};

// The calling thread's worker; a plain pointer, so a thread ending needs no destructor from the library.
thread_local Worker* tCurrent = nullptr;

class Pool {
public:
    // The threads and their repositories; the threads start on first use.
    explicit Pool(int32_t size) : workers_(size) {
        for (int32_t i = 0; i < size; ++i) {
            workers_[i].index = i;
            workers_[i].repository = MakeObject<CIMRepository>(i);
        }
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool() { Stop(); }

    int32_t Size() const { return static_cast<int32_t>(workers_.size()); }
    Worker& At(int32_t index) { return workers_[index]; }
    bool Owns(const Worker* worker) const {
        return worker && worker >= workers_.data() && worker < workers_.data() + workers_.size();
    }
    bool Running() {
        std::lock_guard lock(mutex_);
        return running_;
    }

    // Starts the threads unless they run.
    void Start() {
        std::lock_guard lifecycle(lifecycle_);
        std::lock_guard lock(mutex_);
        if (running_)
            return;
        for (Worker& worker : workers_)
            worker.thread = std::thread([this, &worker] { Loop(worker); });
        running_ = true;
    }

    // Lets every thread finish what it was handed, then joins them; a later use starts them again. Refused (false)
    // on a repository thread, which cannot join itself.
    bool Stop() {
        if (Owns(tCurrent))
            return false;
        std::lock_guard lifecycle(lifecycle_);
        {
            std::lock_guard lock(mutex_);
            if (!running_)
                return true;
            stopping_ = true;
            for (Worker& worker : workers_)
                worker.wake.notify_all();
        }
        for (Worker& worker : workers_)
            worker.thread.join();
        std::lock_guard lock(mutex_);
        running_ = false;
        stopping_ = false;
        return true;
    }

    // Hands `work` to the threads whose indices are listed and, when `wait`, returns once all have run it: with one
    // thread its result, with several their first failure or S_OK. Work handed in from outside the pool while it
    // stops waits for the stop to end and starts the threads again; a repository thread finishing its queue for a
    // stop gets E_UNEXPECTED (the stop waits for it, so it cannot wait for the stop).
    HRESULT Execute(const RepositoryWork& work, const std::vector<int32_t>& targets, bool wait) {
        Worker* self = Owns(tCurrent) ? tCurrent : nullptr;
        Completion completion;
        completion.waiter = self;
        completion.keepSuccessCode = targets.size() == 1;
        std::unique_lock lock(mutex_);
        while (!running_ || stopping_) {
            if (self)
                return E_UNEXPECTED;
            lock.unlock();
            Start(); // waits for a stop under way to end first
            lock.lock();
        }
        for (int32_t index : targets) {
            workers_[index].queue.push_back(Task{work, wait ? &completion : nullptr});
            ++busy_;
            ++completion.pending;
            workers_[index].wake.notify_all();
        }
        if (!wait)
            return S_OK;
        WaitUntil(
            lock, self, [&] { return completion.pending == 0; }, completion.done);
        return completion.result;
    }

    // Waits until no work is queued or running anywhere but on the calling thread's own stack.
    void WaitForIdle() {
        Worker* self = Owns(tCurrent) ? tCurrent : nullptr;
        std::unique_lock lock(mutex_);
        ++idleWaiters_;
        WaitUntil(
            lock, self, [&] { return busy_ == (self ? self->depth : 0); }, idle_);
        --idleWaiters_;
    }

private:
    void Loop(Worker& worker) {
        tCurrent = &worker;
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!worker.queue.empty())
                RunOne(lock, worker);
            else if (stopping_)
                break;
            else
                worker.wake.wait(lock);
        }
        lock.unlock();
        worker.repository->Clear(); // the kept objects go on the thread they belong to
        tCurrent = nullptr;
    }

    // Waits for `ready`, running the calling repository thread's own queue meanwhile. `outside` is the condition a
    // thread outside the pool waits on.
    template <class Ready>
    void WaitUntil(std::unique_lock<std::mutex>& lock, Worker* self, Ready ready, std::condition_variable& outside) {
        while (!ready()) {
            if (self && !self->queue.empty())
                RunOne(lock, *self);
            else
                (self ? self->wake : outside).wait(lock);
        }
    }

    // Runs the first task of `worker`'s queue with the lock released, then reports it done.
    void RunOne(std::unique_lock<std::mutex>& lock, Worker& worker) {
        Task task = std::move(worker.queue.front());
        worker.queue.pop_front();
        ++worker.depth;
        lock.unlock();
        HRESULT hr = RunWork(task.work);
        task.work = nullptr; // what the work owns goes on this thread, before the caller is told
        lock.lock();
        --worker.depth;
        --busy_;
        if (Completion* completion = task.completion) {
            if (completion->keepSuccessCode ? SUCCEEDED(completion->result)
                                            : FAILED(hr) && SUCCEEDED(completion->result))
                completion->result = hr;
            if (--completion->pending == 0)
                (completion->waiter ? completion->waiter->wake : completion->done).notify_all();
        }
        if (idleWaiters_ > 0) {
            idle_.notify_all();
            for (Worker& other : workers_)
                other.wake.notify_all();
        }
    }

    std::mutex lifecycle_; // held while the threads start or stop
    std::mutex mutex_;     // guards everything below and every worker's queue and depth
    std::vector<Worker> workers_;
    std::condition_variable idle_;
    int64_t busy_ = 0; // tasks queued or running
    int32_t idleWaiters_ = 0;
    bool running_ = false;
    bool stopping_ = false;
};

// Owns the pool for the library and stops it from its destructor, which runs when the library unloads (or the
// process exits): the threads are joined there, never by one of themselves. A call after that finds no pool.
class PoolOwner {
public:
    constexpr PoolOwner() = default;
    PoolOwner(const PoolOwner&) = delete;
    PoolOwner& operator=(const PoolOwner&) = delete;
    ~PoolOwner() {
        Pool* pool = nullptr;
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
            pool = pool_.exchange(nullptr);
        }
        delete pool;
    }

    // The pool, made now if need be; null once the library is unloading.
    Pool* Get() {
        if (Pool* pool = pool_.load(std::memory_order_acquire))
            return pool;
        std::lock_guard lock(mutex_);
        if (stopped_)
            return nullptr;
        if (!pool_.load())
            pool_.store(new Pool(RepositorySync::GetCIMPoolSize()), std::memory_order_release);
        return pool_.load();
    }
    // The pool when it was made; never makes it.
    Pool* Existing() { return pool_.load(std::memory_order_acquire); }

private:
    std::mutex mutex_;
    std::atomic<Pool*> pool_{nullptr};
    bool stopped_ = false;
};

constinit PoolOwner gPool;

std::vector<int32_t> AllIndicesBut(int32_t size, int32_t skipped) {
    std::vector<int32_t> indices;
    for (int32_t i = 0; i < size; ++i)
        if (i != skipped)
            indices.push_back(i);
    return indices;
}

} // namespace

HRESULT RepositorySync::InternalExecuteMain(RepositoryWork work, bool wait) {
    if (IsMainThread())
        return RunWork(work);
    Pool* pool = gPool.Get();
    if (!pool)
        return E_UNEXPECTED;
    return pool->Execute(work, {0}, wait);
}

HRESULT RepositorySync::InternalExecuteAll(RepositoryWork work, bool wait) {
    Pool* pool = gPool.Get();
    if (!pool)
        return E_UNEXPECTED;
    int32_t self = pool->Owns(tCurrent) ? tCurrent->index : -1;
    HRESULT ownResult = self >= 0 ? RunWork(work) : S_OK;
    HRESULT othersResult = pool->Execute(work, AllIndicesBut(pool->Size(), self), wait);
    return FAILED(ownResult) ? ownResult : othersResult;
}

bool RepositorySync::IsMainThread() {
    return CurrentIndex() == 0;
}

bool RepositorySync::IsCIMThread() {
    return CurrentIndex() >= 0;
}

int32_t RepositorySync::CurrentIndex() {
    Pool* pool = gPool.Existing();
    return pool && pool->Owns(tCurrent) ? tCurrent->index : -1;
}

int32_t RepositorySync::GetCIMPoolSize() {
    static const int32_t size = [] {
        DWORD value = 0;
        std::optional<DWORD> registryValue;
        if (RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey, u"CIMPoolSize", &value) == ERROR_SUCCESS)
            registryValue = value;
        return PoolSizeFrom(std::getenv("TAVI_CIM_POOL_SIZE"), registryValue);
    }();
    return size;
}

int32_t RepositorySync::PoolSizeFrom(const char* environmentText, std::optional<DWORD> registryValue) {
    if (environmentText && *environmentText) {
        char* end = nullptr;
        long value = std::strtol(environmentText, &end, 10);
        if (*end == '\0' && value >= 1 && value <= kMaxPoolSize)
            return static_cast<int32_t>(value);
    }
    if (registryValue && *registryValue >= 1 && *registryValue <= static_cast<DWORD>(kMaxPoolSize))
        return static_cast<int32_t>(*registryValue);
    return kDefaultPoolSize;
}

HRESULT RepositorySync::GetRepository(int32_t index, ICIMRepository** repository) {
    if (HRESULT hr = ClearOut(repository); FAILED(hr))
        return hr;
    if (index < 0 || index >= GetCIMPoolSize())
        return E_INVALIDARG;
    Pool* pool = gPool.Get();
    if (!pool)
        return E_UNEXPECTED;
    return pool->At(index).repository.CopyTo(repository);
}

ComPtr<ICIMRepository> RepositorySync::MakeApplicationRepository() {
    return MakeObject<CIMRepository>(-1);
}

void RepositorySync::WaitForIdle() {
    Pool* pool = gPool.Existing();
    if (pool && pool->Running())
        pool->WaitForIdle();
}

bool RepositorySync::IsRunning() {
    Pool* pool = gPool.Existing();
    return pool && pool->Running();
}

bool RepositorySync::Stop() {
    Pool* pool = gPool.Existing();
    return !pool || pool->Stop();
}

} // namespace tavi
