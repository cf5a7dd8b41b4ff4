#include "upload/upload_queue.h"

#include <sys/stat.h>

#include <algorithm>
#include <cwchar>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/main_window_handle.h"
#include "base/product.h"
#include "base/thread_name.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "config/settings_store.h"
#include "upload/upload_form.h"
#include "upload/zip_archive.h"

// Jobs live in three lists: waiting (in arrival order), waiting for a retry
// (each with the time it may go) and failed for good (until the user's Retry
// or Remove). The job in hand belongs to the worker alone. Each change is
// written to the journal first when there is one, so that a restart finds
// every job where it was; a job cut off by the end of the process is still
// "waiting" there and is sent again (at least once).
//
// Delivering outcomes: the completion handler may send messages to the main
// window, and the main thread may at that moment wait for the lock in an
// enqueue. So the worker reads the number of waiting jobs under the lock and
// calls the handler after releasing it. Only the one worker thread ever calls
// the handler, one job after another, so calls never overlap and come in
// job order; a job enqueued during a call may make the count it was given
// stale, which the main window's state changes already allow for.

namespace {

constexpr DWORD kIdlePollMillis = 50;
constexpr UINT kIsoLatin1CodePage = 28591;
// Temporary archives are named by the system from this: "vt_XXXX.tmp".
constexpr const wchar_t* kArchivePrefix = L"vt_";
// Larger than libcurl's 64 KB default: fewer, larger socket writes (several
// times faster in our measurements; nothing changes on the wire).
constexpr long kUploadBufferBytes = 512 * 1024;
int Ask(const std::wstring& text, UINT type) {
    return AskUser(MainWindowHandle(), text.c_str(), kProductName, type);
}

// The text after the last backslash; the whole path when there is none.
std::wstring LastComponent(const std::wstring& path) {
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The folder path without trailing backslashes, unless that would leave a
// bare drive ("C:").
std::wstring TrimFolderPath(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

// The form's file name: ISO-8859-1 bytes, other characters becoming the
// system's default character.
std::string FormFileName(const UploadJob& job) {
    std::wstring name = job.displayName;
    if (name.empty()) {
        const std::wstring::size_type slash = job.path.rfind(L'\\');
        if (slash == std::wstring::npos) return "unnamed";
        name = job.path.substr(slash + 1);
    }
    if (name.empty()) return std::string();
    const int length = WideCharToMultiByte(kIsoLatin1CodePage, 0, name.c_str(), static_cast<int>(name.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(kIsoLatin1CodePage, 0, name.c_str(), static_cast<int>(name.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

bool StatPath(const std::wstring& path, struct _stat64& info) {
    return _wstat64(path.c_str(), &info) == 0;
}

// Packs `folder` into the archive file `archive` with entry names that begin
// with the folder's own name.
bool PackFolder(const std::wstring& folder, const std::wstring& archive) {
    HZIP zip = nullptr;
    if (ZipCreateFileW(&zip, archive.c_str(), nullptr) != 0) return false;
    const int nameOffset = static_cast<int>(folder.rfind(L'\\') + 1);  // 0 when there is no backslash
    const bool added = ZipAddDirW(zip, folder.c_str(), nameOffset) == 0;
    const bool closed = ZipClose(zip) == 0;
    return added && closed;
}

}  // namespace

std::uint64_t FolderSize(const std::wstring& folder) {
    const std::wstring base = (!folder.empty() && folder.back() == L'\\') ? folder : folder + L'\\';
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW((base + L"*").c_str(), &found));
    if (!search) return 0;
    std::uint64_t total = 0;
    do {
        if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction may point back up the tree; it is not followed.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) total += FolderSize(base + found.cFileName);
        } else {
            total += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (FindNextFileW(search.get(), &found));
    return total;
}

int RemoveStaleArchives(const std::wstring& folder, const std::vector<std::wstring>& keep) {
    const std::wstring base = (!folder.empty() && folder.back() == L'\\') ? folder : folder + L'\\';
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW((base + kArchivePrefix + L"*.tmp").c_str(), &found));
    if (!search) return 0;
    int removed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const bool kept = std::any_of(keep.begin(), keep.end(), [&found](const std::wstring& name) {
            return _wcsicmp(name.c_str(), found.cFileName) == 0;
        });
        if (kept) continue;
        if (DeleteFileW((base + found.cFileName).c_str())) ++removed;
    } while (FindNextFileW(search.get(), &found));
    return removed;
}

std::wstring JobName(const UploadJob& job) {
    if (!job.displayName.empty()) return job.displayName;
    const std::wstring last = LastComponent(job.path);
    return last.empty() ? job.path : last;
}

const char* KindName(UploadKind kind) {
    switch (kind) {
    case UploadKind::Folder: return "folder";
    case UploadKind::Capture: return "capture";
    default: return "file";
    }
}

UploadJob::~UploadJob() {
    if (heldStream) std::fclose(heldStream);
}

UploadQueue::UploadQueue() {
    wake_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    worker_.reset(CreateThread(nullptr, 0, &UploadQueue::WorkerMain, this, 0, nullptr));
}

UploadQueue::~UploadQueue() {
    Stop(INFINITE);
}

bool UploadQueue::Stop(DWORD milliseconds) {
    stopping_ = true;  // also aborts the transfer in flight (progress callback)
    if (wake_) SetEvent(wake_.get());
    if (!worker_) return true;
    return WaitForSingleObject(worker_.get(), milliseconds) == WAIT_OBJECT_0;
}

void UploadQueue::Changed() const {
    if (const UploadChangeListener listener = onChange_) listener();
}

std::size_t UploadQueue::HeldLocked() const {
    return jobs_.size() + retrying_.size() + failed_.size() + (busy_ ? 1 : 0);
}

bool UploadQueue::Enqueue(std::vector<NewUpload> uploads) {
    std::vector<std::unique_ptr<UploadJob>> jobs;
    for (NewUpload& upload : uploads) {
        auto job = std::make_unique<UploadJob>();
        job->path = std::move(upload.path);
        job->displayName = std::move(upload.name);
        job->kind = upload.kind;
        job->deleteWhenUploaded = upload.deleteWhenUploaded;
        job->heldStream = upload.stream;  // closed with the job, whatever happens
        jobs.push_back(std::move(job));
    }
    if (jobs.empty()) return true;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (HeldLocked() + jobs.size() > kMaxPendingJobs) return false;
        std::vector<UploadJob*> written;
        for (const auto& job : jobs) written.push_back(job.get());
        if (!journal_ || !journal_->Add(written)) {
            // Not written down: the uploads still go, from memory.
            for (const auto& job : jobs) job->id = nextLocalId_--;
        }
        for (auto& job : jobs) jobs_.push_back(std::move(job));
    }
    SetEvent(wake_.get());
    Changed();
    return true;
}

bool UploadQueue::EnqueueFile(const std::wstring& path, FILE* stream) {
    return Enqueue({NewUpload{path, {}, UploadKind::File, false, stream}});
}

bool UploadQueue::EnqueueCapture(const std::wstring& path, const std::wstring& name) {
    return Enqueue({NewUpload{path, name, UploadKind::Capture, true, nullptr}});
}

bool UploadQueue::EnqueueFolder(const std::wstring& path) {
    // Only the archive made from the folder is ever deleted, never the
    // folder (nor a file of the user's that took its place).
    return Enqueue({NewUpload{path, {}, UploadKind::Folder, false, nullptr}});
}

void UploadQueue::Restore(std::vector<std::unique_ptr<UploadJob>> jobs) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (auto& job : jobs) {
            if (!job) continue;
            if (job->failure == UploadFailure::None) jobs_.push_back(std::move(job));
            else failed_.push_back(std::move(job));
        }
    }
    SetEvent(wake_.get());
    Changed();
}

namespace {

std::unique_ptr<UploadJob> TakeById(std::deque<std::unique_ptr<UploadJob>>& list, long long id) {
    for (auto at = list.begin(); at != list.end(); ++at) {
        if ((*at)->id != id) continue;
        std::unique_ptr<UploadJob> job = std::move(*at);
        list.erase(at);
        return job;
    }
    return nullptr;
}

}  // namespace

bool UploadQueue::Retry(long long id) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        std::unique_ptr<UploadJob> job = TakeById(failed_, id);
        if (!job) return false;
        job->failedAttempts = 0;
        job->failure = UploadFailure::None;
        job->status = 0;
        if (journal_ && job->id > 0) journal_->SetWaiting(job->id, 0);
        jobs_.push_back(std::move(job));
    }
    SetEvent(wake_.get());
    Changed();
    return true;
}

bool UploadQueue::Remove(long long id) {
    std::unique_ptr<UploadJob> job;
    {
        std::lock_guard<std::mutex> hold(lock_);
        job = TakeById(failed_, id);
        if (!job) return false;
        if (journal_ && job->id > 0) journal_->Remove(job->id);
    }
    DeleteOwnFiles(*job);
    Changed();
    return true;
}

void UploadQueue::DeleteOwnFiles(const UploadJob& job) {
    if (!job.archive.empty()) DeleteFileW(job.archive.c_str());
    if (job.deleteWhenUploaded) DeleteFileW(job.path.c_str());
}

void UploadQueue::SetPaused(bool paused) {
    paused_ = paused;
    if (!paused) SetEvent(wake_.get());
}

bool UploadQueue::IsBusy() const { return busy_; }

bool UploadQueue::DueLocked(const UploadJob& job, std::int64_t now) const {
    return now >= job.readyAt || now < job.pausedAt;
}

std::size_t UploadQueue::QueuedCount() const {
    const std::int64_t now = UnixTimeNow();
    std::lock_guard<std::mutex> hold(lock_);
    std::size_t due = 0;
    for (const auto& job : retrying_) due += DueLocked(*job, now) ? 1 : 0;
    return jobs_.size() + due;
}

std::size_t UploadQueue::WaitingCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return jobs_.size() + retrying_.size();
}

std::size_t UploadQueue::FailedCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return failed_.size();
}

void UploadQueue::SetArchiveFolder(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(lock_);
    archiveFolder_ = folder;
}

int UploadQueue::GetProgress() const {
    if (!busy_ || !transferActive_) return -1;
    const double total = static_cast<double>(totalBytes_.load());
    if (total == 0) return -1;
    const int percent = static_cast<int>(static_cast<double>(sentBytes_.load()) * 100.0 / total);
    if (percent < 0) return -1;
    return percent > 100 ? 100 : percent;
}

void UploadQueue::CancelCurrent() { cancel_ = true; }

void UploadQueue::SetCompletionHandler(UploadCompletionHandler handler) { onComplete_ = handler; }

DWORD WINAPI UploadQueue::WorkerMain(void* queue) {
    auto* self = static_cast<UploadQueue*>(queue);
    NameThisThread("worker");
    while (!self->stopping_) {
        std::unique_ptr<UploadJob> job = self->TakeNextJob();
        if (!job) {
            self->AnnounceDueRetries();
            // Looks again every 50 ms, or at once when a job arrives.
            WaitForSingleObject(self->wake_.get(), kIdlePollMillis);
            continue;
        }
        self->Changed();  // one fewer waits
        self->RunJob(std::move(job));
    }
    return 0;
}

// A paused queue takes nothing, so its owner must hear that a retry is
// ready (the owner releases the queue when it shows an upload).
void UploadQueue::AnnounceDueRetries() {
    bool announce = false;
    {
        const std::int64_t now = UnixTimeNow();
        std::lock_guard<std::mutex> hold(lock_);
        bool due = false;
        for (const auto& job : retrying_) due = due || DueLocked(*job, now);
        announce = due && !dueAnnounced_;
        dueAnnounced_ = due;
    }
    if (announce) Changed();
}

std::unique_ptr<UploadJob> UploadQueue::TakeNextJob() {
    const std::int64_t now = UnixTimeNow();
    std::lock_guard<std::mutex> hold(lock_);
    if (paused_) {
        busy_ = false;
        return nullptr;
    }
    // A retry that has come due goes before the jobs that arrived after it
    // failed; one that has not waits while they go.
    std::deque<std::unique_ptr<UploadJob>>* from = &jobs_;
    for (auto at = retrying_.begin(); at != retrying_.end(); ++at) {
        if (!DueLocked(**at, now)) continue;
        std::rotate(retrying_.begin(), at, std::next(at));
        from = &retrying_;
        break;
    }
    if (from->empty()) {
        busy_ = false;
        return nullptr;
    }
    busy_ = true;
    // A cancel pressed between jobs is for none of them.
    cancel_ = false;
    std::unique_ptr<UploadJob> job = std::move(from->front());
    from->pop_front();
    return job;
}

bool UploadQueue::Deliver(const UploadJob& job, const Attempt& attempt, bool willRetry) {
    const UploadCompletionHandler handler = onComplete_;
    const bool success = attempt.failure == UploadFailure::None;
    if (!handler) return success;
    JobOutcome outcome;
    outcome.job = &job;
    outcome.reply = attempt.reply;
    outcome.remaining = QueuedCount();
    outcome.success = success;
    outcome.httpStatus = attempt.status;
    outcome.failure = attempt.failure;
    outcome.willRetry = willRetry;
    outcome.attempt = job.failedAttempts + 1;
    return handler(std::move(outcome));
}

void UploadQueue::LogAttempt(const UploadJob& job, const Attempt& attempt, const char* result,
                             std::chrono::steady_clock::time_point started) const {
    const auto elapsed = std::chrono::steady_clock::now() - started;
    std::string reason = attempt.reason;
    if (reason.empty() && attempt.failure != UploadFailure::None) {
        reason = WideToUtf8(FailureText(static_cast<int>(attempt.failure), attempt.status));
    }
    LogEvent("upload end",
             {{"name", LogText(JobName(job))},
              {"size", LogNumber(static_cast<long long>(attempt.size))},
              {"duration_ms", LogNumber(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count())},
              {"result", result},
              {"http", LogNumber(attempt.status)},
              {"retries", LogNumber(job.failedAttempts)},
              {"reason", reason}});
}

void UploadQueue::RunJob(std::unique_ptr<UploadJob> job) {
    const auto started = std::chrono::steady_clock::now();
    LogEvent("upload start", {{"name", LogText(JobName(*job))}, {"kind", KindName(job->kind)}});
    const Attempt attempt = Try(*job);
    // A pause counts from the answer, not from whenever the outcome's
    // handler lets this thread go on.
    const std::int64_t answeredAt = UnixTimeNow();
    if (stopping_) {
        // Cut off by the end of the process: the journal still has the job
        // waiting, and the next start sends it again.
        LogAttempt(*job, attempt, "stopped", started);
        return;
    }
    const std::int64_t pause =
        RetryPause(attempt.failure, attempt.status, job->failedAttempts + 1, attempt.retryAfter);
    if (attempt.failure == UploadFailure::Declined) {
        // The user chose not to send it: the question was the only message.
        LogAttempt(*job, attempt, "declined", started);
        Deliver(*job, attempt, false);
        std::lock_guard<std::mutex> hold(lock_);
        if (journal_ && job->id > 0) journal_->Remove(job->id);
        if (!job->archive.empty()) DeleteFileW(job->archive.c_str());
        Changed();
        return;
    }
    const bool uploaded = Deliver(*job, attempt, pause >= 0);
    const bool transferred = attempt.failure == UploadFailure::None;
    LogAttempt(*job, attempt,
               uploaded ? "sent"
               : transferred ? "bad reply"
               : attempt.failure == UploadFailure::Cancelled ? "cancelled"
               : pause >= 0 ? "will retry"
                            : "failed",
               started);
    if (uploaded) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (journal_ && job->id > 0) journal_->Remove(job->id);
        }
        DeleteOwnFiles(*job);
        Changed();
        return;
    }
    const UploadFailure failure =
        attempt.failure == UploadFailure::None ? UploadFailure::BadReply : attempt.failure;
    Settle(std::move(job), failure, attempt.status, attempt.failure == UploadFailure::None ? -1 : pause,
           answeredAt);
}

void UploadQueue::Settle(std::unique_ptr<UploadJob> job, UploadFailure failure, long status,
                         std::int64_t pause, std::int64_t answeredAt) {
    ++job->failedAttempts;
    if (pause >= 0) {
        job->pausedAt = answeredAt;
        job->readyAt = answeredAt + pause;
        std::lock_guard<std::mutex> hold(lock_);
        if (journal_ && job->id > 0) journal_->SetWaiting(job->id, job->failedAttempts);
        retrying_.push_back(std::move(job));
    } else {
        job->failure = failure;
        job->status = status;
        if (job->heldStream) {
            std::fclose(job->heldStream);  // a failed job may wait for days
            job->heldStream = nullptr;
        }
        const FailedUploadNotice notice{job->id, JobName(*job), failure, status};
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (journal_ && job->id > 0) journal_->SetFailed(job->id, failure, status, job->failedAttempts);
            failed_.push_back(std::move(job));
        }
        // Told once the job can be retried or removed.
        if (const UploadFailureListener listener = onFailure_) listener(notice);
    }
    Changed();
}

UploadQueue::Attempt UploadQueue::Try(UploadJob& job) {
    Attempt attempt;
    // A folder packed on an earlier attempt is sent as it was packed.
    struct _stat64 info;
    if (!job.archive.empty() && !StatPath(job.archive, info)) job.archive.clear();
    if (!StatPath(job.SentPath(), info)) {
        attempt.failure = UploadFailure::FileGone;
        return attempt;
    }
    std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    attempt.size = size;
    if ((info.st_mode & _S_IFMT) == _S_IFDIR) {
        if (job.deleteWhenUploaded) {
            // A file of ours that has become a folder: not ours to send.
            attempt.failure = UploadFailure::FileGone;
            return attempt;
        }
        attempt.failure = PrepareFolder(job, size);
        attempt.size = size;
        if (attempt.failure != UploadFailure::None) return attempt;
    }
    if (cancel_ || stopping_) {
        // Cancelled while the folder was packed: nothing is sent, and the
        // archive goes (a Retry packs the folder again).
        if (!job.archive.empty() && !stopping_) {
            DeleteFileW(job.archive.c_str());
            job.archive.clear();
            std::lock_guard<std::mutex> hold(lock_);
            if (journal_ && job.id > 0) journal_->SetArchive(job.id, job.archive, job.displayName);
        }
        attempt.failure = UploadFailure::Cancelled;
        return attempt;
    }
    return Transfer(job, size);
}

// Packs a folder job into a ZIP archive (job.archive) and sets `size` to the
// archive's.
UploadFailure UploadQueue::PrepareFolder(UploadJob& job, std::uint64_t& size) {
    const std::wstring folder = TrimFolderPath(job.path);
    const std::wstring folderName = LastComponent(folder);
    if (FolderSize(folder) > UploadLimitBytes) {
        const std::wstring question =
            L"The folder '" + folderName +
            L"' is greater than the allowed size (50MB).\nIf the compressed size of the directory is still "
            L"greater than the allowed size, the upload will fail.\n\nDo you wish to continue?";
        if (Ask(question, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return UploadFailure::Declined;
    }

    std::wstring archiveFolder;
    {
        std::lock_guard<std::mutex> hold(lock_);
        archiveFolder = archiveFolder_;
    }
    wchar_t archive[MAX_PATH];
    if (!GetTempFileNameW(archiveFolder.c_str(), kArchivePrefix, 0, archive)) return UploadFailure::NotPacked;
    struct _stat64 info;
    if (!PackFolder(folder, archive) || !StatPath(archive, info)) {
        DeleteFileW(archive);  // nothing else will ever use it
        return UploadFailure::NotPacked;
    }
    job.archive = archive;  // ours: deleted with the job
    if (job.displayName.empty()) job.displayName = folderName + L".zip";
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (journal_ && job.id > 0) journal_->SetArchive(job.id, job.archive, job.displayName);
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return UploadFailure::None;
}

UploadQueue::Attempt UploadQueue::Transfer(UploadJob& job, std::uint64_t size) {
    Attempt attempt;
    attempt.size = size;
    const std::string uploadUrl = Settings().GetAdvancedNarrow(L"adv_api_upload_uri");
    CURL* transfer = OpenRequest(uploadUrl.c_str(), TimeLimit::LowSpeedOnly);
    if (!transfer) {
        attempt.failure = UploadFailure::NotStarted;
        return attempt;
    }
    if (size > UploadLimitBytes) {
        const std::wstring name = JobName(job);
        Ask(L"The file (" + name + L") is too big to upload. The limit is 50MB", MB_OK | MB_ICONERROR);
        attempt.failure = UploadFailure::TooLarge;
    } else {
        Perform(transfer, job, size, attempt);
    }
    attempt.reply = reply_.text();
    transferActive_ = false;
    curl_easy_cleanup(transfer);
    reply_.Release();
    return attempt;
}

// Sends the file of `job` as the upload form. A status of 400 or above
// fails the attempt, with whatever reply came with it.
void UploadQueue::Perform(CURL* transfer, UploadJob& job, std::uint64_t size, Attempt& attempt) {
    const std::string fileName = FormFileName(job);
    FILE* file = _wfopen(job.SentPath().c_str(), L"rb");
    if (!file) {
        attempt.failure = UploadFailure::FileGone;
        return;
    }
    if (job.heldStream) {
        std::fclose(job.heldStream);
        job.heldStream = nullptr;
    }
    PromisedFileStream stream;
    stream.file = file;
    stream.size = static_cast<curl_off_t>(size);
    curl_mime* form = NewUploadForm(transfer, &stream, fileName);
    if (!form) {
        std::fclose(file);
        attempt.failure = UploadFailure::NotStarted;
        return;
    }

    const UploadAccountSource accountSource = accountSource_;
    const std::string account = accountSource ? accountSource() : std::string();
    if (!account.empty()) {
        SetAccountAuthentication(transfer, account);
    }
    curl_slist* headers = NewExpectHeaderList();
    curl_easy_setopt(transfer, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(transfer, CURLOPT_MIMEPOST, form);
    curl_easy_setopt(transfer, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
    curl_easy_setopt(transfer, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
    curl_easy_setopt(transfer, CURLOPT_WRITEDATA, &reply_);
    curl_easy_setopt(transfer, CURLOPT_XFERINFOFUNCTION, &UploadQueue::OnTransferProgress);
    curl_easy_setopt(transfer, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(transfer, CURLOPT_NOPROGRESS, 0L);
    // The status is judged here, after the whole answer: its Retry-After
    // header and body count.
    curl_easy_setopt(transfer, CURLOPT_FAILONERROR, 0L);

    sentBytes_ = 0;
    totalBytes_ = 0;
    transferActive_ = true;
    const CURLcode result = PerformTransfer(transfer);
    if (result != CURLE_OK) attempt.reason = curl_easy_strerror(result);
    long status = 0;
    curl_easy_getinfo(transfer, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t retryAfter = 0;
    const bool hasRetryAfter =
        curl_easy_getinfo(transfer, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0;
    const bool cancelled = result == CURLE_ABORTED_BY_CALLBACK && cancel_;
    attempt.status = status;
    attempt.retryAfter = hasRetryAfter ? static_cast<std::int64_t>(retryAfter) : -1;
    attempt.failure = ClassifyTransfer(result == CURLE_OK, status, cancelled);

    // The handle still points at the form and the list until it is released.
    curl_easy_setopt(transfer, CURLOPT_MIMEPOST, nullptr);
    curl_easy_setopt(transfer, CURLOPT_HTTPHEADER, nullptr);
    curl_mime_free(form);
    curl_slist_free_all(headers);
    std::fclose(file);
}

int UploadQueue::OnTransferProgress(void* queue, curl_off_t, curl_off_t, curl_off_t uploadTotal,
                                    curl_off_t uploaded) {
    auto* self = static_cast<UploadQueue*>(queue);
    self->totalBytes_ = uploadTotal;
    self->sentBytes_ = uploaded;
    return (self->cancel_ || self->stopping_) ? 1 : 0;
}
