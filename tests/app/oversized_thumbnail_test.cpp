// The real program against thumbnails whose headers declare sides that
// would overrun the image library's buffers: it shows the default picture,
// keeps running, and starts again with the files still in "thumbs".
#include <windows.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "app/instance_handoff.h"
#include "support/devservice.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

class OversizedThumbnail : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
        ASSERT_TRUE(DevService::Available());
        ASSERT_EQ(nullptr, FindRunningInstanceWindow());
        ASSERT_TRUE(DevService::ResetFaults());
        const std::string folder = root.path() + "\\vantorel liftorn";
        CreateDirectoryW(ToWide(folder).c_str(), nullptr);
        WriteServiceConfiguration(folder, "showtoastalerts false\r\n");
    }
    void TearDown() override {
        if (HWND window = FindRunningInstanceWindow()) Quit(window);
        DevService::ResetFaults();
    }

    std::string DataFile(const std::string& name) const {
        return root.path() + "\\vantorel liftorn\\" + name;
    }
    std::map<std::wstring, std::wstring> Environment() const {
        return {{L"APPDATA", ToWide(root.path())}};
    }
    // The instance's window, once published, or null.
    HWND Start(Child& child) {
        child = StartProcess(LiftornPath(), {}, Environment());
        HWND window = nullptr;
        PumpUntil([&] { return (window = FindRunningInstanceWindow()) != nullptr; }, 30000);
        return window;
    }
    // Alive and answering its messages.
    bool Responds(HWND window) {
        DWORD_PTR ignored = 0;
        return IsWindow(window) &&
               SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
    }
    long Quit(HWND window) { return QuitInstance(window); }
    int HistoryRows() {
        sqlite3* db = nullptr;
        int rows = 0;
        if (sqlite3_open_v2(DataFile("history.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT count(*) FROM history", -1, &statement, nullptr) ==
                    SQLITE_OK &&
                sqlite3_step(statement) == SQLITE_ROW) {
                rows = sqlite3_column_int(statement, 0);
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return rows;
    }

    TempDir root;
    TempDir files;
};

TEST_F(OversizedThumbnail, TheProgramSurvivesAndStartsAgain) {
    // The first thumbnail a JPEG of 65,500 x 17,000, the second a GIF of
    // 65,535 x 65,535.
    ASSERT_TRUE(DevService::SetFault(
        R"({"mode": "oversized_image", "path": "/files/thumbs/*", "count": 1})"));
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "oversized_image", "path": "/files/thumbs/*",
                                         "count": 1, "format": "gif", "width": 65535,
                                         "height": 65535})"));
    WriteBytes(files.File("first.png"), std::string("\x89PNG not really", 15));
    WriteBytes(files.File("second.gif"), "GIF89a not really");

    Child instance;
    HWND window = Start(instance);
    ASSERT_NE(nullptr, window);
    Child second = StartProcess(LiftornPath(), {ToWide(files.File("first.png")),
                                                ToWide(files.File("second.gif"))},
                                Environment());
    EXPECT_EQ(0, WaitForExit(second.process, 30000));
    CloseHandle(second.process);
    if (!PumpUntil([&] { return HistoryRows() == 2; }, 60000)) {
        std::string seen;
        for (const LoggedRequest& request : DevService::Requests()) {
            seen += " " + request.method + " " + request.path + (request.fault.empty() ? "" : "!");
        }
        FAIL() << HistoryRows() << " rows; instance "
               << (WaitForExit(instance.process, 0) == -1 ? "running" : "ended")
               << "; the service saw:" << seen;
    }

    // Both thumbnails were fetched as served, and the list has shown them.
    int oversized = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(ToWide(DataFile("thumbs\\*")).c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do {
        const std::string bytes = ReadBytes(DataFile("thumbs\\" + ToUtf8(found.cFileName)));
        if (bytes.compare(0, 4, "\xFF\xD8\xFF\xC0") == 0 || bytes.compare(0, 6, "GIF89a") == 0) {
            ++oversized;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(2, oversized);
    Sleep(500);
    EXPECT_EQ(-1, WaitForExit(instance.process, 0));
    EXPECT_TRUE(Responds(window));
    EXPECT_EQ(0, Quit(window));
    CloseHandle(instance.process);

    // The files stay in "thumbs": the next start reads them again.
    Child again;
    window = Start(again);
    ASSERT_NE(nullptr, window);
    Sleep(1000);
    EXPECT_EQ(-1, WaitForExit(again.process, 0));
    EXPECT_TRUE(Responds(window));
    EXPECT_EQ(0, Quit(window));
    CloseHandle(again.process);
}

}  // namespace
