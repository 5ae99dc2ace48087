// The data type factory: one factory and one data type object per thread, the case-insensitive catalogue lookup,
// the name objects with their string-table texts, the list of all names, the factory identifier and the layer
// support.
#include "TestSupport.h"

#include "catalogue/DataTypeCatalogue.h"
#include "host/CreateInstance.h"
#include "host/String.h"
#include "host/StringTable.h"
#include "host/UID.h"
#include "module/ModuleTable.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"

#include <thread>
#include <vector>

namespace tavi::test {
namespace {

class DataTypeFactoryTest : public ModuleClassesTest {
protected:
    void TearDown() override {
        // The thread's factory lives in its singleton factory's map until the unload check lets it go.
        ModuleClassesTest::TearDown();
    }

    static ComPtr<IGPDataTypeFactory> Factory() {
        ComPtr<IGPDataTypeFactory> factory;
        EXPECT_EQ(AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, CLSCTX_INPROC_SERVER, IGPDataTypeFactory::iid,
                                   factory.OutVoid()),
                  S_OK);
        return factory;
    }
};

String Text(IGPName* name, HRESULT (IGPName::*get)(BSTR*)) {
    BStr text;
    EXPECT_EQ((name->*get)(text.Out()), S_OK);
    return text.str();
}

bool ClassProvided(const CLSID& clsid) {
    for (const ClassEntry& entry : ModuleClassTable())
        if (entry.classId == clsid)
            return entry.Provided();
    return false;
}

TEST_F(DataTypeFactoryTest, OneFactoryAndOneDataTypePerThread) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_TRUE(SameObject(factory.Get(), Factory().Get()));
    ComPtr<IGPDataType> first, second;
    ASSERT_EQ(factory->GetDataType(u"GPString", first.Out()), S_OK);
    ASSERT_EQ(factory->GetDataType(u"gpstring", second.Out()), S_OK);
    EXPECT_EQ(first.Get(), second.Get()) << "the cache hands out the same object";

    IUnknown* otherFactory = nullptr;
    IUnknown* otherType = nullptr;
    std::thread([&] {
        {
            auto factoryThere = Factory();
            ComPtr<IGPDataType> typeThere;
            ASSERT_EQ(factoryThere->GetDataType(u"GPString", typeThere.Out()), S_OK);
            otherFactory = QueryAs<IUnknown>(factoryThere.Get()).Get(); // compared by address only
            otherType = typeThere.Get();
        }
        DllCanUnloadNow(); // that thread's factory and its cache go with it
    }).join();
    EXPECT_NE(otherFactory, QueryAs<IUnknown>(factory.Get()).Get());
    EXPECT_NE(otherType, first.Get());
}

TEST_F(DataTypeFactoryTest, LookupMatchesAScanIgnoringCase) {
    // Oracle: the first row, in table order, that the platform's case-insensitive comparison matches.
    auto scan = [](std::u16string_view name) {
        const auto rows = DataTypeCatalogue();
        for (size_t i = 0; i < rows.size(); ++i)
            if (EqualsNoCase(name, rows[i].name))
                return static_cast<int32_t>(i);
        return -1;
    };
    std::vector<String> queries = {u"",
                                   u"GPMultiValue",
                                   u"GPString ",
                                   u" GPString",
                                   u"GPStrin",
                                   u"GPStringX",
                                   String(200, u'a'),
                                   u"GP\u017Ftring",         // long s folds onto 's'
                                   u"GPLon\u212A",           // the Kelvin sign folds onto 'k'
                                   u"\u00C9PString",         // not ASCII and no match
                                   String(u"GPLong\0x", 8)}; // an embedded zero is part of the name
    for (const DataTypeCatalogueRow& row : DataTypeCatalogue()) {
        String name = row.name;
        queries.push_back(name);
        queries.push_back(ToLowerAscii(name));
        for (char16_t& c : name)
            c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
        queries.push_back(name);
    }
    for (const String& query : queries) {
        SCOPED_TRACE(ToUtf8(query));
        EXPECT_EQ(FindDataTypeRow(query), scan(query));
    }
    EXPECT_EQ(FindDataTypeRow(u"GP\u017Ftring"), 4) << "folding reaches GPString";
}

TEST_F(DataTypeFactoryTest, GetDataTypeCreatesRowsWhoseClassExists) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    int provided = 0;
    for (const DataTypeCatalogueRow& row : DataTypeCatalogue()) {
        SCOPED_TRACE(ToUtf8(row.name));
        IGPDataType* type = reinterpret_cast<IGPDataType*>(1);
        HRESULT hr = factory->GetDataType(row.name, &type);
        ComPtr<IGPDataType> owned = ComPtr<IGPDataType>::Adopt(type);
        if (!ClassProvided(row.dataTypeClassId)) {
            EXPECT_EQ(hr, E_FAIL);
            EXPECT_EQ(type, nullptr);
            continue;
        }
        ++provided;
        ASSERT_EQ(hr, S_OK);
        BStr name;
        ASSERT_EQ(owned->get_Name(name.Out()), S_OK);
        EXPECT_EQ(name.str(), row.name);
        CLSID clsid{};
        ASSERT_EQ(QueryAs<IClassID>(owned.Get())->get_ClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, row.dataTypeClassId);
    }
    EXPECT_GE(provided, 2) << "the string types at least";
}

TEST_F(DataTypeFactoryTest, BadArguments) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->GetDataType(u"GPString", nullptr), E_POINTER);
    EXPECT_EQ(factory->GetDataTypeName(u"GPString", nullptr), E_POINTER);
    EXPECT_EQ(factory->GetDataTypeNames(nullptr), E_POINTER);
    EXPECT_EQ(factory->get_FactoryID(nullptr), E_POINTER);

    IGPDataType* type = reinterpret_cast<IGPDataType*>(1);
    EXPECT_EQ(factory->GetDataType(nullptr, &type), E_FAIL);
    EXPECT_EQ(type, nullptr);
    type = reinterpret_cast<IGPDataType*>(1);
    EXPECT_EQ(factory->GetDataType(u"GPMultiValue", &type), E_FAIL) << "not a catalogue name";
    EXPECT_EQ(type, nullptr);
    IGPName* name = reinterpret_cast<IGPName*>(1);
    EXPECT_EQ(factory->GetDataTypeName(nullptr, &name), E_FAIL);
    EXPECT_EQ(name, nullptr);
    name = reinterpret_cast<IGPName*>(1);
    EXPECT_EQ(factory->GetDataTypeName(u"NoSuchType", &name), E_FAIL);
    EXPECT_EQ(name, nullptr);
}

TEST_F(DataTypeFactoryTest, NameCarriesTheRowsTextsAndTheFactory) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    struct Case {
        const char16_t* asked;
        const char16_t* name;
        const char16_t* displayName;
        const char16_t* description;
        const char16_t* category;
    };
    const Case cases[] = {
        {u"gparealunit", u"GPArealUnit", u"Areal Unit", u"Areal Unit", u"Data Type"}, // its own category id 4523
        {u"DEGeoDatasetType", u"DEGeoDatasetType", u"Geodataset", u"Geodataset", u"Geodataset"},
        {u"GPBOOLEAN", u"GPBoolean", u"Boolean", u"Boolean data type", u"Data Type"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.asked));
        ComPtr<IGPName> name;
        ASSERT_EQ(factory->GetDataTypeName(c.asked, name.Out()), S_OK);
        EXPECT_EQ(Text(name.Get(), &IGPName::get_Name), c.name) << "the table's spelling, not the caller's";
        EXPECT_EQ(Text(name.Get(), &IGPName::get_DisplayName), c.displayName);
        EXPECT_EQ(Text(name.Get(), &IGPName::get_Description), c.description);
        EXPECT_EQ(Text(name.Get(), &IGPName::get_Category), c.category);
        ComPtr<IUnknown> nameFactory;
        ASSERT_EQ(name->get_Factory(nameFactory.Out()), S_OK);
        EXPECT_TRUE(SameObject(nameFactory.Get(), factory.Get()));
    }
}

TEST_F(DataTypeFactoryTest, NameOpensTheSharedDataType) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    ComPtr<IGPName> name;
    ASSERT_EQ(factory->GetDataTypeName(u"GPStringHidden", name.Out()), S_OK);
    ComPtr<IUnknown> opened;
    ASSERT_EQ(QueryAs<IName>(name.Get())->Open(opened.Out()), S_OK);
    ComPtr<IGPDataType> direct;
    ASSERT_EQ(factory->GetDataType(u"GPStringHidden", direct.Out()), S_OK);
    EXPECT_TRUE(SameObject(opened.Get(), direct.Get()));
}

TEST_F(DataTypeFactoryTest, NamesListEveryRowInOrder) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    ComPtr<IEnumGPName> names;
    ASSERT_EQ(factory->GetDataTypeNames(names.Out()), S_OK);
    const auto rows = DataTypeCatalogue();
    size_t count = 0, geodataset = 0;
    for (ComPtr<IGPName> name; names->Next(name.Out()) == S_OK; ++count) {
        ASSERT_TRUE(name);
        ASSERT_LT(count, rows.size());
        const DataTypeCatalogueRow& row = rows[count];
        SCOPED_TRACE(ToUtf8(row.name));
        EXPECT_EQ(Text(name.Get(), &IGPName::get_Name), row.name);
        EXPECT_EQ(Text(name.Get(), &IGPName::get_DisplayName), LoadResourceString(row.displayNameId));
        EXPECT_EQ(Text(name.Get(), &IGPName::get_Description), LoadResourceString(row.descriptionId));
        String category = Text(name.Get(), &IGPName::get_Category);
        EXPECT_FALSE(category.empty()) << "every text id is in the string table";
        geodataset += category == u"Geodataset";
    }
    EXPECT_EQ(count, 85u);
    EXPECT_EQ(geodataset, 1u) << "DEGeoDatasetType alone";
    EXPECT_EQ(std::u16string_view(rows.front().name), u"GPBoolean");
    EXPECT_EQ(std::u16string_view(rows.back().name), u"GPKnowledgeGraphLayer");
    IGPName* past = reinterpret_cast<IGPName*>(1);
    EXPECT_EQ(names->Next(&past), S_FALSE);
    EXPECT_EQ(past, nullptr);
    ASSERT_EQ(names->Reset(), S_OK);
    ComPtr<IGPName> again;
    ASSERT_EQ(names->Next(again.Out()), S_OK);
    EXPECT_EQ(Text(again.Get(), &IGPName::get_Name), u"GPBoolean");
}

TEST_F(DataTypeFactoryTest, FactoryIdHoldsItsClassIdentifier) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    ComPtr<IUID> id;
    ASSERT_EQ(factory->get_FactoryID(id.Out()), S_OK);
    EXPECT_EQ(GuidOf(id.Get()), CLSID_GPDataTypeFactory);
    Variant text;
    ASSERT_EQ(id->get_Value(&text), S_OK);
    ASSERT_EQ(text.vt, VT_BSTR);
    EXPECT_EQ(String(text.bstrVal), u"{E41CFD44-5741-4F2B-8ACE-1A49E146D329}");
}

TEST_F(DataTypeFactoryTest, LayerSupportFindsNoLayerValueYet) {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    auto layers = QueryAs<IGPLayerSupport>(factory.Get());
    ASSERT_TRUE(layers);
    ComPtr<IUID> notALayer;
    ASSERT_EQ(MakeUID(CLSID_GPDataTypeFactory, notALayer.Out()), S_OK);
    IGPValue* value = reinterpret_cast<IGPValue*>(1);
    EXPECT_EQ(layers->MakeLayerValue(notALayer.Get(), &value), E_FAIL);
    EXPECT_EQ(value, nullptr);
    value = reinterpret_cast<IGPValue*>(1);
    EXPECT_EQ(layers->MakeLayerValue(nullptr, &value), E_POINTER);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(layers->MakeLayerValue(notALayer.Get(), nullptr), E_POINTER);
    IUnknown* layer = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(layers->MakeLayer(nullptr, &layer), E_FAIL);
    EXPECT_EQ(layer, nullptr);
}

} // namespace
} // namespace tavi::test
