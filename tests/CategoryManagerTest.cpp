// The component category manager: category descriptions, the categories of classes in the registry, and listing
// the classes of given categories.
#include "TestSupport.h"

#include "platform/CategoryManager.h"
#include "platform/Registry.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tavi {
namespace {

namespace fs = std::filesystem;

constexpr CATID kRed{0xCA7E0001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
constexpr CATID kBlue{0xCA7E0002, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
constexpr CATID kNeeds{0xCA7E0003, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
constexpr CLSID kBoth{0xC1A55001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
constexpr CLSID kRedOnly{0xC1A55002, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
constexpr CLSID kBlueNeedy{0xC1A55003, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
constexpr ULONG kAny = static_cast<ULONG>(-1);

class CategoryManagerTest : public test::LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "tavi-categories-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        ASSERT_EQ(UseRegistryFile((folder_ / "store.db").string()), ERROR_SUCCESS);
        ASSERT_EQ(CreateCategoryManager(nullptr, ICatRegister::iid, registrar_.OutVoid()), S_OK);
        information_ = registrar_.As<ICatInformation>();
        ASSERT_TRUE(information_);
    }
    void TearDown() override {
        registrar_ = nullptr;
        information_ = nullptr;
        UseRegistryFile("");
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        LeakCheckedTest::TearDown();
    }

    static std::u16string Text(REFGUID guid) {
        OLECHAR text[39];
        StringFromGUID2(guid, text, 39);
        return text;
    }
    static bool Exists(const std::u16string& path) { return RegistryKeyExists(HKEY_CLASSES_ROOT, path); }

    // The classes an enumeration lists, read one at a time.
    static std::vector<CLSID> Drain(IEnumCLSID* classes) {
        std::vector<CLSID> found;
        CLSID clsid;
        while (classes->Next(1, &clsid, nullptr) == S_OK)
            found.push_back(clsid);
        return found;
    }
    std::vector<CLSID> Classes(ULONG implementedCount, const CATID* implemented, ULONG requiredCount,
                               const CATID* required) {
        ComPtr<IEnumCLSID> classes;
        EXPECT_EQ(information_->EnumClassesOfCategories(implementedCount, implemented, requiredCount, required,
                                                        classes.Out()),
                  S_OK);
        return classes ? Drain(classes.Get()) : std::vector<CLSID>{};
    }

    // kBoth implements red and blue, kRedOnly red, kBlueNeedy blue and requires kNeeds.
    void RegisterSampleClasses() {
        CATID redBlue[] = {kRed, kBlue};
        CATID blue[] = {kBlue};
        CATID red[] = {kRed};
        CATID needs[] = {kNeeds};
        ASSERT_EQ(registrar_->RegisterClassImplCategories(kBoth, 2, redBlue), S_OK);
        ASSERT_EQ(registrar_->RegisterClassImplCategories(kRedOnly, 1, red), S_OK);
        ASSERT_EQ(registrar_->RegisterClassImplCategories(kBlueNeedy, 1, blue), S_OK);
        ASSERT_EQ(registrar_->RegisterClassReqCategories(kBlueNeedy, 1, needs), S_OK);
        // Keys under CLSID that are not class identifiers are passed over.
        ASSERT_EQ(RegistryWriteString(HKEY_CLASSES_ROOT, u"CLSID\\NotAClass\\Implemented Categories\\" + Text(kRed),
                                      u"", u""),
                  ERROR_SUCCESS);
    }

    fs::path folder_;
    ComPtr<ICatRegister> registrar_;
    ComPtr<ICatInformation> information_;
};

TEST_F(CategoryManagerTest, KeepsCategoryDescriptionsPerLocale) {
    CATEGORYINFO infos[2] = {{kRed, 0x409, {}}, {kRed, 0x40C, {}}};
    std::u16string english = u"Red things";
    english.copy(infos[0].szDescription, english.size());
    // A description that fills the whole buffer without a terminating zero is read to the buffer's end, no further.
    std::fill(std::begin(infos[1].szDescription), std::end(infos[1].szDescription), u'r');
    ASSERT_EQ(registrar_->RegisterCategories(2, infos), S_OK);

    std::u16string text;
    const std::u16string key = u"Component Categories\\" + Text(kRed);
    EXPECT_EQ(RegistryReadString(HKEY_CLASSES_ROOT, key, u"409", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, english);
    EXPECT_EQ(RegistryReadString(HKEY_CLASSES_ROOT, key, u"40c", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::u16string(128, u'r'));

    CATID ids[] = {kRed, kBlue}; // the blue one was never registered
    EXPECT_EQ(registrar_->UnRegisterCategories(2, ids), S_OK);
    EXPECT_FALSE(Exists(key));
    EXPECT_EQ(registrar_->RegisterCategories(1, nullptr), E_POINTER);
    EXPECT_EQ(registrar_->RegisterCategories(0, nullptr), S_OK);
}

TEST_F(CategoryManagerTest, WritesAndRemovesClassCategoryKeys) {
    RegisterSampleClasses();
    const std::u16string implemented = u"CLSID\\" + Text(kBoth) + u"\\Implemented Categories";
    EXPECT_TRUE(Exists(implemented + u"\\" + Text(kRed)));
    EXPECT_TRUE(Exists(implemented + u"\\" + Text(kBlue)));
    EXPECT_TRUE(Exists(u"CLSID\\" + Text(kBlueNeedy) + u"\\Required Categories\\" + Text(kNeeds)));

    CATID red[] = {kRed};
    CATID blue[] = {kBlue};
    EXPECT_EQ(registrar_->UnRegisterClassImplCategories(kBoth, 1, red), S_OK);
    EXPECT_FALSE(Exists(implemented + u"\\" + Text(kRed)));
    EXPECT_TRUE(Exists(implemented));
    // The last one takes the emptied list key with it; the class key stays.
    EXPECT_EQ(registrar_->UnRegisterClassImplCategories(kBoth, 1, blue), S_OK);
    EXPECT_FALSE(Exists(implemented));
    EXPECT_TRUE(Exists(u"CLSID\\" + Text(kBoth)));
    // Nothing registered: nothing to do.
    EXPECT_EQ(registrar_->UnRegisterClassImplCategories(kBoth, 1, blue), S_OK);

    CATID needs[] = {kNeeds};
    EXPECT_EQ(registrar_->UnRegisterClassReqCategories(kBlueNeedy, 1, needs), S_OK);
    EXPECT_FALSE(Exists(u"CLSID\\" + Text(kBlueNeedy) + u"\\Required Categories"));
    EXPECT_EQ(registrar_->RegisterClassImplCategories(kBoth, 1, nullptr), E_POINTER);
    EXPECT_EQ(registrar_->UnRegisterClassReqCategories(kBoth, 2, nullptr), E_POINTER);
}

TEST_F(CategoryManagerTest, ListsClassesOfCategories) {
    RegisterSampleClasses();
    const CATID red[] = {kRed};
    const CATID blue[] = {kBlue};
    const CATID redBlue[] = {kRed, kBlue};
    const CATID needs[] = {kNeeds};
    struct Case {
        const char* what;
        ULONG implementedCount;
        const CATID* implemented;
        ULONG requiredCount;
        const CATID* required;
        std::vector<CLSID> expected;
    };
    const Case cases[] = {
        {"implementing red", 1, red, kAny, nullptr, {kBoth, kRedOnly}},
        {"implementing both: all of them are needed", 2, redBlue, kAny, nullptr, {kBoth}},
        {"blue, able to supply what classes require", 1, blue, 1, needs, {kBoth, kBlueNeedy}},
        {"blue, supplying nothing: the needy class is left out", 1, blue, 0, nullptr, {kBoth}},
        {"any class requiring nothing", kAny, nullptr, 0, nullptr, {kBoth, kRedOnly}},
        {"no implemented filter at all", 0, nullptr, kAny, nullptr, {kBoth, kRedOnly, kBlueNeedy}},
        {"a category nobody implements", 1, needs, kAny, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Classes(c.implementedCount, c.implemented, c.requiredCount, c.required), c.expected);
    }

    EXPECT_EQ(information_->IsClassOfCategories(kBoth, 2, redBlue, kAny, nullptr), S_OK);
    EXPECT_EQ(information_->IsClassOfCategories(kRedOnly, 1, blue, kAny, nullptr), S_FALSE);
    EXPECT_EQ(information_->IsClassOfCategories(kBlueNeedy, 1, blue, 0, nullptr), S_FALSE);
    EXPECT_EQ(information_->IsClassOfCategories(kNeeds, 0, nullptr, kAny, nullptr), S_FALSE); // not a class

    ComPtr<IEnumCLSID> classes;
    EXPECT_EQ(information_->EnumClassesOfCategories(1, nullptr, kAny, nullptr, classes.Out()), E_POINTER);
    EXPECT_EQ(information_->EnumClassesOfCategories(1, red, kAny, nullptr, nullptr), E_POINTER);
}

TEST_F(CategoryManagerTest, EnumeratorStepsSkipsAndClones) {
    RegisterSampleClasses();
    ComPtr<IEnumCLSID> classes;
    ASSERT_EQ(information_->EnumClassesOfCategories(0, nullptr, kAny, nullptr, classes.Out()), S_OK);
    CLSID batch[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(classes->Next(2, batch, nullptr), E_INVALIDARG); // more than one needs a count of fetched items
    EXPECT_EQ(classes->Next(2, batch, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(batch[1], kRedOnly);

    ComPtr<IEnumCLSID> clone;
    ASSERT_EQ(classes->Clone(clone.Out()), S_OK);
    EXPECT_EQ(Drain(clone.Get()), std::vector<CLSID>{kBlueNeedy}); // the clone starts where the original stood

    // Registering more classes does not change an enumeration already made.
    CATID red[] = {kRed};
    ASSERT_EQ(registrar_->RegisterClassImplCategories(kNeeds, 1, red), S_OK);
    EXPECT_EQ(classes->Next(4, batch, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(classes->Skip(1), S_FALSE);
    EXPECT_EQ(classes->Reset(), S_OK);
    EXPECT_EQ(classes->Skip(3), S_OK);
    EXPECT_EQ(classes->Next(1, batch, nullptr), S_FALSE);
    EXPECT_EQ(classes->Next(1, nullptr, &fetched), E_POINTER);
    EXPECT_EQ(classes->Clone(nullptr), E_POINTER);
}

TEST_F(CategoryManagerTest, IsAnObjectOfTheObjectBase) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(CreateCategoryManager(nullptr, IUnknown::iid, unknown.OutVoid()), S_OK);
    EXPECT_TRUE(unknown.As<ICatRegister>());
    EXPECT_EQ(unknown.As<ICatInformation>().As<IUnknown>().Get(), unknown.Get());
    CLSID clsid = GUID_NULL;
    ASSERT_TRUE(unknown.As<IClassID>());
    EXPECT_EQ(unknown.As<IClassID>()->get_ClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_StdComponentCategoriesMgr);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateCategoryManager(nullptr, IClassFactory::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

} // namespace
} // namespace tavi
