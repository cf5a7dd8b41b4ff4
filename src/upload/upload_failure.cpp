#include "upload/upload_failure.h"

#include <algorithm>

namespace {

bool IsServerTrouble(long status) { return status >= 500 || status == 408 || status == 429; }

// A status worth showing: a real HTTP one.
std::wstring WithStatus(const wchar_t* text, long status) {
    if (status < 100 || status > 999) return text;
    return std::wstring(text) + L" (" + std::to_wstring(status) + L")";
}

}  // namespace

UploadFailure ClassifyTransfer(bool completed, long status, bool cancelled) {
    if (cancelled) return UploadFailure::Cancelled;
    if (status >= 400) return IsServerTrouble(status) ? UploadFailure::ServerError : UploadFailure::Refused;
    if (!completed || status == 0) return UploadFailure::NoAnswer;
    return UploadFailure::None;
}

bool IsRetryable(UploadFailure failure, long status) {
    return failure == UploadFailure::NoAnswer ||
           (failure == UploadFailure::ServerError && IsServerTrouble(status));
}

std::int64_t RetryPause(UploadFailure failure, long status, int failedAttempts, std::int64_t retryAfter) {
    if (!IsRetryable(failure, status) || failedAttempts < 1 || failedAttempts >= kMaxAttempts) return -1;
    if (retryAfter >= 0 && (status == 429 || status == 503)) {
        return std::clamp<std::int64_t>(retryAfter, 1, kMaxRetryAfterSeconds);
    }
    return kRetryPauses[failedAttempts - 1];
}

std::wstring FailureText(int failure, long status) {
    switch (static_cast<UploadFailure>(failure)) {
    case UploadFailure::NoAnswer:
        return L"The service did not answer";
    case UploadFailure::ServerError:
        return WithStatus(L"The service could not take the file", status);
    case UploadFailure::Refused:
        return WithStatus(L"The service refused the file", status);
    case UploadFailure::BadReply:
        return L"The service's answer could not be read";
    case UploadFailure::FileGone:
        return L"The file is no longer there";
    case UploadFailure::TooLarge:
        return L"The file is larger than 50 MB";
    case UploadFailure::Cancelled:
        return L"The upload was cancelled";
    case UploadFailure::NotPacked:
        return L"The folder could not be packed";
    case UploadFailure::NotStarted:
        return L"The upload could not be started";
    case UploadFailure::Declined:
        return L"The folder was not sent";
    default:
        return L"The upload failed";
    }
}

std::wstring QueueSummaryText(std::size_t waiting, std::size_t failed) {
    std::wstring text;
    if (waiting > 0) {
        text = std::to_wstring(waiting) + (waiting == 1 ? L" upload waiting" : L" uploads waiting");
    }
    if (failed > 0) {
        if (!text.empty()) text += L", ";
        text += std::to_wstring(failed) + L" failed";
    }
    return text;
}
