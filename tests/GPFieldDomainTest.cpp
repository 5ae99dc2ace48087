// GPFieldDomain: membership of real fields by type, key and exclude names; the fields of real data that pass;
// the stream and XML forms with their versions.
#include "DomainTestSupport.h"
#include "support/PersistForms.h"
#include "support/TestData.h"

#include "data/DataElement.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "tavi/DataAccess.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPScalar.h"

namespace tavi::test {
namespace {

namespace dv = docversion;

class GPFieldDomainTest : public ModuleClassesTest {
protected:
    ComPtr<IGPFieldDomain> NewDomain(std::initializer_list<int32_t> types) {
        auto domain = Create<IGPFieldDomain>(CLSID_GPFieldDomain);
        for (int32_t type : types)
            EXPECT_EQ(domain->AddType(type), S_OK);
        return domain;
    }

    static ComPtr<IGPValue> NewField(const char16_t* name, int32_t type) {
        auto field = Create<IFieldEdit>(CLSID_Field);
        EXPECT_EQ(field->put_Name(name), S_OK);
        EXPECT_EQ(field->put_Type(type), S_OK);
        return field.As<IGPValue>();
    }

    // The verdict code (0 for a member) and text of the domain on `value`.
    static std::pair<int32_t, std::string> Verdict(IGPFieldDomain* domain, IGPValue* value) {
        ComPtr<IGPMessage> message;
        HRESULT hr = QueryAs<IGPDomain>(domain)->MemberOf(value, message.Out());
        EXPECT_TRUE(hr == S_OK || hr == S_FALSE);
        EXPECT_EQ(hr == S_FALSE, MessageIsError(message.Get()));
        BStr text;
        message->get_Description(text.Out());
        return {MessageCode(message.Get()), ToUtf8(text.view())};
    }

    static std::vector<std::string> FieldNames(IArray* fields) {
        std::vector<std::string> names;
        int32_t count = 0;
        fields->get_Count(&count);
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IUnknown> element;
            fields->get_Element(i, element.Out());
            BStr name;
            QueryAs<IField>(element.Get())->get_Name(name.Out());
            names.push_back(ToUtf8(name.view()));
        }
        return names;
    }

    ComPtr<IGPValue> OpenData(const std::string& relative) {
        ComPtr<IDataElement> element;
        EXPECT_EQ(OpenDataElement(FromUtf8(data_.Path(relative)), element.Out()), S_OK) << relative;
        return element.As<IGPValue>();
    }

    TestData data_;
};

TEST_F(GPFieldDomainTest, FieldsAreCheckedByKeyNameThenExcludedNameThenType) {
    struct Case {
        const char* why;
        std::initializer_list<int32_t> types;
        const char16_t* key;
        const char16_t* exclude;
        const char16_t* field;
        int32_t fieldType;
        int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {"a key field passes whatever its type, in any letter case",
         {taviFieldTypeDouble},
         u"OBJECTID",
         nullptr,
         u"objectid",
         taviFieldTypeOID,
         0,
         ""},
        {"an excluded name is refused even when its type is allowed",
         {taviFieldTypeGeometry},
         nullptr,
         u"Shape",
         u"SHAPE",
         taviFieldTypeGeometry,
         3913,
         "The field is excluded: Shape"},
        {"the key list is asked before the exclude list",
         {},
         u"Shape",
         u"Shape",
         u"Shape",
         taviFieldTypeGeometry,
         0,
         ""},
        {"no types: every field", {}, nullptr, nullptr, u"NAME", taviFieldTypeString, 0, ""},
        {"a listed type",
         {taviFieldTypeSmallInteger, taviFieldTypeInteger},
         nullptr,
         nullptr,
         u"COUNT",
         taviFieldTypeInteger,
         0,
         ""},
        {"another type: the listed types' texts",
         {taviFieldTypeSmallInteger, taviFieldTypeInteger},
         nullptr,
         nullptr,
         u"VALUE",
         taviFieldTypeDouble,
         3911,
         "The field's type is not valid; allowed types: Short | Long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto domain = NewDomain(c.types);
        if (c.key)
            domain->AddKeyField(c.key);
        if (c.exclude)
            domain->AddExcludeField(c.exclude);
        auto [code, text] = Verdict(domain.Get(), NewField(c.field, c.fieldType).Get());
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(GPFieldDomainTest, AValueThatIsNoFieldIsRefused) {
    auto domain = NewDomain({});
    auto text = Create<IGPValue>(CLSID_GPString);
    EXPECT_EQ(Verdict(domain.Get(), text.Get()).first, 309);
    // No value at all cannot be unpacked: that failure comes back, with no message.
    ComPtr<IGPMessage> message;
    EXPECT_TRUE(FAILED(domain.As<IGPDomain>()->MemberOf(nullptr, message.Out())));
    EXPECT_FALSE(message);
    EXPECT_EQ(domain.As<IGPDomain>()->MemberOf(text.Get(), nullptr), E_POINTER);
}

TEST_F(GPFieldDomainTest, RealFieldsOfEachFormatAreCheckedByTheirTypes) {
    data_.Vector("shp", "roads.shp", "roads", wkbLineString, 4326, {{"LINESTRING (0 0,1 1)", "a", 1, 2, 2020, 1, 1}});
    data_.Vector("GPKG", "city.gpkg", "parcels", wkbPolygon, 4326, {});
    data_.Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, {});
    auto domain = NewDomain({taviFieldTypeString, taviFieldTypeDate});
    for (const char* path : {"roads.shp", "city.gpkg/parcels", "city.gpkg/owners"}) {
        SCOPED_TRACE(path);
        ComPtr<IArray> fields;
        ASSERT_EQ(domain->GetFields(OpenData(path).Get(), fields.Out()), S_OK);
        EXPECT_EQ(FieldNames(fields.Get()), (std::vector<std::string>{"NAME", "WHEN"}));
    }
}

TEST_F(GPFieldDomainTest, GetFieldsPutsKeyFieldsFirstAndAsksForRasterFieldsOnlyWhenTold) {
    data_.Vector("shp", "roads.shp", "roads", wkbLineString, 4326, {});
    data_.Raster("dem.tif", 4, 4, 10, 0, 40, 32633);
    auto domain = NewDomain({taviFieldTypeInteger, taviFieldTypeRaster});
    domain->AddKeyField(u"ROAD_ID");
    domain->AddExcludeField(u"count");
    ComPtr<IArray> fields;
    ASSERT_EQ(domain->GetFields(OpenData("roads.shp").Get(), fields.Out()), S_OK);
    EXPECT_EQ(FieldNames(fields.Get()), (std::vector<std::string>{"ROAD_ID"})); // COUNT excluded
    ComPtr<IUnknown> key;
    fields->get_Element(0, key.Out());
    BStr alias;
    QueryAs<IField>(key.Get())->get_AliasName(alias.Out());
    EXPECT_EQ(alias.str(), u"ROAD_ID");

    // A raster has fields only when raster fields are asked for.
    auto raster = OpenData("dem.tif");
    fields.Reset();
    EXPECT_EQ(domain->GetFields(raster.Get(), fields.Out()), S_FALSE);
    EXPECT_FALSE(fields);
    ASSERT_EQ(domain.As<IGPFieldDomain2>()->put_UseRasterFields(VARIANT_TRUE), S_OK);
    ASSERT_EQ(domain->GetFields(raster.Get(), fields.Out()), S_OK);
    EXPECT_EQ(FieldNames(fields.Get()), (std::vector<std::string>{"ROAD_ID", "Raster"}));

    // Data named by text: the utility object's codes come back as they are.
    auto missing = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    missing->SetAsText(FromUtf8(data_.Path("nothing.shp")).c_str(), message.Out());
    fields.Reset();
    EXPECT_EQ(domain->GetFields(missing.Get(), fields.Out()), TAVI_E_DATA_NOT_FOUND);
    EXPECT_FALSE(fields);
    EXPECT_EQ(domain->GetFields(raster.Get(), nullptr), E_POINTER);
}

TEST_F(GPFieldDomainTest, ListOperationsKeepTheirRules) {
    auto domain = NewDomain({taviFieldTypeDouble, taviFieldTypeDouble, taviFieldTypeString});
    int32_t count = 0, type = 0;
    EXPECT_EQ(domain->get_FieldTypeCount(&count), S_OK);
    EXPECT_EQ(count, 2); // no duplicates
    EXPECT_EQ(domain->get_FieldType(2, &type), E_INVALIDARG);
    EXPECT_EQ(domain->get_FieldType(-1, &type), E_INVALIDARG);
    EXPECT_EQ(domain->RemoveType(taviFieldTypeDouble), S_OK);
    EXPECT_EQ(domain->get_FieldType(0, &type), S_OK);
    EXPECT_EQ(type, taviFieldTypeString);
    domain->AddKeyField(u"A");
    domain->AddKeyField(u"A"); // key names may repeat
    EXPECT_EQ(domain->get_KeyFieldCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(domain->RemoveKeyField(2), E_INVALIDARG);
    EXPECT_EQ(domain->RemoveExcludeField(0), E_INVALIDARG);
    BStr name;
    EXPECT_EQ(domain->get_ExcludeField(0, name.Out()), E_INVALIDARG);
    // Every getter tests its out pointer, the filter index pair included.
    EXPECT_EQ(domain->get_FilterIndex(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FilterIndexType(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FieldTypeCount(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_KeyField(0, nullptr), E_POINTER);
}

TEST_F(GPFieldDomainTest, StreamVersionsFollowTheDocumentVersion) {
    auto domain = NewDomain({taviFieldTypeDouble});
    domain->AddKeyField(u"OBJECTID");
    domain->AddExcludeField(u"Shape");
    domain->put_FilterIndex(VARIANT_TRUE, 2);
    domain.As<IGPFieldDomain2>()->put_UseRasterFields(VARIANT_TRUE);

    const auto newest = SavedForm(domain.Get(), dv::kCurrent);
    const auto older = SavedForm(domain.Get(), dv::Older(4));
    ASSERT_GE(newest.size(), 2u);
    EXPECT_EQ(newest[0], 4);
    EXPECT_EQ(older[0], 3);
    EXPECT_EQ(newest.size(), older.size() + 2); // useRasterFields only in version 4

    // Version 3 leaves useRasterFields as it was; the lists are replaced, never appended to.
    auto copy = Create<IGPFieldDomain>(CLSID_GPFieldDomain);
    copy.As<IGPFieldDomain2>()->put_UseRasterFields(VARIANT_TRUE);
    ASSERT_EQ(LoadForm(copy.Get(), older), S_OK);
    ASSERT_EQ(LoadForm(copy.Get(), older), S_OK);
    VARIANT_BOOL use = VARIANT_FALSE;
    copy.As<IGPFieldDomain2>()->get_UseRasterFields(&use);
    EXPECT_EQ(use, VARIANT_TRUE);
    EXPECT_TRUE(Equal(copy.Get(), domain.Get()));
    EXPECT_EQ(QueryAs<IPersistStream>(copy.Get())->IsDirty(), S_FALSE);

    // Version 1 stores no key or exclude names; a newer version than 4 is refused.
    auto fresh = Create<IGPFieldDomain>(CLSID_GPFieldDomain);
    EXPECT_EQ(LoadForm(fresh.Get(), {1, 0, 1, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0}), S_OK);
    int32_t count = 0;
    fresh->get_FieldTypeCount(&count);
    EXPECT_EQ(count, 1);
    std::vector<uint8_t> tooNew = newest;
    tooNew[0] = 5;
    EXPECT_EQ(LoadForm(fresh.Get(), tooNew), E_FAIL);
}

TEST_F(GPFieldDomainTest, ADamagedStreamChangesNothing) {
    auto domain = NewDomain({taviFieldTypeDouble});
    domain->AddKeyField(u"OBJECTID");
    domain->AddExcludeField(u"Shape");
    const auto bytes = SavedForm(domain.Get());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        auto target = NewDomain({taviFieldTypeBlob});
        std::vector<uint8_t> damaged(bytes.begin(), bytes.begin() + cut);
        EXPECT_EQ(LoadForm(target.Get(), damaged), E_FAIL);
        int32_t count = 0, type = 0, keys = 0;
        target->get_FieldTypeCount(&count);
        target->get_FieldType(0, &type);
        target->get_KeyFieldCount(&keys);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(type, taviFieldTypeBlob);
        EXPECT_EQ(keys, 0);
    }
    // A count far beyond the bytes ends at the first failed read.
    auto target = NewDomain({});
    EXPECT_EQ(LoadForm(target.Get(), {4, 0, 0xFF, 0xFF, 0xFF, 0x7F}), E_FAIL);
}

TEST_F(GPFieldDomainTest, XmlFormStoresTypeTextsAndNameLists) {
    auto domain = NewDomain({taviFieldTypeSmallInteger, taviFieldTypeString});
    domain->AddKeyField(u"OBJECTID");
    domain->put_FilterIndex(VARIANT_TRUE, 1);
    const std::u16string xml = XmlForm(domain.Get());
    for (const char16_t* part : {u"GPFieldDomain", u"<TypeArray", u">Short</String>", u">Text</String>",
                                 u"<KeyFieldArray", u"ArrayOfString", u"<FilterIndex", u"<UseRasterFields"})
        EXPECT_NE(xml.find(part), std::u16string::npos) << ToUtf8(part);
    EXPECT_EQ(xml.find(u"ExcludeFieldArray"), std::u16string::npos); // empty lists are left out

    auto copy = NewDomain({taviFieldTypeBlob});
    copy->AddExcludeField(u"gone");
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), copy.Get()), S_OK);
    EXPECT_TRUE(Equal(copy.Get(), domain.Get()));

    // A code the host has no text for is written as its number and reads back.
    auto unknown = NewDomain({99});
    auto unknownCopy = NewDomain({});
    ASSERT_EQ(TaviXmlDeserialize(XmlForm(unknown.Get()).c_str(), unknownCopy.Get()), S_OK);
    EXPECT_TRUE(Equal(unknownCopy.Get(), unknown.Get()));

    // A type text the host does not know fails the read and changes nothing.
    std::u16string bad = xml;
    bad.replace(bad.find(u"Short"), 5, u"Shorty");
    auto untouched = NewDomain({taviFieldTypeBlob});
    EXPECT_EQ(TaviXmlDeserialize(bad.c_str(), untouched.Get()), E_FAIL);
    int32_t type = 0;
    untouched->get_FieldType(0, &type);
    EXPECT_EQ(type, taviFieldTypeBlob);
}

TEST_F(GPFieldDomainTest, VersionSupportAndCopies) {
    auto domain = NewDomain({taviFieldTypeDouble});
    auto support = domain.As<IDocumentVersionSupport>();
    VARIANT_BOOL supported = VARIANT_FALSE;
    EXPECT_EQ(support->IsSupportedAtVersion(0, &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_TRUE);
    EXPECT_EQ(support->IsSupportedAtVersion(-1, &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_FALSE);
    ComPtr<IUnknown> replacement;
    EXPECT_EQ(support->ConvertToSupportedObject(-1, replacement.Out()), S_OK);
    EXPECT_FALSE(replacement);

    ComPtr<IClone> clone;
    ASSERT_EQ(domain.As<IClone>()->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), domain.Get()));
    domain->AddExcludeField(u"x");
    EXPECT_FALSE(Equal(clone.Get(), domain.Get()));
    EXPECT_EQ(clone->Assign(Create<IClone>(CLSID_GPString).Get()), E_INVALIDARG);
}

} // namespace
} // namespace tavi::test
