// The alarm tick as the timer window gets it: a tick within a second already
// examined, and a tick in a new second that walks three entries, none due.
#include <benchmark/benchmark.h>

#include "engine/KsrAlarms.h"
#include "platform/Platform.h"
#include "rtl/FormatSettings.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeTimers.h"
#include "tests/fakes/MemoryStore.h"

namespace {

// The unit started on fakes, with three slots due long after the run.
class StartedAlarms {
  public:
    StartedAlarms() {
        previousClock_ = platform::SetClock(&clock);
        previousStore_ = platform::SetStore(&store);
        previousDesktop_ = platform::SetDesktop(&desktop);
        previousTimers_ = platform::SetTimers(&timers);
        previousSettings_ = FormatSettings();
        SetFormatSettings(TFormatSettings());
        clock.Set(2024, 12, 9, 14, 30, 15, 250);
        const char* dues[] = {"12/31/2030 8:00:00 AM", "1/1/2031", "6/15/2031 11:59:59 PM"};
        for (int slot = 0; slot < 3; ++slot) {
            const std::string key =
                std::string("Software\\Zandrel\\Velmora\\Settings\\Schedule\\") +
                static_cast<char>('0' + slot);
            store.SetDword(key, "Enabled", 1);
            store.SetDword(key, "ScheduleType", 2);
            store.SetString(key, "Params", dues[slot]);
        }
        KsrAlarmsUnitStart();
        window = SchedulerAlarms->TickTimer()->Handle();
    }
    ~StartedAlarms() {
        KsrAlarmsUnitStop();
        SetFormatSettings(previousSettings_);
        platform::SetTimers(previousTimers_);
        platform::SetDesktop(previousDesktop_);
        platform::SetStore(previousStore_);
        platform::SetClock(previousClock_);
    }

    std::intptr_t Tick() { return timers.Deliver(window, platform::kWmTimer, 1); }

    fakes::FakeClock clock;
    fakes::MemoryStore store;
    fakes::FakeDesktop desktop;
    fakes::FakeTimers timers{&clock};
    platform::WindowHandle window = platform::kNoWindow;

  private:
    platform::IClock* previousClock_;
    platform::ISettingsStore* previousStore_;
    platform::IDesktop* previousDesktop_;
    platform::ITimers* previousTimers_;
    TFormatSettings previousSettings_;
};

void IdleTick(benchmark::State& state) {
    StartedAlarms alarms;
    alarms.Tick(); // examines the current second
    for (auto _ : state)
        benchmark::DoNotOptimize(alarms.Tick());
    if (SchedulerAlarms->GetAlarmCount() != 3)
        state.SkipWithError("the entries changed");
}
BENCHMARK(IdleTick);

void TickWalkingThreeEntries(benchmark::State& state) {
    StartedAlarms alarms;
    for (auto _ : state) {
        alarms.clock.Advance(1000);
        benchmark::DoNotOptimize(alarms.Tick());
    }
    if (!alarms.desktop.Calls.empty())
        state.SkipWithError("an alarm fired");
}
BENCHMARK(TickWalkingThreeEntries);

} // namespace
