// The process's environment settings through the environment manager: the defaults, text and values checked by the
// setting's data type and domain, copies handed out, one store seen by every manager on every thread and by the
// utility object's output coordinate system, settings of the host's own, and the store going with its last holder.
#include "TestSupport.h"

#include "host/SpatialReference.h"
#include "platform/BStr.h"
#include "tavi/DataAccess.h"
#include "tavi/Entry.h"
#include "tavi/GPEnvironment.h"
#include "tavi/GPExtent.h"
#include "tavi/GPParameter.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUtilities.h"
#include "tavi/Geometry.h"

#include <thread>

namespace tavi::test {
namespace {

class GPEnvironmentManagerTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        manager_ = Create<IGPEnvironmentManager>(CLSID_GPEnvironmentManager);
        ASSERT_TRUE(manager_);
    }
    void TearDown() override {
        manager_ = nullptr;
        ModuleClassesTest::TearDown(); // the store goes with the last manager: nothing may be left counted
    }

    // The setting's text, or "(hr)" when it cannot be read.
    std::u16string Text(const char16_t* name) {
        BStr text;
        HRESULT hr = manager_->GetEnvironmentText(name, text.Out());
        return SUCCEEDED(hr) ? std::u16string(text.view()) : u"(failed)";
    }
    // Sets the text; the error code of the message (0 when it is no error).
    int32_t SetText(const char16_t* name, const char16_t* text) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(manager_->SetEnvironmentText(name, text, message.Out()), S_OK);
        VARIANT_BOOL error = VARIANT_FALSE;
        int32_t code = 0;
        if (message && SUCCEEDED(message->IsError(&error)) && error)
            message->get_ErrorCode(&code);
        return error ? (code ? code : -1) : 0;
    }
    bool Altered(const char16_t* name) {
        ComPtr<IGPEnvironment> setting;
        EXPECT_EQ(manager_->GetEnvironment(name, setting.Out()), S_OK);
        VARIANT_BOOL altered = VARIANT_FALSE;
        if (auto impl = QueryAs<IGPEnvironmentImpl2>(setting.Get()))
            impl->get_Altered(&altered);
        return altered != VARIANT_FALSE;
    }
    static ComPtr<ISpatialReference> System(const char16_t* text) {
        ComPtr<ISpatialReference> made;
        EXPECT_EQ(CreateSpatialReferenceFromText(text, made.Out()), S_OK);
        return made;
    }
    static int32_t Code(ISpatialReference* system) {
        int32_t code = 0;
        if (system)
            system->get_FactoryCode(&code);
        return code;
    }

    ComPtr<IGPEnvironmentManager> manager_;
};

TEST_F(GPEnvironmentManagerTest, DefaultSettingsHaveTypesNoValuesAndTheirOrder) {
    const char16_t* expected[][2] = {
        {u"workspace", u"DEType"},
        {u"scratchWorkspace", u"DEType"},
        {u"outputCoordinateSystem", u"GPCoordinateSystem"},
        {u"extent", u"GPExtent"},
        {u"XYResolution", u"GPLinearUnit"},
        {u"XYTolerance", u"GPLinearUnit"},
        {u"outputZFlag", u"GPString"},
        {u"outputMFlag", u"GPString"},
        {u"cellSize", u"GPCellSizeXY"},
        {u"randomGenerator", u"GPRandomNumberGenerator"},
        {u"qualifiedFieldNames", u"GPBoolean"},
        {u"parallelProcessingFactor", u"GPString"},
    };
    int32_t count = 0;
    ASSERT_EQ(manager_->get_Count(&count), S_OK);
    ASSERT_EQ(count, static_cast<int32_t>(std::size(expected)));
    ComPtr<IEnumGPEnvironment> settings;
    ASSERT_EQ(manager_->get_Environments(settings.Out()), S_OK);
    int32_t order = 0;
    for (const auto& row : expected) {
        SCOPED_TRACE(ToUtf8(row[0]));
        ComPtr<IGPEnvironment> setting;
        ASSERT_EQ(settings->Next(setting.Out()), S_OK);
        BStr name, typeName;
        setting->get_Name(name.Out());
        EXPECT_EQ(name.view(), row[0]);
        ComPtr<IGPDataType> dataType;
        ASSERT_EQ(setting->get_DataType(dataType.Out()), S_OK);
        ASSERT_TRUE(dataType);
        dataType->get_Name(typeName.Out());
        EXPECT_EQ(typeName.view(), row[1]);
        ComPtr<IGPValue> value;
        EXPECT_EQ(setting->get_Value(value.Out()), S_OK);
        EXPECT_FALSE(value);
        int32_t displayOrder = -1;
        setting->get_DisplayOrder(&displayOrder);
        EXPECT_EQ(displayOrder, order++);
    }
    ComPtr<IGPEnvironment> past;
    EXPECT_EQ(settings->Next(past.Out()), S_FALSE);

    ComPtr<IGPEnvironment> unknown;
    EXPECT_EQ(manager_->GetEnvironment(u"noSuchSetting", unknown.Out()), E_INVALIDARG);
    ComPtr<IGPEnvironment> anyCase;
    EXPECT_EQ(manager_->GetEnvironment(u"XYTOLERANCE", anyCase.Out()), S_OK); // names in any letter case
}

TEST_F(GPEnvironmentManagerTest, TextIsReadByTheDataTypeAndDomainAndRefusedTextChangesNothing) {
    struct Case {
        const char16_t* name;
        const char16_t* text;
        bool refused;
        const char16_t* after; // the setting's text afterwards
    };
    const Case cases[] = {
        {u"XYTolerance", u"0.001 Meters", false, u"0.001 Meters"},
        {u"XYTolerance", u"lots", true, u"0.001 Meters"}, // not a linear unit: the earlier value stays
        {u"outputZFlag", u"Enabled", false, u"Enabled"},
        {u"outputZFlag", u"Sometimes", true, u"Enabled"}, // outside the coded domain
        {u"qualifiedFieldNames", u"false", false, u"false"},
        {u"XYTolerance", u"", false, u""}, // the empty text clears
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name) + " = " + ToUtf8(c.text));
        EXPECT_EQ(SetText(c.name, c.text) != 0, c.refused);
        EXPECT_EQ(Text(c.name), c.after);
    }
    EXPECT_TRUE(Altered(u"outputZFlag"));
    EXPECT_FALSE(Altered(u"XYTolerance")); // cleared: back to the default
    ComPtr<IGPMessage> message;
    EXPECT_EQ(manager_->SetEnvironmentText(u"noSuchSetting", u"1", message.Out()), E_INVALIDARG);

    ASSERT_EQ(manager_->ResetEnvironments(), S_OK);
    EXPECT_EQ(Text(u"outputZFlag"), u"");
    EXPECT_FALSE(Altered(u"outputZFlag"));
}

TEST_F(GPEnvironmentManagerTest, ValuesGoInAndComeOutAsCopies) {
    ComPtr<IGPValue> tolerance;
    auto utilities = Create<IGPUtilities>(CLSID_GPUtilities);
    ASSERT_EQ(utilities->MakeGPValueFromText(u"GPLinearUnit", u"2 Feet", tolerance.Out()), S_OK);
    ASSERT_EQ(manager_->SetEnvironmentValue(u"XYTolerance", tolerance.Get()), S_OK);
    tolerance->SetAsText(u"7 Meters", nullptr); // the setting holds its own copy
    EXPECT_EQ(Text(u"XYTolerance"), u"2 Feet");

    ComPtr<IGPValue> first, second;
    ASSERT_EQ(manager_->GetEnvironmentValue(u"XYTolerance", first.Out()), S_OK);
    ASSERT_EQ(manager_->GetEnvironmentValue(u"XYTolerance", second.Out()), S_OK);
    EXPECT_FALSE(SameObject(first.Get(), second.Get()));
    first->SetAsText(u"9 Meters", nullptr);
    EXPECT_EQ(Text(u"XYTolerance"), u"2 Feet");

    ComPtr<IGPEnvironment> copy;
    ASSERT_EQ(manager_->GetEnvironment(u"XYTolerance", copy.Out()), S_OK);
    copy->put_Category(u"changed elsewhere");
    ComPtr<IGPEnvironment> again;
    ASSERT_EQ(manager_->GetEnvironment(u"XYTolerance", again.Out()), S_OK);
    BStr category;
    again->get_Category(category.Out());
    EXPECT_EQ(category.view(), u"XY Resolution and Tolerance");

    ComPtr<IGPValue> text;
    ASSERT_EQ(utilities->MakeGPValueFromText(u"GPString", u"2 Feet", text.Out()), S_OK);
    EXPECT_EQ(manager_->SetEnvironmentValue(u"XYTolerance", text.Get()), E_INVALIDARG); // the data type refuses it
    EXPECT_EQ(Text(u"XYTolerance"), u"2 Feet");
    ComPtr<IGPValue> none;
    EXPECT_EQ(manager_->GetEnvironmentValue(u"extent", none.Out()), S_FALSE);
    EXPECT_FALSE(none);
}

TEST_F(GPEnvironmentManagerTest, OneStoreForEveryManagerThreadAndTheUtilityObject) {
    EXPECT_EQ(SetText(u"outputCoordinateSystem", u"EPSG:3857"), 0);

    // The utility object's output coordinate system is a view of the setting, on every thread.
    int32_t seenOnThread = 0, setOnThread = 0;
    std::thread other([&] {
        {
            ComPtr<IGPUtilities> utilities;
            AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities.OutVoid());
            ComPtr<ISpatialReference> system;
            if (utilities && utilities->get_OutputCoordinateSystem(system.Out()) == S_OK)
                seenOnThread = Code(system.Get());
            ComPtr<IGPEnvironmentManager> manager;
            AfCreateInstance(CLSID_GPEnvironmentManager, nullptr, CLSCTX_INPROC_SERVER, IGPEnvironmentManager::iid,
                             manager.OutVoid());
            ComPtr<IGPMessage> message;
            if (manager && manager->SetEnvironmentText(u"XYTolerance", u"1 Meters", message.Out()) == S_OK)
                setOnThread = 1;
        }
        DllCanUnloadNow(); // the thread's utility object goes; the settings stay with this test's manager
    });
    other.join();
    EXPECT_EQ(seenOnThread, 3857);
    EXPECT_EQ(setOnThread, 1);
    EXPECT_EQ(Text(u"XYTolerance"), u"1 Meters");

    auto utilities = Create<IGPUtilities>(CLSID_GPUtilities);
    auto utm = System(u"EPSG:32633");
    ASSERT_EQ(utilities->put_OutputCoordinateSystem(utm.Get()), S_OK);
    ComPtr<ISpatialReference> kept;
    ASSERT_EQ(manager_->GetSpatialReference(u"outputCoordinateSystem", kept.Out()), S_OK);
    EXPECT_TRUE(SameObject(kept.Get(), utm.Get())); // kept by reference
    EXPECT_TRUE(Altered(u"outputCoordinateSystem"));

    // An extent's numbers are taken to be in the output coordinate system.
    auto extent = Create<IGPValue>(CLSID_GPExtent);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(extent->SetAsText(u"1 2 3 4", message.Out()), S_OK);
    ComPtr<IGPExtent> asExtent = extent.As<IGPExtent>();
    ComPtr<IEnvelope> envelope;
    int32_t type = 0;
    ASSERT_TRUE(asExtent && SUCCEEDED(asExtent->get_Extent(&type, envelope.Out())) && envelope);
    ComPtr<ISpatialReference> system;
    envelope->get_SpatialReference(system.Out());
    EXPECT_EQ(Code(system.Get()), 32633);

    ASSERT_EQ(utilities->put_OutputCoordinateSystem(nullptr), S_OK);
    ComPtr<ISpatialReference> cleared;
    EXPECT_EQ(utilities->get_OutputCoordinateSystem(cleared.Out()), S_FALSE);
    EXPECT_EQ(manager_->GetSpatialReference(u"XYTolerance", cleared.Out()), E_INVALIDARG); // holds no system
}

TEST_F(GPEnvironmentManagerTest, SettingsOfTheHostsOwnAreAddedReplacedAndRemoved) {
    auto setting = Create<IGPEnvironment>(CLSID_GPEnvironment);
    auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
    ComPtr<IGPDataType> longType;
    ASSERT_EQ(factory->GetDataType(u"GPLong", longType.Out()), S_OK);
    EXPECT_EQ(manager_->AddEnvironment(setting.Get()), E_INVALIDARG); // a setting needs a name
    setting->put_Name(u"tileSize");
    setting->putref_DataType(longType.Get());
    ASSERT_EQ(manager_->AddEnvironment(setting.Get()), S_OK);
    setting->put_Category(u"changed after adding"); // a copy was added

    EXPECT_EQ(SetText(u"TILESIZE", u"256"), 0);
    EXPECT_EQ(Text(u"tileSize"), u"256");
    EXPECT_NE(SetText(u"tileSize", u"big"), 0);
    int32_t count = 0;
    manager_->get_Count(&count);
    EXPECT_EQ(count, 13);

    ASSERT_EQ(manager_->AddEnvironment(setting.Get()), S_OK); // the same name replaces it
    manager_->get_Count(&count);
    EXPECT_EQ(count, 13);
    EXPECT_EQ(Text(u"tileSize"), u"");

    ASSERT_EQ(manager_->RemoveEnvironment(u"tileSize"), S_OK);
    EXPECT_EQ(manager_->RemoveEnvironment(u"tileSize"), E_INVALIDARG);
    manager_->get_Count(&count);
    EXPECT_EQ(count, 12);
}

TEST_F(GPEnvironmentManagerTest, TheHostHandsOutTheManagerAndTheTestObjectListsTheSettings) {
    auto host = Create<IGPEnvironmentHost>(CLSID_GPEnvironmentHost);
    ComPtr<IGPEnvironmentManager> viaHost;
    ASSERT_EQ(host->get_EnvironmentManager(viaHost.Out()), S_OK);
    EXPECT_EQ(SetText(u"parallelProcessingFactor", u"50%"), 0);
    BStr text;
    ASSERT_EQ(viaHost->GetEnvironmentText(u"parallelProcessingFactor", text.Out()), S_OK);
    EXPECT_EQ(text.view(), u"50%");

    auto test = Create<IGPTest>(CLSID_GPTest);
    ComPtr<IEnumGPEnvironment> settings;
    ASSERT_EQ(test->GetEnvironments(settings.Out()), S_OK);
    ASSERT_TRUE(settings);
    int32_t listed = 0;
    ComPtr<IGPEnvironment> setting;
    while (settings->Next(setting.Out()) == S_OK)
        ++listed;
    EXPECT_EQ(listed, 12);
}

TEST_F(GPEnvironmentManagerTest, TheSettingsGoWithTheirLastHolder) {
    EXPECT_EQ(SetText(u"XYTolerance", u"3 Meters"), 0);
    auto second = Create<IGPEnvironmentManager>(CLSID_GPEnvironmentManager);
    DllCanUnloadNow(); // managers still hold the settings
    EXPECT_EQ(Text(u"XYTolerance"), u"3 Meters");
    manager_ = nullptr;
    second = nullptr;
    DllCanUnloadNow(); // nothing holds them now
    manager_ = Create<IGPEnvironmentManager>(CLSID_GPEnvironmentManager);
    EXPECT_EQ(Text(u"XYTolerance"), u""); // a new store starts from the defaults
}

} // namespace
} // namespace tavi::test
