// One version everywhere: the VERSION file, the texts the code uses (own
// version, user agent), the VERSIONINFO and manifest resources of the
// program and the updater, the installer's own version and the package
// names. And the tests' "next" release really is later.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/product.h"
#include "base/utf.h"
#include "base/version_compare.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "updater/program_folder.h"
#include "updater/release_version.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring BuildFolder() {
    const std::wstring program = LiftornPath();
    return program.substr(0, program.find_last_of(L'\\') + 1);
}

std::string ResourceText(const std::wstring& file, const wchar_t* type) {
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), type)) {
        if (HGLOBAL loaded = LoadResource(module, found)) {
            text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
        }
    }
    FreeLibrary(module);
    return text;
}

TEST(Version, OneSourceReachesTheCode) {
    const auto own = ParseReleaseVersion(kProductVersion);
    ASSERT_TRUE(own.has_value()) << kProductVersion;
    std::string file = ReadBytes(Environment("LIFTORN_VERSION_FILE"));
    while (!file.empty() && (file.back() == '\n' || file.back() == '\r')) file.pop_back();
    EXPECT_EQ(file, kProductVersion);
    EXPECT_EQ(std::string(kUserAgent), std::string("vantorel liftorn v") + kProductVersion + "i");
    EXPECT_EQ(WideToUtf8(kProductVersionWide), kProductVersion);
    EXPECT_EQ(WideToUtf8(kUserAgentWide), kUserAgent);
}

TEST(Version, ProgramsAndInstallerCarryIt) {
    const auto own = ParseReleaseVersion(kProductVersion);
    ASSERT_TRUE(own.has_value());
    const std::wstring build = BuildFolder();
    const std::wstring package = Utf8ToWide(Environment("LIFTORN_PACKAGE_DIR")) + L"\\";
    const std::wstring setup = package + L"vantorel-liftorn-" + kProductVersionWide + L"-setup.exe";
    for (const std::wstring& file : {build + L"liftorn.exe", build + L"updater\\iupdater.exe",
                                     build + L"updater\\iupdater-test.exe", setup}) {
        const auto version = ProgramFileVersion(file);
        ASSERT_TRUE(version.has_value()) << ToUtf8(file);
        EXPECT_EQ(*version, *own) << ToUtf8(file);
    }
    EXPECT_TRUE(FileExists(ToUtf8(package + L"vantorel-liftorn-" + kProductVersionWide + L"-portable.zip")));
    const std::string quad = std::string("version=\"") + kProductVersion + ".0\"";
    for (const wchar_t* name : {L"liftorn.exe", L"updater\\iupdater.exe"}) {
        const std::string manifest = ResourceText(build + name, RT_MANIFEST);
        EXPECT_NE(manifest.find(quad), std::string::npos) << ToUtf8(name) << ": " << manifest.substr(0, 200);
    }
}

// The update check compares with the same version, and so does the
// updater; the tests' next release is later for both.
TEST(Version, TheUpdateCheckAndTheTestsNextReleaseAgree) {
    const auto own = ParseReleaseVersion(kProductVersion);
    const auto next = ProgramFileVersion(BuildFolder() + L"liftorn-next.exe");
    ASSERT_TRUE(own && next);
    EXPECT_TRUE(IsLaterRelease(*next, *own));
    EXPECT_FALSE(IsNewerVersion(kProductVersionWide));
    EXPECT_TRUE(IsNewerVersion(Utf8ToWide(FormatReleaseVersion(*next))));
}

}  // namespace
