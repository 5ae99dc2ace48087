// The utility objects: one per thread, the settings read at construction, the missing-data registry kept on the
// main repository thread and reached from any thread, the thread capsules, and the data element utilities.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/RepositorySync.h"
#include "platform/Registry.h"
#include "services/GPUtilities.h"
#include "tavi/Entry.h"
#include "tavi/GPUtilities.h"

#include <cstdlib>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

namespace tavi::test {
namespace {

constexpr char16_t kSettings[] = u"Software\\TAVI\\Torvik\\Settings";

class GPUtilitiesTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        setenv("TAVI_HOST_APP", "desktop", 1);
    }
    void TearDown() override {
        ReleaseSingletons();
        unsetenv("TAVI_HOST_APP");
        ModuleClassesTest::TearDown();
    }

    // The singletons live in their factories' maps until an unload check lets them go: the calling thread's, then
    // each repository thread's (the main repository thread's utility object and the paths it keeps with it).
    static void ReleaseSingletons() { DllCanUnloadNow(); }

    template <class I = IGPUtilitiesImpl> static ComPtr<I> Create(REFCLSID clsid = CLSID_GPUtilities) {
        ComPtr<I> object;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, object.OutVoid()), S_OK);
        return object;
    }

    // Runs `call` with the main repository thread's utility object, there.
    template <class F> static HRESULT OnOwner(F call) {
        return RepositorySync::InternalExecuteMain([&] { return call(Create().Get()); });
    }

    static VARIANT_BOOL Check(IGPUtilitiesImpl* utilities, const OLECHAR* path) {
        VARIANT_BOOL found = 7;
        EXPECT_EQ(utilities->CheckNonExistDataPathname(path, &found), S_OK);
        return found;
    }
};

TEST_F(GPUtilitiesTest, OneObjectPerThreadWithAnEmptyConnectionPointContainer) {
    auto utilities = Create();
    ASSERT_TRUE(utilities);
    EXPECT_TRUE(SameObject(utilities.Get(), Create().Get()));
    IUnknown* there = nullptr;
    std::thread([&] {
        there = QueryAs<IUnknown>(Create().Get()).Get(); // compared by address only
        DllCanUnloadNow();
    }).join();
    EXPECT_NE(there, QueryAs<IUnknown>(utilities.Get()).Get());

    auto container = utilities.As<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    EXPECT_TRUE(utilities.As<IGPUtilities>());
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IGPUtilities::iid, point.Out()), E_NOINTERFACE);
    ComPtr<IEnumConnectionPoints> points;
    EXPECT_EQ(container->EnumConnectionPoints(points.Out()), OLE_E_NOCONNECTION);
}

TEST_F(GPUtilitiesTest, OutsideTheDesktopApplicationTheRegistryDoesNothing) {
    unsetenv("TAVI_HOST_APP");
    auto utilities = Create();
    // A null out is reported first, desktop or not.
    EXPECT_EQ(utilities->CheckNonExistDataPathname(u"/a", nullptr), E_POINTER);
    EXPECT_EQ(utilities->GetSkipMapObjNonExistData(nullptr), E_POINTER);

    EXPECT_EQ(utilities->AddNonExistDataPathname(u"/a"), S_FALSE);
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(utilities->CheckNonExistDataPathname(u"/a", &flag), S_FALSE);
    EXPECT_EQ(flag, VARIANT_FALSE) << "the out is cleared";
    EXPECT_EQ(utilities->ClearNonExistDataPathname(), S_FALSE);
    EXPECT_EQ(utilities->SetSkipMapObjNonExistData(VARIANT_TRUE), S_FALSE);
    flag = VARIANT_TRUE;
    EXPECT_EQ(utilities->GetSkipMapObjNonExistData(&flag), S_FALSE);
    EXPECT_EQ(flag, VARIANT_FALSE);
}

TEST_F(GPUtilitiesTest, PathsAddedAnywhereAreKeptOnceOnTheMainThread) {
    auto utilities = Create(); // made off the repository threads: forwards every call
    ASSERT_EQ(utilities->AddNonExistDataPathname(u"/data/roads.shp"), S_OK);
    ASSERT_EQ(utilities->AddNonExistDataPathname(u"/data/roads.shp"), S_OK);
    ASSERT_EQ(utilities->AddNonExistDataPathname(u"C:\\Data\\parcels\\"), S_OK);
    EXPECT_EQ(utilities->AddNonExistDataPathname(u""), E_INVALIDARG);

    // Two forms of one path are one entry; case is not folded.
    EXPECT_EQ(Check(utilities.Get(), u"/data/./x/../roads.shp/"), VARIANT_TRUE);
    EXPECT_EQ(Check(utilities.Get(), u"C:/Data/parcels"), VARIANT_TRUE);
    EXPECT_EQ(Check(utilities.Get(), u"/data/ROADS.shp"), VARIANT_FALSE);
    EXPECT_EQ(Check(utilities.Get(), u""), VARIANT_FALSE);

    // The owner holds them, and another thread's object sees them through it.
    EXPECT_EQ(OnOwner([](IGPUtilitiesImpl* owner) { return Check(owner, u"/data/roads.shp") ? S_OK : E_FAIL; }), S_OK);
    VARIANT_BOOL seenElsewhere = VARIANT_FALSE;
    std::thread([&] {
        seenElsewhere = Check(Create().Get(), u"\\data\\roads.shp");
        DllCanUnloadNow();
    }).join();
    EXPECT_EQ(seenElsewhere, VARIANT_TRUE);

    // Added twice, cleared once: gone, for every thread.
    ASSERT_EQ(utilities->ClearNonExistDataPathname(), S_OK);
    EXPECT_EQ(Check(utilities.Get(), u"/data/roads.shp"), VARIANT_FALSE);
    EXPECT_EQ(OnOwner([](IGPUtilitiesImpl* owner) {
                  return Check(owner, u"C:/Data/parcels") == VARIANT_FALSE ? S_OK : E_FAIL;
              }),
              S_OK);
}

TEST_F(GPUtilitiesTest, TheOwnerWorksOnItsOwnSet) {
    // On the main repository thread no call is forwarded (it would wait for itself).
    HRESULT hr = OnOwner([](IGPUtilitiesImpl* owner) -> HRESULT {
        if (FAILED(owner->AddNonExistDataPathname(u"/x/y")))
            return E_FAIL;
        VARIANT_BOOL found = VARIANT_FALSE;
        HRESULT checked = owner->CheckNonExistDataPathname(u"/x/./y", &found);
        return checked == S_OK && found == VARIANT_TRUE ? S_OK : E_FAIL;
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(Check(Create().Get(), u"/x/y"), VARIANT_TRUE);
}

TEST_F(GPUtilitiesTest, TheSkipFlagSetAnywhereIsTheOwnersFlag) {
    auto utilities = Create();
    VARIANT_BOOL flag = VARIANT_FALSE;
    ASSERT_EQ(utilities->SetSkipMapObjNonExistData(VARIANT_TRUE), S_OK);
    ASSERT_EQ(utilities->GetSkipMapObjNonExistData(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE) << "a non-owner reads back what it set";
    EXPECT_EQ(OnOwner([](IGPUtilitiesImpl* owner) {
                  VARIANT_BOOL ownerFlag = VARIANT_FALSE;
                  owner->GetSkipMapObjNonExistData(&ownerFlag);
                  return ownerFlag == VARIANT_TRUE ? S_OK : E_FAIL;
              }),
              S_OK);
    // The owner changes it: a non-owner's cached copy is refreshed on its next read.
    ASSERT_EQ(OnOwner([](IGPUtilitiesImpl* owner) { return owner->SetSkipMapObjNonExistData(VARIANT_FALSE); }), S_OK);
    ASSERT_EQ(utilities->GetSkipMapObjNonExistData(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
}

TEST_F(GPUtilitiesTest, ManyThreadsUsingTheRegistryAtOnceLoseNoPath) {
    constexpr int kThreads = 8, kPaths = 40;
    auto utilities = Create(); // holds the owner once it has forwarded: the threads' unload checks keep the paths
    ASSERT_EQ(utilities->ClearNonExistDataPathname(), S_OK);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            {
                auto mine = Create();
                for (int i = 0; i < kPaths; ++i) {
                    String path = u"/t" + FromUtf8(std::to_string(t)) + u"/p" + FromUtf8(std::to_string(i));
                    if (mine->AddNonExistDataPathname(path.c_str()) != S_OK || !Check(mine.Get(), path.c_str()))
                        ++failures;
                    VARIANT_BOOL flag = VARIANT_FALSE;
                    mine->SetSkipMapObjNonExistData(i % 2 ? VARIANT_TRUE : VARIANT_FALSE);
                    mine->GetSkipMapObjNonExistData(&flag);
                }
            }
            DllCanUnloadNow();
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kPaths; ++i) {
            String path = u"/t" + FromUtf8(std::to_string(t)) + u"/p" + FromUtf8(std::to_string(i));
            EXPECT_EQ(Check(utilities.Get(), path.c_str()), VARIANT_TRUE) << ToUtf8(path);
        }
}

TEST_F(GPUtilitiesTest, AnUnloadCheckKeepsWhatLiveObjectsUseAndStopsTheThreadsWhenNothingIsLeft) {
    auto utilities = Create();
    ASSERT_EQ(utilities->AddNonExistDataPathname(u"/kept/roads.shp"), S_OK);
    ASSERT_TRUE(RepositorySync::IsRunning());

    // Another thread's check while this object lives: the owner on the main repository thread stays, with the path.
    HRESULT elsewhere = S_OK;
    std::thread([&] { elsewhere = DllCanUnloadNow(); }).join();
    EXPECT_EQ(elsewhere, S_FALSE);
    EXPECT_EQ(Check(utilities.Get(), u"/kept/roads.shp"), VARIANT_TRUE);
    EXPECT_EQ(RepositorySync::InternalExecuteMain([] { return DllCanUnloadNow(); }), S_FALSE)
        << "a repository thread cannot stop the pool it runs in";

    // With the last object gone every thread's singletons go, the threads stop, and the library may unload.
    utilities = nullptr;
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    EXPECT_FALSE(RepositorySync::IsRunning());

    // The next use starts them again, with a fresh registry.
    utilities = Create();
    EXPECT_EQ(Check(utilities.Get(), u"/kept/roads.shp"), VARIANT_FALSE);
    EXPECT_TRUE(RepositorySync::IsRunning());
}

struct SettingCase {
    const char16_t* name;
    std::optional<DWORD> number; // the DWORD stored, or none
    const char16_t* text;        // a text stored instead, or null
    bool caching;
    VARIANT_BOOL mainOnly;
    VARIANT_BOOL skip;
    const char* reason;
};

const SettingCase kSettingCases[] = {
    {nullptr, std::nullopt, nullptr, true, VARIANT_FALSE, VARIANT_FALSE, "no values: the defaults"},
    {u"DisableGPCaching", 0, nullptr, true, VARIANT_FALSE, VARIANT_FALSE, "0 leaves caching on"},
    {u"DisableGPCaching", 1, nullptr, false, VARIANT_FALSE, VARIANT_FALSE, "1 turns caching off"},
    {u"DisableGPCaching", 2, nullptr, true, VARIANT_FALSE, VARIANT_FALSE, "2 leaves caching on"},
    {u"DisableGPCaching", 3, nullptr, false, VARIANT_FALSE, VARIANT_FALSE, "3 turns caching off"},
    {u"DisableGPCaching", 4, nullptr, false, VARIANT_FALSE, VARIANT_FALSE, "4 turns caching off"},
    {u"DisableGPCaching", 5, nullptr, true, VARIANT_FALSE, VARIANT_FALSE, "other numbers leave it on"},
    {u"DisableGPCaching", std::nullopt, u"3", true, VARIANT_FALSE, VARIANT_FALSE, "a text value is ignored"},
    {u"RunGPOnlyInMainThread", 1, nullptr, true, VARIANT_TRUE, VARIANT_FALSE, "1 runs only in the main thread"},
    {u"RunGPOnlyInMainThread", 2, nullptr, true, VARIANT_FALSE, VARIANT_FALSE, "other numbers do not"},
    {u"SkipMapUpdateNonExistsDataPathnames", 1, nullptr, true, VARIANT_FALSE, VARIANT_TRUE, "1 sets the skip flag"},
    {u"SkipMapUpdateNonExistsDataPathnames", 7, nullptr, true, VARIANT_FALSE, VARIANT_FALSE, "others leave it"},
    {u"SkipMapUpdateNonExistsDataPathnames", std::nullopt, u"1", true, VARIANT_FALSE, VARIANT_FALSE, "text"},
};

TEST_F(GPUtilitiesTest, SettingsAreReadFromTheRegistryAtConstruction) {
    for (const SettingCase& c : kSettingCases) {
        SCOPED_TRACE(c.reason);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
        if (c.number) {
            ASSERT_EQ(RegistryWriteDword(HKEY_CURRENT_USER, kSettings, c.name, *c.number), ERROR_SUCCESS);
        }
        if (c.text) {
            ASSERT_EQ(RegistryWriteString(HKEY_CURRENT_USER, kSettings, c.name, c.text), ERROR_SUCCESS);
        }
        // Made on the main repository thread, so the skip flag it answers is its own.
        HRESULT hr = RepositorySync::InternalExecuteMain([&] {
            auto utilities = MakeObject<GPUtilities>();
            VARIANT_BOOL caching = 7, mainOnly = 7, skip = 7;
            utilities->get_CachingEnabled(&caching);
            utilities->get_RunGPOnlyInMainThread(&mainOnly);
            utilities->GetSkipMapObjNonExistData(&skip);
            EXPECT_EQ(caching, c.caching ? VARIANT_TRUE : VARIANT_FALSE);
            EXPECT_EQ(mainOnly, c.mainOnly);
            EXPECT_EQ(skip, c.skip);
            return S_OK;
        });
        EXPECT_EQ(hr, S_OK);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
}

TEST_F(GPUtilitiesTest, DisplayModeQueriesFollowTheSettingAndTheScriptingEnvironment) {
    struct Case {
        std::optional<DWORD> showKeys;
        const char* scripting;
        VARIANT_BOOL wantShow, wantScripting;
    };
    const Case cases[] = {
        {std::nullopt, nullptr, VARIANT_FALSE, VARIANT_FALSE},
        {1, nullptr, VARIANT_TRUE, VARIANT_FALSE},
        {2, "0", VARIANT_FALSE, VARIANT_FALSE},
        {std::nullopt, "1", VARIANT_FALSE, VARIANT_TRUE},
    };
    for (const Case& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
        if (c.showKeys) {
            ASSERT_EQ(RegistryWriteDword(HKEY_CURRENT_USER, kSettings, u"ShowCodedValueKeys", *c.showKeys),
                      ERROR_SUCCESS);
        }
        if (c.scripting)
            setenv("TAVI_SCRIPTING", c.scripting, 1);
        else
            unsetenv("TAVI_SCRIPTING");
        auto utilities = MakeObject<GPUtilities>();
        VARIANT_BOOL show = 7, scripting = 7;
        EXPECT_EQ(utilities->get_ShowCodedValueKeys(&show), S_OK);
        EXPECT_EQ(utilities->get_InScriptingSession(&scripting), S_OK);
        EXPECT_EQ(show, c.wantShow);
        EXPECT_EQ(scripting, c.wantScripting);
        EXPECT_EQ(utilities->get_ShowCodedValueKeys(nullptr), E_POINTER);
    }
    unsetenv("TAVI_SCRIPTING");
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
}

// A capsule that records every Apply: repository index, command and the two flags.
class RecordingCapsule final : public Object<RecordingCapsule, IGPThreadCapsule> {
public:
    using Record = std::tuple<int32_t, String, VARIANT_BOOL, VARIANT_BOOL>;

    HRESULT get_Key(BSTR* key) override {
        *key = SysAllocString(u"roads");
        return S_OK;
    }
    HRESULT Apply(ICIMRepository* repository, const OLECHAR* command, VARIANT_BOOL own, VARIANT_BOOL main) override {
        int32_t index = -2;
        repository->get_Index(&index);
        records.emplace_back(index, command, own, main);
        return failWith;
    }

    std::vector<Record> records; // Apply never runs on two threads at once
    HRESULT failWith = S_OK;
};

class ThreadCapsuleTest : public GPUtilitiesTest {
protected:
    void SetUp() override {
        GPUtilitiesTest::SetUp();
        kept_ = MakeObject<RecordingCapsule>();
        // Every repository keeps an object under the capsule's key, on its own thread.
        ASSERT_EQ(OnEachRepository([&](ICIMRepository* repository) { return repository->Add(u"roads", kept_.Get()); }),
                  S_OK);
    }
    void TearDown() override {
        OnEachRepository([](ICIMRepository* repository) { return repository->Remove(u"roads"); });
        kept_ = nullptr;
        GPUtilitiesTest::TearDown();
    }

    template <class F> static HRESULT OnEachRepository(F call) {
        return RepositorySync::InternalExecuteAll([&] {
            ComPtr<ICIMRepository> repository;
            HRESULT hr = RepositorySync::GetRepository(RepositorySync::CurrentIndex(), repository.Out());
            return FAILED(hr) ? hr : call(repository.Get());
        });
    }

    static std::vector<RecordingCapsule::Record> Sorted(std::vector<RecordingCapsule::Record> records) {
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
        return records;
    }

    ComPtr<RecordingCapsule> kept_;
};

TEST_F(ThreadCapsuleTest, AppliesToEveryRepositoryUpToTheHighestIndexSeen) {
    constexpr VARIANT_BOOL T = VARIANT_TRUE, F = VARIANT_FALSE;
    auto utilities = Create();
    auto capsule = MakeObject<RecordingCapsule>();
    int32_t index = -1;
    ASSERT_EQ(utilities->get_RepositoryIndex(&index), S_OK);
    EXPECT_EQ(index, 0) << "made off the repository threads: the main repository";

    ASSERT_EQ(utilities->DoThreadCapsule(u"connect", capsule.Get()), S_OK);
    using R = RecordingCapsule::Record;
    EXPECT_EQ(capsule->records, (std::vector<R>{{0, u"connect", T, T}})) << "only index 0 seen so far";

    capsule->records.clear();
    ASSERT_EQ(utilities->put_RepositoryIndex(1), S_OK);
    ASSERT_EQ(utilities->DoThreadCapsule(u"disconnect", capsule.Get()), S_OK);
    EXPECT_EQ(Sorted(capsule->records), (std::vector<R>{{0, u"disconnect", F, T}, {1, u"disconnect", T, F}}));

    // Refresh also disconnects and reconnects in the instance's own repository.
    capsule->records.clear();
    ASSERT_EQ(utilities->DoThreadCapsule(u"refresh", capsule.Get()), S_OK);
    EXPECT_EQ(Sorted(capsule->records),
              (std::vector<R>{
                  {0, u"refresh", F, T}, {1, u"refresh", T, F}, {1, u"disconnect", T, F}, {1, u"connect", T, F}}));

    // The highest index seen stays when the index goes back down.
    capsule->records.clear();
    ASSERT_EQ(utilities->put_RepositoryIndex(0), S_OK);
    ASSERT_EQ(utilities->DoThreadCapsule(u"disconnect", capsule.Get()), S_OK);
    EXPECT_EQ(capsule->records.size(), 2u);
}

TEST_F(ThreadCapsuleTest, ConnectSuspendAlsoReachesTheApplicationRepository) {
    auto utilities = Create();
    auto capsule = MakeObject<RecordingCapsule>();
    ASSERT_EQ(utilities->DoThreadCapsule(u"connect_suspend", capsule.Get()), S_OK);
    using R = RecordingCapsule::Record;
    EXPECT_EQ(Sorted(capsule->records), (std::vector<R>{{-1, u"connect_suspend", VARIANT_TRUE, VARIANT_FALSE},
                                                        {0, u"connect_suspend", VARIANT_TRUE, VARIANT_TRUE}}));
}

TEST_F(ThreadCapsuleTest, RefusesBadArgumentsAndReportsFailures) {
    auto utilities = Create();
    auto capsule = MakeObject<RecordingCapsule>();
    EXPECT_EQ(utilities->DoThreadCapsule(nullptr, capsule.Get()), E_POINTER);
    EXPECT_EQ(utilities->DoThreadCapsule(u"connect", nullptr), E_POINTER);
    EXPECT_EQ(utilities->DoThreadCapsule(u"Connect", capsule.Get()), E_INVALIDARG) << "commands compare exactly";
    EXPECT_EQ(utilities->put_RepositoryIndex(RepositorySync::GetCIMPoolSize()), E_INVALIDARG);
    EXPECT_EQ(utilities->put_RepositoryIndex(-1), E_INVALIDARG);
    EXPECT_TRUE(capsule->records.empty());

    capsule->failWith = E_ACCESSDENIED;
    EXPECT_EQ(utilities->DoThreadCapsule(u"connect", capsule.Get()), E_ACCESSDENIED);

    // A key no repository knows: nothing is applied.
    OnEachRepository([](ICIMRepository* repository) { return repository->Remove(u"roads"); });
    capsule->records.clear();
    EXPECT_EQ(utilities->DoThreadCapsule(u"connect", capsule.Get()), S_OK);
    EXPECT_TRUE(capsule->records.empty());
}

TEST_F(GPUtilitiesTest, DataElementUtilitiesShareTheirSettingOnTheThread) {
    auto first = Create<IDEUtilities>(CLSID_DEUtilities);
    auto second = Create<IDEUtilities>(CLSID_DEUtilities);
    ASSERT_TRUE(first && second);
    VARIANT_BOOL enabled = VARIANT_FALSE;
    EXPECT_EQ(first->get_Enabled(nullptr), E_POINTER);
    ASSERT_EQ(first->get_Enabled(&enabled), S_OK);
    EXPECT_EQ(enabled, VARIANT_TRUE) << "on at first";
    ASSERT_EQ(first->put_Enabled(VARIANT_FALSE), S_OK);
    second->get_Enabled(&enabled);
    EXPECT_EQ(enabled, VARIANT_FALSE) << "every caller on the thread shares it";
    VARIANT_BOOL elsewhere = VARIANT_FALSE;
    std::thread([&] {
        Create<IDEUtilities>(CLSID_DEUtilities)->get_Enabled(&elsewhere);
        DllCanUnloadNow();
    }).join();
    EXPECT_EQ(elsewhere, VARIANT_TRUE) << "another thread has its own";
    ASSERT_EQ(first->put_Enabled(5), S_OK);
    first->get_Enabled(&enabled);
    EXPECT_EQ(enabled, VARIANT_TRUE) << "any nonzero flag is on";

    BStr full;
    EXPECT_EQ(first->ResolveCatalogPath(nullptr, full.Out()), E_POINTER);
    EXPECT_EQ(first->ResolveCatalogPath(u"/a", nullptr), E_POINTER);
    ASSERT_EQ(first->ResolveCatalogPath(u"\\data\\.\\roads.shp\\", full.Out()), S_OK);
    EXPECT_EQ(full.str(), u"/data/roads.shp");
}

} // namespace
} // namespace tavi::test
