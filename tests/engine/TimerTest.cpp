#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/Timer.h"
#include "platform/Platform.h"
#include "rtl/SysUtils.h"
#include "tests/fakes/FakeTimers.h"

namespace {

class TimerTest : public testing::Test {
  public:
    void SetUp() override { previous_ = platform::SetTimers(&timers); }
    void TearDown() override {
        EXPECT_EQ(timers.WindowCount(), 0u) << "a timer window was left behind";
        platform::SetTimers(previous_);
    }

    // A handler that notes the moment of each tick and checks its sender.
    TNotifyEvent Recorder(TTimer& timer) {
        return [this, &timer](TComponent* sender) {
            EXPECT_EQ(sender, &timer);
            ticks.push_back(timers.Elapsed());
        };
    }

    int CallsOf(const char* function) const {
        int count = 0;
        for (const fakes::TimerCall& call : timers.Calls)
            count += call.Function == function;
        return count;
    }

    fakes::FakeTimers timers;
    std::vector<std::int64_t> ticks;

  private:
    platform::ITimers* previous_ = nullptr;
};

TEST_F(TimerTest, StartsIdleWithItsDefaults) {
    TTimer timer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.OnTimer());
    EXPECT_TRUE(timers.WindowExists(timer.Handle()));
    EXPECT_FALSE(timers.IsArmed(timer.Handle()));
    EXPECT_TRUE(timers.Calls.empty()) << "the defaults are stored without re-arming";
}

// Each case drives a new timer from time 0 and lists the moments of its ticks.
TEST_F(TimerTest, WritesArmAndRestartAsTheRulesSay) {
    struct Case {
        const char* what;
        std::function<void(TimerTest&, TTimer&)> drive;
        std::vector<std::int64_t> ticks;
    };
    const Case cases[] = {
        {"a handler alone runs every 1000 ms",
         [](TimerTest& t, TTimer& timer) {
             timer.SetOnTimer(t.Recorder(timer));
             t.timers.RunFor(3500);
         },
         {1000, 2000, 3000}},
        {"a new interval restarts the period",
         [](TimerTest& t, TTimer& timer) {
             timer.SetOnTimer(t.Recorder(timer));
             t.timers.RunFor(600);
             timer.SetInterval(300);
             t.timers.RunFor(700);
         },
         {900, 1200}},
        {"Enabled True while True neither re-arms nor restarts",
         [](TimerTest& t, TTimer& timer) {
             timer.SetOnTimer(t.Recorder(timer));
             t.timers.RunFor(600);
             const std::size_t calls = t.timers.Calls.size();
             timer.SetEnabled(true);
             EXPECT_EQ(t.timers.Calls.size(), calls);
             t.timers.RunFor(1500);
         },
         {1000, 2000}},
        {"the same handler again re-arms and restarts",
         [](TimerTest& t, TTimer& timer) {
             TNotifyEvent handler = t.Recorder(timer);
             timer.SetOnTimer(handler);
             t.timers.RunFor(600);
             timer.SetOnTimer(handler);
             t.timers.RunFor(1500);
         },
         {1600}},
        {"an unassigned handler stops it",
         [](TimerTest& t, TTimer& timer) {
             timer.SetOnTimer(t.Recorder(timer));
             t.timers.RunFor(1500);
             timer.SetOnTimer(nullptr);
             t.timers.RunFor(3000);
             EXPECT_FALSE(t.timers.IsArmed(timer.Handle()));
         },
         {1000}},
        {"disabled, then enabled again, starts a new period",
         [](TimerTest& t, TTimer& timer) {
             timer.SetOnTimer(t.Recorder(timer));
             t.timers.RunFor(1200);
             timer.SetEnabled(false);
             t.timers.RunFor(2000);
             timer.SetEnabled(true);
             t.timers.RunFor(1000);
         },
         {1000, 4200}},
        {"interval 0 never runs, yet every re-arm kills",
         [](TimerTest& t, TTimer& timer) {
             timer.SetInterval(0);
             timer.SetOnTimer(t.Recorder(timer));
             timer.SetEnabled(false);
             timer.SetEnabled(true);
             t.timers.RunFor(5000);
             EXPECT_EQ(t.CallsOf("KillTimer"), 4);
             EXPECT_EQ(t.CallsOf("SetTimer"), 0);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ticks.clear();
        timers.Calls.clear();
        TTimer timer(nullptr);
        const std::int64_t start = timers.Elapsed();
        c.drive(*this, timer);
        for (std::int64_t& tick : ticks)
            tick -= start;
        EXPECT_EQ(ticks, c.ticks);
    }
}

TEST_F(TimerTest, EveryRearmKillsTimerOneOnItsOwnWindowFirst) {
    TTimer timer(nullptr);
    timer.SetInterval(250);
    timer.SetOnTimer([](TComponent*) {});
    ASSERT_EQ(timers.Calls.size(), 3u);
    for (const fakes::TimerCall& call : timers.Calls) {
        EXPECT_EQ(call.Window, timer.Handle());
        EXPECT_EQ(call.Id, 1u);
    }
    EXPECT_EQ(timers.Calls[0].Function, "KillTimer"); // the interval: no handler yet
    EXPECT_EQ(timers.Calls[1].Function, "KillTimer");
    EXPECT_EQ(timers.Calls[2].Function, "SetTimer");
    EXPECT_EQ(timers.Calls[2].Elapse, 250u);
}

TEST_F(TimerTest, AnyTimerMessageTicksAndOthersGoToTheDefault) {
    TTimer timer(nullptr);
    timer.SetEnabled(false); // not running: ticks come from the messages alone
    timer.SetOnTimer(Recorder(timer));
    const std::uintptr_t ids[] = {0, 1, 2, 77, UINTPTR_MAX};
    for (std::uintptr_t id : ids) {
        SCOPED_TRACE(id);
        const std::size_t before = ticks.size();
        EXPECT_EQ(timers.Deliver(timer.Handle(), platform::kWmTimer, id, 5), 0);
        EXPECT_EQ(ticks.size(), before + 1);
    }
    EXPECT_TRUE(timers.DefWindowProcCalls.empty());

    timers.DefWindowProcResult = 1234;
    EXPECT_EQ(timers.Deliver(timer.Handle(), 0x0400 + 7, 8, -9), 1234);
    ASSERT_EQ(timers.DefWindowProcCalls.size(), 1u);
    const fakes::DefWindowProcCall& call = timers.DefWindowProcCalls[0];
    EXPECT_EQ(call.Window, timer.Handle());
    EXPECT_EQ(call.Message, 0x0400u + 7);
    EXPECT_EQ(call.WParam, 8u);
    EXPECT_EQ(call.LParam, -9);
    EXPECT_EQ(ticks.size(), std::size(ids));
}

TEST_F(TimerTest, AHandlersErrorVanishesAndTheNextTickComes) {
    struct Case {
        const char* what;
        std::function<void()> raise;
    };
    const Case cases[] = {
        {"system error", [] { throw EConvertError("'x' is not a valid integer value"); }},
        {"standard error", [] { throw std::runtime_error("boom"); }},
        {"anything at all", [] { throw 42; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTimer timer(nullptr);
        int calls = 0;
        timer.SetOnTimer([&](TComponent*) {
            ++calls;
            c.raise();
        });
        std::intptr_t result = -1;
        EXPECT_NO_THROW(result = timers.Deliver(timer.Handle(), platform::kWmTimer, 1));
        EXPECT_EQ(result, 0);
        EXPECT_NO_THROW(timers.RunFor(2000));
        EXPECT_EQ(calls, 3);
        EXPECT_TRUE(timers.IsArmed(timer.Handle()));
    }
}

TEST_F(TimerTest, ADestroyedRunningTimerTicksNoMoreAndItsWindowIsGone) {
    auto timer = std::make_unique<TTimer>(nullptr);
    timer->SetOnTimer(Recorder(*timer));
    timers.RunFor(1500);
    const platform::WindowHandle window = timer->Handle();
    timer.reset();
    EXPECT_FALSE(timers.WindowExists(window));
    ASSERT_FALSE(timers.Calls.empty());
    EXPECT_EQ(timers.Calls.back().Function, "KillTimer");
    EXPECT_EQ(timers.Calls.back().Result, 1u) << "the running timer is killed";
    timers.RunFor(5000);
    EXPECT_EQ(timers.Deliver(window, platform::kWmTimer, 1), 0);
    EXPECT_EQ(ticks, std::vector<std::int64_t>{1000});
}

TEST_F(TimerTest, TheOwnerFreesItsTimerWithTheWindow) {
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* timer = new TTimer(owner.get());
    timer->SetOnTimer([](TComponent*) {});
    const platform::WindowHandle window = timer->Handle();
    owner.reset();
    EXPECT_FALSE(timers.WindowExists(window));
}

TEST_F(TimerTest, ARefusedTimerRaisesAndTheWrittenValueStays) {
    struct Case {
        const char* what;
        std::function<void(TTimer&)> prepare; // granted
        std::function<void(TTimer&)> write;   // refused
        std::function<bool(const TTimer&)> stored;
    };
    auto noop = [](TComponent*) {};
    const Case cases[] = {
        {"Enabled", [&](TTimer& t) { t.SetEnabled(false), t.SetOnTimer(noop); },
         [](TTimer& t) { t.SetEnabled(true); }, [](const TTimer& t) { return t.Enabled(); }},
        {"Interval", [&](TTimer& t) { t.SetOnTimer(noop); }, [](TTimer& t) { t.SetInterval(20); },
         [](const TTimer& t) { return t.Interval() == 20; }},
        {"OnTimer", [](TTimer&) {}, [&](TTimer& t) { t.SetOnTimer(noop); },
         [](const TTimer& t) { return static_cast<bool>(t.OnTimer()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTimer timer(nullptr);
        timers.RefuseSetTimer = false;
        c.prepare(timer);
        timers.RefuseSetTimer = true;
        try {
            c.write(timer);
            ADD_FAILURE() << "no error was raised";
        } catch (const EOutOfResources& e) {
            EXPECT_EQ(e.Message(), "Not enough timers available");
        }
        EXPECT_TRUE(c.stored(timer));
        EXPECT_FALSE(timers.IsArmed(timer.Handle()));

        // Writing the same Enabled again is no re-arming; a granted one starts it.
        timers.RefuseSetTimer = false;
        timer.SetEnabled(true);
        EXPECT_FALSE(timers.IsArmed(timer.Handle()));
        timer.SetOnTimer(noop);
        EXPECT_TRUE(timers.IsArmed(timer.Handle()));
    }
}

TEST_F(TimerTest, AHandlerMayReplaceItselfWhileItRuns) {
    TTimer timer(nullptr);
    std::string seen;
    timer.SetOnTimer([&, text = std::string(64, 'a')](TComponent*) {
        timer.SetOnTimer([&](TComponent*) { seen += 'b'; });
        seen += text.substr(0, 1); // still alive after the write
    });
    timers.RunFor(2000);
    EXPECT_EQ(seen, "ab");
}

} // namespace
