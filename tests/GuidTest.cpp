// Identifiers: the braced text form read and written, and random version 4 identifiers.
#include "TestSupport.h"

#include <set>
#include <tuple>

namespace tavi::test {
namespace {

class GuidTest : public LeakCheckedTest {};

constexpr GUID kSample{0x0EE02101, 0x1597, 0x473C, {0xB7, 0x7D, 0x1E, 0xDF, 0xD5, 0x47, 0xAC, 0xE5}};

TEST_F(GuidTest, FormatsUpperCaseWithBraces) {
    OLECHAR buffer[39];
    ASSERT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
    EXPECT_EQ(std::u16string_view(buffer), u"{0EE02101-1597-473C-B77D-1EDFD547ACE5}");
    OLECHAR small[38] = {u'x'};
    EXPECT_EQ(StringFromGUID2(kSample, small, 38), 0); // no room for the terminator
    EXPECT_EQ(small[0], u'x');
    EXPECT_EQ(StringFromGUID2(kSample, nullptr, 39), 0);
}

TEST_F(GuidTest, ReadsBothCasesAndRejectsOtherForms) {
    struct Case {
        const char16_t* text;
        HRESULT clsid; // CLSIDFromString
        HRESULT iid;   // IIDFromString
    };
    const Case cases[] = {
        {u"{0EE02101-1597-473C-B77D-1EDFD547ACE5}", S_OK, S_OK},
        {u"{0ee02101-1597-473c-b77d-1edfd547ace5}", S_OK, S_OK},                    // lower case
        {u"0EE02101-1597-473C-B77D-1EDFD547ACE5", CO_E_CLASSSTRING, E_INVALIDARG},  // no braces
        {u"{0EE02101-1597-473C-B77D-1EDFD547ACE5", CO_E_CLASSSTRING, E_INVALIDARG}, // no closing brace
        {u"{0EE02101-1597-473C-B77D-1EDFD547ACE5} ", CO_E_CLASSSTRING, E_INVALIDARG},
        {u"{0EE02101-1597-473C-B77D1EDFD547ACE5-}", CO_E_CLASSSTRING, E_INVALIDARG}, // hyphen misplaced
        {u"{0EE02101-1597-473C-B77D-1EDFD547ACEG}", CO_E_CLASSSTRING, E_INVALIDARG}, // not hexadecimal
        {u"{}", CO_E_CLASSSTRING, E_INVALIDARG},
        {u"", CO_E_CLASSSTRING, E_INVALIDARG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        GUID clsid = kSample, iid = kSample;
        clsid.Data1 = iid.Data1 = 1;
        EXPECT_EQ(CLSIDFromString(c.text, &clsid), c.clsid);
        EXPECT_EQ(IIDFromString(c.text, &iid), c.iid);
        if (c.clsid == S_OK)
            EXPECT_TRUE(clsid == kSample);
        else
            EXPECT_EQ(clsid.Data1, 1u); // untouched on failure
    }
    GUID null = kSample;
    EXPECT_EQ(CLSIDFromString(nullptr, &null), S_OK);
    EXPECT_TRUE(null == GUID_NULL);
    EXPECT_EQ(CLSIDFromString(u"{}", nullptr), E_POINTER);
}

TEST_F(GuidTest, RandomIdentifiersAreVersionFourAndDistinct) {
    std::set<std::tuple<uint32_t, uint16_t, uint16_t, uint64_t>> seen;
    for (int i = 0; i < 200; ++i) {
        GUID g{};
        ASSERT_EQ(CoCreateGuid(&g), S_OK);
        EXPECT_EQ(g.Data3 >> 12, 4);        // version 4
        EXPECT_EQ(g.Data4[0] & 0xC0, 0x80); // RFC 4122 variant
        uint64_t tail = 0;
        for (uint8_t b : g.Data4)
            tail = tail << 8 | b;
        seen.insert({g.Data1, g.Data2, g.Data3, tail});
        OLECHAR text[39];
        ASSERT_EQ(StringFromGUID2(g, text, 39), 39);
        GUID back{};
        ASSERT_EQ(IIDFromString(text, &back), S_OK);
        EXPECT_TRUE(back == g);
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(CoCreateGuid(nullptr), E_POINTER);
}

} // namespace
} // namespace tavi::test
