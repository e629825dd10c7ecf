// VelmoraFloor.exe: the least a tray applet of this kind can be, to measure
// the applet against: a hidden window, the same tray icon, a 500 ms timer
// whose handler does nothing, and a message loop.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr const char* kClass = "Velmora Floor";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMs = 500;

NOTIFYICONDATAA IconData(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), "TRAYICON");
    lstrcpynA(data.szTip, kClass, sizeof data.szTip);
    return data;
}

LRESULT CALLBACK FloorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE: {
        NOTIFYICONDATAA data = IconData(window);
        Shell_NotifyIconA(NIM_ADD, &data);
        SetTimer(window, kTimerId, kTickMs, nullptr);
        break;
    }
    case WM_TIMER:
        return 0;
    case WM_DESTROY: {
        KillTimer(window, kTimerId);
        NOTIFYICONDATAA data = IconData(window);
        Shell_NotifyIconA(NIM_DELETE, &data);
        PostQuitMessage(0);
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, kClass, kClass, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_HIDE);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
