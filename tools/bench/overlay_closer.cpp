// Ends the running capture's overlay as Escape would, and waits until it is
// gone: tools/bench-hotkeys.sh measures how fast an overlay comes, and the
// keyboard of the virtual display does not reach the overlay itself.
#include <windows.h>

int main() {
    HWND overlay = FindWindowW(L"SnippingWindow", nullptr);
    if (!overlay) return 1;
    PostMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 500 && IsWindow(overlay); ++i) Sleep(10);
    return IsWindow(overlay) ? 2 : 0;
}
