// The timer on a real hidden window: ticks come through a message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "engine/Timer.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "rtl/SysUtils.h"

namespace {

constexpr DWORD kDeadlineMs = 5000;

class TimerWindowTest : public testing::Test {
  protected:
    void SetUp() override { previous_ = platform::SetTimers(&platform::Win32Timers()); }
    void TearDown() override { platform::SetTimers(previous_); }

    // Dispatches this thread's messages until done() holds or the time runs out.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kDeadlineMs) {
        const DWORD start = GetTickCount();
        while (!done()) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        return true;
    }

    static HWND Hwnd(const TTimer& timer) { return reinterpret_cast<HWND>(timer.Handle()); }

  private:
    platform::ITimers* previous_ = nullptr;
};

TEST_F(TimerWindowTest, TicksArriveThroughTheMessageLoop) {
    TTimer timer(nullptr);
    ASSERT_TRUE(IsWindow(Hwnd(timer)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(timer)));
    int ticks = 0;
    TComponent* sender = nullptr;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TComponent* s) {
        ++ticks;
        sender = s;
    });
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; })) << "ticks: " << ticks;
    EXPECT_EQ(sender, &timer);
}

TEST_F(TimerWindowTest, AnyTimerMessageTicksAndOtherMessagesGetTheDefaultAnswer) {
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    int ticks = 0;
    timer.SetOnTimer([&](TComponent*) { ++ticks; });
    EXPECT_EQ(SendMessageA(Hwnd(timer), WM_TIMER, 99, 0), 0);
    EXPECT_EQ(ticks, 1);
    // DefWindowProcA answers WM_NCHITTEST with HTNOWHERE on a window of no size.
    EXPECT_EQ(SendMessageA(Hwnd(timer), WM_NCHITTEST, 0, 0),
              DefWindowProcA(Hwnd(timer), WM_NCHITTEST, 0, 0));
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerWindowTest, AHandlersErrorsStayInsideAndTheTicksGoOn) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(30);
    timer.SetOnTimer([&](TComponent*) {
        ++ticks;
        if (ticks % 2)
            throw EConvertError("'x' is not a valid integer value");
        throw std::runtime_error("boom");
    });
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; })) << "ticks: " << ticks;
    EXPECT_EQ(SendMessageA(Hwnd(timer), WM_TIMER, 1, 0), 0);
}

TEST_F(TimerWindowTest, DisablingKillsTheSystemTimer) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&](TComponent*) { ++ticks; });
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    timer.SetEnabled(false);
    const int atStop = ticks;
    // Nothing to wait for: give a stopped timer ten periods to show a tick.
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(ticks, atStop);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, Hwnd(timer), WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

TEST_F(TimerWindowTest, DestructionReleasesTheWindow) {
    auto timer = std::make_unique<TTimer>(nullptr);
    int ticks = 0;
    timer->SetInterval(20);
    timer->SetOnTimer([&](TComponent*) { ++ticks; });
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    const HWND window = Hwnd(*timer);
    timer.reset();
    EXPECT_FALSE(IsWindow(window));
    const int atEnd = ticks;
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(ticks, atEnd);
}

} // namespace
