// BSTR allocation: the byte-count prefix, null and empty texts, odd byte lengths, reallocation from the string
// itself.
#include "TestSupport.h"

#include "platform/HandOut.h"

#include <cstring>

namespace tavi::test {
namespace {

class BstrTest : public LeakCheckedTest {};

uint32_t prefixOf(BSTR text) {
    uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof(uint32_t), sizeof bytes);
    return bytes;
}

TEST_F(BstrTest, NullAndEmpty) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    BStr empty = BStr::Adopt(SysAllocStringLen(nullptr, 0));
    ASSERT_NE(empty.Get(), nullptr); // an empty text is not a null BSTR
    EXPECT_EQ(SysStringLen(empty.Get()), 0u);
    EXPECT_EQ(empty.Get()[0], u'\0');
    // A null BSTR reads as the empty text.
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST_F(BstrTest, PrefixCountsBytes) {
    BStr text = BStr::Adopt(SysAllocString(u"Test"));
    ASSERT_NE(text.Get(), nullptr);
    EXPECT_EQ(prefixOf(text.Get()), 8u);
    EXPECT_EQ(SysStringLen(text.Get()), 4u);
    EXPECT_EQ(SysStringByteLen(text.Get()), 8u);
    EXPECT_EQ(text.view(), u"Test");
    EXPECT_EQ(text.Get()[4], u'\0');
}

TEST_F(BstrTest, LengthKeepsEmbeddedZerosAndZeroFillsWithoutSource) {
    const char16_t withZero[] = {u'a', u'\0', u'b'};
    BStr text = BStr::Adopt(SysAllocStringLen(withZero, 3));
    EXPECT_EQ(SysStringLen(text.Get()), 3u);
    EXPECT_EQ(text.view(), std::u16string_view(withZero, 3));
    BStr blank = BStr::Adopt(SysAllocStringLen(nullptr, 5));
    ASSERT_EQ(SysStringLen(blank.Get()), 5u);
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(blank.Get()[i], u'\0');
}

TEST_F(BstrTest, OddByteLengthIsKeptAndTerminated) {
    BSTR text = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringByteLen(text), 3u);
    EXPECT_EQ(SysStringLen(text), 1u);
    const char* bytes = reinterpret_cast<const char*>(text);
    EXPECT_EQ(std::memcmp(bytes, "abc", 3), 0);
    EXPECT_EQ(bytes[3], '\0'); // terminated right after the odd length
    EXPECT_EQ(bytes[4], '\0');
    SysFreeString(text);

    BSTR unfilled = SysAllocStringByteLen(nullptr, 1);
    ASSERT_NE(unfilled, nullptr);
    EXPECT_EQ(SysStringByteLen(unfilled), 1u);
    SysFreeString(unfilled);
}

TEST_F(BstrTest, ReallocationReturnsTrueAndMayReadItself) {
    BSTR text = SysAllocString(u"Hello world");
    ASSERT_EQ(SysReAllocString(&text, text + 6), 1); // the source is the string being replaced
    EXPECT_EQ(std::u16string_view(text, SysStringLen(text)), u"world");

    ASSERT_EQ(SysReAllocStringLen(&text, text, 3), 1);
    EXPECT_EQ(std::u16string_view(text, SysStringLen(text)), u"wor");

    ASSERT_EQ(SysReAllocStringLen(&text, nullptr, 2), 1);
    EXPECT_EQ(SysStringLen(text), 2u);

    ASSERT_EQ(SysReAllocString(&text, nullptr), 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 0u);
    SysFreeString(text);

    EXPECT_EQ(SysReAllocString(nullptr, u"x"), 0);
    BSTR null = nullptr;
    ASSERT_EQ(SysReAllocString(&null, u"new"), 1); // a null target is simply filled
    EXPECT_EQ(SysStringLen(null), 3u);
    SysFreeString(null);
}

TEST_F(BstrTest, LengthsPastThePrefixFail) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
    BSTR text = SysAllocString(u"kept");
    EXPECT_EQ(SysReAllocStringLen(&text, nullptr, 0x80000000u), 0);
    EXPECT_EQ(std::u16string_view(text, SysStringLen(text)), u"kept"); // unchanged on failure
    SysFreeString(text);
}

// A text too long for a BSTR cannot be copied: the owner throws rather than hold null, the guard of an interface
// operation answers E_OUTOFMEMORY, and HandOut says so instead of handing out null with S_OK.
TEST_F(BstrTest, FailedCopiesAreOutOfMemoryNeverNull) {
    const char16_t one = u'x';
    const std::u16string_view tooLong(&one, 0x80000000u); // never read: the length alone is refused
    EXPECT_THROW(BStr{tooLong}, std::bad_alloc);
    EXPECT_THROW(Variant::Text(tooLong), std::bad_alloc);
    BSTR out = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(guard([&] { out = BStr(tooLong).Detach(); }), E_OUTOFMEMORY);
    EXPECT_EQ(HandOut(tooLong, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(HandOut(u"fits", nullptr), E_POINTER);
    ASSERT_EQ(HandOut(u"fits", &out), S_OK);
    EXPECT_EQ(BStr::Adopt(out).view(), u"fits");
    EXPECT_TRUE(BStr(static_cast<const OLECHAR*>(nullptr)).IsNull()) << "only a null text makes a null owner";
}

TEST_F(BstrTest, TaskMemoryRoundTrip) {
    void* block = CoTaskMemAlloc(0);
    EXPECT_NE(block, nullptr);
    CoTaskMemFree(block);
    auto* bytes = static_cast<char*>(CoTaskMemAlloc(64));
    ASSERT_NE(bytes, nullptr);
    std::memset(bytes, 0x5A, 64);
    CoTaskMemFree(bytes);
    CoTaskMemFree(nullptr);
}

} // namespace
} // namespace tavi::test
