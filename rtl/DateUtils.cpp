#include "rtl/DateUtils.h"

#include <cmath>
#include <cstdint>

#include "platform/Platform.h"
#include "rtl/SysUtils.h"

namespace {

// Days from 1 January of year 1 to 30 December 1899.
constexpr std::int64_t kDay0Offset = 693594;

constexpr int kDaysBefore[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

// The value as whole days and milliseconds of the day, rounded to the
// millisecond as one total so that 23:59:59.9999 becomes the next midnight.
void Split(TLocalDateTime value, std::int64_t& days, std::int64_t& msecOfDay) {
    auto total = static_cast<std::int64_t>(std::llround(std::fabs(value) * MSecsPerDay));
    days = total / 86400000LL;
    msecOfDay = total % 86400000LL;
    if (value < 0)
        days = -days;
}

} // namespace

bool IsLeapYear(std::uint16_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(std::uint16_t year, std::uint16_t month) {
    const int* table = kDaysBefore[IsLeapYear(year) ? 1 : 0];
    return table[month] - table[month - 1];
}

bool TryEncodeDate(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                   TLocalDateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return false;
    std::int64_t y = year - 1;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400 +
                        kDaysBefore[IsLeapYear(year) ? 1 : 0][month - 1] + day - kDay0Offset;
    value = static_cast<double>(days);
    return true;
}

bool TryEncodeTime(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                   std::uint16_t msec, TLocalDateTime& value) {
    if (hour > 23 || minute > 59 || second > 59 || msec > 999)
        return false;
    value = (((hour * 60 + minute) * 60 + second) * 1000 + msec) / MSecsPerDay;
    return true;
}

TLocalDateTime EncodeDate(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
    TLocalDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw EConvertError("Invalid argument to date encode");
    return value;
}

TLocalDateTime EncodeTime(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                          std::uint16_t msec) {
    TLocalDateTime value = 0;
    if (!TryEncodeTime(hour, minute, second, msec, value))
        throw EConvertError("Invalid argument to time encode");
    return value;
}

TLocalDateTime ComposeDateTime(TLocalDateTime date, TLocalDateTime time) {
    return date >= 0 ? date + time : date - time;
}

void DecodeDate(TLocalDateTime value, std::uint16_t& year, std::uint16_t& month,
                std::uint16_t& day) {
    std::int64_t days = 0, msec = 0;
    Split(value, days, msec);
    std::int64_t n = days + kDay0Offset - 1; // days since 1 January of year 1
    if (n < 0 || n >= 3652059) {
        year = month = day = 0;
        return;
    }
    std::int64_t y = 1;
    y += (n / 146097) * 400;
    n %= 146097;
    std::int64_t c = n / 36524;
    if (c == 4)
        c = 3; // 31 December of a 400th year
    y += c * 100;
    n -= c * 36524;
    y += (n / 1461) * 4;
    n %= 1461;
    std::int64_t a = n / 365;
    if (a == 4)
        a = 3; // 31 December of a leap year
    y += a;
    n -= a * 365;
    year = static_cast<std::uint16_t>(y);
    const int* table = kDaysBefore[IsLeapYear(year) ? 1 : 0];
    int m = 1;
    while (n >= table[m])
        ++m;
    month = static_cast<std::uint16_t>(m);
    day = static_cast<std::uint16_t>(n - table[m - 1] + 1);
}

void DecodeTime(TLocalDateTime value, std::uint16_t& hour, std::uint16_t& minute,
                std::uint16_t& second, std::uint16_t& msec) {
    std::int64_t days = 0, ms = 0;
    Split(value, days, ms);
    hour = static_cast<std::uint16_t>(ms / 3600000);
    minute = static_cast<std::uint16_t>(ms / 60000 % 60);
    second = static_cast<std::uint16_t>(ms / 1000 % 60);
    msec = static_cast<std::uint16_t>(ms % 1000);
}

int DayOfWeek(TLocalDateTime value) {
    std::int64_t days = 0, msec = 0;
    Split(value, days, msec);
    // Day 0 was a Saturday.
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

TLocalDateTime Now() {
    platform::LocalTime t = platform::Clock().Now();
    return ComposeDateTime(EncodeDate(t.Year, t.Month, t.Day),
                           EncodeTime(t.Hour, t.Minute, t.Second, t.Milliseconds));
}

TLocalDateTime Date() {
    platform::LocalTime t = platform::Clock().Now();
    return EncodeDate(t.Year, t.Month, t.Day);
}

TLocalDateTime Time() {
    platform::LocalTime t = platform::Clock().Now();
    return EncodeTime(t.Hour, t.Minute, t.Second, t.Milliseconds);
}
