// The bridge session's objects and threads.
#include "bridge/Session.h"

#include "bridge/Binding.h"
#include "bridge/ClassTable.h"
#include "bridge/WorkerThread.h"

namespace tavigp {

namespace {
thread_local int currentThreadNumber = 0;
} // namespace

namespace detail {
void SetCurrentThreadNumber(int number) {
    currentThreadNumber = number;
}
} // namespace detail

int Session::CurrentThread() {
    return currentThreadNumber;
}

Session::Session() = default;

Session::~Session() {
    ReleaseAll();
    workers_.clear(); // joins every worker
}

void Session::Store(const std::string& name, tavi::ComPtr<IUnknown> object) {
    Entry& entry = objects_[name];
    entry.object = std::move(object); // releases what the name held before
    entry.thread = CurrentThread();
}

IUnknown* Session::Find(const std::string& name) const {
    auto found = objects_.find(name);
    if (found == objects_.end())
        throw BridgeError("no session object named '" + name + "'");
    return found->second.object.Get();
}

void Session::Release(const std::string& name) {
    auto found = objects_.find(name);
    if (found == objects_.end())
        throw BridgeError("no session object named '" + name + "'");
    tavi::ComPtr<IUnknown> dropped = std::move(found->second.object);
    objects_.erase(found);
}

Json Session::HandOut(tavi::ComPtr<IUnknown> object) {
    std::string name;
    do
        name = "$" + std::to_string(nextOutName_++);
    while (objects_.count(name)); // a script may have used the name itself
    Json description = {{"object", name}};
    if (const ClassRow* row = ClassOf(object.Get()))
        description["class"] = row->name;
    if (describeHandOuts_)
        for (OutDescriber describe : Bindings().Describers())
            describe(object.Get(), description);
    Store(name, std::move(object));
    return description;
}

void Session::RunOn(int number, const std::function<void()>& work) {
    if (number < 0 || number > kMaxThreads)
        throw BridgeError("thread numbers run from 0 to " + std::to_string(kMaxThreads));
    if (CurrentThread() != 0)
        throw BridgeError("a request on a worker thread cannot move to another thread");
    if (number == 0) {
        work();
        return;
    }
    auto& worker = workers_[number];
    if (!worker)
        worker = std::make_unique<WorkerThread>(number);
    worker->Run(work);
}

void Session::ReleaseAll() {
    // Each object goes on the thread that made it, so per-thread bookkeeping (singletons) sees the right thread.
    for (auto& [number, worker] : workers_)
        worker->Run([this, number = number] {
            for (auto it = objects_.begin(); it != objects_.end();)
                it = it->second.thread == number ? objects_.erase(it) : std::next(it);
        });
    objects_.clear();
}

} // namespace tavigp
