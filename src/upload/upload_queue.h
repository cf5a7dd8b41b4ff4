// The one upload queue of the process: the main thread appends jobs, a single
// worker thread sends them one at a time in arrival order and hands each
// outcome to the completion handler.
#pragma once

#include <windows.h>

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "base/scoped_win.h"
#include "upload/http_transport.h"

enum class UploadKind : std::int32_t {
    File = 1,
    Folder = 2,
    Capture = 3,
};

// The largest file that is sent (50 MB); one byte more is refused.
inline constexpr std::uint64_t UploadLimitBytes = 52428800;

struct UploadJob {
    std::wstring path;  // for a folder, replaced by its temporary archive
    // The name shown and the name the service receives (the form's file
    // name); empty: the last component of path.
    std::wstring displayName;
    // A capture's own file: deleted once the service has taken it, kept
    // when the upload fails (it is the user's only copy).
    bool deleteWhenUploaded = false;
    FILE* heldStream = nullptr;  // opened by the enqueuer; owned by the job
    UploadKind kind = UploadKind::File;

    UploadJob() = default;
    ~UploadJob();
    UploadJob(const UploadJob&) = delete;
    UploadJob& operator=(const UploadJob&) = delete;
};

// The name the user knows a job by: its display name, else the last
// component of its path, else the whole path.
std::wstring JobName(const UploadJob& job);

struct JobOutcome {
    const UploadJob* job = nullptr;  // valid only during the handler's call
    std::string reply;               // the reply text; empty when none arrived
    std::size_t remaining = 0;       // jobs waiting when the outcome was delivered
    bool success = false;            // the transfer ran and libcurl reported no error
};

// Answers whether the service took the upload (its reply judged good); only
// then is a capture's file deleted.
using UploadCompletionHandler = bool (*)(JobOutcome outcome);

// The account an upload is sent with: "name:digest" for HTTP basic
// authentication, or empty while logged out. Asked on the worker thread for
// every transfer.
using UploadAccountSource = std::string (*)();

// The bytes of every file below `folder`, summed in 64 bits. A folder that
// cannot be listed adds nothing.
std::uint64_t FolderSize(const std::wstring& folder);

// Deletes the temporary archives ("vt_*.tmp") a process that ended during a
// folder upload left in `folder`; the number deleted. Only while no other
// instance can be packing there (start-up, after the single-instance check).
int RemoveStaleArchives(const std::wstring& folder);

class UploadQueue {
public:
    // Starts the worker thread. Destroying the queue cancels the transfer in
    // flight and waits for the worker to end (the worker never waits for
    // another thread, so that wait is short).
    UploadQueue();
    ~UploadQueue();
    UploadQueue(const UploadQueue&) = delete;
    UploadQueue& operator=(const UploadQueue&) = delete;

    // Each appends a job and returns true. EnqueueFile takes over `stream`
    // (or none), a read stream the caller opened on the file.
    bool EnqueueFile(const std::wstring& path, FILE* stream);
    // A capture's own file at `path`, sent as `name`; deleted once the
    // service has it (see UploadCompletionHandler), kept otherwise.
    bool EnqueueCapture(const std::wstring& path, const std::wstring& name);
    bool EnqueueFolder(const std::wstring& path);  // sent as a ZIP archive

    // While paused the worker takes no job; a transfer in flight goes on.
    void SetPaused(bool paused);
    // True from taking a job until the worker next finds none to take.
    bool IsBusy() const;
    std::size_t QueuedCount() const;
    // Percent of the transfer in flight sent so far (0..100), or -1 when
    // there is none or its size is not known yet.
    int GetProgress() const;
    // Aborts the job in hand: its transfer, or the transfer that would follow
    // the packing of a folder. No effect between jobs.
    void CancelCurrent();
    // Aborts the transfer in flight and lets the worker end; waits up to
    // `milliseconds` for it. True when it has ended. No job runs afterwards.
    bool Stop(DWORD milliseconds);
    void SetCompletionHandler(UploadCompletionHandler handler);
    // Where folders are packed into temporary archives (the data folder).
    void SetArchiveFolder(const std::wstring& folder);
    // Null (the default) sends every upload without an account.
    void SetAccountSource(UploadAccountSource source) { accountSource_ = source; }

private:
    static DWORD WINAPI WorkerMain(void* queue);
    static int OnTransferProgress(void* queue, curl_off_t downloadTotal, curl_off_t downloaded,
                                  curl_off_t uploadTotal, curl_off_t uploaded);

    bool Enqueue(const std::wstring& path, UploadKind kind, FILE* stream, const std::wstring& name = {},
                 bool deleteWhenUploaded = false);
    bool Append(std::unique_ptr<UploadJob> job);
    std::unique_ptr<UploadJob> TakeNextJob();
    void RunJob(UploadJob& job);
    bool PrepareFolder(UploadJob& job, std::uint64_t& size, bool& declined);
    void Transfer(UploadJob& job, std::uint64_t size, bool declined, bool ownArchive);
    bool Perform(CURL* transfer, UploadJob& job, std::uint64_t size);
    // The handler's verdict; without a handler, `success` itself.
    bool Deliver(const UploadJob& job, std::string reply, bool success);

    // What the log's "upload end" line says about the job in hand.
    struct JobRecord {
        std::chrono::steady_clock::time_point started;
        std::uint64_t size = 0;
        long httpStatus = 0;
        const char* result = "failed";
        std::string reason;
    };

    mutable std::mutex lock_;  // guards jobs_ and archiveFolder_
    std::deque<std::unique_ptr<UploadJob>> jobs_;
    std::wstring archiveFolder_;
    std::atomic<UploadAccountSource> accountSource_{nullptr};
    std::atomic<bool> busy_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> stopping_{false};
    // What GetProgress reads: published by the worker and the progress
    // callback, so the main thread never touches a handle that the worker
    // may be releasing.
    std::atomic<bool> transferActive_{false};
    std::atomic<curl_off_t> sentBytes_{0};
    std::atomic<curl_off_t> totalBytes_{0};
    std::atomic<UploadCompletionHandler> onComplete_{nullptr};
    ReplyBuffer reply_;  // the worker's own
    JobRecord record_;   // the worker's own
    ScopedHandle worker_;
    ScopedHandle wake_;  // set when a job may be waiting, so the worker need not sleep out its poll
};
