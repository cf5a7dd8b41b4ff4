// A program of the tests' own whose windows are captured: another process,
// as real captures are. Usage:
//   capture_target pattern X Y W H [TITLE]  framed window painting TestPattern
//   capture_target shadow X Y W H            layered window: opaque core,
//                                            half-transparent black shadow
//   capture_target [idle]                    no window at all; sleeps
//   capture_target record FILE ARGS...       a post-capture command: writes
//                                            "start TICK PID", each argument on
//                                            a line, then after a second "done TICK"
//   capture_target record-hold FILE ARGS...  the same, busy for a minute
//   capture_target hotkey MODIFIERS KEY      holds that key combination
//                                            (RegisterHotKey's numbers), as
//                                            another program would
// Add "topmost" as the last argument to start topmost. It runs until closed
// (at most five minutes).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "capture/capture_target_pattern.h"

namespace {

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client.right) * client.bottom);
            for (int y = 0; y < client.bottom; ++y) {
                for (int x = 0; x < client.right; ++x) {
                    pixels[static_cast<std::size_t>(y) * client.right + x] = TestPattern(x, y);
                }
            }
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = client.right;
            info.bmiHeader.biHeight = -client.bottom;  // top-down
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(),
                              &info, DIB_RGB_COLORS);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Pushes the shadow picture: premultiplied, an opaque core inset by the
// shadow width, black at alpha 128 around it.
void PushShadow(HWND window, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[y * width + x] = ShadowPixel(x, y, width, height);
        }
    }
    POINT source{0, 0};
    SIZE size{width, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, screen, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments(args + 1, args + count);
    LocalFree(args);
    const bool topmost = !arguments.empty() && arguments.back() == L"topmost";
    if (topmost) arguments.pop_back();
    const std::wstring mode = arguments.empty() ? L"idle" : arguments[0];
    if ((mode == L"record" || mode == L"record-hold") && arguments.size() >= 2) {
        FILE* file = _wfopen(arguments[1].c_str(), L"wb");
        if (!file) return 1;
        fprintf(file, "start %llu %lu\n", static_cast<unsigned long long>(GetTickCount64()),
                GetCurrentProcessId());
        for (std::size_t i = 2; i < arguments.size(); ++i) {
            char line[1024] = {};
            WideCharToMultiByte(CP_UTF8, 0, arguments[i].c_str(), -1, line, sizeof line - 1, nullptr,
                                nullptr);
            fprintf(file, "%s\n", line);
        }
        fflush(file);
        // Busy with the file a while, as an editor would be.
        Sleep(mode == L"record" ? 1000 : 60000);
        fprintf(file, "done %llu\n", static_cast<unsigned long long>(GetTickCount64()));
        fclose(file);
        return 0;
    }
    // Idle also stands in for a helper that never shows its window.
    if (mode == L"idle" || mode == L"/mailbox") {
        Sleep(300000);
        return 0;
    }
    if (mode == L"hotkey" && arguments.size() >= 3) {
        // The test looks whether the key is free by taking it for a moment:
        // keep trying while it does.
        const UINT modifiers = _wtoi(arguments[1].c_str()), key = _wtoi(arguments[2].c_str());
        int tries = 0;
        while (!RegisterHotKey(nullptr, 1, modifiers, key)) {
            if (++tries == 500) return 3;
            Sleep(10);
        }
        SetTimer(nullptr, 0, 300000, nullptr);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
        }
        return 0;
    }
    if (arguments.size() < 5) return 2;
    const int x = _wtoi(arguments[1].c_str()), y = _wtoi(arguments[2].c_str());
    const int width = _wtoi(arguments[3].c_str()), height = _wtoi(arguments[4].c_str());
    const std::wstring title = arguments.size() > 5 ? arguments[5] : L"capture target";

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PatternProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"CaptureTarget";
    RegisterClassW(&windowClass);
    const DWORD topmostStyle = topmost ? WS_EX_TOPMOST : 0;
    HWND window = nullptr;
    if (mode == L"shadow") {
        // A captioned style, as windows whose shadows are grabbed have.
        window =
            CreateWindowExW(WS_EX_LAYERED | topmostStyle, L"CaptureTarget", title.c_str(),
                            WS_POPUP | WS_CAPTION, x, y, width, height, nullptr, nullptr, instance, nullptr);
        PushShadow(window, width, height);
    } else {
        window = CreateWindowExW(topmostStyle, L"CaptureTarget", title.c_str(), WS_POPUP | WS_VISIBLE, x, y,
                                 width, height, nullptr, nullptr, instance, nullptr);
    }
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(nullptr, 0, 300000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && !message.hwnd) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
