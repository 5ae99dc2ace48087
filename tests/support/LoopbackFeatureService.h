// A feature service for tests, on 127.0.0.1 only: a cpp-httplib server on a port the system chooses, running in a
// thread of its own from construction to destruction, speaking HTTP or (with a new self-signed certificate that no
// client trusts) HTTPS. It serves layers described in memory (the definition that
// "?f=json" answers and the features that "/query" pages through) and plain files, and can be told to misbehave:
// demand a token or a referer, answer malformed, huge, slow or error answers. Every request it saw is kept for the
// test to inspect.
#pragma once

#include <nlohmann/json.hpp>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace tavi::test {

// How the service answers a kind of request.
enum class Answer {
    Normal,
    Malformed, // a JSON text cut short
    Huge,      // a well-formed JSON object of hugeBytes bytes
    Slow,      // the normal answer after slowMs (cut short when the service stops)
    ErrorJson, // {"error": {"code": errorCode, "message": errorMessage}} with HTTP status 200
    HttpError, // HTTP status httpStatus with a text body
    EchoToken, // an error JSON whose message repeats the token and the referer the request carried
};

// A feature of a layer: its object id and its JSON text ({"attributes": {...}, "geometry": {...}}), kept as text so
// that pages are cheap to answer.
struct ServiceFeature {
    long long id = 0;
    std::string json;
};

// One layer of the service and how it behaves.
struct ServiceLayer {
    std::string path;                     // "/services/Rivers/FeatureServer/0"
    nlohmann::ordered_json definition;    // the "?f=json" answer; its maxRecordCount and pagination rule the paging
    nlohmann::ordered_json fields;        // the "fields" of query answers
    std::string geometryType;             // empty for records without geometry
    std::vector<ServiceFeature> features; // in ascending object ids
    std::string oidField = "OBJECTID";

    std::string token;                 // the token every request must carry (a form or query field); empty: none
    bool refuseWithHttpStatus = false; // a missing or wrong token answers HTTP 403 instead of error 499/498
    std::string referer;               // the Referer header every request must carry; empty: none
    Answer definitionAnswer = Answer::Normal;
    Answer queryAnswer = Answer::Normal;
    int faultFromPage = 1; // queryAnswer applies from this query request on (1: all); earlier ones are normal
    int errorCode = 400;
    std::string errorMessage = "Unable to complete operation.";
    int httpStatus = 500;
    size_t hugeBytes = size_t{4} << 20;
    int slowMs = 1500;
    bool alwaysExceeded = false; // every query answer claims that more records are left
    int renameFieldFromPage = 0; // from this query request on, the last field has another name (0: never)
};

// A request as the service saw it. `params` merges the address's query and the form body.
struct SeenRequest {
    std::string method;
    std::string path;
    std::string target; // the address as requested, query included
    std::map<std::string, std::string> params;
    std::string referer;
};

class LoopbackFeatureService {
public:
    explicit LoopbackFeatureService(bool tls = false);
    ~LoopbackFeatureService();
    LoopbackFeatureService(const LoopbackFeatureService&) = delete;
    LoopbackFeatureService& operator=(const LoopbackFeatureService&) = delete;

    void AddLayer(ServiceLayer layer);
    // Changes a layer's description or behaviour between requests.
    void ChangeLayer(const std::string& path, const std::function<void(ServiceLayer&)>& change);
    void AddFile(const std::string& path, std::string bytes);
    // Requests for `path` are answered with `status` (301, 302, 307...) and the Location `target`.
    void AddRedirect(const std::string& path, std::string target, int status);

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" (https with TLS) followed by `path`.
    std::string Url(const std::string& path) const;
    std::vector<SeenRequest> Requests() const;
    void ClearRequests();

    // A port on 127.0.0.1 that was bound and closed again: nothing listens there.
    static int ClosedPort();

    // A point layer of `count` records (OBJECTID 1..count, NAME "name <id>", VALUE id / 4, point (id, -id) in
    // WGS 84) whose definition says `maxRecordCount` and whether it supports pagination.
    static ServiceLayer PointLayer(std::string path, int count, int maxRecordCount, bool pagination);

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    bool Refused(const ServiceLayer& layer, const httplib::Request& request, httplib::Response& response) const;
    void Respond(const ServiceLayer& layer, Answer answer, const std::string& normalBody,
                 const httplib::Request& request, httplib::Response& response, const char* json);
    std::string QueryBody(const ServiceLayer& layer, const httplib::Request& request, int page) const;
    void Sleep(int milliseconds);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    bool tls_ = false;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    // Replaced, never changed in place: a request keeps the layer as it was when the request came.
    std::map<std::string, std::shared_ptr<const ServiceLayer>> layers_;
    std::map<std::string, int> queryCounts_;
    std::map<std::string, std::string> files_;
    std::map<std::string, std::pair<std::string, int>> redirects_;
    std::vector<SeenRequest> requests_;
};

} // namespace tavi::test
