#include "upload/upload_form.h"

#include <algorithm>

size_t ReadPromisedBytes(char* buffer, size_t size, size_t count, void* data) {
    auto* stream = static_cast<PromisedFileStream*>(data);
    const curl_off_t owed = stream->size - stream->offset;
    if (owed <= 0) return 0;  // whatever the file has beyond the promise stays unsent
    const size_t wanted = static_cast<size_t>(std::min<curl_off_t>(owed, static_cast<curl_off_t>(size * count)));
    const size_t got = std::fread(buffer, 1, wanted, stream->file);
    if (got == 0) return CURL_READFUNC_ABORT;  // ended (or failed) before the promised length
    stream->offset += static_cast<curl_off_t>(got);
    return got;
}

int SeekPromisedBytes(void* data, curl_off_t offset, int origin) {
    auto* stream = static_cast<PromisedFileStream*>(data);
    if (origin != SEEK_SET || offset < 0 || offset > stream->size) return CURL_SEEKFUNC_CANTSEEK;
    if (_fseeki64(stream->file, offset, SEEK_SET) != 0) return CURL_SEEKFUNC_FAIL;
    stream->offset = offset;
    return CURL_SEEKFUNC_OK;
}

curl_mime* NewUploadForm(CURL* curl, PromisedFileStream* stream, const std::string& fileName) {
    curl_mime* form = curl_mime_init(curl);
    if (!form) return nullptr;
    curl_mimepart* part = curl_mime_addpart(form);
    if (!part || curl_mime_name(part, "Filedata") != CURLE_OK ||
        curl_mime_filename(part, fileName.c_str()) != CURLE_OK ||
        curl_mime_data_cb(part, stream->size, &ReadPromisedBytes, &SeekPromisedBytes, nullptr,
                          stream) != CURLE_OK) {
        curl_mime_free(form);
        return nullptr;
    }
    return form;
}
