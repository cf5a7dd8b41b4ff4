// The toolkit showcase's window content: the main window's background,
// buttons and upload panel, then one of each widget below it. Shared by the
// showcase program and the paint benchmark so both draw the same picture.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class SkinnableWindow;
class GUIObject;
class GUIPage;
class GUIDropArea;
class GUIImage;
class GUIButton;
class GUIScrollArea;

constexpr int kShowcaseWidth = 316;
constexpr int kShowcaseHeight = 530;

enum class ShowcaseState { kNormal, kUploading, kError };

struct Showcase {
    std::unique_ptr<SkinnableWindow> window;  // owns the page and every widget on it
    GUIPage* page = nullptr;
    GUIDropArea* dropArea = nullptr;
    GUIButton* cancelButton = nullptr;
    GUIImage* progressLeft = nullptr;
    GUIImage* progressCenter = nullptr;
    GUIImage* progressRight = nullptr;
    GUIScrollArea* list = nullptr;
    // The list shows these but does not own them.
    std::vector<std::unique_ptr<GUIObject>> listItems;

    ~Showcase();
};

// Points the skin catalogue at the folder holding `skinFolder` (a Windows
// path of a folder named "skin"); an empty path means the "skin" folder
// beside the executable. False when a skin file is missing.
bool LoadShowcaseSkin(const std::wstring& skinFolder);

// Makes the window with everything on it, in `state`, hidden at (x, y).
// Null when the background does not load.
std::unique_ptr<Showcase> BuildShowcase(HINSTANCE instance, ShowcaseState state, int x, int y);

// Sets the upload bar to `percent` and moves its right cap.
void SetShowcaseProgress(Showcase& showcase, int percent);

// The rectangle the progress bar can cover (its full length), in window
// coordinates.
RECT ShowcaseProgressRect();
