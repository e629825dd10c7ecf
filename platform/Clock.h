// The local clock and the system's uptime.
#pragma once

#include <cstdint>

namespace platform {

// Field for field the Windows SYSTEMTIME; DayOfWeek 0 = Sunday.
struct LocalTime {
    std::uint16_t Year, Month, DayOfWeek, Day, Hour, Minute, Second, Milliseconds;
};

class IClock {
  public:
    virtual ~IClock() = default;
    virtual LocalTime Now() = 0;           // GetLocalTime
    virtual std::uint32_t TickCount() = 0; // GetTickCount: ms since system start, wraps
};

} // namespace platform
