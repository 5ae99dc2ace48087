// The record set and feature set values over real records: the table description they keep, the scratch table of
// their text, their text forms, stored forms by document version, record set files, exports, Describe, equality.
#include "DataDomainTestSupport.h"
#include "LoopbackFeatureService.h"
#include "PersistForms.h"

#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "tavi/DataAccess.h"
#include "tavi/GPRecordSet.h"
#include "tavi/RecordSet.h"

#include <filesystem>

namespace tavi::test {
namespace {

// A service layer address on a port where nothing listens: reaching for it would fail.
constexpr const char16_t* kServiceAddress = u"http://127.0.0.1:9/services/City/Roads/FeatureServer/0";
constexpr const char* kDefinition =
    R"({"name":"Roads","type":"Feature Layer","geometryType":"taviGeometryPolyline","objectIdField":"OBJECTID",)"
    R"("fields":[{"name":"OBJECTID","type":"taviFieldTypeOID"},{"name":"NAME","type":"taviFieldTypeString"}],)"
    R"("drawingInfo":{"renderer":{}}})";

class GPRecordSetTest : public DataDomainTest {
protected:
    // The records of a table or feature class of the test data.
    static ComPtr<IRecordSet> Records(const std::string& relative) {
        auto records = Create<IRecordSetInit>(CLSID_RecordSet);
        EXPECT_EQ(records->SetSourceTable(Open(P(relative)).Get(), nullptr), S_OK) << relative;
        return QueryAs<IRecordSet>(records.Get());
    }
    static ComPtr<IGPRecordSet2> ValueOver(REFCLSID clsid, IRecordSet* records) {
        auto value = Create<IGPRecordSet2>(clsid);
        EXPECT_EQ(value->putref_RecordSet(records), S_OK);
        return value;
    }
    static ComPtr<IGPRecordSet2> UrlValue(REFCLSID clsid, const char16_t* token = u"secret") {
        auto value = Create<IGPRecordSetImpl>(clsid);
        auto definition = Create<IJSONObject>(CLSID_JSONObject);
        EXPECT_EQ(definition->FromJSONString(FromUtf8(kDefinition).c_str()), S_OK);
        EXPECT_EQ(value->SetURLWithDefinition(kServiceAddress, token, u"https://app.example/", definition.Get()), S_OK);
        return QueryAs<IGPRecordSet2>(value.Get());
    }
    static std::string TextOf(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return ToUtf8(text.view());
    }
    static std::string NameOf(IUnknown* value) {
        BStr name;
        EXPECT_EQ(QueryAs<IDataElement>(value)->get_Name(name.Out()), S_OK);
        return ToUtf8(name.view());
    }
    static bool IsEmpty(IUnknown* value) {
        VARIANT_BOOL empty = 7;
        EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
        return empty == VARIANT_TRUE;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = 7;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal == VARIANT_TRUE;
    }
    static std::u16string Url(IUnknown* value) {
        BStr url;
        EXPECT_EQ(QueryAs<IGPRecordSet2>(value)->GetURL(url.Out(), nullptr, nullptr), S_OK);
        return url.str();
    }
};

struct Kind {
    CLSID value;
    const char* table;
    const char* defaultName;
    const char* elementType;
};
const Kind kKinds[] = {
    {CLSID_GPRecordSet, "city.gpkg/visits", "record_set", "DETable"},
    {CLSID_GPFeatureRecordSetLayer, "city.gpkg/roads", "feature_set", "DEFeatureClass"},
};

TEST_F(GPRecordSetTest, HeldRecordsGiveTheDescriptionAndOneScratchTable) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.defaultName);
        auto records = Records(kind.table);
        auto fresh = Create<IGPRecordSet2>(kind.value);
        EXPECT_TRUE(IsEmpty(fresh.Get()));
        EXPECT_EQ(TextOf(fresh.Get()), "") << "no records, no table";

        auto value = ValueOver(kind.value, records.Get());
        EXPECT_FALSE(IsEmpty(value.Get()));
        EXPECT_EQ(NameOf(value.Get()), kind.defaultName);
        BStr type, oid, recordsOid;
        QueryAs<IDataElement>(value.Get())->get_Type(type.Out());
        EXPECT_EQ(ToUtf8(type.view()), kind.elementType);
        value->get_OIDFieldName(oid.Out());
        records->get_OIDFieldName(recordsOid.Out());
        EXPECT_FALSE(oid.view().empty());
        EXPECT_EQ(oid.str(), recordsOid.str());
        ComPtr<IFields> fields, recordFields;
        ASSERT_EQ(QueryAs<IDEGdbTable7>(value.Get())->get_Fields(fields.Out()), S_OK);
        records->get_Fields(recordFields.Out());
        int32_t count = 0, recordCount = 0;
        fields->get_FieldCount(&count);
        recordFields->get_FieldCount(&recordCount);
        EXPECT_EQ(count, recordCount);

        // The text is a table in the default workspace, written once.
        const std::string path = TextOf(value.Get());
        EXPECT_NE(path.find("scratch.gpkg"), std::string::npos) << path;
        EXPECT_EQ(TextOf(value.Get()), path);
        BStr catalogPath;
        QueryAs<IDataElement>(value.Get())->get_CatalogPath(catalogPath.Out());
        EXPECT_EQ(ToUtf8(catalogPath.view()), path);
        auto table = QueryAs<ITable>(Open(FromUtf8(path)).Get());
        ASSERT_TRUE(table);
        int64_t rows = 0, held = 0;
        table->RowCount(&rows);
        records->get_RecordCount(&held);
        EXPECT_EQ(rows, held);
    }
}

TEST_F(GPRecordSetTest, EqualityOfEmptyValuesClonesAndRecords) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.defaultName);
        auto a = Create<IGPRecordSet2>(kind.value);
        auto b = Create<IGPRecordSet2>(kind.value);
        EXPECT_TRUE(Equal(a.Get(), b.Get())) << "two empty values";
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(a.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(a.Get(), clone.Get())) << "an empty value and its clone";

        auto value = ValueOver(kind.value, Records(kind.table).Get());
        ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(value.Get(), clone.Get()));
        EXPECT_FALSE(Equal(value.Get(), a.Get()));
        EXPECT_FALSE(Equal(value.Get(), ValueOver(kind.value, Records("city.gpkg/sites").Get()).Get()));
        EXPECT_FALSE(Equal(value.Get(), UrlValue(kind.value).Get()));
        EXPECT_TRUE(Equal(UrlValue(kind.value).Get(), UrlValue(kind.value, nullptr).Get()))
            << "URL-based values are equal by their address";
    }
}

TEST_F(GPRecordSetTest, TextNamesAServiceLayerWithoutContactingIt) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.defaultName);
        auto value = Create<IGPValue>(kind.value);
        struct Case {
            std::u16string text;
            bool urlBased;
            const char* why;
        };
        std::u16string upper = kServiceAddress;
        for (char16_t& c : upper)
            c = static_cast<char16_t>(std::toupper(c));
        const Case cases[] = {
            {kServiceAddress, true, "a feature service layer"},
            {upper, true, "the same address in other letter case"},
            {u"http://127.0.0.1:9/services/City/Roads/MapServer/3", true, "a map service layer"},
            {u"http://127.0.0.1:9/services/City/Roads/ImageServer/0", false, "a service type not taken"},
            {P("city.gpkg/roads"), false, "a table path"},
            {u"", false, "nothing"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.why);
            ComPtr<IGPMessage> message;
            ASSERT_EQ(value->SetAsText(c.text.c_str(), message.Out()), S_OK);
            ASSERT_TRUE(message);
            EXPECT_FALSE(MessageIsError(message.Get()));
            VARIANT_BOOL urlBased = 7;
            QueryAs<IGPRecordSet2>(value.Get())->get_IsURLBased(&urlBased);
            EXPECT_EQ(urlBased == VARIANT_TRUE, c.urlBased);
            EXPECT_EQ(IsEmpty(value.Get()), !c.urlBased);
            if (c.urlBased) {
                EXPECT_TRUE(EqualsNoCase(FromUtf8(TextOf(value.Get())), c.text));
            }
        }
    }
    // The same address again keeps the first spelling: nothing changed.
    auto value = Create<IGPValue>(CLSID_GPRecordSet);
    ComPtr<IGPMessage> message;
    value->SetAsText(kServiceAddress, message.Out());
    std::u16string upper = kServiceAddress;
    for (char16_t& c : upper)
        c = static_cast<char16_t>(std::toupper(c));
    value->SetAsText(upper.c_str(), message.Out());
    EXPECT_EQ(FromUtf8(TextOf(value.Get())), kServiceAddress);
}

TEST_F(GPRecordSetTest, StoredFormsByDocumentVersionNeverKeepTheToken) {
    struct Case {
        CLSID value;
        int32_t document;
        uint16_t version;
        bool keepsUrl;
    };
    const Case cases[] = {
        {CLSID_GPRecordSet, docversion::kCurrent, 3, true},
        {CLSID_GPRecordSet, docversion::Older(7), 3, true},
        {CLSID_GPRecordSet, docversion::Older(6), 2, false},
        {CLSID_GPFeatureRecordSetLayer, docversion::kCurrent, 5, true},
        {CLSID_GPFeatureRecordSetLayer, docversion::Older(8), 4, true},
        {CLSID_GPFeatureRecordSetLayer, docversion::Older(5), 3, false},
        {CLSID_GPFeatureRecordSetLayer, docversion::Older(0), 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.document));
        auto value = UrlValue(c.value);
        const std::vector<uint8_t> form = SavedForm(value.Get(), c.document);
        ASSERT_GE(form.size(), 2u);
        EXPECT_EQ(form[0] | form[1] << 8, c.version);
        EXPECT_EQ(std::string(form.begin(), form.end()).find("secret"), std::string::npos);
        auto read = Create<IGPRecordSet2>(c.value);
        ASSERT_EQ(LoadForm(read.Get(), form, c.document), S_OK);
        EXPECT_EQ(Url(read.Get()), c.keepsUrl ? kServiceAddress : u"");
        if (c.keepsUrl) {
            BStr url, token, referer;
            read->GetURL(url.Out(), token.Out(), referer.Out());
            EXPECT_EQ(token.Get(), nullptr) << "the token is never stored";
            EXPECT_EQ(referer.Get(), nullptr);
            EXPECT_EQ(NameOf(read.Get()), "Roads") << "the stored definition is applied";
        }
    }
    // Records survive every version.
    for (const Kind& kind : kKinds) {
        auto value = ValueOver(kind.value, Records(kind.table).Get());
        for (int32_t document : {docversion::kCurrent, docversion::Older(0)}) {
            auto read = Create<IGPRecordSet2>(kind.value);
            ASSERT_EQ(LoadForm(read.Get(), SavedForm(value.Get(), document), document), S_OK);
            EXPECT_TRUE(Equal(read.Get(), value.Get())) << kind.defaultName << " " << document;
        }
    }
}

TEST_F(GPRecordSetTest, XmlFormsHoldRecordsOrTheAddress) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.defaultName);
        auto records = ValueOver(kind.value, Records(kind.table).Get());
        const std::string held = ToUtf8(XmlForm(records.Get()));
        EXPECT_NE(held.find("<RecordSet"), std::string::npos);
        EXPECT_EQ(held.find("<URL"), std::string::npos);
        auto read = XmlCopy<IGPRecordSet2>(FromUtf8(held), kind.value);
        ASSERT_TRUE(read);
        EXPECT_TRUE(Equal(read.Get(), records.Get()));

        auto url = UrlValue(kind.value);
        const std::string named = ToUtf8(XmlForm(url.Get()));
        EXPECT_EQ(named.find("<RecordSet"), std::string::npos);
        EXPECT_NE(named.find(">http://127.0.0.1:9/services/City/Roads/FeatureServer/0</URL>"), std::string::npos);
        EXPECT_NE(named.find("<LayerDefinition"), std::string::npos);
        EXPECT_EQ(named.find("secret"), std::string::npos) << "the token is never written";
        EXPECT_EQ(named.find("app.example"), std::string::npos) << "nor the referer";
        read = XmlCopy<IGPRecordSet2>(FromUtf8(named), kind.value);
        ASSERT_TRUE(read);
        EXPECT_EQ(Url(read.Get()), kServiceAddress);
        EXPECT_EQ(NameOf(read.Get()), "Roads");
    }
}

TEST_F(GPRecordSetTest, RecordSetFileIsReadOnFirstNeedAndRemoved) {
    auto stored = ValueOver(CLSID_GPRecordSet, Records("city.gpkg/visits").Get());
    const std::string file = data_->Path("records.dat");
    {
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnFile(file.c_str(), 1, docversion::kCurrent, stream.Out()), S_OK);
        ASSERT_EQ(SaveObject(stored.Get(), stream.Get(), 1), S_OK);
    }
    auto value = Create<IGPRecordSetImpl>(CLSID_GPRecordSet);
    ASSERT_EQ(value->put_Path(FromUtf8(file).c_str()), S_OK);
    EXPECT_FALSE(IsEmpty(value.Get()));
    EXPECT_FALSE(std::filesystem::exists(file)) << "the file is removed once read";
    BStr path;
    value->get_Path(path.Out());
    EXPECT_TRUE(path.view().empty());
    EXPECT_TRUE(Equal(value.Get(), stored.Get()));

    // A file that is no record set file, or cannot be read, leaves the value without records and is kept.
    data_->File("damaged.dat", "not a stream");
    for (const char* name : {"damaged.dat", "points.csv", "missing.dat"}) {
        SCOPED_TRACE(name);
        auto other = Create<IGPRecordSetImpl>(CLSID_GPRecordSet);
        ASSERT_EQ(other->put_Path(FromUtf8(data_->Path(name)).c_str()), S_OK);
        EXPECT_TRUE(IsEmpty(other.Get()));
        EXPECT_EQ(std::filesystem::exists(data_->Path(name)), std::string(name) != "missing.dat");
    }
}

TEST_F(GPRecordSetTest, ExportNamesTheTableAfterTheGivenName) {
    data_->Vector("GPKG", "export.gpkg", "seed", wkbPoint, 4326, {{"POINT (1 1)", "s", 1, 1, 2001, 1, 1}});
    auto element = QueryAs<IDEWorkspace>(Open(P("export.gpkg")).Get());
    ASSERT_TRUE(element);
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(element->OpenWorkspace(workspace.Out()), S_OK);
    auto value =
        QueryAs<IGPRecordSetImpl>(ValueOver(CLSID_GPFeatureRecordSetLayer, Records("city.gpkg/roads").Get()).Get());
    TextOf(value.Get()); // a scratch table first: the export still writes its own
    for (const char* expected : {"My_table__1_", "My_table__1_1", "My_table__1_2"}) {
        ComPtr<ITable> table;
        ASSERT_EQ(value->ExportToWorkspace(workspace.Get(), u"My table (1)", table.Out()), S_OK);
        ASSERT_TRUE(table);
        BStr name;
        QueryAs<IDataElement>(table.Get())->get_Name(name.Out());
        EXPECT_EQ(ToUtf8(name.view()), expected);
        EXPECT_EQ(NameOf(value.Get()), expected);
    }
}

TEST_F(GPRecordSetTest, DescribeGivesJsonAddressAndShapeType) {
    auto value = QueryAs<IGPDescribe>(ValueOver(CLSID_GPFeatureRecordSetLayer, Records("city.gpkg/roads").Get()).Get());
    struct Case {
        const char16_t* name;
        const char* contains;
    };
    const Case cases[] = {
        {u"json", "\"features\""},
        {u"PJSON", "\n"},
        {u"JSONXY", "\"paths\""},
        {u"DataType", "GPFeatureRecordSetLayer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        Variant described;
        ASSERT_EQ(value->Describe(c.name, &described), S_OK);
        ASSERT_EQ(described.vt, VT_BSTR);
        EXPECT_NE(ToUtf8(described.bstrVal).find(c.contains), std::string::npos) << ToUtf8(described.bstrVal);
    }
    auto url = QueryAs<IGPDescribe>(UrlValue(CLSID_GPRecordSet).Get());
    Variant path, shape;
    ASSERT_EQ(url->Describe(u"CatalogPath", &path), S_OK);
    EXPECT_EQ(std::u16string(path.bstrVal), kServiceAddress);
    ASSERT_EQ(url->Describe(u"shapetype", &shape), S_OK);
    EXPECT_EQ(std::u16string(shape.bstrVal), u"Polyline");
}

TEST_F(GPRecordSetTest, ServiceLayerIsContactedOnlyWhenItsRecordsAreNeeded) {
    LoopbackFeatureService service;
    service.AddLayer(LoopbackFeatureService::PointLayer("/services/City/Points/FeatureServer/0", 2500, 1000, true));
    auto guarded = LoopbackFeatureService::PointLayer("/services/City/Guarded/FeatureServer/0", 10, 1000, true);
    guarded.token = "t0k";
    service.AddLayer(guarded);
    const std::u16string address = FromUtf8(service.Url("/services/City/Points/FeatureServer/0"));

    auto value = Create<IGPValue>(CLSID_GPFeatureRecordSetLayer);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(value->SetAsText(address.c_str(), message.Out()), S_OK);
    EXPECT_FALSE(IsEmpty(value.Get()));
    EXPECT_EQ(FromUtf8(TextOf(value.Get())), address);
    std::u16string upper = address;
    for (char16_t& c : upper)
        c = static_cast<char16_t>(std::toupper(c));
    ASSERT_EQ(value->SetAsText(upper.c_str(), message.Out()), S_OK);
    EXPECT_TRUE(service.Requests().empty()) << "naming a layer contacts nothing";

    ComPtr<IRecordSet> records;
    ASSERT_EQ(QueryAs<IGPRecordSet>(value.Get())->get_RecordSet(records.Out()), S_OK);
    ASSERT_TRUE(records);
    int64_t count = 0;
    records->get_RecordCount(&count);
    EXPECT_EQ(count, 2500);
    EXPECT_EQ(NameOf(value.Get()), "Points");
    const size_t asked = service.Requests().size();
    EXPECT_GE(asked, 3u) << "the definition and three pages";
    ASSERT_EQ(QueryAs<IGPRecordSet>(value.Get())->get_RecordSet(records.Out()), S_OK);
    EXPECT_FALSE(IsEmpty(value.Get()));
    EXPECT_EQ(service.Requests().size(), asked) << "fetched once";

    // A token is needed: without it the value stays empty; with it the records come.
    const std::u16string guardedAddress = FromUtf8(service.Url("/services/City/Guarded/FeatureServer/0"));
    auto tokenValue = Create<IGPRecordSet2>(CLSID_GPFeatureRecordSetLayer);
    EXPECT_EQ(tokenValue->SetURL(guardedAddress.c_str(), nullptr, nullptr), E_ACCESSDENIED);
    VARIANT_BOOL urlBased = 7;
    tokenValue->get_IsURLBased(&urlBased);
    EXPECT_EQ(urlBased, VARIANT_FALSE);
    EXPECT_TRUE(IsEmpty(tokenValue.Get()));
    ASSERT_EQ(tokenValue->SetURL(guardedAddress.c_str(), u"t0k", nullptr), S_OK);
    ASSERT_EQ(tokenValue->get_RecordSet(records.Out()), S_OK);
    records->get_RecordCount(&count);
    EXPECT_EQ(count, 10);

    // A layer where nothing listens: named without complaint, failing when its records are asked for.
    const std::u16string nowhere = u"http://127.0.0.1:" +
                                   FromUtf8(std::to_string(LoopbackFeatureService::ClosedPort())) +
                                   u"/services/City/Points/FeatureServer/0";
    ASSERT_EQ(value->SetAsText(nowhere.c_str(), message.Out()), S_OK);
    EXPECT_FALSE(MessageIsError(message.Get()));
    EXPECT_EQ(QueryAs<IGPRecordSet>(value.Get())->get_RecordSet(records.Out()), TAVI_E_SERVICE_UNREACHABLE);
    EXPECT_FALSE(records);
    SetErrorInfo(0, nullptr); // the failures' descriptions
}

TEST_F(GPRecordSetTest, DownloadedRecordSetFile) {
    auto stored = ValueOver(CLSID_GPRecordSet, Records("city.gpkg/visits").Get());
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    ASSERT_EQ(SaveObject(stored.Get(), stream.Get(), 1), S_OK);
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::string bytes(size, '\0');
    uint32_t read = 0;
    stream->Read(bytes.data(), static_cast<uint32_t>(size), &read);

    LoopbackFeatureService service;
    service.AddFile("/jobs/j1/records.dat", bytes);
    auto value = Create<IGPRecordSetImpl>(CLSID_GPRecordSet);
    ASSERT_EQ(value->put_Path(FromUtf8(service.Url("/jobs/j1/records.dat?f=file")).c_str()), S_OK);
    EXPECT_FALSE(IsEmpty(value.Get()));
    EXPECT_TRUE(Equal(value.Get(), stored.Get()));
    // An address whose ".dat" does not end its path names no record set file: nothing is fetched.
    auto other = Create<IGPRecordSetImpl>(CLSID_GPRecordSet);
    service.ClearRequests();
    ASSERT_EQ(other->put_Path(FromUtf8(service.Url("/jobs/j1/records.dat.txt")).c_str()), S_OK);
    EXPECT_TRUE(IsEmpty(other.Get()));
    EXPECT_TRUE(service.Requests().empty());
}

} // namespace
} // namespace tavi::test
