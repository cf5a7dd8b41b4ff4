// Why an upload attempt failed, whether it is tried again and after how
// long, and how the reason reads for the user. Free of Win32.
//
// What a retry may mend is retried by itself: the line, a time-out, a
// service that is busy or down (5xx, 408, 429). What a retry cannot mend
// fails at once and waits for the user: a refusal (other 4xx), an answer
// that cannot be used, a file that is gone or too large, a cancel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Stored in the pending table as a number: never renumber, only add.
enum class UploadFailure : int {
    None = 0,          // the attempt went through
    NoAnswer = 1,      // no HTTP answer: connection, time-out, cut off
    ServerError = 2,   // 5xx, 408 or 429 (kept after the last retry)
    Refused = 3,       // any other status of 400 or above
    BadReply = 4,      // an answer the program cannot use
    FileGone = 5,      // the file (or folder) is no longer there
    TooLarge = 6,      // over the 50 MB limit
    Cancelled = 7,     // the user pressed cancel
    NotPacked = 8,     // a folder that could not be packed
    NotStarted = 9,    // no transfer could be set up (the upload address)
    Declined = 10,     // the user chose not to send an oversized folder
};
inline constexpr int kLastUploadFailure = 10;

// The pauses before the second to the sixth attempt; after the sixth the
// job stays failed.
inline constexpr std::int64_t kRetryPauses[] = {5, 30, 120, 600, 1800};
inline constexpr int kMaxAttempts = 1 + static_cast<int>(sizeof kRetryPauses / sizeof kRetryPauses[0]);
// A Retry-After is honoured up to this; a larger (or hostile) one is cut.
inline constexpr std::int64_t kMaxRetryAfterSeconds = 1800;

// The failure of a transfer that ran: `completed` when libcurl finished it
// (whatever the status), `status` the HTTP status (0: none arrived),
// `cancelled` when the user's cancel ended it.
UploadFailure ClassifyTransfer(bool completed, long status, bool cancelled);

// Whether a retry may mend it.
bool IsRetryable(UploadFailure failure, long status);

// Seconds to wait before the next attempt of a job whose `failedAttempts`
// attempts (this one included) all failed with `failure`, or -1 when it is
// not tried again. `retryAfter` is the service's Retry-After in seconds
// (negative: none); it counts only with 429 and 503, clamped to
// 1..kMaxRetryAfterSeconds.
std::int64_t RetryPause(UploadFailure failure, long status, int failedAttempts, std::int64_t retryAfter);

// The reason in the user's words, e.g. "The service refused the file (413)".
// A number that is no failure (a damaged record) reads "The upload failed".
std::wstring FailureText(int failure, long status);

// What the drop area and the tray say about the queue: "3 uploads waiting",
// "1 upload waiting, 2 failed", "1 failed"; empty when both are 0.
std::wstring QueueSummaryText(std::size_t waiting, std::size_t failed);
