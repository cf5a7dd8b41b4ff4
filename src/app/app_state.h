// The shell's application-wide record. It lives for the whole process and is
// written on the main thread unless a field says otherwise. Widget pointers
// are non-owning: the pages and windows own their widgets.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class SkinnableWindow;
class GUIPage;
class GUIButton;
class GUIToggle;
class GUIImage;
class GUIEdit;
class GUIScrollArea;
class GUIDropArea;
class UploadQueue;
class HistoryStore;

struct AppState {
    RECT savedClientRect{};
    NOTIFYICONDATAW trayIcon{};
    SkinnableWindow* mainWindow = nullptr;  // owned; deleted at shutdown
    GUIPage* mainPage = nullptr;
    GUIPage* settingsPage = nullptr;
    GUIButton* hideButton = nullptr;
    GUIButton* logoButton = nullptr;
    GUIButton* settingsButton = nullptr;
    GUIButton* cancelButton = nullptr;
    GUIButton* uploadButton = nullptr;
    GUIButton* screenshotButton = nullptr;
    GUIButton* windowGrabButton = nullptr;
    GUIDropArea* dropArea = nullptr;
    UploadQueue* uploadQueue = nullptr;
    HistoryStore* historyDatabase = nullptr;
    GUIImage* historyHeader = nullptr;
    GUIScrollArea* historyList = nullptr;
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
    std::atomic<bool> loggedIn{false};  // read by the upload worker without a lock
    HANDLE instanceMapping = nullptr;
    // Both UTF-8 and ending in a backslash, so that profile paths outside
    // ASCII still work; files are opened through their wide form.
    std::string dataFolder;
    std::string programFolder;
    HINSTANCE toastInstance = nullptr;
    std::vector<HANDLE> toastThreads;  // guarded by toastThreadsLock
    std::mutex toastThreadsLock;
    std::string* updateReply = nullptr;
};

AppState& App();

// The main window's own handle, or null before it exists; readable from any
// thread (message boxes of the upload worker are owned by it).
HWND MainWindowHandle();
void SetMainWindowHandle(HWND window);
