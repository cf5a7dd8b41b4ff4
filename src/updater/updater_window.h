// The updater's small window: what it is doing and a progress bar for the
// download. Plain Win32 controls, owned by the thread that creates it; the
// update's worker thread reaches it only through posted tasks.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "base/display_scale.h"
#include "base/scoped_win.h"
#include "updater/update_run.h"

class UpdaterWindow : public UpdateObserver {
public:
    bool Create(HINSTANCE instance);
    // Runs the window's messages until Finish has closed it.
    void RunMessageLoop();
    HWND Handle() const { return window_; }
    // The DPI it is laid out for: its monitor's when it opened, then the
    // one each move to another monitor brings.
    int Dpi() const { return dpi_; }

    // From the worker thread.
    void StageReached(UpdateStage stage, const std::string& offeredVersion) override;
    bool DownloadProgress(std::uint64_t received, std::uint64_t total) override;
    // The run is over: the window closes and the loop ends.
    void Finish();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Places the parts and sets the font for `dpi`.
    void LayOut(int dpi);
    void ShowStage(UpdateStage stage, const std::wstring& text);
    void ShowProgress(std::uint64_t received, std::uint64_t total);

    HWND window_ = nullptr;
    HWND status_ = nullptr;
    HWND progress_ = nullptr;
    HWND amount_ = nullptr;
    int dpi_ = kBaseDpi;
    ScopedGdiObject<HFONT> font_;
    // Closing the window stops a download; once installing, it waits.
    std::atomic<bool> cancelRequested_{false};
    bool cancellable_ = true;
    // The last progress posted, in thousandths, so that a fast download does
    // not flood the window with tasks.
    std::atomic<int> postedPermille_{-1};
};
