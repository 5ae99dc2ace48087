// A thread that runs jobs one at a time, handed over by another thread that waits for each to finish. The bridge's
// numbered threads are these, so that per-thread state (singletons, locales, error information) can be observed.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tavigp {

class WorkerThread {
public:
    // `number` is what Session::CurrentThread answers on this thread.
    explicit WorkerThread(int number);
    ~WorkerThread(); // finishes the queued jobs, then joins
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `job` on this thread and returns when it has finished. An exception the job throws is rethrown here.
    void Run(const std::function<void()>& job);

private:
    void Loop(int number);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tavigp
