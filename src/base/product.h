// The product's names and numbers, defined once.
#pragma once

// Window titles, message-box captions and the tray tip.
inline constexpr const wchar_t* kProductName = L"vantorel liftorn";
// The version the program reports and compares with the latest one, and
// the same as shown in the credits and sent in the user agent
// ("vantorel liftorn v1.2.5i"). Defined in product_version.cpp, which the
// build generates from the VERSION file.
extern const char kProductVersion[];
extern const wchar_t kProductVersionWide[];
extern const char kUserAgent[];
extern const wchar_t kUserAgentWide[];

// The application identity on Windows 7 and later, and the ProgID that opens
// Internet-shortcut files with the program.
inline constexpr const wchar_t* kAppUserModelId = L"Korvane.vantorel-liftorn";

// Named kernel objects of the running instance.
inline constexpr const wchar_t* kInstanceMutexName = L"vantorel_liftorn";
inline constexpr const wchar_t* kInstanceMappingName = L"vantorel.liftorn";

// Registered window messages that cross subsystems.
inline constexpr const wchar_t* kUpdateJumpListMessageName = L"vlt.UpdateJumpList";
