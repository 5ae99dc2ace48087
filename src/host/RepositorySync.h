// The repository threads: a small pool of dedicated threads owned by the library, each with its cartographic
// repository. Index 0 is the main repository thread. Work is handed to a thread and the caller waits for its result,
// so state that belongs to a repository is touched only on its own thread and needs no lock.
//
// The pool starts on the first call that needs a thread. It stops on Stop (the unload check) or when the library
// unloads: a static owner joins the threads from its destructor after they have run what was handed to them.
#pragma once

#include "platform/ComPtr.h"
#include "tavi/GPUtilities.h"

#include <functional>
#include <optional>

namespace tavi {

// A unit of work: owns copies of what it needs (out arguments may be captured by address when the caller waits).
using RepositoryWork = std::function<HRESULT()>;

class RepositorySync {
public:
    // The pool size when neither the environment nor the registry names one.
    static constexpr int32_t kDefaultPoolSize = 2;
    static constexpr int32_t kMaxPoolSize = 64;

    // Runs `work` on the main repository thread and returns its result. Called on that thread, the work runs at
    // once. With `wait` false the work is queued and S_OK returned at once. An exception from the work is E_FAIL;
    // E_UNEXPECTED once the library is unloading.
    static HRESULT InternalExecuteMain(RepositoryWork work, bool wait = true);
    // Runs `work` once on every repository thread (the calling thread's share at once) and returns the first
    // failure, else S_OK. With `wait` false each share is queued and S_OK returned at once.
    static HRESULT InternalExecuteAll(RepositoryWork work, bool wait = true);

    // Whether the calling thread is the main repository thread, or any repository thread. Neither starts the pool.
    static bool IsMainThread();
    static bool IsCIMThread();
    // The calling thread's index in the pool, or -1 off the pool.
    static int32_t CurrentIndex();
    // The number of repository threads: TAVI_CIM_POOL_SIZE in the environment, else the DWORD "CIMPoolSize" under
    // the current user's "Software\TAVI\Torvik\Settings", else 2. Read once per process.
    static int32_t GetCIMPoolSize();
    // The repository of thread `index`. E_POINTER for a null out, E_INVALIDARG for an index outside the pool.
    // The repository may be used only on its own thread.
    static HRESULT GetRepository(int32_t index, ICIMRepository** repository);
    // A repository outside the pool (index -1): the one the application keeps on its own thread. It belongs to
    // whoever holds it and to that holder's thread.
    static ComPtr<ICIMRepository> MakeApplicationRepository();
    // Returns when every thread's queue is empty and no work runs. On a repository thread it runs what its own
    // queue holds instead of waiting for itself.
    static void WaitForIdle();

    // Whether the threads run now.
    static bool IsRunning();
    // Stops the threads after they have run what was handed to them and joins them; the next call that needs a
    // thread starts them again. Call it when the library may be unloaded (a library with running threads that keep
    // thread-local state cannot be unloaded). Refused (false) on a repository thread. The repositories keep
    // nothing across a stop.
    static bool Stop();

    // The pool size rule on its inputs: a whole number 1..64 from the environment text wins, then a registry value
    // 1..64; anything else falls through to the default.
    static int32_t PoolSizeFrom(const char* environmentText, std::optional<DWORD> registryValue);
};

} // namespace tavi
