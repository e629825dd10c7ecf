// One schedule slot of any type and parameter text, at any moment of the
// calendar: the next run is a value or an EConvertError, loading the slot
// gives exactly the entry that the next run promises, the entry reads back,
// and no registry handle or timer window is left behind.
//
// Input: two bytes choose the locale row; the clock (year as two bytes,
// month, day, hour, minute, second, milliseconds as two bytes); a byte for
// the slot; "ScheduleType" as four bytes; the rest is "Params".
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>

#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "engine/Schedules.h"
#include "fuzz/FuzzSupport.h"
#include "tests/fakes/InstalledFakes.h"
#include "rtl/DateTimeText.h"
#include "rtl/IntText.h"
#include "rtl/SysUtils.h"

namespace {

using fuzz::Fail;
using fuzz::Quoted;
using fuzz::Require;

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string Raised(const std::exception& error) {
    return std::string(ErrorClassName(error)) + " " + Quoted(error.what());
}

// Unit start and stop around one input, also when a check fails.
struct AlarmUnit {
    AlarmUnit() { KsrAlarmsUnitStart(); }
    ~AlarmUnit() { KsrAlarmsUnitStop(); }
    AlarmUnit(const AlarmUnit&) = delete;
    AlarmUnit& operator=(const AlarmUnit&) = delete;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const fakes::LocaleRow& row = fuzz::PickLocale(input);
    const auto year = static_cast<std::uint16_t>(input.U16() % 9999 + 1);
    const auto month = static_cast<std::uint16_t>(input.Byte() % 12 + 1);
    const auto day = static_cast<std::uint16_t>(input.Byte() % DaysInMonth(year, month) + 1);
    const auto hour = static_cast<std::uint16_t>(input.Byte() % 24);
    const auto minute = static_cast<std::uint16_t>(input.Byte() % 60);
    const auto second = static_cast<std::uint16_t>(input.Byte() % 60);
    const auto msec = static_cast<std::uint16_t>(input.U16() % 1000);
    const int slot = input.Byte() % velmora::kSlotCount;
    const auto type = static_cast<std::int32_t>(input.U32());
    const std::string params = input.Rest();

    fakes::InstalledFakes installed;
    SetFormatSettings(row.Settings);
    installed.clock.Set(year, month, day, hour, minute, second, msec);
    const std::string where =
        std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day) + " " +
        std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second) + "." +
        std::to_string(msec) + " " + row.Name + " slot " + std::to_string(slot) + " type " +
        std::to_string(type) + " " + Quoted(params);

    // The reader hands over the text up to its first NUL.
    const std::string stored = params.c_str();
    bool computed = false;
    TLocalDateTime next = 0;
    try {
        next = NextRun(static_cast<std::uint8_t>(type & 0xFF), stored);
        computed = true;
    } catch (const EConvertError&) {
    } catch (const std::exception& error) {
        Fail(where + ": NextRun raised " + Raised(error));
    }

    const std::string section = std::string("Software\\Zandrel\\Velmora\\") +
                                velmora::kScheduleSectionPrefix + IntToStr(slot);
    installed.store.SetDword(section, velmora::kValueEnabled, 1);
    installed.store.SetDword(section, velmora::kValueScheduleType,
                             static_cast<std::uint32_t>(type));
    installed.store.SetString(section, velmora::kValueParams, params);

    try {
        AlarmUnit unit;
        Require(installed.store.OpenHandleCount() == 0, where + ": a registry handle left open");
        const std::int32_t count = SchedulerAlarms->GetAlarmCount();
        Require(count == (computed ? 1 : 0),
                where + ": " + std::to_string(count) + " entries, NextRun " +
                    (computed ? "gave " + Number(next) : std::string("failed")));
        for (std::int32_t i = 0; i < count; ++i) {
            const std::string entry = SchedulerAlarms->Alarms()->Get(i);
            TAlarm alarm;
            try {
                SchedulerAlarms->GetAlarm(i, alarm);
            } catch (const std::exception& error) {
                Fail(where + ": entry " + Quoted(entry) + " for " + Number(next) +
                     " does not read back: " + Raised(error));
            }
            Require(alarm.Name == IntToStr(slot), where + ": entry " + Quoted(entry));
            Require(alarm.DateTime == StrToDateTime(DateTimeToStr(next)),
                    where + ": entry " + Quoted(entry) + " reads as " + Number(alarm.DateTime) +
                        ", NextRun gave " + Number(next));
        }
        // A few ticks walk the list, and hand over when the entry is due now.
        installed.timers.RunFor(1500);
        Require(installed.store.OpenHandleCount() == 0,
                where + ": a registry handle left open by a tick");
    } catch (const std::exception& error) {
        Fail(where + ": the engine raised " + Raised(error));
    }
    Require(installed.store.OpenHandleCount() == 0, where + ": a registry handle left open");
    Require(installed.timers.WindowCount() == 0, where + ": a timer window left behind");
    return 0;
}
