// Schedule slots into alarms: the next run of each slot, and the loading of
// all three slots into the alarm list of SchedulerAlarms.
#pragma once

#include <cstdint>
#include <string>

#include "rtl/DateUtils.h"

enum TScheduleType : std::uint8_t {
    stInterval = 0,
    stMinuteOfHour = 1,
    stDateTime = 2,
    stWeekday = 3,
    stDayOfMonth = 4,
    stAtStartup = 5,
};

// Base moved by a count of seconds formed in 32-bit two's-complement
// arithmetic, so an overlarge count wraps around.
TLocalDateTime OffsetDateTime(TLocalDateTime Base, std::int32_t Days, std::int32_t Hours,
                              std::int32_t Minutes, std::int32_t Seconds);

// The next run of one slot by the local clock of this moment. Type is the low
// 8 bits of "ScheduleType"; types without a computation give the zero
// date-time. Raises EConvertError for a parameter that does not fit the type.
TLocalDateTime NextRun(std::uint8_t Type, const std::string& Params);

// Empties the alarm list and fills it again from the three slots. An error in
// one slot drops that slot alone.
void LoadSchedules();
