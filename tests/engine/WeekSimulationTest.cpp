// A week of ticks against a model of the scheduling rules that shares nothing
// with the engine: its own calendar, whole seconds since 1 January 1970, and
// structured schedules that it renders into the slots' texts itself.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "engine/Schedules.h"
#include "tests/engine/EngineFixture.h"

namespace {

using Seconds = std::int64_t;
constexpr Seconds kNever = std::numeric_limits<Seconds>::min();
constexpr Seconds kDay = 86400;

// Days since 1 January 1970 of a civil date, and back.
Seconds DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<Seconds>(era) * 146097 + doe - 719468;
}

struct Civil {
    int y, m, d;
};
Civil CivilFromDays(Seconds days) {
    days += 719468;
    const Seconds era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = static_cast<int>(days - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    return {static_cast<int>(yoe + era * 400) + (m <= 2), m, d};
}

int DaysIn(int y, int m) {
    return static_cast<int>(DaysFromCivil(m == 12 ? y + 1 : y, m == 12 ? 1 : m + 1, 1) -
                            DaysFromCivil(y, m, 1));
}

Seconds At(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return DaysFromCivil(y, m, d) * kDay + h * 3600 + mi * 60 + s;
}

// "h:mm:ss AM": United States long time.
std::string UsTime(int h, int mi, int s) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, mi, s,
                  h < 12 ? "AM" : "PM");
    return text;
}

struct Schedule {
    bool enabled = false;
    int type = 0;
    int n = 0;             // minutes, minute, weekday or day
    Seconds moment = 0;    // stDateTime
    Seconds timeOfDay = 0; // stWeekday, stDayOfMonth
    std::string params;
};

Schedule Disabled() {
    return {};
}
Schedule Interval(int minutes) {
    return {true, 0, minutes, 0, 0, std::to_string(minutes)};
}
Schedule MinuteOfHour(int minute) {
    return {true, 1, minute, 0, 0, std::to_string(minute)};
}
Schedule DateTimeAt(int y, int m, int d, int h, int mi, int s) {
    std::string text = std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
    if (h || mi || s)
        text += " " + UsTime(h, mi, s);
    return {true, 2, 0, At(y, m, d, h, mi, s), 0, text};
}
Schedule Weekday(int weekday, int h, int mi, int s) { // 0 = Sunday
    return {true,
            3,
            weekday,
            0,
            h * 3600 + mi * 60 + s,
            std::to_string(weekday) + "|" + UsTime(h, mi, s)};
}
Schedule DayOfMonth(int day, int h, int mi, int s) {
    return {true, 4, day, 0, h * 3600 + mi * 60 + s, std::to_string(day) + "|" + UsTime(h, mi, s)};
}
Schedule AtStartup() {
    return {true, 5, 0, 0, 0, ""};
}

using Slots = std::array<Schedule, 3>;

struct Entry {
    int slot;
    Seconds due;
};

// What one load of the schedules gives, by the rules, at second now.
std::vector<Entry> Load(const Slots& slots, Seconds now) {
    std::vector<Entry> entries;
    const Seconds today = now - now % kDay;
    for (int slot = 0; slot < 3; ++slot) {
        const Schedule& s = slots[slot];
        if (!s.enabled)
            continue;
        switch (s.type) {
        case 0:
            entries.push_back({slot, now + 60 * s.n});
            break;
        case 1:
            if (s.n >= 0 && s.n <= 59)
                entries.push_back({slot, now - now % 3600 + 60 * s.n});
            break;
        case 2:
            entries.push_back({slot, s.moment});
            break;
        case 3: {
            const int dayOfWeek = static_cast<int>((now / kDay + 4) % 7) + 1; // 1 = Sunday
            const int target = s.n + 1;
            const int days = dayOfWeek > target ? target - dayOfWeek + 7 : target - dayOfWeek;
            entries.push_back({slot, today + days * kDay + s.timeOfDay});
            break;
        }
        case 4: {
            const Civil c = CivilFromDays(now / kDay);
            if (s.n >= 1 && s.n <= DaysIn(c.y, c.m))
                entries.push_back({slot, At(c.y, c.m, s.n) + s.timeOfDay});
            break;
        }
        default:
            entries.push_back({slot, kNever});
        }
    }
    return entries;
}

std::string Show(Seconds t) {
    const Civil c = CivilFromDays(t / kDay);
    const Seconds s = t % kDay;
    char text[48];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", c.y, c.m, c.d,
                  static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
    return text;
}

struct Reload {
    Seconds at; // the request comes 250 ms into this second
    Slots slots;
};

struct Firing {
    Seconds at;
    int slot;
    bool operator==(const Firing& o) const { return at == o.at && slot == o.slot; }
};

class WeekSimulationTest : public EngineFixture {};

TEST_F(WeekSimulationTest, EveryJobIsHandedOverAtTheSecondsTheRulesPredict) {
    // Monday 26 February 2024, over the leap day into March.
    const Seconds start = At(2024, 2, 26, 8, 0, 0);
    const Seconds end = start + 7 * kDay;
    const Slots initial = {Interval(7), MinuteOfHour(20), Weekday(3, 9, 15, 0)};
    const std::vector<Reload> reloads = {
        {At(2024, 2, 28, 12, 34, 30),
         {DayOfMonth(29, 6, 30, 0), Interval(13), DateTimeAt(2024, 2, 28, 23, 11, 11)}},
        // Day 30 has no entry in February and one in March, so the indexes move.
        {At(2024, 2, 29, 18, 0, 45),
         {AtStartup(), DayOfMonth(30, 10, 0, 0), DateTimeAt(2024, 3, 1, 0, 0, 0)}},
        {At(2024, 3, 1, 9, 30, 15), {Interval(25), Weekday(6, 7, 45, 0), MinuteOfHour(5)}},
        {At(2024, 3, 2, 20, 20, 20), {Interval(45), DayOfMonth(3, 14, 0, 0), Disabled()}},
        {At(2024, 3, 3, 16, 16, 16), {Disabled(), Weekday(1, 7, 59, 0), MinuteOfHour(30)}},
        {At(2024, 3, 3, 22, 22, 22), {Disabled(), Weekday(1, 7, 59, 0), MinuteOfHour(30)}},
    };

    // The model, second by second: a reload, then the walk over the list.
    std::vector<Firing> predicted;
    std::set<int> typesFired;
    {
        Slots slots = initial;
        std::vector<Entry> list = Load(slots, start);
        auto unambiguous = [&](Seconds second) {
            // Whether the tick of that second comes before or after the load
            // is not fixed, so no entry may be due then.
            for (const Entry& e : list)
                ASSERT_NE(e.due, second) << "slot " << e.slot << " due at a load, " << Show(second);
        };
        unambiguous(start);
        std::size_t next = 0;
        for (Seconds now = start; now < end; ++now) {
            if (next < reloads.size() && reloads[next].at == now) {
                unambiguous(now);
                slots = reloads[next++].slots;
                list = Load(slots, now);
                unambiguous(now);
            }
            const std::size_t n = list.size();
            for (std::size_t i = 0; i < n && i < list.size(); ++i) {
                if (list[i].due != now)
                    continue;
                predicted.push_back({now, list[i].slot});
                typesFired.insert(slots[list[i].slot].type);
                list = Load(slots, now);
            }
        }
        unambiguous(end);
    }
    ASSERT_EQ(typesFired, (std::set<int>{0, 1, 2, 3, 4})) << "the week should fire every kind";

    // The engine, on the fake clock and timers, handing over to a running
    // main application.
    std::vector<Firing> handed;
    desktop.Windows.push_back({velmora::kMainWindowClass, velmora::kMainWindowTitle, 0x4711});
    desktop.WhileSending = [&](const fakes::SendMessageCall& call) {
        const platform::LocalTime t = clock.Now();
        const Seconds now = At(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
        const std::string job(call.CopyBytes.c_str());
        handed.push_back({now, job == "/s_j" ? 0 : job == "/s_b" ? 1 : job == "/s_d" ? 2 : -1});
    };
    auto writeSlots = [&](const Slots& slots) {
        for (int slot = 0; slot < 3; ++slot)
            WriteSlot(slot, slots[slot].enabled, slots[slot].type, slots[slot].params);
    };
    const Civil first = CivilFromDays(start / kDay);
    clock.Set(static_cast<std::uint16_t>(first.y), static_cast<std::uint16_t>(first.m),
              static_cast<std::uint16_t>(first.d), 8, 0, 0, 250);
    writeSlots(initial);
    KsrAlarmsUnitStart();
    for (const Reload& reload : reloads) {
        timers.RunFor((reload.at - start) * 1000 - timers.Elapsed());
        writeSlots(reload.slots);
        LoadSchedules(); // as on the main application's reload request
    }
    timers.RunFor((end - start) * 1000 - timers.Elapsed());

    EXPECT_GE(timers.TicksDelivered, 7 * kDay * 2 - 10);
    for (std::size_t i = 0; i < std::max(predicted.size(), handed.size()); ++i) {
        if (i >= predicted.size() || i >= handed.size() || !(predicted[i] == handed[i])) {
            ADD_FAILURE() << "hand-off " << i << ": predicted "
                          << (i < predicted.size() ? Show(predicted[i].at) + " slot " +
                                                         std::to_string(predicted[i].slot)
                                                   : std::string("none"))
                          << ", handed over "
                          << (i < handed.size()
                                  ? Show(handed[i].at) + " slot " + std::to_string(handed[i].slot)
                                  : std::string("none"));
            break;
        }
    }
    EXPECT_EQ(handed.size(), predicted.size());
}

} // namespace
