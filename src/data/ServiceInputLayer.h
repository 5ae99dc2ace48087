// The service input layer: the records of one layer of a feature service (or map service, or big data catalog
// service) fetched over HTTP(S), page by page, into one in-memory record set. The protocol is described in
// docs/feature-service.md. Also the parsing of a layer's address, which tells the record set values whether a text
// names a service layer.
#pragma once

#include "host/JsonObject.h"
#include "host/String.h"
#include "platform/Object.h"
#include "tavi/RecordSet.h"

#include <memory>
#include <mutex>
#include <string>

namespace tavi {

// The service types whose layers the input layer reads, as ParseServiceUrl takes them.
inline constexpr const char16_t* kServiceTypes = u"featureserver mapserver bigdatacatalogserver";

// The parts of a layer's address http(s)://host[:port]/<path>/<ServiceName>/<ServiceType>/<layer id>.
struct ServiceUrl {
    String scheme;         // "http" or "https", lower case
    String host;           // as written (an IPv6 address in its brackets)
    int32_t port = 0;      // as written; 0 when the address gives none
    String serviceName;    // the path segment before the service type
    String serviceType;    // lower case ("featureserver")
    String serviceAddress; // the address up to and with the service type, as written
    String layerAddress;   // serviceAddress, "/" and the layer id: the text without a final "/"
    int32_t layerId = -1;
};

// Whether `text` is the address of a service layer of one of `acceptedTypes` (a list separated by blanks, compared
// without regard to case), filling `out` when it is. The address is taken exactly as given: the scheme http or https
// (any case), a host name or address without user information, an optional port 1-65535, then a path of at least
// three non-empty segments whose last is the layer id (decimal digits, at most 9) and whose one before last is the
// service type; one final "/" is allowed. Path characters are printable ASCII other than blanks and " < > \ ^ ` { | }
// with '%' followed by two hexadecimal digits; a query ("?") or fragment ("#") makes the text no layer address.
// `out` is changed only when the text parses.
bool ParseServiceUrl(std::u16string_view text, std::u16string_view acceptedTypes, ServiceUrl& out);

// The service input layer. Init connects and reads the layer's definition; GetRecords fetches the records a filter
// selects. Failures are the result codes of tavi/RecordSet.h, with the thread's error information (source
// "GPServiceInputLayer") describing them; the token and the referer never appear in a description. A failed call
// changes nothing: the layer keeps its connection, its records state and its counts.
//
// Settings, read from the environment at each call: those of HttpSettings::FromEnvironment (TAVI_HTTP_TIMEOUT_MS,
// TAVI_HTTP_CONNECT_TIMEOUT_MS, TAVI_HTTP_MAX_BYTES) for every request, and TAVI_SERVICE_MAX_RECORDS (default
// 2,000,000), the most records one GetRecords reads before it stops and reports the transfer limit exceeded.
//
// Calls may come from several threads; requests run without holding the object, and the last call to finish
// decides the records state.
class ServiceInputLayer final : public Object<ServiceInputLayer, IGPServiceInputLayer> {
public:
    static constexpr CLSID kClassId = CLSID_GPServiceInputLayer;
    static constexpr const char16_t* kClassName = u"GPServiceInputLayer";

    // IGPServiceInputLayer
    // Init: E_POINTER for a null url; E_INVALIDARG for a text that is no layer address of the three service types
    // (ParseServiceUrl) or a referer holding a control character; the service failures otherwise. A null token or
    // referer is none.
    HRESULT Init(const OLECHAR* url, const OLECHAR* token, const OLECHAR* referer) override;
    // A new JSON object holding the definition; E_UNEXPECTED before a successful Init.
    HRESULT GetLayerDefinition(IJSONObject** definition) override;
    // E_UNEXPECTED before a successful Init. The updated filter, when the transfer limit was reached and the records
    // have an object identifier, selects "<oid field> > <largest id read>" within the given where clause; it keeps
    // the given sub fields.
    HRESULT GetRecords(IQueryFilter* filter, IRecordSet** records, IQueryFilter** updatedFilter) override;
    HRESULT get_ExceededTransferLimit(VARIANT_BOOL* exceeded) override;
    // "name", "serviceType", "layerId", "currentVersion" (when the definition gives it), "maxRecordCount" (the page
    // size used), "supportsPagination", "pagesRead", "recordsRead" (of the last GetRecords) and
    // "exceededTransferLimit". E_UNEXPECTED before a successful Init.
    HRESULT get_ServiceProperties(IPropertySet** properties) override;
    HRESULT get_RecordsPresent(VARIANT_BOOL* present) override;

    // What Init learnt: the address, the secrets to send and what the definition says of paging.
    struct Connection {
        ServiceUrl address;
        std::string url; // layerAddress in UTF-8
        std::string token;
        std::string referer;
        JsonValue definition;
        std::string layerName;
        std::string oidFieldName;
        bool hasVersion = false;
        double currentVersion = 0;
        int32_t maxRecordCount = 1000;
        bool supportsPagination = false;
    };

private:
    std::shared_ptr<const Connection> CurrentConnection() const;

    mutable std::mutex mutex_;
    std::shared_ptr<const Connection> connection_;
    bool recordsPresent_ = false;
    bool exceeded_ = false;
    int32_t pagesRead_ = 0;
    int64_t recordsRead_ = 0;
};

} // namespace tavi
