// The main window and its upload page: the skinned window with its size,
// position, shape, background and message handlers, the buttons that sit on
// the window itself, and the page with the drop area, progress bar and
// history list. Only creation and wiring; the behaviour is main_commands.
#pragma once

#include <windows.h>

#include <memory>

class SkinnableWindow;

// Fixed geometry of the main window, at 96 DPI.
inline constexpr int kMainWindowWidth = 316;
inline constexpr int kMainWindowMinimumHeight = 188;

// Builds the window into `window` (App().mainWindow points at it), drawn at
// `dpi`, and publishes it for later starts (App().instanceMapping). False
// when a background image is missing; the window object then exists but is
// unusable. The height kept in the settings is at 96 DPI, so the window
// keeps its look at every scale.
bool CreateMainWindow(HINSTANCE instance, std::unique_ptr<SkinnableWindow>& window, int dpi);

// A 96-DPI length of the main window's layout at the window's DPI.
int MainWindowScale(int length);

// The hide, settings, screenshot, window-grab and logo buttons, painted on
// both pages.
void CreateMainButtons(HINSTANCE instance);

// The upload page (App().mainPage) and its widgets.
void CreateMainPage(HINSTANCE instance);
