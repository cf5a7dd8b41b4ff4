// The command the user configured (adv_screenshot_cmd) to run on every saved
// capture before it is uploaded.
#pragma once

#include <string>

// Runs the command with its arguments (the first "%1" replaced by `path`)
// when one is configured and RunCommandAfterScreenshot is on, and waits for
// it to end: the upload starts only after the command is done with the
// file. False when nothing ran.
bool RunPostCaptureCommand(const std::wstring& path);
