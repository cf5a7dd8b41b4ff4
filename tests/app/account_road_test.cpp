// The real program against a development service of its own: the daily
// update question, the start-up check of the saved account (also with a
// stalled service), logging in and out on the settings page with real input
// and the account on uploads, and the shell registration of a moved copy.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "account/sha1.h"
#include "app/instance_handoff.h"
#include "support/devservice.h"
#include "support/process.h"
#include "support/real_input.h"
#include "support/temp_dir.h"
#include "upload/http_transport.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kHash = Sha1Hex("secret");
constexpr const wchar_t* kCaption = L"vantorel liftorn";

// A message box of process `processId` with `caption`, or null after `millis`.
HWND WaitForMessageBox(DWORD processId, const wchar_t* caption, DWORD millis) {
    struct Search {
        DWORD processId;
        const wchar_t* caption;
        HWND found;
    } search{processId, caption, nullptr};
    PumpUntil(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(data);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    wchar_t className[16] = {}, title[64] = {};
                    GetClassNameW(window, className, 16);
                    GetWindowTextW(window, title, 64);
                    if (owner == s->processId && std::wstring(className) == L"#32770" &&
                        std::wstring(title) == s->caption && IsWindowVisible(window)) {
                        s->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        millis);
    return search.found;
}

// Reads a message box and answers it with `button`; its text.
std::wstring Answer(HWND dialog, int button) {
    const std::wstring text = MessageBoxText(dialog);
    PostMessageW(dialog, WM_COMMAND, button, 0);
    PumpUntil([&] { return !IsWindow(dialog); }, 5000);
    return text;
}

// The input window of the widget at (x, y) in `window`'s client area.
HWND WidgetAt(HWND window, int x, int y) {
    struct Search {
        HWND parent;
        POINT at;
        HWND found;
    } search{window, {x, y}, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            RECT rect{};
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, s->parent, reinterpret_cast<POINT*>(&rect), 2);
            if (rect.left == s->at.x && rect.top == s->at.y) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WidgetShown(HWND window, int x, int y) {
    HWND widget = WidgetAt(window, x, y);
    return widget && IsWindowVisible(widget);
}

// Real input: a left click at a client point of `window`, then text typed
// into whatever has the focus.
void Click(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    ClickAt(point.x, point.y);
    Sleep(GetDoubleClickTime() + 50);  // the next click is not a double-click
    SetCursorPos(0, 0);
}

void Type(const std::wstring& text) {
    TypeText(text);
    Sleep(200);
}

// Ctrl+A: select everything in the focused box, so typing replaces it.
void SelectAll() {
    Key(VK_CONTROL, true);
    Press('A');
    Key(VK_CONTROL, false);
    Sleep(200);
}

class AccountRoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(LiftornPath().empty()) << "run with --liftorn=PATH";
        ASSERT_TRUE(DevService::Available());
        ASSERT_EQ(nullptr, FindRunningInstanceWindow());
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        ASSERT_TRUE(DevService::AddAccount("alice", kHash));
        ASSERT_TRUE(DevService::Control("latest_version", R"({"text": "1.2.5"})"));
        CreateDirectoryW(ToWide(DataFolder()).c_str(), nullptr);
        // Toasts stay while the pointer rests on them: keep it away.
        SetCursorPos(0, 0);
    }
    void TearDown() override {
        DevService::ResetFaults();
        if (HWND window = FindRunningInstanceWindow()) Quit(window);
        if (instance.process) CloseHandle(instance.process);
    }

    std::string DataFolder() { return root.path() + "\\vantorel liftorn"; }
    std::string Saved() { return ReadBytes(DataFolder() + "\\vantorel.conf"); }
    std::string Log() { return ReadBytes(DataFolder() + "\\liftorn.log"); }
    // The configuration for the next start: the service's addresses, the
    // window's place, and `lines`.
    void Configure(const std::string& lines) {
        WriteServiceConfiguration(DataFolder(), "positionx 100\r\npositiony 100\r\n" + lines);
    }
    void Start(const std::wstring& program = LiftornPath()) {
        instance = StartProcess(program, {}, {{L"APPDATA", ToWide(root.path())}});
        ASSERT_NE(nullptr, instance.process);
    }
    HWND WaitForWindow(DWORD millis = 30000) {
        HWND window = nullptr;
        PumpUntil([&] { return (window = FindRunningInstanceWindow()) != nullptr && IsWindowVisible(window); },
                  millis);
        return window;
    }
    long Quit(HWND window) { return QuitInstance(window); }
    // Hands a file to the running instance as a second start would.
    void UploadThroughSecondStart(const std::string& name) {
        WriteBytes(root.File(name), "uploaded " + name);
        Child second = StartProcess(LiftornPath(), {ToWide(root.File(name))}, {{L"APPDATA", ToWide(root.path())}});
        ASSERT_NE(nullptr, second.process);
        EXPECT_EQ(0, WaitForExit(second.process, 30000));
        CloseHandle(second.process);
    }
    std::vector<LoggedRequest> Requests(const char* method, const char* path) {
        std::vector<LoggedRequest> found;
        for (const auto& request : DevService::Requests()) {
            if (request.method == method && request.path == path) found.push_back(request);
        }
        return found;
    }
    std::vector<LoggedRequest> WaitForUploads(size_t count) {
        PumpUntil([&] { return Requests("POST", "/api/json").size() >= count; }, 30000);
        return Requests("POST", "/api/json");
    }

    bool ToastShown() { return ShowsWindowTitled(instance.id, L"toast"); }

    TempDir root;
    Child instance;
};

TEST_F(AccountRoad, ANewerVersionIsOfferedOnceADay) {
    ASSERT_TRUE(DevService::Control("latest_version", R"({"text": "1.2.6\n"})"));
    Configure("lastupdatecheck 0\r\n");
    const long long before = static_cast<long long>(time(nullptr));
    Start();
    HWND question = WaitForMessageBox(instance.id, kCaption, 30000);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ(nullptr, FindRunningInstanceWindow()) << "the question comes before any window";
    EXPECT_EQ(L"There is a new version of vantorel liftorn (1.2.6\n).\nDo you wish to download the new version now?",
              Answer(question, IDNO));
    HWND window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, Quit(window));
    const std::string saved = Saved();
    const size_t at = saved.find("lastupdatecheck ");
    ASSERT_NE(std::string::npos, at);
    EXPECT_GE(std::stoll(saved.substr(at + 16)), before);

    // The same day: no question, no request.
    CloseHandle(instance.process);
    Start();
    window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(nullptr, WaitForMessageBox(instance.id, kCaption, 500));
    EXPECT_EQ(1u, Requests("GET", "/latest_version").size());
    EXPECT_EQ(0, Quit(window));
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("[main] update check: latest=\"1.2.6\\n\" newer=yes\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("[main] update answer: update=declined\r\n")) << log;
}

TEST_F(AccountRoad, YesWithoutTheUpdaterSaysSoAndStartsAnyway) {
    ASSERT_FALSE(FileExists(ToUtf8(LiftornPath().substr(0, LiftornPath().rfind(L'\\') + 1) + L"iupdater.exe")));
    ASSERT_TRUE(DevService::Control("latest_version", R"({"text": "2.0.0"})"));
    Configure("lastupdatecheck -5\r\n");
    Start();
    HWND question = WaitForMessageBox(instance.id, kCaption, 30000);
    ASSERT_NE(nullptr, question);
    Answer(question, IDYES);
    HWND problem = WaitForMessageBox(instance.id, kCaption, 10000);
    ASSERT_NE(nullptr, problem);
    EXPECT_EQ(L"There was a problem with the update process. The update will not be applied.", Answer(problem, IDOK));
    HWND window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, Quit(window));
    EXPECT_NE(std::string::npos,
              Log().find("error: what=\"the update\" reason=\"the updater could not be started\""));
}

// A service that accepts connections and never answers holds the start for
// the two requests' limits, not for ever.
TEST_F(AccountRoad, AStalledServiceDelaysTheStartOnlyWithinTheLimits) {
    ASSERT_TRUE(DevService::SetFault(R"({"mode": "stall", "stall_seconds": 600})"));
    Configure("lastupdatecheck 0\r\nusername alice\r\npasswordhash " + kHash + "\r\n");
    const auto start = Clock::now();
    Start();
    HWND message = WaitForMessageBox(instance.id, kCaption, (2 * kRequestTimeLimitSeconds + 30) * 1000);
    ASSERT_NE(nullptr, message) << "no message within the limits";
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
    std::printf("start-up against a stalled service: the message after %lld s\n", static_cast<long long>(seconds));
    const std::wstring host = ToWide(DevService::BaseUrl().substr(7));
    EXPECT_EQ(L"There was an error connecting to " + host +
                  L".\nYou are currently classed as logged out and will need to manually login from the settings "
                  L"page.",
              Answer(message, IDOK));
    HWND window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(1u, Requests("GET", "/latest_version").size());
    EXPECT_EQ(1u, Requests("GET", "/api/json").size());
    ASSERT_TRUE(DevService::ResetFaults());
    EXPECT_EQ(0, Quit(window));
    EXPECT_NE(std::string::npos, Saved().find("username alice\r\n")) << "the saved account stays";
}

TEST_F(AccountRoad, TheSavedAccountIsCheckedAtStartAndCarriedByUploads) {
    Configure("lastupdatecheck 2000000000\r\nusername alice\r\npasswordhash " + Sha1Hex("old") + "\r\n");
    Start();
    HWND rejected = WaitForMessageBox(instance.id, kCaption, 30000);
    ASSERT_NE(nullptr, rejected);
    EXPECT_EQ(L"Invalid username/password. Please check the supplied username/password and try again.",
              Answer(rejected, IDOK));
    HWND window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    UploadThroughSecondStart("anonymous.txt");
    auto uploads = WaitForUploads(1);
    ASSERT_EQ(1u, uploads.size());
    EXPECT_FALSE(uploads[0].HasHeader("Authorization"));
    EXPECT_EQ(0, Quit(window));
    EXPECT_NE(std::string::npos, Saved().find("passwordhash " + Sha1Hex("old") + "\r\n"));
    EXPECT_NE(std::string::npos, Log().find("[main] login: user=alice from=start result=rejected\r\n"));

    // A good saved pair logs in quietly, and uploads carry it.
    CloseHandle(instance.process);
    Configure("lastupdatecheck 2000000000\r\nusername alice\r\npasswordhash " + kHash + "\r\n");
    Start();
    window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(nullptr, WaitForMessageBox(instance.id, kCaption, 500));
    UploadThroughSecondStart("alice.txt");
    uploads = WaitForUploads(2);
    ASSERT_EQ(2u, uploads.size());
    EXPECT_EQ("alice:" + kHash, uploads[1].BasicCredentials());
    EXPECT_TRUE(uploads[1].authOk);
    EXPECT_EQ(0, Quit(window));
}

TEST_F(AccountRoad, LoggingInAndOutOnTheSettingsPage) {
    Configure("lastupdatecheck 2000000000\r\n");
    Start();
    HWND window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    // The settings button sits 72 pixels above the foot of the 530-pixel window.
    Click(window, 127, 530 - 72 + 7);
    ASSERT_TRUE(PumpUntil([&] { return WidgetShown(window, 188, 159); }, 5000)) << "no login button";
    EXPECT_FALSE(WidgetShown(window, 175, 159));

    // Empty boxes: asked to fill them, nothing sent.
    Click(window, 220, 170);
    HWND message = WaitForMessageBox(instance.id, L"Login Error", 5000);
    ASSERT_NE(nullptr, message);
    EXPECT_EQ(L"Please enter a username and password.", Answer(message, IDOK));
    EXPECT_TRUE(Requests("GET", "/api/json").empty());

    // A password outside the one-byte range cannot be hashed.
    Click(window, 190, 119);
    Type(L"alice");
    Click(window, 190, 142);
    Type(L"caf\u00e9\u20ac");
    Click(window, 220, 170);
    message = WaitForMessageBox(instance.id, L"Login Error", 5000);
    ASSERT_NE(nullptr, message);
    EXPECT_EQ(L"There was a problem hashing the entered password, this may be due to strange characters used.",
              Answer(message, IDOK));

    // The right password logs in; the logout button takes the login button's place.
    Click(window, 190, 142);
    SelectAll();
    Type(L"secret");
    Click(window, 220, 170);
    ASSERT_TRUE(PumpUntil([&] { return WidgetShown(window, 175, 159); }, 10000)) << "not logged in";
    EXPECT_FALSE(WidgetShown(window, 188, 159));
    const auto verifies = Requests("GET", "/api/json");
    ASSERT_EQ(1u, verifies.size());
    EXPECT_EQ("alice:" + kHash, verifies[0].BasicCredentials());
    UploadThroughSecondStart("after login.txt");
    const auto uploads = WaitForUploads(1);
    ASSERT_EQ(1u, uploads.size());
    EXPECT_EQ("alice:" + kHash, uploads[0].BasicCredentials());

    // One more character in the user name logs out. (The upload's toast
    // takes the foreground when it appears: wait for it, then come back.)
    PumpUntil([&] { return ToastShown(); }, 10000);
    SetForegroundWindow(window);
    Click(window, 190, 119);
    Type(L"x");
    ASSERT_TRUE(PumpUntil([&] { return WidgetShown(window, 188, 159); }, 5000)) << "still logged in";

    // Log in again, then out with the button: both saved values go.
    Click(window, 190, 119);
    SelectAll();
    Type(L"alice");
    Click(window, 190, 142);
    SelectAll();
    Type(L"secret");
    Click(window, 220, 170);
    ASSERT_TRUE(PumpUntil([&] { return WidgetShown(window, 175, 159); }, 10000));
    Click(window, 215, 170);
    ASSERT_TRUE(PumpUntil([&] { return WidgetShown(window, 188, 159); }, 5000));
    EXPECT_EQ(0, Quit(window));
    const std::string saved = Saved();
    EXPECT_NE(std::string::npos, saved.find("\r\nusername \r\n"));
    EXPECT_NE(std::string::npos, saved.find("\r\npasswordhash \r\n"));

    // The log has the logins and the logout, never the password or its hash.
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("[main] login: user=alice from=\"settings page\" result=authorised"));
    EXPECT_NE(std::string::npos, log.find("[main] logout\r\n"));
    EXPECT_NE(std::string::npos, log.find("[worker] upload end: name=\"after login.txt\""));
    for (const std::string& secret : {kHash, std::string("secret"), std::string("caf")}) {
        EXPECT_EQ(std::string::npos, log.find(secret)) << secret << "\n" << log;
    }
}

TEST_F(AccountRoad, AMovedProgramRegistersAgain) {
    const std::wstring program = LiftornPath();
    const std::wstring folder = program.substr(0, program.rfind(L'\\') + 1);
    const std::wstring moved = ToWide(root.File("moved")) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(moved.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(program.c_str(), (moved + L"liftorn.exe").c_str(), FALSE));
    // The skin travels with the program.
    SHFILEOPSTRUCTW copy{};
    const std::wstring from = folder + L"skin" + L'\0';
    const std::wstring to = moved + L'\0';
    copy.wFunc = FO_COPY;
    copy.pFrom = from.c_str();
    copy.pTo = to.c_str();
    copy.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ASSERT_EQ(0, SHFileOperationW(&copy));

    Configure("lastupdatecheck 2000000000\r\n");
    Start(moved + L"liftorn.exe");
    HWND window = WaitForWindow();
    ASSERT_NE(nullptr, window);
    wchar_t command[520] = {};
    DWORD bytes = sizeof command;
    ASSERT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_CURRENT_USER, L"Software\\Classes\\Korvane.vantorel-liftorn\\shell\\Open\\Command",
                           nullptr, RRF_RT_REG_SZ, nullptr, command, &bytes));
    EXPECT_EQ(0, _wcsicmp((L"\"" + moved + L"liftorn.exe\" /uri \"%1\"").c_str(), command));
    EXPECT_EQ(nullptr, WaitForMessageBox(instance.id, kCaption, 300)) << "registering asks nothing";
    EXPECT_EQ(0, Quit(window));
    EXPECT_EQ(std::string::npos, Saved().find("enablejumplists false"));

    // Back to the build's own program for the tests that follow.
    Child restore = StartProcess(program, {L"/registertypes"});
    EXPECT_EQ(0, WaitForExit(restore.process, 30000));
    CloseHandle(restore.process);
}

}  // namespace
