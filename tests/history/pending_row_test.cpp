// Rows of the pending table are hostile: what a row may name before the
// program reads, sends or deletes it.
#include <gtest/gtest.h>

#include <string>

#include "history/pending_row.h"

namespace {

TEST(PendingRow, OnlyPlainAbsolutePathsAreTakenUp) {
    const struct {
        const char* path;
        bool plain;
    } cases[] = {
        {"C:\\Users\\me\\photo.png", true},
        {"z:\\a b\\Caf\xc3\xa9.txt", true},
        {"D:\\photos\\", true},  // a folder dropped whole
        {"C:\\", true},
        {"\\\\server\\share\\x.zip", true},
        {"photo.png", false},
        {"\\Users\\me\\photo.png", false},  // relative to the current drive
        {"C:photo.png", false},
        {"C:/Users/me/photo.png", false},
        {"C:\\a\\..\\..\\Windows\\win.ini", false},
        {"C:\\a\\.\\b", false},
        {"C:\\a\\\\b", false},
        {"\\\\?\\C:\\x", false},
        {"\\\\.\\PhysicalDrive0", false},
        {"\\\\server", false},
        {"\\\\server\\\\x", false},
        {"C:\\CON\\x.png", false},
        {"C:\\x\\nul.txt", false},
        {"C:\\x\\a:stream", false},
        {"C:\\x\\a*.png", false},
        {"C:\\x\\line\nbreak", false},
        {"C:\\x\\\xff\xfe", false},  // not UTF-8
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.plain, IsPlainAbsolutePath(c.path)) << c.path;
    EXPECT_FALSE(IsPlainAbsolutePath("C:\\" + std::string(kMaxPendingPathBytes, 'a')));
}

TEST(PendingRow, ArchiveNamesAreTheSystemsTemporaryNames) {
    for (const char* good : {"vt_1A2B.tmp", "vt_0.tmp", "vt_abcdef01.tmp"}) EXPECT_TRUE(IsArchiveName(good)) << good;
    for (const char* bad : {"vt_.tmp", "vt_1A2B.zip", "..\\vt_1.tmp", "vt_1\\..\\x.tmp", "xx_1A2B.tmp",
                            "vt_123456789.tmp", "vt_12G4.tmp"}) {
        EXPECT_FALSE(IsArchiveName(bad)) << bad;
    }
}

StoredPendingRow Stored() {
    StoredPendingRow stored;
    stored.id = 7;
    stored.kind = 1;
    stored.path = "C:\\Users\\me\\photo.png";
    return stored;
}

TEST(PendingRow, AGoodRowComesBackAndItsFilesResolveInTheDataFolder) {
    StoredPendingRow stored = Stored();
    stored.kind = 2;
    stored.path = "C:\\Users\\me\\holiday";
    stored.name = "holiday.zip";
    stored.archive = "vt_1F.tmp";
    stored.failedAttempts = 2;
    stored.failure = 3;
    stored.status = 413;
    PendingRow row;
    ASSERT_TRUE(CheckPendingRow(stored, row));
    EXPECT_EQ(7, row.id);
    EXPECT_EQ(2, row.kind);
    EXPECT_EQ("holiday.zip", row.name);
    EXPECT_EQ(413, row.status);
    EXPECT_EQ("C:\\Users\\me\\holiday", PendingFilePath("D:\\data\\", row));
    EXPECT_EQ("D:\\data\\vt_1F.tmp", PendingArchivePath("D:\\data\\", row));

    StoredPendingRow own = Stored();
    own.ownFile = 1;
    own.path = "capture-20261209-010203-1.png";
    ASSERT_TRUE(CheckPendingRow(own, row));
    EXPECT_TRUE(row.ownFile);
    EXPECT_EQ("D:\\data\\captures\\capture-20261209-010203-1.png", PendingFilePath("D:\\data\\", row));
    EXPECT_EQ("", PendingArchivePath("D:\\data\\", row));
}

TEST(PendingRow, RowsThatCouldReachFurtherAreRefusedWhole) {
    const auto refused = [](void (*change)(StoredPendingRow&)) {
        StoredPendingRow stored = Stored();
        change(stored);
        PendingRow row;
        return !CheckPendingRow(stored, row);
    };
    // An own file (deleted after the upload) is only ever a name in
    // "captures": never a user's file, never a way out of the folder.
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.ownFile = 1; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.ownFile = 1, r.path = "..\\..\\photo.png"; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.ownFile = 1, r.path = "a\\b.png"; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.ownFile = 1, r.path = "CON.png"; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.ownFile = 2; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.archive = "..\\Documents\\report.doc"; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.path = "\\\\.\\COM1"; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.name = "a\r\nContent-Type: x"; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.name = std::string(kMaxPendingNameBytes + 1, 'n'); }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.id = 0; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.kind = 0; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.kind = 1LL << 40; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.failure = -1; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.status = 100000; }));
    EXPECT_TRUE(refused([](StoredPendingRow& r) { r.failedAttempts = -5; }));
    EXPECT_FALSE(refused([](StoredPendingRow&) {}));
}

}  // namespace
