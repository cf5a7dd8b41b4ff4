// A box that takes the next key combination pressed: drawn like the edit
// box, but a click makes it listen, and the keys are reported rather than
// typed. While it listens it shows the modifiers held so far; Escape alone
// cancels and Backspace alone clears. Modifiers and keys are reported as
// Windows numbers them (MOD_* bits, virtual-key codes).
#pragma once

#include <windows.h>

#include <string>

#include "gui/gui_edit.h"

class GUIKeyField;

enum class KeyFieldEvent {
    kListening,  // a click: the field waits for keys
    kChosen,     // a combination (modifiers, key); answer false to keep listening
    kCleared,    // Backspace alone
    kCancelled,  // Escape alone, or the focus went elsewhere
};

// Called on the window's thread; the answer matters only for kChosen.
using KeyFieldFunction = bool (*)(GUIKeyField* field, KeyFieldEvent event, unsigned modifiers, unsigned key);

class GUIKeyField : public GUIEdit {
public:
    GUIKeyField(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                const std::wstring& text);

    void SetKeyFunction(KeyFieldFunction function) { function_ = function; }
    // Colours (0xRRGGBB) of the box at rest and while it listens.
    void SetColours(int background, int listeningBackground);
    // What it shows while listening before any modifier is down.
    void SetListeningText(const std::wstring& text) { listeningText_ = text; }
    // Names the modifiers held while listening ("Ctrl+Shift+"); the key
    // itself follows.
    void SetModifierNamer(std::wstring (*namer)(unsigned modifiers)) { namer_ = namer; }

    bool IsListening() const { return listening_; }
    // Starts or stops listening from outside (a click does the former).
    void Listen();
    void StopListening(KeyFieldEvent why = KeyFieldEvent::kCancelled);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The MOD_* bits of the modifier keys down now.
    static unsigned ModifiersDown();

private:
    void ShowHeld();
    void KeyPressed(unsigned key);

    KeyFieldFunction function_ = nullptr;
    std::wstring (*namer_)(unsigned) = nullptr;
    std::wstring listeningText_ = L"Press the keys...";
    std::wstring restingText_;
    int background_ = 0xEEEEEE;
    int listeningBackground_ = 0xCCFBF1;
    bool listening_ = false;
};
