// Where the upload queue writes its jobs down so that they outlive the
// process: a job is written before its enqueue returns, its state follows
// it (waiting, retried, failed, its folder's archive) and it is crossed out
// once uploaded or removed. The queue knows only this interface; the owner
// of the program's storage implements it (the application keeps it in the
// history database, so that one transaction moves an uploaded job to its
// history row).
//
// Called on the thread that changes the job (enqueue, Retry and Remove on
// the caller's, the rest on the worker). A call that fails leaves the job in
// memory: the upload goes on, it only would not survive a restart.
#pragma once

#include <string>
#include <vector>

#include "upload/upload_failure.h"

struct UploadJob;

class UploadJournal {
public:
    virtual ~UploadJournal() = default;

    // Writes `jobs` down in one transaction, in order, and gives each its id
    // (greater than 0). False when nothing was written.
    virtual bool Add(const std::vector<UploadJob*>& jobs) = 0;
    // The folder job `id` was packed into `archive` (empty: its archive is
    // gone) and is sent as `name`.
    virtual void SetArchive(long long id, const std::wstring& archive, const std::wstring& name) = 0;
    // Waiting again (to be retried, or after the user's Retry), with the
    // number of attempts that failed so far.
    virtual void SetWaiting(long long id, int failedAttempts) = 0;
    // Failed for good until the user acts.
    virtual void SetFailed(long long id, UploadFailure failure, long status, int failedAttempts) = 0;
    // Crossed out: uploaded (already gone when the history took it over in
    // the same transaction), declined or removed by the user.
    virtual void Remove(long long id) = 0;
};
