// The plain and singleton factories: creation with and without aggregation, failures that leave no object alive,
// one singleton per thread, ReleaseSingleton and the unload answer, LockServer.
#include "TestSupport.h"

#include "frame/ClassFactory.h"
#include "frame/ClassRegistry.h"

#include <stdexcept>
#include <thread>

namespace tavi::test {
namespace {

struct ITestThing : IUnknown {
    static constexpr IID iid{0x5A1E0001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
    virtual HRESULT Ping(int32_t* value) = 0;
};
struct INotImplemented : IUnknown {
    static constexpr IID iid{0x5A1E0002, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
};

class Thing final : public Object<Thing, ITestThing> {
public:
    static constexpr CLSID kClassId{0x5A1E0100, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 1, 0}};
    static constexpr const char16_t* kClassName = u"Thing";
    HRESULT Ping(int32_t* value) override {
        *value = 42;
        return S_OK;
    }
};

class Throwing final : public Object<Throwing, ITestThing> {
public:
    static constexpr CLSID kClassId{0x5A1E0101, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 1, 1}};
    static constexpr const char16_t* kClassName = u"Throwing";
    Throwing() { throw std::runtime_error("cannot build"); }
    HRESULT Ping(int32_t*) override { return S_OK; }
};

class OutOfMemory final : public Object<OutOfMemory, ITestThing> {
public:
    static constexpr CLSID kClassId{0x5A1E0102, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 1, 2}};
    static constexpr const char16_t* kClassName = u"OutOfMemory";
    OutOfMemory() { throw std::bad_alloc(); }
    HRESULT Ping(int32_t*) override { return S_OK; }
};

// An outer object that aggregates a Thing: it answers its own identity and hands ITestThing to the inner object.
struct ITestOuter : IUnknown {
    static constexpr IID iid{0x5A1E0003, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 3}};
};
class Outer final : public Object<Outer, ITestOuter> {
public:
    ComPtr<IUnknown> inner_;
};

class FactoryTest : public LeakCheckedTest {};

TEST_F(FactoryTest, PlainFactoryMakesANewObjectEachTime) {
    auto factory = ComPtr<IClassFactory>::Adopt(new ClassFactory(&Construct<Thing>));
    ComPtr<ITestThing> a, b;
    ASSERT_EQ(factory->CreateInstance(nullptr, ITestThing::iid, a.OutVoid()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, ITestThing::iid, b.OutVoid()), S_OK);
    EXPECT_NE(a.Get(), b.Get());
    int32_t value = 0;
    EXPECT_EQ(a->Ping(&value), S_OK);
    EXPECT_EQ(value, 42);
}

TEST_F(FactoryTest, FailuresLeaveNoObjectAndHandOutNothing) {
    struct Case {
        const char* why;
        Constructor construct;
        IID riid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"interface the class lacks", &Construct<Thing>, INotImplemented::iid, E_NOINTERFACE},
        {"constructor throws", &Construct<Throwing>, ITestThing::iid, E_FAIL},
        {"allocation fails", &Construct<OutOfMemory>, ITestThing::iid, E_OUTOFMEMORY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        for (bool singleton : {false, true}) {
            ComPtr<IClassFactory> factory = ComPtr<IClassFactory>::Adopt(
                singleton ? static_cast<IClassFactory*>(new SingletonClassFactory(c.construct))
                          : new ClassFactory(c.construct));
            const int32_t before = ModuleObjectCount();
            void* out = reinterpret_cast<void*>(1);
            EXPECT_EQ(factory->CreateInstance(nullptr, c.riid, &out), c.expected);
            EXPECT_EQ(out, nullptr);
            EXPECT_EQ(ModuleObjectCount(), before);
        }
    }
}

TEST_F(FactoryTest, AggregationHandsOutTheInnerUnknownAndDelegatesIdentity) {
    auto factory = ComPtr<IClassFactory>::Adopt(new ClassFactory(&Construct<Thing>));
    auto outer = MakeObject<Outer>();
    IUnknown* outerUnknown = outer->InnerUnknown();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outerUnknown, ITestThing::iid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(factory->CreateInstance(outerUnknown, IUnknown::iid, outer->inner_.OutVoid()), S_OK);
    ComPtr<ITestThing> thing;
    ASSERT_EQ(outer->inner_->QueryInterface(ITestThing::iid, thing.OutVoid()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(thing->QueryInterface(IUnknown::iid, identity.OutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), outerUnknown) << "the aggregated object reports the outer identity";
    thing = nullptr;
    identity = nullptr;
    outer->inner_ = nullptr;
}

TEST_F(FactoryTest, FactoryAnswersOnlyItsInterfacesAndCountsItsReferences) {
    auto* raw = new SingletonClassFactory(&Construct<Thing>);
    auto factory = ComPtr<IClassFactory>::Adopt(raw);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(ITestThing::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ComPtr<ISingleton> singleton;
    ASSERT_EQ(factory->QueryInterface(ISingleton::iid, singleton.OutVoid()), S_OK);
    ComPtr<IUnknown> viaSingleton;
    ASSERT_EQ(singleton->QueryInterface(IClassFactory::iid, viaSingleton.OutVoid()), S_OK);
    EXPECT_EQ(viaSingleton.Get(), static_cast<IUnknown*>(factory.Get()));
    EXPECT_EQ(factory->AddRef(), 4u) << "creator, ISingleton, the query through it, and this call";
    factory->Release();
    // Factories are not objects of the module count.
    EXPECT_EQ(ModuleObjectCount(), 0) << "no object lives in this test";
}

TEST_F(FactoryTest, LockServerHoldsTheModuleCount) {
    auto factory = ComPtr<IClassFactory>::Adopt(new ClassFactory(&Construct<Thing>));
    const int32_t before = ModuleObjectCount();
    EXPECT_EQ(factory->LockServer(1), S_OK);
    EXPECT_EQ(ModuleObjectCount(), before + 1);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(ModuleObjectCount(), before);
}

class SingletonTest : public LeakCheckedTest {
protected:
    void TearDown() override {
        factory_ = nullptr;
        LeakCheckedTest::TearDown();
    }
    ComPtr<IUnknown> CreateOnThisThread() {
        ComPtr<IUnknown> object;
        EXPECT_EQ(factory_->CreateInstance(nullptr, IUnknown::iid, object.OutVoid()), S_OK);
        return object;
    }
    SingletonClassFactory* raw_ = new SingletonClassFactory(&Construct<Thing>);
    ComPtr<IClassFactory> factory_ = ComPtr<IClassFactory>::Adopt(raw_);
};

TEST_F(SingletonTest, OneThreadGetsTheSameObjectTwoThreadsGetTwo) {
    auto first = CreateOnThisThread();
    auto second = CreateOnThisThread();
    EXPECT_EQ(first.Get(), second.Get());

    ComPtr<IUnknown> other;
    std::thread([&] { other = CreateOnThisThread(); }).join();
    EXPECT_NE(other.Get(), first.Get());
    EXPECT_EQ(raw_->InstanceCount(), 2u);
}

TEST_F(SingletonTest, AggregationIsRefused) {
    auto outer = MakeObject<Outer>();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory_->CreateInstance(outer->InnerUnknown(), IUnknown::iid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
}

TEST_F(SingletonTest, ReleaseSingletonDestroysOnlyAnUnreferencedInstanceOfTheCallingThread) {
    const int32_t before = ModuleObjectCount();
    auto held = CreateOnThisThread();
    ComPtr<ISingleton> singleton;
    ASSERT_EQ(factory_->QueryInterface(ISingleton::iid, singleton.OutVoid()), S_OK);

    EXPECT_EQ(singleton->ReleaseSingleton(), S_OK);
    EXPECT_EQ(ModuleObjectCount(), before + 1) << "still held by the caller";

    ComPtr<IUnknown> otherThreads;
    std::thread([&] {
        otherThreads = CreateOnThisThread();
        otherThreads = nullptr;
    }).join();
    held = nullptr;
    EXPECT_EQ(singleton->ReleaseSingleton(), S_OK);
    EXPECT_EQ(ModuleObjectCount(), before + 1) << "only this thread's instance goes; the other thread's stays";
    EXPECT_EQ(raw_->InstanceCount(), 1u);
    EXPECT_EQ(singleton->ReleaseSingleton(), S_OK) << "nothing left for this thread";
}

TEST_F(SingletonTest, DestroyingTheFactoryReleasesEveryThreadsInstance) {
    const int32_t before = ModuleObjectCount();
    CreateOnThisThread();
    std::thread([&] { CreateOnThisThread(); }).join();
    EXPECT_EQ(ModuleObjectCount(), before + 2);
    factory_ = nullptr;
    EXPECT_EQ(ModuleObjectCount(), before);
}

class RegistryUnloadTest : public LeakCheckedTest {
protected:
    const ClassEntry table_[2] = {Row<Thing>(kSingleton), Pending(u"Later", {0x5A1E0200, 0, 0, {}})};
};

TEST_F(RegistryUnloadTest, CanUnloadNowReleasesUnreferencedSingletonsAndAnswersFromTheCount) {
    ClassRegistry registry(table_);
    const int32_t before = ModuleObjectCount();
    ASSERT_EQ(before, 0) << "the answer depends on nothing else being alive";
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(registry.GetClassObject(Thing::kClassId, IClassFactory::iid, factory.OutVoid()), S_OK);
    ComPtr<ITestThing> thing;
    ASSERT_EQ(factory->CreateInstance(nullptr, ITestThing::iid, thing.OutVoid()), S_OK);

    EXPECT_EQ(registry.CanUnloadNow(), S_FALSE) << "the caller still holds the singleton";
    thing = nullptr;
    EXPECT_EQ(ModuleObjectCount(), 1) << "the factory's map keeps it";
    factory->LockServer(1);
    EXPECT_EQ(registry.CanUnloadNow(), S_FALSE) << "singleton gone, but the server is locked";
    EXPECT_EQ(ModuleObjectCount(), 1);
    factory->LockServer(0);
    EXPECT_EQ(registry.CanUnloadNow(), S_OK);
}

TEST_F(RegistryUnloadTest, UnknownAndPendingClassesAreNotAvailable) {
    ClassRegistry registry(table_);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(registry.GetClassObject(table_[1].classId, IClassFactory::iid, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    CLSID unknown = Thing::kClassId;
    unknown.Data4[7] ^= 1;
    EXPECT_EQ(registry.GetClassObject(unknown, IClassFactory::iid, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(registry.GetClassObject(Thing::kClassId, IClassFactory::iid, nullptr), E_POINTER);
    EXPECT_EQ(registry.GetClassObject(Thing::kClassId, ITestThing::iid, &out), E_NOINTERFACE);
}

} // namespace
} // namespace tavi::test
