#include "upload/copy_url.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "base/main_window_handle.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "config/service_addresses.h"
#include "config/settings_store.h"
#include "upload/http_transport.h"

namespace {

struct ShortenerBases {
    std::string first = kFirstShortenerBaseUrl;
    std::string tinyUrl = kTinyUrlShortenerBaseUrl;
    std::string third = kThirdShortenerBaseUrl;
};

std::mutex basesLock;
ShortenerBases bases;

ShortenerBases CurrentBases() {
    std::lock_guard<std::mutex> hold(basesLock);
    return bases;
}

void ReportInvalidSetting() {
    const std::wstring text = std::wstring(L"The adv_link_shortener setting is invalid. Currently only '") +
                              kFirstShortenerName + L"', 'tinyurl' and '" + kThirdShortenerName +
                              L"' are supported.";
    AskUser(MainWindowHandle(), text.c_str(), L"vantorel liftorn - Error", MB_ICONERROR | MB_OK);
}

bool PutOnClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    bool copied = false;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory) {
        void* target = GlobalLock(memory);
        if (target) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            // On success the clipboard owns the memory.
            copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!copied) GlobalFree(memory);
    }
    CloseClipboard();
    return copied;
}

}  // namespace

void SetShortenerBaseUrls(const char* first, const char* tinyUrl, const char* third) {
    std::lock_guard<std::mutex> hold(basesLock);
    bases.first = first ? first : kFirstShortenerBaseUrl;
    bases.tinyUrl = tinyUrl ? tinyUrl : kTinyUrlShortenerBaseUrl;
    bases.third = third ? third : kThirdShortenerBaseUrl;
}

std::optional<std::wstring> ShortenUrl(const std::wstring& url) {
    const std::wstring service = Settings().GetAdvanced(L"adv_link_shortener");
    const ShortenerBases base = CurrentBases();
    if (service == kFirstShortenerName) {
        return FetchText(Utf8ToWide(base.first) + L"/api.php?longurl=" + url, false, nullptr);
    }
    if (service == kTinyUrlShortenerName) {
        return FetchText(Utf8ToWide(base.tinyUrl) + L"/api-create.php?url=" + url, false, nullptr);
    }
    if (service == kThirdShortenerName) {
        const std::wstring body = L"link=" + url;
        const auto code = FetchText(Utf8ToWide(base.third) + L"/api", true, body.c_str());
        if (!code) return std::nullopt;
        return Utf8ToWide(base.third) + L"/" + *code;
    }
    ReportInvalidSetting();
    return std::nullopt;
}

bool CopyUrl(const wchar_t* url, DWORD keyState) {
    if (!url) return false;
    std::wstring text = url;
    if (keyState & kCopyShortenedKey) {
        if (auto shortUrl = ShortenUrl(text)) text = std::move(*shortUrl);
    }
    return PutOnClipboard(text);
}

void CopyUrlAction(void* url, WPARAM keys) {
    CopyUrl(static_cast<const wchar_t*>(url), static_cast<DWORD>(keys));
}
