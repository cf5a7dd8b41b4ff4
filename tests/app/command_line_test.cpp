#include "app/command_line.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "app/instance_handoff.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

TEST(CommandLine, UploadSwitchesMustBeTheWholeLineSpelledExactly) {
    EXPECT_EQ(302, UploadSwitchCommand(L"/screenshot"));
    EXPECT_EQ(303, UploadSwitchCommand(L"/windowgrab"));
    EXPECT_EQ(304, UploadSwitchCommand(L"/file"));
    EXPECT_EQ(305, UploadSwitchCommand(L"/folder"));
    EXPECT_EQ(0, UploadSwitchCommand(L"/screenshot "));
    EXPECT_EQ(0, UploadSwitchCommand(L" /screenshot"));
    EXPECT_EQ(0, UploadSwitchCommand(L"/Screenshot"));
    EXPECT_EQ(0, UploadSwitchCommand(L"/file x"));
    EXPECT_EQ(0, UploadSwitchCommand(L""));
}

TEST(CommandLine, DelayedScreenshotSwitchTakesOneToThirtySeconds) {
    struct {
        const wchar_t* line;
        DelaySwitch result;
        int seconds;
    } cases[] = {
        {L"/screenshot /delay 5", DelaySwitch::kDelay, 5},
        {L"/screenshot /delay 1", DelaySwitch::kDelay, 1},
        {L"/screenshot /delay 30", DelaySwitch::kDelay, 30},
        {L"/screenshot /delay 0", DelaySwitch::kOutOfRange, 0},
        {L"/screenshot /delay 31", DelaySwitch::kOutOfRange, 0},
        {L"/screenshot /delay 100", DelaySwitch::kOutOfRange, 0},
        {L"/screenshot /delay -5", DelaySwitch::kOutOfRange, 0},
        {L"/screenshot /delay 5s", DelaySwitch::kOutOfRange, 0},
        {L"/screenshot /delay ", DelaySwitch::kOutOfRange, 0},
        {L"/screenshot", DelaySwitch::kNone, 0},
        {L"/screenshot /Delay 5", DelaySwitch::kNone, 0},
        {L"/windowgrab /delay 5", DelaySwitch::kNone, 0},
    };
    for (const auto& c : cases) {
        int seconds = -1;
        EXPECT_EQ(c.result, ParseDelaySwitch(c.line, seconds)) << c.line;
        EXPECT_EQ(c.seconds, seconds) << c.line;
    }
}

TEST(CommandLine, ShortcutFilesOpenOnlyWebAddresses) {
    TempDir dir;
    const std::string plain = dir.File("plain.url");
    WriteBytes(plain, "[InternetShortcut]\r\r\nURL=http://files.example/ab/My Photo.png\r\n");
    EXPECT_EQ("http://files.example/ab/My Photo.png", ReadShortcutUrl(ToWide(plain)));
    EXPECT_TRUE(IsOpenableShortcutUrl(ReadShortcutUrl(ToWide(plain))));

    const std::string secure = dir.File("secure.url");
    WriteBytes(secure, "[InternetShortcut]\r\nURL=https://files.example/x\r\n");
    EXPECT_TRUE(IsOpenableShortcutUrl(ReadShortcutUrl(ToWide(secure))));
    EXPECT_FALSE(IsOpenableShortcutUrl("file:///C:/windows/system32/calc.exe"));
    EXPECT_FALSE(IsOpenableShortcutUrl("javascript:alert(1)"));

    const std::string other = dir.File("other.url");
    WriteBytes(other, "[Other]\r\nURL=http://files.example/x\r\n");
    EXPECT_EQ("", ReadShortcutUrl(ToWide(other)));
    EXPECT_EQ("", ReadShortcutUrl(ToWide(dir.File("missing.url"))));
    EXPECT_FALSE(IsOpenableShortcutUrl("HTTP://files.example/x"));
    EXPECT_FALSE(IsOpenableShortcutUrl("http:/"));
}

TEST(CommandLine, UriWithAnUnusableShortcutEndsTheStartQuietly) {
    TempDir dir;
    const std::string local = dir.File("local.url");
    WriteBytes(local, "[InternetShortcut]\r\nURL=file:///C:/x\r\n");
    int exitCode = -1;
    EXPECT_TRUE(HandleCommandLine(nullptr, L"/uri x", {L"liftorn.exe", L"/uri", ToWide(local)},
                                  exitCode));
    EXPECT_EQ(0, exitCode);
    // "/uri" needs exactly one path after it; otherwise it is a normal start.
    EXPECT_FALSE(HandleCommandLine(nullptr, L"/uri", {L"liftorn.exe", L"/uri"}, exitCode));
    EXPECT_FALSE(HandleCommandLine(nullptr, L"a b", {L"liftorn.exe", L"a", L"b"}, exitCode));
    EXPECT_FALSE(HandleCommandLine(nullptr, L"", {L"liftorn.exe"}, exitCode));
}

std::vector<std::wstring> DroppedNames(HDROP drop) {
    std::vector<std::wstring> names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
        names.push_back(name);
    }
    return names;
}

TEST(DropBlock, HoldsTheNamesInOrderBehindTheHeader) {
    const std::vector<std::wstring> paths = {L"C:\\a.txt", L"C:\\\u65e5\u672c\\b c.png", L"d"};
    HGLOBAL block = BuildDropBlock(paths);
    ASSERT_NE(nullptr, block);
    const size_t expected = 20 + 2 * ((8 + 1) + (13 + 1) + (1 + 1) + 1);
    EXPECT_EQ(expected, GlobalSize(block));
    EXPECT_EQ(GMEM_DDESHARE, GlobalFlags(block) & GMEM_DDESHARE);

    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    const auto* header = reinterpret_cast<const DWORD*>(bytes);
    EXPECT_EQ(20u, header[0]);  // offset of the names
    EXPECT_EQ(1u, header[1]);   // drop point
    EXPECT_EQ(1u, header[2]);
    EXPECT_EQ(0u, header[3]);   // client area
    EXPECT_EQ(1u, header[4]);   // wide names
    const auto* names = reinterpret_cast<const wchar_t*>(bytes + 20);
    EXPECT_EQ(L'\0', names[expected / 2 - 10 - 1]);
    EXPECT_EQ(L'\0', names[expected / 2 - 10 - 2]);
    GlobalUnlock(block);

    EXPECT_EQ(paths, DroppedNames(static_cast<HDROP>(block)));
    DragFinish(static_cast<HDROP>(block));
}

// Receives drops on a window of this thread.
class DropTarget : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_DROPFILES) {
                received.push_back(DroppedNames(reinterpret_cast<HDROP>(wp)));
                DragFinish(reinterpret_cast<HDROP>(wp));
                return 0;
            }
            return DefWindowProcW(w, m, wp, lp);
        };
        windowClass.lpszClassName = L"liftorn drop target test";
        RegisterClassW(&windowClass);
        window = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, nullptr, nullptr);
        received.clear();
    }
    void TearDown() override { DestroyWindow(window); }
    void Settle() {
        PumpUntil([] { return false; }, 100);
    }
    HWND window = nullptr;
    static std::vector<std::vector<std::wstring>> received;
};
std::vector<std::vector<std::wstring>> DropTarget::received;

TEST_F(DropTarget, ArgumentsAfterTheProgramNameArriveAsOneDrop) {
    ForwardArgumentListAsDrop(window, {L"liftorn.exe", L"one", L"two", L"three"});
    Settle();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two", L"three"}), received[0]);
}

TEST_F(DropTarget, NoArgumentsPostNothing) {
    ForwardArgumentListAsDrop(window, {L"liftorn.exe"});
    Settle();
    EXPECT_TRUE(received.empty());
}

TEST_F(DropTarget, RemoveDeletesItsFileAndDropsOnlyTheRest) {
    TempDir dir;
    const std::string victim = dir.File("capture.png");
    WriteBytes(victim, "x");
    ForwardArgumentListAsDrop(window, {L"liftorn.exe", L"/remove", ToWide(victim)});
    Settle();
    EXPECT_FALSE(FileExists(victim));
    EXPECT_TRUE(received.empty());

    WriteBytes(victim, "x");
    ForwardArgumentListAsDrop(window, {L"liftorn.exe", L"/remove", ToWide(victim), L"keep"});
    Settle();
    EXPECT_FALSE(FileExists(victim));
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(std::vector<std::wstring>{L"keep"}, received[0]);

    // "/remove" alone is an ordinary file name.
    ForwardArgumentListAsDrop(window, {L"liftorn.exe", L"/remove"});
    Settle();
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ(std::vector<std::wstring>{L"/remove"}, received[1]);
}

TEST_F(DropTarget, HandOffFromAnotherProcessIsCheckedBeforeItIsDropped) {
    HGLOBAL block = BuildDropBlock({L"C:\\a.txt", L"C:\\b.txt"});
    ASSERT_NE(nullptr, block);
    const DWORD size = static_cast<DWORD>(GlobalSize(block));
    std::vector<char> bytes(size);
    std::memcpy(bytes.data(), GlobalLock(block), size);
    GlobalUnlock(block);
    GlobalFree(block);

    COPYDATASTRUCT data{0x564C5444, size, bytes.data()};
    EXPECT_TRUE(ReceiveDropHandOff(window, &data));
    Settle();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b.txt"}), received[0]);

    // Not ours: left to other handlers.
    COPYDATASTRUCT foreign{1, size, bytes.data()};
    EXPECT_FALSE(ReceiveDropHandOff(window, &foreign));
    EXPECT_FALSE(ReceiveDropHandOff(window, nullptr));

    // Ours but malformed: swallowed, nothing dropped.
    COPYDATASTRUCT cut{0x564C5444, size - 2, bytes.data()};  // no final empty name
    EXPECT_TRUE(ReceiveDropHandOff(window, &cut));
    COPYDATASTRUCT tiny{0x564C5444, 8, bytes.data()};
    EXPECT_TRUE(ReceiveDropHandOff(window, &tiny));
    std::vector<char> narrow = bytes;
    reinterpret_cast<DROPFILES*>(narrow.data())->fWide = FALSE;
    COPYDATASTRUCT notWide{0x564C5444, size, narrow.data()};
    EXPECT_TRUE(ReceiveDropHandOff(window, &notWide));
    std::vector<char> huge(300 * 1024, 0);
    std::memcpy(huge.data(), bytes.data(), size);
    COPYDATASTRUCT oversized{0x564C5444, static_cast<DWORD>(huge.size()), huge.data()};
    EXPECT_TRUE(ReceiveDropHandOff(window, &oversized));
    Settle();
    EXPECT_EQ(1u, received.size());
}

TEST(PublishedWindow, RoundTripsThroughTheNamedMapping) {
    EXPECT_EQ(nullptr, FindRunningInstanceWindow());
    HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
    HANDLE mapping = PublishMainWindow(window);
    ASSERT_NE(nullptr, mapping);
    EXPECT_EQ(window, FindRunningInstanceWindow());
    CloseHandle(mapping);
    EXPECT_EQ(nullptr, FindRunningInstanceWindow());
    DestroyWindow(window);
}

}  // namespace
