// What the login decides without touching the network or a window: the
// password's digest, the verdict on the service's verify reply, and the
// texts the user is shown. Free of Win32.
#pragma once

#include <string>

// The password as the account settings keep it: the SHA-1 digest of its
// one-byte text as 40 lowercase hexadecimal digits. False when a character
// lies above U+00FF or no digest can be made.
bool PasswordDigest(const std::wstring& password, std::string& digest);

enum class VerifyVerdict {
    Authorised,  // "authorised" is true
    Rejected,    // "authorised" is false
    Invalid,     // not a JSON object with a boolean "authorised"
};
VerifyVerdict JudgeVerifyReply(const char* reply);

// The host (with its port, without any user part) of `url`, or empty.
std::string HostOfUrl(const std::string& url);

// The message for a verify request that failed or was not understood, as
// the settings page or the start-up check shows it; `host` names the
// service.
std::wstring ConnectionErrorText(const std::string& host, bool fromSettingsPage);

inline constexpr const wchar_t* kLoginErrorCaption = L"Login Error";
inline constexpr const wchar_t* kMissingCredentialsText = L"Please enter a username and password.";
inline constexpr const wchar_t* kHashingProblemText =
    L"There was a problem hashing the entered password, this may be due to strange characters used.";
// The service takes user names as ISO-8859-1 bytes.
inline constexpr const wchar_t* kUnsupportedUserNameText =
    L"Usernames can only use Western European characters (ISO-8859-1). Please check the supplied username.";
inline constexpr const wchar_t* kRejectedAccountText =
    L"Invalid username/password. Please check the supplied username/password and try again.";
