// What the main window does: its message handlers, the tray and upload menu
// commands, hiding and quitting, the hand-off of chosen or dropped files to
// the upload queue, and the upload display (drop area state, cancel button,
// progress bar, taskbar progress and tray icon). Main thread only.
#pragma once

#include <windows.h>

#include <cstdio>

// Progress timer on the main window while an upload is shown.
inline constexpr UINT_PTR kProgressTimer = 42;
inline constexpr UINT kProgressInterval = 50;  // ms

// The tray icon's callback message.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 2;

// Progress bar slices on the upload page.
inline constexpr int kProgressX = 105;
inline constexpr int kProgressCentreX = 110;
inline constexpr int kProgressY = 73;

// Message handlers of the main window (WindowMessageHandler).
bool OnMouseWheel(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnMove(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnKeyDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnDropFiles(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnCopyData(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnProgressTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool OnClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// WM_ENDSESSION: the session ends (wParam TRUE): the settings are saved now.
bool OnEndSession(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The registered "TaskbarCreated": adds the tray icon again where it is shown.
bool OnTaskbarCreated(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
UINT TaskbarCreatedMessage();
// WM_CONTEXTMENU of the upload button: shows the upload menu, not handled.
bool OnUploadButtonContextMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* result);

// Places the history list for a main window `height` pixels high: hidden
// when the window is short, below the search's box while that is open.
inline constexpr int kSmallestHistoryList = 30;
void LayOutHistory(int height);

// Hide button and Escape: minimise (Windows 7 and later) or hide while the
// tray icon / taskbar button setting is on, otherwise quit.
void HideOrQuit(void* userData = nullptr, WPARAM keys = 0);
// Asks first while uploads run or wait; then ends the message loop.
void QuitWithConfirmation();
// Click function of the upload button.
void ShowUploadMenu(void* userData = nullptr, WPARAM keys = 0);
// The first screenshot explains how it is taken, once ever.
void ExplainScreenshotsOnce();
// Screenshot button (user data 1) posts 302, window-grab button 303.
void OnCaptureButton(void* userData, WPARAM keys);
// Click function of the cancel button; the user data is the upload queue.
void CancelUploadButton(void* userData, WPARAM keys);

// Hand-offs to the upload queue; each switches the drop area to uploading.
// Paths dropped together (between OnDropBatch(true) and OnDropBatch(false),
// the drop area's batch function) are queued together, as are the files
// chosen in one dialog: all or, when the queue is full, none (with a
// message).
void OnDropBatch(bool starting);
void EnqueueDroppedFile(const wchar_t* path, FILE* stream);
void EnqueueDroppedFolder(const wchar_t* path);
// A capture's own file, sent under the name the user gave it.
void EnqueueCapturedFile(const wchar_t* path, const wchar_t* name);
// What the open-file dialog returned: one path, or (when `fileOffset` lies
// past the first string) a folder followed by names, ended by an empty one.
void EnqueueChosenFiles(const wchar_t* buffer, WORD fileOffset);

// Drop area fade hooks: the start may redirect the fade, the end drives the
// queue, progress display and tray icon.
void OnDropTransition(int* currentState, int* targetState);
void OnDropStateChanged(int oldState, int newState);

// Switches a resting drop area to uploading, which releases the queue once
// the fade has ended.
void ShowUploadStarting();

// Sizes the progress bar for `percent` (-1 counts as 0).
void ShowProgress(int percent);

// The menus, loaded from `instance`; the caller destroys the returned menu
// and tracks its first popup. The tray menu is adjusted to the window's
// visibility.
HMENU LoadUploadMenu(HINSTANCE instance);
HMENU LoadTrayMenu(HINSTANCE instance, bool windowVisible);
