// The install step when the installer does not do its work: one that cannot
// be run changes nothing; one that fails has the old files and the listed
// version put back; when a file cannot be put back, that is what the user
// is told. The "installers" are command lines of cmd.exe that damage what a
// real one would touch and then fail.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/scoped_win.h"
#include "base/utf.h"
#include "support/temp_dir.h"
#include "updater/update_install.h"
#include "updater/update_messages.h"

namespace {

class InstallStep : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(root.File("program")).c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(root.File("program\\skin")).c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(Program("liftorn.exe"), "old program"));
        ASSERT_TRUE(WriteBytes(Program("skin\\top.png"), "old skin"));
        key = L"Software\\LiftornTest" + std::to_wstring(GetCurrentProcessId()) + L"\\Uninstall";
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"DisplayVersion", REG_SZ,
                                                 L"1.2.5", 12));
        attempt.programFolder = Utf8ToWide(root.File("program")) + L"\\";
        attempt.backupFolder = Utf8ToWide(root.File("backup")) + L"\\";
        attempt.expected = {1, 2, 6};
        attempt.uninstallKey = key;
    }
    void TearDown() override {
        backup.Discard();
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\LiftornTest" + std::to_wstring(GetCurrentProcessId())).c_str());
    }
    std::string Program(const std::string& name) { return root.File("program\\" + name); }
    std::wstring ListedVersion() {
        wchar_t text[32] = {};
        DWORD bytes = sizeof text;
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"DisplayVersion", RRF_RT_REG_SZ, nullptr, text, &bytes);
        return text;
    }
    // An installer that overwrites the program, moves the listed version on
    // and fails.
    std::wstring FailingInstaller() {
        return L"cmd.exe /c echo new program>liftorn.exe& reg add \"HKCU\\" + key +
               L"\" /v DisplayVersion /d 1.2.6 /f >nul& exit 3";
    }

    TempDir root;
    std::wstring key;
    InstallAttempt attempt;
    ProgramBackup backup;
};

TEST_F(InstallStep, AnInstallerThatCannotRunChangesNothing) {
    attempt.commandLine = L"\"" + Utf8ToWide(root.File("no such setup.exe")) + L"\" /S";
    EXPECT_EQ(UpdateFailure::InstallerNotRun, InstallWithFallback(attempt, backup));
    attempt.commandLine.clear();  // none could be made
    EXPECT_EQ(UpdateFailure::InstallerNotRun, InstallWithFallback(attempt, backup));
    EXPECT_EQ("old program", ReadBytes(Program("liftorn.exe")));
    EXPECT_EQ(L"1.2.5", ListedVersion());
    EXPECT_EQ(std::wstring::npos, FailureMessage(UpdateFailure::InstallerNotRun, "1.2.5", "1.2.6").find(L"put back"));
}

TEST_F(InstallStep, AFailedInstallerHasTheFilesAndTheListedVersionPutBack) {
    attempt.commandLine = FailingInstaller();
    EXPECT_EQ(UpdateFailure::InstallerFailed, InstallWithFallback(attempt, backup));
    EXPECT_EQ("old program", ReadBytes(Program("liftorn.exe")));
    EXPECT_EQ("old skin", ReadBytes(Program("skin\\top.png")));
    EXPECT_EQ(L"1.2.5", ListedVersion());
}

TEST_F(InstallStep, AFileThatCannotBePutBackIsReported) {
    attempt.commandLine = FailingInstaller();
    // Something keeps the skin file from being written (but not read).
    ScopedHandle held(CreateFileW(Utf8ToWide(Program("skin\\top.png")).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(UpdateFailure::RestoreIncomplete, InstallWithFallback(attempt, backup));
    // The rest went back all the same.
    EXPECT_EQ("old program", ReadBytes(Program("liftorn.exe")));
    EXPECT_EQ(L"1.2.5", ListedVersion());
    const std::wstring message = FailureMessage(UpdateFailure::RestoreIncomplete, "1.2.5", "1.2.6");
    EXPECT_NE(std::wstring::npos, message.find(L"could not be put back")) << WideToUtf8(message);
    EXPECT_EQ(std::wstring::npos, message.find(L"unchanged"));
}

}  // namespace
