// Error information: the object's fields, and the per-thread slot of SetErrorInfo/GetErrorInfo.
#include "TestSupport.h"

#include <thread>

namespace tavi {
namespace {

constexpr GUID kSomeInterface{0xE0000001, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

using ErrorInfoTest = test::LeakCheckedTest;

ComPtr<IErrorInfo> MakeErrorInfo(const OLECHAR* description) {
    ComPtr<ICreateErrorInfo> create;
    EXPECT_EQ(CreateErrorInfo(create.Out()), S_OK);
    create->SetDescription(description);
    return create.As<IErrorInfo>();
}

std::u16string DescriptionOf(IErrorInfo* info) {
    BStr text;
    EXPECT_EQ(info->GetDescription(text.Out()), S_OK);
    return text.str();
}

TEST_F(ErrorInfoTest, KeepsWhatWasSet) {
    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.Out()), S_OK);
    auto info = create.As<IErrorInfo>();
    ASSERT_TRUE(info);

    // Nothing set yet: empty texts, a null identifier, context 0.
    BStr text;
    GUID guid = kSomeInterface;
    DWORD context = 7;
    EXPECT_EQ(info->GetSource(text.Out()), S_OK);
    EXPECT_FALSE(text.IsNull());
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, GUID_NULL);
    EXPECT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 0u);

    EXPECT_EQ(create->SetGUID(kSomeInterface), S_OK);
    EXPECT_EQ(create->SetSource(u"taviGeoprocessing.GPString"), S_OK);
    EXPECT_EQ(create->SetDescription(u"The value is empty."), S_OK);
    EXPECT_EQ(create->SetHelpFile(u"help.chm"), S_OK);
    EXPECT_EQ(create->SetHelpContext(817), S_OK);
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, kSomeInterface);
    EXPECT_EQ(info->GetSource(text.Out()), S_OK);
    EXPECT_EQ(text.str(), u"taviGeoprocessing.GPString");
    EXPECT_EQ(DescriptionOf(info.Get()), u"The value is empty.");
    EXPECT_EQ(info->GetHelpFile(text.Out()), S_OK);
    EXPECT_EQ(text.str(), u"help.chm");
    EXPECT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 817u);
    EXPECT_EQ(create->SetSource(nullptr), S_OK); // null clears
    EXPECT_EQ(info->GetSource(text.Out()), S_OK);
    EXPECT_TRUE(text.empty());

    EXPECT_EQ(info->GetDescription(nullptr), E_POINTER);
    EXPECT_EQ(info->GetGUID(nullptr), E_POINTER);
    EXPECT_EQ(info->GetHelpContext(nullptr), E_POINTER);
    EXPECT_EQ(CreateErrorInfo(nullptr), E_POINTER);
}

TEST_F(ErrorInfoTest, SlotHandsOutOnceAndClears) {
    IErrorInfo* out = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(SetErrorInfo(0, MakeErrorInfo(u"first").Get()), S_OK);
    ASSERT_EQ(SetErrorInfo(0, MakeErrorInfo(u"second").Get()), S_OK); // replaces and releases the first
    ComPtr<IErrorInfo> taken;
    ASSERT_EQ(GetErrorInfo(0, taken.Out()), S_OK);
    EXPECT_EQ(DescriptionOf(taken.Get()), u"second");
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(SetErrorInfo(0, taken.Get()), S_OK);
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(GetErrorInfo(0, &out), S_FALSE);

    EXPECT_EQ(SetErrorInfo(1, taken.Get()), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_POINTER);
}

TEST_F(ErrorInfoTest, EachThreadHasItsOwnSlot) {
    ASSERT_EQ(SetErrorInfo(0, MakeErrorInfo(u"main").Get()), S_OK);
    std::u16string seenByWorker;
    bool workerSlotEmpty = false;
    std::thread([&] {
        IErrorInfo* out = nullptr;
        workerSlotEmpty = GetErrorInfo(0, &out) == S_FALSE && !out;
        SetErrorInfo(0, MakeErrorInfo(u"worker").Get());
        ComPtr<IErrorInfo> mine;
        GetErrorInfo(0, mine.Out());
        seenByWorker = mine ? DescriptionOf(mine.Get()) : u"";
    }).join();
    EXPECT_TRUE(workerSlotEmpty);
    EXPECT_EQ(seenByWorker, u"worker");
    ComPtr<IErrorInfo> mine;
    ASSERT_EQ(GetErrorInfo(0, mine.Out()), S_OK);
    EXPECT_EQ(DescriptionOf(mine.Get()), u"main");
}

TEST_F(ErrorInfoTest, EndingThreadReleasesItsSlot) {
    int32_t before = ModuleObjectCount();
    std::thread([] { SetErrorInfo(0, MakeErrorInfo(u"left behind").Get()); }).join();
    EXPECT_EQ(ModuleObjectCount(), before);
}

} // namespace
} // namespace tavi
