// The shell's application-wide record. It lives for the whole process and is
// written on the main thread unless a field says otherwise. Every pointer in
// it is non-owning: the pages and windows own their widgets, and start-up
// (RunLiftorn) owns the main window, the upload queue and the history store
// for exactly the life of the message loop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>

class SkinnableWindow;
class GUIPage;
class GUIButton;
class GUIToggle;
class GUIImage;
class GUIEdit;
class GUIScrollArea;
class GUIDropArea;
class GUIText;
class UploadQueue;
class HistoryStore;
class HistorySearch;

struct AppState {
    // The upload page's size while the settings show, and the DPI it is at.
    RECT savedClientRect{};
    int savedClientDpi = 96;
    NOTIFYICONDATAW trayIcon{};
    SkinnableWindow* mainWindow = nullptr;
    GUIPage* mainPage = nullptr;
    GUIPage* settingsPage = nullptr;
    GUIPage* hotkeyPage = nullptr;  // keyboard shortcuts, reached from the settings page
    GUIButton* hideButton = nullptr;
    GUIButton* logoButton = nullptr;
    GUIButton* settingsButton = nullptr;
    GUIButton* cancelButton = nullptr;
    GUIButton* uploadButton = nullptr;
    GUIButton* screenshotButton = nullptr;
    GUIButton* windowGrabButton = nullptr;
    GUIDropArea* dropArea = nullptr;
    GUIText* uploadCountText = nullptr;  // how many uploads wait or failed
    UploadQueue* uploadQueue = nullptr;
    HistoryStore* historyDatabase = nullptr;
    GUIImage* historyHeader = nullptr;
    GUIScrollArea* historyList = nullptr;
    HistorySearch* historySearch = nullptr;
    GUIImage* progressLeft = nullptr;
    GUIImage* progressCenter = nullptr;
    GUIImage* progressRight = nullptr;
    GUIEdit* usernameEdit = nullptr;
    GUIEdit* passwordEdit = nullptr;
    GUIButton* loginButton = nullptr;
    GUIButton* logoutButton = nullptr;
    GUIToggle* alwaysOnTopToggle = nullptr;
    GUIToggle* autocopyToggle = nullptr;
    GUIToggle* hideButtonToggle = nullptr;
    GUIToggle* toastToggle = nullptr;
    GUIToggle* trayToggle = nullptr;
    GUIToggle* proxyToggle = nullptr;
    GUIToggle* transparencyToggle = nullptr;
    bool settingsShown = false;
    std::atomic<bool> loggedIn{false};  // also read by the upload worker
    HANDLE instanceMapping = nullptr;
    // Both UTF-8 and ending in a backslash, so that profile paths outside
    // ASCII still work; files are opened through their wide form.
    std::string dataFolder;
    std::string programFolder;
    HINSTANCE toastInstance = nullptr;
};

AppState& App();
