// The updater's two transfers: the manifest text and the installer file.
// Both go through the program's HTTP transport (its proxy setting, user
// agent, protocols and time limits), with size limits of their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// The installer may be large on a slow line: beyond the transport's rule
// for a dead line, the whole download may take this long.
inline constexpr long kDownloadTimeLimitSeconds = 3600;

// The manifest's bytes, or false when the transfer fails (HTTP errors
// included) or the reply passes kManifestLimitBytes.
bool FetchManifestText(const std::string& address, std::string& text);

enum class DownloadResult { Complete, Failed, TooLong, Cancelled };

// Receives bytes so far and the expected total; answers false to cancel.
using DownloadProgress = std::function<bool(std::uint64_t received, std::uint64_t total)>;

// Writes what `address` answers into `file` (open for writing, empty). More
// than `expectedSize` bytes end the transfer as TooLong; fewer are left for
// the caller's size check.
DownloadResult DownloadInstaller(const std::string& address, std::uint64_t expectedSize, HANDLE file,
                                 const DownloadProgress& progress);
