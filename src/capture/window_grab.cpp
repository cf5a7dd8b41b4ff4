#include "capture/window_grab.h"

#include <cstdint>
#include <optional>

#include "base/windows_version.h"
#include "base/scoped_win.h"
#include "capture/backdrop_window.h"
#include "capture/capture_state.h"
#include "capture/grab_outline.h"
#include "capture/two_copy_alpha.h"
#include "config/settings_store.h"
#include "gui/argb_bitmap.h"
#include "gui/dwm_api.h"

namespace {

constexpr DWORD kCopyRop = SRCCOPY | CAPTUREBLT;
// Other processes repaint what a raise or a backdrop uncovered on their own
// time: give them a moment before the screen is read.
constexpr DWORD kRepaintPause = 150;  // ms
// Positioning the target is asked of its own thread and never waited for
// beyond this: a program that does not answer is copied where it stands.
constexpr UINT kTargetAnswerLimit = 1000;  // ms
constexpr UINT kPlaceAsync = SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS;

// Whether the target's thread answers within the limit; once it has, the
// requests it was sent before are done too.
bool Answers(HWND target) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTargetAnswerLimit,
                               &ignored) != 0;
}

bool IsTopmost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool IsDesktop(HWND window) {
    if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    return lstrcmpiW(className, L"ProgMan") == 0;
}

// One more picture of the capture's size, for a copy over one backdrop.
struct ScreenCopy {
    ScopedMemoryDC dc;
    ScopedBitmap bitmap;
    std::optional<ScopedSelect> selected;
    std::uint8_t* bits = nullptr;
    ScreenCopy(HDC screen, int w, int h) : dc(CreateCompatibleDC(screen)) {
        void* pixels = nullptr;
        bitmap.reset(dc ? CreateArgbBitmap(screen, w, h, &pixels) : nullptr);
        if (bitmap && pixels) {
            selected.emplace(dc.get(), bitmap.get());
            bits = static_cast<std::uint8_t*>(pixels);
        }
    }
    bool Ok() const { return bits != nullptr; }
};

}  // namespace

HWND PickableWindowAt(POINT screen) {
    HWND window = WindowFromPoint(screen);
    while (window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) window = GetParent(window);
    if (!window || IsDesktop(window)) return nullptr;
    return window;
}

bool WantsTransparentGrab(HWND window) {
    const bool vista = WindowsVersion() >= 6.0;
    const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(window, GWL_STYLE));
    if (!GrabMayKeepTransparency(vista, Settings().GetBool(L"EnableTransparentWindowGrab"), style,
                                 IsZoomed(window) != FALSE)) {
        return false;
    }
    const DwmApi* dwm = Dwm();
    BOOL composing = FALSE;
    return dwm && dwm->isCompositionEnabled && SUCCEEDED(dwm->isCompositionEnabled(&composing)) && composing;
}

void RaiseTarget(CaptureState& state) {
    HWND target = state.targetWindow;
    state.restoreTopmost = !IsTopmost(target);
    state.targetHung = !Answers(target);
    if (state.targetHung) {
        // Raising or activating it would wait for it, maybe for good.
        state.restoreTopmost = false;
        return;
    }
    // Asked of the target's thread, then waited for (bounded).
    const bool asked = SetWindowPos(target, HWND_TOPMOST, 0, 0, 0, 0, kPlaceAsync) != FALSE;
    if (asked && Answers(target) && IsTopmost(target)) {
        const DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
        const DWORD self = GetCurrentThreadId();
        const bool attached = targetThread != self && AttachThreadInput(self, targetThread, TRUE);
        // Activation waits for the target's thread: only for one that has
        // just answered.
        if (Answers(target)) SetActiveWindow(target);
        if (attached) AttachThreadInput(self, targetThread, FALSE);
    } else if (StartHelper(state.request.helperProgram, state.helper)) {
        RaiseWithHelper(state.helper, target);
        state.restoreTopmost = state.helper.raised;
    } else {
        // No helper either: the window is copied where it stands.
        state.restoreTopmost = false;
    }
    Sleep(kRepaintPause);
}

void PutTargetBack(CaptureState& state) {
    if (!state.restoreTopmost) return;
    if (state.helper.window) {
        UndoWithHelper(state.helper, state.targetWindow);
    } else {
        SetWindowPos(state.targetWindow, HWND_NOTOPMOST, 0, 0, 0, 0, kPlaceAsync | SWP_NOACTIVATE);
    }
}

bool CopyTarget(CaptureState& state, HDC resultDC, std::uint8_t* result, POINT origin, int w, int h) {
    std::shared_ptr<BackdropWindow> backdrop;
    // A target that does not answer would keep the backdrop from standing.
    if (Settings().GetBool(L"EnableTransparentWindowGrab") && !state.targetHung) {
        backdrop = BackdropWindow::Open(state.targetWindow, state.Instance(), kGrabShadowMargin);
    }
    if (!backdrop) {
        BitBlt(resultDC, 0, 0, w, h, state.ScreenDC(), origin.x, origin.y, kCopyRop);
        return false;
    }
    ScreenCopy black(state.ScreenDC(), w, h), white(state.ScreenDC(), w, h);
    bool copied = black.Ok() && white.Ok() && backdrop->SetBlack();
    if (copied) {
        Sleep(kRepaintPause);
        copied = BitBlt(black.dc.get(), 0, 0, w, h, state.ScreenDC(), origin.x, origin.y, kCopyRop) &&
                 backdrop->SetWhite();
    }
    if (copied) {
        Sleep(kRepaintPause);
        copied = BitBlt(white.dc.get(), 0, 0, w, h, state.ScreenDC(), origin.x, origin.y, kCopyRop);
    }
    backdrop->Close();
    backdrop.reset();
    if (!copied) {
        // The backdrop failed half way: the plain copy, without transparency.
        BitBlt(resultDC, 0, 0, w, h, state.ScreenDC(), origin.x, origin.y, kCopyRop);
        return false;
    }
    GdiFlush();
    return RecoverAlpha(black.bits, white.bits, result, static_cast<std::size_t>(w) * h);
}
