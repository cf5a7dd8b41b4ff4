// The log file itself: lines from many threads arrive whole, the file is
// rotated at its size limit into three numbered old files, and a log that
// is reopened goes on where it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "base/event_log.h"
#include "base/thread_name.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", from)) {
        lines.push_back(text.substr(from, end - from));
        from = end + 2;
    }
    EXPECT_EQ(text.size(), from) << "a line without its end";
    return lines;
}

TEST(EventLog, ThreadsWriteWholeLinesAndTheLogRotatesAtItsLimit) {
    TempDir folder;
    const std::string base = folder.path() + "\\";
    ASSERT_TRUE(OpenEventLog(ToWide(base)));
    // About 5 MB in all: more than the log and its three old files hold.
    constexpr int kThreads = 4;
    constexpr int kLines = 9000;
    const std::string padding(120, 'p');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &padding] {
            static const char* const names[] = {"worker", "capture", "toast", "main"};
            NameThisThread(names[t]);
            for (int i = 0; i < kLines; ++i) {
                LogEvent("test", {{"thread", std::to_string(t)}, {"line", std::to_string(i)}, {"pad", padding}});
            }
        });
    }
    for (auto& thread : threads) thread.join();
    LogEvent("last");
    CloseEventLog();
    LogEvent("after closing");  // dropped

    // Oldest file first: each thread's lines keep their order across the
    // files, and none is there twice.
    const char* const files[] = {"liftorn.3.log", "liftorn.2.log", "liftorn.1.log", "liftorn.log"};
    std::map<std::string, int> lastLine;
    std::size_t kept = 0;
    for (const char* name : files) {
        const std::string text = ReadBytes(base + name);
        ASSERT_FALSE(text.empty()) << name;
        EXPECT_LE(text.size(), kLogRotateBytes) << name;
        for (const std::string& line : Lines(text)) {
            if (line.find("] last") != std::string::npos) {
                EXPECT_EQ(std::string("liftorn.log"), name);
                continue;
            }
            // "YYYY-MM-DD hh:mm:ss.mmm [name] test: thread=T line=I pad=..."
            std::istringstream words(line.substr(24));
            std::string thread, event, threadField, lineField, padField;
            words >> thread >> event >> threadField >> lineField >> padField;
            EXPECT_EQ("test:", event) << line;
            EXPECT_EQ("pad=" + padding, padField) << line;
            const int number = std::stoi(lineField.substr(5));
            auto last = lastLine.find(threadField);
            if (last != lastLine.end()) {
                EXPECT_GT(number, last->second) << line;
            }
            lastLine[threadField] = number;
            ++kept;
        }
    }
    EXPECT_FALSE(FileExists(base + "liftorn.4.log"));
    EXPECT_EQ(std::string::npos, ReadBytes(base + "liftorn.log").find("after closing"));
    // The oldest lines went with the fourth file.
    EXPECT_GT(kept, 3u * kLogRotateBytes / 200);
    EXPECT_LT(kept, static_cast<std::size_t>(kThreads * kLines));

    // Reopened, the log goes on at its end.
    const std::size_t size = ReadBytes(base + "liftorn.log").size();
    ASSERT_TRUE(OpenEventLog(ToWide(base)));
    LogEvent("again", {{"password", "secret"}});
    CloseEventLog();
    const std::string text = ReadBytes(base + "liftorn.log");
    EXPECT_EQ(size, text.find_first_of("0123456789", size));
    EXPECT_NE(std::string::npos, text.find("again: password=<hidden>\r\n", size));
}

}  // namespace
