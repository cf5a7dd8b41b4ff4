#include "upload/http_transport.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdio>
#include <new>

#include "base/utf.h"
#include "config/settings_store.h"
#include "upload/proxy_text.h"

namespace {

constexpr long kHttpNotFound = 404;
// The proxy script is fetched by WinHTTP, which must not wait for ever either.
constexpr int kProxyScriptTimeoutMillis = 10000;
// The longest wait for socket activity before libcurl looks again (its own
// blocking perform waits up to a second).
constexpr int kSocketWaitMillis = 5;

std::string TakeWinHttpText(LPWSTR text) {
    std::string utf8 = text ? WideToUtf8(text) : std::string();
    if (text) GlobalFree(text);
    return utf8;
}

bool ReadSystemProxySettings(InternetProxySettings& settings) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return false;
    settings.autoConfigUrl = TakeWinHttpText(config.lpszAutoConfigUrl);
    settings.proxy = TakeWinHttpText(config.lpszProxy);
    TakeWinHttpText(config.lpszProxyBypass);
    return true;
}

std::atomic<InternetProxySettingsReader> proxySettingsReader{&ReadSystemProxySettings};

// Asks the configuration script which proxy serves `url`. Only a named proxy
// counts; automatic detection (WPAD) is not used.
std::string ProxyFromScript(const std::string& scriptUrl, const char* url) {
    HINTERNET session = WinHttpOpen(Utf8ToWide(kUserAgent).c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) return {};
    WinHttpSetTimeouts(session, kProxyScriptTimeoutMillis, kProxyScriptTimeoutMillis,
                       kProxyScriptTimeoutMillis, kProxyScriptTimeoutMillis);
    const std::wstring wideScript = Utf8ToWide(scriptUrl);
    const std::wstring wideUrl = Utf8ToWide(url);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = wideScript.c_str();
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO answer{};
    std::string proxy;
    if (WinHttpGetProxyForUrl(session, wideUrl.c_str(), &options, &answer)) {
        std::string text = TakeWinHttpText(answer.lpszProxy);
        TakeWinHttpText(answer.lpszProxyBypass);
        if (answer.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) proxy = std::move(text);
    }
    WinHttpCloseHandle(session);
    return proxy;
}

struct FileSink {
    FILE* file = nullptr;
    std::size_t written = 0;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* sink) {
    auto* target = static_cast<FileSink*>(sink);
    const size_t n = size * count;
    if (n > kReplyLimitBytes - target->written) return 0;  // fails the transfer
    target->written += n;
    std::fwrite(data, 1, n, target->file);
    return n;  // a short write leaves a short file; the download still counts
}

FILE* CreateBinaryFile(const std::wstring& path) { return _wfopen(path.c_str(), L"wb"); }

// Fetches `url` into `file`, closes the file and removes it when the transfer
// failed. The HTTP status, or -1 when no handle could be made.
long FetchIntoFile(const char* url, FILE* file, const std::wstring& path) {
    CURL* curl = OpenRequest(url);
    if (!curl) {
        std::fclose(file);
        return -1;
    }
    FileSink sink;
    sink.file = file;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    const CURLcode result = PerformTransfer(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    std::fclose(file);
    if (result != CURLE_OK) _wremove(path.c_str());
    return status;
}

}  // namespace

CURL* OpenRequest(const char* url, TimeLimit limit) {
    CURL* curl = curl_easy_init();
    if (!curl) return nullptr;
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    if (limit == TimeLimit::WholeRequest) curl_easy_setopt(curl, CURLOPT_TIMEOUT, kRequestTimeLimitSeconds);
    // A declared length over the limit fails before any byte is taken.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kReplyLimitBytes));
    // Addresses come from the configuration and from service replies: never
    // let one read a local file or reach another protocol.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    if (Settings().GetBool(L"UseIEProxy")) {
        const std::string proxy = FindProxyForUrl(url);
        if (!proxy.empty()) curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());  // libcurl copies it
    }
    return curl;
}

// Drives the handle through a multi handle of its own so that no wait lasts
// longer than kSocketWaitMillis: under Wine a socket that becomes writable
// again sometimes wakes nobody, and curl_easy_perform then sits out its full
// second, many times per upload.
CURLcode PerformTransfer(CURL* curl) {
    CURLM* multi = curl_multi_init();
    if (!multi) return curl_easy_perform(curl);
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return curl_easy_perform(curl);
    }
    int running = 1;
    CURLMcode status = CURLM_OK;
    while (running && status == CURLM_OK) {
        status = curl_multi_perform(multi, &running);
        if (running && status == CURLM_OK) status = curl_multi_poll(multi, nullptr, 0, kSocketWaitMillis, nullptr);
    }
    CURLcode result = status == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_SEND_ERROR;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl) result = message->data.result;
    }
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    return result;
}

void SetAccountAuthentication(CURL* curl, const std::string& account) {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_UNRESTRICTED_AUTH, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_USERPWD, account.c_str());  // libcurl copies it
}

curl_slist* NewExpectHeaderList() { return curl_slist_append(nullptr, "Expect:"); }

size_t AppendReplyChunk(char* data, size_t size, size_t count, void* buffer) {
    const size_t n = size * count;
    if (n == 0) return 0;
    auto* reply = static_cast<ReplyBuffer*>(buffer);
    if (n > kReplyLimitBytes - reply->bytes.size()) return 0;
    try {
        reply->bytes.append(data, n);
    } catch (const std::bad_alloc&) {
        return 0;  // taking fewer bytes than offered makes libcurl fail the transfer
    }
    return n;
}

InternetProxySettingsReader SetInternetProxySettingsReader(InternetProxySettingsReader reader) {
    return proxySettingsReader.exchange(reader ? reader : &ReadSystemProxySettings);
}

std::string FindProxyForUrl(const char* url) {
    InternetProxySettings settings;
    if (!proxySettingsReader.load()(settings)) return {};
    std::string text;
    // The static proxy is not consulted when a script is configured.
    if (!settings.autoConfigUrl.empty()) {
        text = ProxyFromScript(settings.autoConfigUrl, url);
    } else {
        text = settings.proxy;
    }
    return text.empty() ? std::string() : PickHttpProxy(text);
}

std::optional<std::wstring> FetchText(const std::wstring& url, bool post, const wchar_t* body) {
    const std::string narrowUrl = WideToUtf8(url);
    CURL* curl = OpenRequest(narrowUrl.c_str());
    if (!curl) return std::nullopt;
    curl_slist* headers = NewExpectHeaderList();
    ReplyBuffer reply;
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    std::string narrowBody;
    if (post && body) {
        narrowBody = WideToUtf8(body);
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(narrowBody.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, narrowBody.c_str());
    }
    if (PerformTransfer(curl) != CURLE_OK) reply.Release();
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    if (reply.empty()) return std::nullopt;
    return Utf8ToWide(reply.text());
}

bool DownloadToFile(const char* primaryUrl, const char* fallbackUrl, const char* filePath) {
    const std::wstring path = Utf8ToWide(filePath);
    FILE* file = CreateBinaryFile(path);
    if (!file) return false;
    const long status = FetchIntoFile(primaryUrl, file, path);
    if (status < 0) return false;
    if (status != kHttpNotFound) return true;
    if (!fallbackUrl || !*fallbackUrl) return true;  // no fallback to try
    file = CreateBinaryFile(path);
    if (!file) return false;
    return FetchIntoFile(fallbackUrl, file, path) >= 0;
}
