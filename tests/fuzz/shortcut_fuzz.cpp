// The Internet-shortcut file: any bytes the shell hands to "/uri" read to
// nothing or to one printable ASCII address; every address this program
// writes into a shortcut reads back unchanged; and the shortcut's file name
// made from a reply joins inside the "urls" folder.
#include <utility>

#include "fuzz_support.h"
#include "upload/completion_texts.h"
#include "upload/internet_shortcut.h"

namespace {

bool IsPrintableAscii(const std::string& text) {
    for (const char c : text) {
        if (c < 0x20 || c >= 0x7F) return false;
    }
    return true;
}

// What a written address must be to read back as itself.
bool SurvivesTheFile(const std::string& url) {
    if (url.empty() || url.size() > kShortcutUrlLimit || !IsPrintableAscii(url)) return false;
    if (url.front() == ' ' || url.back() == ' ') return false;
    return !(url.size() >= 2 && url.front() == url.back() && (url.front() == '"' || url.front() == '\''));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = BytesOf(data, size);
    const std::string read = ShortcutFileUrl(bytes);
    FUZZ_CHECK(read.size() <= kShortcutUrlLimit && IsPrintableAscii(read));

    if (SurvivesTheFile(bytes)) FUZZ_CHECK(ShortcutFileUrl(InternetShortcutBytes(bytes)) == bytes);

    // The input as a reply's "path": the address written and the file named.
    CompletionTexts texts;
    if (!DeriveCompletionTexts(bytes, "", "http://files.example", texts)) return 0;
    if (texts.url.size() <= kShortcutUrlLimit && IsPrintableAscii(texts.url)) {
        FUZZ_CHECK(ShortcutFileUrl(InternetShortcutBytes(texts.url)) == texts.url);
    }
    const std::wstring name = DecodeReplyBytes(bytes);
    const std::wstring first = ShortcutFileName(texts.prefix, name);
    FUZZ_CHECK(IsSafeFileName(first) && JoinsInsideFolder(first));
    bool takenOnce = false;
    const std::wstring second =
        UniqueShortcutFileName(texts.prefix, name, [&](const std::wstring&) { return !std::exchange(takenOnce, true); });
    FUZZ_CHECK(IsSafeFileName(second) && JoinsInsideFolder(second));
    return 0;
}
