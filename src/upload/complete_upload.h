// What happens once an upload's transfer is over: the reply is judged, the
// thumbnail fetched, the jump list's shortcut written, the upload recorded
// and announced. Runs on the upload worker while it holds the queue's lock.
#pragma once

#include <string>

#include "upload/upload_queue.h"

#include <memory>

// One finished upload as the history records it. The file names are UTF-8
// and already safe single names; sizeText and url are what the list shows.
struct CompletedUpload {
    std::string thumbName;  // file in the data folder's "thumbs"
    std::string fileName;   // the local name the user knows the file by
    std::string sizeText;   // "~12kb"
    std::string url;        // the public address, spaces as "%20"
    std::string urlFile;    // file in the data folder's "urls"
};

// Records `upload` in the history database and hands its row to the history
// list; sets `itemUrl` to the address the list shows. Null when nothing was
// recorded. By default the upload goes to App().historyDatabase (nothing is
// recorded while there is none); tests put their own recorder in. Null
// restores the default; returns the previous one.
using HistoryRecorder = std::shared_ptr<const void> (*)(const CompletedUpload& upload,
                                                        std::wstring& itemUrl);
HistoryRecorder SetHistoryRecorder(HistoryRecorder recorder);

// The completion handler of the program's upload queue.
void CompleteUpload(JobOutcome outcome);
