// The upload queue and its worker against the development service: what
// arrives, in which order, with which account, what is deleted, and how
// cancels and server faults end a job without holding up the next one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <atomic>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "base/event_log.h"
#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
#include "support/temp_dir.h"
#include "upload/json_reader.h"
#include "upload/upload_queue.h"

namespace {

using namespace std::chrono_literals;

struct Delivered {
    std::wstring path;
    std::wstring displayName;
    UploadKind kind;
    std::string reply;
    size_t remaining;
    bool success;
    bool enqueueFinished;  // see the deadlock test
    long httpStatus;
    bool willRetry;
    int attempt;
};

struct Prompted {
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// What the worker handed over, shared with the test thread.
struct Recorder {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Delivered> outcomes;
    std::vector<Prompted> prompts;
    UploadQueue* enqueueFromHandler = nullptr;  // enqueue here during the next call
    bool judgeBad = false;  // the handler finds every reply wanting

    bool WaitFor(size_t count, std::chrono::seconds limit = 60s) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, limit, [&] { return outcomes.size() >= count; });
    }
} recorder;

bool Record(JobOutcome outcome) {
    bool enqueueFinished = false;
    UploadQueue* queue = nullptr;
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        std::swap(queue, recorder.enqueueFromHandler);
    }
    if (queue) {
        // The main thread may enqueue while the handler runs (and the handler
        // may be waiting for the main thread); that must not block.
        auto finished = std::make_shared<std::atomic<bool>>(false);
        std::thread([queue, finished] {
            queue->EnqueueCapture(L"Z:\\nowhere\\x", L"x.png");
            *finished = true;
        }).detach();
        for (int i = 0; i < 1000 && !*finished; ++i) std::this_thread::sleep_for(10ms);
        enqueueFinished = *finished;
    }
    std::lock_guard<std::mutex> hold(recorder.lock);
    recorder.outcomes.push_back({outcome.job->path, outcome.job->displayName, outcome.job->kind, outcome.reply,
                                 outcome.remaining, outcome.success, enqueueFinished, outcome.httpStatus,
                                 outcome.willRetry, outcome.attempt});
    recorder.changed.notify_all();
    return outcome.success && !recorder.judgeBad;
}

int AnswerPrompt(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    std::lock_guard<std::mutex> hold(recorder.lock);
    recorder.prompts.push_back({text, caption, type});
    return IDOK;
}

// The queue's clock: it stands still unless a test moves it, so a retry
// comes only when the test says its pause is over.
std::atomic<std::int64_t> testNow{1000000};
std::int64_t TestClock() { return testNow; }

Seams TestSeams() {
    Seams seams;
    seams.askUser = &AnswerPrompt;
    seams.unixTime = &TestClock;
    return seams;
}

// Jobs failed for good, as the queue told them.
std::mutex noticesLock;
std::vector<FailedUploadNotice> notices;
void RecordFailure(const FailedUploadNotice& notice) {
    std::lock_guard<std::mutex> hold(noticesLock);
    notices.push_back(notice);
}

// What the queue wrote down, as "add <id>", "archive <id>", "waiting <id>
// <attempts>", "failed <id> <failure> <status> <attempts>", "remove <id>".
class RecordingJournal : public UploadJournal {
public:
    bool Add(const std::vector<UploadJob*>& jobs) override {
        std::lock_guard<std::mutex> hold(lock_);
        for (UploadJob* job : jobs) {
            job->id = ++lastId_;
            calls_.push_back("add " + std::to_string(job->id));
        }
        return true;
    }
    void SetArchive(long long id, const std::wstring&, const std::wstring&) override { Note("archive " + std::to_string(id)); }
    void SetWaiting(long long id, int attempts) override {
        Note("waiting " + std::to_string(id) + " " + std::to_string(attempts));
    }
    void SetFailed(long long id, UploadFailure failure, long status, int attempts) override {
        Note("failed " + std::to_string(id) + " " + std::to_string(static_cast<int>(failure)) + " " +
             std::to_string(status) + " " + std::to_string(attempts));
    }
    void Remove(long long id) override { Note("remove " + std::to_string(id)); }
    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> hold(lock_);
        return calls_;
    }

private:
    void Note(std::string call) {
        std::lock_guard<std::mutex> hold(lock_);
        calls_.push_back(std::move(call));
    }
    std::mutex lock_;
    std::vector<std::string> calls_;
    long long lastId_ = 0;
};

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned value = seed;
    for (size_t i = 0; i < size; ++i) {
        value = value * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(value >> 24);
    }
    return bytes;
}

// A file of `size` bytes that reads as zeros, made without writing them.
bool MakeSparseFile(const std::wstring& path, LONGLONG size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

class UploadQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        Settings().SetAdvanced(L"adv_api_upload_uri", Utf8ToWide(DevService::UploadUrl()));
        queue.SetArchiveFolder(Utf8ToWide(dir.path() + "\\"));
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        {
            std::lock_guard<std::mutex> hold(recorder.lock);
            recorder.outcomes.clear();
            recorder.prompts.clear();
            recorder.judgeBad = false;
        }
        queue.SetCompletionHandler(&Record);
        queue.SetFailureListener(&RecordFailure);
        std::lock_guard<std::mutex> hold(noticesLock);
        notices.clear();
    }
    ScopedSeams seams_{TestSeams()};

    std::wstring Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return Utf8ToWide(path);
    }
    std::vector<Delivered> Outcomes() {
        std::lock_guard<std::mutex> hold(recorder.lock);
        return recorder.outcomes;
    }
    static std::vector<FailedUploadNotice> Notices() {
        std::lock_guard<std::mutex> hold(noticesLock);
        return notices;
    }
    // Polls `done` for up to 20 s: what the worker does after delivering an
    // outcome (journal, files) comes a moment later.
    template <typename Done>
    static bool WaitUntil(Done done) {
        for (int i = 0; i < 2000; ++i) {
            if (done()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return done();
    }
    // No outcome arrives for a while (what a test can say of a retry that
    // must not have come yet).
    static bool NothingMoreFor(size_t outcomes, std::chrono::milliseconds wait = 400ms) {
        std::this_thread::sleep_for(wait);
        std::lock_guard<std::mutex> hold(recorder.lock);
        return recorder.outcomes.size() == outcomes;
    }
    std::vector<Prompted> Prompts() {
        std::lock_guard<std::mutex> hold(recorder.lock);
        return recorder.prompts;
    }
    // The logged uploads of these file names, oldest first. A transfer that
    // an earlier test cancelled may still be logged late, so tests that
    // count requests pick theirs by name.
    static std::vector<LoggedRequest> UploadsNamed(const std::vector<std::string>& names) {
        std::vector<LoggedRequest> found;
        for (const LoggedRequest& request : DevService::Requests()) {
            if (request.parts.empty()) continue;
            for (const std::string& name : names) {
                if (request.parts[0].filename == name) found.push_back(request);
            }
        }
        return found;
    }
    // Waits until a transfer is in flight and has reported its size.
    bool WaitForProgressAtLeast(int percent) {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (queue.GetProgress() >= percent) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    TempDir dir;
    RecordingJournal journal;  // outlives the queue
    UploadQueue queue;
};

TEST_F(UploadQueueTest, BytesArriveAsSent) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.txt", ""},
        {"one.bin", "\x7f"},
        {"limit.bin", Pattern(UploadLimitBytes, 7)},  // exactly the limit is still sent
        {"caf\xC3\xA9 d\xC3\xA9j\xC3\xA0 \xC3\xBF.txt", Pattern(1000, 8)},
        {"\xCE\xA9mega.txt", "omega"},  // outside ISO-8859-1
    };
    for (const auto& file : files) queue.EnqueueFile(Write(file.first, file.second), nullptr);
    ASSERT_TRUE(recorder.WaitFor(files.size(), 180s));

    const auto outcomes = Outcomes();
    const auto log = DevService::Requests();
    ASSERT_EQ(files.size(), log.size());
    const std::vector<std::string> sentNames = {"empty.txt", "one.bin", "limit.bin",
                                                "caf\xE9 d\xE9j\xE0 \xFF.txt", "?mega.txt"};
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(sentNames[i]);
        EXPECT_TRUE(outcomes[i].success);
        ASSERT_EQ(1u, log[i].parts.size());
        const LoggedPart& part = log[i].parts[0];
        EXPECT_EQ("Filedata", part.name);
        EXPECT_EQ(sentNames[i], part.filename);
        EXPECT_EQ(static_cast<double>(files[i].second.size()), part.size);
        EXPECT_EQ(Sha256Hex(files[i].second), part.sha256);
        EXPECT_FALSE(log[i].HasHeader("Expect"));
        EXPECT_FALSE(log[i].HasHeader("Authorization"));
        EXPECT_TRUE(FileExists(WideToUtf8(outcomes[i].path)));  // plain files are kept
    }
    EXPECT_EQ(files[3].second, DevService::StoredUpload(ReplyPath(outcomes[3].reply)));
}

TEST_F(UploadQueueTest, OneByteOverTheLimitIsRefusedWithoutTraffic) {
    const std::wstring path = Utf8ToWide(dir.File("big.bin"));
    ASSERT_TRUE(MakeSparseFile(path, UploadLimitBytes + 1));
    FILE* held = _wfopen(path.c_str(), L"r");
    queue.EnqueueFile(path, held);
    ASSERT_TRUE(recorder.WaitFor(1));

    EXPECT_FALSE(Outcomes()[0].success);
    EXPECT_EQ("", Outcomes()[0].reply);
    const auto prompts = Prompts();
    ASSERT_EQ(1u, prompts.size());
    EXPECT_EQ(L"The file (big.bin) is too big to upload. The limit is 50MB", prompts[0].text);
    EXPECT_EQ(L"vantorel liftorn", prompts[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), prompts[0].type);
    EXPECT_TRUE(DevService::Requests().empty());
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "the held stream is closed";
}

TEST_F(UploadQueueTest, JobsQueuedWhilePausedGoOutInOrder) {
    queue.SetPaused(true);
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) queue.EnqueueFile(Write(name, name), nullptr);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(3u, queue.QueuedCount());
    EXPECT_FALSE(queue.IsBusy());
    EXPECT_TRUE(Outcomes().empty());

    queue.SetPaused(false);
    ASSERT_TRUE(recorder.WaitFor(3));
    const auto outcomes = Outcomes();
    const auto log = DevService::Requests();
    ASSERT_EQ(3u, log.size());
    const char* names[] = {"a.txt", "b.txt", "c.txt"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Utf8ToWide(dir.File(names[i])), outcomes[i].path);
        EXPECT_EQ(2 - i, outcomes[i].remaining);
        EXPECT_EQ(names[i], log[i].parts.at(0).filename);
    }
}

TEST_F(UploadQueueTest, AnEnqueueDuringTheHandlerDoesNotWait) {
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        recorder.enqueueFromHandler = &queue;
    }
    queue.EnqueueFile(Write("first.txt", "1"), nullptr);
    ASSERT_TRUE(recorder.WaitFor(2));  // the job enqueued from the handler runs too
    EXPECT_TRUE(Outcomes()[0].enqueueFinished);
    EXPECT_EQ(UploadKind::Capture, Outcomes()[1].kind);
    EXPECT_FALSE(Outcomes()[1].success);  // its path does not exist
}

TEST_F(UploadQueueTest, ProgressIsAPercentageOnlyWhileSending) {
    EXPECT_EQ(-1, queue.GetProgress());
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "slow", "count": 1, "read_chunk": 65536, "read_delay": 0.01, "delay": 0.3})"));
    queue.EnqueueFile(Write("slow.bin", Pattern(2 << 20, 3)), nullptr);
    std::vector<int> seen;
    while (Outcomes().empty()) {
        seen.push_back(queue.GetProgress());
        std::this_thread::sleep_for(2ms);
        ASSERT_LT(seen.size(), 60000u) << "no outcome";
    }
    ASSERT_TRUE(Outcomes()[0].success);
    int lowest = 101, highest = -2;
    for (int p : seen) {
        EXPECT_GE(p, -1);
        EXPECT_LE(p, 100);
        if (p >= 0) lowest = std::min(lowest, p);
        highest = std::max(highest, p);
    }
    EXPECT_LT(lowest, 50);
    EXPECT_EQ(100, highest);
    for (int i = 0; i < 200 && queue.IsBusy(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(queue.IsBusy());
    EXPECT_EQ(-1, queue.GetProgress());
}

TEST_F(UploadQueueTest, CancelEndsTheTransferInFlightOnly) {
    // Between transfers a cancel has no effect.
    queue.CancelCurrent();
    queue.EnqueueFile(Write("before.txt", "x"), nullptr);
    ASSERT_TRUE(recorder.WaitFor(1));
    EXPECT_TRUE(Outcomes()[0].success);

    // A slow upload, and a server that hangs after taking the whole body.
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "slow", "count": 1, "read_chunk": 65536, "read_delay": 0.05})"));
    queue.EnqueueFile(Write("slow.bin", Pattern(8 << 20, 4)), nullptr);
    queue.EnqueueFile(Write("after-slow.txt", "y"), nullptr);
    ASSERT_TRUE(WaitForProgressAtLeast(0));
    queue.CancelCurrent();
    ASSERT_TRUE(recorder.WaitFor(3, 20s));

    ASSERT_TRUE(DevService::SetFault(R"({"mode": "stall", "count": 1})"));
    queue.EnqueueFile(Write("stalled.txt", "z"), nullptr);
    queue.EnqueueFile(Write("after-stall.txt", "w"), nullptr);
    ASSERT_TRUE(WaitForProgressAtLeast(100));
    std::this_thread::sleep_for(300ms);  // the server is now hanging
    queue.CancelCurrent();
    ASSERT_TRUE(recorder.WaitFor(5, 20s));

    const auto outcomes = Outcomes();
    EXPECT_FALSE(outcomes[1].success);
    EXPECT_TRUE(outcomes[2].success);
    EXPECT_FALSE(outcomes[3].success);
    EXPECT_TRUE(outcomes[4].success);
}

std::atomic<bool> sendAccount{false};
std::string AliceWhileLoggedIn() {
    return sendAccount ? "alice:5baa61e4c9b93f3f0682250b6cf8331b7ee68fd8" : std::string();
}

TEST_F(UploadQueueTest, TheAccountIsSentOnlyWhileTheSourceGivesOne) {
    const std::string hash = "5baa61e4c9b93f3f0682250b6cf8331b7ee68fd8";
    ASSERT_TRUE(DevService::AddAccount("alice", hash));
    queue.SetAccountSource(AliceWhileLoggedIn);
    queue.EnqueueFile(Write("anonymous.txt", "a"), nullptr);
    ASSERT_TRUE(recorder.WaitFor(1));
    sendAccount = true;
    queue.EnqueueFile(Write("alice.txt", "b"), nullptr);
    ASSERT_TRUE(recorder.WaitFor(2));
    sendAccount = false;

    const auto log = UploadsNamed({"anonymous.txt", "alice.txt"});
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("anonymous.txt", log[0].parts[0].filename);
    EXPECT_FALSE(log[0].HasHeader("Authorization"));
    EXPECT_EQ(0u, log[1].Header("Authorization").rfind("Basic ", 0));
    EXPECT_EQ("alice", log[1].authUser);
    EXPECT_TRUE(log[1].authOk);
    EXPECT_TRUE(Outcomes()[1].success);
}

TEST_F(UploadQueueTest, CapturesGoUnderTheirNameAndAreDeletedOnlyOnceTakenPlainFilesNever) {
    // Captures keep private file names; the service sees the name typed.
    const std::wstring capture = Write("capture-1.png", "png");
    const std::wstring failedCapture = Write("capture-2.png", "png");
    const std::wstring judgedCapture = Write("capture-3.png", "png");
    const std::wstring plain = Write("plain.txt", "txt");
    const std::wstring failedPlain = Write("failed.txt", "txt");
    queue.EnqueueCapture(capture, L"shot.png");
    ASSERT_TRUE(recorder.WaitFor(1));
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "count": 2})"));
    queue.EnqueueCapture(failedCapture, L"shot.png");
    queue.EnqueueFile(failedPlain, nullptr);
    ASSERT_TRUE(recorder.WaitFor(3));
    queue.EnqueueFile(plain, nullptr);
    queue.EnqueueFile(Utf8ToWide(dir.File("missing.txt")), nullptr);
    ASSERT_TRUE(recorder.WaitFor(5));
    {
        // Sent, but the reply is not what the service should say.
        std::lock_guard<std::mutex> hold(recorder.lock);
        recorder.judgeBad = true;
    }
    queue.EnqueueCapture(judgedCapture, L"judged.png");
    ASSERT_TRUE(recorder.WaitFor(6));

    const auto outcomes = Outcomes();
    EXPECT_TRUE(outcomes[0].success);
    EXPECT_FALSE(outcomes[1].success);
    EXPECT_FALSE(outcomes[2].success);
    EXPECT_TRUE(outcomes[3].success);
    EXPECT_FALSE(outcomes[4].success);
    EXPECT_EQ("", outcomes[4].reply);
    EXPECT_TRUE(outcomes[5].success);
    EXPECT_EQ(2u, UploadsNamed({"shot.png"}).size());
    EXPECT_EQ(0u, UploadsNamed({"capture-1.png", "capture-2.png"}).size());
    EXPECT_EQ(4u, UploadsNamed({"shot.png", "failed.txt", "plain.txt", "missing.txt"}).size());
    EXPECT_EQ(UploadKind::Capture, outcomes[0].kind);
    EXPECT_EQ(L"shot.png", outcomes[0].displayName);
    EXPECT_FALSE(FileExists(WideToUtf8(capture)));
    EXPECT_TRUE(FileExists(WideToUtf8(failedCapture)));  // the user's only copy
    EXPECT_TRUE(FileExists(WideToUtf8(judgedCapture)));
    EXPECT_TRUE(FileExists(WideToUtf8(plain)));
    EXPECT_TRUE(FileExists(WideToUtf8(failedPlain)));
}

TEST_F(UploadQueueTest, EveryServerFaultEndsOneJobAndTheNextStillGoes) {
    struct Case {
        const char* fault;
        bool success;        // did the transfer itself complete?
        const char* reply;   // expected reply, or null to skip the check
    };
    const Case cases[] = {
        {R"({"mode": "refuse"})", false, ""},
        {R"({"mode": "refuse", "reset": true})", false, ""},
        {R"({"mode": "status500"})", false, nullptr},
        {R"({"mode": "close_early"})", false, nullptr},
        {R"({"mode": "slow", "delay": 0.5})", true, nullptr},
        {R"({"mode": "malformed_json"})", true, "{\"path\": "},
        {R"({"mode": "hostile_json", "body": {"path": 7, "icon": []}})", true, "{\"path\": 7, \"icon\": []}"},
        // Replies over the cap fail, whether their length is declared or not.
        {R"({"mode": "huge", "size": 20000000})", false, ""},
        {R"({"mode": "huge", "size": 20000000, "unsized": true})", false, nullptr},
        // Uploads have no overall limit, but a reply that stops moving ends
        // them long before the service gives up.
        {R"({"mode": "stall", "stall_seconds": 300})", false, nullptr},
    };
    size_t expected = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::string order = c.fault;
        order.insert(order.size() - 1, ", \"count\": 1");
        ASSERT_TRUE(DevService::SetFault(order));
        queue.EnqueueFile(Write("spoiled.txt", "spoiled"), nullptr);
        queue.EnqueueFile(Write("next.txt", "next"), nullptr);
        expected += 2;
        ASSERT_TRUE(recorder.WaitFor(expected, 60s));
        const auto outcomes = Outcomes();
        const Delivered& spoiled = outcomes[expected - 2];
        EXPECT_EQ(c.success, spoiled.success);
        if (c.reply) {
            EXPECT_EQ(c.reply, spoiled.reply);
        }
        EXPECT_TRUE(outcomes[expected - 1].success);
        EXPECT_NE("", ReplyPath(outcomes[expected - 1].reply));
        EXPECT_LE(spoiled.reply.size(), kReplyLimitBytes);
    }
}

TEST_F(UploadQueueTest, ABusyServiceIsTriedAgainAfterEachPauseWhileLaterJobsGo) {
    queue.SetJournal(&journal);
    TempDir logFolder;
    ASSERT_TRUE(OpenEventLog(Utf8ToWide(logFolder.path() + "\\")));
    const char* const busy = R"({"mode": "status500", "path": "/api/json", "status": 503, "count": 1})";
    ASSERT_TRUE(DevService::SetFault(busy));
    ASSERT_TRUE(queue.EnqueueFile(Write("busy.txt", "busy"), nullptr));
    ASSERT_TRUE(WaitUntil([&] { return queue.WaitingCount() == 1 && !Outcomes().empty(); }));
    // While it waits for its retry, the next job goes.
    ASSERT_TRUE(queue.EnqueueFile(Write("meanwhile.txt", "meanwhile"), nullptr));
    ASSERT_TRUE(recorder.WaitFor(2));
    EXPECT_EQ(1u, queue.WaitingCount());
    EXPECT_EQ(0u, queue.QueuedCount());

    // 5 s after the first 503, 30 s after the second, 2 s (its Retry-After)
    // after the 429: never a moment earlier.
    size_t seen = 2;
    const char* const next[] = {
        busy, R"({"mode": "status500", "path": "/api/json", "status": 429, "retry_after": 2, "count": 1})",
        nullptr};
    for (std::int64_t pause : {5, 30, 2}) {
        if (const char* fault = next[seen - 2]) {
            ASSERT_TRUE(DevService::SetFault(fault));
        }
        testNow += pause - 1;
        EXPECT_TRUE(NothingMoreFor(seen)) << "retried before its pause of " << pause << " s";
        testNow += 1;
        ASSERT_TRUE(recorder.WaitFor(++seen)) << pause;
    }
    ASSERT_TRUE(WaitUntil([&] { return journal.Calls().size() == 7; }));
    const auto outcomes = Outcomes();
    ASSERT_EQ(5u, outcomes.size());
    EXPECT_TRUE(outcomes[1].success);
    EXPECT_EQ(L"meanwhile.txt", outcomes[1].path.substr(outcomes[1].path.rfind(L'\\') + 1));
    for (size_t i : {0u, 2u, 3u}) EXPECT_FALSE(outcomes[i].success) << i;
    EXPECT_TRUE(outcomes[4].success);
    EXPECT_EQ(4u, UploadsNamed({"busy.txt"}).size());
    EXPECT_TRUE(Notices().empty());  // no failure ever reached the user
    EXPECT_EQ(0u, queue.WaitingCount());
    EXPECT_EQ((std::vector<std::string>{"add 1", "waiting 1 1", "add 2", "remove 2", "waiting 1 2",
                                        "waiting 1 3", "remove 1"}),
              journal.Calls());

    // The log counts the tries: each answer of the service, and the retries
    // the job had had when it went.
    CloseEventLog();
    std::vector<std::string> ends;
    std::istringstream log(ReadBytes(logFolder.File("liftorn.log")));
    for (std::string line; std::getline(log, line);) {
        const size_t at = line.find("upload end: name=busy.txt ");
        if (at != std::string::npos) ends.push_back(line.substr(line.find(" result=", at)));
    }
    ASSERT_EQ(4u, ends.size());
    const char* const told[] = {
        " result=\"will retry\" http=503 retries=0 ", " result=\"will retry\" http=503 retries=1 ",
        " result=\"will retry\" http=429 retries=2 ", " result=sent http=200 retries=3 "};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(0u, ends[i].find(told[i])) << ends[i];
}

TEST_F(UploadQueueTest, FailuresARetryCannotMendWaitForTheUsersRetryOrRemove) {
    queue.SetJournal(&journal);
    const std::wstring refused = Write("capture-refused.png", "png 1");
    const std::wstring unreadable = Write("capture-unreadable.png", "png 2");
    const std::wstring users = Write("mine.txt", "mine");
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/api/json", "status": 413, "count": 1})"));
    ASSERT_TRUE(queue.EnqueueCapture(refused, L"refused.png"));
    ASSERT_TRUE(recorder.WaitFor(1));
    // The failure is written down just after the outcome is told.
    ASSERT_TRUE(WaitUntil([&] { return journal.Calls().size() == 2; }));
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        recorder.judgeBad = true;  // the reply is not one the program can use
    }
    std::vector<NewUpload> both(2);
    both[0] = NewUpload{unreadable, L"unreadable.png", UploadKind::Capture, true, nullptr};
    both[1].path = users;
    ASSERT_TRUE(queue.Enqueue(std::move(both)));
    ASSERT_TRUE(recorder.WaitFor(3));
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        recorder.judgeBad = false;
    }
    testNow += 24 * 3600;
    EXPECT_TRUE(NothingMoreFor(3)) << "no retry without the user";
    ASSERT_TRUE(WaitUntil([&] { return Notices().size() == 3; }));
    EXPECT_EQ(3u, queue.FailedCount());
    const auto notices = Notices();
    ASSERT_EQ(3u, notices.size());
    EXPECT_EQ(L"refused.png", notices[0].name);
    EXPECT_EQ(UploadFailure::Refused, notices[0].failure);
    EXPECT_EQ(413, notices[0].status);
    EXPECT_EQ(413, Outcomes()[0].httpStatus);
    EXPECT_FALSE(Outcomes()[0].willRetry);
    EXPECT_EQ(UploadFailure::BadReply, notices[1].failure);

    // Retry after the service is mended: it goes, and the capture's file
    // with it. Remove deletes the program's own file, never the user's.
    EXPECT_FALSE(queue.Retry(12345));
    ASSERT_TRUE(queue.Retry(notices[0].id));
    ASSERT_TRUE(recorder.WaitFor(4));
    EXPECT_TRUE(Outcomes()[3].success);
    EXPECT_EQ(1, Outcomes()[3].attempt);
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(WideToUtf8(refused)); }));
    ASSERT_TRUE(queue.Remove(notices[1].id));
    ASSERT_TRUE(queue.Remove(notices[2].id));
    EXPECT_FALSE(queue.Remove(notices[2].id));
    EXPECT_FALSE(FileExists(WideToUtf8(unreadable)));
    EXPECT_TRUE(FileExists(WideToUtf8(users)));
    EXPECT_EQ(0u, queue.FailedCount());
    EXPECT_EQ((std::vector<std::string>{"add 1", "failed 1 3 413 1", "add 2", "add 3", "failed 2 4 200 1",
                                        "failed 3 4 200 1", "waiting 1 0", "remove 1", "remove 2", "remove 3"}),
              journal.Calls());
}

TEST_F(UploadQueueTest, AFullQueueRefusesAWholeBatchAndClosesItsStreams) {
    queue.SetPaused(true);
    std::vector<NewUpload> many(kMaxPendingJobs - 1);
    for (size_t i = 0; i < many.size(); ++i) many[i].path = L"Z:\\nowhere\\" + std::to_wstring(i);
    ASSERT_TRUE(queue.Enqueue(std::move(many)));
    const std::wstring held = Write("held.txt", "h");
    std::vector<NewUpload> two(2);
    two[0].path = held;
    two[0].stream = _wfopen(held.c_str(), L"r");
    two[1].path = held;
    EXPECT_FALSE(queue.Enqueue(std::move(two)));
    EXPECT_EQ(kMaxPendingJobs - 1, queue.WaitingCount());
    EXPECT_TRUE(DeleteFileW(held.c_str())) << "the refused job's stream is closed";
    EXPECT_TRUE(queue.EnqueueFile(L"Z:\\nowhere\\last", nullptr));
    EXPECT_FALSE(queue.EnqueueFile(L"Z:\\nowhere\\past", nullptr));
}

}  // namespace
