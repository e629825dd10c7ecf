// The tick's fixed cost, twice a second: the current second written as
// date-time text and read back.
#include <benchmark/benchmark.h>

#include "platform/Platform.h"
#include "rtl/DateTimeText.h"
#include "rtl/DateUtils.h"
#include "tests/fakes/FakeClock.h"

namespace {

void CurrentSecondWrittenAndReadBack(benchmark::State& state) {
    fakes::FakeClock clock;
    clock.Set(2024, 12, 9, 14, 30, 15, 250);
    platform::IClock* previous = platform::SetClock(&clock);
    const TFormatSettings unitedStates;
    for (auto _ : state) {
        clock.Advance(500);
        std::string text = DateTimeToStr(Now(), unitedStates);
        TLocalDateTime second = StrToDateTime(text, unitedStates);
        benchmark::DoNotOptimize(second);
    }
    platform::SetClock(previous);
}
BENCHMARK(CurrentSecondWrittenAndReadBack);

} // namespace

BENCHMARK_MAIN();
