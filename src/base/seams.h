// The few things tests replace, in one place: how the user is asked or told,
// what the shell opens or starts, what time it is, where the user's
// keyboard settings live and how the monitors are scaled. Null members mean the real thing.
// Tests swap the whole record with ScopedSeams; the program never changes it.
#pragma once

#include <windows.h>

#include <cstdint>

struct Seams {
    // Answers a message box (MessageBoxW's arguments and result).
    int (*askUser)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = nullptr;
    // Opens a document or address with the shell's "open" verb; true when
    // the shell accepted it.
    bool (*shellOpen)(const wchar_t* target) = nullptr;
    // Seconds since 1970 (UTC).
    std::int64_t (*unixTime)() = nullptr;
    // Milliseconds of a clock that only goes forward (countdowns).
    std::uint64_t (*steadyMillis)() = nullptr;
    // The local wall-clock time.
    SYSTEMTIME (*localTime)() = nullptr;
    // Starts a program with parameters in a working directory; true when the
    // shell accepted it.
    bool (*startProgram)(const wchar_t* program, const wchar_t* parameters, const wchar_t* directory) = nullptr;
    // Starts a region capture (true) or a window grab (false) for the
    // screenshot commands; true when it started. `frozen`: on a still
    // picture of the screen (after a countdown).
    bool (*startCapture)(bool regionMode, bool frozen) = nullptr;
    // Tells the user something in passing, without waiting for an answer
    // (the tray balloon).
    void (*notify)(HWND window, const wchar_t* title, const wchar_t* text) = nullptr;
    // Where the keyboard settings of the current user are read and written
    // ("Control Panel\Keyboard" under HKEY_CURRENT_USER).
    const wchar_t* keyboardSettingsKey = nullptr;
    // The DPI of the monitor holding most of `screenArea` (physical pixels of
    // the virtual screen): a desk of monitors at different scalings.
    int (*monitorDpi)(const RECT& screenArea) = nullptr;
};

// The record in force.
const Seams& CurrentSeams();

// Puts `replacement` in force for its lifetime, then restores the previous
// record. Tests only; not thread-safe against callers of CurrentSeams.
class ScopedSeams {
public:
    explicit ScopedSeams(const Seams& replacement);
    ~ScopedSeams();
    ScopedSeams(const ScopedSeams&) = delete;
    ScopedSeams& operator=(const ScopedSeams&) = delete;

private:
    Seams previous_;
};
