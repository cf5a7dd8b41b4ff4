// The upload form sends exactly the length it announced, even when the file
// changed size after it was measured.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/devservice.h"
#include "support/temp_dir.h"
#include "upload/http_transport.h"
#include "upload/upload_form.h"

namespace {

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

class PromisedLength : public ::testing::Test {
protected:
    void SetUp() override { DefineDefaultSettings(Settings()); }
    void TearDown() override {
        if (stream.file) std::fclose(stream.file);
    }

    void Open(const std::string& bytes, curl_off_t promised) {
        const std::string path = dir.File("data.bin");
        ASSERT_TRUE(WriteBytes(path, bytes));
        stream.file = _wfopen(Utf8ToWide(path).c_str(), L"rb");
        ASSERT_NE(nullptr, stream.file);
        stream.size = promised;
    }

    // Posts the form to the service; the transfer's result.
    CURLcode Post() {
        CURL* curl = OpenRequest(DevService::UploadUrl().c_str());
        curl_mime* form = NewUploadForm(curl, &stream, "data.bin");
        ReplyBuffer reply;
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReplyChunk);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);  // a short body would leave the service waiting
        const CURLcode result = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        curl_mime_free(form);
        return result;
    }

    TempDir dir;
    PromisedFileStream stream;
};

TEST_F(PromisedLength, TheReaderStopsAtThePromiseOrFailsShortOfIt) {
    Open("0123456789", 4);
    char buffer[64];
    EXPECT_EQ(4u, ReadPromisedBytes(buffer, 1, sizeof buffer, &stream));
    EXPECT_EQ("0123", std::string(buffer, 4));
    EXPECT_EQ(0u, ReadPromisedBytes(buffer, 1, sizeof buffer, &stream));

    // Rewinding gives the same bytes again.
    EXPECT_EQ(CURL_SEEKFUNC_OK, SeekPromisedBytes(&stream, 1, SEEK_SET));
    EXPECT_EQ(3u, ReadPromisedBytes(buffer, 1, sizeof buffer, &stream));
    EXPECT_EQ("123", std::string(buffer, 3));
    EXPECT_NE(CURL_SEEKFUNC_OK, SeekPromisedBytes(&stream, 5, SEEK_SET));

    std::fclose(stream.file);
    Open("abc", 10);
    EXPECT_EQ(3u, ReadPromisedBytes(buffer, 1, sizeof buffer, &stream));
    EXPECT_EQ(static_cast<size_t>(CURL_READFUNC_ABORT), ReadPromisedBytes(buffer, 1, sizeof buffer, &stream));
}

TEST_F(PromisedLength, AFileThatGrewIsSentUpToThePromisedLength) {
    ASSERT_TRUE(DevService::Available());
    ASSERT_TRUE(DevService::ClearLog());
    const std::string bytes = Pattern(300000);
    Open(bytes, 200000);
    ASSERT_EQ(CURLE_OK, Post());
    const auto log = DevService::Requests();
    ASSERT_EQ(1u, log.size());
    EXPECT_TRUE(log[0].multipartComplete);
    ASSERT_EQ(1u, log[0].parts.size());
    EXPECT_EQ(200000, log[0].parts[0].size);
    EXPECT_EQ(Sha256Hex(bytes.substr(0, 200000)), log[0].parts[0].sha256);
}

TEST_F(PromisedLength, AFileThatShrankFailsTheTransfer) {
    ASSERT_TRUE(DevService::Available());
    ASSERT_TRUE(DevService::ClearLog());
    Open(Pattern(100000), 200000);
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK, Post());
    // Whatever the service saw is not a complete upload.
    for (const LoggedRequest& request : DevService::Requests()) {
        EXPECT_FALSE(request.multipartComplete);
        EXPECT_NE(200, request.status);
    }
}

}  // namespace
