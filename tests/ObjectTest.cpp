// The object base: table-driven lookup in declared order, aliases, hidden interfaces, aggregation, the IClassID
// tear-off, and the module object count.
#include "TestSupport.h"

#include "tavi/Stream.h"

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

} // namespace
} // namespace tavi
