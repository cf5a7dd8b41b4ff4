// Logging in and out: the settings page's login and logout buttons and the
// start-up check of the saved account. Main thread only; the request blocks
// it within the transport's time limits.
#pragma once

#include <windows.h>

// The click function of both account buttons (user data 1, "from the
// settings page") and the start-up check (user data null). Logged in, it logs
// out and forgets the saved account; otherwise it verifies the typed (or
// saved) pair with the service and reports what went wrong.
void LoginAction(void* fromSettingsPage, WPARAM keys = 0);

// Stores the state and shows exactly one of the login and logout buttons.
void SetLoggedIn(bool loggedIn);
