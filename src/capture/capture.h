// Region screenshots and window grabs. A capture runs on a thread of its own
// with its own message loop: a dimmed overlay over the whole virtual screen
// on which the user drags, moves and resizes a selection (region mode) or
// points at a window (window-grab mode); then the pixels are copied, named in
// the capture prompt, saved to a file of the capture's own in the data
// folder's "captures", given to the post-capture command and handed to the
// uploader. One capture runs at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The largest overlay picture a capture makes: 4 bytes for every pixel of
// the virtual screen (16384 x 16384 at most).
inline constexpr std::uint64_t kOverlayPictureLimit = 16384ull * 16384ull * 4ull;

struct CaptureRequest {
    // Called on the main window's thread with the capture's own file and
    // the name the user gave it (the name the service receives).
    void (*onCaptured)(const wchar_t* path, const wchar_t* name) = nullptr;
    // Called on the main window's thread with the file name when the capture
    // could not be saved; nothing is handed over then.
    void (*onFailed)(const wchar_t* name) = nullptr;
    // The main window: hidden during a region capture and while the prompt
    // is up, shown again afterwards. Its thread runs the two calls above.
    // Only the handle: the window may go while the capture runs.
    HWND mainWindow = nullptr;
    HINSTANCE instance = nullptr;  // null: this program's
    bool regionMode = true;
    // Region mode: the screen is copied once as the overlay opens and the
    // selection is made on that still picture, so that a menu or tooltip
    // open at that moment is taken even though the overlay's coming closes
    // it (a delayed capture).
    bool freezeScreen = false;
    // The main window was shown until just before (a countdown hid it): it
    // comes back at the end as if it had been shown at the start.
    bool mainWindowWasShown = false;
    std::wstring dataFolder;     // ends with a backslash
    std::wstring helperProgram;  // full path of vlt-helper.exe
    // A virtual screen whose overlay picture would need more bytes is
    // refused with a message.
    std::uint64_t pictureLimit = kOverlayPictureLimit;
};

// Main window's thread: hides the main window for a region capture, starts
// the capture's thread and returns at once. When a capture runs already it
// is brought forward instead (true). False when the thread could not start.
bool StartCapture(const CaptureRequest& request);

// Whether a capture runs (any thread).
bool CaptureRunning();
// Main window's thread: brings the running capture's overlay or prompt to
// the front. False when none runs.
bool BringCaptureForward();
// Main window's thread, before anything the capture uses is torn down:
// ends the running capture as if cancelled (a file it saved and has not
// handed over is deleted) and waits at most `milliseconds` for its thread.
// True when no capture runs any more.
bool StopCapture(DWORD milliseconds);
