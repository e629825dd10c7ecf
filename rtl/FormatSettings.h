// Regional settings: how dates and times are written and read. Read once at
// start from the user's locale in the Windows build; settable in tests.
#pragma once

#include <string>

struct TFormatSettings {
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongTimeFormat = "h:mm:ss tt";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string LongMonthNames[12] = {"January",   "February", "March",    "April",
                                      "May",       "June",     "July",     "August",
                                      "September", "October",  "November", "December"};
    std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string LongDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday"};
};

// The settings of this run. Defaults to United States settings until set.
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);
