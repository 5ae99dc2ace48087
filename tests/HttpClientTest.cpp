// The HTTP client against the loopback service: downloads land whole or not at all, redirects stay within their
// scheme (and, for requests with a body, their server), and the settings of the environment.
#include "LoopbackFeatureService.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include "host/HttpClient.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tavi::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLayerPath = "/services/Points/FeatureServer/0";

HttpRequest Get(std::string url) {
    HttpRequest request;
    request.url = std::move(url);
    return request;
}

class HttpClientTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        folder_ = fs::temp_directory_path() / ("tavi-http-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        fs::remove_all(folder_);
        LeakCheckedTest::TearDown();
    }
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    LoopbackFeatureService service_;
    fs::path folder_;
};

TEST_F(HttpClientTest, DownloadsWholeFilesOrNothing) {
    const std::string content(300000, 'r');
    service_.AddFile("/files/records.dat", content);
    service_.AddFile("/files/big.dat", std::string(2 << 20, 'b'));
    HttpSettings settings;
    settings.maxBytes = 1 << 20;

    const std::string target = (folder_ / "records.dat").string();
    HttpResult result = HttpDownload(Get(service_.Url("/files/records.dat")), target, settings);
    ASSERT_TRUE(result.Succeeded()) << result.reason;
    std::ifstream file(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), content);
    EXPECT_EQ(FilesInFolder(), 1u);

    struct Case {
        const char* path;
        HttpFailure failure;
    };
    for (const Case& c :
         {Case{"/files/missing.dat", HttpFailure::Status}, Case{"/files/big.dat", HttpFailure::TooLarge}}) {
        SCOPED_TRACE(c.path);
        const std::string other = (folder_ / "other.dat").string();
        result = HttpDownload(Get(service_.Url(c.path)), other, settings);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_FALSE(fs::exists(other));
        EXPECT_EQ(FilesInFolder(), 1u) << "no temporary file is left";
    }
}

TEST_F(HttpClientTest, RedirectsStayWithinTheirSchemeAndServer) {
    service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 1, 1000, true));
    const std::string layer = service_.Url(kLayerPath);
    service_.AddRedirect("/moved", layer, 301);
    service_.AddRedirect("/kept", layer, 307);
    service_.AddRedirect("/elsewhere", "http://localhost:" + std::to_string(service_.Port()) + kLayerPath, 307);
    service_.AddRedirect("/secure", "https://127.0.0.1:" + std::to_string(service_.Port()) + kLayerPath, 301);
    service_.AddRedirect("/loop", service_.Url("/loop"), 302);
    struct Case {
        const char* path;
        bool post;
        HttpFailure failure;
        const char* why;
    };
    const Case cases[] = {
        {"/moved", false, HttpFailure::None, "a GET follows 301"},
        {"/kept", true, HttpFailure::None, "a POST follows 307 to the same server"},
        {"/moved", true, HttpFailure::Redirect, "a POST does not follow 301"},
        {"/elsewhere", true, HttpFailure::Redirect, "a POST does not follow 307 to another host"},
        {"/secure", false, HttpFailure::Redirect, "no redirect changes the scheme"},
        {"/loop", false, HttpFailure::Redirect, "at most five redirects"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        HttpRequest request{service_.Url(c.path), c.post, {{"f", "json"}, {"token", "x"}}, ""};
        HttpResult result = HttpSend(request, HttpSettings());
        EXPECT_EQ(result.failure, c.failure) << result.reason;
        if (c.failure == HttpFailure::None) {
            EXPECT_EQ(result.status, 200);
            EXPECT_NE(result.body.find("\"Points\""), std::string::npos);
        }
    }
}

TEST_F(HttpClientTest, OnlyHttpAndHttpsAndOnlyTrustedCertificates) {
    for (const char* url : {"ftp://127.0.0.1/x", "file:///etc/hostname", "127.0.0.1/x", ""}) {
        SCOPED_TRACE(url);
        EXPECT_EQ(HttpSend(Get(url), HttpSettings()).failure, HttpFailure::InvalidRequest);
    }

    // A certificate that no authority of the system signed is refused, whatever the server would answer.
    LoopbackFeatureService secure(true);
    secure.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 1, 1000, true));
    HttpResult result = HttpSend(Get(secure.Url(kLayerPath)), HttpSettings());
    EXPECT_EQ(result.failure, HttpFailure::Unreachable);
    EXPECT_NE(result.reason.find("certificate"), std::string::npos) << result.reason;
    EXPECT_TRUE(secure.Requests().empty()) << "no request was sent over the untrusted connection";
}

TEST_F(HttpClientTest, RequestsToThisMachineBypassProxies) {
    service_.AddLayer(LoopbackFeatureService::PointLayer(kLayerPath, 1, 1000, true));
    const std::string proxy = "http://127.0.0.1:" + std::to_string(LoopbackFeatureService::ClosedPort());
    ScopedEnv http("http_proxy", proxy.c_str());
    ScopedEnv all("ALL_PROXY", proxy.c_str());
    ScopedEnv none("no_proxy", "");
    ScopedEnv noneUpper("NO_PROXY", "");
    HttpResult result = HttpSend(Get(service_.Url(kLayerPath)), HttpSettings());
    EXPECT_TRUE(result.Succeeded()) << result.reason;
    EXPECT_EQ(result.status, 200);
}

TEST(HttpSettingsTest, EnvironmentOverridesOnlyWithPositiveNumbers) {
    ScopedEnv timeout("TAVI_HTTP_TIMEOUT_MS", "1500");
    ScopedEnv connect("TAVI_HTTP_CONNECT_TIMEOUT_MS", "-3");
    ScopedEnv bytes("TAVI_HTTP_MAX_BYTES", "12x");
    HttpSettings settings = HttpSettings::FromEnvironment();
    EXPECT_EQ(settings.timeoutMs, 1500);
    EXPECT_EQ(settings.connectTimeoutMs, HttpSettings().connectTimeoutMs);
    EXPECT_EQ(settings.maxBytes, HttpSettings().maxBytes);
    EXPECT_EQ(FormEncode({{"where", "A = 'x y'&b"}, {"t", "\xC3\xA9~"}}), "where=A%20%3D%20%27x%20y%27%26b&t=%C3%A9~");
}

} // namespace
} // namespace tavi::test
