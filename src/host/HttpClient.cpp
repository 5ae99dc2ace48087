// HTTP(S) over libcurl: see HttpClient.h.
#include "host/HttpClient.h"

#include <curl/curl.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <optional>

namespace tavi {

namespace {

constexpr int kMaxRedirects = 5;

void InitialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlText {
    char* text = nullptr;
    ~CurlText() { curl_free(text); }
};

// A positive decimal integer from the environment, or nothing.
std::optional<uint64_t> PositiveFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return std::nullopt;
    uint64_t value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || value > (UINT64_MAX - 9) / 10)
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(*c - '0');
    }
    if (value == 0)
        return std::nullopt;
    return value;
}

// Scheme, host and port of an absolute address, lower-cased as libcurl normalises them; nothing when it does not
// parse.
struct Origin {
    std::string scheme, host, port;
    bool operator==(const Origin&) const = default;
};

std::optional<Origin> OriginOf(const std::string& url) {
    std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    CurlText scheme, host, port;
    if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme.text, 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_HOST, &host.text, 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_PORT, &port.text, CURLU_DEFAULT_PORT) != CURLUE_OK)
        return std::nullopt;
    Origin origin{scheme.text, host.text, port.text};
    std::transform(origin.host.begin(), origin.host.end(), origin.host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return origin;
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

// Where the answer's bytes go: the body text or a file, never more than `maxBytes`.
struct Sink {
    std::string* body = nullptr;
    std::FILE* file = nullptr;
    uint64_t written = 0;
    uint64_t maxBytes = 0;
    bool tooLarge = false;
    bool fileFailed = false;
    bool outOfMemory = false;

    void Restart() {
        written = 0;
        if (body)
            body->clear();
        if (file && (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 || ftruncate(fileno(file), 0) != 0))
            fileFailed = true;
    }
};

// libcurl's write callback: a count other than size * count aborts the transfer (CURLE_WRITE_ERROR).
size_t WriteToSink(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (bytes > sink->maxBytes - sink->written) {
        sink->tooLarge = true;
        return 0;
    }
    if (sink->file) {
        if (std::fwrite(data, 1, bytes, sink->file) != bytes) {
            sink->fileFailed = true;
            return 0;
        }
    } else {
        try {
            sink->body->append(data, bytes);
        } catch (...) {
            sink->outOfMemory = true;
            return 0;
        }
    }
    sink->written += bytes;
    return bytes;
}

HttpResult Failed(HttpFailure failure, std::string reason) {
    HttpResult result;
    result.failure = failure;
    result.reason = std::move(reason);
    return result;
}

HttpFailure FailureOf(CURLcode code) {
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return HttpFailure::InvalidRequest;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return HttpFailure::Unreachable;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::Timeout;
    case CURLE_FILESIZE_EXCEEDED:
        return HttpFailure::TooLarge;
    case CURLE_TOO_MANY_REDIRECTS:
        return HttpFailure::Redirect;
    default:
        return HttpFailure::Transfer;
    }
}

// Whether a host is this machine's own: no proxy stands between a program and itself.
bool IsLoopback(const std::string& host) {
    return host == "localhost" || host.rfind("127.", 0) == 0 || host == "[::1]";
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One exchange with the server; the caller follows redirects.
struct Exchange {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string contentType;
    std::string redirectUrl;
    std::string error;
};

Exchange Perform(const HttpRequest& request, const std::string& url, bool loopback, const std::string& body,
                 int64_t timeoutMs, const HttpSettings& settings, Sink& sink) {
    Exchange exchange;
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle)
        throw std::bad_alloc();
    char error[CURL_ERROR_SIZE] = {};
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(settings.connectTimeoutMs, timeoutMs)));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(std::min<uint64_t>(settings.maxBytes, static_cast<uint64_t>(INT64_MAX))));
    curl_easy_setopt(h, CURLOPT_USERAGENT, "taviGeoprocessing");
    if (loopback)
        curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteToSink);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    if (!request.referer.empty())
        curl_easy_setopt(h, CURLOPT_REFERER, request.referer.c_str());
    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (request.post) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.c_str());
        // No "Expect: 100-continue" round trip before larger bodies.
        headers.reset(curl_slist_append(nullptr, "Expect:"));
        if (!headers)
            throw std::bad_alloc();
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    }
    exchange.code = curl_easy_perform(h);
    exchange.error = error[0] ? error : curl_easy_strerror(exchange.code);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &exchange.status);
    char* contentType = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        exchange.contentType = contentType;
    char* redirect = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &redirect) == CURLE_OK && redirect)
        exchange.redirectUrl = redirect;
    return exchange;
}

HttpResult Send(const HttpRequest& request, const HttpSettings& settings, Sink& sink) {
    InitialiseOnce();
    auto origin = OriginOf(request.url);
    if (!origin || (origin->scheme != "http" && origin->scheme != "https"))
        return Failed(HttpFailure::InvalidRequest, "the address is not an http or https address");
    if (HasControlCharacter(request.referer))
        return Failed(HttpFailure::InvalidRequest, "the referer holds a control character");
    const std::string body = request.post ? FormEncode(request.form) : std::string();
    const auto start = std::chrono::steady_clock::now();
    std::string url = request.url;
    Origin hopOrigin = *origin;
    for (int hop = 0;; ++hop) {
        const auto spent =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (spent >= settings.timeoutMs)
            return Failed(HttpFailure::Timeout, "the request timed out");
        sink.Restart();
        Exchange exchange =
            Perform(request, url, IsLoopback(hopOrigin.host), body, settings.timeoutMs - spent, settings, sink);
        if (sink.outOfMemory)
            throw std::bad_alloc();
        if (sink.tooLarge || exchange.code == CURLE_FILESIZE_EXCEEDED)
            return Failed(HttpFailure::TooLarge,
                          "the answer is larger than " + std::to_string(settings.maxBytes) + " bytes");
        if (sink.fileFailed)
            return Failed(HttpFailure::File, "the answer could not be written to its file");
        if (exchange.code != CURLE_OK)
            return Failed(FailureOf(exchange.code), exchange.error);
        if (IsRedirect(exchange.status) && !exchange.redirectUrl.empty()) {
            auto target = OriginOf(exchange.redirectUrl);
            if (hop >= kMaxRedirects)
                return Failed(HttpFailure::Redirect, "more than " + std::to_string(kMaxRedirects) + " redirects");
            if (!target || target->scheme != origin->scheme)
                return Failed(HttpFailure::Redirect, "a redirect to another scheme was refused");
            if (request.post && (!(exchange.status == 307 || exchange.status == 308) || !(*target == *origin)))
                return Failed(HttpFailure::Redirect, "a redirect of a request with a body was refused");
            url = exchange.redirectUrl;
            hopOrigin = *target;
            continue;
        }
        HttpResult result;
        result.status = static_cast<int32_t>(exchange.status);
        result.contentType = std::move(exchange.contentType);
        return result;
    }
}

} // namespace

HttpSettings HttpSettings::FromEnvironment() {
    HttpSettings settings;
    constexpr uint64_t kMaxMs = INT32_MAX; // libcurl takes its times as long; this keeps them in range everywhere
    if (auto value = PositiveFromEnvironment("TAVI_HTTP_TIMEOUT_MS"))
        settings.timeoutMs = static_cast<int64_t>(std::min(*value, kMaxMs));
    if (auto value = PositiveFromEnvironment("TAVI_HTTP_CONNECT_TIMEOUT_MS"))
        settings.connectTimeoutMs = static_cast<int64_t>(std::min(*value, kMaxMs));
    if (auto value = PositiveFromEnvironment("TAVI_HTTP_MAX_BYTES"))
        settings.maxBytes = *value;
    return settings;
}

std::string FormEncode(const HttpFields& fields) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const auto& [name, value] : fields) {
        if (!encoded.empty())
            encoded += '&';
        for (const std::string* part : {&name, &value}) {
            for (unsigned char c : *part) {
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '.' || c == '_' || c == '~') {
                    encoded += static_cast<char>(c);
                } else {
                    encoded += '%';
                    encoded += kHex[c >> 4];
                    encoded += kHex[c & 0xF];
                }
            }
            if (part == &name)
                encoded += '=';
        }
    }
    return encoded;
}

HttpResult HttpSend(const HttpRequest& request, const HttpSettings& settings) {
    HttpResult result;
    Sink sink;
    sink.body = &result.body;
    sink.maxBytes = settings.maxBytes;
    HttpResult sent = Send(request, settings, sink);
    if (!sent.Succeeded())
        return sent;
    sent.body = std::move(result.body);
    return sent;
}

HttpResult HttpDownload(const HttpRequest& request, const std::string& path, const HttpSettings& settings) {
    std::string temporary = path + ".partXXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return Failed(HttpFailure::File, "no temporary file could be made beside the download's file");
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
        unlink(temporary.c_str());
        return Failed(HttpFailure::File, "no temporary file could be made beside the download's file");
    }
    // Removes the temporary file on every way out but the successful rename.
    struct Cleanup {
        std::FILE*& file;
        const std::string& path;
        bool keep = false;
        ~Cleanup() {
            if (file)
                std::fclose(file);
            if (!keep)
                unlink(path.c_str());
        }
    } cleanup{file, temporary};
    Sink sink;
    sink.file = file;
    sink.maxBytes = settings.maxBytes;
    HttpResult result = Send(request, settings, sink);
    if (!result.Succeeded())
        return result;
    if (result.status < 200 || result.status > 299) {
        result.failure = HttpFailure::Status;
        result.reason = "the server answered with status " + std::to_string(result.status);
        return result;
    }
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (!closed || std::rename(temporary.c_str(), path.c_str()) != 0)
        return Failed(HttpFailure::File, "the download could not be moved into its file");
    cleanup.keep = true;
    return result;
}

} // namespace tavi
