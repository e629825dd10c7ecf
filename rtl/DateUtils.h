// The calendar: a local date and time as days since 30 December 1899, the
// fraction being the time of day. No time zone is attached.
#pragma once

#include <cstdint>

using TLocalDateTime = double;

constexpr double SecsPerDay = 86400.0;
constexpr double MSecsPerDay = 86400000.0;

bool IsLeapYear(std::uint16_t year);
int DaysInMonth(std::uint16_t year, std::uint16_t month);

// Years 1 to 9999; out of range raises EConvertError.
TLocalDateTime EncodeDate(std::uint16_t year, std::uint16_t month, std::uint16_t day);
// 0-23, 0-59, 0-59, 0-999; out of range raises EConvertError.
TLocalDateTime EncodeTime(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                          std::uint16_t msec);
bool TryEncodeDate(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                   TLocalDateTime& value);
bool TryEncodeTime(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                   std::uint16_t msec, TLocalDateTime& value);

// A date and a time of day joined into one value: before day 0 the time of day
// counts backwards, as the whole part is negative there.
TLocalDateTime ComposeDateTime(TLocalDateTime date, TLocalDateTime time);

void DecodeDate(TLocalDateTime value, std::uint16_t& year, std::uint16_t& month,
                std::uint16_t& day);
void DecodeTime(TLocalDateTime value, std::uint16_t& hour, std::uint16_t& minute,
                std::uint16_t& second, std::uint16_t& msec);
// 1 = Sunday to 7 = Saturday.
int DayOfWeek(TLocalDateTime value);

// The local clock, read through the platform seam.
TLocalDateTime Now();  // date and time with milliseconds
TLocalDateTime Date(); // today at midnight
TLocalDateTime Time(); // the time of day alone
