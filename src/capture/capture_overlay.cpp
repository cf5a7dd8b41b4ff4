// The capture thread: the overlay window, its message loop and its window
// procedure in both modes, and the redraw of its picture.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "base/event_log.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/system_library.h"
#include "base/thread_name.h"
#include "base/user_prompt.h"
#include "base/window_registry.h"
#include "base/window_task.h"
#include "capture/capture.h"
#include "capture/capture_session.h"
#include "capture/capture_state.h"
#include "capture/grab_outline.h"
#include "capture/window_grab.h"
#include "gui/argb_bitmap.h"
#include "gui/image_library.h"
#include "gui/window_class.h"

namespace {

constexpr wchar_t kOverlayClass[] = L"SnippingWindow";
constexpr DWORD kOverlayExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

// Overlay window -> its capture. Captures may run on several threads.
WindowRegistry<CaptureState> captures;

CaptureState* Find(HWND overlay) {
    return captures.Find(overlay);
}

CapturePoint PointOf(LPARAM lParam) {
    return CapturePoint{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Pushes the picture; with `dirty` only that part needs copying.
void Push(CaptureState& state, const RECT* dirty) {
    POINT destination{state.overlayRect.left, state.overlayRect.top};
    SIZE size{state.Width(), state.Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    using UpdateIndirect = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
    static const auto updateIndirect = LibraryFunction<UpdateIndirect>(User32(), "UpdateLayeredWindowIndirect");
    if (dirty && updateIndirect) {
        UPDATELAYEREDWINDOWINFO info{};
        info.cbSize = sizeof info;
        info.hdcDst = state.ScreenDC();
        info.pptDst = &destination;
        info.psize = &size;
        info.hdcSrc = state.MemoryDC();
        info.pptSrc = &origin;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        info.prcDirty = dirty;
        if (updateIndirect(state.overlay, &info)) return;
    }
    UpdateLayeredWindow(state.overlay, state.ScreenDC(), &destination, &size, state.MemoryDC(), &origin, 0,
                        &blend, ULW_ALPHA);
}

HCURSOR CursorFor(const CaptureState& state, PointerShape shape) {
    switch (shape) {
        case PointerShape::kMove:
            return state.moveCursor;
        case PointerShape::kNwSe:
            return state.nwseCursor;
        case PointerShape::kNeSw:
            return state.neswCursor;
        case PointerShape::kCross:
            break;
    }
    return state.crossCursor;
}

CapturePoint ClientPointer(const CaptureState& state) {
    POINT pointer{};
    GetCursorPos(&pointer);
    return CapturePoint{pointer.x - state.overlayRect.left, pointer.y - state.overlayRect.top};
}

// The pointer's shape at `pointer`, with the corner bands of its monitor
// (as a press there will take it).
PointerShape ShapeUnder(const CaptureState& state, CapturePoint pointer) {
    return ShapeAt(state.selection, pointer, state.widgets ? state.widgets->CornerSizeAt(pointer) : kCornerSize);
}

// Region mode's mouse and keys; true when handled, with `result` set.
bool RegionInput(CaptureState& state, UINT message, WPARAM, LPARAM lParam) {
    OverlayCanvas canvas = state.Canvas();
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(CursorFor(state, ShapeUnder(state, ClientPointer(state))));
            return true;
        case WM_LBUTTONDOWN: {
            if (PressOnOverlay(canvas, state.selection, PointOf(lParam), state.widgets.get(), &state.dirty)) {
                RedrawSelection(state);
            }
            // Moves and resizes follow the pointer past the overlay's edges.
            SetCapture(state.overlay);
            return true;
        }
        case WM_MOUSEMOVE:
            if (PointerMovedTo(state.selection, PointOf(lParam), state.Width(), state.Height())) {
                RedrawSelection(state);
            }
            return true;
        case WM_LBUTTONUP: {
            // The drag ends where the button came up: the moves on the way
            // may have been merged or not yet reported when it did.
            bool redraw = PointerMovedTo(state.selection, PointOf(lParam), state.Width(), state.Height());
            if (GetCapture() == state.overlay) ReleaseCapture();
            if (Release(state.selection)) redraw = true;
            if (redraw) RedrawSelection(state);
            SetCursor(CursorFor(state, ShapeUnder(state, PointOf(lParam))));
            return true;
        }
        default:
            return false;
    }
}

// Window-grab mode: the window under the pointer is outlined; a click grabs it.
bool PickInput(CaptureState& state, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(state.arrowCursor);
            return true;
        case WM_NCHITTEST:
            result = state.hitTestTransparent ? HTTRANSPARENT : HTCLIENT;
            return true;
        case WM_MOUSEMOVE: {
            const CapturePoint client = PointOf(lParam);
            const POINT screen{client.x + state.overlayRect.left, client.y + state.overlayRect.top};
            state.hitTestTransparent = true;
            HWND found = PickableWindowAt(screen);
            state.hitTestTransparent = false;
            if (!found || found == state.targetWindow) return true;
            state.targetWindow = found;
            state.transparentGrab = WantsTransparentGrab(found);
            RECT rect{};
            GetWindowRect(found, &rect);
            const GrabOutline outline = OutlineForWindow(
                CaptureRect{rect.left, rect.top, rect.right, rect.bottom},
                CapturePoint{state.overlayRect.left, state.overlayRect.top}, state.transparentGrab);
            state.selection.anchor = outline.anchor;
            state.selection.current = outline.current;
            state.border = outline.border;
            RedrawSelection(state);
            return true;
        }
        case WM_LBUTTONDOWN:
            CaptureSelection(state, false);
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CaptureState* state = Find(window);
    if (!state) {
        if (message == WM_ERASEBKGND) return 1;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (state->request.regionMode ? RegionInput(*state, message, wParam, lParam)
                                  : PickInput(*state, message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_CONTROL)
                state->ctrlHeld = true;
            else if (wParam == VK_RETURN)
                CaptureSelection(*state, state->ctrlHeld);
            else if (wParam == VK_ESCAPE)
                DestroyWindow(window);
            return 0;
        case WM_KEYUP:
            if (wParam == VK_CONTROL) state->ctrlHeld = false;
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        case WM_CREATE:
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void RegisterOverlayClass(HINSTANCE instance) {
    static std::once_flag once;
    std::call_once(once, [instance] {
        InitImageLibrary();
        RegisterWindowClassOnce(instance, kOverlayClass, OverlayProc, 0, IDC_CROSS);
    });
}

bool CreatePicture(CaptureState& state) {
    // Bounded before anything is allocated: a picture of the whole virtual
    // screen, 4 bytes a pixel.
    const std::uint64_t bytes = static_cast<std::uint64_t>(state.Width()) * state.Height() * 4;
    if (state.Width() <= 0 || state.Height() <= 0 || bytes > state.request.pictureLimit) {
        state.pictureTooLarge = true;
        return false;
    }
    state.screen.emplace(nullptr);
    state.memory.reset(CreateCompatibleDC(state.ScreenDC()));
    void* bits = nullptr;
    state.bitmap.reset(CreateArgbBitmap(state.ScreenDC(), state.Width(), state.Height(), &bits));
    if (!state.memory || !state.bitmap || !bits) {
        state.pictureTooLarge = true;  // the system would not give us the memory
        return false;
    }
    state.selected.emplace(state.MemoryDC(), state.bitmap.get());
    state.pixels = static_cast<std::uint32_t*>(bits);
    if (state.request.freezeScreen && state.request.regionMode) {
        // The screen as it is now, before the overlay covers it.
        void* still = nullptr;
        state.frozenMemory.reset(CreateCompatibleDC(state.ScreenDC()));
        state.frozenBitmap.reset(CreateArgbBitmap(state.ScreenDC(), state.Width(), state.Height(), &still));
        if (!state.frozenMemory || !state.frozenBitmap || !still) {
            state.pictureTooLarge = true;
            return false;
        }
        state.frozenSelected.emplace(state.frozenMemory.get(), state.frozenBitmap.get());
        BitBlt(state.frozenMemory.get(), 0, 0, state.Width(), state.Height(), state.ScreenDC(),
               state.overlayRect.left, state.overlayRect.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        state.frozen = static_cast<const std::uint32_t*>(still);
    }
    return true;
}

void FreePicture(CaptureState& state) {
    state.frozenSelected.reset();
    state.frozen = nullptr;
    state.frozenBitmap.reset();
    state.frozenMemory.reset();
    // The bitmap leaves its device context before either goes.
    state.selected.reset();
    state.pixels = nullptr;
    state.bitmap.reset();
    state.memory.reset();
    state.screen.reset();
}

// Says why a capture could not even start, rather than letting the screen
// flicker for nothing.
void ReportOverlayFailure(const CaptureState& state) {
    std::wstring text = L"vantorel liftorn could not cover the screen to take a capture.";
    if (state.pictureTooLarge) {
        text = L"vantorel liftorn cannot capture a screen this large (" + std::to_wstring(state.Width()) +
               L" x " + std::to_wstring(state.Height()) + L" pixels over all monitors).";
    }
    AskUser(nullptr, text.c_str(), kProductName, MB_ICONERROR);
}

void RunCapture(CaptureState& state) {
    if (OpenOverlay(state)) {
        SetCaptureFrontWindow(state.overlay);
        // Asked to end before the overlay stood: it goes at once.
        if (CaptureCancelled()) DestroyWindow(state.overlay);
        MSG message;
        while (IsWindow(state.overlay) && GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            // However the overlay went (Escape, the end of a capture inside
            // a nested loop), the capture is over.
            if (!IsWindow(state.overlay)) break;
        }
    } else if (!CaptureCancelled()) {
        ReportOverlayFailure(state);
    }
    SetCaptureFrontWindow(nullptr);
    CloseOverlay(state);

    HWND main = state.request.mainWindow;
    if (state.restoreMainWindow && main) {
        PostToWindowThread(main, [main] {
            if (IsIconic(main)) return;
            ShowWindow(main, SW_SHOW);
            SetForegroundWindow(main);
            SetActiveWindow(main);
        });
    }
}

DWORD WINAPI CaptureThread(void* parameter) {
    {
        std::unique_ptr<CaptureState> state(static_cast<CaptureState*>(parameter));
        NameThisThread("capture");
        LogEvent("capture start", {{"mode", state->request.regionMode ? "region" : "window"}});
        RunCapture(*state);
        if (!state->ended) LogEvent("capture end", {{"result", "cancelled"}});
    }
    EndCaptureSession();
    return 0;
}

}  // namespace

bool OpenOverlay(CaptureState& state) {
    HINSTANCE instance = state.Instance();
    RegisterOverlayClass(instance);
    state.moveCursor = LoadCursorW(nullptr, IDC_SIZEALL);
    state.crossCursor = LoadCursorW(nullptr, IDC_CROSS);
    state.nwseCursor = LoadCursorW(nullptr, IDC_SIZENWSE);
    state.neswCursor = LoadCursorW(nullptr, IDC_SIZENESW);
    state.arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    state.overlayRect = RECT{left, top, left + width, top + height};

    // The picture first: a screen too large for it gets no window at all.
    if (!CreatePicture(state)) return false;
    state.overlay = CreateWindowExW(kOverlayExStyle, kOverlayClass, kOverlayClass, WS_POPUP | WS_VISIBLE,
                                    left, top, width, height, nullptr, nullptr, instance, nullptr);
    if (!state.overlay) return false;
    captures.Add(state.overlay, &state);
    if (state.request.regionMode) {
        state.widgets =
            std::make_unique<OverlayWidgets>(state.overlay, instance, state.MemoryDC(), POINT{left, top});
    }
    OverlayCanvas canvas = state.Canvas();
    RenderOverlay(canvas, CaptureRect{}, state.border, nullptr);
    if (state.widgets) state.widgets->PaintButton(canvas);
    Push(state, nullptr);
    ShowWindow(state.overlay, SW_SHOW);
    SetForegroundWindow(state.overlay);
    SetFocus(state.overlay);
    return true;
}

void CloseOverlay(CaptureState& state) {
    captures.Remove(state.overlay);
    state.widgets.reset();
    FreePicture(state);
    if (state.overlay && IsWindow(state.overlay)) DestroyWindow(state.overlay);
}

void MarkDirty(CaptureState& state, const CaptureRect& area) {
    if (!area.Empty()) state.dirty.push_back(area);
}

void RedrawSelection(CaptureState& state) {
    // One thread draws: a redraw asked for inside a running one (only a
    // nested message loop could) is left to the one running, which would
    // otherwise wait for itself.
    if (!state.pixels || !state.MemoryDC() || state.redrawBusy) return;
    state.redrawBusy = true;
    OverlayCanvas canvas = state.Canvas();
    RedrawRegion(canvas, state.selection, state.border, state.widgets.get(), &state.dirty);
    // Pushing dominates a move, and every push costs about as much again
    // (under Wine at least): one push of the rectangle around what changed.
    CaptureRect changed;
    for (const CaptureRect& area : state.dirty) {
        changed =
            changed.Empty()
                ? area
                : CaptureRect{std::min(changed.left, area.left), std::min(changed.top, area.top),
                              std::max(changed.right, area.right), std::max(changed.bottom, area.bottom)};
    }
    changed = IntersectRect(changed, canvas.Bounds());
    const RECT part{changed.left, changed.top, changed.right, changed.bottom};
    if (!changed.Empty() || state.pushWholePicture) Push(state, state.pushWholePicture ? nullptr : &part);
    state.dirty.clear();
    state.redrawBusy = false;
}

bool StartCapture(const CaptureRequest& request) {
    HWND main = request.mainWindow;
    const bool hideMain = main && request.regionMode && !IsIconic(main);
    if (!BeginCaptureSession(main, hideMain)) {
        // One capture at a time: a second request shows the one running.
        BringCaptureForward();
        return true;
    }
    auto* state = new CaptureState;
    state->request = request;
    if (main) {
        state->restoreMainWindow = IsWindowVisible(main) != FALSE || request.mainWindowWasShown;
        if (hideMain) ShowWindow(main, SW_HIDE);
    }
    // Nobody waits for a capture but the end of the program (StopCapture).
    HANDLE thread = CreateThread(nullptr, 0, CaptureThread, state, 0, nullptr);
    SetCaptureSessionThread(thread);
    if (!thread) {
        delete state;
        if (hideMain) ShowWindow(main, SW_SHOW);
        return false;
    }
    return true;
}
