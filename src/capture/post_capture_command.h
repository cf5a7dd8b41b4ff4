// The command the user configured (adv_screenshot_cmd) to run on every saved
// capture before it is uploaded.
#pragma once

#include <windows.h>

#include <string>

enum class CommandRun {
    kNotRun,     // none configured, switched off, or it would not start
    kFinished,   // it ran and has ended
    kCancelled,  // `cancel` was signalled while it ran (it is left running)
};

// Runs the command with its arguments (the first "%1" replaced by `path` in
// quotes) when one is configured and RunCommandAfterScreenshot is on, and
// waits for it to end: the upload starts only after the command is done
// with the file. The wait has no time limit (the user's own program may
// take as long as the user wants) but ends when `cancel` (if any) is
// signalled.
CommandRun RunPostCaptureCommand(const std::wstring& path, HANDLE cancel = nullptr);
