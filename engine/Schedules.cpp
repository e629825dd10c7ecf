#include "engine/Schedules.h"

#include <cmath>
#include <exception>

#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "platform/Platform.h"
#include "rtl/DateTimeText.h"
#include "rtl/IntText.h"
#include "rtl/SysUtils.h"
#include "settings/CustomRegistry.h"

namespace {

std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFF));
}

// Whole days of Date plus the time of day of Value; before day 0 the time of
// day counts backwards, as it does in every value there.
TLocalDateTime AtTimeOfDay(TLocalDateTime date, TLocalDateTime value) {
    double whole = std::trunc(date);
    double timeOfDay = std::fabs(value - std::trunc(value));
    return whole < 0 ? whole - timeOfDay : whole + timeOfDay;
}

struct ClockReading {
    TLocalDateTime Now;
    TLocalDateTime Today;
    std::uint16_t Year, Month, Hour;
};

// One reading serves the whole computation of a slot, so its parts agree.
ClockReading ReadClock() {
    platform::LocalTime t = platform::Clock().Now();
    TLocalDateTime today = EncodeDate(t.Year, t.Month, t.Day);
    return {ComposeDateTime(today, EncodeTime(t.Hour, t.Minute, t.Second, t.Milliseconds)), today,
            t.Year, t.Month, t.Hour};
}

// An alarm lives on as date-time text, which knows only the years 1 to 9999;
// a wrapped offset from a clock near either end can leave them.
TLocalDateTime InCalendar(TLocalDateTime alarm) {
    std::uint16_t year = 0, month = 0, day = 0;
    DecodeDate(alarm, year, month, day);
    if (year == 0)
        throw EConvertError("Invalid argument to date encode");
    return alarm;
}

} // namespace

TLocalDateTime OffsetDateTime(TLocalDateTime Base, std::int32_t Days, std::int32_t Hours,
                              std::int32_t Minutes, std::int32_t Seconds) {
    std::int64_t total = static_cast<std::int64_t>(Days) * 86400 +
                         static_cast<std::int64_t>(Hours) * 3600 +
                         static_cast<std::int64_t>(Minutes) * 60 + Seconds;
    // One second is the same fraction of a day under every regional setting;
    // it is not read from text in the user's time format.
    const TLocalDateTime one = EncodeTime(0, 0, 1, 0);
    return Base + Wrap32(total) * one;
}

TLocalDateTime NextRun(std::uint8_t Type, const std::string& Params) {
    std::size_t bar = Params.find('|');
    std::string dayPart = bar == std::string::npos ? std::string() : Params.substr(0, bar);
    std::string timePart = bar == std::string::npos ? Params : Params.substr(bar + 1);

    switch (Type) {
    case stInterval: {
        std::int32_t minutes = StrToInt(timePart);
        return InCalendar(OffsetDateTime(ReadClock().Now, 0, 0, minutes, 0));
    }
    case stMinuteOfHour: {
        std::int32_t minute = StrToInt(timePart);
        ClockReading clock = ReadClock();
        return clock.Today + EncodeTime(clock.Hour, static_cast<std::uint16_t>(minute), 0, 0);
    }
    case stDateTime:
        return StrToDateTime(timePart);
    case stWeekday: {
        ClockReading clock = ReadClock();
        std::int32_t today = DayOfWeek(clock.Now);
        std::int32_t target = Wrap32(static_cast<std::int64_t>(StrToInt(dayPart)) + 1);
        std::int32_t days = today > target ? Wrap32(static_cast<std::int64_t>(target) - today + 7)
                                           : Wrap32(static_cast<std::int64_t>(target) - today);
        TLocalDateTime alarm = OffsetDateTime(clock.Now, days, 0, 0, 0);
        return InCalendar(AtTimeOfDay(alarm, StrToDateTime(timePart)));
    }
    case stDayOfMonth: {
        std::int32_t day = StrToInt(dayPart);
        ClockReading clock = ReadClock();
        TLocalDateTime date = EncodeDate(clock.Year, clock.Month, static_cast<std::uint16_t>(day));
        return AtTimeOfDay(date, StrToDateTime(timePart));
    }
    default:
        return 0;
    }
}

void LoadSchedules() {
    TKsrAlarms& alarms = *SchedulerAlarms;
    alarms.SetActive(false);
    alarms.Alarms()->Clear();
    {
        TRegIniFile reader(velmora::kSettingsBaseKey);
        for (int slot = 0; slot < velmora::kSlotCount; ++slot) {
            try {
                std::string section = velmora::kScheduleSectionPrefix + IntToStr(slot);
                if (!reader.ReadSectionBool(section, velmora::kValueEnabled, false))
                    continue;
                std::string params = reader.ReadSectionString(section, velmora::kValueParams, "");
                std::int32_t type =
                    reader.ReadSectionInteger(section, velmora::kValueScheduleType, 0);
                TLocalDateTime alarm = NextRun(static_cast<std::uint8_t>(type & 0xFF), params);
                alarms.Alarms()->Add(DateTimeToStr(alarm) + "|" + IntToStr(slot));
            } catch (const std::exception&) {
                // A slot that cannot be read or computed gets no alarm; the
                // others are not disturbed, and nothing is shown.
            }
        }
    }
    alarms.SetActive(true);
}
