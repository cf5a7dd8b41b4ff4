#include "gui/gui_key_field.h"

namespace {

bool IsModifier(unsigned key) {
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_LWIN || key == VK_RWIN ||
           (key >= VK_LSHIFT && key <= VK_RMENU);
}

}  // namespace

GUIKeyField::GUIKeyField(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                         const std::wstring& text)
    : GUIEdit(parentWindow, instance, x, y, width, height, text), restingText_(text) {
    SetBackgroundColour(background_);
}

void GUIKeyField::SetColours(int background, int listeningBackground) {
    background_ = background;
    listeningBackground_ = listeningBackground;
    SetBackgroundColour(listening_ ? listeningBackground_ : background_);
}

unsigned GUIKeyField::ModifiersDown() {
    unsigned modifiers = 0;
    if (GetKeyState(VK_MENU) < 0) modifiers |= MOD_ALT;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= MOD_CONTROL;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= MOD_SHIFT;
    if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) modifiers |= MOD_WIN;
    return modifiers;
}

void GUIKeyField::Listen() {
    if (listening_) return;
    restingText_ = GetText();
    listening_ = true;
    if (Window() && GetFocus() != Window()) SetFocus(Window());
    SetBackgroundColour(listeningBackground_);
    ShowHeld();
    if (function_) function_(this, KeyFieldEvent::kListening, 0, 0);
}

void GUIKeyField::StopListening(KeyFieldEvent why) {
    if (!listening_) return;
    listening_ = false;
    SetBackgroundColour(background_);
    // The owner names the new combination; until then the old one stands.
    SetText(restingText_);
    if (function_) function_(this, why, 0, 0);
}

void GUIKeyField::ShowHeld() {
    const unsigned held = ModifiersDown();
    SetText(held && namer_ ? namer_(held) + L"..." : listeningText_);
}

void GUIKeyField::KeyPressed(unsigned key) {
    const unsigned modifiers = ModifiersDown();
    if (modifiers == 0 && key == VK_ESCAPE) {
        StopListening(KeyFieldEvent::kCancelled);
        return;
    }
    if (modifiers == 0 && key == VK_BACK) {
        listening_ = false;
        SetBackgroundColour(background_);
        if (function_) function_(this, KeyFieldEvent::kCleared, 0, 0);
        return;
    }
    listening_ = false;
    SetBackgroundColour(background_);
    // A combination the owner cannot use leaves the field listening.
    if (function_ && function_(this, KeyFieldEvent::kChosen, modifiers, key)) return;
    listening_ = true;
    SetBackgroundColour(listeningBackground_);
    ShowHeld();
}

LRESULT GUIKeyField::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        Listen();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_SETFOCUS:
        return 0;  // no caret: nothing is typed here
    case WM_KILLFOCUS:
        StopListening(KeyFieldEvent::kCancelled);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!listening_) return message == WM_KEYDOWN ? 0 : DefWindowProcW(window, message, wParam, lParam);
        if (IsModifier(static_cast<unsigned>(wParam))) {
            ShowHeld();
        } else {
            KeyPressed(static_cast<unsigned>(wParam));
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!listening_) return message == WM_KEYUP ? 0 : DefWindowProcW(window, message, wParam, lParam);
        // Windows reports Print Screen by its release only.
        if (wParam == VK_SNAPSHOT) {
            KeyPressed(VK_SNAPSHOT);
        } else if (IsModifier(static_cast<unsigned>(wParam))) {
            ShowHeld();
        }
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
        return 0;
    default:
        return GUIEdit::WindowProc(window, message, wParam, lParam);
    }
}
