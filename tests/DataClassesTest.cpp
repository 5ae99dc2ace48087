// The data access's creatable classes: fields (with raster definitions) and table descriptions made by class
// identifier, their stream forms read back equal, and forms that are cut short or of an unknown version refused
// without change.
#include "PersistForms.h"
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "data/Field.h"
#include "data/TableDescription.h"
#include "host/CreateInstance.h"

namespace tavi::test {
namespace {

class DataClassesTest : public ModuleClassesTest {
protected:
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
};

TEST_F(DataClassesTest, FieldsKeepEveryPropertyThroughTheStream) {
    auto field = Create<IFieldEdit>(CLSID_Field);
    ASSERT_TRUE(field);
    field->put_Name(u"ELEVATION");
    field->put_AliasName(u"Height, \"m\"");
    field->put_Type(taviFieldTypeRaster);
    field->put_Length(7);
    field->put_IsNullable(VARIANT_FALSE);
    field->put_Required(VARIANT_TRUE);
    field->put_Precision(3);
    field->put_Scale(1);
    field->putref_RasterDef(Create<IRasterDef>(CLSID_RasterDef).Get());
    auto loaded = Create<IField>(CLSID_Field);
    ASSERT_EQ(LoadForm(loaded.Get(), SavedForm(field.Get())), S_OK);
    FieldProperties a, b;
    ReadFieldProperties(QueryAs<IField>(field.Get()).Get(), a);
    ReadFieldProperties(loaded.Get(), b);
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.alias, a.alias);
    EXPECT_EQ(b.type * 1000 + b.length * 100 + b.precision * 10 + b.scale, 9731);
    EXPECT_FALSE(b.nullable);
    EXPECT_TRUE(b.required);
    EXPECT_TRUE(b.rasterDef) << "the raster definition comes back as an object of its own";

    // A form cut short or of another version changes nothing.
    std::vector<uint8_t> form = SavedForm(field.Get());
    auto other = Create<IFieldEdit>(CLSID_Field);
    other->put_Name(u"KEEP");
    std::vector<uint8_t> future = form;
    future[0] = 2;
    form.resize(form.size() - 3);
    for (const auto& bad : {form, future}) {
        EXPECT_EQ(LoadForm(other.Get(), bad), E_FAIL);
        BStr name;
        QueryAs<IField>(other.Get())->get_Name(name.Out());
        EXPECT_EQ(name.str(), u"KEEP");
    }
}

TEST_F(DataClassesTest, TableDescriptionsNameTablesWithTheirFields) {
    TestData data;
    data.Vector("GPKG", "city.gpkg", "roads", wkbLineString, 4326, {});
    ComPtr<IDataElement> element;
    ASSERT_EQ(OpenDataElement(FromUtf8(data.Path("city.gpkg/roads")), element.Out()), S_OK);
    ComPtr<TableDescription> described;
    ASSERT_EQ(DescribeTable(element.Get(), true, described), S_OK);
    auto description = static_cast<IDataElement*>(described.Get());
    auto loaded = Create<IDataElement>(CLSID_DETableDescription);
    ASSERT_EQ(LoadForm(loaded.Get(), SavedForm(description)), S_OK);
    EXPECT_TRUE(Equal(loaded.Get(), description));
    BStr type, path;
    loaded->get_Type(type.Out());
    loaded->get_CatalogPath(path.Out());
    EXPECT_EQ(type.str(), u"DEFeatureClass");
    EXPECT_EQ(ToUtf8(path.str()), data.Path("city.gpkg/roads"));
    ComPtr<IFields> fields;
    QueryAs<IDEGdbTable7>(loaded.Get())->get_Fields(fields.Out());
    int32_t count = 0, name = -1;
    fields->get_FieldCount(&count);
    fields->FindField(u"NAME", &name);
    EXPECT_EQ(count, 6) << "identifier, shape and the four typed fields";
    EXPECT_GE(name, 0);

    // The light copy stored in place of a table names it without its fields.
    ASSERT_EQ(DescribeTable(element.Get(), false, described), S_OK);
    QueryAs<IDEGdbTable7>(static_cast<IDataElement*>(described.Get()))->get_Fields(fields.Out());
    fields->get_FieldCount(&count);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(Equal(loaded.Get(), static_cast<IDataElement*>(described.Get())));
    // A table opened from data keeps its fields to the data.
    EXPECT_EQ(QueryAs<IDEGdbTable7>(element.Get())->putref_Fields(nullptr), E_FAIL);
}

} // namespace
} // namespace tavi::test
