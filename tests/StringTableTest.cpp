// The built-in string table, message texts, and localized tables read from beside the library.
#include "TestSupport.h"

#include "host/String.h"
#include "host/StringTable.h"
#include "host/TAVILocale.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tavi {
namespace {

namespace fs = std::filesystem;

using StringTableTest = test::LeakCheckedTest;

TEST_F(StringTableTest, BuiltInTextsAsWritten) {
    struct Case {
        int32_t id;
        const char16_t* text;
    };
    const Case cases[] = {
        {4690, u"String"},
        {4741, u"String Hidden"},
        {4503, u"Boolean data type"},
        {4669, u"Multiple Value"},
        {4729, u"Encrypted String"},
        {4137, u"Building Discipline Layer"}, // spelt right, where the resource had a slip
        {4815, u"Project datasource path length on server is too long"},
        {4869, u"Subtype Layer"},
        {4097, u"Raster Type"},
        {4879, u"Data Type"},
        {1, u""},    // unknown numbers are empty
        {4500, u""}, //
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(LoadResourceString(c.id), c.text);
    }
}

TEST_F(StringTableTest, MessageCodesHaveShortTexts) {
    for (int32_t code : {799, 800, 817, 827, 828, 834, 854, 888, 1665, 1666, 3911}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(MessageText(code).empty());
    }
    EXPECT_EQ(MessageText(12345), u"");
    // Templates keep their inserts for the caller to fill.
    String range = FormatInserts(MessageText(854), {u"0", u"100 Meters"});
    EXPECT_NE(range.find(u"0"), String::npos);
    EXPECT_NE(range.find(u"100 Meters"), String::npos);
    EXPECT_NE(MessageText(800).find(u"%1"), String::npos);
}

TEST_F(StringTableTest, LocalizedTableParsingIsRobust) {
    std::string content = "\xEF\xBB\xBF"            // a byte order mark
                          "4690\tCha\xC3\xAEne\r\n" // Windows line ends and UTF-8 text
                          "# a comment\n"
                          "\n"
                          "notanumber\tx\n"
                          "4504\n" // no tab
                          "\tno number\n"
                          "99999999999\toverflow\n"
                          "4665\ttwo\\nlines\\tand\\\\ a \\q\n"
                          "M799\tValeur non valide\n"
                          "4665\tlater wins\n"
                          "4741\t\xFF\xFE broken"; // ill-formed UTF-8, no final line end
    LocalizedStrings* table = ParseLocalizedStrings(content);
    ASSERT_NE(table, nullptr);
    auto text = [&](int32_t id) {
        const std::u16string* found = FindLocalizedString(table, id);
        return found ? *found : std::u16string(u"<none>");
    };
    EXPECT_EQ(text(4690), u"Cha\u00EEne");
    EXPECT_EQ(text(4504), u"<none>");
    EXPECT_EQ(text(4665), u"later wins");
    EXPECT_EQ(text(4741), u"\uFFFD\uFFFD broken");
    ASSERT_NE(FindLocalizedMessage(table, 799), nullptr);
    EXPECT_EQ(*FindLocalizedMessage(table, 799), u"Valeur non valide");
    EXPECT_EQ(FindLocalizedString(table, 799), nullptr); // messages and resources are kept apart
    FreeLocalizedStrings(table);

    LocalizedStrings* escapes = ParseLocalizedStrings("1\ta\\nb\\tc\\\\d\\q");
    EXPECT_EQ(*FindLocalizedString(escapes, 1), u"a\nb\tc\\d\\q");
    FreeLocalizedStrings(escapes);
}

TEST_F(StringTableTest, LoadsTheTableOfTheUserLocaleFromTheLibraryFolder) {
    fs::path folder = fs::temp_directory_path() / ("tavi-strings-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string module = (folder / "libtaviGeoprocessing.so").string();

    // Nothing beside the library: no table, the English texts serve.
    EXPECT_EQ(TAVILocale::LoadLocalizedRes(module.c_str()), nullptr);
    EXPECT_EQ(LoadResourceString(4690), u"String");

    // The tests run with the user locale en_US; the language alone is the fallback.
    std::ofstream(folder / "taviGeoprocessing.en.strings") << "4690\tText\nM799\tBad number\n";
    LocalizedStrings* table = TAVILocale::LoadLocalizedRes(module.c_str());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(LoadResourceString(4690), u"Text");
    EXPECT_EQ(LoadEnglishResourceString(4690), u"String");
    EXPECT_EQ(LoadResourceString(4504), u"Boolean"); // missing from the table: English
    EXPECT_EQ(MessageText(799), u"Bad number");
    TAVILocale::FreeLocalizedRes(table);
    EXPECT_EQ(LoadResourceString(4690), u"String"); // freeing the active table deactivates it

    // The full locale name wins over the language.
    std::ofstream(folder / "taviGeoprocessing.en_US.strings") << "4690\tRegional\n";
    table = TAVILocale::LoadLocalizedRes(module.c_str());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(LoadResourceString(4690), u"Regional");
    TAVILocale::FreeLocalizedRes(table);

    EXPECT_FALSE(TAVILocale::LibraryFolder().empty());
    EXPECT_NE(TAVILocale::GetLocale(), 0u);
    fs::remove_all(folder);
}

} // namespace
} // namespace tavi
