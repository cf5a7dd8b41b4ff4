// The seconds before a delayed capture. A small window beside the
// notification area counts them down; it never takes the focus (a menu or a
// tooltip the user opens meanwhile stays open) and a click on it does not
// activate it. Escape anywhere, or a click on it, cancels. When the time is
// up the window goes and the capture starts. One countdown at a time, on the
// main window's thread; the clock is the steady one of base/clock.h.
#pragma once

#include <windows.h>

constexpr int kCountdownShortestSeconds = 1;
constexpr int kCountdownLongestSeconds = 30;

struct CountdownRequest {
    HINSTANCE instance = nullptr;  // null: this program's
    // The end is posted to this window's thread (the main window): the
    // countdown's own window is taken down from outside its own messages.
    HWND owner = nullptr;
    int seconds = 3;  // kept within the bounds above
    // Called on the owner's thread once the countdown's window is off the
    // screen: the time is up, or the user cancelled.
    void (*onElapsed)() = nullptr;
    void (*onCancelled)() = nullptr;
};

// False (nothing started) while a countdown runs, without an owner, or when
// its window could not be made.
bool StartCountdown(const CountdownRequest& request);
bool CountdownRunning();
// Puts the countdown's window above the others again, without activating it.
void BringCountdownForward();
// Ends the countdown without a capture (shutdown). Not from inside the
// countdown's own window messages.
void CancelCountdown();

// The countdown's window (null when none runs) and the number it shows.
HWND CountdownWindow();
int CountdownSecondsShown();
