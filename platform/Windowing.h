// The applet's window, its message loop, the notification icon, the popup menu
// and the named mutex. The Win32 implementation forwards each call; decisions
// live in the applet.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Desktop.h"

namespace platform {

using InstanceHandle = std::uintptr_t; // an HINSTANCE in the Windows build
using IconHandle = std::uintptr_t;     // an HICON
using MenuHandle = std::uintptr_t;     // an HMENU
using MutexHandle = std::uintptr_t;    // a HANDLE
constexpr MenuHandle kNoMenu = 0;
constexpr MutexHandle kNoMutex = 0;

// A window procedure may not let an exception out: Windows' own frames lie
// between it and the message loop.
using WindowProcedure = std::intptr_t (*)(WindowHandle window, unsigned message,
                                          std::uintptr_t wParam, std::intptr_t lParam) noexcept;

// Field for field the Windows WNDCLASSA.
struct WindowClassA {
    unsigned style;
    WindowProcedure lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    InstanceHandle hInstance;
    IconHandle hIcon;
    std::uintptr_t hCursor;
    std::uintptr_t hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

struct Point {
    std::int32_t x, y;
};

// Field for field the Windows MSG.
struct Message {
    WindowHandle hwnd;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::uint32_t time;
    Point pt;
};

// Field for field the first form of the Windows NOTIFYICONDATAA.
struct NotifyIconDataA {
    std::uint32_t cbSize;
    WindowHandle hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    IconHandle hIcon;
    char szTip[64];
};
// NOTIFYICONDATAA_V1_SIZE of the target: 88 bytes on 32-bit Windows.
constexpr std::uint32_t kNotifyIconDataV1Size =
    static_cast<std::uint32_t>(offsetof(NotifyIconDataA, szTip) + sizeof(NotifyIconDataA::szTip));

// Messages
constexpr unsigned kWmNull = 0x0000;
constexpr unsigned kWmCreate = 0x0001;
constexpr unsigned kWmDestroy = 0x0002;
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmLButtonDown = 0x0201;
constexpr unsigned kWmLButtonUp = 0x0202;
constexpr unsigned kWmLButtonDblClk = 0x0203;
constexpr unsigned kWmRButtonDown = 0x0204;
constexpr unsigned kWmRButtonUp = 0x0205;
constexpr unsigned kWmUser = 0x0400;

// Window styles and placement
constexpr std::uint32_t kWsOverlappedWindow = 0x00CF0000;
constexpr int kCwUseDefault = static_cast<int>(0x80000000u);
constexpr int kSwHide = 0;

// Shell_NotifyIconA
constexpr std::uint32_t kNimAdd = 0;
constexpr std::uint32_t kNimModify = 1;
constexpr std::uint32_t kNimDelete = 2;
constexpr std::uint32_t kNifMessage = 0x1;
constexpr std::uint32_t kNifIcon = 0x2;
constexpr std::uint32_t kNifTip = 0x4;

// Menus
constexpr unsigned kMfString = 0x0000;
constexpr unsigned kMfSeparator = 0x0800;
constexpr unsigned kTpmRightAlign = 0x0008;
constexpr unsigned kTpmBottomAlign = 0x0020;

class IWindowing {
  public:
    virtual ~IWindowing() = default;
    // Methods carry the names of the ANSI Win32 functions they stand for.

    // The running executable's own instance.
    virtual InstanceHandle GetModuleHandleA() = 0;
    // Returns the class atom, 0 on failure.
    virtual std::uint16_t RegisterClassA(const WindowClassA& windowClass) = 0;
    // kNoWindow on failure.
    virtual WindowHandle CreateWindowExA(std::uint32_t exStyle, const char* className,
                                         const char* title, std::uint32_t style, int x, int y,
                                         int width, int height, WindowHandle parent,
                                         MenuHandle menu, InstanceHandle instance,
                                         void* creationData) = 0;
    virtual bool ShowWindow(WindowHandle window, int command) = 0;
    virtual std::intptr_t DefWindowProcA(WindowHandle window, unsigned message,
                                         std::uintptr_t wParam, std::intptr_t lParam) = 0;

    // The message loop. GetMessageA gives 0 for the quit message, -1 on error.
    virtual int GetMessageA(Message& message, WindowHandle window, unsigned first,
                            unsigned last) = 0;
    virtual bool TranslateMessage(const Message& message) = 0;
    virtual std::intptr_t DispatchMessageA(const Message& message) = 0;
    virtual bool PostMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    // 0 on failure.
    virtual unsigned RegisterWindowMessageA(const char* name) = 0;

    // The notification icon.
    virtual bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA& data) = 0;
    // A shared icon of the module; 0 when there is none of that name.
    virtual IconHandle LoadIconA(InstanceHandle instance, const char* name) = 0;

    // The popup menu.
    virtual bool GetCursorPos(Point& position) = 0;
    virtual MenuHandle CreatePopupMenu() = 0;
    virtual bool AppendMenuA(MenuHandle menu, unsigned flags, std::uintptr_t id,
                             const char* text) = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // Without TPM_RETURNCMD: non-zero when an item was chosen; the choice
    // arrives later as WM_COMMAND to owner. No rectangle is passed.
    virtual int TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, int reserved,
                               WindowHandle owner) = 0;
    virtual bool DestroyMenu(MenuHandle menu) = 0;

    // A named mutex, not owned; alreadyExists tells whether some process had
    // made it before. kNoMutex on failure.
    virtual MutexHandle CreateMutexA(const char* name, bool& alreadyExists) = 0;
    virtual bool CloseHandle(MutexHandle handle) = 0;
};

} // namespace platform
