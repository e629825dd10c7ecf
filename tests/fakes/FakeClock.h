// A clock that moves only when told.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace fakes {

class FakeClock : public platform::IClock {
  public:
    // Sets the local time; the day of the week is worked out from the date.
    void Set(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour = 0,
             std::uint16_t minute = 0, std::uint16_t second = 0, std::uint16_t msec = 0);
    // Moves the local time (and the tick count) on by msec milliseconds.
    void Advance(std::int64_t msec);
    void SetTickCount(std::uint32_t ticks) { ticks_ = ticks; }

    platform::LocalTime Now() override;
    std::uint32_t TickCount() override { return ticks_; }

  private:
    std::int64_t msecSinceDay0_ = 0; // milliseconds since 30 December 1899
    std::uint32_t ticks_ = 0;
};

} // namespace fakes
