#include "support/real_input.h"

#include "support/process.h"

namespace {

void Settle() {
    PumpUntil([] { return false; }, 40);
}

void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        // Absolute coordinates run from 0 to 65535 over the primary screen.
        input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(1, &input, sizeof input);
    Settle();
}

bool PointerAt(int x, int y) {
    POINT at{};
    return GetCursorPos(&at) && at.x == x && at.y == y;
}

// Wine moves the X pointer for each move we send, and the program whose
// window is under it reports that move back as its own input when it gets
// round to it. Under load the echo of an earlier step can come after a later
// step and put the pointer back there, so a press or release sent then lands
// on the old spot. Waits until that window's thread has caught up.
bool WindowUnderCaughtUp(int x, int y) {
    HWND under = WindowFromPoint(POINT{x, y});
    DWORD_PTR ignored = 0;
    if (under) SendMessageTimeoutW(under, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
    Settle();
    return PointerAt(x, y);
}

}  // namespace

void MouseTo(int x, int y) {
    const DWORD start = GetTickCount();
    do {
        SendMouse(MOUSEEVENTF_MOVE, x, y);
        // Under load the display may still report an older position for a
        // moment; a press sent then would land there.
        if (PumpUntil([x, y] { return PointerAt(x, y); }, 5000) && WindowUnderCaughtUp(x, y)) return;
    } while (GetTickCount() - start < 5000);
}
void MouseDown() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
}
void MouseUp() {
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void Drag(POINT from, POINT to, int steps) {
    MouseTo(from.x, from.y);
    MouseDown();
    for (int step = 1; step <= steps; ++step) {
        MouseTo(from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps);
    }
    MouseUp();
}

void ClickAt(int x, int y) {
    MouseTo(x, y);
    MouseDown();
    MouseUp();
}

void Key(WORD virtualKey, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    Settle();
}

void Press(WORD virtualKey) {
    Key(virtualKey, true);
    Key(virtualKey, false);
}

void TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT input[2] = {};
        for (INPUT& i : input) {
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = c;
            i.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof input[0]);
        Settle();
    }
}
