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
#include <vector>

#include "base/scoped_win.h"
#include "upload/http_transport.h"
#include "upload/upload_failure.h"
#include "upload/upload_journal.h"

enum class UploadKind : std::int32_t {
    File = 1,
    Folder = 2,
    Capture = 3,
};

// The largest file that is sent (50 MB); one byte more is refused.
inline constexpr std::uint64_t UploadLimitBytes = 52428800;

// The most jobs the queue holds at once, waiting and failed together; an
// enqueue past it is refused whole.
inline constexpr std::size_t kMaxPendingJobs = 10000;

struct UploadJob {
    // The journal's id (above 0), or the queue's own (below 0) for a job
    // that could not be written down.
    long long id = 0;
    std::wstring path;  // the file or folder
    // The name shown and the name the service receives (the form's file
    // name); empty: the last component of path. A folder's becomes its name
    // followed by ".zip" once it is packed.
    std::wstring displayName;
    // A file of the program's own (a capture): deleted once the service has
    // taken it, kept when the upload fails (it is the user's only copy).
    bool deleteWhenUploaded = false;
    // A folder's packed archive, once made; kept across attempts and
    // deleted with the job.
    std::wstring archive;
    FILE* heldStream = nullptr;  // opened by the enqueuer; owned by the job
    UploadKind kind = UploadKind::File;
    int failedAttempts = 0;
    // For a job waiting to be retried: when it may go (UnixTimeNow) and
    // when that was decided (a clock set back does not hold it up).
    std::int64_t readyAt = 0;
    std::int64_t pausedAt = 0;
    // For a failed job: why.
    UploadFailure failure = UploadFailure::None;
    long status = 0;

    // The file the transfer sends: the archive of a folder, else path.
    const std::wstring& SentPath() const { return archive.empty() ? path : archive; }

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
    std::size_t remaining = 0;       // jobs ready to go when the outcome was delivered
    bool success = false;            // the transfer ran and the status was below 400
    long httpStatus = 0;             // 0 when no answer arrived
    // Why the attempt failed (None when success).
    UploadFailure failure = UploadFailure::None;
    // The job waits to be tried again; `attempt` counts from 1.
    bool willRetry = false;
    int attempt = 1;
};

// Answers whether the service took the upload (its reply judged good); only
// then is the job crossed out and a capture's file deleted. A transfer that
// succeeded with a reply judged bad fails the job for good (BadReply).
using UploadCompletionHandler = bool (*)(JobOutcome outcome);

// A job has failed for good and waits for the user's Retry or Remove (its
// id); called on the worker.
struct FailedUploadNotice {
    long long id = 0;
    std::wstring name;  // JobName
    UploadFailure failure = UploadFailure::None;
    long status = 0;
};
using UploadFailureListener = void (*)(const FailedUploadNotice& notice);
// The numbers of waiting or failed jobs may have changed, or a retry has
// come due; on any thread.
using UploadChangeListener = void (*)();

// A job to enqueue: what EnqueueFile, EnqueueFolder and EnqueueCapture make.
struct NewUpload {
    std::wstring path;
    std::wstring name;  // empty: the last component of path
    UploadKind kind = UploadKind::File;
    bool deleteWhenUploaded = false;
    FILE* stream = nullptr;  // taken over
};

// The account an upload is sent with: "name:digest" for HTTP basic
// authentication, or empty while logged out. Asked on the worker thread for
// every transfer.
using UploadAccountSource = std::string (*)();

// The bytes of every file below `folder`, summed in 64 bits. A folder that
// cannot be listed adds nothing.
std::uint64_t FolderSize(const std::wstring& folder);

// Deletes the temporary archives ("vt_*.tmp") a process that ended during a
// folder upload left in `folder`, except those named in `keep` (file names,
// compared without case: archives of jobs still waiting); the number
// deleted. Only while no other instance can be packing there (start-up,
// after the single-instance check).
int RemoveStaleArchives(const std::wstring& folder, const std::vector<std::wstring>& keep = {});

class UploadQueue {
public:
    // Starts the worker thread. Destroying the queue cancels the transfer in
    // flight and waits for the worker to end (the worker never waits for
    // another thread, so that wait is short).
    UploadQueue();
    ~UploadQueue();
    UploadQueue(const UploadQueue&) = delete;
    UploadQueue& operator=(const UploadQueue&) = delete;

    // Appends the jobs in order, written down in one journal transaction
    // before this returns; all or none (Full when they would pass
    // kMaxPendingJobs: false, nothing queued). The streams are taken over
    // either way.
    bool Enqueue(std::vector<NewUpload> uploads);
    // One job each, false when the queue is full. EnqueueFile takes over `stream` (or none), a read
    // stream the caller opened on the file.
    bool EnqueueFile(const std::wstring& path, FILE* stream);
    // A file of the program's own at `path` (a capture, a pasted picture:
    // it must lie in the data folder's "captures" folder to be taken up
    // again after a restart), sent as `name`; deleted once the service has
    // it, kept otherwise.
    bool EnqueueCapture(const std::wstring& path, const std::wstring& name);
    bool EnqueueFolder(const std::wstring& path);  // sent as a ZIP archive

    // Jobs read back from the journal at start-up, in their order: waiting
    // ones are queued, failed ones kept for Retry and Remove. Before the
    // first enqueue.
    void Restore(std::vector<std::unique_ptr<UploadJob>> jobs);
    // A failed job queued again from its first attempt; false when `id` is
    // not a failed job.
    bool Retry(long long id);
    // A failed job crossed out: its archive and (for the program's own
    // files) its file are deleted, never a user's file or folder. False when
    // `id` is not a failed job.
    bool Remove(long long id);

    // While paused the worker takes no job; a transfer in flight goes on.
    void SetPaused(bool paused);
    // True from taking a job until the worker next finds none to take.
    bool IsBusy() const;
    // Jobs ready to go: the waiting ones and the retries that have come due.
    std::size_t QueuedCount() const;
    // Jobs not yet uploaded, retries included (not the one in hand), and
    // jobs failed for good.
    std::size_t WaitingCount() const;
    std::size_t FailedCount() const;
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
    // Null (the default) keeps the jobs in memory only. Not owned; set
    // before the first enqueue and kept until the queue has stopped.
    void SetJournal(UploadJournal* journal) { journal_ = journal; }
    void SetFailureListener(UploadFailureListener listener) { onFailure_ = listener; }
    void SetChangeListener(UploadChangeListener listener) { onChange_ = listener; }

private:
    static DWORD WINAPI WorkerMain(void* queue);
    static int OnTransferProgress(void* queue, curl_off_t downloadTotal, curl_off_t downloaded,
                                  curl_off_t uploadTotal, curl_off_t uploaded);

    // The result of one attempt, as the worker saw it.
    struct Attempt {
        UploadFailure failure = UploadFailure::None;
        long status = 0;
        std::int64_t retryAfter = -1;
        std::string reply;
        std::uint64_t size = 0;  // of what was (or would have been) sent
        std::string reason;      // libcurl's words for a transfer that broke off
    };

    std::unique_ptr<UploadJob> TakeNextJob();
    void RunJob(std::unique_ptr<UploadJob> job);
    // The log's "upload end" line for one attempt.
    void LogAttempt(const UploadJob& job, const Attempt& attempt, const char* result,
                    std::chrono::steady_clock::time_point started) const;
    Attempt Try(UploadJob& job);
    UploadFailure PrepareFolder(UploadJob& job, std::uint64_t& size);
    Attempt Transfer(UploadJob& job, std::uint64_t size);
    void Perform(CURL* transfer, UploadJob& job, std::uint64_t size, Attempt& attempt);
    // The handler's verdict; without a handler, whether the attempt went
    // through.
    bool Deliver(const UploadJob& job, const Attempt& attempt, bool willRetry);
    // Where a job goes after an attempt that did not upload it.
    void Settle(std::unique_ptr<UploadJob> job, UploadFailure failure, long status, std::int64_t pause,
                std::int64_t answeredAt);
    // Deletes the job's archive and, for the program's own files, its file.
    static void DeleteOwnFiles(const UploadJob& job);
    std::size_t HeldLocked() const;
    bool DueLocked(const UploadJob& job, std::int64_t now) const;
    void Changed() const;
    // Announces retries that came due while the queue is paused.
    void AnnounceDueRetries();

    mutable std::mutex lock_;  // guards the job lists, nextLocalId_ and archiveFolder_
    std::deque<std::unique_ptr<UploadJob>> jobs_;
    std::deque<std::unique_ptr<UploadJob>> retrying_;  // in the order they failed
    std::deque<std::unique_ptr<UploadJob>> failed_;
    long long nextLocalId_ = -1;
    bool dueAnnounced_ = false;
    std::wstring archiveFolder_;
    UploadJournal* journal_ = nullptr;
    std::atomic<UploadFailureListener> onFailure_{nullptr};
    std::atomic<UploadChangeListener> onChange_{nullptr};
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
    ScopedHandle worker_;
    ScopedHandle wake_;  // set when a job may be waiting, so the worker need not sleep out its poll
};
