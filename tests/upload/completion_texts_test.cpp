// What a completed upload derives from the service's reply, and how hostile
// replies are kept from naming files outside the program's own folders.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/utf.h"
#include "upload/completion_texts.h"

namespace {

const std::string kMain = "http://files.test";

CompletionTexts Derive(const std::string& path, const std::string& icon = "/icons/png.png") {
    CompletionTexts texts;
    EXPECT_TRUE(DeriveCompletionTexts(path, icon, kMain, texts)) << path;
    return texts;
}

// A name is safe when it is one plain component that Windows takes as a
// regular file: nothing that separates, names a drive or a device, or
// climbs out of the folder.
void ExpectSafeName(const std::wstring& name) {
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(std::wstring::npos, name.find_first_of(L"<>:\"/\\|?*")) << WideToUtf8(name);
    for (wchar_t c : name) EXPECT_GE(static_cast<unsigned>(c), 0x20u) << WideToUtf8(name);
    EXPECT_NE(L'.', name.back());
    EXPECT_NE(L' ', name.back());
    EXPECT_NE(L"..", name);
    EXPECT_LE(name.size(), 2 * kMaxSafeNameLength + 1);
}

TEST(CompletionTexts, ReplyPathGivesTheThumbnailAndHistoryTexts) {
    const auto texts = Derive("http://files.test/abc/My Photo.png");
    EXPECT_EQ("abc/My Photo.png", texts.tail);
    EXPECT_EQ("http://files.test/files/thumbs/abc/My%20Photo.png", texts.thumbUrl);
    EXPECT_EQ("http://files.test/icons/png.png", texts.iconUrl);
    EXPECT_EQ(L"abc_My Photo.png", texts.thumbName);
    EXPECT_EQ(L"abc_", texts.prefix);
    EXPECT_EQ("http://files.test/abc/My%20Photo.png", texts.url);
    EXPECT_EQ(L"abc_holiday.png.url", ShortcutFileName(texts.prefix, L"holiday.png"));
}

TEST(CompletionTexts, PathsWithTooFewSlashesOrControlsFail) {
    CompletionTexts texts;
    EXPECT_FALSE(DeriveCompletionTexts("abc/photo.png", "/i.png", kMain, texts));
    EXPECT_FALSE(DeriveCompletionTexts("photo.png", "/i.png", kMain, texts));
    EXPECT_FALSE(DeriveCompletionTexts("/photo.png", "/i.png", kMain, texts));
    EXPECT_FALSE(DeriveCompletionTexts("", "/i.png", kMain, texts));
    // A line break would add lines of our choosing to the shortcut file.
    EXPECT_FALSE(DeriveCompletionTexts("http://h/a/b.png\r\nIconFile=\\\\evil\\x", "/i.png", kMain, texts));
    EXPECT_FALSE(DeriveCompletionTexts(std::string("http://h/a/b\0.png", 17), "/i.png", kMain, texts));
    // Two slashes are enough, even when the identifier is empty.
    EXPECT_TRUE(DeriveCompletionTexts("http://h//x.png", "/i.png", kMain, texts));
    EXPECT_EQ(L"__x.png", texts.thumbName);
    EXPECT_EQ(L"_", texts.prefix);
}

TEST(CompletionTexts, OnlyWebAddressesAreAccepted) {
    // The address is opened by the shell from the history and the toasts.
    struct Case {
        const char* path;
        bool accepted;
    };
    const Case cases[] = {
        {"http://h/a/b.png", true},           {"https://h/a/b.png", true},
        {"HTTPS://h/a/b.png", true},          {"file:///C:/Windows/System32/calc.exe", false},
        {"ms-settings:/a/b", false},          {"javascript://h/a/alert(1)", false},
        {"\\\\server\\share/a/b.exe", false}, {" http://h/a/b.png", false},
        {"http:/h/a/b.png", false},           {"http://", false},
    };
    for (const auto& c : cases) {
        CompletionTexts texts;
        EXPECT_EQ(c.accepted, DeriveCompletionTexts(c.path, "/i.png", kMain, texts)) << c.path;
    }
}

TEST(CompletionTexts, TheIconIsAPathOnTheServicesOwnHost) {
    struct Case {
        const char* icon;
        const char* address;
    };
    const Case cases[] = {
        {"/icons/png.png", "http://files.test/icons/png.png"},
        {"/icons/my icon.png", "http://files.test/icons/my%20icon.png"},
        {"/@evil.example/x", "http://files.test/@evil.example/x"},  // a path: harmless
        {"@evil.example/x", ""},                                    // would make files.test the user name
        {".evil.example/x", ""},                                    // would make another host name
        {":8080/x", ""},                                            // would change the port
        {"//evil.example/x", ""},                                   // would read as a host if joined loosely
        {"", ""},
        {"/", ""},
        {"/a\\b", ""},
        {"/a\r\nb", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.address, IconAddress(kMain, c.icon)) << c.icon;
    // A refused icon does not refuse the upload: there is just no fallback.
    CompletionTexts texts;
    EXPECT_TRUE(DeriveCompletionTexts("http://files.test/a/b.png", "@evil.example/x", kMain, texts));
    EXPECT_EQ("", texts.iconUrl);
}

TEST(CompletionTexts, HostileSegmentsBecomeSafeSingleNames) {
    struct Case { std::string path; std::wstring thumbName; };
    const Case cases[] = {
        {"http://h/../..", L"___"},
        {"http://h/id/..", L"id__"},
        {"http://h/..\\..\\Windows/win.ini", L".._.._Windows_win.ini"},
        {"http://h/C:/boot.ini", L"C__boot.ini"},
        {"http://h/id/C:\\boot.ini", L"id_C__boot.ini"},
        {"http://h/id/a<b>c\"d|e?f*g", L"id_a_b_c_d_e_f_g"},
        {"http://h/id/name. . .", L"id_name"},
        {"http://h/CON/x.png", L"_CON_x.png"},
        {"http://h/nul.txt/x", L"_nul.txt_x"},
        {"http://h/Com1 .png/LPT9", L"_Com1 .png__LPT9"},
        {"http://h/COM10/CONSOLE", L"COM10_CONSOLE"},
    };
    for (const auto& c : cases) {
        const auto texts = Derive(c.path);
        EXPECT_EQ(c.thumbName, texts.thumbName) << c.path;
        ExpectSafeName(texts.thumbName);
    }
    // The shortcut name keeps the local name safe too.
    EXPECT_EQ(L"id_.._x.url", ShortcutFileName(L"id_", L"..\\x"));
    EXPECT_EQ(L"id__AUX.url", ShortcutFileName(L"id_", L"AUX"));
}

TEST(CompletionTexts, SafeFileNameHandlesEdgesOfTheName) {
    EXPECT_EQ(L"_", SafeFileName(L""));
    EXPECT_EQ(L"_", SafeFileName(L"."));
    EXPECT_EQ(L"_", SafeFileName(L"..."));
    EXPECT_EQ(L"_", SafeFileName(L" . "));
    EXPECT_EQ(L"a_b", SafeFileName(L"a\tb"));
    EXPECT_EQ(L"plain name.png", SafeFileName(L"plain name.png"));
    const std::wstring longName = SafeFileName(std::wstring(500, L'x'));
    EXPECT_EQ(kMaxSafeNameLength, longName.size());
    // Cutting must not leave a trailing dot that Windows would drop.
    EXPECT_EQ(std::wstring(kMaxSafeNameLength - 2, L'y'),
              SafeFileName(std::wstring(kMaxSafeNameLength - 2, L'y') + L". " + L"zzz"));
    // A device's name cut from a long one: its mark fits within the length,
    // and the result stays as it is when made safe again.
    const std::wstring device = SafeFileName(L"COM1." + std::wstring(200, L'x'));
    EXPECT_EQ(L"_COM1.", device.substr(0, 6));
    EXPECT_EQ(kMaxSafeNameLength, device.size());
    EXPECT_EQ(device, SafeFileName(device));
}

TEST(CompletionTexts, ReplyNamesAreDecodedAsUtf8OrElseLatin1) {
    // "Zoë.png" in UTF-8, and the same name in Latin-1 from an older service.
    const auto utf8 = Derive("http://h/id/Zo\xC3\xAB.png");
    EXPECT_EQ(L"id_Zo\u00EB.png", utf8.thumbName);
    const auto latin1 = Derive("http://h/id/Zo\xEB.png");
    EXPECT_EQ(L"id_Zo\u00EB.png", latin1.thumbName);
    // Outside Latin-1, and beyond the basic plane.
    EXPECT_EQ(L"\u65E5\u672C", DecodeReplyBytes("\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), DecodeReplyBytes("\xF0\x9F\x98\x80"));
    // Truncated, overlong and surrogate sequences are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xE6\x97"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_TRUE(IsValidUtf8("plain"));
    // The address keeps the reply's bytes: only spaces change.
    EXPECT_EQ("http://h/id/Zo\xC3\xAB%20x.png", Derive("http://h/id/Zo\xC3\xAB x.png").url);
}

TEST(CompletionTexts, SizeTextRoundsToWholeKilobytes) {
    EXPECT_EQ("~2kb", FormatSizeText(1537));
    EXPECT_EQ("~1kb", FormatSizeText(1535));
    EXPECT_EQ("~0kb", FormatSizeText(0));
    EXPECT_EQ("~51200kb", FormatSizeText(52428800));
}

TEST(CompletionTexts, ShortcutBytesDoubleTheFirstCarriageReturn) {
    EXPECT_EQ(std::string("[InternetShortcut]\r\r\nURL=http://h/abc/My Photo.png\r\n"),
              InternetShortcutBytes("http://h/abc/My Photo.png"));
    EXPECT_EQ("a%20b%20%20c", EscapeSpaces("a b  c"));
}

TEST(CompletionTexts, ShortcutNamesStayAsTheyWereUnlessAnotherUploadHasTheName) {
    std::set<std::wstring> taken;
    auto isTaken = [&taken](const std::wstring& name) { return taken.count(name) > 0; };
    // A single upload's name looks as it always has.
    EXPECT_EQ(L"ab_x.png.url", UniqueShortcutFileName(L"ab_", L"x.png", isTaken));
    taken.insert(L"ab_x.png.url");
    EXPECT_EQ(L"ab_x.png (2).url", UniqueShortcutFileName(L"ab_", L"x.png", isTaken));
    taken.insert(L"ab_x.png (2).url");
    EXPECT_EQ(L"ab_x.png (3).url", UniqueShortcutFileName(L"ab_", L"x.png", isTaken));
    EXPECT_EQ(L"ab_y.png.url", UniqueShortcutFileName(L"ab_", L"y.png", isTaken));
    // The name is made safe before numbering, and the numbered one is too.
    EXPECT_TRUE(IsSafeFileName(UniqueShortcutFileName(L"ab_", L"..\\x.png", isTaken)));
    EXPECT_EQ(L"", UniqueShortcutFileName(L"ab_", L"x.png", [](const std::wstring&) {
                  return true;
              }));
}

}  // namespace
