// The service input layer against the loopback feature service: layer addresses, the definition, paging past the
// transfer limit and the updated filter when the service cannot page, token and referer, and every failure with its
// code, nothing handed out, the layer unchanged and no secret in the error description.
#include "LoopbackFeatureService.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include "data/RecordSet.h"
#include "data/ServiceInputLayer.h"
#include "tavi/RecordSet.h"

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

constexpr const char* kLayerPath = "/services/Points/FeatureServer/0";
constexpr const char16_t* kToken = u"s3cr3t-T0ken";
constexpr const char16_t* kReferer = u"https://app.example.test/viewer";

std::u16string ErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) != S_OK || !info)
        return {};
    BStr description;
    info->GetDescription(description.Out());
    return description.str();
}

// The object identifiers of a record set, in record order.
std::vector<int64_t> Ids(IRecordSet* records) {
    auto data = RecordDataOf(records);
    std::vector<int64_t> ids;
    if (!data)
        return ids;
    for (const RecordColumn& column : data->columns)
        if (column.field.name == data->oidFieldName)
            ids = column.integers;
    return ids;
}

// Whether every record's point is the loopback point layer's (id, -id): the pages' geometries were appended in step
// with their attributes.
bool PointsMatchIds(IRecordSet* records) {
    auto data = RecordDataOf(records);
    const std::vector<int64_t> ids = Ids(records);
    if (!data || !data->hasGeometry || data->geometry.Size() != ids.size())
        return false;
    const GeometryColumn& points = data->geometry;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (points.PartCount(i) != 1)
            return false;
        const uint64_t point = points.partPoints[points.recordParts[i]];
        if (points.xy[2 * point] != static_cast<double>(ids[i]) ||
            points.xy[2 * point + 1] != -static_cast<double>(ids[i]))
            return false;
    }
    return true;
}

std::vector<int64_t> Range(int64_t first, int64_t last) {
    std::vector<int64_t> ids;
    for (int64_t id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

class ServiceInputLayerTest : public ModuleClassesTest {
protected:
    // The error information a failure leaves is an object too: none may stand in the thread's slot when the count
    // is taken.
    void SetUp() override {
        SetErrorInfo(0, nullptr);
        ModuleClassesTest::SetUp();
    }
    void TearDown() override {
        SetErrorInfo(0, nullptr);
        ModuleClassesTest::TearDown();
    }

    std::u16string Address(const char* path = kLayerPath) const { return FromUtf8(service_.Url(path)); }

    ComPtr<IGPServiceInputLayer> Connected(const char16_t* token = nullptr, const char16_t* referer = nullptr) {
        auto layer = Create<IGPServiceInputLayer>(CLSID_GPServiceInputLayer);
        EXPECT_EQ(layer->Init(Address().c_str(), token, referer), S_OK) << ToUtf8(ErrorDescription());
        return layer;
    }

    static Variant Property(IGPServiceInputLayer* layer, const char16_t* name) {
        ComPtr<IPropertySet> properties;
        EXPECT_EQ(layer->get_ServiceProperties(properties.Out()), S_OK);
        Variant value;
        if (properties)
            properties->GetProperty(name, value.Out());
        return value;
    }

    static bool Exceeded(IGPServiceInputLayer* layer) {
        VARIANT_BOOL exceeded = VARIANT_FALSE;
        EXPECT_EQ(layer->get_ExceededTransferLimit(&exceeded), S_OK);
        return exceeded == VARIANT_TRUE;
    }

    static bool RecordsPresent(IGPServiceInputLayer* layer) {
        VARIANT_BOOL present = VARIANT_FALSE;
        EXPECT_EQ(layer->get_RecordsPresent(&present), S_OK);
        return present == VARIANT_TRUE;
    }

    // The query requests the service saw.
    std::vector<SeenRequest> Queries() const {
        std::vector<SeenRequest> queries;
        for (const SeenRequest& request : service_.Requests())
            if (request.path.ends_with("/query"))
                queries.push_back(request);
        return queries;
    }

    // Every request kept the secrets out of its address.
    void ExpectNoSecretInAddresses() const {
        for (const SeenRequest& request : service_.Requests()) {
            EXPECT_EQ(request.target.find(ToUtf8(kToken)), std::string::npos) << request.target;
            EXPECT_EQ(request.target.find("token"), std::string::npos) << request.target;
        }
    }

    LoopbackFeatureService service_;
};

// ---- Layer addresses ----

TEST(ServiceUrlTest, ParsesLayerAddressesOfTheAcceptedTypes) {
    struct Case {
        const char16_t* text;
        bool parses;
        const char16_t* type;
        int32_t layerId;
        const char16_t* serviceAddress;
        const char* why;
    };
    const Case cases[] = {
        {u"https://maps.example.com/services/Hydro/Rivers/FeatureServer/0", true, u"featureserver", 0,
         u"https://maps.example.com/services/Hydro/Rivers/FeatureServer", "the usual form"},
        {u"HTTP://127.0.0.1:8080/a/Rivers/mapserver/12/", true, u"mapserver", 12,
         u"HTTP://127.0.0.1:8080/a/Rivers/mapserver", "scheme and type in any case, one final slash"},
        {u"http://[::1]:81/x/S/BigDataCatalogServer/3", true, u"bigdatacatalogserver", 3,
         u"http://[::1]:81/x/S/BigDataCatalogServer", "an IPv6 host"},
        {u"https://h/Rivers%20Old/FeatureServer/0", true, u"featureserver", 0, u"https://h/Rivers%20Old/FeatureServer",
         "an escaped blank"},
        {u"https://h/a/Rivers/FeatureServer/0?token=x", false, nullptr, 0, nullptr, "a query"},
        {u"https://h/a/Rivers/FeatureServer/0#top", false, nullptr, 0, nullptr, "a fragment"},
        {u"https://user:pw@h/a/Rivers/FeatureServer/0", false, nullptr, 0, nullptr, "user information"},
        {u"ftp://h/a/Rivers/FeatureServer/0", false, nullptr, 0, nullptr, "another scheme"},
        {u"https://h/a/Rivers/ImageServer/0", false, nullptr, 0, nullptr, "a type not accepted"},
        {u"https://h/a/Rivers/FeatureServer", false, nullptr, 0, nullptr, "no layer id"},
        {u"https://h/a/Rivers/FeatureServer/x1", false, nullptr, 0, nullptr, "a layer id that is no number"},
        {u"https://h/a/Rivers/FeatureServer/1234567890", false, nullptr, 0, nullptr, "a layer id of 10 digits"},
        {u"https://h/FeatureServer/0", false, nullptr, 0, nullptr, "no service name"},
        {u"https://h/a//Rivers/FeatureServer/0", false, nullptr, 0, nullptr, "an empty segment"},
        {u"https://h:0/a/Rivers/FeatureServer/0", false, nullptr, 0, nullptr, "port 0"},
        {u"https://h:70000/a/Rivers/FeatureServer/0", false, nullptr, 0, nullptr, "a port beyond 65535"},
        {u"https://h/a/Ri vers/FeatureServer/0", false, nullptr, 0, nullptr, "a blank"},
        {u"https://h/a/Rivers%2/FeatureServer/0", false, nullptr, 0, nullptr, "a broken escape"},
        {u"https://h/a/R\u00E9/FeatureServer/0", false, nullptr, 0, nullptr, "a character outside ASCII"},
        {u"C:/data/Rivers/FeatureServer/0", false, nullptr, 0, nullptr, "a path"},
        {u"", false, nullptr, 0, nullptr, "nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ServiceUrl url;
        url.layerId = -7;
        ASSERT_EQ(ParseServiceUrl(c.text, kServiceTypes, url), c.parses);
        if (!c.parses) {
            EXPECT_EQ(url.layerId, -7) << "nothing is changed";
            continue;
        }
        EXPECT_EQ(url.serviceType, c.type);
        EXPECT_EQ(url.layerId, c.layerId);
        EXPECT_EQ(url.serviceAddress, c.serviceAddress);
        EXPECT_EQ(url.layerAddress, url.serviceAddress + u"/" + FromUtf8(std::to_string(c.layerId)));
    }
    ServiceUrl url;
    EXPECT_FALSE(ParseServiceUrl(u"https://h/a/Rivers/MapServer/0", u"featureserver", url)) << "only the listed types";
    EXPECT_TRUE(ParseServiceUrl(u"https://h/a/Rivers/MapServer/0", u"  FeatureServer   MAPSERVER ", url));
}

// ---- The definition ----

TEST_F(ServiceInputLayerTest, InitReadsTheDefinition) {
    service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 10, 1000, true));
    auto layer = Connected();

    ComPtr<IJSONObject> definition;
    ASSERT_EQ(layer->GetLayerDefinition(definition.Out()), S_OK);
    BStr name;
    EXPECT_EQ(definition->GetMember(u"name", name.Out()), S_OK);
    EXPECT_EQ(name.str(), u"\"Points\"");
    EXPECT_EQ(BStr(Property(layer.Get(), u"serviceType").bstrVal).str(), u"featureserver");
    EXPECT_EQ(Property(layer.Get(), u"currentVersion").dblVal, 11.2);
    EXPECT_EQ(Property(layer.Get(), u"maxRecordCount").lVal, 1000);
    EXPECT_EQ(Property(layer.Get(), u"supportsPagination").boolVal, VARIANT_TRUE);
    EXPECT_FALSE(RecordsPresent(layer.Get()));
    EXPECT_FALSE(Exceeded(layer.Get()));

    auto requests = service_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].params["f"], "json");
}

TEST_F(ServiceInputLayerTest, CallsBeforeInitAndBadAddressesAreRefused) {
    service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 3, 1000, true));
    auto layer = Create<IGPServiceInputLayer>(CLSID_GPServiceInputLayer);
    ComPtr<IRecordSet> records;
    ComPtr<IJSONObject> definition;
    ComPtr<IPropertySet> properties;
    EXPECT_EQ(layer->GetRecords(nullptr, records.Out(), nullptr), E_UNEXPECTED);
    EXPECT_EQ(layer->GetLayerDefinition(definition.Out()), E_UNEXPECTED);
    EXPECT_EQ(layer->get_ServiceProperties(properties.Out()), E_UNEXPECTED);
    EXPECT_EQ(layer->Init(nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(layer->Init(FromUtf8(service_.Url("/services/Points/ImageServer/0")).c_str(), nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(layer->Init(Address().c_str(), nullptr, u"line\r\nX-Injected: 1"), E_INVALIDARG);
    EXPECT_EQ(layer->GetRecords(nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_TRUE(service_.Requests().empty()) << "nothing was sent";

    // A failed Init keeps the connection of the last successful one.
    ASSERT_EQ(layer->Init(Address().c_str(), nullptr, nullptr), S_OK);
    const std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackFeatureService::ClosedPort()) + kLayerPath;
    EXPECT_EQ(layer->Init(FromUtf8(closed).c_str(), nullptr, nullptr), TAVI_E_SERVICE_UNREACHABLE);
    ASSERT_EQ(layer->GetRecords(nullptr, records.Out(), nullptr), S_OK);
    EXPECT_EQ(Ids(records.Get()), Range(1, 3));
}

// ---- Paging ----

TEST_F(ServiceInputLayerTest, PagesUntilTheServiceSaysAllWereSent) {
    struct Case {
        int count;
        int maxRecordCount;
        bool pagination;
        const char* maxRecords; // TAVI_SERVICE_MAX_RECORDS, or null
        int pages;
        int64_t read;
        std::vector<std::string> offsets; // resultOffset of each query; empty without pagination
        const char16_t* updatedWhere;     // null: no updated filter
        const char* why;
    };
    const Case cases[] = {
        {2500, 1000, true, nullptr, 3, 2500, {"0", "1000", "2000"}, nullptr, "three pages, all records"},
        {2000, 1000, true, nullptr, 2, 2000, {"0", "1000"}, nullptr, "the last page is full"},
        {0, 1000, true, nullptr, 1, 0, {"0"}, nullptr, "an empty layer"},
        {2500, 1000, false, nullptr, 1, 1000, {}, u"OBJECTID > 1000", "no pagination: the first page, exceeded"},
        {2500, 1000, true, "1500", 2, 1500, {"0", "1000"}, u"OBJECTID > 1500", "the record limit is reached"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, c.count, c.maxRecordCount, c.pagination));
        std::optional<ScopedEnv> limit;
        if (c.maxRecords)
            limit.emplace("TAVI_SERVICE_MAX_RECORDS", c.maxRecords);
        auto layer = Connected();
        service_.ClearRequests();

        ComPtr<IRecordSet> records;
        ComPtr<IQueryFilter> updated;
        ASSERT_EQ(layer->GetRecords(nullptr, records.Out(), updated.Out()), S_OK) << ToUtf8(ErrorDescription());
        EXPECT_EQ(Ids(records.Get()), Range(1, c.read));
        EXPECT_TRUE(PointsMatchIds(records.Get()));
        EXPECT_TRUE(RecordsPresent(layer.Get()));
        EXPECT_EQ(Exceeded(layer.Get()), c.updatedWhere != nullptr);
        EXPECT_EQ(Property(layer.Get(), u"pagesRead").lVal, c.pages);
        EXPECT_EQ(Property(layer.Get(), u"recordsRead").llVal, c.read);
        if (c.updatedWhere) {
            ASSERT_TRUE(updated);
            BStr where, subFields;
            updated->get_WhereClause(where.Out());
            updated->get_SubFields(subFields.Out());
            EXPECT_EQ(where.str(), c.updatedWhere);
            EXPECT_EQ(subFields.str(), u"*");
        } else {
            EXPECT_FALSE(updated);
        }

        auto queries = Queries();
        ASSERT_EQ(queries.size(), static_cast<size_t>(c.pages));
        for (size_t i = 0; i < queries.size(); ++i) {
            auto& params = queries[i].params;
            EXPECT_EQ(queries[i].method, "POST");
            EXPECT_EQ(params["where"], "1=1");
            EXPECT_EQ(params["outFields"], "*");
            EXPECT_EQ(params["returnGeometry"], "true");
            EXPECT_EQ(params["orderByFields"], "OBJECTID ASC");
            EXPECT_EQ(params["f"], "json");
            EXPECT_EQ(params.count("token"), 0u);
            if (c.pagination) {
                EXPECT_EQ(params["resultOffset"], c.offsets[i]);
            } else {
                EXPECT_EQ(params.count("resultOffset"), 0u);
            }
        }
        if (c.maxRecords) {
            EXPECT_EQ(queries.back().params["resultRecordCount"], "500") << "only what the limit leaves is asked for";
        }
    }
}

TEST_F(ServiceInputLayerTest, TheUpdatedFilterReadsOnWithinTheGivenFilter) {
    service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 2500, 1000, false));
    auto layer = Connected();
    auto filter = Create<IQueryFilter>(CLSID_QueryFilter);
    filter->put_WhereClause(u" 1=1 ");
    filter->put_SubFields(u"OBJECTID,NAME");

    ComPtr<IRecordSet> records;
    ComPtr<IQueryFilter> updated;
    ASSERT_EQ(layer->GetRecords(filter.Get(), records.Out(), updated.Out()), S_OK);
    EXPECT_EQ(Queries().back().params["outFields"], "OBJECTID,NAME");
    ASSERT_TRUE(updated);
    BStr where, subFields;
    updated->get_WhereClause(where.Out());
    updated->get_SubFields(subFields.Out());
    EXPECT_EQ(where.str(), u"OBJECTID > 1000 AND (1=1)");
    EXPECT_EQ(subFields.str(), u"OBJECTID,NAME");

    ComPtr<IQueryFilter> next;
    ASSERT_EQ(layer->GetRecords(updated.Get(), records.Out(), next.Out()), S_OK);
    EXPECT_EQ(Ids(records.Get()), Range(1001, 2000));
    ASSERT_TRUE(next);
    next->get_WhereClause(where.Out());
    EXPECT_EQ(where.str(), u"OBJECTID > 2000 AND (OBJECTID > 1000 AND (1=1))");
    ASSERT_EQ(layer->GetRecords(next.Get(), records.Out(), updated.Out()), S_OK);
    EXPECT_EQ(Ids(records.Get()), Range(2001, 2500));
    EXPECT_FALSE(updated) << "the last records came without the transfer limit";
    EXPECT_FALSE(Exceeded(layer.Get()));
}

// ---- Token and referer ----

TEST_F(ServiceInputLayerTest, TokenAndRefererAreSentWhereTheServiceWantsThem) {
    struct Case {
        bool refuseWithStatus;
        const char16_t* token;
        const char16_t* referer;
        HRESULT hr;
        const char* why;
    };
    const Case cases[] = {
        {false, nullptr, kReferer, E_ACCESSDENIED, "no token: error 499"},
        {false, u"wrong", kReferer, E_ACCESSDENIED, "a wrong token: error 498"},
        {true, nullptr, kReferer, E_ACCESSDENIED, "no token: HTTP 403"},
        {false, kToken, nullptr, E_ACCESSDENIED, "no referer"},
        {false, kToken, u"https://other.example.test/", E_ACCESSDENIED, "another referer"},
        {false, kToken, kReferer, S_OK, "both as required"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        auto described = LoopbackFeatureService::PointLayer(kLayerPath, 1500, 1000, true);
        described.token = ToUtf8(kToken);
        described.referer = ToUtf8(kReferer);
        described.refuseWithHttpStatus = c.refuseWithStatus;
        service_.AddLayer(described);
        service_.ClearRequests();
        SetErrorInfo(0, nullptr);

        auto layer = Create<IGPServiceInputLayer>(CLSID_GPServiceInputLayer);
        ASSERT_EQ(layer->Init(Address().c_str(), c.token, c.referer), c.hr);
        if (FAILED(c.hr)) {
            const std::u16string description = ErrorDescription();
            EXPECT_FALSE(description.empty());
            EXPECT_EQ(description.find(kToken), std::u16string::npos);
            continue;
        }
        ComPtr<IRecordSet> records;
        ASSERT_EQ(layer->GetRecords(nullptr, records.Out(), nullptr), S_OK);
        EXPECT_EQ(Ids(records.Get()), Range(1, 1500));
        auto requests = service_.Requests();
        ASSERT_EQ(requests.size(), 3u);
        for (const SeenRequest& request : requests) {
            EXPECT_EQ(request.method, "POST") << "a token goes in a body";
            EXPECT_EQ(request.params.at("token"), ToUtf8(kToken));
            EXPECT_EQ(request.referer, ToUtf8(kReferer));
        }
    }
    ExpectNoSecretInAddresses();
}

// ---- Failures ----

enum class Phase { Init, Records };

struct FailureCase {
    Phase phase;
    std::function<void(ServiceLayer&)> fault;
    std::vector<std::pair<const char*, const char*>> settings;
    HRESULT hr;
    const char* why;
};

TEST_F(ServiceInputLayerTest, FailuresHandOutNothingAndChangeNothing) {
    const FailureCase cases[] = {
        {Phase::Init,
         [](ServiceLayer& l) { l.definitionAnswer = Answer::Malformed; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "a definition cut short"},
        {Phase::Init,
         [](ServiceLayer& l) {
             l.definition = nlohmann::ordered_json::array({1, 2});
         },
         {},
         TAVI_E_SERVICE_ANSWER,
         "a definition that is no object"},
        {Phase::Init,
         [](ServiceLayer& l) { l.definitionAnswer = Answer::ErrorJson; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "an error answer to the definition"},
        {Phase::Init,
         [](ServiceLayer& l) { l.definitionAnswer = Answer::HttpError; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "HTTP 500 for the definition"},
        {Phase::Init,
         [](ServiceLayer& l) { l.definitionAnswer = Answer::Huge; },
         {{"TAVI_HTTP_MAX_BYTES", "1048576"}},
         TAVI_E_SERVICE_TOO_LARGE,
         "a definition beyond the size limit"},
        {Phase::Init,
         [](ServiceLayer& l) { l.definitionAnswer = Answer::Slow; },
         {{"TAVI_HTTP_TIMEOUT_MS", "200"}},
         TAVI_E_SERVICE_TIMEOUT,
         "a definition too slow"},
        {Phase::Init,
         [](ServiceLayer& l) {
             l.definitionAnswer = Answer::EchoToken;
             l.errorCode = 498;
         },
         {},
         E_ACCESSDENIED,
         "an error answer that repeats the secrets"},
        {Phase::Records,
         [](ServiceLayer& l) { l.queryAnswer = Answer::Malformed; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "a page cut short"},
        {Phase::Records,
         [](ServiceLayer& l) { l.queryAnswer = Answer::ErrorJson; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "an error answer to a query"},
        {Phase::Records,
         [](ServiceLayer& l) {
             l.queryAnswer = Answer::ErrorJson;
             l.faultFromPage = 2;
         },
         {},
         TAVI_E_SERVICE_ANSWER,
         "an error answer to the second page: the first is not handed out"},
        {Phase::Records,
         [](ServiceLayer& l) {
             l.queryAnswer = Answer::HttpError;
             l.httpStatus = 502;
             l.faultFromPage = 3;
         },
         {},
         TAVI_E_SERVICE_ANSWER,
         "HTTP 502 for the third page"},
        {Phase::Records,
         [](ServiceLayer& l) { l.renameFieldFromPage = 2; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "a later page with other fields"},
        {Phase::Records,
         [](ServiceLayer& l) { l.alwaysExceeded = true; },
         {},
         TAVI_E_SERVICE_ANSWER,
         "more records claimed, none sent"},
        {Phase::Records,
         [](ServiceLayer& l) { l.queryAnswer = Answer::Huge; },
         {{"TAVI_HTTP_MAX_BYTES", "1048576"}},
         TAVI_E_SERVICE_TOO_LARGE,
         "a page beyond the size limit"},
        {Phase::Records,
         [](ServiceLayer& l) {
             l.queryAnswer = Answer::Slow;
             l.faultFromPage = 2;
         },
         {{"TAVI_HTTP_TIMEOUT_MS", "200"}},
         TAVI_E_SERVICE_TIMEOUT,
         "a second page too slow"},
        {Phase::Records,
         [](ServiceLayer& l) {
             l.queryAnswer = Answer::EchoToken;
             l.errorCode = 400;
         },
         {},
         TAVI_E_SERVICE_ANSWER,
         "a query error that repeats the secrets"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.why);
        service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 1500, 500, true));
        auto layer = Create<IGPServiceInputLayer>(CLSID_GPServiceInputLayer);
        ComPtr<IRecordSet> records;
        // A layer that read once already, to show that a failed call keeps what it knew.
        if (c.phase == Phase::Records) {
            ASSERT_EQ(layer->Init(Address().c_str(), kToken, kReferer), S_OK);
            ASSERT_EQ(layer->GetRecords(nullptr, records.Out(), nullptr), S_OK);
        }
        service_.ChangeLayer(kLayerPath, c.fault);
        std::vector<std::unique_ptr<ScopedEnv>> settings;
        for (const auto& [name, value] : c.settings)
            settings.push_back(std::make_unique<ScopedEnv>(name, value));
        SetErrorInfo(0, nullptr);

        std::u16string description;
        if (c.phase == Phase::Init) {
            EXPECT_EQ(layer->Init(Address().c_str(), kToken, kReferer), c.hr);
            description = ErrorDescription();
            ComPtr<IJSONObject> definition;
            EXPECT_EQ(layer->GetLayerDefinition(definition.Out()), E_UNEXPECTED) << "still not connected";
        } else {
            ComPtr<IQueryFilter> updated;
            auto sentinel = reinterpret_cast<IRecordSet*>(0x1);
            IRecordSet* out = sentinel;
            EXPECT_EQ(layer->GetRecords(nullptr, &out, updated.Out()), c.hr);
            description = ErrorDescription();
            EXPECT_EQ(out, nullptr);
            EXPECT_FALSE(updated);
            EXPECT_TRUE(RecordsPresent(layer.Get())) << "the earlier read still counts";
            EXPECT_EQ(Property(layer.Get(), u"pagesRead").lVal, 3);
            EXPECT_EQ(Property(layer.Get(), u"recordsRead").llVal, 1500);
        }
        EXPECT_NE(description.find(FromUtf8(kLayerPath)), std::u16string::npos) << ToUtf8(description);
        EXPECT_EQ(description.find(kToken), std::u16string::npos) << ToUtf8(description);
        EXPECT_EQ(description.find(kReferer), std::u16string::npos) << ToUtf8(description);
    }
    ExpectNoSecretInAddresses();
}

TEST_F(ServiceInputLayerTest, AServiceThatIsNotThereIsUnreachable) {
    service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 1, 1000, true));
    ScopedEnv connect("TAVI_HTTP_CONNECT_TIMEOUT_MS", "2000");
    const std::string addresses[] = {
        "http://127.0.0.1:" + std::to_string(LoopbackFeatureService::ClosedPort()) + kLayerPath, // nothing listens
        "https://127.0.0.1:" + std::to_string(service_.Port()) + kLayerPath, // no TLS there: the handshake fails
    };
    for (const std::string& address : addresses) {
        SCOPED_TRACE(address);
        auto layer = Create<IGPServiceInputLayer>(CLSID_GPServiceInputLayer);
        EXPECT_EQ(layer->Init(FromUtf8(address).c_str(), kToken, nullptr), TAVI_E_SERVICE_UNREACHABLE);
        EXPECT_EQ(ErrorDescription().find(kToken), std::u16string::npos);
    }
}

} // namespace
} // namespace tavi::test
