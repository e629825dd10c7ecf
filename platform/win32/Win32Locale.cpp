#include "platform/win32/Win32Platform.h"

#include <windows.h>

namespace platform {

namespace {

// A failed call keeps the field's default.
void Read(LCTYPE type, std::string& field) {
    char buffer[256];
    int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    if (length > 0)
        field.assign(buffer, static_cast<std::size_t>(length - 1));
}

} // namespace

TFormatSettings ReadUserFormatSettings() {
    TFormatSettings s;
    Read(LOCALE_SSHORTDATE, s.ShortDateFormat);
    Read(LOCALE_STIMEFORMAT, s.LongTimeFormat);
    Read(LOCALE_SDATE, s.DateSeparator);
    Read(LOCALE_STIME, s.TimeSeparator);
    Read(LOCALE_S1159, s.TimeAMString);
    Read(LOCALE_S2359, s.TimePMString);
    for (LCTYPE i = 0; i < 12; ++i) {
        Read(LOCALE_SMONTHNAME1 + i, s.LongMonthNames[i]);
        Read(LOCALE_SABBREVMONTHNAME1 + i, s.ShortMonthNames[i]);
    }
    // Windows counts the days from Monday, the settings from Sunday.
    for (LCTYPE i = 0; i < 7; ++i) {
        Read(LOCALE_SDAYNAME1 + i, s.LongDayNames[(i + 1) % 7]);
        Read(LOCALE_SABBREVDAYNAME1 + i, s.ShortDayNames[(i + 1) % 7]);
    }
    return s;
}

} // namespace platform
