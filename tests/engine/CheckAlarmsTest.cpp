#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "engine/Schedules.h"
#include "rtl/DateTimeText.h"
#include "rtl/SysUtils.h"
#include "tests/engine/EngineFixture.h"

namespace {

struct Moment {
    std::uint16_t y, mo, d, h, mi, s, ms;
};
constexpr Moment kMorning{2003, 6, 11, 10, 15, 30, 250};
constexpr Moment kBeforeMidnight{2003, 6, 11, 23, 59, 58, 100};
constexpr platform::WindowHandle kMainWindow = 0x4711;

// Counts every call that reaches the settings store.
class CountingStore : public platform::ISettingsStore {
  public:
    explicit CountingStore(platform::ISettingsStore& inner) : inner_(inner) {}
    platform::StoreStatus CreateKey(platform::StoreKey parent, const char* path,
                                    platform::StoreKey* key) override {
        ++Calls;
        return inner_.CreateKey(parent, path, key);
    }
    platform::StoreStatus OpenKey(platform::StoreKey parent, const char* path, std::uint32_t access,
                                  platform::StoreKey* key) override {
        ++Calls;
        return inner_.OpenKey(parent, path, access, key);
    }
    platform::StoreStatus QueryValue(platform::StoreKey key, const char* name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) override {
        ++Calls;
        return inner_.QueryValue(key, name, type, data, size);
    }
    platform::StoreStatus CloseKey(platform::StoreKey key) override {
        ++Calls;
        return inner_.CloseKey(key);
    }
    int Calls = 0;

  private:
    platform::ISettingsStore& inner_;
};

// Hands off to a running main application by default, noting the local time
// of each hand-off ("M/D/YYYY HH:MM:SS.mmm /s_x").
class CheckAlarmsTest : public EngineFixture {
  public:
    // For the cases' scripts, which drive a test through a reference.
    using EngineFixture::clock;
    using EngineFixture::Entries;
    using EngineFixture::timers;

    void SetUp() override {
        EngineFixture::SetUp();
        counting_ = std::make_unique<CountingStore>(store);
        platform::SetStore(counting_.get());
        desktop.Windows.push_back(
            {velmora::kMainWindowClass, velmora::kMainWindowTitle, kMainWindow});
        desktop.WhileSending = [this](const fakes::SendMessageCall& call) {
            fired.push_back(Stamp() + " " + std::string(call.CopyBytes.c_str()));
            if (OnHandoff)
                OnHandoff(static_cast<int>(fired.size()));
        };
    }
    void TearDown() override {
        EngineFixture::TearDown();
        platform::SetStore(&store); // the fixture restores the one before
    }

    void SetClock(const Moment& m) { clock.Set(m.y, m.mo, m.d, m.h, m.mi, m.s, m.ms); }

    std::string Stamp() {
        const platform::LocalTime t = clock.Now();
        char text[64];
        std::snprintf(text, sizeof text, "%u/%u/%u %02u:%02u:%02u.%03u", t.Month, t.Day, t.Year,
                      t.Hour, t.Minute, t.Second, t.Milliseconds);
        return text;
    }

    // Slot of type stDateTime, due at the given date-time text.
    void DueAt(int slot, const char* when) { WriteSlot(slot, true, stDateTime, when); }
    void Disable(int slot) { WriteSlot(slot, false, stDateTime, ""); }

    int StoreCalls() const { return counting_->Calls; }

    std::vector<std::string> fired;
    // Runs inside the n-th hand-off (from 1), before it returns.
    std::function<void(int n)> OnHandoff;

  private:
    std::unique_ptr<CountingStore> counting_;
};

TLocalDateTime Second(const char* text) {
    return StrToDateTime(text);
}

TEST_F(CheckAlarmsTest, WhenAlarmsFire) {
    struct Case {
        const char* what;
        Moment start;
        std::vector<std::pair<int, const char*>> due; // slot, date-time text
        std::function<void(CheckAlarmsTest&)> drive;
        std::vector<std::string> fired;
    };
    auto runFor = [](std::int64_t ms) { return [ms](CheckAlarmsTest& t) { t.timers.RunFor(ms); }; };
    const Case cases[] = {
        {"once, at the first of the two ticks within its second",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}},
         runFor(5000),
         {"6/11/2003 10:15:32.250 /s_j"}},
        {"the first tick after construction walks the list",
         kMorning,
         {{1, "6/11/2003 10:15:30 AM"}},
         runFor(2000),
         {"6/11/2003 10:15:30.750 /s_b"}},
        {"an entry held as the date alone, at the day's first tick",
         kBeforeMidnight,
         {{2, "6/12/2003"}},
         runFor(5000),
         {"6/12/2003 00:00:00.100 /s_d"}},
        {"an alarm already past never fires",
         kMorning,
         {{0, "6/11/2003 10:15:29 AM"}},
         runFor(5000),
         {}},
        {"a second that no tick examined never fires",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}},
         [](CheckAlarmsTest& t) {
             t.timers.RunFor(1000); // last tick at 31.250
             t.clock.Advance(1500); // the thread was held, or the clock set on
             t.timers.RunFor(5000); // next tick at 33.250
             EXPECT_EQ(t.Entries(), std::vector<std::string>{"6/11/2003 10:15:32 AM|0"});
         },
         {}},
        {"after the clock is set back, a still listed alarm fires again",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}},
         [](CheckAlarmsTest& t) {
             t.timers.RunFor(3000);
             t.clock.Set(2003, 6, 11, 10, 15, 31, 0);
             t.timers.RunFor(2000);
         },
         {"6/11/2003 10:15:32.250 /s_j", "6/11/2003 10:15:32.000 /s_j"}},
        {"two in one second: the lower index first, each once",
         kMorning,
         {{2, "6/11/2003 10:15:32 AM"}, {1, "6/11/2003 10:15:33 AM"}, {0, "6/11/2003 10:15:32 AM"}},
         runFor(5000),
         {"6/11/2003 10:15:32.250 /s_j", "6/11/2003 10:15:32.250 /s_d",
          "6/11/2003 10:15:33.250 /s_b"}},
        {"after a rebuild the walk goes on at the next index of the new list",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}, {1, "6/11/2003 10:15:32 AM"}, {2, "6/11/2003 10:15:40 AM"}},
         [](CheckAlarmsTest& t) {
             t.OnHandoff = [&t](int n) {
                 if (n != 1)
                     return;
                 // The new list is [1, 2]: index 1 is now slot 2, and slot 1
                 // at index 0 is passed over.
                 t.Disable(0);
                 t.DueAt(2, "6/11/2003 10:15:32 AM");
             };
             t.timers.RunFor(12000);
         },
         {"6/11/2003 10:15:32.250 /s_j", "6/11/2003 10:15:32.250 /s_d"}},
        {"the walk stops at the count it took, though a rebuild added entries",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}},
         [](CheckAlarmsTest& t) {
             t.OnHandoff = [&t](int n) {
                 if (n == 1)
                     t.DueAt(1, "6/11/2003 10:15:32 AM");
             };
             t.timers.RunFor(5000);
         },
         {"6/11/2003 10:15:32.250 /s_j"}},
        {"a rebuild with fewer entries ends the walk, and the ticks go on",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}, {1, "6/11/2003 10:15:32 AM"}, {2, "6/11/2003 10:15:33 AM"}},
         [](CheckAlarmsTest& t) {
             t.OnHandoff = [&t](int n) {
                 if (n == 1)
                     t.Disable(0), t.Disable(1);
             };
             t.timers.RunFor(2000);
             EXPECT_EQ(t.Entries(), std::vector<std::string>{"6/11/2003 10:15:33 AM|2"});
             EXPECT_EQ(SchedulerAlarms->LastSecond(), Second("6/11/2003 10:15:32 AM"));
             t.timers.RunFor(2000);
         },
         {"6/11/2003 10:15:32.250 /s_j", "6/11/2003 10:15:33.250 /s_d"}},
        {"while inactive no tick comes and LastSecond stays",
         kMorning,
         {{0, "6/11/2003 10:15:32 AM"}},
         [](CheckAlarmsTest& t) {
             t.timers.RunFor(1000);
             SchedulerAlarms->SetActive(false);
             const TLocalDateTime last = SchedulerAlarms->LastSecond();
             const std::int64_t ticks = t.timers.TicksDelivered;
             t.timers.RunFor(5000);
             EXPECT_EQ(t.timers.TicksDelivered, ticks);
             EXPECT_EQ(SchedulerAlarms->LastSecond(), last);
             EXPECT_EQ(last, Second("6/11/2003 10:15:31 AM"));
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetClock(c.start);
        for (int slot = 0; slot < 3; ++slot)
            Disable(slot);
        for (const auto& [slot, when] : c.due)
            DueAt(slot, when);
        fired.clear();
        OnHandoff = nullptr;
        KsrAlarmsUnitStart();
        c.drive(*this);
        EXPECT_EQ(fired, c.fired);
        KsrAlarmsUnitStop();
    }
}

// The name's low eight bits, read as a signed number, choose the slot; a name
// that is not an integer ends the tick before any hand-off or rebuild.
TEST_F(CheckAlarmsTest, TheNameChoosesTheSlot) {
    struct Case {
        const char* name;
        const char* message; // the switch sent to the main window; nullptr: none
        const char* started; // the parameters of a start; nullptr: none
    };
    const Case cases[] = {
        {"1", "/s_b", nullptr},    {"257", "/s_b", nullptr}, {"-254", "/s_d", nullptr},
        {"$100", "/s_j", nullptr}, {" 2", "/s_d", nullptr},  {"3", "", nullptr},
        {"255", nullptr, ""},      {"-1", nullptr, ""},      {"x", nullptr, nullptr},
        {"1 ", nullptr, nullptr},  {"", nullptr, nullptr},   {"2147483648", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("name '") + c.name + "'");
        SetClock(kMorning);
        KsrAlarmsUnitStart();
        SchedulerAlarms->InsertAlarm(c.name, Second("6/11/2003 10:15:31 AM"));
        // Due in the same second, behind it: reached only after a rebuild,
        // which empties the list here.
        SchedulerAlarms->InsertAlarm("0", Second("6/11/2003 10:15:31 AM"));
        desktop.SentMessages.clear();
        desktop.ShellExecutes.clear();
        timers.RunFor(1500);

        const bool handedOff = c.message || c.started;
        ASSERT_EQ(desktop.SentMessages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(desktop.SentMessages[0].CopyBytes, std::string(c.message) + '\0');
        }
        ASSERT_EQ(desktop.ShellExecutes.size(), c.started ? 1u : 0u);
        if (c.started) {
            EXPECT_EQ(desktop.ShellExecutes[0].Parameters, c.started);
        }
        // A rebuild empties the list, as the store holds no slot.
        EXPECT_EQ(SchedulerAlarms->GetAlarmCount(), handedOff ? 0 : 2);
        EXPECT_EQ(SchedulerAlarms->LastSecond(), Second("6/11/2003 10:15:31 AM"));
        KsrAlarmsUnitStop();
    }
}

TEST_F(CheckAlarmsTest, AFailedHandoffSkipsTheRebuildAndTheEntryStaysUnfired) {
    desktop.Windows.clear();
    store.SetDword("Software\\Zandrel\\Velmora", velmora::kValueVelmoraPath, 7);
    SetClock(kMorning);
    KsrAlarmsUnitStart();
    SchedulerAlarms->InsertAlarm("0", Second("6/11/2003 10:15:31 AM"));
    timers.RunFor(5000);
    EXPECT_TRUE(desktop.ShellExecutes.empty());
    EXPECT_EQ(Entries(), std::vector<std::string>{"6/11/2003 10:15:31 AM|0"});
    EXPECT_TRUE(SchedulerAlarms->Active());
    EXPECT_TRUE(timers.IsArmed(SchedulerAlarms->TickTimer()->Handle()));
}

// The failure box's own loop delivers ticks: the nested check fires and
// rebuilds, and the outer walk then goes on over the list as it is now.
TEST_F(CheckAlarmsTest, TicksWhileAFailureBoxIsOpenEnterTheCheckAgain) {
    desktop.Windows.clear();
    desktop.ShellExecuteResult = 2; // file not found
    bool nested = false;
    std::vector<std::string> boxes;
    desktop.WhileBoxOpen = [&] {
        boxes.push_back(Stamp());
        if (nested)
            return;
        nested = true;
        timers.RunFor(1000); // ticks at 32.750 and 33.250
    };
    SetClock(kMorning);
    DueAt(0, "6/11/2003 10:15:32 AM");
    DueAt(1, "6/11/2003 10:15:33 AM");
    KsrAlarmsUnitStart();
    timers.RunFor(2000); // to 32.250
    std::vector<std::string> started;
    for (const fakes::ShellExecuteCall& call : desktop.ShellExecutes)
        started.push_back(call.Parameters);
    // Slot 1 once from the nested walk, and again from the outer walk, which
    // reads index 1 of the rebuilt list against the second the nested call set.
    EXPECT_EQ(started, (std::vector<std::string>{"/s_j", "/s_b", "/s_b"}));
    EXPECT_EQ(boxes, (std::vector<std::string>{"6/11/2003 10:15:32.250", "6/11/2003 10:15:33.250",
                                               "6/11/2003 10:15:33.250"}));
    EXPECT_EQ(SchedulerAlarms->LastSecond(), Second("6/11/2003 10:15:33 AM"));
    EXPECT_TRUE(SchedulerAlarms->Active());
}

// Reads the clock, then moves it on once, as if a second began between two reads.
class SteppingClock : public platform::IClock {
  public:
    explicit SteppingClock(fakes::FakeClock& inner) : inner_(inner) {}
    platform::LocalTime Now() override {
        const platform::LocalTime now = inner_.Now();
        if (StepAfterNextRead != 0)
            inner_.Advance(StepAfterNextRead);
        StepAfterNextRead = 0;
        return now;
    }
    std::uint32_t TickCount() override { return inner_.TickCount(); }
    std::int64_t StepAfterNextRead = 0;

  private:
    fakes::FakeClock& inner_;
};

TEST_F(CheckAlarmsTest, ASecondBeginningBetweenTheTwoReadsIsTheOneExamined) {
    SteppingClock stepping(clock);
    platform::IClock* previous = platform::SetClock(&stepping);
    SetClock(kMorning);
    DueAt(0, "6/11/2003 10:15:31 AM");
    DueAt(1, "6/11/2003 10:15:32 AM");
    KsrAlarmsUnitStart();
    timers.RunFor(500); // 30.750 examined
    stepping.StepAfterNextRead = 800;
    timers.RunFor(500); // reads 31.250, then 32.050
    EXPECT_EQ(SchedulerAlarms->LastSecond(), Second("6/11/2003 10:15:32 AM"));
    timers.RunFor(3000);
    EXPECT_EQ(fired, std::vector<std::string>{"6/11/2003 10:15:32.050 /s_b"});
    platform::SetClock(previous);
}

TEST_F(CheckAlarmsTest, NothingReachesTheStoreBetweenFirings) {
    SetClock(kMorning);
    DueAt(0, "6/11/2003 11:00:00 AM");
    DueAt(1, "6/12/2003 10:00:00 AM");
    DueAt(2, "6/11/2003 10:16:00 AM");
    KsrAlarmsUnitStart();
    const int atStart = StoreCalls();
    timers.RunFor(29000); // 58 ticks, 29 walks of three entries
    EXPECT_EQ(StoreCalls(), atStart);
    EXPECT_TRUE(fired.empty());
    timers.RunFor(2000);
    EXPECT_EQ(fired, std::vector<std::string>{"6/11/2003 10:16:00.250 /s_d"});
    EXPECT_GT(StoreCalls(), atStart) << "the firing reads the schedules again";
}

TEST_F(CheckAlarmsTest, ConstructionLeavesTheTickTimerSetUpAndStopped) {
    TKsrAlarms alarms(nullptr);
    TTimer* timer = alarms.TickTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Owner(), &alarms);
    EXPECT_EQ(timer->Interval(), 500u);
    EXPECT_TRUE(timer->OnTimer());
    EXPECT_FALSE(timer->Enabled());
    EXPECT_FALSE(alarms.Active());
    EXPECT_FALSE(timers.IsArmed(timer->Handle()));
    // Interval (no handler yet), handler (armed), Enabled False (killed).
    std::vector<std::string> calls;
    for (const fakes::TimerCall& call : timers.Calls)
        calls.push_back(call.Function +
                        (call.Function == "SetTimer" ? " " + std::to_string(call.Elapse) : ""));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"KillTimer", "KillTimer", "SetTimer 500", "KillTimer"}));
    // The time of day alone: no present-day second read back from text equals it.
    EXPECT_DOUBLE_EQ(alarms.LastSecond(), EncodeTime(10, 15, 30, 250));
}

TEST_F(CheckAlarmsTest, ActiveSwitchesTheTickOnlyWhenItChanges) {
    TKsrAlarms alarms(nullptr);
    const platform::WindowHandle window = alarms.TickTimer()->Handle();
    timers.Calls.clear();
    alarms.SetActive(true);
    EXPECT_TRUE(timers.IsArmed(window));
    EXPECT_EQ(timers.Elapse(window), 500u);
    timers.RunFor(300);
    const std::size_t calls = timers.Calls.size();
    alarms.SetActive(true);
    EXPECT_EQ(timers.Calls.size(), calls) << "the same value neither stops nor restarts";
    EXPECT_EQ(timers.DueIn(window), 200);
    alarms.SetActive(false);
    EXPECT_FALSE(timers.IsArmed(window));
}

TEST_F(CheckAlarmsTest, ARefusedTickTimer) {
    {
        SCOPED_TRACE("at construction");
        timers.RefuseSetTimer = true;
        try {
            TKsrAlarms alarms(nullptr);
            ADD_FAILURE() << "no error was raised";
        } catch (const EOutOfResources& e) {
            EXPECT_EQ(e.Message(), "Not enough timers available");
        }
        EXPECT_EQ(timers.WindowCount(), 0u);
    }
    {
        SCOPED_TRACE("when made active");
        timers.RefuseSetTimer = false;
        TKsrAlarms alarms(nullptr);
        timers.RefuseSetTimer = true;
        EXPECT_THROW(alarms.SetActive(true), EOutOfResources);
        EXPECT_TRUE(alarms.Active()) << "the flag is stored all the same";
        EXPECT_FALSE(timers.IsArmed(alarms.TickTimer()->Handle()));
    }
}

TEST_F(CheckAlarmsTest, DestructionFreesTheTimerAndItsWindow) {
    auto* alarms = new TKsrAlarms(nullptr);
    alarms->SetActive(true);
    const platform::WindowHandle window = alarms->TickTimer()->Handle();
    delete alarms;
    EXPECT_FALSE(timers.WindowExists(window));
    EXPECT_EQ(timers.Calls.back().Function, "KillTimer");
}

} // namespace
