#include "rtl/DateTimeText.h"

#include <cstdint>

#include "rtl/DateTimePicture.h"

namespace {

using K = TPictureKind;

struct TParts {
    std::uint16_t Year = 0, Month = 0, Day = 0;
    std::uint16_t Hour = 0, Minute = 0, Second = 0, Msec = 0;
};

TParts Decode(TLocalDateTime value) {
    TParts t;
    DecodeDate(value, t.Year, t.Month, t.Day);
    DecodeTime(value, t.Hour, t.Minute, t.Second, t.Msec);
    return t;
}

void AppendNumber(std::string& out, unsigned value, int minDigits) {
    char digits[12];
    char* first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (digits + sizeof digits - first < minDigits)
        *--first = '0';
    out.append(first, digits + sizeof digits);
}

void Write(std::string& out, const TDateTimePicture& picture, TLocalDateTime value, const TParts& t,
           const TFormatSettings& s) {
    for (const TPictureElement& e : picture.Elements) {
        switch (e.Kind) {
        case K::Literal:
            out.append(picture.Literals, e.Offset, e.Length);
            break;
        case K::Day:
        case K::Day2:
            AppendNumber(out, t.Day, e.Kind == K::Day2 ? 2 : 1);
            break;
        case K::DayName:
            out += s.ShortDayNames[DayOfWeek(value) - 1];
            break;
        case K::DayLong:
            out += s.LongDayNames[DayOfWeek(value) - 1];
            break;
        case K::Month:
        case K::Month2:
            AppendNumber(out, t.Month, e.Kind == K::Month2 ? 2 : 1);
            break;
        case K::MonthName:
        case K::MonthLong:
            if (t.Month >= 1 && t.Month <= 12)
                out += (e.Kind == K::MonthName ? s.ShortMonthNames : s.LongMonthNames)[t.Month - 1];
            break;
        case K::Year:
        case K::Year2:
            AppendNumber(out, t.Year % 100u, e.Kind == K::Year2 ? 2 : 1);
            break;
        case K::Year4:
            AppendNumber(out, t.Year, 4);
            break;
        case K::Hour12:
        case K::Hour12x2:
            AppendNumber(out, t.Hour % 12 == 0 ? 12u : t.Hour % 12u, e.Kind == K::Hour12x2 ? 2 : 1);
            break;
        case K::Hour24:
        case K::Hour24x2:
            AppendNumber(out, t.Hour, e.Kind == K::Hour24x2 ? 2 : 1);
            break;
        case K::Minute:
        case K::Minute2:
            AppendNumber(out, t.Minute, e.Kind == K::Minute2 ? 2 : 1);
            break;
        case K::Second:
        case K::Second2:
            AppendNumber(out, t.Second, e.Kind == K::Second2 ? 2 : 1);
            break;
        case K::AmPmChar: {
            const std::string& text = t.Hour < 12 ? s.TimeAMString : s.TimePMString;
            out.append(text, 0, FirstCharLength(text));
            break;
        }
        case K::AmPm:
            out += t.Hour < 12 ? s.TimeAMString : s.TimePMString;
            break;
        }
    }
}

} // namespace

std::string DateTimeToStr(TLocalDateTime value, const TFormatSettings& settings) {
    TParts t = Decode(value);
    std::string out;
    out.reserve(32);
    Write(out, CachedPicture(settings.ShortDateFormat), value, t, settings);
    // Throughout the first second of a day the date stands alone.
    if (t.Hour != 0 || t.Minute != 0 || t.Second != 0) {
        out += ' ';
        Write(out, CachedPicture(settings.LongTimeFormat), value, t, settings);
    }
    return out;
}

std::string DateToStr(TLocalDateTime value, const TFormatSettings& settings) {
    std::string out;
    Write(out, CachedPicture(settings.ShortDateFormat), value, Decode(value), settings);
    return out;
}

std::string TimeToStr(TLocalDateTime value, const TFormatSettings& settings) {
    std::string out;
    Write(out, CachedPicture(settings.LongTimeFormat), value, Decode(value), settings);
    return out;
}
