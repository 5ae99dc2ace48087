// Object creation by class identifier: the host's classes first, then the module's class source, then libraries
// registered in the registry store; REGDB_E_CLASSNOTREG when none knows the class.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "tavi/Categories.h"
#include "tavi/Entry.h"
#include "tavi/Registry.h"
#include "tavi/Stream.h"

#include <filesystem>
#include <string>

namespace tavi {
namespace {

struct ISample : IUnknown {
    static constexpr IID iid{0x5A1E0002, 0, 0, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
    virtual int32_t Value() = 0;
};

class Sample final : public Object<Sample, ISample> {
public:
    static constexpr CLSID kClassId{0x5A1E0003, 0, 0, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
    int32_t Value() override { return 42; }
};

class SampleFactory final : public Object<SampleFactory, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return tavi::CreateInstance<Sample>(outer, riid, ppv);
    }
    HRESULT LockServer(int32_t) override { return S_OK; }
};

int sourceCalls = 0;

HRESULT SampleSource(REFCLSID clsid, REFIID riid, void** ppv) {
    ++sourceCalls;
    *ppv = nullptr;
    if (!(clsid == Sample::kClassId))
        return CLASS_E_CLASSNOTAVAILABLE;
    return MakeObject<SampleFactory>()->QueryInterface(riid, ppv);
}

class CreateInstanceTest : public test::LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        saved_ = ModuleClassSource();
        SetModuleClassSource(&SampleSource);
        sourceCalls = 0;
    }
    void TearDown() override {
        SetModuleClassSource(saved_);
        LeakCheckedTest::TearDown();
    }
    // Registers `clsid` with an in-process library path, as registration would.
    static void RegisterLibrary(REFCLSID clsid, const std::u16string& path) {
        OLECHAR text[40];
        ASSERT_GT(StringFromGUID2(clsid, text, 40), 0);
        std::u16string keyName = u"CLSID\\" + std::u16string(text) + u"\\InprocServer32";
        HKEY key = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, nullptr, 0, KEY_READ_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const uint8_t*>(path.c_str()),
                                 static_cast<DWORD>((path.size() + 1) * sizeof(OLECHAR))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    ClassObjectSource saved_ = nullptr;
};

TEST_F(CreateInstanceTest, HostClassesComeFirst) {
    size_t count = 0;
    const HostClassRow* rows = HostClassTable(&count);
    ASSERT_GE(count, 1u);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(ToUtf8(rows[i].name));
        ComPtr<IUnknown> object;
        EXPECT_EQ(AfCreateInstance(rows[i].clsid, nullptr, CLSCTX_ALL, IUnknown::iid, object.OutVoid()), S_OK);
        EXPECT_TRUE(object);
    }
    ComPtr<ICatRegister> categories;
    EXPECT_EQ(AfCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, ICatRegister::iid,
                               categories.OutVoid()),
              S_OK);
    EXPECT_TRUE(categories);
    EXPECT_EQ(sourceCalls, 0); // the module was not asked
}

TEST_F(CreateInstanceTest, ModuleSourceServesItsClasses) {
    ComPtr<ISample> sample;
    ASSERT_EQ(AfCreateInstance(Sample::kClassId, nullptr, CLSCTX_ALL, ISample::iid, sample.OutVoid()), S_OK);
    EXPECT_EQ(sample->Value(), 42);

    // The factory's own failures come back as they are.
    ComPtr<IStream> wrong;
    EXPECT_EQ(AfCreateInstance(Sample::kClassId, nullptr, CLSCTX_ALL, IStream::iid, wrong.OutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(wrong);
    ComPtr<IUnknown> outer = ComPtr<IUnknown>(sample.Get());
    EXPECT_EQ(AfCreateInstance(Sample::kClassId, outer.Get(), CLSCTX_ALL, ISample::iid, wrong.OutVoid()),
              CLASS_E_NOAGGREGATION);
}

TEST_F(CreateInstanceTest, UnknownAndBrokenRegistrationsAreNotRegistered) {
    constexpr CLSID kNobody{0x5A1E00FF, 0, 0, {0x80, 0, 0, 0, 0, 0, 0, 0xFF}};
    constexpr CLSID kMissingLibrary{0x5A1E00FE, 0, 0, {0x80, 0, 0, 0, 0, 0, 0, 0xFE}};
    constexpr CLSID kNoEntryPoint{0x5A1E00FD, 0, 0, {0x80, 0, 0, 0, 0, 0, 0, 0xFD}};
    RegisterLibrary(kMissingLibrary, u"/nonexistent/libnothing.so");
    RegisterLibrary(kNoEntryPoint, u"libm.so.6"); // a real library without the class entry point
    for (const CLSID& clsid : {kNobody, kMissingLibrary, kNoEntryPoint}) {
        SCOPED_TRACE(clsid.Data1);
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_ALL, IUnknown::iid, &out), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_GT(sourceCalls, 0); // the module was asked before the registry
    EXPECT_EQ(AfCreateInstance(kNobody, nullptr, CLSCTX_ALL, IUnknown::iid, nullptr), E_POINTER);

    // Without a module source, its classes are unknown too.
    SetModuleClassSource(nullptr);
    ComPtr<IUnknown> object;
    EXPECT_EQ(AfCreateInstance(Sample::kClassId, nullptr, CLSCTX_ALL, IUnknown::iid, object.OutVoid()),
              REGDB_E_CLASSNOTREG);
}

TEST_F(CreateInstanceTest, RegisteredLibrariesAreLoadedForTheirClasses) {
    // The library built beside the tests serves as a registered in-process server.
    std::filesystem::path library =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "libtaviGeoprocessing.so";
    if (!std::filesystem::exists(library))
        GTEST_SKIP() << "the shared library is not built: " << library;
    TaviClassInfo info{};
    int32_t found = -1;
    for (int32_t i = 0; i < TaviGetClassCount() && found < 0; ++i)
        if (SUCCEEDED(TaviGetClassInfo(i, &info)) && info.provided && info.factoryKind == TaviFactoryPlain)
            found = i;
    if (found < 0)
        GTEST_SKIP() << "no class is provided yet";

    // Only the registry knows the class once the module's own source is withdrawn.
    SetModuleClassSource(nullptr);
    RegisterLibrary(info.classId, FromUtf8(library.string()));
    ComPtr<IUnknown> object;
    ASSERT_EQ(AfCreateInstance(info.classId, nullptr, CLSCTX_ALL, IUnknown::iid, object.OutVoid()), S_OK);
    EXPECT_TRUE(object);
}

} // namespace
} // namespace tavi
