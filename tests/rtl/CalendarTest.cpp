#include <gtest/gtest.h>

#include <cstdint>

#include "rtl/DateUtils.h"
#include "rtl/SysUtils.h"

namespace {

TEST(Calendar, EncodesKnownDays) {
    struct Case {
        std::uint16_t y, m, d;
        double value;
        int dayOfWeek;
    } cases[] = {
        {1899, 12, 30, 0, 7},    {1899, 12, 31, 1, 1},    {1900, 1, 1, 2, 2},
        {2003, 6, 11, 37783, 4}, {2024, 2, 29, 45351, 5}, {9999, 12, 31, 2958465, 6},
        {1, 1, 1, -693593, 2},   {2000, 2, 29, 36585, 3}, {1899, 12, 29, -1, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.value);
        EXPECT_EQ(DayOfWeek(c.value), c.dayOfWeek);
        std::uint16_t y, m, d;
        DecodeDate(c.value, y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST(Calendar, EveryDayDecodesBackAcrossTheWholeRange) {
    std::uint16_t y = 1, m = 1, d = 1;
    for (double day = EncodeDate(1, 1, 1); day <= EncodeDate(9999, 12, 31); ++day) {
        std::uint16_t yy, mm, dd;
        DecodeDate(day, yy, mm, dd);
        ASSERT_TRUE(yy == y && mm == m && dd == d) << day;
        if (++d > DaysInMonth(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
}

TEST(Calendar, RefusesOutOfRange) {
    struct Case {
        std::uint16_t a, b, c;
    } dates[] = {{0, 1, 1},     {10000, 1, 1}, {2024, 0, 1}, {2024, 13, 1},
                 {2024, 4, 31}, {2023, 2, 29}, {2024, 1, 0}, {65535, 65535, 65535}};
    for (const auto& c : dates) {
        EXPECT_THROW(EncodeDate(c.a, c.b, c.c), EConvertError);
    }
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(Calendar, TimeRoundTripsToTheMillisecond) {
    for (int ms = 0; ms < 86400000; ms += 999) {
        auto h = static_cast<std::uint16_t>(ms / 3600000),
             mi = static_cast<std::uint16_t>(ms / 60000 % 60),
             s = static_cast<std::uint16_t>(ms / 1000 % 60),
             x = static_cast<std::uint16_t>(ms % 1000);
        double value = ComposeDateTime(EncodeDate(9999, 12, 31), EncodeTime(h, mi, s, x));
        std::uint16_t hh, mm, ss, xx;
        DecodeTime(value, hh, mm, ss, xx);
        ASSERT_TRUE(hh == h && mm == mi && ss == s && xx == x) << ms;
    }
}

TEST(Calendar, BeforeDayZeroTheTimeCountsBackwards) {
    double value = ComposeDateTime(-1, EncodeTime(6, 0, 0, 0));
    EXPECT_EQ(value, -1.25);
    std::uint16_t y, m, d, h, mi, s, x;
    DecodeDate(value, y, m, d);
    DecodeTime(value, h, mi, s, x);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
}

} // namespace
