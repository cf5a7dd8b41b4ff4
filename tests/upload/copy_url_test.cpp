// Copying addresses to the real clipboard, with and without shortening
// through the development service's three link shorteners.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "support/process.h"
#include "support/devservice.h"
#include "upload/copy_url.h"

namespace {

struct PromptCall {
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};
std::vector<PromptCall> promptCalls;

int RecordPrompt(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    promptCalls.push_back({text, caption, type});
    return IDOK;
}

void PutMarkerOnClipboard() { ASSERT_TRUE(CopyUrl(L"marker", 0)); }

const std::wstring kLongUrl = L"http://files.test/abc/My%20Photo.png";

class CopyUrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        const std::string base = DevService::BaseUrl();
        SetShortenerBaseUrls(base.c_str(), base.c_str(), base.c_str());
        promptCalls.clear();
        PutMarkerOnClipboard();
    }
    void TearDown() override { SetShortenerBaseUrls(nullptr, nullptr, nullptr); }
    ScopedSeams seams_{Seams{&RecordPrompt}};

    // The one request the service saw, or an empty record.
    LoggedRequest OnlyRequest() {
        const auto log = DevService::Requests();
        EXPECT_EQ(1u, log.size());
        return log.empty() ? LoggedRequest() : log[0];
    }
};

TEST_F(CopyUrlTest, PlainCopyPutsTheTextOnTheClipboardWithoutAsking) {
    const std::wstring url = L"http://files.test/\u65E5\u672C/Zo\u00EB.png";
    EXPECT_TRUE(CopyUrl(url.c_str(), 0));
    EXPECT_EQ(url, ReadClipboardText());
    // Other modifier keys do not shorten.
    EXPECT_TRUE(CopyUrl(kLongUrl.c_str(), MK_SHIFT | MK_LBUTTON));
    EXPECT_EQ(kLongUrl, ReadClipboardText());
    EXPECT_TRUE(DevService::Requests().empty());
    EXPECT_TRUE(promptCalls.empty());
}

TEST_F(CopyUrlTest, CtrlWithTinyUrlCopiesTheServiceReply) {
    Settings().SetAdvanced(L"adv_link_shortener", L"tinyurl");
    EXPECT_TRUE(CopyUrl(kLongUrl.c_str(), MK_CONTROL | MK_LBUTTON));
    const auto request = OnlyRequest();
    EXPECT_EQ("GET", request.method);
    EXPECT_EQ("/api-create.php?url=" + WideToUtf8(kLongUrl), request.target);
    const std::wstring copied = ReadClipboardText();
    const std::wstring expectedStart = Utf8ToWide(DevService::BaseUrl()) + L"/t/";
    EXPECT_EQ(expectedStart, copied.substr(0, expectedStart.size())) << WideToUtf8(copied);
    EXPECT_GT(copied.size(), expectedStart.size());
}

TEST_F(CopyUrlTest, FirstAndThirdShortenersUseTheirOwnRequests) {
    Settings().SetAdvanced(L"adv_link_shortener", L"shortly");
    const auto first = ShortenUrl(kLongUrl);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(Utf8ToWide(DevService::BaseUrl()) + L"/s/", first->substr(0, DevService::BaseUrl().size() + 3));
    const auto firstRequest = OnlyRequest();
    EXPECT_EQ("/api.php?longurl=" + WideToUtf8(kLongUrl), firstRequest.target);

    ASSERT_TRUE(DevService::ClearLog());
    Settings().SetAdvanced(L"adv_link_shortener", L"snipit");
    const auto third = ShortenUrl(kLongUrl);
    ASSERT_TRUE(third.has_value());
    const auto thirdRequest = OnlyRequest();
    EXPECT_EQ("POST", thirdRequest.method);
    EXPECT_EQ("/api", thirdRequest.path);
    EXPECT_EQ(static_cast<double>(std::string("link=").size() + kLongUrl.size()), thirdRequest.bodySize);
    // The service answers only a code; the address is built around it.
    const std::wstring prefix = Utf8ToWide(DevService::BaseUrl()) + L"/";
    ASSERT_GT(third->size(), prefix.size());
    EXPECT_EQ(prefix, third->substr(0, prefix.size()));
    EXPECT_EQ(std::wstring::npos, third->find(L'/', prefix.size()));
    EXPECT_TRUE(promptCalls.empty());
}

TEST_F(CopyUrlTest, InvalidSettingIsReportedAndTheLongUrlCopied) {
    const std::wstring expected =
        L"The adv_link_shortener setting is invalid. Currently only 'shortly', 'tinyurl' and 'snipit' are supported.";
    for (const wchar_t* value : {L"", L"TinyURL", L"bitly"}) {
        promptCalls.clear();
        PutMarkerOnClipboard();
        Settings().SetAdvanced(L"adv_link_shortener", value);
        EXPECT_TRUE(CopyUrl(kLongUrl.c_str(), MK_CONTROL));
        ASSERT_EQ(1u, promptCalls.size()) << WideToUtf8(value);
        EXPECT_EQ(expected, promptCalls[0].text);
        EXPECT_EQ(L"vantorel liftorn - Error", promptCalls[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR | MB_OK), promptCalls[0].type);
        EXPECT_EQ(kLongUrl, ReadClipboardText());
    }
    EXPECT_TRUE(DevService::Requests().empty());
}

TEST_F(CopyUrlTest, AFailedShortenerLeavesTheLongUrl) {
    Settings().SetAdvanced(L"adv_link_shortener", L"tinyurl");
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "status500", "path": "/api-create.php"})"));
    EXPECT_FALSE(ShortenUrl(kLongUrl).has_value());
    EXPECT_TRUE(CopyUrl(kLongUrl.c_str(), MK_CONTROL));
    EXPECT_EQ(kLongUrl, ReadClipboardText());
    EXPECT_TRUE(promptCalls.empty());
}

}  // namespace
