// The updater's reading of what reaches it from outside: versions, the
// manifest, addresses, and the command lines and file lists it builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "updater/release_version.h"
#include "updater/shipped_files.h"
#include "updater/update_addresses.h"
#include "updater/update_commands.h"
#include "updater/update_manifest.h"

namespace {

const std::string kSha(64, 'a');
const std::string kSignature = std::string(64, '0') + std::string(64, 'f');

std::string Manifest(const std::string& version = "1.2.6", const std::string& installer = "setup.exe",
                     const std::string& size = "123456", const std::string& sha = kSha,
                     const std::string& signature = kSignature, const std::string& end = "\n") {
    return "vantorel liftorn update" + end + "version " + version + end + "installer " + installer + end +
           "size " + size + end + "sha256 " + sha + end + "signature " + signature + end;
}

TEST(ReleaseVersion, OnlyThreePlainNumbersUpTo65535) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {{"1.2.5", true},   {"0.0.0", true},    {"65535.0.1", true}, {"10.20.30", true},
                 {"1.2", false},    {"1.2.5.0", false}, {"1.2.x", false},    {"01.2.5", false},
                 {"1..5", false},   {" 1.2.5", false},  {"1.2.5\n", false},  {"+1.2.5", false},
                 {"65536.0.0", false}, {"99999999999.0.0", false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(ParseReleaseVersion(c.text).has_value(), c.valid) << c.text;
    EXPECT_EQ(*ParseReleaseVersion("10.20.30"), (ReleaseVersion{10, 20, 30}));
    EXPECT_EQ(FormatReleaseVersion({1, 2, 5}), "1.2.5");
}

TEST(ReleaseVersion, LaterComparesMajorFirst) {
    const ReleaseVersion installed{1, 2, 5};
    EXPECT_TRUE(IsLaterRelease({1, 2, 6}, installed));
    EXPECT_TRUE(IsLaterRelease({1, 3, 0}, installed));
    EXPECT_TRUE(IsLaterRelease({2, 0, 0}, installed));
    EXPECT_FALSE(IsLaterRelease({1, 2, 5}, installed));  // the same is no update
    EXPECT_FALSE(IsLaterRelease({1, 2, 4}, installed));
    EXPECT_FALSE(IsLaterRelease({0, 9, 9}, installed));
    EXPECT_FALSE(IsLaterRelease({1, 1, 10}, installed));
}

TEST(UpdateManifest, ReadsTheExactFormAndSignsItsFirstFiveLines) {
    for (const char* end : {"\n", "\r\n"}) {
        UpdateManifest manifest;
        ASSERT_TRUE(ParseUpdateManifest(Manifest("1.2.6", "setup.exe", "123456", kSha, kSignature, end), manifest));
        EXPECT_EQ(manifest.version, (ReleaseVersion{1, 2, 6}));
        EXPECT_EQ(manifest.installer, "setup.exe");
        EXPECT_EQ(manifest.size, 123456u);
        EXPECT_EQ(manifest.sha256[0], 0xAA);
        EXPECT_EQ(manifest.signature[0], 0x00);
        EXPECT_EQ(manifest.signature[63], 0xFF);
        // The payload is the text as published, so a signature made over the
        // file's lines checks out.
        const std::string text = Manifest();
        EXPECT_EQ(SignedManifestPayload(manifest), text.substr(0, text.find("signature ")));
    }
}

TEST(UpdateManifest, RefusesEverythingElse) {
    const std::string good = Manifest();
    const std::vector<std::string> bad = {
        "",
        good.substr(0, good.size() - 1),                         // last line unterminated
        good + "\n",                                             // a seventh line
        "vantorel liftorn update\n" + good.substr(good.find("installer")),  // no version
        Manifest().replace(0, 8, "VANTOREL"),                    // another first line
        Manifest("1.2"), Manifest("1.2.6 "), Manifest("01.2.6"),
        Manifest("1.2.6", "set up.exe"), Manifest("1.2.6", "setup.exe\rsize 1"),
        Manifest("1.2.6", std::string(kInstallerFieldLimit + 1, 'a')),
        Manifest("1.2.6", "setup.exe", "0"), Manifest("1.2.6", "setup.exe", "0123"),
        Manifest("1.2.6", "setup.exe", "-5"), Manifest("1.2.6", "setup.exe", "268435457"),  // over the limit
        Manifest("1.2.6", "setup.exe", "12 34"),
        Manifest("1.2.6", "setup.exe", "1", std::string(63, 'a')),
        Manifest("1.2.6", "setup.exe", "1", std::string(64, 'A')),  // upper case
        Manifest("1.2.6", "setup.exe", "1", std::string(64, 'g')),
        Manifest("1.2.6", "setup.exe", "1", kSha, std::string(126, '0')),
        Manifest("1.2.6", "setup.exe", "1", kSha, kSignature, "\r"),
        Manifest().replace(Manifest().find("size"), 4, "Size"),
        std::string(kManifestLimitBytes + 1, '\n'),
    };
    for (const auto& text : bad) {
        UpdateManifest manifest;
        EXPECT_FALSE(ParseUpdateManifest(text, manifest)) << text;
    }
    // Fields in another order are another text, and another signature.
    std::string swapped = good;
    const std::size_t size = swapped.find("size"), sha = swapped.find("sha256");
    swapped = swapped.substr(0, size) + swapped.substr(sha, swapped.find("signature") - sha) +
              swapped.substr(size, sha - size) + swapped.substr(swapped.find("signature"));
    UpdateManifest manifest;
    EXPECT_FALSE(ParseUpdateManifest(swapped, manifest));
}

TEST(UpdateAddresses, ManifestBesideTheVersionAndInstallerBesideTheManifest) {
    const struct {
        const char* version;
        const char* manifest;
    } beside[] = {{"http://www.vantorel.example/latest_version", "http://www.vantorel.example/update_manifest"},
                  {"https://h:8080/a/b/latest_version?x=1#y", "https://h:8080/a/b/update_manifest"},
                  {"HTTP://h", "HTTP://h/update_manifest"},
                  {"http://h/dir/", "http://h/dir/update_manifest"},
                  {"file:///C:/latest_version", ""},
                  {"ftp://h/latest_version", ""},
                  {"", ""}};
    for (const auto& c : beside) EXPECT_EQ(ManifestAddressNextTo(c.version), c.manifest) << c.version;

    const std::string manifest = "http://127.0.0.1:5000/site/update_manifest";
    const struct {
        const char* field;
        const char* address;
    } installers[] = {{"vantorel-liftorn-1.2.6-setup.exe", "http://127.0.0.1:5000/site/vantorel-liftorn-1.2.6-setup.exe"},
                      {"https://cdn.example/x/setup.exe", "https://cdn.example/x/setup.exe"},
                      {"file:///C:/Windows/calc.exe", ""},
                      {"javascript://x", ""},
                      {"../setup.exe", ""},
                      {".hidden.exe", ""},
                      {"dir/setup.exe", ""},
                      {"setup.exe?x=1", ""},
                      {"C:setup.exe", ""}};
    for (const auto& c : installers) EXPECT_EQ(ResolveInstallerAddress(manifest, c.field), c.address) << c.field;
    EXPECT_EQ(ResolveInstallerAddress("file:///C:/update_manifest", "setup.exe"), "");
}

TEST(UpdateCommands, TheProgramsArgumentsPassUntouched) {
    EXPECT_EQ(ArgumentsAfterProgram(L"\"C:\\t e m p\\updater2.exe\" /file  \"a b.png\""), L"/file  \"a b.png\"");
    EXPECT_EQ(ArgumentsAfterProgram(L"updater2.exe\t /screenshot"), L"/screenshot");
    EXPECT_EQ(ArgumentsAfterProgram(L"\"C:\\updater2.exe\""), L"");
    EXPECT_EQ(ArgumentsAfterProgram(L"\"unterminated"), L"");

    // /D= comes last and unquoted, without the folder's trailing backslash.
    EXPECT_EQ(InstallerCommandLine(L"C:\\T\\setup.exe", L"C:\\Users\\a b\\Programs\\vantorel liftorn\\", false),
              L"\"C:\\T\\setup.exe\" /S /D=C:\\Users\\a b\\Programs\\vantorel liftorn");
    EXPECT_EQ(InstallerCommandLine(L"C:\\T\\setup.exe", L"D:\\portable\\", true),
              L"\"C:\\T\\setup.exe\" /S /PORTABLE /D=D:\\portable");
    EXPECT_EQ(InstallerCommandLine(L"s.exe", L"relative\\folder\\", false), L"");
    EXPECT_EQ(InstallerCommandLine(L"s.exe", L"\\\\server\\share\\", false), L"");
    EXPECT_EQ(InstallerCommandLine(L"s.exe", L"C:\\a\"b\\", false), L"");
}

TEST(ShippedFiles, ThePackageAndNothingElse) {
    for (const wchar_t* path : {L"liftorn.exe", L"LIFTORN.EXE", L"iupdater.exe", L"vlt-helper.exe",
                                L"uninstall.exe", L"skin\\bg_top.png", L"skin\\toast\\bg.png"}) {
        EXPECT_TRUE(IsShippedFile(path)) << path;
    }
    for (const wchar_t* path : {L"vantorel.conf", L"history.db", L"skin", L"skin\\", L"skin\\..\\x.exe",
                                L"other\\liftorn.exe", L"liftorn.exe.bak"}) {
        EXPECT_FALSE(IsShippedFile(path)) << path;
    }
}

}  // namespace
