// Locales: names and identifiers, the user default and thread locales, and the separators the conversions use.
#include "TestSupport.h"

#include "platform/Locale.h"

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

namespace tavi::test {
namespace {

class LocaleTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        saved_ = GetUserDefaultLCID();
    }
    void TearDown() override {
        locale::SetUserDefaultLocaleForTesting(saved_);
        SetThreadLocale(saved_);
        LeakCheckedTest::TearDown();
    }

private:
    LCID saved_ = 1033;
};

TEST_F(LocaleTest, NamesMapToIdentifiers) {
    struct Case {
        const char* name;
        LCID lcid;
    };
    const Case cases[] = {
        {"de_DE", 1031}, {"de_DE.UTF-8", 1031},
        {"de-DE", 1031}, {"de_DE.UTF-8@euro", 1031},
        {"DE_de", 1031}, {"C", 1033},
        {"POSIX", 1033}, {"C.UTF-8", 1033},
        {"en_US", 1033}, {"en_GB", 2057},
        {"fr", 1036},    {"pt_PT", 2070},
        {"pt", 1046},    {"zh_TW", 1028},
        {"ar_SA", 1025}, {"th_TH", 1054},
        {"xx_YY", 0},    {"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(locale::FromName(c.name), c.lcid);
    }
}

TEST_F(LocaleTest, IdentifiersMapToIcuLocales) {
    struct Case {
        LCID lcid;
        const char* icu;
    };
    const Case cases[] = {
        {1033, "en_US"}, {1031, "de_DE"},      {1036, "fr_FR"}, {2057, "en_GB"}, {1040, "it_IT"}, {3082, "es_ES"},
        {1043, "nl_NL"}, {1041, "ja_JP"},      {2052, "zh_CN"}, {1049, "ru_RU"}, {1025, "ar_SA"}, {1054, "th_TH"},
        {1045, "pl_PL"}, {1046, "pt_BR"},      {2070, "pt_PT"}, {1053, "sv_SE"}, {1044, "nb_NO"}, {1030, "da_DK"},
        {1035, "fi_FI"}, {1055, "tr_TR"},      {1029, "cs_CZ"}, {1038, "hu_HU"}, {1042, "ko_KR"}, {1028, "zh_TW"},
        {1037, "he_IL"}, {127, "en_US_POSIX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcid);
        EXPECT_EQ(locale::IcuName(c.lcid), c.icu);
        EXPECT_EQ(locale::FromName(c.icu), c.lcid); // and back
    }
}

// Runs in a child process that the test below starts with a chosen environment: the user default is read from the
// environment once, so only a fresh process shows how it is read.
TEST_F(LocaleTest, UserDefaultFromEnvironmentChild) {
    const char* expected = std::getenv("TAVI_TEST_EXPECTED_LCID");
    if (!expected)
        GTEST_SKIP() << "runs only as the child of UserDefaultComesFromTheEnvironment";
    EXPECT_EQ(GetUserDefaultLCID(), LCID(std::atoi(expected)));
    EXPECT_EQ(GetThreadLocale(), LCID(std::atoi(expected)));
}

TEST_F(LocaleTest, UserDefaultComesFromTheEnvironment) {
    if (std::getenv("TAVI_TEST_EXPECTED_LCID"))
        GTEST_SKIP();
    struct Case {
        std::vector<std::string> environment;
        LCID lcid;
    };
    const Case cases[] = {
        {{"TAVI_LOCALE=de_DE.UTF-8", "LC_ALL=fr_FR", "LANG=it_IT"}, 1031}, // the library's own variable first
        {{"LC_ALL=fr_FR.UTF-8", "LC_NUMERIC=de_DE", "LANG=it_IT"}, 1036},
        {{"LC_NUMERIC=it-IT", "LANG=de_DE"}, 1040},
        {{"LANG=ja_JP.eucJP"}, 1041},
        {{"LANG=C"}, 1033},
        {{"LC_ALL=POSIX"}, 1033},
        {{"TAVI_LOCALE=xx_YY"}, 1033}, // unknown: en-US
        {{}, 1033},
    };
    for (const auto& c : cases) {
        std::vector<std::string> environment = c.environment;
        environment.push_back("TAVI_TEST_EXPECTED_LCID=" + std::to_string(c.lcid));
        std::vector<char*> envp;
        for (auto& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string filter = "--gtest_filter=LocaleTest.UserDefaultFromEnvironmentChild";
        std::string self = "/proc/self/exe";
        char* argv[] = {self.data(), filter.data(), nullptr};
        SCOPED_TRACE(c.lcid);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

TEST_F(LocaleTest, DefaultsResolveToTheUserDefault) {
    locale::SetUserDefaultLocaleForTesting(1031);
    EXPECT_EQ(GetUserDefaultLCID(), 1031u);
    for (LCID alias : {0u, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT | LOCALE_NOUSEROVERRIDE})
        EXPECT_EQ(locale::Resolve(alias), 1031u);
    EXPECT_EQ(locale::Resolve(1036 | LOCALE_NOUSEROVERRIDE), 1036u);
    // The conversions follow the new default.
    Variant half = Variant::Double(0.5);
    ASSERT_EQ(half.ChangeType(VT_BSTR), S_OK);
    EXPECT_EQ(std::u16string_view(half.bstrVal), u"0,5");
    Variant number;
    Variant text = Variant::Text(u"1.234,5");
    ASSERT_EQ(VariantChangeType(&number, &text, 0, VT_R8), S_OK);
    EXPECT_EQ(number.dblVal, 1234.5);
}

TEST_F(LocaleTest, ThreadLocaleIsPerThread) {
    locale::SetUserDefaultLocaleForTesting(1033);
    EXPECT_EQ(SetThreadLocale(1036), 1);
    EXPECT_EQ(GetThreadLocale(), 1036u);
    LCID seenElsewhere = 0;
    std::thread([&] { seenElsewhere = GetThreadLocale(); }).join();
    EXPECT_EQ(seenElsewhere, 1033u);       // another thread starts from the user default
    EXPECT_EQ(SetThreadLocale(0xFFFF), 0); // not a locale
    EXPECT_EQ(GetThreadLocale(), 1036u);
    EXPECT_EQ(SetThreadLocale(LOCALE_USER_DEFAULT), 1);
    EXPECT_EQ(GetThreadLocale(), 1033u);
}

TEST_F(LocaleTest, SeparatorsAndWords) {
    struct Case {
        LCID lcid;
        char16_t decimal;
        char16_t thousands;
        bool blankGrouping;
        const char16_t* trueWord;
    };
    const Case cases[] = {
        {1033, u'.', u',', false, u"True"},       {1031, u',', u'.', false, u"Wahr"},
        {1036, u',', u'\u202F', true, u"Vrai"},   {127, u'.', u',', false, u"True"},
        {1049, u',', u'\u00A0', true, u"Истина"}, {1025, u'.', u',', false, u"True"}, // Latin digits' symbols
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcid);
        const locale::LocaleData& data = locale::Data(c.lcid);
        EXPECT_EQ(locale::DecimalSeparator(c.lcid), c.decimal);
        EXPECT_EQ(locale::ThousandsSeparator(c.lcid), c.thousands);
        EXPECT_EQ(data.blankGrouping, c.blankGrouping);
        EXPECT_EQ(data.trueWord, c.trueWord);
    }
    EXPECT_EQ(locale::Data(0xFFFF).lcid, LOCALE_INVARIANT); // no such locale: the invariant facts
    EXPECT_EQ(locale::Data(1033).datePattern, u"M/d/yyyy");
    EXPECT_EQ(locale::Data(1033).timePattern, u"h:mm:ss a");
    EXPECT_EQ(locale::Data(1031).datePattern, u"dd.MM.yyyy");
    EXPECT_EQ(locale::Data(1031).dateOrder, locale::DateOrder::DayMonthYear);
    EXPECT_EQ(locale::Data(1041).dateOrder, locale::DateOrder::YearMonthDay);
}

} // namespace
} // namespace tavi::test
