// The anonymous count of uploads by kind on the product web site: one GET
// per finished upload, whose answer nobody reads.
#pragma once

#include <string>

#include "upload/upload_queue.h"

// "/stats/u/f" (file), "/stats/u/d" (folder) or "/stats/u/s" (capture).
const char* StatisticsPath(UploadKind kind);

// Requests the resource for `kind` and waits for the answer. True when the
// transfer succeeded (the program ignores it; tests read it).
bool PingStatistics(UploadKind kind);

// The site the pings go to (UTF-8, no trailing slash); tests point it at a
// local service, null restores the product site. Applies to the whole process.
void SetStatisticsBaseUrl(const char* baseUrl);
