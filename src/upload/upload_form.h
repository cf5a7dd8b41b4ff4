// The multipart body of an upload: a single part "Filedata" whose contents
// are streamed from an open file.
#pragma once

#include <curl/curl.h>

#include <cstdio>
#include <string>

// An open file and the number of bytes the form promised for it. The reader
// hands out exactly that many bytes, so the body always matches the length
// already announced: a file that shrank since its size was read fails the
// transfer, one that grew is cut at the promised length.
struct PromisedFileStream {
    FILE* file = nullptr;
    curl_off_t size = 0;    // promised
    curl_off_t offset = 0;  // handed out so far
};

// libcurl read callback over a PromisedFileStream.
size_t ReadPromisedBytes(char* buffer, size_t size, size_t count, void* stream);
// libcurl seek callback over a PromisedFileStream (from the start only), for
// when libcurl has to send the body again.
int SeekPromisedBytes(void* stream, curl_off_t offset, int origin);

// A form for `curl` with one part named "Filedata": its contents from
// `stream` with the stream's promised size, `fileName` (bytes as sent) as the
// file name, and no explicit content type. Null if libcurl cannot build it.
// The stream must outlive the transfer; free the form with curl_mime_free.
curl_mime* NewUploadForm(CURL* curl, PromisedFileStream* stream, const std::string& fileName);
