#include <windows.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

constexpr const char* kTimerWindowClass = "VelmoraTimerWindow";

// The target comes with the creation parameters, before any message that it
// has to see, and is kept in the window's user data from then on.
LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (msg == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* target = reinterpret_cast<IMessageTarget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!target)
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        WindowMessage message{msg, wParam, lParam, 0};
        target->HandleMessage(reinterpret_cast<WindowHandle>(hwnd), message);
        return message.Result;
    } catch (...) {
        // No C++ error may unwind through Windows' frames; the target deals
        // with its own, so anything arriving here is answered with 0.
        return 0;
    }
}

ATOM RegisterTimerWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TimerWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTimerWindowClass;
    return RegisterClassA(&windowClass);
}

class Win32TimersImpl final : public ITimers {
  public:
    WindowHandle CreateTimerWindow(IMessageTarget& target) override {
        static const ATOM registered = RegisterTimerWindowClass();
        if (!registered)
            return kNoWindow;
        // A message-only window: never shown, not found by FindWindowA.
        return reinterpret_cast<WindowHandle>(CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 0,
                                                              0, HWND_MESSAGE, nullptr,
                                                              GetModuleHandleA(nullptr), &target));
    }

    void DestroyTimerWindow(WindowHandle window) override { DestroyWindow(Hwnd(window)); }

    std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t elapse) override {
        return ::SetTimer(Hwnd(window), id, elapse, nullptr);
    }

    bool KillTimer(WindowHandle window, std::uintptr_t id) override {
        return ::KillTimer(Hwnd(window), id) != FALSE;
    }

    std::intptr_t DefWindowProcA(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam) override {
        return ::DefWindowProcA(Hwnd(window), message, wParam, lParam);
    }
};

} // namespace

ITimers& Win32Timers() {
    static Win32TimersImpl timers;
    return timers;
}

} // namespace platform
