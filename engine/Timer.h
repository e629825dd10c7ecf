// A component that calls its handler at a fixed interval, driven by a system
// timer on a hidden window of its own: ticks arrive as messages on the thread
// that made the timer, between its other messages.
#pragma once

#include <cstdint>

#include "platform/Timers.h"
#include "rtl/Classes.h"

// Owns one hidden timer window; releasing it kills whatever timers it has.
class TTimerWindow {
  public:
    // Raises EOutOfResources when the system cannot make the window.
    explicit TTimerWindow(platform::IMessageTarget& target);
    ~TTimerWindow() { Release(); }
    TTimerWindow(const TTimerWindow&) = delete;
    TTimerWindow& operator=(const TTimerWindow&) = delete;

    platform::WindowHandle Handle() const { return handle_; }
    void Release() noexcept;

  private:
    platform::WindowHandle handle_;
};

class TTimer : public TComponent, private platform::IMessageTarget {
  public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    // Writes that re-arm raise EOutOfResources "Not enough timers available"
    // when the system refuses the timer; the written value stays.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    // Re-arms on every write, the same handler included.
    void SetOnTimer(TNotifyEvent value);

    // The hidden window that receives the timer's messages.
    platform::WindowHandle Handle() const { return window_.Handle(); }

  protected:
    virtual void FireTick();

  private:
    void RearmTimer();
    void HandleMessage(platform::WindowHandle window, platform::WindowMessage& message) override;
    void HandleTimerMessage(platform::WindowHandle window, platform::WindowMessage& message);

    std::uint32_t interval_;
    TTimerWindow window_;
    TNotifyEvent onTimer_;
    bool enabled_;
};
