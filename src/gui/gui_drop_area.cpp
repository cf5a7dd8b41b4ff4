#include "gui/gui_drop_area.h"

#include <shellapi.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "gui/image_library.h"

GUIDropArea::GUIDropArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width,
                         int height, const wchar_t* normalPath, const wchar_t* uploadingPath,
                         const wchar_t* errorPath)
    : GUIObject(instance, parentWindow) {
    Place(x, y, width, height);
    window_ = CreateInputWindow(x, y, width, height, true);
    if (window_) {
        DragAcceptFiles(window_, TRUE);
        ScopedWindowDC windowDc(window_);
        dc_.reset(CreateCompatibleDC(windowDc.get()));
    }
    InitImageLibrary();
    if (normalPath) normalPath_ = normalPath;
    if (uploadingPath) uploadingPath_ = uploadingPath;
    if (errorPath) errorPath_ = errorPath;
    LoadPictures(WindowDpi());
}

void GUIDropArea::LoadPictures(int dpi) {
    const int shown = current_ ? StateOf(current_) : kDropNormal, fading = next_ ? StateOf(next_) : -1;
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
    oldBitmap_ = nullptr;
    auto load = [dpi](const std::wstring& path, ScopedBitmap& owned) {
        if (path.empty()) {
            owned.reset();
        } else {
            LoadImageBitmap(path.c_str(), owned.put(), nullptr, nullptr, dpi);
        }
    };
    load(normalPath_, normalOwned_);
    load(uploadingPath_, uploadingOwned_);
    load(errorPath_, errorOwned_);
    normal_ = normalOwned_.get();
    uploading_ = uploadingPath_.empty() ? normal_ : uploadingOwned_.get();
    error_ = errorPath_.empty() ? normal_ : errorOwned_.get();
    current_ = BitmapFor(shown);
    next_ = fading < 0 ? nullptr : BitmapFor(fading);
    loadedDpi_ = dpi;
}

GUIDropArea::~GUIDropArea() {
    if (window_ && IsWindow(window_)) {
        KillTimer(window_, kFadeTimer);
        KillTimer(window_, kErrorTimer);
    }
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

HBITMAP GUIDropArea::BitmapFor(int state) const {
    switch (state) {
    case kDropNormal:
        return normal_;
    case kDropUploading:
        return uploading_;
    case kDropError:
        return error_;
    default:
        return nullptr;
    }
}

int GUIDropArea::StateOf(HBITMAP bitmap) const {
    // Uploading first: with no picture of its own it is the normal one.
    if (bitmap == uploading_) return kDropUploading;
    if (bitmap == error_) return kDropError;
    return kDropNormal;
}

void GUIDropArea::SetState(int state) {
    // Without its window there are no timers to fade with.
    if (!window_ || state < kDropNormal || state > kDropError) return;
    HBITMAP bitmap = BitmapFor(state);
    if (bitmap == current_) {
        // Back to what is shown: drop a running fade entirely, so that the
        // next one starts from the beginning (and asks the start hook).
        if (next_) {
            next_ = nullptr;
            alpha_ = 0;
            KillTimer(window_, kFadeTimer);
            Invalidate();
        }
        return;
    }
    next_ = bitmap;
    Invalidate();
    SetTimer(window_, kFadeTimer, kFadeInterval, nullptr);
    if (state == kDropError) SetTimer(window_, kErrorTimer, kErrorDisplayTime, nullptr);
}

void GUIDropArea::FadeTick() {
    if (alpha_ == 0 && next_ && fadeStartHook_) {
        int from = StateOf(current_);
        int to = StateOf(next_);
        fadeStartHook_(&from, &to);
        if (HBITMAP bitmap = BitmapFor(to)) next_ = bitmap;
        if (HBITMAP bitmap = BitmapFor(from)) current_ = bitmap;
    }
    if (!next_) {
        KillTimer(window_, kFadeTimer);
        return;
    }
    alpha_ = std::min(alpha_ + kFadeStep, 255);
    if (alpha_ == 255) {
        KillTimer(window_, kFadeTimer);
        const int from = StateOf(current_);
        const int to = StateOf(next_);
        // The new state is in place before the owner hears of it, so that
        // the owner can start the next fade from there.
        current_ = next_;
        next_ = nullptr;
        alpha_ = 0;
        Invalidate();
        if (fadeEndFunction_) fadeEndFunction_(from, to);
        return;
    }
    Invalidate();
}

LRESULT GUIDropArea::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kFadeTimer) FadeTick();
        if (wParam == kErrorTimer) {
            KillTimer(window_, kErrorTimer);
            SetState(kDropNormal);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // Clicks go through to the main window, which drags itself; dropped
        // files still arrive.
        return HTTRANSPARENT;
    case WM_DROPFILES:
        return OnDropFiles(wParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT GUIDropArea::OnDropFiles(WPARAM handle) {
    HDROP drop = reinterpret_cast<HDROP>(handle);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    int accepted = 0;
    if (batchFunction_) batchFunction_(true);
    for (UINT index = 0; index < count; ++index) {
        const UINT length = DragQueryFileW(drop, index, nullptr, 0);
        std::vector<wchar_t> path(length + 1, L'\0');
        DragQueryFileW(drop, index, path.data(), length + 1);

        // Holding the file open keeps it from vanishing before its upload.
        FILE* stream = nullptr;
        if (_wfopen_s(&stream, path.data(), L"r") != 0) stream = nullptr;
        struct _stat64 status {};
        if (_wstat64(path.data(), &status) != 0) {
            if (stream) fclose(stream);
            continue;
        }
        if (status.st_mode & _S_IFDIR) {
            if (stream) fclose(stream);
            if (folderFunction_) folderFunction_(path.data());
        } else if (fileFunction_) {
            fileFunction_(path.data(), stream);
        } else if (stream) {
            fclose(stream);
        }
        ++accepted;
    }
    if (batchFunction_) batchFunction_(false);
    if (accepted > 0 && current_ == normal_ && !next_) {
        next_ = uploading_;
        SetTimer(window_, kFadeTimer, kFadeInterval, nullptr);
    }
    DragFinish(drop);
    return 0;
}

void GUIDropArea::Blend(HDC target, HBITMAP bitmap, int alpha) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info)) return;
    // A picture smaller than the area is drawn at its own size.
    const int width = std::min<int>(width_, info.bmWidth);
    const int height = std::min<int>(height_, info.bmHeight);
    HGDIOBJ previous = SelectObject(dc_.get(), bitmap);
    if (!oldBitmap_) oldBitmap_ = previous;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
    AlphaBlend(target, x_, y_, width, height, dc_.get(), 0, 0, width, height, blend);
}

void GUIDropArea::Paint(HDC target, const RECT&) {
    if (window_ && visible_ && loadedDpi_ != WindowDpi()) LoadPictures(WindowDpi());
    if (!window_ || !normal_ || !uploading_ || !error_ || !visible_) return;
    if (current_) Blend(target, current_, 255);
    if (next_) Blend(target, next_, alpha_);
}
