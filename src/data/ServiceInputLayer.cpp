// The service input layer: see ServiceInputLayer.h and docs/feature-service.md.
#include "data/ServiceInputLayer.h"

#include "data/RecordSet.h"
#include "data/RecordSetJson.h"
#include "host/HttpClient.h"
#include "host/PropertySet.h"
#include "host/QueryFilter.h"
#include "platform/ErrorInfo.h"
#include "platform/HandOut.h"
#include "platform/Utf.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace tavi {

namespace {

constexpr const char16_t* kErrorSource = u"GPServiceInputLayer";
constexpr int64_t kDefaultMaxRecords = 2'000'000;
constexpr size_t kMaxMessageLength = 300;

// ---- The layer address ----

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsHexDigit(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Printable ASCII that may stand in a path segment or a host name; '%' must start an escape.
bool IsPathText(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c <= 0x20 || c >= 0x7F || std::u16string_view(u"\"<>\\^`{|}?#/").find(c) != std::u16string_view::npos)
            return false;
        if (c == u'%' && (i + 2 >= text.size() || !IsHexDigit(text[i + 1]) || !IsHexDigit(text[i + 2])))
            return false;
    }
    return true;
}

// A decimal number of 1 to `maxDigits` digits within [low, high].
std::optional<int32_t> SmallNumber(std::u16string_view text, size_t maxDigits, int32_t low, int32_t high) {
    if (text.empty() || text.size() > maxDigits || !std::all_of(text.begin(), text.end(), IsDigit))
        return std::nullopt;
    int64_t value = 0;
    for (char16_t c : text)
        value = value * 10 + (c - u'0');
    if (value < low || value > high)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

// host[:port] with no user information; an IPv6 address in brackets.
bool ParseAuthority(std::u16string_view authority, ServiceUrl& url) {
    if (authority.empty() || authority.find(u'@') != std::u16string_view::npos)
        return false;
    std::u16string_view host = authority;
    std::u16string_view port;
    if (authority.front() == u'[') {
        const size_t close = authority.find(u']');
        if (close == std::u16string_view::npos || close < 2)
            return false;
        host = authority.substr(0, close + 1);
        std::u16string_view rest = authority.substr(close + 1);
        if (!rest.empty() && (rest.front() != u':' || rest.size() < 2))
            return false;
        port = rest.empty() ? rest : rest.substr(1);
        const std::u16string_view inside = host.substr(1, host.size() - 2);
        if (!std::all_of(inside.begin(), inside.end(),
                         [](char16_t c) { return IsHexDigit(c) || c == u':' || c == u'.'; }))
            return false;
    } else {
        const size_t colon = authority.find(u':');
        if (colon != std::u16string_view::npos) {
            host = authority.substr(0, colon);
            port = authority.substr(colon + 1);
            if (port.empty())
                return false;
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), [](char16_t c) {
                return IsDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'-' || c == u'.' ||
                       c == u'_';
            }))
            return false;
    }
    url.host = String(host);
    url.port = 0;
    if (!port.empty()) {
        auto number = SmallNumber(port, 5, 1, 65535);
        if (!number)
            return false;
        url.port = *number;
    }
    return true;
}

bool IsAcceptedType(std::u16string_view type, std::u16string_view acceptedTypes) {
    for (const String& accepted : DelimitedList(acceptedTypes, u" ", true))
        if (!accepted.empty() && EqualsNoCase(accepted, type))
            return true;
    return false;
}

// ---- Errors ----

// `text` with every occurrence of the secrets replaced, so that no answer of a server can carry them into a
// description.
std::string WithoutSecrets(std::string text, const ServiceInputLayer::Connection* connection) {
    if (!connection)
        return text;
    for (const std::string* secret : {&connection->token, &connection->referer}) {
        if (secret->empty())
            continue;
        constexpr std::string_view kHidden = "***";
        for (size_t at = text.find(*secret); at != std::string::npos; at = text.find(*secret, at + kHidden.size()))
            text.replace(at, secret->size(), kHidden);
    }
    return text;
}

// Puts `description` as the calling thread's error information and answers `code`.
HRESULT Report(HRESULT code, const std::string& description, const ServiceInputLayer::Connection* connection) {
    return ReportError(code, kErrorSource, FromUtf8(WithoutSecrets(description, connection)));
}

// A failure on the way to an answer, as a result code and a description.
struct Failure {
    HRESULT code = S_OK;
    std::string description;
};

HRESULT CodeOf(HttpFailure failure) {
    switch (failure) {
    case HttpFailure::None:
        return S_OK;
    case HttpFailure::InvalidRequest:
        return E_INVALIDARG;
    case HttpFailure::Unreachable:
        return TAVI_E_SERVICE_UNREACHABLE;
    case HttpFailure::Timeout:
        return TAVI_E_SERVICE_TIMEOUT;
    case HttpFailure::TooLarge:
        return TAVI_E_SERVICE_TOO_LARGE;
    case HttpFailure::File:
        return E_FAIL;
    case HttpFailure::Redirect:
    case HttpFailure::Transfer:
    case HttpFailure::Status:
        return TAVI_E_SERVICE_ANSWER;
    }
    return E_FAIL;
}

// A service's error answer ({"error": {"code": 499, "message": "Token Required"}}) as a failure, or nothing when
// the body is no such answer. Only a body that holds the word is parsed as a whole.
std::optional<Failure> ServiceError(const std::string& body) {
    if (body.find("\"error\"") == std::string::npos)
        return std::nullopt;
    auto answer = ParseJsonObject(body);
    if (!answer || !answer->contains("error"))
        return std::nullopt;
    const JsonValue& error = (*answer)["error"];
    int64_t code = 0;
    std::string message;
    if (error.is_object()) {
        if (auto found = error.find("code"); found != error.end() && found->is_number_integer())
            code = found->get<int64_t>();
        if (auto found = error.find("message"); found != error.end() && found->is_string())
            message = found->get<std::string>();
    }
    if (message.size() > kMaxMessageLength)
        message = message.substr(0, kMaxMessageLength) + "...";
    const bool denied = code == 498 || code == 499 || code == 401 || code == 403;
    return Failure{denied ? E_ACCESSDENIED : TAVI_E_SERVICE_ANSWER,
                   "the service answered with error " + std::to_string(code) + (message.empty() ? "" : ": ") + message};
}

// The failure of an exchange: the transfer's, then a service error answer, then the HTTP status.
std::optional<Failure> FailureOf(const HttpResult& result, const std::string& what) {
    if (!result.Succeeded())
        return Failure{CodeOf(result.failure), what + ": " + result.reason};
    if (auto error = ServiceError(result.body)) {
        error->description = what + ": " + error->description;
        return error;
    }
    if (result.status == 401 || result.status == 403)
        return Failure{E_ACCESSDENIED,
                       what + ": the service refused access (HTTP status " + std::to_string(result.status) + ")"};
    if (result.status < 200 || result.status > 299)
        return Failure{TAVI_E_SERVICE_ANSWER,
                       what + ": the service answered with HTTP status " + std::to_string(result.status)};
    return std::nullopt;
}

// ---- The definition ----

int64_t MaxRecordsFromEnvironment() {
    const char* text = std::getenv("TAVI_SERVICE_MAX_RECORDS");
    if (!text || !*text)
        return kDefaultMaxRecords;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return *end == '\0' && value > 0 ? static_cast<int64_t>(value) : kDefaultMaxRecords;
}

// What the definition says of the layer's name, object identifier field and paging.
void ReadFacts(ServiceInputLayer::Connection& connection) {
    const JsonValue& definition = connection.definition;
    if (auto name = definition.find("name"); name != definition.end() && name->is_string())
        connection.layerName = name->get<std::string>();
    if (auto version = definition.find("currentVersion"); version != definition.end() && version->is_number()) {
        connection.hasVersion = true;
        connection.currentVersion = version->get<double>();
    }
    if (auto count = definition.find("maxRecordCount"); count != definition.end() && count->is_number_integer()) {
        const int64_t value = count->get<int64_t>();
        if (value > 0)
            connection.maxRecordCount = static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
    }
    if (auto capabilities = definition.find("advancedQueryCapabilities");
        capabilities != definition.end() && capabilities->is_object()) {
        auto paging = capabilities->find("supportsPagination");
        connection.supportsPagination = paging != capabilities->end() && paging->is_boolean() && paging->get<bool>();
    }
    if (auto oid = definition.find("objectIdField"); oid != definition.end() && oid->is_string()) {
        connection.oidFieldName = oid->get<std::string>();
    } else if (auto fields = definition.find("fields"); fields != definition.end() && fields->is_array()) {
        for (const JsonValue& field : *fields) {
            if (field.is_object() && field.value("type", JsonValue()) == "taviFieldTypeOID" &&
                field.value("name", JsonValue()).is_string()) {
                connection.oidFieldName = field["name"].get<std::string>();
                break;
            }
        }
    }
}

// ---- Pages ----

bool SameLayout(const RecordData& a, const RecordData& b) {
    if (a.columns.size() != b.columns.size() || a.oidFieldName != b.oidFieldName || a.hasGeometry != b.hasGeometry)
        return false;
    for (size_t i = 0; i < a.columns.size(); ++i)
        if (a.columns[i].field.name != b.columns[i].field.name || a.columns[i].field.type != b.columns[i].field.type)
            return false;
    return !a.hasGeometry ||
           (a.geometryFieldIndex == b.geometryFieldIndex && a.geometry.shapeType == b.geometry.shapeType &&
            a.geometry.hasZ == b.geometry.hasZ && a.geometry.hasM == b.geometry.hasM);
}

void AppendColumn(RecordColumn& into, const RecordColumn& page) {
    into.nulls.insert(into.nulls.end(), page.nulls.begin(), page.nulls.end());
    into.integers.insert(into.integers.end(), page.integers.begin(), page.integers.end());
    into.reals.insert(into.reals.end(), page.reals.begin(), page.reals.end());
    const uint64_t shift = into.chars.size();
    into.chars += page.chars;
    into.textEnds.reserve(into.textEnds.size() + page.textEnds.size());
    for (uint64_t end : page.textEnds)
        into.textEnds.push_back(end + shift);
}

void AppendGeometry(GeometryColumn& into, const GeometryColumn& page) {
    const uint64_t partShift = into.partPoints.size() - 1;
    const uint64_t pointShift = into.xy.size() / 2;
    into.recordParts.reserve(into.recordParts.size() + page.recordParts.size() - 1);
    for (size_t i = 1; i < page.recordParts.size(); ++i)
        into.recordParts.push_back(page.recordParts[i] + partShift);
    into.partPoints.reserve(into.partPoints.size() + page.partPoints.size() - 1);
    for (size_t i = 1; i < page.partPoints.size(); ++i)
        into.partPoints.push_back(page.partPoints[i] + pointShift);
    into.xy.insert(into.xy.end(), page.xy.begin(), page.xy.end());
    into.z.insert(into.z.end(), page.z.begin(), page.z.end());
    into.m.insert(into.m.end(), page.m.begin(), page.m.end());
    into.nulls.insert(into.nulls.end(), page.nulls.begin(), page.nulls.end());
}

// Appends the records of a later page; false (nothing appended) when its fields or geometry differ from the first.
bool AppendPage(RecordData& into, const RecordData& page) {
    if (!SameLayout(into, page))
        return false;
    for (size_t i = 0; i < into.columns.size(); ++i)
        AppendColumn(into.columns[i], page.columns[i]);
    if (into.hasGeometry)
        AppendGeometry(into.geometry, page.geometry);
    return true;
}

// The largest object identifier of the records, or nothing when they have none.
std::optional<int64_t> LargestId(const RecordData& records) {
    if (records.oidFieldName.empty())
        return std::nullopt;
    for (const RecordColumn& column : records.columns) {
        if (column.field.name != records.oidFieldName || column.storage != ColumnStorage::Integer)
            continue;
        std::optional<int64_t> largest;
        for (size_t i = 0; i < column.Size(); ++i)
            if (!column.IsNull(i) && (!largest || column.integers[i] > *largest))
                largest = column.integers[i];
        return largest;
    }
    return std::nullopt;
}

// What one GetRecords read.
struct Fetched {
    RecordData records;
    int32_t pages = 0;
    bool exceeded = false;
};

class Fetcher {
public:
    Fetcher(const ServiceInputLayer::Connection& connection, std::string where, std::string outFields)
        : connection_(connection), where_(std::move(where)), outFields_(std::move(outFields)),
          settings_(HttpSettings::FromEnvironment()), maxRecords_(MaxRecordsFromEnvironment()) {}

    // Reads the pages; a failure leaves nothing behind.
    std::optional<Failure> Run(Fetched& fetched) {
        const bool paging = connection_.supportsPagination;
        int64_t offset = 0;
        for (;;) {
            const int64_t left = maxRecords_ - static_cast<int64_t>(fetched.records.RecordCount());
            RecordData page;
            if (auto failure = FetchPage(offset, std::min<int64_t>(connection_.maxRecordCount, left), page))
                return failure;
            const size_t count = page.RecordCount();
            const bool more = page.exceededTransferLimit;
            if (fetched.pages == 0)
                fetched.records = std::move(page);
            else if (count > 0 && !AppendPage(fetched.records, page))
                return Failure{TAVI_E_SERVICE_ANSWER, What() + ": page " + std::to_string(fetched.pages + 1) +
                                                          " has other fields than the first page"};
            ++fetched.pages;
            if (!more)
                return std::nullopt;
            if (!paging || static_cast<int64_t>(fetched.records.RecordCount()) >= maxRecords_) {
                fetched.exceeded = true;
                return std::nullopt;
            }
            if (count == 0)
                return Failure{TAVI_E_SERVICE_ANSWER, What() +
                                                          ": the service reported more records but sent none on page " +
                                                          std::to_string(fetched.pages)};
            offset += static_cast<int64_t>(count);
        }
    }

private:
    std::string What() const { return "querying " + connection_.url; }

    std::optional<Failure> FetchPage(int64_t offset, int64_t count, RecordData& page) {
        HttpRequest request;
        request.url = connection_.url + "/query";
        request.post = true;
        request.referer = connection_.referer;
        request.form = {{"where", where_}, {"outFields", outFields_}, {"returnGeometry", "true"}};
        if (!connection_.oidFieldName.empty())
            request.form.emplace_back("orderByFields", connection_.oidFieldName + " ASC");
        if (connection_.supportsPagination) {
            request.form.emplace_back("resultOffset", std::to_string(offset));
            request.form.emplace_back("resultRecordCount", std::to_string(count));
        }
        request.form.emplace_back("f", "json");
        if (!connection_.token.empty())
            request.form.emplace_back("token", connection_.token);
        HttpResult result = HttpSend(request, settings_);
        if (auto failure = FailureOf(result, What()))
            return failure;
        std::string error;
        if (FAILED(ReadRecordSetJson(PaddedJson::Borrow(result.body), page, &error)))
            return Failure{TAVI_E_SERVICE_ANSWER, What() + ": the answer is no record set: " + error};
        return std::nullopt;
    }

    const ServiceInputLayer::Connection& connection_;
    std::string where_;
    std::string outFields_;
    HttpSettings settings_;
    int64_t maxRecords_;
};

// The filter that selects the records after the largest identifier read, within the original where clause.
HRESULT MakeUpdatedFilter(const std::string& oidField, int64_t largestId, const String& where, const String& subFields,
                          IQueryFilter** filter) {
    String clause = FromUtf8(oidField) + u" > " + FromUtf8(std::to_string(largestId));
    if (!where.empty())
        clause += u" AND (" + where + u")";
    auto made = MakeObject<QueryFilter>();
    if (HRESULT hr = made->put_WhereClause(clause.c_str()); FAILED(hr))
        return hr;
    if (HRESULT hr = made->put_SubFields(subFields.c_str()); FAILED(hr))
        return hr;
    return made.As<IQueryFilter>().CopyTo(filter);
}

} // namespace

bool ParseServiceUrl(std::u16string_view text, std::u16string_view acceptedTypes, ServiceUrl& out) {
    ServiceUrl url;
    const size_t schemeEnd = text.find(u"://");
    if (schemeEnd == std::u16string_view::npos)
        return false;
    url.scheme = ToLowerAscii(text.substr(0, schemeEnd));
    if (url.scheme != u"http" && url.scheme != u"https")
        return false;
    std::u16string_view rest = text.substr(schemeEnd + 3);
    const size_t pathStart = rest.find(u'/');
    if (pathStart == std::u16string_view::npos || !ParseAuthority(rest.substr(0, pathStart), url))
        return false;
    std::u16string_view path = rest.substr(pathStart + 1);
    if (!path.empty() && path.back() == u'/')
        path.remove_suffix(1);
    DelimitedList segments(path, u"/");
    const size_t count = segments.Count();
    if (count < 3 || !std::all_of(segments.begin(), segments.end(),
                                  [](const String& segment) { return !segment.empty() && IsPathText(segment); }))
        return false;
    const String& type = segments[count - 2];
    auto layerId = SmallNumber(segments[count - 1], 9, 0, INT32_MAX);
    if (!layerId || !IsAcceptedType(type, acceptedTypes))
        return false;
    url.layerId = *layerId;
    url.serviceName = segments[count - 3];
    url.serviceType = ToLowerAscii(type);
    std::u16string_view layerAddress = text;
    if (layerAddress.back() == u'/')
        layerAddress.remove_suffix(1);
    url.layerAddress = String(layerAddress);
    url.serviceAddress = String(layerAddress.substr(0, layerAddress.size() - segments[count - 1].size() - 1));
    out = std::move(url);
    return true;
}

std::shared_ptr<const ServiceInputLayer::Connection> ServiceInputLayer::CurrentConnection() const {
    std::lock_guard lock(mutex_);
    return connection_;
}

HRESULT ServiceInputLayer::Init(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer) {
    if (!url)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto connection = std::make_shared<Connection>();
        if (!ParseServiceUrl(url, kServiceTypes, connection->address))
            return Report(E_INVALIDARG, "the text is no address of a service layer", nullptr);
        connection->url = ToUtf8(connection->address.layerAddress);
        connection->token = token ? ToUtf8(token) : std::string();
        connection->referer = referer ? ToUtf8(referer) : std::string();
        const std::string what = "reading the definition of " + connection->url;

        // The token goes in a POST body, never into the address, where logs and proxies would keep it.
        HttpRequest request;
        request.referer = connection->referer;
        if (connection->token.empty()) {
            request.url = connection->url + "?f=json";
        } else {
            request.url = connection->url;
            request.post = true;
            request.form = {{"f", "json"}, {"token", connection->token}};
        }
        const HttpResult result = HttpSend(request, HttpSettings::FromEnvironment());
        if (auto failure = FailureOf(result, what))
            return Report(failure->code, failure->description, connection.get());
        auto definition = ParseJsonObject(result.body);
        if (!definition)
            return Report(TAVI_E_SERVICE_ANSWER, what + ": the answer is no JSON object", connection.get());
        connection->definition = std::move(*definition);
        ReadFacts(*connection);

        std::lock_guard lock(mutex_);
        connection_ = std::move(connection);
        recordsPresent_ = false;
        exceeded_ = false;
        pagesRead_ = 0;
        recordsRead_ = 0;
        return S_OK;
    });
}

HRESULT ServiceInputLayer::GetLayerDefinition(IJSONObject** definition) {
    if (HRESULT hr = ClearOut(definition); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto connection = CurrentConnection();
        if (!connection)
            return Report(E_UNEXPECTED, "the service layer is not connected", nullptr);
        return MakeJsonObject(connection->definition, definition);
    });
}

HRESULT ServiceInputLayer::GetRecords(IQueryFilter* filter, IRecordSet** records, IQueryFilter** updatedFilter) {
    if (HRESULT hr = ClearOut(records); FAILED(hr))
        return hr;
    if (updatedFilter)
        *updatedFilter = nullptr;
    return guard([&]() -> HRESULT {
        auto connection = CurrentConnection();
        if (!connection)
            return Report(E_UNEXPECTED, "the service layer is not connected", nullptr);
        String where, subFields = QueryFilter::kAllFields;
        if (filter && FAILED(ReadQueryFilter(filter, where, subFields)))
            return Report(E_INVALIDARG, "the query filter could not be read", nullptr);
        where = Trim(where);
        subFields = Trim(subFields);
        Fetcher fetcher(*connection, where.empty() ? "1=1" : ToUtf8(where),
                        subFields.empty() ? "*" : ToUtf8(subFields));
        Fetched fetched;
        if (auto failure = fetcher.Run(fetched))
            return Report(failure->code, failure->description, connection.get());

        const int64_t count = static_cast<int64_t>(fetched.records.RecordCount());
        fetched.records.exceededTransferLimit = fetched.exceeded; // the first page's flag spoke for that page only
        ComPtr<IQueryFilter> next;
        if (fetched.exceeded) {
            if (auto largest = LargestId(fetched.records)) {
                if (HRESULT hr =
                        MakeUpdatedFilter(ToUtf8(fetched.records.oidFieldName), *largest, where,
                                          subFields.empty() ? String(QueryFilter::kAllFields) : subFields, next.Out());
                    FAILED(hr))
                    return hr;
            }
        }
        ComPtr<IRecordSet> made;
        if (HRESULT hr = MakeRecordSet(std::make_shared<const RecordData>(std::move(fetched.records)), made.Out());
            FAILED(hr))
            return hr;
        {
            std::lock_guard lock(mutex_);
            recordsPresent_ = true;
            exceeded_ = fetched.exceeded;
            pagesRead_ = fetched.pages;
            recordsRead_ = count;
        }
        *records = made.Detach();
        if (updatedFilter)
            *updatedFilter = next.Detach();
        return S_OK;
    });
}

HRESULT ServiceInputLayer::get_ExceededTransferLimit(VARIANT_BOOL* exceeded) {
    std::lock_guard lock(mutex_);
    return HandOutValue<VARIANT_BOOL>(exceeded_ ? VARIANT_TRUE : VARIANT_FALSE, exceeded);
}

HRESULT ServiceInputLayer::get_RecordsPresent(VARIANT_BOOL* present) {
    std::lock_guard lock(mutex_);
    return HandOutValue<VARIANT_BOOL>(recordsPresent_ ? VARIANT_TRUE : VARIANT_FALSE, present);
}

HRESULT ServiceInputLayer::get_ServiceProperties(IPropertySet** properties) {
    if (HRESULT hr = ClearOut(properties); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        std::shared_ptr<const Connection> connection;
        bool exceeded = false;
        int32_t pages = 0;
        int64_t records = 0;
        {
            std::lock_guard lock(mutex_);
            connection = connection_;
            exceeded = exceeded_;
            pages = pagesRead_;
            records = recordsRead_;
        }
        if (!connection)
            return Report(E_UNEXPECTED, "the service layer is not connected", nullptr);
        auto set = MakeObject<PropertySet>();
        set->Set(u"name", Variant::Text(FromUtf8(connection->layerName)));
        set->Set(u"serviceType", Variant::Text(connection->address.serviceType));
        set->Set(u"layerId", Variant::Int(connection->address.layerId));
        if (connection->hasVersion)
            set->Set(u"currentVersion", Variant::Double(connection->currentVersion));
        set->Set(u"maxRecordCount", Variant::Int(connection->maxRecordCount));
        set->Set(u"supportsPagination", Variant::Bool(connection->supportsPagination));
        set->Set(u"pagesRead", Variant::Int(pages));
        Variant read;
        read.vt = VT_I8;
        read.llVal = records;
        set->Set(u"recordsRead", read);
        set->Set(u"exceededTransferLimit", Variant::Bool(exceeded));
        return set.As<IPropertySet>().CopyTo(properties);
    });
}

} // namespace tavi
