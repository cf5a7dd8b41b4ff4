// What happens once an upload's transfer is over: the reply is judged, the
// thumbnail fetched, the jump list's shortcut written, the upload recorded
// and announced. Runs on the upload worker; the network and disk work stays
// there, and only the widget changes are posted to the main window's thread.
#pragma once

#include <string>

#include "upload/upload_queue.h"

// One finished upload as the history records it. The file names are UTF-8
// and already safe single names; sizeText and url are what the list shows.
struct CompletedUpload {
    std::string thumbName;  // file in the data folder's "thumbs"
    std::string fileName;   // the local name the user knows the file by
    std::string sizeText;   // "~12kb"
    std::string url;        // the public address, spaces as "%20"
    std::string urlFile;    // file in the data folder's "urls"
    long long pendingJob = 0;  // the queue's job, crossed out with the row
};

// Records `upload` in the history and sets `itemUrl` to the address its entry
// holds; false when nothing was recorded. By default the upload goes to
// App().historyDatabase (nothing is recorded while there is none) and its
// entry is handed to the main thread's list; tests put their own recorder
// in. Null restores the default; returns the previous one.
using HistoryRecorder = bool (*)(const CompletedUpload& upload, std::wstring& itemUrl);
HistoryRecorder SetHistoryRecorder(HistoryRecorder recorder);

// The completion handler of the program's upload queue: true when the reply
// was judged good. A failure shows the error look; its toast comes with the
// first attempt and with the last (a job retried by itself says nothing in
// between), and a retry that succeeds shows the success toast.
bool CompleteUpload(JobOutcome outcome);
