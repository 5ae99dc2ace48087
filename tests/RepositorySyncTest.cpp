// The repository threads: work runs on its thread while the caller waits, work for the calling thread runs at once,
// threads handing work to each other do not deadlock, each thread has its repository, and the pool stops cleanly.
#include "TestSupport.h"

#include "frame/ConnectionPoint.h"
#include "host/RepositorySync.h"

#include <dirent.h>

#include <cstdlib>
#include <optional>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tavi::test {
namespace {

class RepositorySyncTest : public LeakCheckedTest {};

TEST_F(RepositorySyncTest, WorkRunsOnTheMainThreadAndTheCallerGetsItsResult) {
    EXPECT_FALSE(RepositorySync::IsCIMThread());
    EXPECT_FALSE(RepositorySync::IsMainThread());
    EXPECT_EQ(RepositorySync::CurrentIndex(), -1);

    std::thread::id ranOn;
    bool wasMain = false;
    HRESULT hr = RepositorySync::InternalExecuteMain([&] {
        ranOn = std::this_thread::get_id();
        wasMain = RepositorySync::IsMainThread() && RepositorySync::CurrentIndex() == 0;
        return S_FALSE;
    });
    EXPECT_EQ(hr, S_FALSE) << "the work's own result comes back";
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(wasMain);

    EXPECT_EQ(RepositorySync::InternalExecuteMain([]() -> HRESULT { throw std::runtime_error("x"); }), E_FAIL);
    EXPECT_EQ(RepositorySync::InternalExecuteMain(nullptr), E_POINTER);
}

TEST_F(RepositorySyncTest, WorkForTheCallingThreadRunsAtOnce) {
    // From the main thread to the main thread: would deadlock if it were queued behind the running work.
    std::thread::id outer, inner;
    HRESULT hr = RepositorySync::InternalExecuteMain([&] {
        outer = std::this_thread::get_id();
        return RepositorySync::InternalExecuteMain([&] {
            inner = std::this_thread::get_id();
            return S_FALSE;
        });
    });
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(outer, inner);
}

TEST_F(RepositorySyncTest, ExecuteAllRunsOnceOnEveryThread) {
    const int32_t size = RepositorySync::GetCIMPoolSize();
    ASSERT_GE(size, 2) << "the tests run with the default pool";
    std::mutex lock;
    std::multiset<int32_t> seen;
    auto record = [&] {
        std::lock_guard guard(lock);
        seen.insert(RepositorySync::CurrentIndex());
        return S_OK;
    };
    ASSERT_EQ(RepositorySync::InternalExecuteAll(record), S_OK);
    // From a repository thread: its own share runs at once, the others are handed out.
    ASSERT_EQ(RepositorySync::InternalExecuteMain([&] { return RepositorySync::InternalExecuteAll(record); }), S_OK);
    std::multiset<int32_t> expected;
    for (int32_t i = 0; i < size; ++i)
        expected.insert({i, i});
    EXPECT_EQ(seen, expected);

    // The first failure is the result; the other threads still run.
    std::atomic<int> ran{0};
    HRESULT hr = RepositorySync::InternalExecuteAll([&] {
        ++ran;
        return RepositorySync::CurrentIndex() == 1 ? E_ACCESSDENIED : S_OK;
    });
    EXPECT_EQ(hr, E_ACCESSDENIED);
    EXPECT_EQ(ran.load(), size);
}

TEST_F(RepositorySyncTest, ThreadsHandingWorkToEachOtherDoNotDeadlock) {
    // Thread 1 waits for the main thread, whose work waits for every thread, thread 1 included: thread 1 runs its
    // share while it waits.
    std::atomic<int> shares{0};
    HRESULT hr = RepositorySync::InternalExecuteAll([&] {
        if (RepositorySync::CurrentIndex() != 1)
            return S_OK;
        return RepositorySync::InternalExecuteMain([&] {
            return RepositorySync::InternalExecuteAll([&] {
                ++shares;
                return S_OK;
            });
        });
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(shares.load(), RepositorySync::GetCIMPoolSize());
}

TEST_F(RepositorySyncTest, QueuedWorkIsDoneWhenTheThreadsAreIdle) {
    int done = 0; // touched only on the main thread; WaitForIdle orders the read below after the writes
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(RepositorySync::InternalExecuteMain(
                      [&] {
                          ++done;
                          return S_OK;
                      },
                      false),
                  S_OK);
    RepositorySync::WaitForIdle();
    EXPECT_EQ(done, 50);
    // On a repository thread WaitForIdle does not wait for the work it is running itself.
    EXPECT_EQ(RepositorySync::InternalExecuteMain([] {
                  RepositorySync::WaitForIdle();
                  return S_OK;
              }),
              S_OK);
}

TEST_F(RepositorySyncTest, ManyThreadsForwardingAtOnceLoseNoUpdate) {
    // A plain counter: the main thread is its only writer, so no update may be lost and no race reported.
    int64_t counter = 0;
    constexpr int kThreads = 8, kCalls = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kCalls; ++i)
                EXPECT_EQ(RepositorySync::InternalExecuteMain([&] {
                              ++counter;
                              return S_OK;
                          }),
                          S_OK);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, int64_t{kThreads} * kCalls);
}

TEST_F(RepositorySyncTest, EachThreadHasItsRepositoryWithFindByKey) {
    ComPtr<ICIMRepository> repository;
    EXPECT_EQ(RepositorySync::GetRepository(0, nullptr), E_POINTER);
    EXPECT_EQ(RepositorySync::GetRepository(-1, repository.Out()), E_INVALIDARG);
    EXPECT_EQ(RepositorySync::GetRepository(RepositorySync::GetCIMPoolSize(), repository.Out()), E_INVALIDARG);
    EXPECT_FALSE(repository);

    auto object = MakeObject<ConnectionPointContainer>(); // any object of the module
    // Each thread keeps the object under a key of its own index, on its own thread.
    ASSERT_EQ(RepositorySync::InternalExecuteAll([&] {
                  ComPtr<ICIMRepository> own;
                  HRESULT hr = RepositorySync::GetRepository(RepositorySync::CurrentIndex(), own.Out());
                  if (FAILED(hr))
                      return hr;
                  int32_t index = -2;
                  own->get_Index(&index);
                  if (index != RepositorySync::CurrentIndex())
                      return E_UNEXPECTED;
                  const char16_t* key = index == 0 ? u"main" : u"other";
                  return own->Add(key, object.Get());
              }),
              S_OK);
    HRESULT hr = RepositorySync::InternalExecuteMain([&] {
        ComPtr<ICIMRepository> main;
        RepositorySync::GetRepository(0, main.Out());
        ComPtr<IUnknown> found;
        int32_t count = 0;
        if (main->FindByKey(u"main", found.Out()) != S_OK || !SameObject(found.Get(), object.Get()))
            return E_FAIL;
        if (main->FindByKey(u"other", found.Out()) != S_FALSE || found)
            return E_FAIL; // another thread's key
        if (main->FindByKey(u"MAIN", found.Out()) != S_FALSE)
            return E_FAIL; // keys compare exactly
        if (main->FindByKey(nullptr, found.Out()) != E_POINTER || main->Add(u"x", nullptr) != E_POINTER)
            return E_FAIL;
        main->get_Count(&count);
        return count == 1 ? S_OK : E_FAIL;
    });
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(RepositorySync::InternalExecuteAll([&] {
                  ComPtr<ICIMRepository> own;
                  RepositorySync::GetRepository(RepositorySync::CurrentIndex(), own.Out());
                  HRESULT first = own->Remove(RepositorySync::IsMainThread() ? u"main" : u"other");
                  return first == S_OK && own->Remove(u"main") == S_FALSE ? S_OK : E_FAIL;
              }),
              S_OK);
}

TEST_F(RepositorySyncTest, PoolSizeComesFromTheEnvironmentThenTheRegistryThenTheDefault) {
    struct Case {
        const char* environment;
        std::optional<DWORD> registry;
        int32_t size;
    } const cases[] = {
        {nullptr, std::nullopt, 2},
        {"4", std::nullopt, 4},
        {"4", 3, 4},
        {nullptr, 3, 3},
        {"", 3, 3},
        {"0", 3, 3},
        {"65", std::nullopt, 2},
        {"3x", 5, 5},
        {nullptr, 0, 2},
        {nullptr, 65, 2},
        {"1", std::nullopt, 1},
        {"-2", std::nullopt, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RepositorySync::PoolSizeFrom(c.environment, c.registry), c.size)
            << (c.environment ? c.environment : "(none)") << " / " << (c.registry ? int(*c.registry) : -1);
}

size_t ThreadCount() {
    size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

TEST_F(RepositorySyncTest, StopJoinsTheThreadsAndTheNextUseStartsThemAgain) {
    ASSERT_EQ(RepositorySync::InternalExecuteMain([] { return S_OK; }), S_OK);
    ASSERT_TRUE(RepositorySync::IsRunning());
    const size_t running = ThreadCount();
    // A repository thread cannot join itself.
    EXPECT_EQ(RepositorySync::InternalExecuteMain([] { return RepositorySync::Stop() ? E_FAIL : S_OK; }), S_OK);

    int32_t done = 0;
    ASSERT_EQ(RepositorySync::InternalExecuteMain(
                  [&] {
                      ++done;
                      return S_OK;
                  },
                  false),
              S_OK);
    EXPECT_TRUE(RepositorySync::Stop());
    EXPECT_EQ(done, 1) << "work handed out before the stop still runs";
    EXPECT_FALSE(RepositorySync::IsRunning());
    EXPECT_EQ(ThreadCount(), running - RepositorySync::GetCIMPoolSize());
    EXPECT_FALSE(RepositorySync::IsMainThread());

    EXPECT_EQ(RepositorySync::InternalExecuteMain([] { return RepositorySync::IsMainThread() ? S_FALSE : E_FAIL; }),
              S_FALSE);
    EXPECT_EQ(ThreadCount(), running);
}

TEST_F(RepositorySyncTest, WorkHandedInWhileThePoolStopsWaitsAndRunsOnTheRestartedThreads) {
    std::atomic<bool> handing{true};
    std::atomic<int> ran{0}, failed{0};
    std::thread caller([&] {
        while (handing) {
            HRESULT hr = RepositorySync::InternalExecuteMain([&] {
                ++ran;
                return RepositorySync::IsMainThread() ? S_OK : E_FAIL;
            });
            failed += hr != S_OK;
        }
    });
    // Each stop comes while the caller is handing work in; the caller's work keeps running across them.
    for (int stops = 0; stops < 50; ++stops) {
        for (const int before = ran.load(); ran.load() == before;)
            std::this_thread::yield();
        EXPECT_TRUE(RepositorySync::Stop());
    }
    for (const int before = ran.load(); ran.load() == before;)
        std::this_thread::yield(); // the threads started again after the last stop
    handing = false;
    caller.join();
    EXPECT_EQ(failed.load(), 0);
}

TEST_F(RepositorySyncTest, AProcessEndingWithItsThreadsRunningExitsCleanly) {
    // The static owner joins the threads while the process ends; a hang or crash there fails the child.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RepositorySync::InternalExecuteAll([] { return S_OK; });
            RepositorySync::InternalExecuteMain([] { return S_OK; }, false);
            std::exit(7);
        },
        ::testing::ExitedWithCode(7), "");
}

} // namespace
} // namespace tavi::test
