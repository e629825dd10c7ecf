#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/Schedules.h"
#include "rtl/DateTimeText.h"
#include "rtl/SysUtils.h"
#include "tests/engine/EngineFixture.h"

namespace {

struct Clock {
    std::uint16_t y, mo, d, h, mi, s, ms;
};
constexpr Clock kWednesday{2003, 6, 11, 10, 15, 30, 250};
constexpr Clock kSunday{2003, 6, 15, 10, 15, 30, 0};
constexpr Clock kLateEvening{2003, 6, 11, 23, 50, 0, 400};
constexpr Clock kApril20{2003, 4, 20, 10, 15, 30, 0};
// Before day 0 the clock's days count down while its hours still count up.
constexpr Clock kBeforeDay0{1850, 6, 12, 10, 15, 30, 250}; // a Wednesday
constexpr Clock kLastEveningBeforeDay0{1899, 12, 29, 23, 0, 0, 0};
constexpr Clock kFirstDay{1, 1, 1, 10, 15, 30, 0};
constexpr Clock kLastMinute{9999, 12, 31, 23, 59, 30, 0}; // a Friday

struct SlotCase {
    const char* what;
    Clock clock;
    std::int32_t type;
    const char* params;
    const char* entry; // nullptr: the slot gets no entry
};

const SlotCase kSlotCases[] = {
    {"next Monday", kWednesday, 3, "1|08:00:00", "6/16/2003 8:00:00 AM|1"},
    {"today, still ahead", kWednesday, 3, "3|12:00:00", "6/11/2003 12:00:00 PM|1"},
    {"today, already past", kWednesday, 3, "3|08:00:00", "6/11/2003 8:00:00 AM|1"},
    {"next Sunday", kWednesday, 3, "0|08:00:00", "6/15/2003 8:00:00 AM|1"},
    {"Sunday on a Sunday", kSunday, 3, "0|08:00:00", "6/15/2003 8:00:00 AM|1"},
    {"weekday 7 on a Sunday", kSunday, 3, "7|08:00:00", "6/22/2003 8:00:00 AM|1"},
    {"weekday with a date in the time part", kWednesday, 3, "1|1/1/2000 08:00:00",
     "6/16/2003 8:00:00 AM|1"},
    {"weekday without a bar", kWednesday, 3, "08:00:00", nullptr},
    {"weekday, time part with a bar", kWednesday, 3, "1|08:00:00|x", nullptr},
    {"weekday not a number", kWednesday, 3, "Mon|08:00:00", nullptr},
    {"interval", kWednesday, 0, "15", "6/11/2003 10:30:30 AM|1"},
    {"interval after a bar", kWednesday, 0, "|15", "6/11/2003 10:30:30 AM|1"},
    {"interval with empty time part", kWednesday, 0, "15|", nullptr},
    {"interval in hexadecimal", kWednesday, 0, "$F", "6/11/2003 10:30:30 AM|1"},
    {"interval negative", kWednesday, 0, "-15", "6/11/2003 10:00:30 AM|1"},
    {"interval into the next day's first second", kLateEvening, 0, "10", "6/12/2003|1"},
    {"minute ahead", kWednesday, 1, "45", "6/11/2003 10:45:00 AM|1"},
    {"minute past", kWednesday, 1, "10", "6/11/2003 10:10:00 AM|1"},
    {"minute 60", kWednesday, 1, "60", nullptr},
    {"minute narrowed to 16 bits", kWednesday, 1, "65581", "6/11/2003 10:45:00 AM|1"},
    {"minute negative", kWednesday, 1, "-1", nullptr},
    {"date and time after a bar", kWednesday, 2, "|6/20/2003 9:30:00 PM", "6/20/2003 9:30:00 PM|1"},
    {"date and time", kWednesday, 2, "6/20/2003 9:30:00 PM", "6/20/2003 9:30:00 PM|1"},
    {"time alone is on day 0", kWednesday, 2, "|9:30:00 PM", "12/30/1899 9:30:00 PM|1"},
    {"not a date", kWednesday, 2, "|tomorrow", nullptr},
    {"day 31 in April", kApril20, 4, "31|08:00:00", nullptr},
    {"day 15, past", kApril20, 4, "15|08:00:00", "4/15/2003 8:00:00 AM|1"},
    {"day without a bar", kApril20, 4, "15", nullptr},
    {"day at midnight", kApril20, 4, "15|00:00:00", "4/15/2003|1"},
    {"day 0", kApril20, 4, "0|08:00:00", nullptr},
    {"day narrowed to 16 bits", kApril20, 4, "65551|08:00:00", "4/15/2003 8:00:00 AM|1"},
    {"weekday on a clock before day 0", kBeforeDay0, 3, "1|08:00:00", "6/17/1850 8:00:00 AM|1"},
    {"day on the evening before day 0", kLastEveningBeforeDay0, 4, "29|08:00:00",
     "12/29/1899 8:00:00 AM|1"},
    // Text knows no year before 1 or after 9999, so an alarm there would never read back.
    {"interval a day before the first day", kFirstDay, 0, "-1440", nullptr},
    {"interval wrapped to before the first day", kFirstDay, 0, "35791395", nullptr},
    {"interval after the last day", kLastMinute, 0, "1", nullptr},
    {"interval within the last minute", kLastMinute, 0, "0", "12/31/9999 11:59:30 PM|1"},
    {"weekday after the last day", kLastMinute, 3, "6|08:00:00", nullptr},
    {"weekday on the last day", kLastMinute, 3, "5|08:00:00", "12/31/9999 8:00:00 AM|1"},
    {"at startup", kWednesday, 5, "anything", "12/30/1899|1"},
    {"unknown type 200", kWednesday, 200, "", "12/30/1899|1"},
    {"type 256 is an interval", kWednesday, 256, "15", "6/11/2003 10:30:30 AM|1"},
    {"negative type by its low 8 bits", kWednesday, -255, "45", "6/11/2003 10:45:00 AM|1"},
};

class SlotTest : public EngineFixture {};

TEST_F(SlotTest, EachScheduleTypeGivesItsEntry) {
    KsrAlarmsUnitStart();
    for (const auto& c : kSlotCases) {
        SCOPED_TRACE(c.what);
        clock.Set(c.clock.y, c.clock.mo, c.clock.d, c.clock.h, c.clock.mi, c.clock.s, c.clock.ms);
        WriteSlot(1, true, c.type, c.params);
        LoadSchedules();
        std::vector<std::string> expected;
        if (c.entry)
            expected.push_back(c.entry);
        EXPECT_EQ(Entries(), expected);
        EXPECT_TRUE(SchedulerAlarms->Active());
        EXPECT_EQ(store.OpenHandleCount(), 0);
    }
}

TEST_F(SlotTest, EnabledSlotWithoutParams) {
    KsrAlarmsUnitStart();
    for (std::int32_t type : {0, 1, 2, 3, 4, 5, 17, 255}) {
        SCOPED_TRACE(type);
        store.DeleteKey(SlotKey(0));
        store.SetDword(SlotKey(0), "Enabled", 1);
        store.SetDword(SlotKey(0), "ScheduleType", static_cast<std::uint32_t>(type));
        LoadSchedules();
        std::vector<std::string> expected;
        if (type >= 5)
            expected.push_back("12/30/1899|0");
        EXPECT_EQ(Entries(), expected);
    }
}

TEST_F(SlotTest, DisabledSlotIsNotReadFurther) {
    // Wrong types that would raise if they were read.
    store.SetDword(SlotKey(2), "Enabled", 0);
    store.SetDword(SlotKey(2), "Params", 7);
    store.SetString(SlotKey(2), "ScheduleType", "x");
    KsrAlarmsUnitStart();
    EXPECT_TRUE(Entries().empty());
    EXPECT_TRUE(SchedulerAlarms->Active());
}

TEST_F(SlotTest, AFailingSlotLeavesTheOthers) {
    WriteSlot(0, true, 1, "60");
    WriteSlot(1, false, 0, "5");
    WriteSlot(2, true, 0, "5");
    KsrAlarmsUnitStart();
    EXPECT_EQ(Entries(), std::vector<std::string>{"6/11/2003 10:20:30 AM|2"});
}

TEST_F(SlotTest, ValuesOfTheWrongTypeDropOnlyTheirSlot) {
    WriteSlot(0, true, 0, "5");
    store.SetString(SlotKey(0), "Enabled", "1");
    WriteSlot(1, true, 0, "5");
    store.SetDword(SlotKey(1), "Params", 5);
    WriteSlot(2, true, 0, "5");
    store.SetString(SlotKey(2), "ScheduleType", "0");
    KsrAlarmsUnitStart();
    EXPECT_TRUE(Entries().empty());
    EXPECT_TRUE(SchedulerAlarms->Active());
}

TEST_F(SlotTest, AllSlotsInSlotOrder) {
    WriteSlot(2, true, 0, "1");
    WriteSlot(0, true, 0, "3");
    WriteSlot(1, true, 0, "2");
    KsrAlarmsUnitStart();
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"6/11/2003 10:18:30 AM|0", "6/11/2003 10:17:30 AM|1",
                                        "6/11/2003 10:16:30 AM|2"}));
}

TEST_F(SlotTest, NoSettingsAtAllCreatesTheBaseKeyOnly) {
    KsrAlarmsUnitStart();
    EXPECT_TRUE(Entries().empty());
    EXPECT_TRUE(SchedulerAlarms->Active());
    EXPECT_TRUE(store.KeyExists("Software\\Zandrel\\Velmora"));
    EXPECT_FALSE(store.KeyExists("Software\\Zandrel\\Velmora\\Settings"));
}

TEST_F(SlotTest, EachRunReplacesTheWholeList) {
    WriteSlot(0, true, 0, "1");
    KsrAlarmsUnitStart();
    SchedulerAlarms->InsertAlarm("extra", 1);
    clock.Advance(60000);
    LoadSchedules();
    EXPECT_EQ(Entries(), std::vector<std::string>{"6/11/2003 10:17:30 AM|0"});
}

TEST_F(SlotTest, IntervalAndWeekdayWorkWhereTheTimeSeparatorIsNotAColon) {
    TFormatSettings fi;
    fi.ShortDateFormat = "d.M.yyyy";
    fi.LongTimeFormat = "H.mm.ss";
    fi.DateSeparator = ".";
    fi.TimeSeparator = ".";
    SetFormatSettings(fi);
    WriteSlot(0, true, 0, "15");
    WriteSlot(1, true, 3, "1|08.00.00");
    WriteSlot(2, true, 1, "45");
    KsrAlarmsUnitStart();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"11.6.2003 10.30.30|0", "16.6.2003 8.00.00|1",
                                                   "11.6.2003 10.45.00|2"}));
}

TEST(OffsetDateTime, IsExactSecondsWithThirtyTwoBitWrap) {
    const TLocalDateTime base = EncodeDate(2003, 6, 11) + EncodeTime(10, 15, 30, 250);
    const double second = 1.0 / 86400.0;
    EXPECT_DOUBLE_EQ(OffsetDateTime(base, 0, 0, 15, 0), base + 900 * second);
    EXPECT_DOUBLE_EQ(OffsetDateTime(base, 5, 0, 0, 0), base + 5);
    EXPECT_DOUBLE_EQ(OffsetDateTime(base, 1, -24, 0, 1), base + second);
    // 35791395 minutes are 2147483700 seconds: 53 past the largest count,
    // which wraps to -2147483596 seconds, decades before the base.
    TLocalDateTime wrapped = OffsetDateTime(base, 0, 0, 35791395, 0);
    EXPECT_DOUBLE_EQ(wrapped, base - 2147483596.0 * second);
    std::uint16_t y, m, d;
    DecodeDate(wrapped, y, m, d);
    EXPECT_EQ(y, 1935);
}

TEST_F(SlotTest, IntervalJustAboveThirtyTwoBitsLiesDecadesBack) {
    WriteSlot(0, true, 0, "35791395");
    KsrAlarmsUnitStart();
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].substr(0, 9), "5/24/1935") << Entries()[0];
}

} // namespace
