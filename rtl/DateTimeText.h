// Date-time text in the regional settings: short date, one space, long time;
// the space and the time left out throughout the first second of a day.
#pragma once

#include <string>

#include "rtl/DateUtils.h"
#include "rtl/FormatSettings.h"

std::string DateTimeToStr(TLocalDateTime value, const TFormatSettings& settings = FormatSettings());
std::string DateToStr(TLocalDateTime value, const TFormatSettings& settings = FormatSettings());
std::string TimeToStr(TLocalDateTime value, const TFormatSettings& settings = FormatSettings());

// Reads a date and time, a date alone (midnight) or a time alone (on day 0).
// Anything else raises EConvertError "'%s' is not a valid date and time".
TLocalDateTime StrToDateTime(const std::string& text,
                             const TFormatSettings& settings = FormatSettings());
bool TryStrToDateTime(const std::string& text, TLocalDateTime& value,
                      const TFormatSettings& settings = FormatSettings());
// A time alone; raises EConvertError "'%s' is not a valid time".
TLocalDateTime StrToTime(const std::string& text,
                         const TFormatSettings& settings = FormatSettings());
