// Hidden windows that receive system timer messages for one object each.
#pragma once

#include <cstdint>

#include "platform/Desktop.h"

namespace platform {

constexpr unsigned kWmTimer = 0x0113;

// One window message as the window procedure got it; Result is what the
// procedure answers and starts at 0.
struct WindowMessage {
    unsigned Msg;
    std::uintptr_t WParam;
    std::intptr_t LParam;
    std::intptr_t Result;
};

// The object a hidden window is bound to: it receives every message of that
// window, from creation to destruction.
class IMessageTarget {
  public:
    virtual void HandleMessage(WindowHandle window, WindowMessage& message) = 0;

  protected:
    ~IMessageTarget() = default;
};

class ITimers {
  public:
    virtual ~ITimers() = default;
    // A window that is never shown, owned by the calling thread, bound to
    // target at creation. kNoWindow when the system cannot make one.
    virtual WindowHandle CreateTimerWindow(IMessageTarget& target) = 0;
    virtual void DestroyTimerWindow(WindowHandle window) = 0;
    // Without a timer procedure: the window gets WM_TIMER every elapse ms.
    // Returns 0 when the system refuses the timer.
    virtual std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t id,
                                    std::uint32_t elapse) = 0;
    virtual bool KillTimer(WindowHandle window, std::uintptr_t id) = 0;
    virtual std::intptr_t DefWindowProcA(WindowHandle window, unsigned message,
                                         std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

} // namespace platform
