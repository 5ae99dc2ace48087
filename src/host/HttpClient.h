// A small HTTP(S) client over libcurl for feature services and record set files: GET, POST of form fields, and
// downloads into a file. TLS is verified (peer and host name against the system's certificate authorities); only
// http and https are spoken, redirects are followed only within the scheme of the request; proxies come from the
// environment as libcurl reads it (http_proxy, https_proxy, no_proxy), except that requests to this machine itself
// (localhost, 127.x.x.x, [::1]) never go through one. Safe to call from any thread: each request
// has its own handle, and libcurl is initialised once per process.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tavi {

// Limits of one request (redirects included).
struct HttpSettings {
    int64_t timeoutMs = 60000;             // the whole request, from connecting to the last byte
    int64_t connectTimeoutMs = 10000;      // connecting (name lookup, TCP and TLS handshakes)
    uint64_t maxBytes = uint64_t{1} << 30; // the largest answer body, counted after decompression

    // The settings of the environment, read at each call so that a running process (or a test) can change them:
    // TAVI_HTTP_TIMEOUT_MS, TAVI_HTTP_CONNECT_TIMEOUT_MS and TAVI_HTTP_MAX_BYTES. A variable that is unset, or not
    // a positive decimal integer, leaves its default.
    static HttpSettings FromEnvironment();
};

// Why a request failed.
enum class HttpFailure {
    None,
    InvalidRequest, // an address that is not http or https, or a header value holding a line break
    Unreachable,    // the name did not resolve, the connection was refused, or TLS could not be established/verified
    Timeout,        // a time limit of HttpSettings passed
    TooLarge,       // the answer passed HttpSettings::maxBytes; the transfer was aborted there
    Redirect,       // too many redirects, a redirect to another scheme, or one a request with a body may not follow
    Transfer,       // the connection broke, or the answer was no HTTP
    Status,         // a download answered with a status other than 2xx
    File,           // the download's file could not be written or moved into place
};

// What a request gave: its failure (None on success), the last answer's status and content type, and the body
// (requests only; a download's body is in its file). `reason` says what went wrong in English; it names the server
// at most, never the request's form fields or headers.
struct HttpResult {
    HttpFailure failure = HttpFailure::None;
    int32_t status = 0;
    std::string contentType;
    std::string body;
    std::string reason;

    bool Succeeded() const { return failure == HttpFailure::None; }
};

using HttpFields = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string url; // http:// or https://, with its query when a GET needs one
    bool post = false;
    HttpFields form;     // a POST's body, sent as application/x-www-form-urlencoded (UTF-8)
    std::string referer; // sent as the Referer header when not empty
};

// Sends `request`. Any status is a success here (the caller reads 4xx/5xx answers); a POST follows only redirects
// that keep method and body (307, 308) to the same scheme, host and port, so that form fields reach no other server.
// A GET follows 301, 302, 303, 307 and 308 within its scheme. At most 5 redirects. Throws std::bad_alloc when the
// body cannot be held.
HttpResult HttpSend(const HttpRequest& request, const HttpSettings& settings);

// Downloads the answer to `request` into the file `path` (UTF-8): written to a temporary file beside it and renamed
// over `path` when the whole answer came with a 2xx status; on any failure the temporary file is removed and `path`
// is left as it was.
HttpResult HttpDownload(const HttpRequest& request, const std::string& path, const HttpSettings& settings);

// The form-encoding of `fields` (application/x-www-form-urlencoded: name=value joined by '&', every byte outside
// A-Z a-z 0-9 - . _ ~ as %XX).
std::string FormEncode(const HttpFields& fields);

} // namespace tavi
