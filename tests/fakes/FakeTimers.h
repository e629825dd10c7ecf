// Timer windows without a system: windows are records, SetTimer and KillTimer
// are recorded, and WM_TIMER reaches armed windows as the fake clock moves.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Timers.h"

namespace fakes {

class FakeClock;

struct TimerCall {
    std::string Function; // "SetTimer" or "KillTimer"
    platform::WindowHandle Window;
    std::uintptr_t Id;
    std::uint32_t Elapse; // SetTimer only
    std::uintptr_t Result;
};

struct DefWindowProcCall {
    platform::WindowHandle Window;
    unsigned Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
};

class FakeTimers : public platform::ITimers {
  public:
    // Without a clock, RunFor moves only the timers' own time.
    explicit FakeTimers(FakeClock* clock = nullptr) : clock_(clock) {}

    platform::WindowHandle CreateTimerWindow(platform::IMessageTarget& target) override;
    void DestroyTimerWindow(platform::WindowHandle window) override;
    std::uintptr_t SetTimer(platform::WindowHandle window, std::uintptr_t id,
                            std::uint32_t elapse) override;
    bool KillTimer(platform::WindowHandle window, std::uintptr_t id) override;
    std::intptr_t DefWindowProcA(platform::WindowHandle window, unsigned message,
                                 std::uintptr_t wParam, std::intptr_t lParam) override;

    // Moves time on by msec, stopping at each timer that falls due to deliver
    // its WM_TIMER. As with a real system, a timer falls due elapse ms after it
    // was set or last delivered, ticks never pile up, and re-arming restarts
    // the period. Handlers may call RunFor again (a modal loop's ticks).
    void RunFor(std::int64_t msec);
    // Delivers a message straight to the window's object, as a send would;
    // a window that no longer exists answers 0 and sees nothing.
    std::intptr_t Deliver(platform::WindowHandle window, unsigned message,
                          std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    bool WindowExists(platform::WindowHandle window) const;
    std::size_t WindowCount() const { return windows_.size(); }
    // Whether the window has a timer set, and its elapse.
    bool IsArmed(platform::WindowHandle window) const;
    std::uint32_t Elapse(platform::WindowHandle window) const;
    // Milliseconds of timer time since the fake began.
    std::int64_t Elapsed() const { return now_; }
    // Milliseconds until the window's next tick is due; -1 when not armed.
    std::int64_t DueIn(platform::WindowHandle window) const;

    // Every later SetTimer is refused (returns 0) while this holds.
    bool RefuseSetTimer = false;
    // What DefWindowProcA answers.
    std::intptr_t DefWindowProcResult = 0;

    std::vector<TimerCall> Calls;
    std::vector<DefWindowProcCall> DefWindowProcCalls;
    // WM_TIMERs delivered by RunFor, over all windows.
    std::int64_t TicksDelivered = 0;

  private:
    struct Window {
        platform::IMessageTarget* target;
        // Timers by identifier: elapse and the moment the next one is due.
        std::map<std::uintptr_t, std::pair<std::uint32_t, std::int64_t>> timers;
    };

    void MoveTo(std::int64_t moment);

    FakeClock* clock_;
    std::map<platform::WindowHandle, Window> windows_;
    platform::WindowHandle nextWindow_ = 0x7000;
    std::int64_t now_ = 0;
};

} // namespace fakes
