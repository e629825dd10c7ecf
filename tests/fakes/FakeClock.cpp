#include "tests/fakes/FakeClock.h"

#include <cmath>

#include "rtl/DateUtils.h"

namespace fakes {

void FakeClock::Set(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                    std::uint16_t minute, std::uint16_t second, std::uint16_t msec) {
    auto days = static_cast<std::int64_t>(EncodeDate(year, month, day));
    msecSinceDay0_ = days * 86400000LL + ((hour * 60LL + minute) * 60LL + second) * 1000LL + msec;
}

void FakeClock::Advance(std::int64_t msec) {
    msecSinceDay0_ += msec;
    ticks_ += static_cast<std::uint32_t>(msec);
}

platform::LocalTime FakeClock::Now() {
    std::int64_t days = msecSinceDay0_ / 86400000LL;
    std::int64_t inDay = msecSinceDay0_ % 86400000LL;
    // Before day 0 the division rounds toward it: take the day before.
    if (inDay < 0) {
        inDay += 86400000LL;
        --days;
    }
    platform::LocalTime t{};
    DecodeDate(static_cast<double>(days), t.Year, t.Month, t.Day);
    t.DayOfWeek = static_cast<std::uint16_t>(DayOfWeek(static_cast<double>(days)) - 1);
    t.Hour = static_cast<std::uint16_t>(inDay / 3600000);
    t.Minute = static_cast<std::uint16_t>(inDay / 60000 % 60);
    t.Second = static_cast<std::uint16_t>(inDay / 1000 % 60);
    t.Milliseconds = static_cast<std::uint16_t>(inDay % 1000);
    return t;
}

} // namespace fakes
