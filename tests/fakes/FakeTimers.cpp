#include "tests/fakes/FakeTimers.h"

#include "tests/fakes/FakeClock.h"

namespace fakes {

platform::WindowHandle FakeTimers::CreateTimerWindow(platform::IMessageTarget& target) {
    const platform::WindowHandle window = nextWindow_;
    nextWindow_ += 0x10;
    windows_[window] = Window{&target, {}};
    return window;
}

void FakeTimers::DestroyTimerWindow(platform::WindowHandle window) {
    windows_.erase(window);
}

std::uintptr_t FakeTimers::SetTimer(platform::WindowHandle window, std::uintptr_t id,
                                    std::uint32_t elapse) {
    auto found = windows_.find(window);
    std::uintptr_t result = 0;
    if (!RefuseSetTimer && found != windows_.end() && id != 0) {
        // Windows raises a shorter elapse to its minimum of 10 ms. Setting an
        // existing timer again replaces it and restarts its period.
        const std::uint32_t period = elapse < 10 ? 10 : elapse;
        found->second.timers[id] = {period, now_ + period};
        result = id;
    }
    Calls.push_back({"SetTimer", window, id, elapse, result});
    return result;
}

bool FakeTimers::KillTimer(platform::WindowHandle window, std::uintptr_t id) {
    auto found = windows_.find(window);
    const bool killed = found != windows_.end() && found->second.timers.erase(id) != 0;
    Calls.push_back({"KillTimer", window, id, 0, killed ? 1u : 0u});
    return killed;
}

std::intptr_t FakeTimers::DefWindowProcA(platform::WindowHandle window, unsigned message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    DefWindowProcCalls.push_back({window, message, wParam, lParam});
    return DefWindowProcResult;
}

void FakeTimers::MoveTo(std::int64_t moment) {
    if (moment <= now_)
        return;
    if (clock_)
        clock_->Advance(moment - now_);
    now_ = moment;
}

void FakeTimers::RunFor(std::int64_t msec) {
    const std::int64_t end = now_ + msec;
    for (;;) {
        // Looked up afresh each time: a handler may create, destroy or re-arm
        // windows, or run time on itself.
        platform::WindowHandle nextWindow = platform::kNoWindow;
        std::uintptr_t nextId = 0;
        std::int64_t nextDue = end + 1;
        for (const auto& [handle, window] : windows_)
            for (const auto& [id, timer] : window.timers)
                if (timer.second < nextDue) {
                    nextDue = timer.second;
                    nextWindow = handle;
                    nextId = id;
                }
        if (nextWindow == platform::kNoWindow)
            break;
        MoveTo(nextDue);
        auto& timer = windows_.at(nextWindow).timers.at(nextId);
        // Due again one period after this delivery, however late it is.
        timer.second = now_ + timer.first;
        ++TicksDelivered;
        Deliver(nextWindow, platform::kWmTimer, nextId, 0);
    }
    MoveTo(end);
}

std::intptr_t FakeTimers::Deliver(platform::WindowHandle window, unsigned message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
    auto found = windows_.find(window);
    if (found == windows_.end())
        return 0;
    platform::WindowMessage msg{message, wParam, lParam, 0};
    found->second.target->HandleMessage(window, msg);
    return msg.Result;
}

bool FakeTimers::WindowExists(platform::WindowHandle window) const {
    return windows_.count(window) != 0;
}

bool FakeTimers::IsArmed(platform::WindowHandle window) const {
    auto found = windows_.find(window);
    return found != windows_.end() && !found->second.timers.empty();
}

std::uint32_t FakeTimers::Elapse(platform::WindowHandle window) const {
    auto found = windows_.find(window);
    if (found == windows_.end() || found->second.timers.empty())
        return 0;
    return found->second.timers.begin()->second.first;
}

std::int64_t FakeTimers::DueIn(platform::WindowHandle window) const {
    auto found = windows_.find(window);
    if (found == windows_.end() || found->second.timers.empty())
        return -1;
    return found->second.timers.begin()->second.second - now_;
}

} // namespace fakes
