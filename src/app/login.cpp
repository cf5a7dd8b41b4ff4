#include "app/login.h"

#include <string>

#include "account/account_check.h"
#include "account/login_rules.h"
#include "app/app_state.h"
#include "base/event_log.h"
#include "base/product.h"
#include "base/user_prompt.h"
#include "base/utf.h"
#include "config/service_addresses.h"
#include "config/settings_store.h"
#include "gui/gui_button.h"
#include "gui/gui_edit.h"
#include "gui/skinnable_window.h"

namespace {

HWND MainOwner() { return App().mainWindow ? App().mainWindow->MainWindow() : nullptr; }

void ShowError(HWND owner, const wchar_t* text, const wchar_t* caption) {
    AskUser(owner, text, caption, MB_ICONERROR);
}

void ShowConnectionError(bool fromSettingsPage) {
    std::string host = HostOfUrl(Settings().GetAdvancedNarrow(L"adv_api_verify_uri"));
    if (host.empty()) host = kServiceHostName;
    const std::wstring text = ConnectionErrorText(host, fromSettingsPage);
    ShowError(fromSettingsPage ? MainOwner() : nullptr, text.c_str(), kProductName);
}

void Forget(GUIEdit* edit) {
    if (edit) edit->SetText(L"");
}

// The typed pair, or false (after telling the user) when it cannot be sent.
bool TypedCredentials(std::string& user, std::string& hash) {
    const AppState& app = App();
    const std::wstring typedUser = app.usernameEdit ? app.usernameEdit->GetText() : L"";
    const std::wstring typedPassword = app.passwordEdit ? app.passwordEdit->GetText() : L"";
    if (typedUser.empty() || typedPassword.empty()) {
        ShowError(MainOwner(), kMissingCredentialsText, kLoginErrorCaption);
        return false;
    }
    if (!PasswordDigest(typedPassword, hash)) {
        ShowError(MainOwner(), kHashingProblemText, kLoginErrorCaption);
        return false;
    }
    if (!NarrowLatin1(typedUser, user)) {
        ShowError(MainOwner(), kUnsupportedUserNameText, kLoginErrorCaption);
        return false;
    }
    return true;
}

const char* AccountCheckName(AccountCheck answer) {
    switch (answer) {
    case AccountCheck::NotSent: return "not sent";
    case AccountCheck::ConnectionFailed: return "no connection";
    case AccountCheck::InvalidReply: return "reply not understood";
    case AccountCheck::Rejected: return "rejected";
    case AccountCheck::Authorised: return "authorised";
    }
    return "unknown";
}

}  // namespace

void SetLoggedIn(bool loggedIn) {
    AppState& app = App();
    if (app.loggedIn == loggedIn) return;
    app.loggedIn = loggedIn;
    if (app.loginButton) app.loginButton->Show(loggedIn ? SW_HIDE : SW_SHOW);
    if (app.logoutButton) app.logoutButton->Show(loggedIn ? SW_SHOW : SW_HIDE);
}

void LoginAction(void* fromSettingsPage, WPARAM) {
    AppState& app = App();
    SettingsStore& settings = Settings();
    const bool fromPage = fromSettingsPage != nullptr;

    if (app.loggedIn) {
        settings.SetString(L"Username", L"");
        Forget(app.usernameEdit);
        settings.SetString(L"PasswordHash", L"");
        Forget(app.passwordEdit);
        SetLoggedIn(false);
        LogEvent("logout");
        return;
    }
    SetLoggedIn(false);

    std::string user;
    std::string hash;
    if (fromPage) {
        if (!TypedCredentials(user, hash)) return;
    } else {
        user = settings.GetStringNarrow(L"Username");
        hash = settings.GetStringNarrow(L"PasswordHash");
    }
    if (user.empty() || hash.empty()) return;

    const AccountCheck answer = VerifyAccount(settings.GetAdvancedNarrow(L"adv_api_verify_uri"), user, hash);
    LogEvent("login", {{"user", user}, {"from", fromPage ? "settings page" : "start"},
                       {"result", AccountCheckName(answer)}});
    switch (answer) {
    case AccountCheck::NotSent:
        break;
    case AccountCheck::ConnectionFailed:
    case AccountCheck::InvalidReply:
        ShowConnectionError(fromPage);
        break;
    case AccountCheck::Rejected:
        // The saved pair stays: the service may only be confused for now.
        ShowError(MainOwner(), kRejectedAccountText, kProductName);
        break;
    case AccountCheck::Authorised:
        SetLoggedIn(true);
        if (fromPage) {
            settings.SetStringNarrow(L"Username", user);
            settings.SetStringNarrow(L"PasswordHash", hash);
        }
        break;
    }
}
