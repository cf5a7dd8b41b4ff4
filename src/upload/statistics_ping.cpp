#include "upload/statistics_ping.h"

#include <mutex>

#include "config/service_addresses.h"
#include "upload/http_transport.h"

namespace {

std::mutex baseLock;
std::string statisticsBase = kProductSiteUrl;

std::string CurrentBase() {
    std::lock_guard<std::mutex> hold(baseLock);
    return statisticsBase;
}

}  // namespace

const char* StatisticsPath(UploadKind kind) {
    switch (kind) {
    case UploadKind::Folder:
        return "/stats/u/d";
    case UploadKind::Capture:
        return "/stats/u/s";
    case UploadKind::File:
    default:
        return "/stats/u/f";
    }
}

bool PingStatistics(UploadKind kind) {
    const std::string url = CurrentBase() + StatisticsPath(kind);
    CURL* request = OpenRequest(url.c_str());
    if (!request) return false;
    ReplyBuffer reply;  // taken so the answer is not printed to standard output
    curl_easy_setopt(request, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
    curl_easy_setopt(request, CURLOPT_WRITEDATA, &reply);
    const CURLcode result = PerformTransfer(request);
    curl_easy_cleanup(request);
    return result == CURLE_OK;
}

void SetStatisticsBaseUrl(const char* baseUrl) {
    std::lock_guard<std::mutex> hold(baseLock);
    statisticsBase = baseUrl ? baseUrl : kProductSiteUrl;
}
