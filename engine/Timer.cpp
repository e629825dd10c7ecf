#include "engine/Timer.h"

#include "platform/Platform.h"
#include "rtl/SysUtils.h"

namespace {

constexpr std::uintptr_t kTimerId = 1;

} // namespace

TTimerWindow::TTimerWindow(platform::IMessageTarget& target)
    : handle_(platform::Timers().CreateTimerWindow(target)) {
    if (handle_ == platform::kNoWindow)
        throw EOutOfResources("Error creating window");
}

void TTimerWindow::Release() noexcept {
    if (handle_ != platform::kNoWindow)
        platform::Timers().DestroyTimerWindow(handle_);
    handle_ = platform::kNoWindow;
}

TTimer::TTimer(TComponent* owner)
    : TComponent(owner), interval_(1000), window_(*this), enabled_(true) {}

TTimer::~TTimer() {
    enabled_ = false;
    RearmTimer(); // only kills now, so it cannot raise
    window_.Release();
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    RearmTimer();
}

void TTimer::SetInterval(std::uint32_t value) {
    if (value == interval_)
        return;
    interval_ = value;
    RearmTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
    onTimer_ = std::move(value);
    RearmTimer();
}

void TTimer::FireTick() {
    if (!onTimer_)
        return;
    // A handler may write OnTimer while it runs; the copy keeps the running
    // one alive until it returns.
    const TNotifyEvent handler = onTimer_;
    handler(this);
}

void TTimer::RearmTimer() {
    platform::ITimers& timers = platform::Timers();
    timers.KillTimer(window_.Handle(), kTimerId); // there may be none to kill
    if (interval_ != 0 && enabled_ && onTimer_) {
        // Setting it anew restarts the period.
        if (timers.SetTimer(window_.Handle(), kTimerId, interval_) == 0)
            throw EOutOfResources("Not enough timers available");
    }
}

void TTimer::HandleMessage(platform::WindowHandle window, platform::WindowMessage& message) {
    HandleTimerMessage(window, message);
}

void TTimer::HandleTimerMessage(platform::WindowHandle window, platform::WindowMessage& message) {
    if (message.Msg != platform::kWmTimer) {
        message.Result =
            platform::Timers().DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
        return;
    }
    // Every WM_TIMER makes a tick, whatever its identifier. A failing tick
    // ends quietly: it must not unwind into the message loop, and the next
    // tick tries afresh.
    try {
        FireTick();
    } catch (...) {
    }
}
