// Which failures are retried, after how long, and how they read: the rules
// that decide whether an upload comes back by itself or waits for the user.
#include <gtest/gtest.h>

#include "base/utf.h"
#include "upload/upload_failure.h"

namespace {

TEST(UploadFailure, TransfersAreClassifiedByHowTheyEnded) {
    struct Case {
        bool completed;
        long status;
        bool cancelled;
        UploadFailure expected;
    } cases[] = {
        {true, 200, false, UploadFailure::None},
        {true, 302, false, UploadFailure::None},  // judged by the reply
        {false, 0, false, UploadFailure::NoAnswer},    // refused, reset, timed out
        {false, 200, false, UploadFailure::NoAnswer},  // cut off in the body
        {true, 0, false, UploadFailure::NoAnswer},
        {true, 500, false, UploadFailure::ServerError},
        {true, 503, false, UploadFailure::ServerError},
        {true, 408, false, UploadFailure::ServerError},
        {true, 429, false, UploadFailure::ServerError},
        {true, 413, false, UploadFailure::Refused},
        {true, 401, false, UploadFailure::Refused},
        {false, 0, true, UploadFailure::Cancelled},
        {true, 503, true, UploadFailure::Cancelled},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ClassifyTransfer(c.completed, c.status, c.cancelled))
            << c.completed << " " << c.status << " " << c.cancelled;
    }
}

TEST(UploadFailure, RetriesGrowThenStopAndOnlyWhatARetryMayMendIsRetried) {
    // 5 s, 30 s, 2 min, 10 min, 30 min, then failed for good.
    const std::int64_t expected[] = {5, 30, 120, 600, 1800, -1, -1};
    for (int attempts = 1; attempts <= 7; ++attempts) {
        EXPECT_EQ(expected[attempts - 1], RetryPause(UploadFailure::NoAnswer, 0, attempts, -1)) << attempts;
        EXPECT_EQ(expected[attempts - 1], RetryPause(UploadFailure::ServerError, 502, attempts, -1)) << attempts;
    }
    for (UploadFailure never : {UploadFailure::Refused, UploadFailure::BadReply, UploadFailure::FileGone,
                                UploadFailure::TooLarge, UploadFailure::Cancelled, UploadFailure::NotPacked,
                                UploadFailure::NotStarted, UploadFailure::Declined, UploadFailure::None}) {
        EXPECT_EQ(-1, RetryPause(never, 413, 1, 5)) << static_cast<int>(never);
    }
}

TEST(UploadFailure, RetryAfterIsHonouredOnlyOn429And503AndBounded) {
    EXPECT_EQ(2, RetryPause(UploadFailure::ServerError, 429, 3, 2));
    EXPECT_EQ(7, RetryPause(UploadFailure::ServerError, 503, 1, 7));
    EXPECT_EQ(kMaxRetryAfterSeconds, RetryPause(UploadFailure::ServerError, 503, 1, 1LL << 40));
    EXPECT_EQ(1, RetryPause(UploadFailure::ServerError, 429, 1, 0));
    EXPECT_EQ(5, RetryPause(UploadFailure::ServerError, 500, 1, 2));  // not for a 500
    EXPECT_EQ(-1, RetryPause(UploadFailure::ServerError, 429, kMaxAttempts, 2));  // attempts used up
}

TEST(UploadFailure, ReasonsAndCountsReadInPlainWords) {
    const std::pair<std::wstring, std::wstring> texts[] = {
        {FailureText(static_cast<int>(UploadFailure::NoAnswer), 0), L"The service did not answer"},
        {FailureText(static_cast<int>(UploadFailure::Refused), 413), L"The service refused the file (413)"},
        {FailureText(static_cast<int>(UploadFailure::ServerError), 503),
         L"The service could not take the file (503)"},
        {FailureText(static_cast<int>(UploadFailure::FileGone), 0), L"The file is no longer there"},
        {FailureText(static_cast<int>(UploadFailure::Refused), 70000), L"The service refused the file"},
        {FailureText(999, 0), L"The upload failed"},
        {FailureText(-3, 0), L"The upload failed"},
        {QueueSummaryText(0, 0), L""},
        {QueueSummaryText(1, 0), L"1 upload waiting"},
        {QueueSummaryText(3, 2), L"3 uploads waiting, 2 failed"},
        {QueueSummaryText(0, 1), L"1 failed"},
    };
    for (const auto& [actual, expected] : texts) EXPECT_EQ(expected, actual) << WideToUtf8(expected);
}

}  // namespace
