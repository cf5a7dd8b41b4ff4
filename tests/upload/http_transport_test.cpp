// The transport against the development service: what every request carries,
// text fetches, downloads with their fallback, and the proxy lookup.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>

#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
#include "support/temp_dir.h"
#include "upload/http_transport.h"

namespace {

std::atomic<int> proxyReads{0};
InternetProxySettings fakeProxySettings;

bool ReadFakeProxySettings(InternetProxySettings& settings) {
    ++proxyReads;
    settings = fakeProxySettings;
    return true;
}

bool FailToReadProxySettings(InternetProxySettings&) {
    ++proxyReads;
    return false;
}

std::wstring Wide(const std::string& text) { return Utf8ToWide(text); }

std::string HostAndPort() { return DevService::BaseUrl().substr(std::string("http://").size()); }

class Transport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        proxyReads = 0;
        fakeProxySettings = InternetProxySettings();
        SetInternetProxySettingsReader(&ReadFakeProxySettings);
    }
    void TearDown() override { SetInternetProxySettingsReader(nullptr); }

    TempDir dir;
};

TEST(ReplyBufferTest, ChunksAreJoinedInOrderAndStayTerminated) {
    ReplyBuffer buffer;
    char first[] = "{\"path\"";
    char second[] = ": 1}";
    EXPECT_EQ(7u, AppendReplyChunk(first, 1, 7, &buffer));
    EXPECT_EQ(0u, AppendReplyChunk(second, 1, 0, &buffer));
    EXPECT_EQ(4u, AppendReplyChunk(second, 2, 2, &buffer));
    EXPECT_EQ(11u, buffer.length());
    EXPECT_STREQ("{\"path\": 1}", buffer.text());
    buffer.Release();
    EXPECT_TRUE(buffer.empty());
    EXPECT_STREQ("", buffer.text());
}

TEST(ReplyBufferTest, TakesNothingPastTheLimit) {
    ReplyBuffer buffer;
    std::string block(kReplyLimitBytes - 1, 'a');
    EXPECT_EQ(block.size(), AppendReplyChunk(block.data(), 1, block.size(), &buffer));
    char two[] = "bc";
    EXPECT_EQ(0u, AppendReplyChunk(two, 1, 2, &buffer));
    EXPECT_EQ(1u, AppendReplyChunk(two, 1, 1, &buffer));
    EXPECT_EQ(kReplyLimitBytes, buffer.length());
}

// Every short request gives up on a service that stops answering, or that
// answers without end, well before the service itself would let go.
TEST_F(Transport, StalledAndEndlessRepliesFailWithinTheLimits) {
    using Clock = std::chrono::steady_clock;
    const std::string file = dir.File("thumb.png");
    const std::string icon = DevService::Url("/icons/txt.png");
    const char* faults[] = {
        R"({"mode": "stall", "stall_seconds": 300})",
        R"({"mode": "huge", "size": 50000000})",
        R"({"mode": "huge", "size": 50000000, "unsized": true})",
    };
    for (const char* fault : faults) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::SetFault(fault));
        const auto start = Clock::now();
        EXPECT_FALSE(FetchText(Wide(DevService::Url("/latest_version")), false, nullptr).has_value());
        // A thumbnail that never arrives whole leaves no file, and no fallback is tried.
        EXPECT_TRUE(DownloadToFile(DevService::Url("/icons/primary.png").c_str(), icon.c_str(),
                                   file.c_str()));
        EXPECT_FALSE(FileExists(file));
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
        EXPECT_LT(seconds, 2 * (kRequestTimeLimitSeconds + 5)) << "the service, not the client, ended it";
    }
    EXPECT_EQ(6u, DevService::Requests().size());
}

TEST_F(Transport, TheAccountGoesOnlyToTheAddressAsked) {
    // The same service under another host name stands for a foreign host.
    const std::string elsewhere = "http://localhost:" + HostAndPort().substr(HostAndPort().find(':') + 1);
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "redirect", "path": "/api/json", "location": ")" + elsewhere +
                                     R"(/elsewhere"})"));
    CURL* curl = OpenRequest(DevService::Url("/api/json").c_str());
    ASSERT_NE(nullptr, curl);
    SetAccountAuthentication(curl, "alice:0123456789abcdef0123456789abcdef01234567");
    ReplyBuffer reply;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    EXPECT_EQ(CURLE_OK, PerformTransfer(curl));
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    EXPECT_EQ(302, status);
    const auto log = DevService::Requests();
    ASSERT_EQ(1u, log.size()) << "the redirect was followed";
    EXPECT_EQ("alice", log[0].authUser);

    // Only web addresses are fetched at all: a reply cannot make us read a file.
    const std::string local = "file:///" + dir.File("secret.txt");
    ASSERT_TRUE(WriteBytes(dir.File("secret.txt"), "secret"));
    EXPECT_FALSE(FetchText(Wide(local), false, nullptr).has_value());
}

TEST_F(Transport, EveryRequestCarriesTheAgentAndNoExpectation) {
    const auto reply = FetchText(Wide(DevService::Url("/latest_version")), false, nullptr);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(L"1.2.5", *reply);
    const auto log = DevService::Requests();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("GET", log[0].method);
    EXPECT_EQ(kUserAgent, log[0].Header("User-Agent"));
    EXPECT_FALSE(log[0].HasHeader("Expect"));
}

TEST_F(Transport, FetchTextJoinsAStreamedReplyAndDecodesUtf8) {
    // The service streams a stored file in pieces of 1 MB; each line differs.
    std::string text;
    for (int line = 0; text.size() < 3000000; ++line) text += "line " + std::to_string(line) + "\n";
    ASSERT_TRUE(CreateDirectoryW(Wide(DevService::DataPath("files/0badc0de")).c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(DevService::DataPath("files/0badc0de/big.txt"), text));
    const auto big = FetchText(Wide(DevService::Url("/files/0badc0de/big.txt")), false, nullptr);
    ASSERT_TRUE(big.has_value());
    EXPECT_TRUE(Wide(text) == *big) << "length " << big->size();

    ASSERT_TRUE(DevService::SetFault(R"({"mode": "hostile_json", "path": "/utf8", "body": "caf\u00e9 \u2126"})"));
    EXPECT_EQ(std::wstring(L"caf\u00e9 \u2126"), FetchText(Wide(DevService::Url("/utf8")), false, nullptr));

    // A NUL byte ends the text.
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "hostile_json", "path": "/nul", "body_base64": "YWJjAGRlZg=="})"));
    EXPECT_EQ(std::wstring(L"abc"), FetchText(Wide(DevService::Url("/nul")), false, nullptr));
}

TEST_F(Transport, FetchTextGivesNothingForEmptyRepliesAndFailures) {
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "hostile_json", "path": "/empty", "body": ""})"));
    EXPECT_FALSE(FetchText(Wide(DevService::Url("/empty")), false, nullptr).has_value());
    EXPECT_FALSE(FetchText(Wide(DevService::Url("/no/such/resource")), false, nullptr).has_value());
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/broken"})"));
    EXPECT_FALSE(FetchText(Wide(DevService::Url("/broken")), false, nullptr).has_value());
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "refuse", "path": "/gone"})"));
    EXPECT_FALSE(FetchText(Wide(DevService::Url("/gone")), false, nullptr).has_value());

    const auto log = DevService::Requests();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ(200, log[0].status);
    EXPECT_EQ(404, log[1].status);
}

TEST_F(Transport, FetchTextPostsTheBodyAsAForm) {
    const auto code = FetchText(Wide(DevService::Url("/api")), true, L"link=http://x.example/a%20b");
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(6u, code->size());
    // Without a body the request stays a GET.
    EXPECT_FALSE(FetchText(Wide(DevService::Url("/api")), true, nullptr).has_value());

    const auto log = DevService::Requests();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("POST", log[0].method);
    EXPECT_EQ(27, log[0].bodySize);
    EXPECT_EQ("application/x-www-form-urlencoded", log[0].Header("Content-Type"));
    EXPECT_EQ("GET", log[1].method);
}

TEST_F(Transport, DownloadFallsBackOnlyOn404) {
    const std::string file = dir.File("thumb.png");
    const std::string icon = DevService::Url("/icons/txt.png");
    ASSERT_TRUE(DownloadToFile(DevService::Url("/files/thumbs/00000000/a.png").c_str(), icon.c_str(),
                               file.c_str()));
    const std::string fallback = ReadBytes(file);
    EXPECT_EQ(0u, fallback.rfind("\x89PNG", 0));
    EXPECT_EQ(2u, DevService::Requests().size());

    // A primary answer (even an error other than 404) is kept; no fallback.
    ASSERT_TRUE(DevService::ClearLog());
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "hostile_json", "path": "/thumb", "body": "primary"})"));
    ASSERT_TRUE(DownloadToFile(DevService::Url("/thumb").c_str(), icon.c_str(), file.c_str()));
    EXPECT_EQ("primary", ReadBytes(file));
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/thumb500"})"));
    EXPECT_TRUE(DownloadToFile(DevService::Url("/thumb500").c_str(), icon.c_str(), file.c_str()));
    EXPECT_EQ(2u, DevService::Requests().size());

    // A file that cannot be created fails before any request.
    ASSERT_TRUE(DevService::ClearLog());
    EXPECT_FALSE(DownloadToFile(icon.c_str(), icon.c_str(), dir.File("missing\\thumb.png").c_str()));
    EXPECT_TRUE(DevService::Requests().empty());
}

TEST_F(Transport, WithoutTheSettingTheProxyIsNeverLookedUp) {
    Settings().SetBool(L"UseIEProxy", false);
    fakeProxySettings.proxy = "http=127.0.0.1:1";
    ASSERT_TRUE(FetchText(Wide(DevService::Url("/latest_version")), false, nullptr).has_value());
    EXPECT_EQ(0, proxyReads);
    EXPECT_EQ("/latest_version", DevService::Requests().at(0).target);
}

TEST_F(Transport, TheStaticProxyTextChoosesTheHttpProxy) {
    Settings().SetBool(L"UseIEProxy", true);
    fakeProxySettings.proxy = "http=" + HostAndPort() + ";https=127.0.0.1:1";
    // The host does not exist: only the proxy can answer.
    const auto reply = FetchText(L"http://files.vantorel.example/latest_version", false, nullptr);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(L"1.2.5", *reply);
    EXPECT_EQ(1, proxyReads);
    EXPECT_EQ("http://files.vantorel.example/latest_version", DevService::Requests().at(0).target);

    // Settings that cannot be read mean a direct request.
    SetInternetProxySettingsReader(&FailToReadProxySettings);
    EXPECT_EQ("", FindProxyForUrl("http://files.vantorel.example/"));
    EXPECT_TRUE(FetchText(Wide(DevService::Url("/latest_version")), false, nullptr).has_value());
}

TEST_F(Transport, AConfigurationScriptWinsOverTheStaticProxy) {
    const std::string script = "function FindProxyForURL(url, host) { return 'PROXY " + HostAndPort() + "'; }";
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "hostile_json", "path": "/proxy.pac", "body": ")" + script +
                                     R"(", "content_type": "application/x-ns-proxy-autoconfig"})"));
    fakeProxySettings.autoConfigUrl = DevService::Url("/proxy.pac");
    fakeProxySettings.proxy = "http=127.0.0.1:1";
    EXPECT_EQ(HostAndPort(), FindProxyForUrl("http://files.vantorel.example/api/json"));

    // A script that cannot be fetched means no proxy, not the static one.
    fakeProxySettings.autoConfigUrl = DevService::Url("/missing.pac");
    EXPECT_EQ("", FindProxyForUrl("http://files.vantorel.example/api/json"));
}

}  // namespace
