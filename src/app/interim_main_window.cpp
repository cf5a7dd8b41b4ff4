#include "app/interim_main_window.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/instance_handoff.h"
#include "config/settings_store.h"
#include "resource_ids.h"

namespace {

constexpr const wchar_t* kClassName = L"vantorel liftorn interim";

void ToggleVisible(HWND window) { ShowWindow(window, IsWindowVisible(window) ? SW_HIDE : SW_SHOW); }

LRESULT CALLBACK InterimProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) break;
        switch (LOWORD(wParam)) {
        case CMD_BRING_TO_FRONT: SetForegroundWindow(window); return 0;
        case CMD_SHOW_HIDE: ToggleVisible(window); return 0;
        case CMD_EXIT: PostQuitMessage(0); return 0;
        default: return 0;
        }
    case WM_COPYDATA:
        if (ReceiveDropHandOff(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam))) return TRUE;
        break;
    case WM_DROPFILES:
        // Files are taken once the upload queue exists; until then the
        // drop is only released.
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_MOVE:
        if (!IsIconic(window)) {
            RECT rect;
            GetWindowRect(window, &rect);
            Settings().SetInt(L"PositionX", rect.left);
            Settings().SetInt(L"PositionY", rect.top);
        }
        break;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, L"vantorel liftorn", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateInterimMainWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = InterimProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    return CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, L"vantorel liftorn",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           Settings().GetInt(L"PositionX"), Settings().GetInt(L"PositionY"), 316,
                           120, nullptr, nullptr, instance, nullptr);
}
