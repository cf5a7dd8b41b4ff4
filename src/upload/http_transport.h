// Every HTTP exchange of the program: one blocking libcurl transfer at a time
// on the calling thread, with handles that serve a single transfer.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <optional>
#include <string>

#include "base/product.h"

// Time limits. A peer that accepts the connection and then sends nothing
// must never hold a thread for ever, least of all the main thread.
inline constexpr long kConnectTimeoutSeconds = 10;
// Every transfer ends when fewer than kLowSpeedBytesPerSecond move on
// average over kLowSpeedSeconds: the line is as good as dead.
inline constexpr long kLowSpeedBytesPerSecond = 10;
inline constexpr long kLowSpeedSeconds = 20;
// The whole exchange, for every request except uploads: their replies are
// small, and the main thread (login, update check, shortening) waits for them.
inline constexpr long kRequestTimeLimitSeconds = 15;

// The largest reply body any request accepts; a longer one fails the
// transfer. Replies are small JSON, text or thumbnail images.
inline constexpr std::size_t kReplyLimitBytes = 4 * 1024 * 1024;

enum class TimeLimit {
    WholeRequest,  // kRequestTimeLimitSeconds for the exchange
    LowSpeedOnly,  // uploads: a large file on a slow line may take long
};

// A configured handle for `url` (UTF-8): connect time-out, the low-speed
// rule and, unless `limit` says otherwise, the whole-request limit; replies
// capped at kReplyLimitBytes; only http and https, no redirects followed;
// certificates checked for https; no signals, our user agent, HTTP errors
// (400 and above) fail the transfer, and the user's Internet proxy when the
// setting UseIEProxy is on. Null if libcurl cannot make one. The caller
// performs one transfer and cleans it up.
CURL* OpenRequest(const char* url, TimeLimit limit = TimeLimit::WholeRequest);

// Sends `account` ("user:hash") as HTTP basic authentication to the handle's
// own URL only: redirects are not followed and credentials never go to
// another host.
void SetAccountAuthentication(CURL* curl, const std::string& account);

// Performs the one transfer of `curl` on this thread, blocking until it ends,
// and returns its result as curl_easy_perform does.
CURLcode PerformTransfer(CURL* curl);

// The list with the single line "Expect:", so that libcurl sends a body at
// once instead of waiting for an interim 100 reply. Free with
// curl_slist_free_all after the transfer.
curl_slist* NewExpectHeaderList();

// The reply body received so far. "None" (nothing received) is an empty
// buffer; text() is always NUL-terminated, and a NUL inside ends the text.
struct ReplyBuffer {
    std::string bytes;

    bool empty() const { return bytes.empty(); }
    std::size_t length() const { return bytes.size(); }
    const char* text() const { return bytes.c_str(); }
    void Release() { std::string().swap(bytes); }
};

// libcurl write callback: appends size * count bytes to the ReplyBuffer
// `buffer`. Returns the number taken; 0 for an empty chunk, and also when the
// reply would pass kReplyLimitBytes or memory runs out (libcurl then fails
// the transfer).
size_t AppendReplyChunk(char* data, size_t size, size_t count, void* buffer);

// The proxy ("host:port", UTF-8) that the user's Internet settings name for
// `url` (UTF-8), or empty for none: the automatic configuration script when
// one is set, else the static proxy text. Any failure means no proxy.
std::string FindProxyForUrl(const char* url);

// What the proxy lookup reads from the system: the user's Internet proxy
// settings, both as UTF-8. Empty fields are absent ones.
struct InternetProxySettings {
    std::string autoConfigUrl;
    std::string proxy;
};
using InternetProxySettingsReader = bool (*)(InternetProxySettings& settings);
// Replaces the reader (tests); null restores the system's own. Returns the
// previous reader.
InternetProxySettingsReader SetInternetProxySettingsReader(InternetProxySettingsReader reader);

// Fetches `url` as text (a GET, or with `post` and a body a form-encoded
// POST of that body; the caller has formed "name=value"). The reply decoded
// from UTF-8, or nothing when the transfer fails (HTTP errors included) or
// the reply is empty.
std::optional<std::wstring> FetchText(const std::wstring& url, bool post, const wchar_t* body);

// Writes what `primaryUrl` answers into the file at `filePath` (UTF-8); when
// the answer is 404, writes what `fallbackUrl` answers instead. False only if
// the file cannot be created or no handle can be made. A transfer that fails
// (stalled, over the reply limit) leaves no file behind.
bool DownloadToFile(const char* primaryUrl, const char* fallbackUrl, const char* filePath);
