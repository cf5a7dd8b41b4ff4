// The panel that files and folders are dropped on. It shows one of three
// pictures, one per upload state (normal, uploading, error), and cross-fades
// between them. Dropped paths go to the owner's file and folder functions; the
// owner may redirect a fade when it starts and is told when it ends. The error
// state falls back to normal by itself after five seconds.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "gui/gui_object.h"

enum DropState : int {
    kDropNormal = 0,
    kDropUploading = 1,
    kDropError = 2,
};

// A dropped file and a read stream opened on it (or null); the function takes
// the stream over.
using DropFileFunction = void (*)(const wchar_t* path, FILE* stream);
using DropFolderFunction = void (*)(const wchar_t* path);
// Called with true before a drop's paths are handed over and with false
// after the last, so the owner can take them together.
using DropBatchFunction = void (*)(bool starting);
// A fade has ended: the picture changed from one state to the other.
using DropFadeEndFunction = void (*)(int fromState, int toState);
// A fade is about to run from *fromState to *toState; either may be rewritten
// (values other than 0, 1 and 2 keep that picture).
using DropFadeStartHook = void (*)(int* fromState, int* toState);

class GUIDropArea : public GUIObject {
public:
    static constexpr UINT_PTR kFadeTimer = 10;
    static constexpr UINT kFadeInterval = 25;  // ms
    static constexpr int kFadeStep = 15;       // alpha per tick
    static constexpr UINT_PTR kErrorTimer = 20;
    static constexpr UINT kErrorDisplayTime = 5000;  // ms

    // A null uploading or error path shows the normal picture for that state.
    GUIDropArea(HWND parentWindow, HINSTANCE instance, int x, int y, int width, int height,
                const wchar_t* normalPath, const wchar_t* uploadingPath, const wchar_t* errorPath);
    ~GUIDropArea() override;

    void SetFileFunction(DropFileFunction function) { fileFunction_ = function; }
    void SetFolderFunction(DropFolderFunction function) { folderFunction_ = function; }
    void SetBatchFunction(DropBatchFunction function) { batchFunction_ = function; }
    void SetFadeEndFunction(DropFadeEndFunction function) { fadeEndFunction_ = function; }
    void SetFadeStartHook(DropFadeStartHook hook) { fadeStartHook_ = hook; }

    // Starts the fade to `state` (0, 1 or 2; anything else is ignored).
    // Asking for the state already shown cancels a running fade. The area's
    // own thread only: other threads post to the window's thread.
    void SetState(int state);
    // The state being shown (a running fade counts from its end).
    int State() const { return StateOf(current_); }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC target, const RECT& dirty) override;

    // Inspection, mainly for tests.
    bool IsFading() const { return next_ != nullptr; }
    int NextState() const { return next_ ? StateOf(next_) : -1; }
    int FadeAlpha() const { return alpha_; }

private:
    HBITMAP BitmapFor(int state) const;
    int StateOf(HBITMAP bitmap) const;
    void FadeTick();
    LRESULT OnDropFiles(WPARAM drop);  // an HDROP
    void Blend(HDC target, HBITMAP bitmap, int alpha);
    // Loads the three pictures at `dpi`, keeping the state shown and the one
    // fading in.
    void LoadPictures(int dpi);

    // The three states' pictures; a state without a picture of its own shows
    // the normal one (the slot then holds normal_ itself, owned once).
    ScopedBitmap normalOwned_, uploadingOwned_, errorOwned_;
    HBITMAP normal_ = nullptr;
    HBITMAP uploading_ = nullptr;
    HBITMAP error_ = nullptr;
    HBITMAP current_ = nullptr;
    HBITMAP next_ = nullptr;  // the state fading in, or null
    std::wstring normalPath_, uploadingPath_, errorPath_;  // empty: none
    int loadedDpi_ = 0;
    DropFileFunction fileFunction_ = nullptr;
    DropFolderFunction folderFunction_ = nullptr;
    DropBatchFunction batchFunction_ = nullptr;
    DropFadeEndFunction fadeEndFunction_ = nullptr;
    DropFadeStartHook fadeStartHook_ = nullptr;
    int alpha_ = 0;
    HGDIOBJ oldBitmap_ = nullptr;
};
