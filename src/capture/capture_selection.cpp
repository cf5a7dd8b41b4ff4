// The capture routine: from the selection on the overlay to a saved file in
// the hands of the uploader.
#include <windows.h>

#include <vector>

#include "capture/capture_names.h"
#include "capture/capture_prompt.h"
#include "capture/capture_save.h"
#include "capture/capture_session.h"
#include "capture/capture_state.h"
#include "capture/post_capture_command.h"
#include "capture/raw_image.h"
#include "capture/window_grab.h"
#include "base/event_log.h"
#include "base/product.h"
#include "base/scoped_win.h"
#include "base/user_prompt.h"
#include "base/window_task.h"
#include "gui/argb_bitmap.h"
#include "gui/image_library.h"
#include "gui/skinnable_window.h"

namespace {

constexpr wchar_t kNoSelection[] =
    L"No selection detected, if you wish to take a full size screenshot,\n"
    L"hold down the Ctrl key while clicking the upload icon.";
// Windows under the overlay repaint themselves (in their own processes) once
// it is hidden: give them a moment before the screen is read.
constexpr DWORD kUncoverPause = 150;  // ms

void HideMainWindow(const CaptureState& state) {
    HWND main = state.request.mainWindow;
    if (!main) return;
    KeepMainWindowHidden(true);
    PostToWindowThread(main, [main] {
        if (!IsIconic(main)) ShowWindow(main, SW_HIDE);
    });
}

// The hand-off and the failure report run on the main window's thread.
// False when the hand-off can no longer happen (the main window is gone).
bool HandOver(const CaptureState& state, const std::wstring& path, const std::wstring& name) {
    auto* handOff = state.request.onCaptured;
    if (!handOff) return false;
    if (HWND main = state.request.mainWindow) {
        return PostToWindowThread(main, [handOff, path, name] { handOff(path.c_str(), name.c_str()); });
    }
    handOff(path.c_str(), name.c_str());
    return true;
}

void ReportFailure(CaptureState& state, const std::wstring& name, const char* reason) {
    state.ended = true;
    LogEvent("capture end", {{"result", "failed"}, {"name", LogText(name)}, {"reason", reason}});
    auto* report = state.request.onFailed;
    if (!report) return;
    if (HWND main = state.request.mainWindow) {
        PostToWindowThread(main, [report, name] { report(name.c_str()); });
    } else {
        report(name.c_str());
    }
}

// The w x h screen area at `origin` as B, G, R, A bottom row first; false
// when the bitmap could not be made. `transparent` tells whether the alpha
// bytes mean anything.
bool CopyScreen(CaptureState& state, POINT origin, int w, int h, std::vector<std::uint8_t>& raw,
                bool& transparent) {
    transparent = false;
    ScopedMemoryDC memory(CreateCompatibleDC(state.ScreenDC()));
    void* bits = nullptr;
    ScopedBitmap bitmap(memory ? CreateArgbBitmap(state.ScreenDC(), w, h, &bits) : nullptr);
    if (!bitmap || !bits) return false;
    {
        ScopedSelect selected(memory.get(), bitmap.get());
        if (state.request.regionMode && state.frozen) {
            BitBlt(memory.get(), 0, 0, w, h, state.frozenMemory.get(), origin.x - state.overlayRect.left,
                   origin.y - state.overlayRect.top, SRCCOPY);
        } else if (state.request.regionMode) {
            BitBlt(memory.get(), 0, 0, w, h, state.ScreenDC(), origin.x, origin.y, SRCCOPY | CAPTUREBLT);
        } else {
            RaiseTarget(state);
            transparent = CopyTarget(state, memory.get(), static_cast<std::uint8_t*>(bits), origin, w, h);
            PutTargetBack(state);
        }
        GdiFlush();
    }
    raw = BuildRawImage(static_cast<const std::uint8_t*>(bits), w, h);
    return !raw.empty();
}

// Saves the pixels to a new file of this capture's own (the typed name is
// only what the service will receive), runs the post-capture command and
// hands the file over. A file that is never handed over (the program is
// ending) is deleted again.
void SaveAndHandOver(CaptureState& state, const std::vector<std::uint8_t>& raw, bool transparent,
                     const std::wstring& name) {
    const std::wstring path = ReserveCaptureFile(state.request.dataFolder, FormatOfName(name));
    if (path.empty()) {
        ReportFailure(state, name, "no file could be made for it");
        return;
    }
    LockImageLibrary();
    const bool saved = SaveCaptureImage(raw, transparent, path);
    UnlockImageLibrary();
    if (!saved) {
        DeleteFileW(path.c_str());
        ReportFailure(state, name, "the image could not be saved");
        return;
    }
    // The file is complete: the command may take its time without holding
    // up other users of the image library.
    const CommandRun command = RunPostCaptureCommand(path, CaptureCancelEvent());
    if (command == CommandRun::kCancelled || CaptureCancelled() || !HandOver(state, path, name)) {
        DeleteFileW(path.c_str());  // the thread's end logs it as cancelled
        return;
    }
    state.ended = true;
    LogEvent("capture end", {{"result", "saved"}, {"name", LogText(name)}});
}

std::wstring OfferedName(const CaptureState& state) {
    std::wstring title;
    if (!state.request.regionMode && state.targetWindow) {
        wchar_t text[kTitleCharacters + 1] = {};
        GetWindowTextW(state.targetWindow, text, static_cast<int>(kTitleCharacters + 1));
        title = text;
    }
    return DefaultCaptureName(title, state.request.regionMode);
}

}  // namespace

void CaptureSelection(CaptureState& state, bool fullScreen) {
    RegionSelection& s = state.selection;
    if (fullScreen) {
        s.anchor = {0, 0};
        s.current = {GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1};
    }
    const CaptureRect area = s.Rect();
    if (area.Width() <= 1 || area.Height() <= 1) {
        AskUser(state.overlay, kNoSelection, kProductName, MB_ICONERROR);
        return;
    }

    ShowWindow(state.overlay, SW_HIDE);
    if (!state.frozen) Sleep(kUncoverPause);
    const POINT origin{area.left + state.overlayRect.left, area.top + state.overlayRect.top};
    std::vector<std::uint8_t> raw;
    bool transparent = false;
    const bool copied = CopyScreen(state, origin, area.Width(), area.Height(), raw, transparent);
    HideMainWindow(state);

    const std::wstring offered = OfferedName(state);
    if (!copied) {
        // Nothing to name: the pixels could not be held (a picture too
        // large for memory, say).
        ReportFailure(state, offered, "the pixels could not be copied");
        DestroyWindow(state.overlay);
        return;
    }
    CapturePrompt prompt(state.Instance(), kProductName, L"Enter capture filename:", offered);
    prompt.SetValidator(ValidateCaptureFileName);
    SetCaptureFrontWindow(prompt.Window()->MainWindow());
    // Asked to end while the pixels were copied: no prompt.
    const bool named = !CaptureCancelled() && prompt.Run();
    SetCaptureFrontWindow(state.overlay);
    if (named && !CaptureCancelled()) SaveAndHandOver(state, raw, transparent, prompt.GetText());
    DestroyWindow(state.overlay);
}
