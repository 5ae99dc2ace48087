// The loopback feature service for tests: see LoopbackFeatureService.h.
#include "LoopbackFeatureService.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <stdexcept>

namespace tavi::test {

namespace {

// JSON answers. cpp-httplib compresses an answer of exactly "application/json" when the client accepts it (so the
// definition arrives compressed, as from many services); the pages go uncompressed, as its compressors take far
// longer than the transfer on this machine.
constexpr const char* kJson = "application/json";
constexpr const char* kPageJson = "application/json; charset=utf-8";

std::string ErrorBody(int code, const std::string& message) {
    nlohmann::ordered_json error = {
        {"error", {{"code", code}, {"message", message}, {"details", nlohmann::json::array()}}}};
    return error.dump();
}

// The object identifiers a where clause selects beyond: "1=1" selects all (0), "<oid> > N" and
// "<oid> > N AND (...)" select those above N; nothing for a clause the service does not understand.
std::optional<long long> LowerBound(const std::string& where, const std::string& oidField) {
    if (where == "1=1")
        return 0;
    const std::string prefix = oidField + " > ";
    if (where.rfind(prefix, 0) != 0)
        return std::nullopt;
    size_t used = 0;
    try {
        const long long bound = std::stoll(where.substr(prefix.size()), &used);
        const std::string rest = where.substr(prefix.size() + used);
        if (rest.empty() || (rest.rfind(" AND (", 0) == 0 && rest.back() == ')'))
            return bound;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// A server with a self-signed certificate for 127.0.0.1 (as its common name and its IP address), valid for an hour.
std::unique_ptr<httplib::Server> SelfSignedServer() {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), &X509_free);
    if (!key || !certificate)
        throw std::runtime_error("no key or certificate could be made");
    X509* cert = certificate.get();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key.get());
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* altName = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1");
    if (!altName || !X509_add_ext(cert, altName, -1) || !X509_sign(cert, key.get(), EVP_sha256())) {
        X509_EXTENSION_free(altName);
        throw std::runtime_error("the certificate could not be made");
    }
    X509_EXTENSION_free(altName);
    auto server = std::make_unique<httplib::SSLServer>(cert, key.get()); // takes its own references
    if (!server->is_valid())
        throw std::runtime_error("the TLS server could not be set up");
    return server;
}

long long NumberParam(const httplib::Request& request, const char* name, long long fallback) {
    if (!request.has_param(name))
        return fallback;
    try {
        return std::stoll(request.get_param_value(name));
    } catch (const std::exception&) {
        return fallback;
    }
}

} // namespace

LoopbackFeatureService::LoopbackFeatureService(bool tls)
    : server_(tls ? SelfSignedServer() : std::make_unique<httplib::Server>()), tls_(tls) {
    auto handler = [this](const httplib::Request& request, httplib::Response& response) { Handle(request, response); };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    server_->set_keep_alive_timeout(1);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("the loopback service could not bind a port on 127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
}

LoopbackFeatureService::~LoopbackFeatureService() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    server_->stop();
    thread_.join();
}

void LoopbackFeatureService::AddLayer(ServiceLayer layer) {
    std::lock_guard lock(mutex_);
    std::string path = layer.path;
    layers_[path] = std::make_shared<const ServiceLayer>(std::move(layer));
    queryCounts_[path] = 0;
}

void LoopbackFeatureService::ChangeLayer(const std::string& path, const std::function<void(ServiceLayer&)>& change) {
    std::lock_guard lock(mutex_);
    auto changed = std::make_shared<ServiceLayer>(*layers_.at(path));
    change(*changed);
    layers_[path] = std::move(changed);
    queryCounts_[path] = 0;
}

void LoopbackFeatureService::AddFile(const std::string& path, std::string bytes) {
    std::lock_guard lock(mutex_);
    files_[path] = std::move(bytes);
}

void LoopbackFeatureService::AddRedirect(const std::string& path, std::string target, int status) {
    std::lock_guard lock(mutex_);
    redirects_[path] = {std::move(target), status};
}

std::string LoopbackFeatureService::Url(const std::string& path) const {
    return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + path;
}

std::vector<SeenRequest> LoopbackFeatureService::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackFeatureService::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

int LoopbackFeatureService::ClosedPort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socket);
    return port;
}

ServiceLayer LoopbackFeatureService::PointLayer(std::string path, int count, int maxRecordCount, bool pagination) {
    ServiceLayer layer;
    layer.path = std::move(path);
    layer.geometryType = "taviGeometryPoint";
    layer.fields = nlohmann::ordered_json::array({
        {{"name", "OBJECTID"}, {"type", "taviFieldTypeOID"}, {"alias", "OBJECTID"}},
        {{"name", "NAME"}, {"type", "taviFieldTypeString"}, {"alias", "Name"}, {"length", 50}},
        {{"name", "VALUE"}, {"type", "taviFieldTypeDouble"}, {"alias", "Value"}},
    });
    layer.definition = {
        {"currentVersion", 11.2},           {"name", "Points"},
        {"type", "Feature Layer"},          {"geometryType", layer.geometryType},
        {"objectIdField", "OBJECTID"},      {"fields", layer.fields},
        {"maxRecordCount", maxRecordCount}, {"advancedQueryCapabilities", {{"supportsPagination", pagination}}},
    };
    static constexpr const char* kQuarters[] = {"", ".25", ".5", ".75"}; // id / 4 written exactly
    layer.features.reserve(count);
    for (int id = 1; id <= count; ++id) {
        const std::string text = std::to_string(id);
        const std::string value = std::to_string(id / 4) + kQuarters[id % 4];
        layer.features.push_back({id, R"({"attributes":{"OBJECTID":)" + text + R"(,"NAME":"name )" + text +
                                          R"(","VALUE":)" + value + R"(},"geometry":{"x":)" + text + R"(,"y":-)" +
                                          text + "}}"});
    }
    return layer;
}

void LoopbackFeatureService::Sleep(int milliseconds) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping_; });
}

void LoopbackFeatureService::Handle(const httplib::Request& request, httplib::Response& response) {
    std::unique_lock lock(mutex_);
    SeenRequest seen{request.method, request.path, request.target, {}, request.get_header_value("Referer")};
    for (const auto& [name, value] : request.params)
        seen.params[name] = value;
    requests_.push_back(seen);

    if (auto redirect = redirects_.find(request.path); redirect != redirects_.end()) {
        response.status = redirect->second.second;
        response.set_header("Location", redirect->second.first);
        return;
    }
    if (auto file = files_.find(request.path); file != files_.end() && request.method == "GET") {
        response.set_content(file->second, "application/octet-stream");
        return;
    }
    std::string layerPath = request.path;
    const bool query = layerPath.size() > 6 && layerPath.compare(layerPath.size() - 6, 6, "/query") == 0;
    if (query)
        layerPath.resize(layerPath.size() - 6);
    auto found = layers_.find(layerPath);
    if (found == layers_.end()) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    const std::shared_ptr<const ServiceLayer> held = found->second;
    const ServiceLayer& layer = *held;
    const int page = query ? ++queryCounts_[layerPath] : 0;
    lock.unlock();

    if (Refused(layer, request, response))
        return;
    if (!query) {
        Respond(layer, layer.definitionAnswer, layer.definition.dump(), request, response, kJson);
        return;
    }
    const Answer answer = page >= layer.faultFromPage ? layer.queryAnswer : Answer::Normal;
    Respond(layer, answer, answer == Answer::Normal || answer == Answer::Slow ? QueryBody(layer, request, page) : "",
            request, response, kPageJson);
}

bool LoopbackFeatureService::Refused(const ServiceLayer& layer, const httplib::Request& request,
                                     httplib::Response& response) const {
    if (!layer.token.empty() && request.get_param_value("token") != layer.token) {
        if (layer.refuseWithHttpStatus) {
            response.status = 403;
            response.set_content("Forbidden", "text/plain");
        } else if (!request.has_param("token")) {
            response.set_content(ErrorBody(499, "Token Required"), kJson);
        } else {
            response.set_content(ErrorBody(498, "Invalid Token"), kJson);
        }
        return true;
    }
    if (!layer.referer.empty() && request.get_header_value("Referer") != layer.referer) {
        response.set_content(ErrorBody(403, "You do not have permissions to access this resource or perform this "
                                            "operation."),
                             kJson);
        return true;
    }
    return false;
}

void LoopbackFeatureService::Respond(const ServiceLayer& layer, Answer answer, const std::string& normalBody,
                                     const httplib::Request& request, httplib::Response& response, const char* json) {
    switch (answer) {
    case Answer::Normal:
        response.set_content(normalBody, json);
        return;
    case Answer::Malformed:
        response.set_content(R"({"fields": [{"name": "OBJECTID", "type": )", json);
        return;
    case Answer::Huge: {
        std::string body = R"({"padding": ")";
        body.append(std::max<size_t>(layer.hugeBytes, 32) - 32, 'x');
        body += R"("})";
        response.set_content(body, kPageJson); // never compressed: that would take longer than the test

        return;
    }
    case Answer::Slow:
        Sleep(layer.slowMs);
        response.set_content(normalBody, json);
        return;
    case Answer::ErrorJson:
        response.set_content(ErrorBody(layer.errorCode, layer.errorMessage), json);
        return;
    case Answer::HttpError:
        response.status = layer.httpStatus;
        response.set_content("Internal failure", "text/plain");
        return;
    case Answer::EchoToken:
        response.set_content(ErrorBody(layer.errorCode, "Invalid token '" + request.get_param_value("token") +
                                                            "' from '" + request.get_header_value("Referer") + "'"),
                             json);
        return;
    }
}

std::string LoopbackFeatureService::QueryBody(const ServiceLayer& layer, const httplib::Request& request,
                                              int page) const {
    auto bound = LowerBound(request.get_param_value("where"), layer.oidField);
    if (!bound)
        return ErrorBody(400, "Unable to complete operation: where clause not understood.");
    std::vector<size_t> selected;
    for (size_t i = 0; i < layer.features.size(); ++i)
        if (layer.features[i].id > *bound)
            selected.push_back(i);

    const long long maxRecordCount = layer.definition.value("maxRecordCount", 1000);
    const bool paging = layer.definition.contains("advancedQueryCapabilities") &&
                        layer.definition["advancedQueryCapabilities"].value("supportsPagination", false);
    long long offset = 0;
    long long count = maxRecordCount;
    if (paging) {
        offset = std::clamp<long long>(NumberParam(request, "resultOffset", 0), 0, selected.size());
        count = std::clamp<long long>(NumberParam(request, "resultRecordCount", maxRecordCount), 0, maxRecordCount);
    }
    const long long end = std::min<long long>(offset + count, selected.size());
    const bool renamed = layer.renameFieldFromPage > 0 && page >= layer.renameFieldFromPage && !layer.fields.empty();
    const std::string lastField = layer.fields.empty() ? std::string() : layer.fields.back()["name"].get<std::string>();

    // The members before the features, then the features' texts.
    nlohmann::ordered_json head = {{"objectIdFieldName", layer.oidField}};
    if (!layer.geometryType.empty()) {
        head["geometryType"] = layer.geometryType;
        head["spatialReference"] = {{"wkid", 4326}};
    }
    head["fields"] = layer.fields;
    if (renamed)
        head["fields"].back()["name"] = "RENAMED";
    std::string body = head.dump();
    body.pop_back();
    body += R"(,"features":[)";
    for (long long i = offset; i < end; ++i) {
        if (i > offset)
            body += ',';
        if (!renamed) {
            body += layer.features[selected[i]].json;
            continue;
        }
        auto feature = nlohmann::ordered_json::parse(layer.features[selected[i]].json);
        auto& attributes = feature["attributes"];
        attributes["RENAMED"] = attributes[lastField];
        attributes.erase(lastField);
        body += feature.dump();
    }
    body += ']';
    if (end < static_cast<long long>(selected.size()) || layer.alwaysExceeded)
        body += R"(,"exceededTransferLimit":true)";
    body += '}';
    return body;
}

} // namespace tavi::test
