#include "capture/capture_countdown.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/monitor_dpi.h"
#include "base/window_task.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;  // brings the number up to date
constexpr UINT kTickInterval = 100;  // ms
// Once the window is hidden, the screen gets a moment to lose it before the
// capture copies the screen.
constexpr UINT_PTR kLeaveTimer = 2;
constexpr UINT kLeaveInterval = 150;  // ms
constexpr int kEscapeHotkey = 0xB0E5;  // an application's hot-key id
constexpr UINT kNoRepeat = 0x4000;     // MOD_NOREPEAT: Windows 7 and later

// The background picture: a card with a soft shadow around it.
constexpr int kWidth = 220, kHeight = 80;
constexpr int kMarginTop = 8, kMarginRight = 10, kMarginBottom = 10, kMarginLeft = 10;
constexpr int kEdgeGap = 6;  // from the work area's corner

struct Countdown {
    CountdownRequest request;
    std::unique_ptr<SkinnableWindow> window;
    GUIText* number = nullptr;
    std::uint64_t deadline = 0;
    int shown = 0;
    bool escapeHeld = false;
    bool leaving = false;
};

std::unique_ptr<Countdown>& Current() {
    static std::unique_ptr<Countdown> countdown;
    return countdown;
}

int SecondsLeft(const Countdown& countdown) {
    const std::uint64_t now = SteadyMillisNow();
    if (now >= countdown.deadline) return 0;
    return static_cast<int>((countdown.deadline - now + 999) / 1000);
}

void ShowSeconds(Countdown& countdown, int seconds) {
    if (countdown.shown == seconds) return;
    countdown.shown = seconds;
    countdown.number->SetText(std::to_wstring(seconds));
    countdown.number->Invalidate();
}

// The window and everything of the countdown go on the owner's thread;
// `capture` then starts the capture.
void Finish(bool capture) {
    PostToWindowThread(Current()->request.owner, [capture] {
        std::unique_ptr<Countdown>& current = Current();
        if (!current) return;
        void (*then)() = capture ? current->request.onElapsed : current->request.onCancelled;
        current.reset();
        if (then) then();
    });
}

// Off the screen at once; the rest follows from outside the window's own
// messages.
void Leave(Countdown& countdown, bool capture) {
    if (countdown.leaving) return;
    countdown.leaving = true;
    HWND window = countdown.window->MainWindow();
    KillTimer(window, kTickTimer);
    if (countdown.escapeHeld) UnregisterHotKey(window, kEscapeHotkey);
    countdown.escapeHeld = false;
    countdown.window->Show(SW_HIDE);
    if (capture) {
        SetTimer(window, kLeaveTimer, kLeaveInterval, nullptr);
    } else {
        Finish(false);
    }
}

Countdown* Running(HWND window) {
    Countdown* countdown = Current().get();
    return countdown && countdown->window->MainWindow() == window ? countdown : nullptr;
}

bool OnTimer(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    Countdown* countdown = Running(window);
    if (!countdown || (wParam != kTickTimer && wParam != kLeaveTimer)) return false;
    *result = 0;
    if (wParam == kLeaveTimer) {
        KillTimer(window, kLeaveTimer);
        Finish(true);
        return true;
    }
    const int left = SecondsLeft(*countdown);
    if (left <= 0) {
        Leave(*countdown, true);
    } else {
        ShowSeconds(*countdown, left);
    }
    return true;
}

bool OnHotkey(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    Countdown* countdown = Running(window);
    if (!countdown || wParam != kEscapeHotkey) return false;
    *result = 0;
    Leave(*countdown, false);
    return true;
}

bool OnClick(HWND window, UINT, WPARAM, LPARAM, LRESULT* result) {
    Countdown* countdown = Running(window);
    if (!countdown) return false;
    *result = 0;
    Leave(*countdown, false);
    return true;
}

// The whole card takes the click (no dragging), and a click never
// activates it.
bool OnHitTest(HWND window, UINT, WPARAM, LPARAM, LRESULT* result) {
    if (!Running(window)) return false;
    *result = HTCLIENT;
    return true;
}

bool OnMouseActivate(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = MA_NOACTIVATE;
    return true;
}

// Sized to its text unless given a width (and height); place and size at
// 96 DPI.
GUIText* AddText(SkinnableWindow& window, int x, int y, const std::wstring& text, std::uint32_t colour,
                 const FontSpec* font = nullptr, SIZE size = {0, 0}) {
    auto widget = std::make_unique<GUIText>(window.MainWindow(), window.Instance(), window.Scale(x), window.Scale(y),
                                            window.Scale(size.cx), window.Scale(size.cy), text);
    widget->SetColour(colour);
    if (font) widget->SetFont({*font, {L"Calibri", font->pixelSize, font->weight}});
    return window.AddPainter(std::move(widget));
}

// Escape while the countdown runs, wherever the keyboard is; without
// MOD_NOREPEAT where Windows refuses it.
bool HoldEscape(HWND window) {
    return RegisterHotKey(window, kEscapeHotkey, kNoRepeat, VK_ESCAPE) ||
           RegisterHotKey(window, kEscapeHotkey, 0, VK_ESCAPE);
}

}  // namespace

bool StartCountdown(const CountdownRequest& request) {
    if (Current() || !request.owner || !IsWindow(request.owner)) return false;
    auto countdown = std::make_unique<Countdown>();
    countdown->request = request;
    countdown->request.seconds = std::clamp(request.seconds, kCountdownShortestSeconds, kCountdownLongestSeconds);
    HINSTANCE instance = request.instance ? request.instance : GetModuleHandleW(nullptr);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    // Drawn at the scale of the monitor whose corner it sits in.
    const int dpi = DpiOfArea(area);
    const int width = ScaleLength(kWidth, dpi), height = ScaleLength(kHeight, dpi);
    countdown->window = std::make_unique<SkinnableWindow>(instance, width, height, 1, L"countdown", 0,
                                                          WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, dpi);
    SkinnableWindow& window = *countdown->window;
    HWND handle = window.MainWindow();
    if (!handle || !window.AddBackgroundTile(SkinPath("COUNTDOWN_BG"), 0, 0)) return false;
    window.ResizeTo(width, height, true);
    const int gap = window.Scale(kEdgeGap);
    window.MoveTo(area.right - width - gap, area.bottom - height - gap);
    window.SetMargins(kMarginTop, kMarginRight, kMarginBottom, kMarginLeft, true);
    window.SetCornerSize(4, 4);
    window.SetTopmost(true);

    AddText(window, 24, 20, L"Screenshot in", 0xEEEEEE);
    AddText(window, 24, 40, L"Esc or a click cancels", 0xA5A5A5);
    const FontSpec big{L"Myriad Pro", 34, 700};
    // A box of its own size, so "10" becoming "9" leaves nothing behind.
    countdown->number = AddText(window, 160, 14, L"", 0x5EEAD4, &big, SIZE{50, 44});
    countdown->number->SetAlignment(GUIText::kAlignCentre);

    window.SetMessageHandler(WM_TIMER, OnTimer);
    window.SetMessageHandler(WM_HOTKEY, OnHotkey);
    window.SetMessageHandler(WM_LBUTTONDOWN, OnClick);
    window.SetMessageHandler(WM_RBUTTONDOWN, OnClick);
    window.SetMessageHandler(WM_NCHITTEST, OnHitTest);
    window.SetMessageHandler(WM_MOUSEACTIVATE, OnMouseActivate);

    countdown->deadline = SteadyMillisNow() + static_cast<std::uint64_t>(countdown->request.seconds) * 1000;
    ShowSeconds(*countdown, countdown->request.seconds);
    countdown->escapeHeld = HoldEscape(handle);
    SetTimer(handle, kTickTimer, kTickInterval, nullptr);
    window.Show(SW_SHOWNA);
    window.Relayout(nullptr);
    Current() = std::move(countdown);
    return true;
}

bool CountdownRunning() { return Current() != nullptr; }

void BringCountdownForward() {
    Countdown* countdown = Current().get();
    if (countdown && !countdown->leaving) countdown->window->SetTopmost(true);
}

void CancelCountdown() {
    std::unique_ptr<Countdown>& current = Current();
    if (!current) return;
    if (current->escapeHeld) UnregisterHotKey(current->window->MainWindow(), kEscapeHotkey);
    current.reset();
}

HWND CountdownWindow() {
    Countdown* countdown = Current().get();
    return countdown && !countdown->leaving ? countdown->window->MainWindow() : nullptr;
}

int CountdownSecondsShown() {
    Countdown* countdown = Current().get();
    return countdown ? countdown->shown : 0;
}
