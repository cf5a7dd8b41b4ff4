#include "shell/toast_window.h"

#include "base/monitor_dpi.h"
#include "gui/gui_image.h"
#include "gui/gui_text.h"
#include "gui/skin_catalogue.h"
#include "gui/skinnable_window.h"
#include "shell/toast_geometry.h"

namespace {

ToastStack& Stack() {
    static ToastStack stack;
    return stack;
}

ToastArea WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return ToastArea{area.left, area.top, area.right, area.bottom};
}

UINT_PTR TimerId(int id) { return static_cast<UINT_PTR>(static_cast<INT_PTR>(id)); }

bool PointerInside(HWND window) {
    POINT pointer{};
    RECT bounds{};
    if (!GetCursorPos(&pointer) || !GetWindowRect(window, &bounds)) return false;
    return PtInRect(&bounds, pointer) != FALSE;
}

// The whole toast takes the pointer: no dragging, no click-through.
bool ClientHitTest(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    *result = HTCLIENT;
    return true;
}

void SetCopyFont(GUIButton* button) {
    if (button->SetLabelFont({{L"Myriad Pro", 10, 400}})) {
        button->SetLabelSpacing(1);
        return;
    }
    button->SetLabelFont({{L"Calibri", 10, 400}, {L"Lucida Sans Unicode", 9, 400}});
}

void AddWidgets(ToastRequest* request) {
    SkinnableWindow* window = request->window.get();
    HWND parent = window->MainWindow();
    HINSTANCE instance = window->Instance();
    // The toast's boxes at 96 DPI, at the window's.
    const auto box = [window](int x, int y, int width, int height) {
        return ScaleBox(LayoutBox{x, y, width, height}, window->Dpi());
    };
    const LayoutBox icon = box(28, 18, 72, 66);
    request->icon = window->AddPainter(std::make_unique<GUIImage>(
        parent, instance, icon.x, icon.y, icon.width, icon.height,
        SkinPath(request->success ? "TOAST_SUCCESS" : "TOAST_FAILURE")));

    const LayoutBox name = box(107, 32, 165, 16);
    request->nameText = window->AddPainter(
        std::make_unique<GUIText>(parent, instance, name.x, name.y, name.width, name.height, request->name));
    request->nameText->SetColour(0xA5A5A5);

    const LayoutBox status = box(107, 47, 165, 16);
    request->statusText = window->AddPainter(std::make_unique<GUIText>(
        parent, instance, status.x, status.y, status.width, status.height,
        request->success ? L"has successfully uploaded" : L"has not successfully uploaded"));
    request->statusText->SetColour(0xF5F5F5);

    if (!request->hasUrl) return;
    const LayoutBox copy = box(224, 68, 0, 0);
    request->copyButton = window->AddPainter(
        std::make_unique<GUIButton>(parent, instance, copy.x, copy.y, 0, 0, L"Copy URL", 0xE0E0E0, 0xFFFFFF));
    request->copyButton->SetClickFunction(request->copyAction);
    // The request outlives the window, so the text stays where the button
    // points.
    request->copyButton->SetUserData(const_cast<wchar_t*>(request->url.c_str()));
    SetCopyFont(request->copyButton);
}

}  // namespace

int ToastCount() { return Stack().Count(); }

bool ToastTimerHandler(HWND window, UINT, WPARAM wParam, LPARAM, LRESULT* result) {
    SkinnableWindow* toast = FindSkinnableWindow(window);
    const int timerId = static_cast<int>(static_cast<INT_PTR>(wParam));
    if (!toast || (timerId != kToastSlideOutTimer && timerId != kToastHoldTimer)) return false;
    RECT client{};
    GetClientRect(window, &client);
    const ToastTick tick = ToastSlideTick(timerId, client.right, PointerInside(window), toast->Dpi());
    if (tick.stopTimer) KillTimer(window, TimerId(tick.stopTimer));
    if (tick.blur >= 0) toast->EnableBlur(tick.blur == 1);
    if (tick.startTimer) SetTimer(window, TimerId(tick.startTimer), tick.startInterval, nullptr);
    if (tick.quit) PostQuitMessage(0);
    if (tick.resize) {
        // Grow or shrink leftwards: the right edge stays on the screen's edge.
        const int height = client.bottom;
        toast->ResizeTo(tick.width, height, true);
        toast->MoveTo(ToastLeftForWidth(WorkArea(), tick.width), toast->GetPosition().y);
        toast->ResizeTo(tick.width, height, false);
    }
    *result = 0;
    return true;
}

bool BuildToast(ToastRequest* request) {
    request->place = Stack().Push();
    const ToastArea area = WorkArea();
    // Drawn at the scale of the monitor it slides out on.
    const int dpi = DpiOfArea(RECT{area.left, area.top, area.right, area.bottom});
    const int height = ToastHeight(request->place, dpi);
    request->window = std::make_unique<SkinnableWindow>(request->instance, 1, height, 1, L"toast", 0,
                                                        WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, dpi);
    SkinnableWindow* window = request->window.get();
    if (!window->MainWindow()) return false;
    // A new top-level window may be widened to the minimum tracking size;
    // the toast has to start one pixel wide at the edge.
    window->ResizeTo(1, height, true);
    const ToastPoint start = ToastStartPosition(area, request->place, dpi);
    window->MoveTo(start.x, start.y);
    window->AddBackgroundTile(SkinPath("TOAST_BG"), window->Scale(kToastBackgroundWidth), height);
    window->SetTopmost(true);
    window->SetMargins(17, 10, ToastBottomMargin(request->place), 39, true);
    window->SetCornerSize(4, 4);

    window->SetMessageHandler(WM_NCHITTEST, ClientHitTest);
    window->SetMessageHandler(WM_TIMER, ToastTimerHandler);
    SetTimer(window->MainWindow(), TimerId(kToastSlideOutTimer), kToastSlideInterval, nullptr);
    AddWidgets(request);
    return true;
}

void TearDownToast(ToastRequest* request) {
    if (request->place) Stack().Pop(request->place);
    request->place = 0;
    request->copyButton = nullptr;
    request->icon = nullptr;
    request->nameText = nullptr;
    request->statusText = nullptr;
    request->window.reset();  // with its widgets
}
