// The alarm tick as the timer window gets it: a tick within a second already
// examined, and a tick in a new second that walks three entries, none due.
#include <benchmark/benchmark.h>

#include "engine/KsrAlarms.h"
#include "platform/Platform.h"
#include "rtl/FormatSettings.h"
#include "tests/fakes/InstalledFakes.h"

namespace {

// The unit started on fakes, with three slots due long after the run.
class StartedAlarms {
  public:
    StartedAlarms() {
        installed.clock.Set(2024, 12, 9, 14, 30, 15, 250);
        const char* dues[] = {"12/31/2030 8:00:00 AM", "1/1/2031", "6/15/2031 11:59:59 PM"};
        for (int slot = 0; slot < 3; ++slot) {
            const std::string key =
                std::string("Software\\Zandrel\\Velmora\\Settings\\Schedule\\") +
                static_cast<char>('0' + slot);
            installed.store.SetDword(key, "Enabled", 1);
            installed.store.SetDword(key, "ScheduleType", 2);
            installed.store.SetString(key, "Params", dues[slot]);
        }
        KsrAlarmsUnitStart();
        window = SchedulerAlarms->TickTimer()->Handle();
    }
    ~StartedAlarms() { KsrAlarmsUnitStop(); }

    std::intptr_t Tick() { return installed.timers.Deliver(window, platform::kWmTimer, 1); }

    fakes::InstalledFakes installed;
    platform::WindowHandle window = platform::kNoWindow;
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
        alarms.installed.clock.Advance(1000);
        benchmark::DoNotOptimize(alarms.Tick());
    }
    if (!alarms.installed.desktop.Calls.empty())
        state.SkipWithError("an alarm fired");
}
BENCHMARK(TickWalkingThreeEntries);

} // namespace
