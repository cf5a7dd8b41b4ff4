// Region screenshots and window grabs. A capture runs on a thread of its own
// with its own message loop: a dimmed overlay over the whole virtual screen
// on which the user drags, moves and resizes a selection (region mode) or
// points at a window (window-grab mode); then the pixels are copied, named in
// the capture prompt, saved in the data folder, given to the post-capture
// command and handed to the uploader.
#pragma once

#include <windows.h>

#include <string>

class SkinnableWindow;

struct CaptureRequest {
    // Called on the main window's thread with the saved file's full path.
    void (*onCaptured)(const wchar_t* path) = nullptr;
    // Called on the main window's thread with the file name when the capture
    // could not be saved; nothing is handed over then.
    void (*onFailed)(const wchar_t* name) = nullptr;
    // The main window: hidden during a region capture and while the prompt
    // is up, shown again afterwards. Its thread runs the two calls above.
    SkinnableWindow* mainWindow = nullptr;
    bool regionMode = true;
    std::wstring dataFolder;     // ends with a backslash
    std::wstring helperProgram;  // full path of vlt-helper.exe
};

// Main window's thread: hides the main window for a region capture, starts
// the capture's thread and returns at once. False when the thread could not
// start.
bool StartCapture(const CaptureRequest& request);
