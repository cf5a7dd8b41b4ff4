#include "updater/update_download.h"

#include "updater/update_manifest.h"
#include "upload/http_transport.h"

namespace {

size_t AppendManifestChunk(char* data, size_t size, size_t count, void* text) {
    const size_t n = size * count;
    auto* bytes = static_cast<std::string*>(text);
    if (n == 0 || n > kManifestLimitBytes - bytes->size()) return 0;  // fails the transfer
    bytes->append(data, n);
    return n;
}

struct DownloadSink {
    HANDLE file;
    std::uint64_t expected;
    std::uint64_t written = 0;
    bool tooLong = false;
    const DownloadProgress* progress;
    bool cancelled = false;
};

size_t WriteInstallerChunk(char* data, size_t size, size_t count, void* sink) {
    auto* to = static_cast<DownloadSink*>(sink);
    const size_t n = size * count;
    if (n > to->expected - to->written) {
        to->tooLong = true;
        return 0;
    }
    DWORD put = 0;
    if (!WriteFile(to->file, data, static_cast<DWORD>(n), &put, nullptr) || put != n) return 0;
    to->written += n;
    return n;
}

int ReportProgress(void* sink, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* to = static_cast<DownloadSink*>(sink);
    if (*to->progress && !(*to->progress)(to->written, to->expected)) {
        to->cancelled = true;
        return 1;  // aborts the transfer
    }
    return 0;
}

}  // namespace

bool FetchManifestText(const std::string& address, std::string& text) {
    text.clear();
    CURL* curl = OpenRequest(address.c_str());
    if (!curl) return false;
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kManifestLimitBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendManifestChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &text);
    const CURLcode result = PerformTransfer(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}

DownloadResult DownloadInstaller(const std::string& address, std::uint64_t expectedSize, HANDLE file,
                                 const DownloadProgress& progress) {
    CURL* curl = OpenRequest(address.c_str(), TimeLimit::LowSpeedOnly);
    if (!curl) return DownloadResult::Failed;
    DownloadSink sink{file, expectedSize, 0, false, &progress};
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kDownloadTimeLimitSeconds);
    // A longer declared length fails before a byte is written.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(expectedSize));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteInstallerChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &ReportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &sink);
    const CURLcode result = PerformTransfer(curl);
    curl_easy_cleanup(curl);
    if (sink.cancelled) return DownloadResult::Cancelled;
    if (sink.tooLong || result == CURLE_FILESIZE_EXCEEDED) return DownloadResult::TooLong;
    return result == CURLE_OK ? DownloadResult::Complete : DownloadResult::Failed;
}
