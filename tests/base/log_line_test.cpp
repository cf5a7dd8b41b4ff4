// The log's lines: what a value looks like, what never reaches the file,
// and the names of the rotated files.
#include <gtest/gtest.h>

#include <thread>

#include "base/log_line.h"
#include "base/thread_name.h"

namespace {

const LogTime kTime{2024, 5, 1, 9, 3, 7, 45};

TEST(LogLine, OneLineWithTimeThreadEventAndFields) {
    EXPECT_EQ("2024-05-01 09:03:07.045 [worker] upload end: name=\"a b.png\" size=1234 result=sent\r\n",
              FormatLogLine(kTime, "worker", "upload end",
                            {{"name", "a b.png"}, {"size", "1234"}, {"result", "sent"}}));
    EXPECT_EQ("2024-05-01 09:03:07.045 [unnamed] exit\r\n", FormatLogLine(kTime, nullptr, "exit", {}));
}

TEST(LogLine, ValuesCannotBreakTheLineOrLeakSecrets) {
    const std::string digest(40, 'a');  // a SHA-1 digest's length
    struct Case {
        std::string value;
        std::string shown;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"k=v", "\"k=v\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        // A hostile name cannot start a line of its own.
        {"a\r\n2024-01-01 [main] exit", "\"a\\r\\n2024-01-01 [main] exit\""},
        {std::string("nul\0bell\a", 9), "\"nul\\x00bell\\x07\""},
        {"J\xc3\xb6rg", "J\xc3\xb6rg"},   // UTF-8 stays readable
        {"J\xf6rg", "\"J\\xf6rg\""},  // broken UTF-8 does not
        {digest, "<hidden>"},
        {"hash " + digest + " end", "\"hash <hidden> end\""},
        {std::string(31, 'f'), std::string(31, 'f')},  // shorter runs are ordinary numbers
        {"http://alice:" + digest + "@host/api", "http://<hidden>@host/api"},
        {"Failed https://bob:pw@example.com:8080/x?y", "\"Failed https://<hidden>@example.com:8080/x?y\""},
        {"mail bob@example.com", "\"mail bob@example.com\""},
        {"http://host/a@b", "http://host/a@b"},  // an "@" after the host is no user
    };
    for (const Case& c : cases) EXPECT_EQ(c.shown, LogValue(c.value)) << c.value;

    // Long values are cut, never inside a UTF-8 sequence.
    const std::string longName = std::string(kLogValueLimit - 1, 'x') + "\xc3\xa9tail";
    EXPECT_EQ(std::string(kLogValueLimit - 1, 'x') + "...", LogValue(longName));

    // Keys that name a secret never show their value.
    const std::string line = FormatLogLine(kTime, "main", "login",
                                           {{"user", "alice"}, {"password", "pw"}, {"PasswordHash", "x"},
                                            {"clipboard", "http://link"}, {"account", "alice:x"}});
    EXPECT_NE(std::string::npos, line.find("user=alice"));
    for (const char* leaked : {"pw", "=x", "link", "alice:"}) EXPECT_EQ(std::string::npos, line.find(leaked)) << leaked;
}

TEST(LogLine, OldFilesAreNumberedBeforeTheExtension) {
    EXPECT_EQ("C:\\d\\liftorn.log", OldLogPath("C:\\d\\liftorn.log", 0));
    EXPECT_EQ("C:\\d\\liftorn.1.log", OldLogPath("C:\\d\\liftorn.log", 1));
    EXPECT_EQ("C:\\d\\liftorn.3.log", OldLogPath("C:\\d\\liftorn.log", 3));
    EXPECT_EQ("C:\\d.x\\liftorn.2", OldLogPath("C:\\d.x\\liftorn", 2));
}

TEST(ThreadName, EachThreadHasItsOwnAndTheHookSeesIt) {
    static std::string seen;
    SetThreadNamedHook([](const char* name) { seen = name; });
    std::string other;
    std::thread([&] {
        other = ThisThreadName();
        NameThisThread("worker");
        other += std::string("/") + ThisThreadName();
    }).join();
    SetThreadNamedHook(nullptr);
    EXPECT_EQ("unnamed/worker", other);
    EXPECT_EQ("worker", seen);
    EXPECT_STREQ("unnamed", ThisThreadName());
}

}  // namespace
