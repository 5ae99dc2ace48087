// Worker threads of the bridge session.
#include "bridge/WorkerThread.h"

#include "bridge/Session.h"

#include <exception>
#include <future>

namespace tavigp {

namespace detail {
void SetCurrentThreadNumber(int number);
}

WorkerThread::WorkerThread(int number) : thread_([this, number] { Loop(number); }) {}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void WorkerThread::Run(const std::function<void()>& job) {
    std::packaged_task<void()> task(job);
    std::future<void> done = task.get_future();
    {
        std::lock_guard lock(mutex_);
        jobs_.emplace_back([&task] { task(); });
    }
    wake_.notify_one();
    done.get(); // rethrows what the job threw
}

void WorkerThread::Loop(int number) {
    detail::SetCurrentThreadNumber(number);
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

} // namespace tavigp
