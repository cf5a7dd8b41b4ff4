#include "updater/updater_window.h"

#include <commctrl.h>

#include <cstdio>

#include "base/window_task.h"
#include "updater/update_messages.h"

namespace {

constexpr const wchar_t* kWindowClass = L"VLT_Updater";
constexpr int kClientWidth = 380;
constexpr int kClientHeight = 104;
constexpr int kMargin = 16;
constexpr int kProgressRange = 1000;

std::wstring Megabytes(std::uint64_t bytes) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

HWND MakeChild(HWND parent, const wchar_t* className, DWORD style, int x, int y, int width, int height,
               HFONT font) {
    HWND child = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
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

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = CreateWindowExW(0, kWindowClass, kUpdaterCaption, style, x, y, width, height, nullptr, nullptr,
                              instance, this);
    if (!window_) return false;

    const int inner = kClientWidth - 2 * kMargin;
    status_ = MakeChild(window_, L"STATIC", SS_LEFT | SS_NOPREFIX, kMargin, 14, inner, 20, font_.get());
    progress_ = MakeChild(window_, PROGRESS_CLASSW, 0, kMargin, 42, inner, 18, nullptr);
    amount_ = MakeChild(window_, L"STATIC", SS_RIGHT | SS_NOPREFIX, kMargin, 68, inner, 20, font_.get());
    if (!status_ || !progress_ || !amount_) {
        DestroyWindow(window_);  // the caller goes on without a window
        window_ = nullptr;
        // The quit that the destruction posted would end the next message box.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return false;
    }
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
        case WM_DESTROY:
            DiscardPostedTasks(window_);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}
