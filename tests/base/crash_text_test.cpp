// The text of a crash report, its file names and which old reports go.
#include <gtest/gtest.h>

#include "base/crash_text.h"

namespace {

CrashFacts AccessViolation() {
    CrashFacts facts;
    facts.time = LogTime{2024, 5, 1, 9, 3, 7, 0};
    facts.version = "1.2.5";
    facts.windows = "6.1 build 7601 Service Pack 1";
    facts.thread = "worker";
    facts.threadId = 42;
    facts.code = 0xC0000005UL;
    facts.address = 0x140001234ULL;
    facts.module = "liftorn.exe";
    facts.moduleOffset = 0x1234;
    facts.hasAccess = true;
    facts.accessKind = 1;
    facts.accessAddress = 0x10;
    return facts;
}

TEST(CrashText, SaysWhatWhereAndOnWhichThread) {
    char text[512];
    const std::size_t length = FormatCrashText(text, sizeof text, AccessViolation());
    EXPECT_EQ(std::string("vantorel liftorn closed unexpectedly.\r\n"
                          "Time: 2024-05-01 09:03:07\r\n"
                          "Version: 1.2.5\r\n"
                          "Windows: 6.1 build 7601 Service Pack 1\r\n"
                          "Thread: worker (id 42)\r\n"
                          "Exception: 0xC0000005 (access violation) at 0x0000000140001234 (liftorn.exe+0x1234)\r\n"
                          "Access: writing 0x0000000000000010\r\n"),
              std::string(text, length));

    CrashFacts terminate = AccessViolation();
    terminate.code = kTerminateCode;
    terminate.hasAccess = false;
    terminate.module = "";
    EXPECT_NE(std::string::npos,
              std::string(text, FormatCrashText(text, sizeof text, terminate)).find("(std::terminate) at"));
}

TEST(CrashText, ASmallBufferIsCutAndStaysTerminated) {
    for (std::size_t capacity : {1u, 2u, 10u, 100u}) {
        char text[100];
        std::fill(std::begin(text), std::end(text), '#');
        const std::size_t length = FormatCrashText(text, capacity, AccessViolation());
        EXPECT_EQ(capacity - 1, length);
        EXPECT_EQ('\0', text[length]);
    }
}

TEST(CrashText, OnlyTheNewestReportsOfOursAreKept) {
    char stem[64];
    FormatCrashStem(stem, sizeof stem, LogTime{2024, 5, 1, 9, 3, 7, 45}, 1234);
    EXPECT_STREQ("crash-20240501-090307-045-0000001234", stem);

    std::vector<std::string> names;
    for (int day = 1; day <= 7; ++day) {
        FormatCrashStem(stem, sizeof stem, LogTime{2024, 5, day, 12, 0, 0, 0}, 7);
        names.push_back(std::string(stem) + ".txt");
        if (day != 2) names.push_back(std::string(stem) + ".dmp");  // a report whose dump failed
    }
    // Not ours, whatever they look like (the last: the older stem without milliseconds).
    names.insert(names.end(),
                 {"new-report", "notes.txt", "crash-20240501-120000-000-0000000007.txt.bak",
                  "crash-2024050x-120000-000-0000000007.txt", "CRASH-20240501-120000-000-0000000007.dmp",
                  "crash-20240501-120000-0000000007.txt"});
    const auto old = OldCrashReportFiles(names, kKeptCrashReports);
    EXPECT_EQ((std::vector<std::string>{"crash-20240501-120000-000-0000000007.txt",
                                        "crash-20240501-120000-000-0000000007.dmp",
                                        "crash-20240502-120000-000-0000000007.txt"}),
              old);
    EXPECT_TRUE(OldCrashReportFiles(names, 7).empty());

    // Two crashes within one second: the later one stays even when its
    // process id is the smaller.
    std::vector<std::string> sameSecond;
    FormatCrashStem(stem, sizeof stem, LogTime{2024, 5, 1, 12, 0, 0, 100}, 900);
    sameSecond.push_back(std::string(stem) + ".dmp");
    FormatCrashStem(stem, sizeof stem, LogTime{2024, 5, 1, 12, 0, 0, 850}, 12);
    sameSecond.push_back(std::string(stem) + ".dmp");
    EXPECT_EQ(std::vector<std::string>{sameSecond[0]}, OldCrashReportFiles(sameSecond, 1));
}

}  // namespace
