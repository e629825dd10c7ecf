#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

// A Message's address goes to Windows as an MSG's.
static_assert(sizeof(Message) == sizeof(MSG), "message layout");
static_assert(offsetof(Message, hwnd) == offsetof(MSG, hwnd), "hwnd");
static_assert(offsetof(Message, message) == offsetof(MSG, message), "message");
static_assert(offsetof(Message, wParam) == offsetof(MSG, wParam), "wParam");
static_assert(offsetof(Message, lParam) == offsetof(MSG, lParam), "lParam");
static_assert(offsetof(Message, time) == offsetof(MSG, time), "time");
static_assert(offsetof(Message, pt) == offsetof(MSG, pt), "pt");
static_assert(sizeof(Point) == sizeof(POINT), "point layout");

static_assert(kNotifyIconDataV1Size == NOTIFYICONDATAA_V1_SIZE, "first form of NOTIFYICONDATAA");
#ifndef _WIN64
static_assert(kNotifyIconDataV1Size == 88, "NOTIFYICONDATAA's first form on 32-bit Windows");
#endif
static_assert(offsetof(NotifyIconDataA, szTip) == offsetof(NOTIFYICONDATAA, szTip), "szTip");

static_assert(sizeof(InstanceHandle) == sizeof(HINSTANCE), "handles are pointer-sized");
static_assert(sizeof(MenuHandle) == sizeof(HMENU), "handles are pointer-sized");

HMENU Hmenu(MenuHandle menu) {
    return reinterpret_cast<HMENU>(menu);
}

// The applet registers one window class; this is its procedure. The portable
// procedure cannot carry the platform's calling convention, hence the thunk.
WindowProcedure registeredProcedure = nullptr;

LRESULT CALLBACK Thunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The procedure is noexcept: nothing can unwind through here.
    return registeredProcedure(reinterpret_cast<WindowHandle>(window), message, wParam, lParam);
}

class Win32WindowingImpl final : public IWindowing {
  public:
    InstanceHandle GetModuleHandleA() override {
        return reinterpret_cast<InstanceHandle>(::GetModuleHandleA(nullptr));
    }

    std::uint16_t RegisterClassA(const WindowClassA& windowClass) override {
        // A second procedure would need a second thunk.
        if (registeredProcedure && registeredProcedure != windowClass.lpfnWndProc)
            return 0;
        registeredProcedure = windowClass.lpfnWndProc;
        WNDCLASSA native{};
        native.style = windowClass.style;
        native.lpfnWndProc = windowClass.lpfnWndProc ? Thunk : nullptr;
        native.cbClsExtra = windowClass.cbClsExtra;
        native.cbWndExtra = windowClass.cbWndExtra;
        native.hInstance = reinterpret_cast<HINSTANCE>(windowClass.hInstance);
        native.hIcon = reinterpret_cast<HICON>(windowClass.hIcon);
        native.hCursor = reinterpret_cast<HCURSOR>(windowClass.hCursor);
        native.hbrBackground = reinterpret_cast<HBRUSH>(windowClass.hbrBackground);
        native.lpszMenuName = windowClass.lpszMenuName;
        native.lpszClassName = windowClass.lpszClassName;
        return ::RegisterClassA(&native);
    }

    WindowHandle CreateWindowExA(std::uint32_t exStyle, const char* className, const char* title,
                                 std::uint32_t style, int x, int y, int width, int height,
                                 WindowHandle parent, MenuHandle menu, InstanceHandle instance,
                                 void* creationData) override {
        return reinterpret_cast<WindowHandle>(
            ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, Hwnd(parent),
                              Hmenu(menu), reinterpret_cast<HINSTANCE>(instance), creationData));
    }

    bool ShowWindow(WindowHandle window, int command) override {
        return ::ShowWindow(Hwnd(window), command) != 0;
    }

    std::intptr_t DefWindowProcA(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam) override {
        return ::DefWindowProcA(Hwnd(window), message, wParam, lParam);
    }

    int GetMessageA(Message& message, WindowHandle window, unsigned first, unsigned last) override {
        return ::GetMessageA(reinterpret_cast<MSG*>(&message), Hwnd(window), first, last);
    }

    bool TranslateMessage(const Message& message) override {
        return ::TranslateMessage(reinterpret_cast<const MSG*>(&message)) != 0;
    }

    std::intptr_t DispatchMessageA(const Message& message) override {
        return ::DispatchMessageA(reinterpret_cast<const MSG*>(&message));
    }

    bool PostMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam,
                      std::intptr_t lParam) override {
        return ::PostMessageA(Hwnd(window), message, wParam, lParam) != 0;
    }

    void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }

    unsigned RegisterWindowMessageA(const char* name) override {
        return ::RegisterWindowMessageA(name);
    }

    bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA& data) override {
        NOTIFYICONDATAA native{};
        native.cbSize = data.cbSize;
        native.hWnd = Hwnd(data.hWnd);
        native.uID = data.uID;
        native.uFlags = data.uFlags;
        native.uCallbackMessage = data.uCallbackMessage;
        native.hIcon = reinterpret_cast<HICON>(data.hIcon);
        std::memcpy(native.szTip, data.szTip, sizeof data.szTip);
        return ::Shell_NotifyIconA(message, &native) != 0;
    }

    IconHandle LoadIconA(InstanceHandle instance, const char* name) override {
        return reinterpret_cast<IconHandle>(
            ::LoadIconA(reinterpret_cast<HINSTANCE>(instance), name));
    }

    bool GetCursorPos(Point& position) override {
        return ::GetCursorPos(reinterpret_cast<POINT*>(&position)) != 0;
    }

    MenuHandle CreatePopupMenu() override {
        return reinterpret_cast<MenuHandle>(::CreatePopupMenu());
    }

    bool AppendMenuA(MenuHandle menu, unsigned flags, std::uintptr_t id,
                     const char* text) override {
        return ::AppendMenuA(Hmenu(menu), flags, id, text) != 0;
    }

    bool SetForegroundWindow(WindowHandle window) override {
        return ::SetForegroundWindow(Hwnd(window)) != 0;
    }

    int TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, int reserved,
                       WindowHandle owner) override {
        return ::TrackPopupMenu(Hmenu(menu), flags, x, y, reserved, Hwnd(owner), nullptr);
    }

    bool DestroyMenu(MenuHandle menu) override { return ::DestroyMenu(Hmenu(menu)) != 0; }

    MutexHandle CreateMutexA(const char* name, bool& alreadyExists) override {
        HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
        alreadyExists = mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
        return reinterpret_cast<MutexHandle>(mutex);
    }

    bool CloseHandle(MutexHandle handle) override {
        return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) != 0;
    }
};

} // namespace

IWindowing& Win32Windowing() {
    static Win32WindowingImpl windowing;
    return windowing;
}

} // namespace platform
