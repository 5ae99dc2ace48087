// String lists, the object array and the generic enumerators: index checks, end of list, cursor resets, copies
// handed out, and every reference given back.
#include "TestSupport.h"

#include "frame/EnumBSTR.h"
#include "frame/Enumerators.h"
#include "host/ObjectArray.h"

#include <string>
#include <vector>

namespace tavi::test {
namespace {

// A stand-in item interface and the enumerator interfaces over it, shaped as the name and value lists are.
struct ITestItem : IUnknown {
    static constexpr IID iid{0xE7E70001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
    virtual int32_t Tag() = 0;
};
struct IEnumTestItem : IUnknown {
    static constexpr IID iid{0xE7E70002, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
    virtual HRESULT Next(ITestItem** item) = 0;
    virtual HRESULT Reset() = 0;
};
struct IEnumTestItems : IUnknown {
    static constexpr IID iid{0xE7E70003, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 3}};
    virtual HRESULT Next(ULONG count, ITestItem** items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumTestItems** clone) = 0;
};

class Item final : public Object<Item, ITestItem> {
public:
    explicit Item(int32_t tag = 0) : tag_(tag) {}
    int32_t Tag() override { return tag_; }

private:
    int32_t tag_;
};

std::vector<ComPtr<ITestItem>> Items(std::initializer_list<int32_t> tags) {
    std::vector<ComPtr<ITestItem>> items;
    for (int32_t tag : tags)
        items.push_back(MakeObject<Item>(tag));
    return items;
}

std::u16string Text(BSTR text) {
    std::u16string result = text ? std::u16string(text, SysStringLen(text)) : u"<null>";
    SysFreeString(text);
    return result;
}

class EnumeratorTest : public LeakCheckedTest {};

TEST_F(EnumeratorTest, EnumBSTRHandsOutCopiesThenEndsWithANullString) {
    auto list = MakeObject<EnumBSTR>(std::vector<std::u16string>{u"a", u"b"});
    BSTR text = nullptr;
    ASSERT_EQ(list->Next(&text), S_OK);
    EXPECT_EQ(Text(text), u"a");
    ASSERT_EQ(list->Next(&text), S_OK);
    EXPECT_EQ(Text(text), u"b");
    text = SysAllocString(u"stale");
    BSTR stale = text;
    EXPECT_EQ(list->Next(&text), S_FALSE);
    EXPECT_EQ(text, nullptr);
    SysFreeString(stale);
    EXPECT_EQ(list->Reset(), S_OK);
    ASSERT_EQ(list->Next(&text), S_OK);
    EXPECT_EQ(Text(text), u"a");
    EXPECT_EQ(list->Next(nullptr), E_POINTER);
}

TEST_F(EnumeratorTest, ComEnumBSTRChecksEveryIndex) {
    auto list = MakeObject<ComEnumBSTR>();
    BStr a(u"a"), b(u"b"), c(u"c");
    struct Step {
        const char* what;
        HRESULT (*run)(ComEnumBSTR*, BSTR);
        HRESULT expected;
    };
    const Step steps[] = {
        {"insert into empty at 1", [](ComEnumBSTR* l, BSTR s) { return l->Insert(1, s); }, E_FAIL},
        {"insert at Count (0) appends", [](ComEnumBSTR* l, BSTR s) { return l->Insert(0, s); }, S_OK},
        {"add", [](ComEnumBSTR* l, BSTR s) { return l->Add(s); }, S_OK},
        {"insert at Count (2) appends", [](ComEnumBSTR* l, BSTR s) { return l->Insert(2, s); }, S_OK},
        {"insert at Count + 1", [](ComEnumBSTR* l, BSTR s) { return l->Insert(4, s); }, E_FAIL},
        {"insert at -1", [](ComEnumBSTR* l, BSTR s) { return l->Insert(-1, s); }, E_FAIL},
        {"replace at Count", [](ComEnumBSTR* l, BSTR s) { return l->Replace(3, s); }, E_FAIL},
        {"replace last", [](ComEnumBSTR* l, BSTR s) { return l->Replace(2, s); }, S_OK},
        {"remove at Count", [](ComEnumBSTR* l, BSTR) { return l->Remove(3); }, E_FAIL},
        {"remove at -1", [](ComEnumBSTR* l, BSTR) { return l->Remove(-1); }, E_FAIL},
    };
    for (const auto& step : steps)
        EXPECT_EQ(step.run(list.Get(), c.Get()), step.expected) << step.what;
    int32_t count = 0;
    ASSERT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    BSTR text = nullptr;
    EXPECT_EQ(list->get_Element(3, &text), E_FAIL);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(list->get_Element(0, nullptr), E_POINTER);
    ASSERT_EQ(list->Insert(1, a.Get()), S_OK);
    ASSERT_EQ(list->Remove(0), S_OK);
    std::u16string all;
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(list->get_Element(i, &text), S_OK);
        all += Text(text);
    }
    EXPECT_EQ(all, u"acc");
}

TEST_F(EnumeratorTest, ComEnumBSTREnumeratesItsElementsAndRemoveAllResetsTheCursor) {
    auto list = MakeObject<ComEnumBSTR>();
    BStr a(u"a"), b(u"b");
    list->Add(a.Get());
    list->Add(nullptr); // a null string is the empty string
    BSTR text = nullptr;
    ASSERT_EQ(list->Next(&text), S_OK);
    EXPECT_EQ(Text(text), u"a");
    ASSERT_EQ(list->Next(&text), S_OK);
    EXPECT_EQ(Text(text), u"");
    EXPECT_EQ(list->Next(&text), S_FALSE);
    EXPECT_EQ(text, nullptr);

    ASSERT_EQ(list->RemoveAll(), S_OK);
    list->Add(b.Get());
    ASSERT_EQ(list->Next(&text), S_OK) << "the cursor went back to 0";
    EXPECT_EQ(Text(text), u"b");
}

TEST_F(EnumeratorTest, ObjectArrayHoldsReferencesAndChecksIndexes) {
    auto array = MakeObject<ObjectArray>();
    auto item = MakeObject<Item>(1);
    ASSERT_EQ(array->Add(item.Get()), S_OK);
    ASSERT_EQ(array->Add(nullptr), S_OK);
    EXPECT_EQ(item->RefCount(), 2u);
    EXPECT_EQ(array->Insert(3, item.Get()), E_FAIL);
    EXPECT_EQ(array->Replace(2, item.Get()), E_FAIL);
    ASSERT_EQ(array->Replace(1, item.Get()), S_OK);
    EXPECT_EQ(item->RefCount(), 3u);
    ComPtr<IUnknown> element;
    EXPECT_EQ(array->get_Element(-1, element.Out()), E_FAIL);
    EXPECT_EQ(array->Remove(2), E_FAIL);
    ASSERT_EQ(array->RemoveAll(), S_OK);
    EXPECT_EQ(item->RefCount(), 1u);
}

TEST_F(EnumeratorTest, SimpleEnumeratorHandsOutAddRefedItemsAndKeepsItsParent) {
    auto parent = MakeObject<Item>(99);
    auto items = Items({1, 2});
    ComPtr<IEnumTestItem> list = MakeObject<SimpleEnumerator<IEnumTestItem, ITestItem>>(items, parent);
    parent = nullptr; // the enumerator keeps it alive
    ComPtr<ITestItem> item;
    ASSERT_EQ(list->Next(item.Out()), S_OK);
    EXPECT_EQ(item->Tag(), 1);
    EXPECT_EQ(item.Get(), items[0].Get());
    ASSERT_EQ(list->Next(item.Out()), S_OK);
    EXPECT_EQ(list->Next(item.Out()), S_FALSE);
    EXPECT_FALSE(item);
    EXPECT_EQ(list->Next(nullptr), E_POINTER);
    list->Reset();
    ASSERT_EQ(list->Next(item.Out()), S_OK);
    EXPECT_EQ(item->Tag(), 1);
}

TEST_F(EnumeratorTest, ComEnumPassesArrayOperationsOnAndEnumeratesItsElements) {
    auto list = MakeObject<ComEnum<IEnumTestItem, ITestItem>>();
    auto items = Items({1, 2});
    ASSERT_EQ(list->Add(items[0].Get()), S_OK);
    ASSERT_EQ(list->Insert(0, items[1].Get()), S_OK);
    EXPECT_EQ(list->Insert(5, items[1].Get()), E_FAIL) << "the inner array's answer";
    ComPtr<ITestItem> item;
    ASSERT_EQ(list->Next(item.Out()), S_OK);
    EXPECT_EQ(item->Tag(), 2);
    ASSERT_EQ(list->RemoveAll(), S_OK);
    ASSERT_EQ(list->Add(items[0].Get()), S_OK);
    ASSERT_EQ(list->Next(item.Out()), S_OK) << "remove all resets the cursor";
    EXPECT_EQ(item->Tag(), 1);
    EXPECT_EQ(list->Next(item.Out()), S_FALSE);

    // A null element and an element without the item interface.
    auto stranger = MakeObject<ObjectArray>();
    ASSERT_EQ(list->Add(nullptr), S_OK);
    ASSERT_EQ(list->Add(stranger->InnerUnknown()), S_OK);
    EXPECT_EQ(list->Next(item.Out()), E_POINTER);
    EXPECT_EQ(list->Next(item.Out()), E_NOINTERFACE);
    EXPECT_EQ(list->Next(item.Out()), S_FALSE) << "the cursor moved past both";
    ASSERT_EQ(list->Replace(1, nullptr), S_OK);
    EXPECT_EQ(list->Replace(3, nullptr), E_FAIL);
}

TEST_F(EnumeratorTest, EnumeratorNextSkipCloneFromTheSameCursor) {
    ComPtr<IEnumTestItems> list = MakeObject<Enumerator<IEnumTestItems, ITestItem>>(Items({1, 2, 3}));
    ITestItem* got[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(list->Next(2, got, nullptr), E_POINTER) << "more than one needs a count";
    ASSERT_EQ(list->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0]->Tag(), 1);
    got[0]->Release();

    ComPtr<IEnumTestItems> clone;
    ASSERT_EQ(list->Clone(clone.Out()), S_OK);
    EXPECT_EQ(list->Skip(1), S_OK);
    ASSERT_EQ(list->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0]->Tag(), 3);
    EXPECT_EQ(got[1], nullptr);
    got[0]->Release();
    EXPECT_EQ(list->Skip(1), S_FALSE);

    ASSERT_EQ(clone->Next(2, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0]->Tag(), 2) << "the clone starts where the original stood";
    got[0]->Release();
    got[1]->Release();
}

} // namespace
} // namespace tavi::test
