#include "updater/updater_window.h"

#include <commctrl.h>

#include <cstdio>

#include "base/display_scale.h"
#include "base/monitor_dpi.h"
#include "base/system_library.h"
#include "base/window_task.h"
#include "updater/update_messages.h"

namespace {

constexpr const wchar_t* kWindowClass = L"VLT_Updater";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kProgressRange = 1000;

// At 96 DPI.
constexpr int kClientWidth = 380;
constexpr int kClientHeight = 104;
constexpr int kMargin = 16;
constexpr int kInner = kClientWidth - 2 * kMargin;
constexpr LayoutBox kStatusBox{kMargin, 14, kInner, 20};
constexpr LayoutBox kProgressBox{kMargin, 42, kInner, 18};
constexpr LayoutBox kAmountBox{kMargin, 68, kInner, 20};

// The frame around a client area at `dpi` (the call that takes a DPI is
// Windows 10's; before it the frame is the system's).
RECT FrameAround(int clientWidth, int clientHeight, int dpi) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = LibraryFunction<AdjustForDpi>(User32(), "AdjustWindowRectExForDpi");
    RECT frame{0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&frame, kStyle, FALSE, 0, UINT(dpi))) AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    return frame;
}

// The system's message font at `dpi`.
HFONT MessageFont(int dpi) {
    using MetricsForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto metricsForDpi = LibraryFunction<MetricsForDpi>(User32(), "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (metricsForDpi && metricsForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, UINT(dpi))) {
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
    metrics.lfMessageFont.lfHeight = ConvertLength(metrics.lfMessageFont.lfHeight, SystemDpi(), dpi);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

void Place(HWND child, const LayoutBox& box, int dpi) {
    const LayoutBox scaled = ScaleBox(box, dpi);
    SetWindowPos(child, nullptr, scaled.x, scaled.y, scaled.width, scaled.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring Megabytes(std::uint64_t bytes) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

HWND MakeChild(HWND parent, const wchar_t* className, DWORD style) {
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

bool UpdaterWindow::Create(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &UpdaterWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    // Centred on the primary monitor, at its scale.
    const POINT centre{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    const int dpi = DpiOfPoint(centre);
    const RECT frame = FrameAround(ScaleLength(kClientWidth, dpi), ScaleLength(kClientHeight, dpi), dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    window_ = CreateWindowExW(0, kWindowClass, kUpdaterCaption, kStyle, centre.x - width / 2, centre.y - height / 2,
                              width, height, nullptr, nullptr, instance, this);
    if (!window_) return false;

    status_ = MakeChild(window_, L"STATIC", SS_LEFT | SS_NOPREFIX);
    progress_ = MakeChild(window_, PROGRESS_CLASSW, 0);
    amount_ = MakeChild(window_, L"STATIC", SS_RIGHT | SS_NOPREFIX);
    if (!status_ || !progress_ || !amount_) {
        DestroyWindow(window_);  // the caller goes on without a window
        window_ = nullptr;
        // The quit that the destruction posted would end the next message box.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return false;
    }
    LayOut(dpi);
    SendMessageW(progress_, PBM_SETRANGE32, 0, kProgressRange);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    return true;
}

void UpdaterWindow::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void UpdaterWindow::StageReached(UpdateStage stage, const std::string& offeredVersion) {
    const std::wstring text = StageText(stage, offeredVersion);
    PostToWindowThread(window_, [this, stage, text] { ShowStage(stage, text); });
}

bool UpdaterWindow::DownloadProgress(std::uint64_t received, std::uint64_t total) {
    const int permille = total ? static_cast<int>(received * kProgressRange / total) : 0;
    if (postedPermille_.exchange(permille) != permille) {
        PostToWindowThread(window_, [this, received, total] { ShowProgress(received, total); });
    }
    return !cancelRequested_.load();
}

void UpdaterWindow::Finish() {
    PostToWindowThread(window_, [this] { DestroyWindow(window_); });
}

void UpdaterWindow::LayOut(int dpi) {
    dpi_ = dpi;
    Place(status_, kStatusBox, dpi);
    Place(progress_, kProgressBox, dpi);
    Place(amount_, kAmountBox, dpi);
    // The labels let go of the old font before it is deleted.
    HFONT font = MessageFont(dpi);
    for (HWND label : {status_, amount_}) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    font_.reset(font);
}

void UpdaterWindow::ShowStage(UpdateStage stage, const std::wstring& text) {
    SetWindowTextW(status_, text.c_str());
    cancellable_ = stage == UpdateStage::Checking || stage == UpdateStage::Downloading;
    // Checking the download and installing have no measure: the bar runs.
    const bool measured = stage == UpdateStage::Downloading;
    const LONG_PTR style = GetWindowLongPtrW(progress_, GWL_STYLE);
    SetWindowLongPtrW(progress_, GWL_STYLE, measured ? style & ~PBS_MARQUEE : style | PBS_MARQUEE);
    SendMessageW(progress_, PBM_SETMARQUEE, measured ? FALSE : TRUE, 30);
    if (!measured) SetWindowTextW(amount_, L"");
    EnableMenuItem(GetSystemMenu(window_, FALSE), SC_CLOSE, MF_BYCOMMAND | (cancellable_ ? MF_ENABLED : MF_GRAYED));
}

void UpdaterWindow::ShowProgress(std::uint64_t received, std::uint64_t total) {
    const int position = total ? static_cast<int>(received * kProgressRange / total) : 0;
    SendMessageW(progress_, PBM_SETPOS, position, 0);
    const std::wstring amount = Megabytes(received) + L" of " + Megabytes(total);
    SetWindowTextW(amount_, amount.c_str());
}

LRESULT CALLBACK UpdaterWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<UpdaterWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<UpdaterWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT UpdaterWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WindowTaskMessage()) {
        RunPostedTask(window_, wParam, lParam);
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
            // Closing asks the download to stop; the worker ends the window.
            if (cancellable_) {
                cancelRequested_ = true;
                SetWindowTextW(status_, L"Stopping\x2026");
            }
            return 0;
        case WM_DPICHANGED: {
            // Onto a monitor of another scale: the system's rectangle for it,
            // then everything inside at the new scale.
            RECT suggested{};
            if (SuggestedRectOf(lParam, &suggested)) {
                SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                             suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            LayOut(UsableDpi(LOWORD(wParam)));
            return 0;
        }
        case WM_DESTROY:
            DiscardPostedTasks(window_);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}
