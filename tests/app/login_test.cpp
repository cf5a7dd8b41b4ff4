// Logging in and out against the development service's verify resource,
// with the account widgets of the settings page: every row of the failure
// table, the pair sent, and the start-up check of the saved account.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "account/sha1.h"
#include "app/app_state.h"
#include "app/login.h"
#include "base/seams.h"
#include "base/utf.h"
#include "config/settings_catalogue.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/widget_test_support.h"
#include "support/devservice.h"

namespace {

struct Shown {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};
std::vector<Shown> shown;
int Record(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    shown.push_back({owner, text, caption, type});
    return IDOK;
}

const std::string kSecretHash = Sha1Hex("secret");
void* const kFromPage = reinterpret_cast<void*>(1);

class Login : public WidgetWindowTest {
protected:
    void SetUp() override {
        WidgetWindowTest::SetUp();
        ASSERT_TRUE(DevService::Available()) << "run through scripts/with-devservice.sh";
        DefineDefaultSettings(Settings());
        Settings().SetAdvanced(L"adv_api_verify_uri", Utf8ToWide(DevService::Url("/api/json")));
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        ASSERT_TRUE(DevService::AddAccount("alice", kSecretHash));
        shown.clear();
        seams = std::make_unique<ScopedSeams>(Seams{&Record});

        AppState& app = App();
        app.loggedIn = false;
        app.mainWindow = window_.get();  // owns the messages, as the main window does
        app.usernameEdit = Add(std::make_unique<GUIEdit>(Parent(), nullptr, 10, 10, 140, 17, L""));
        app.passwordEdit = Add(std::make_unique<GUIEdit>(Parent(), nullptr, 10, 40, 140, 17, L""));
        app.loginButton = Add(std::make_unique<GUIButton>(Parent(), nullptr, 160, 10, 0, 0, L"Login", 0u, 0u));
        app.logoutButton = Add(std::make_unique<GUIButton>(Parent(), nullptr, 160, 40, 0, 0, L"Logout", 0u, 0u));
        app.logoutButton->Show(SW_HIDE);
    }
    void TearDown() override {
        AppState& app = App();
        app.usernameEdit = app.passwordEdit = nullptr;
        app.loginButton = app.logoutButton = nullptr;
        app.mainWindow = nullptr;
        app.loggedIn = false;
        seams.reset();
        WidgetWindowTest::TearDown();
    }

    void Type(const std::wstring& user, const std::wstring& password) {
        App().usernameEdit->SetText(user);
        App().passwordEdit->SetText(password);
    }
    void Save(const std::wstring& user, const std::wstring& hash) {
        Settings().SetString(L"Username", user);
        Settings().SetString(L"PasswordHash", hash);
    }
    // The logged-in state and which button shows must always agree.
    bool LoggedIn() {
        const bool in = App().loggedIn;
        EXPECT_EQ(in, App().logoutButton->IsVisible());
        EXPECT_EQ(!in, App().loginButton->IsVisible());
        return in;
    }
    std::vector<LoggedRequest> Verifies() {
        std::vector<LoggedRequest> verifies;
        for (const auto& request : DevService::Requests()) {
            if (request.method == "GET" && request.path == "/api/json") verifies.push_back(request);
        }
        return verifies;
    }
    std::wstring Host() { return Utf8ToWide(DevService::BaseUrl().substr(7)); }

    std::unique_ptr<ScopedSeams> seams;
};

TEST_F(Login, ARightPasswordLogsInSavesThePairAndLogoutForgetsIt) {
    Save(L"", L"");
    Type(L"alice", L"secret");
    LoginAction(kFromPage);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(LoggedIn());
    EXPECT_EQ(L"alice", Settings().GetString(L"Username"));
    EXPECT_EQ(Utf8ToWide(kSecretHash), Settings().GetString(L"PasswordHash"));
    const auto verifies = Verifies();
    ASSERT_EQ(1u, verifies.size());
    EXPECT_EQ("alice:" + kSecretHash, verifies[0].BasicCredentials());
    EXPECT_FALSE(verifies[0].HasHeader("Expect"));

    LoginAction(kFromPage);  // the logout button carries the same action
    EXPECT_FALSE(LoggedIn());
    EXPECT_EQ(L"", Settings().GetString(L"Username"));
    EXPECT_EQ(L"", Settings().GetString(L"PasswordHash"));
    EXPECT_EQ(L"", App().usernameEdit->GetText());
    EXPECT_EQ(L"", App().passwordEdit->GetText());
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(1u, Verifies().size());
}

TEST_F(Login, EveryFailureFromTheSettingsPageSaysWhatWentWrong) {
    const std::wstring connection =
        L"There was an error connecting to " + Host() + L". Please try again later, or check your firewall.";
    struct Case {
        const wchar_t* user;
        const wchar_t* password;
        const char* fault;       // spoils the verify request, or null
        std::wstring message;
        const wchar_t* caption;
        bool sent;
    };
    const Case cases[] = {
        {L"alice", L"wrong", nullptr,
         L"Invalid username/password. Please check the supplied username/password and try again.",
         L"vantorel liftorn", true},
        {L"", L"secret", nullptr, L"Please enter a username and password.", L"Login Error", false},
        {L"alice", L"", nullptr, L"Please enter a username and password.", L"Login Error", false},
        {L"alice", L"caf\u00e9\u20ac", nullptr,
         L"There was a problem hashing the entered password, this may be due to strange characters used.",
         L"Login Error", false},
        {L"\u0100lice", L"secret", nullptr,
         L"Usernames can only use Western European characters (ISO-8859-1). Please check the supplied username.",
         L"Login Error", false},
        {L"alice", L"secret", R"({"mode": "hostile_json", "body": {"authorised": "yes"}})", connection,
         L"vantorel liftorn", true},
        {L"alice", L"secret", R"({"mode": "malformed_json"})", connection, L"vantorel liftorn", true},
        {L"alice", L"secret", R"({"mode": "status500"})", connection, L"vantorel liftorn", true},
        {L"alice", L"secret", R"({"mode": "refuse"})", connection, L"vantorel liftorn", true},
        {L"alice", L"secret", R"({"mode": "huge", "size": 9000000, "unsized": true})", connection,
         L"vantorel liftorn", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(std::wstring(c.user) + L" / " + c.password) + " " + (c.fault ? c.fault : ""));
        ASSERT_TRUE(DevService::ResetFaults());
        ASSERT_TRUE(DevService::ClearLog());
        if (c.fault) {
            ASSERT_TRUE(DevService::SetFault(c.fault));
        }
        Save(L"kept", L"kept");
        shown.clear();
        Type(c.user, c.password);
        LoginAction(kFromPage);
        EXPECT_FALSE(LoggedIn());
        EXPECT_EQ(c.sent ? 1u : 0u, Verifies().size());
        EXPECT_EQ(L"kept", Settings().GetString(L"Username"));
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(c.message, shown[0].text);
        EXPECT_EQ(c.caption, shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), shown[0].type);
        EXPECT_EQ(Parent(), shown[0].owner);
    }
}

}  // namespace
