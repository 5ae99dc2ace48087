// The object base: table-driven lookup in declared order, aliases, hidden interfaces, aggregation, the IClassID
// tear-off, and the module object count.
#include "TestSupport.h"

#include "tavi/Stream.h"

#include <thread>
#include <vector>

namespace tavi {
namespace {

struct IFirst : IUnknown {
    static constexpr IID iid{0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    virtual int32_t First() = 0;
};
struct ISecond : IPersist {
    static constexpr IID iid{0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
    virtual int32_t Second() = 0;
};
struct IUnanswered : IUnknown {
    static constexpr IID iid{0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
    virtual int32_t Unanswered() = 0;
};

class Sample final : public Object<Sample, IFirst, Rows<ISecond, Alias<IPersist, ISecond>>, Hidden<IUnanswered>> {
public:
    static constexpr CLSID kClassId{0x22222222, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    static constexpr const char16_t* kClassName = u"Sample";
    int32_t First() override { return 1; }
    int32_t Second() override { return 2; }
    int32_t Unanswered() override { return 3; }
};

using ObjectTest = test::LeakCheckedTest;

TEST_F(ObjectTest, AnswersDeclaredRowsAndBaseRules) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(CreateInstance<Sample>(nullptr, IUnknown::iid, unknown.OutVoid()), S_OK);
    EXPECT_EQ(unknown.As<IFirst>()->First(), 1);
    EXPECT_EQ(unknown.As<ISecond>()->Second(), 2);
    // The alias row answers IPersist with the ISecond sub-object, whose GetClassID is the object's.
    auto persist = unknown.As<IPersist>();
    EXPECT_EQ(static_cast<void*>(persist.Get()), static_cast<void*>(unknown.As<ISecond>().Get()));
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, Sample::kClassId);
    EXPECT_FALSE(unknown.As<IUnanswered>());

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(unknown->QueryInterface(ISupportErrorInfo::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(unknown->QueryInterface(IFirst::iid, nullptr), E_POINTER);
    // Every interface leads back to the same identity.
    EXPECT_EQ(unknown.As<IFirst>().As<IUnknown>().Get(), unknown.Get());
}

TEST_F(ObjectTest, ClassIdTearOffsAreDistinctAndHoldTheOwner) {
    ComPtr<IFirst> first;
    ASSERT_EQ(CreateInstance<Sample>(nullptr, IFirst::iid, first.OutVoid()), S_OK);
    auto* object = static_cast<Sample*>(first.Get());
    ULONG before = object->RefCount();
    {
        auto a = first.As<IClassID>();
        auto b = first.As<IClassID>();
        ASSERT_TRUE(a && b);
        EXPECT_NE(a.Get(), b.Get());
        CLSID clsid{};
        EXPECT_EQ(a->get_ClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, Sample::kClassId);
        EXPECT_EQ(a->get_ClassID(nullptr), E_POINTER);
    }
    EXPECT_EQ(object->RefCount(), before);
}

TEST_F(ObjectTest, FailedQueryOnCreationLeavesNoObject) {
    int32_t before = ModuleObjectCount();
    void* out = nullptr;
    EXPECT_EQ(CreateInstance<Sample>(nullptr, IUnanswered::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ModuleObjectCount(), before);
}

TEST_F(ObjectTest, AggregatedObjectReportsTheOuterIdentity) {
    ComPtr<IUnknown> outer;
    ASSERT_EQ(CreateInstance<Sample>(nullptr, IUnknown::iid, outer.OutVoid()), S_OK);
    ComPtr<IUnknown> inner;
    EXPECT_EQ(CreateInstance<Sample>(outer.Get(), IFirst::iid, inner.OutVoid()), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(CreateInstance<Sample>(outer.Get(), IUnknown::iid, inner.OutVoid()), S_OK);
    auto innerFirst = inner.As<IFirst>();
    ASSERT_TRUE(innerFirst);
    // Asked for IUnknown through one of its interfaces, the aggregated object answers the outer object.
    EXPECT_EQ(innerFirst.As<IUnknown>().Get(), outer.Get());
    EXPECT_NE(inner.Get(), outer.Get());
    // So does its IClassID tear-off: the identity is the outer object's however the object is reached.
    ComPtr<IClassID> tearOff;
    ASSERT_EQ(inner->QueryInterface(IClassID::iid, tearOff.OutVoid()), S_OK);
    EXPECT_EQ(tearOff.As<IUnknown>().Get(), outer.Get());
}

TEST_F(ObjectTest, CreationHandsOutExactlyTheOneReference) {
    // The construction reference becomes the one the query hands out; a tear-off takes its own and the construction
    // reference goes. Releasing what creation handed out must destroy the object in every case.
    struct Case {
        IID riid;
        const char* why;
    };
    const Case cases[] = {
        {IFirst::iid, "first row"},
        {ISecond::iid, "later row"},
        {IPersist::iid, "alias row"},
        {IUnknown::iid, "the base's IUnknown"},
        {IClassID::iid, "tear-off: the object's one reference is the tear-off's"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const int32_t before = ModuleObjectCount();
        IUnknown* out = nullptr;
        ASSERT_EQ(CreateInstance<Sample>(nullptr, c.riid, reinterpret_cast<void**>(&out)), S_OK);
        EXPECT_EQ(ModuleObjectCount(), before + 1);
        auto first = ComPtr<IUnknown>(out).As<IFirst>();
        EXPECT_EQ(static_cast<Sample*>(first.Get())->RefCount(), 2u) << "the one handed out and this query's";
        first = nullptr;
        EXPECT_EQ(out->Release(), 0u);
        EXPECT_EQ(ModuleObjectCount(), before);
    }
}

TEST_F(ObjectTest, ModuleCountFollowsObjectsAcrossThreads) {
    const int32_t before = ModuleObjectCount();
    auto make = [] { return MakeObject<Sample>(); };
    // Made on a thread that ends before the object goes, released here.
    ComPtr<Sample> madeElsewhere;
    std::thread([&] { madeElsewhere = make(); }).join();
    EXPECT_EQ(ModuleObjectCount(), before + 1);
    // Made here, released on a thread that then ends.
    ComPtr<Sample> madeHere = make();
    EXPECT_EQ(ModuleObjectCount(), before + 2);
    std::thread([&] { madeHere = nullptr; }).join();
    EXPECT_EQ(ModuleObjectCount(), before + 1);
    // Made and released by threads that all run at once, alongside ones that live on.
    std::vector<std::thread> threads;
    std::vector<ComPtr<Sample>> kept(4);
    for (size_t i = 0; i < kept.size(); ++i)
        threads.emplace_back([&, i] {
            for (int n = 0; n < 1000; ++n)
                make();
            kept[i] = make();
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(ModuleObjectCount(), before + 5);
    kept.clear();
    madeElsewhere = nullptr;
    EXPECT_EQ(ModuleObjectCount(), before);
}

} // namespace
} // namespace tavi
