// Cursors and rows on real data: reading values of every field kind, attribute filters, superseded cursors, and
// writing rows back to a GeoPackage and a shapefile.
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "tavi/DataAccess.h"

namespace tavi::test {
namespace {

class Table : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        const std::vector<TestFeature> rows = {
            {"POINT (1 2)", "Straße", 3, 12.5, 2020, 5, 17},
            {"POINT (3 4)", "Ring", 7, -1.25, 1999, 12, 31},
            {"", "no shape", 9, 0, 2000, 1, 1},
        };
        data_.Vector("GPKG", "edit me.gpkg", "points", wkbPoint, 4326, rows);
        data_.Vector("shp", "points.shp", "points", wkbPoint, 4326, rows);
    }

    std::u16string P(const std::string& relative) const { return FromUtf8(data_.Path(relative)); }

    TestData data_;
};

Variant Value(IRow* row, int32_t index) {
    Variant value;
    EXPECT_EQ(row->get_Value(index, &value), S_OK);
    return value;
}

std::string TextOf(const Variant& value) {
    return value.vt == VT_BSTR ? ToUtf8(std::u16string_view(value.bstrVal)) : "<not text>";
}

TEST_F(Table, CursorReadsEveryFieldKind) {
    ComPtr<ITable> table;
    ASSERT_EQ(OpenTable(P("edit me.gpkg/points"), table.Out()), S_OK);
    ComPtr<ICursor> cursor;
    ASSERT_EQ(table->Search(nullptr, cursor.Out()), S_OK);
    ComPtr<IRow> row;
    ASSERT_EQ(cursor->NextRow(row.Out()), S_OK);
    int64_t oid = 0;
    row->get_OID(&oid);
    EXPECT_EQ(oid, 1);
    // fid, geom, NAME, COUNT, VALUE, WHEN
    Variant id = Value(row.Get(), 0);
    EXPECT_EQ(id.vt, VT_I8);
    EXPECT_EQ(id.llVal, 1);
    EXPECT_EQ(TextOf(Value(row.Get(), 1)), "POINT (1 2)");
    EXPECT_EQ(TextOf(Value(row.Get(), 2)), "Straße");
    Variant count = Value(row.Get(), 3);
    EXPECT_EQ(count.vt, VT_I4);
    EXPECT_EQ(count.lVal, 3);
    Variant value = Value(row.Get(), 4);
    EXPECT_EQ(value.vt, VT_R8);
    EXPECT_EQ(value.dblVal, 12.5);
    Variant when = Value(row.Get(), 5);
    EXPECT_EQ(when.vt, VT_DATE);
    EXPECT_EQ(when.date, 43968.0); // 17 May 2020

    Variant outside;
    EXPECT_EQ(row->get_Value(6, &outside), E_INVALIDARG);
    EXPECT_EQ(row->get_Value(-1, &outside), E_INVALIDARG);

    ASSERT_EQ(cursor->NextRow(row.Out()), S_OK);
    ASSERT_EQ(cursor->NextRow(row.Out()), S_OK);
    EXPECT_EQ(Value(row.Get(), 1).vt, VT_NULL) << "a row without a shape";
    EXPECT_EQ(cursor->NextRow(row.Out()), S_FALSE);
    EXPECT_FALSE(row);
}

TEST_F(Table, WhereClauseFiltersAndBadFiltersAreRefused) {
    ComPtr<ITable> table;
    ASSERT_EQ(OpenTable(P("points.shp"), table.Out()), S_OK);
    ComPtr<ICursor> cursor;
    ASSERT_EQ(table->Search(u"COUNT > 5", cursor.Out()), S_OK);
    std::vector<std::string> names;
    ComPtr<IRow> row;
    while (cursor->NextRow(row.Out()) == S_OK)
        names.push_back(TextOf(Value(row.Get(), 2)));
    EXPECT_EQ(names, (std::vector<std::string>{"Ring", "no shape"}));

    EXPECT_EQ(table->Search(u"COUNT >>> ", cursor.Out()), E_INVALIDARG);
    EXPECT_FALSE(cursor);
    int64_t rows = 0;
    ASSERT_EQ(table->RowCount(&rows), S_OK);
    EXPECT_EQ(rows, 3) << "a refused filter leaves no filter behind";
}

TEST_F(Table, OnlyTheNewestCursorReads) {
    ComPtr<ITable> table;
    ASSERT_EQ(OpenTable(P("points.shp"), table.Out()), S_OK);
    ComPtr<ICursor> older, newer;
    ASSERT_EQ(table->Search(nullptr, older.Out()), S_OK);
    ASSERT_EQ(table->Search(u"COUNT = 7", newer.Out()), S_OK);
    ComPtr<IRow> row;
    EXPECT_EQ(older->NextRow(row.Out()), E_FAIL);
    ASSERT_EQ(newer->NextRow(row.Out()), S_OK);
    EXPECT_EQ(TextOf(Value(row.Get(), 2)), "Ring");
}

TEST_F(Table, GetRowByIdentifier) {
    ComPtr<ITable> table;
    ASSERT_EQ(OpenTable(P("edit me.gpkg/points"), table.Out()), S_OK);
    ComPtr<IRow> row;
    ASSERT_EQ(table->GetRow(2, row.Out()), S_OK);
    EXPECT_EQ(TextOf(Value(row.Get(), 2)), "Ring");
    EXPECT_EQ(table->GetRow(99, row.Out()), TAVI_E_DATA_NOT_FOUND);
    EXPECT_FALSE(row);
}

TEST_F(Table, RowsAreWrittenAndReadBack) {
    for (const char* path : {"edit me.gpkg/points", "points.shp"}) {
        SCOPED_TRACE(path);
        int64_t oid = -1;
        {
            ComPtr<ITable> table;
            ASSERT_EQ(OpenTable(P(path), table.Out()), S_OK);
            ComPtr<IRow> row;
            ASSERT_EQ(table->CreateRow(row.Out()), S_OK);
            row->get_OID(&oid);
            EXPECT_EQ(oid, -1) << "not stored yet";
            Variant shape, name, count, value, when;
            shape.vt = VT_BSTR, shape.bstrVal = SysAllocString(u"POINT (5 6)");
            name.vt = VT_BSTR, name.bstrVal = SysAllocString(u"Ødegaard");
            count.vt = VT_BSTR, count.bstrVal = SysAllocString(u"42"); // converted to the field's kind
            value = Variant::Double(2.75);
            when.vt = VT_DATE, when.date = 43968.0;
            EXPECT_EQ(row->put_Value(1, shape), S_OK);
            EXPECT_EQ(row->put_Value(2, name), S_OK);
            EXPECT_EQ(row->put_Value(3, count), S_OK);
            EXPECT_EQ(row->put_Value(4, value), S_OK);
            EXPECT_EQ(row->put_Value(5, when), S_OK);
            EXPECT_EQ(row->put_Value(0, count), E_INVALIDARG) << "identifiers are the table's";
            Variant notANumber;
            notANumber.vt = VT_BSTR, notANumber.bstrVal = SysAllocString(u"many");
            EXPECT_EQ(row->put_Value(3, notANumber), DISP_E_TYPEMISMATCH);
            EXPECT_EQ(row->put_Value(1, notANumber), DISP_E_TYPEMISMATCH) << "no well-known text";
            ASSERT_EQ(row->Store(), S_OK);
            row->get_OID(&oid);
            EXPECT_GE(oid, 0);
        }
        ComPtr<ITable> reopened;
        ASSERT_EQ(OpenTable(P(path), reopened.Out()), S_OK);
        int64_t rows = 0;
        reopened->RowCount(&rows);
        EXPECT_EQ(rows, 4);
        ComPtr<IRow> row;
        ASSERT_EQ(reopened->GetRow(oid, row.Out()), S_OK);
        EXPECT_EQ(TextOf(Value(row.Get(), 1)), "POINT (5 6)");
        EXPECT_EQ(TextOf(Value(row.Get(), 2)), "Ødegaard");
        EXPECT_EQ(Value(row.Get(), 3).lVal, 42);
        EXPECT_EQ(Value(row.Get(), 4).dblVal, 2.75);
        EXPECT_EQ(Value(row.Get(), 5).date, 43968.0);

        // Rewrite and delete.
        Variant renamed;
        renamed.vt = VT_BSTR, renamed.bstrVal = SysAllocString(u"renamed");
        ASSERT_EQ(row->put_Value(2, renamed), S_OK);
        ASSERT_EQ(row->Store(), S_OK);
        ComPtr<IRow> again;
        ASSERT_EQ(reopened->GetRow(oid, again.Out()), S_OK);
        EXPECT_EQ(TextOf(Value(again.Get(), 2)), "renamed");
        ASSERT_EQ(again->Delete(), S_OK);
        EXPECT_EQ(reopened->GetRow(oid, again.Out()), TAVI_E_DATA_NOT_FOUND);
    }
}

TEST_F(Table, DataThatCannotBeWrittenRefusesRows) {
    // GML is read-only once written: the data opens for reading and refuses rows with a clear code.
    data_.Vector("GML", "marks.gml", "marks", wkbPoint, 4326, {{"POINT (1 2)", "m", 1, 1, 2001, 1, 1}});
    ComPtr<ITable> table;
    ASSERT_EQ(OpenTable(P("marks.gml"), table.Out()), S_OK);
    ComPtr<IRow> row;
    ASSERT_EQ(table->CreateRow(row.Out()), S_OK);
    EXPECT_EQ(row->Store(), TAVI_E_DATA_ACCESS_DENIED);
    ComPtr<ICursor> cursor;
    ASSERT_EQ(table->Search(nullptr, cursor.Out()), S_OK);
    ASSERT_EQ(cursor->NextRow(row.Out()), S_OK);
    EXPECT_EQ(row->Delete(), TAVI_E_DATA_ACCESS_DENIED);
    EXPECT_EQ(row->Store(), TAVI_E_DATA_ACCESS_DENIED);
}

} // namespace
} // namespace tavi::test
