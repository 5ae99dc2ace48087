// The bridge's session: named objects, the worker threads requests may run on, and handing out objects that calls
// return. One session lives for one run of `tavigp eval`.
#pragma once

#include "bridge/Text.h"

#include "platform/ComPtr.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tavigp {

class WorkerThread;

class Session {
public:
    Session();
    ~Session(); // releases every object on the thread that made it, then stops the workers
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Stores `object` under `name`, replacing (and releasing) what was there. The object belongs to the calling
    // thread's number, so that it is released there at the end.
    void Store(const std::string& name, tavi::ComPtr<IUnknown> object);
    // The object of `name`; BridgeError when the session holds no such name.
    IUnknown* Find(const std::string& name) const;
    // Drops the session's reference; BridgeError when the session holds no such name.
    void Release(const std::string& name);
    // Drops every object the session holds, each on the thread that made it.
    void ReleaseAll();
    // Stores an object a call handed out under the next free name "$N" and describes it for the reply:
    // {"object": "$N", "class": "GPString"} plus what the out-object describers add (see Binding.h) unless
    // descriptions are turned off.
    Json HandOut(tavi::ComPtr<IUnknown> object);
    // Whether handed-out objects get the describers' details (on by default): a front end that hands the objects
    // themselves to its caller, rather than their descriptions, turns them off.
    void DescribeHandOuts(bool describe) { describeHandOuts_ = describe; }

    // Runs `work` on thread `number` (0: the main thread; workers are started on first use and kept) and waits for
    // it. BridgeError for a number outside 0..kMaxThreads, or when already running on a worker.
    void RunOn(int number, const std::function<void()>& work);
    static constexpr int kMaxThreads = 64;
    // The number of the thread running the current request (0 on the main thread).
    static int CurrentThread();

private:
    struct Entry {
        tavi::ComPtr<IUnknown> object;
        int thread;
    };
    std::map<std::string, Entry> objects_;
    std::map<int, std::unique_ptr<WorkerThread>> workers_;
    int nextOutName_ = 1;
    bool describeHandOuts_ = true;
};

} // namespace tavigp
