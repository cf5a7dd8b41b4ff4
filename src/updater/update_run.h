// One update from start to end, run on a worker thread: fetch and check the
// manifest, download and check the installer, wait for the program to end,
// install silently, confirm the new version. Any failure leaves the program
// folder as it was and deletes what was downloaded.
#pragma once

#include <cstdint>
#include <string>

#include "updater/release_version.h"
#include "updater/update_messages.h"

enum class UpdateStage { Checking, Downloading, Verifying, WaitingForProgram, Installing };

// How the run reports to the window. Called on the worker thread.
class UpdateObserver {
public:
    virtual ~UpdateObserver() = default;
    virtual void StageReached(UpdateStage stage, const std::string& offeredVersion) = 0;
    // Answers false when the user wants to stop the download.
    virtual bool DownloadProgress(std::uint64_t received, std::uint64_t total) = 0;
};

struct UpdateRequest {
    std::wstring programFolder;    // ends in a backslash
    std::string manifestAddress;
    ReleaseVersion installed{};
    const unsigned char* publicKey = nullptr;  // 32 bytes
};

struct UpdateOutcome {
    UpdateFailure failure = UpdateFailure::None;
    std::string offeredVersion;  // empty until a signed manifest was read
};

// How long the updater waits for the program to close (the installer's
// limit is in update_install.h).
inline constexpr unsigned long kProgramEndMillis = 60 * 1000;

UpdateOutcome RunUpdate(const UpdateRequest& request, UpdateObserver& observer);

// The window's line for each stage.
std::wstring StageText(UpdateStage stage, const std::string& offeredVersion);
