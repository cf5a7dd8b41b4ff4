// One capture's record, owned by its thread: the overlay and its picture,
// the selection, and what window-grab mode needs. Only the capture's own
// files use it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/scoped_win.h"
#include "capture/backdrop_window.h"
#include "capture/capture.h"
#include "capture/helper_client.h"
#include "capture/overlay_canvas.h"
#include "capture/overlay_widgets.h"
#include "capture/region_selection.h"

struct CaptureState {
    CaptureRequest request;
    RegionSelection selection;
    bool redrawBusy = false;
    bool hitTestTransparent = false;  // pick mode: the overlay lets hit-testing through
    bool ctrlHeld = false;
    bool restoreMainWindow = false;
    bool ended = false;  // its end (saved, failed) is in the log

    // Window-grab mode.
    HWND targetWindow = nullptr;
    bool transparentGrab = false;
    bool restoreTopmost = true;
    bool targetHung = false;  // its thread did not answer: copied where it stands
    HelperSession helper;

    // The overlay and its picture.
    HWND overlay = nullptr;
    RECT overlayRect{};
    std::optional<ScopedWindowDC> screen;
    ScopedMemoryDC memory;
    ScopedBitmap bitmap;
    std::optional<ScopedSelect> selected;  // the bitmap in `memory`
    std::uint32_t* pixels = nullptr;
    // The still screen of a frozen capture, in the picture's layout: what
    // the overlay shows and what the selection is copied from.
    ScopedMemoryDC frozenMemory;
    ScopedBitmap frozenBitmap;
    std::optional<ScopedSelect> frozenSelected;
    const std::uint32_t* frozen = nullptr;
    std::uint32_t border = kRegionBorder;
    std::unique_ptr<OverlayWidgets> widgets;  // region mode only
    // What changed since the picture was last pushed, in overlay coordinates.
    std::vector<CaptureRect> dirty;
    // Push the whole picture on every redraw (the benchmark compares).
    bool pushWholePicture = false;

    HCURSOR moveCursor = nullptr, crossCursor = nullptr;
    HCURSOR nwseCursor = nullptr, neswCursor = nullptr, arrowCursor = nullptr;

    // The picture would be larger than the request allows.
    bool pictureTooLarge = false;

    HINSTANCE Instance() const { return request.instance ? request.instance : GetModuleHandleW(nullptr); }
    HDC ScreenDC() const { return screen ? screen->get() : nullptr; }
    HDC MemoryDC() const { return memory.get(); }
    int Width() const { return overlayRect.right - overlayRect.left; }
    int Height() const { return overlayRect.bottom - overlayRect.top; }
    OverlayCanvas Canvas() { return OverlayCanvas{pixels, Width(), Height(), frozen}; }
};

// Creates the overlay over the whole virtual screen, its picture and, in
// region mode, the corner images and the upload button, and shows it. The
// calling thread then runs the overlay's messages. False when any of it
// failed (CloseOverlay still cleans up).
bool OpenOverlay(CaptureState& state);
// Takes the overlay and everything OpenOverlay made down again.
void CloseOverlay(CaptureState& state);

// Brings the overlay picture up to date with the selection (only what
// changed) and pushes it to the screen.
void RedrawSelection(CaptureState& state);
// Notes a changed area of the picture for the next push.
void MarkDirty(CaptureState& state, const CaptureRect& area);

// The capture routine: copies the selection (or, with `fullScreen`, the
// whole virtual screen), asks for the name, saves, runs the post-capture
// command and hands the file over; then ends the capture. A selection one
// pixel wide or high only shows the no-selection message.
void CaptureSelection(CaptureState& state, bool fullScreen);
