// Where this program sends its traffic by default. Every host is under the
// reserved ".example" domain, so no real third party ever receives a request
// unless the user points the advanced settings somewhere else. The built-in
// addresses use https; an address the user sets to plain http is honoured.
#pragma once

// The hosting service: scheme and host, no path, no trailing slash.
inline constexpr const wchar_t* kServiceBaseUrl = L"https://files.vantorel.example";
inline constexpr const char* kServiceHostName = "files.vantorel.example";

// The product web site: latest version, statistics, bug reports.
inline constexpr const char* kProductSiteUrl = "https://www.vantorel.example";
inline constexpr const wchar_t* kLatestVersionUrl = L"https://www.vantorel.example/latest_version";
// The program's home page and its licence, linked from the settings page.
inline constexpr const char* kHomePageUrl = "https://www.vantorel.example/liftorn";
inline constexpr const char* kLicenceUrl = "https://www.vantorel.example/liftorn/licence";

// The three link shorteners: the setting value that names each, and its base URL.
inline constexpr const wchar_t* kFirstShortenerName = L"shortly";
inline constexpr const char* kFirstShortenerBaseUrl = "https://shortly.example";
inline constexpr const wchar_t* kTinyUrlShortenerName = L"tinyurl";
inline constexpr const char* kTinyUrlShortenerBaseUrl = "https://tinyurl.example";
inline constexpr const wchar_t* kThirdShortenerName = L"snipit";
inline constexpr const char* kThirdShortenerBaseUrl = "https://snipit.example";
