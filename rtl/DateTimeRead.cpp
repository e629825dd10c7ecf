#include "rtl/DateTimeText.h"

#include <cstdint>

#include "rtl/DateTimePicture.h"
#include "rtl/SysUtils.h"

// One pass over the text per picture, left to right, without backtracking
// beyond a single optional piece: the work is bounded by the text's length
// whatever the text holds.

namespace {

using K = TPictureKind;

struct TFields {
    int Year = -1, Month = -1, Day = -1;
    int Hour = -1, Minute = -1, Second = -1;
    int AmPm = -1; // 0 AM, 1 PM
    // How many numbers were typed in another width than the picture writes;
    // decides between a date alone and a time alone when a text is both.
    int Deviation = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool SameAscii(char a, char b) {
    if (a >= 'A' && a <= 'Z')
        a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z')
        b = static_cast<char>(b - 'A' + 'a');
    return a == b;
}

std::size_t SkipBlanks(const char*& p, const char* end) {
    const char* start = p;
    for (std::size_t n; (n = BlankAt(p, end)) != 0 || (n = MarkAt(p, end)) != 0;)
        p += n;
    return static_cast<std::size_t>(p - start);
}

// Length of the text at p that spells word (ASCII letters in any case, any
// blank for a blank), or 0.
std::size_t MatchWord(const char* p, const char* end, const char* word, std::size_t length) {
    const char* w = word;
    const char* wend = word + length;
    const char* q = p;
    while (w < wend) {
        std::size_t wn = BlankAt(w, wend);
        if (wn != 0) {
            std::size_t tn = BlankAt(q, end);
            if (tn == 0)
                return 0;
            w += wn;
            q += tn;
            continue;
        }
        if (q == end || !SameAscii(*w, *q))
            return 0;
        ++w;
        ++q;
    }
    return static_cast<std::size_t>(q - p);
}

std::size_t MatchWord(const char* p, const char* end, const std::string& word) {
    return word.empty() ? 0 : MatchWord(p, end, word.data(), word.size());
}

// The longest of the names that the text starts with: its index, or -1.
int MatchName(const char*& p, const char* end, const std::string* shortNames,
              const std::string* longNames, int count) {
    int best = -1;
    std::size_t bestLength = 0;
    for (int i = 0; i < count; ++i) {
        for (const std::string* name : {&shortNames[i], &longNames[i]}) {
            std::size_t n = MatchWord(p, end, *name);
            if (n > bestLength) {
                bestLength = n;
                best = i;
            }
        }
    }
    p += bestLength;
    return best;
}

// AM or PM, the longer match winning when one text begins the other.
int MatchAmPm(const char*& p, const char* end, const TFormatSettings& s, bool initials) {
    std::size_t am = MatchWord(p, end, s.TimeAMString);
    std::size_t pm = MatchWord(p, end, s.TimePMString);
    if (initials && am == 0 && pm == 0) {
        am = MatchWord(p, end, s.TimeAMString.data(), FirstCharLength(s.TimeAMString));
        pm = MatchWord(p, end, s.TimePMString.data(), FirstCharLength(s.TimePMString));
    }
    if (am == 0 && pm == 0)
        return -1;
    if (pm > am) {
        p += pm;
        return 1;
    }
    p += am;
    return 0;
}

bool MatchLiteral(const TPictureElement& e, const char* literal, const char*& p, const char* end) {
    const char* l = literal;
    const char* lend = literal + e.Length;
    const char* q = p;
    while (l < lend) {
        if (BlankAt(l, lend) != 0 || MarkAt(l, lend) != 0) {
            // A run of blanks and marks in the picture takes any run of them
            // in the text; only the blanks can be required.
            bool blank = false;
            for (std::size_t n;; l += n) {
                if ((n = BlankAt(l, lend)) != 0)
                    blank = true;
                else if ((n = MarkAt(l, lend)) == 0)
                    break;
            }
            if (SkipBlanks(q, end) == 0 && blank && e.BlanksRequired)
                return false;
            continue;
        }
        if (q == end || !SameAscii(*l, *q))
            return false;
        ++l;
        ++q;
    }
    p = q;
    return true;
}

// Up to maxDigits digits; a person may leave out leading zeros.
bool ReadNumber(const char*& p, const char* end, int maxDigits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (digits < maxDigits && p < end && IsDigit(*p)) {
        value = value * 10 + (*p - '0');
        ++p;
        ++digits;
    }
    return digits > 0;
}

int WrittenWidth(K kind, int value) {
    switch (kind) {
    case K::Day2:
    case K::Month2:
    case K::Year2:
    case K::Hour12x2:
    case K::Hour24x2:
    case K::Minute2:
    case K::Second2:
        return 2;
    case K::Year4:
        return 4;
    default:
        return value >= 10 ? 2 : 1;
    }
}

// Matches the picture from p on, leaving p after the text it took.
bool MatchPicture(const TDateTimePicture& picture, const char*& p, const char* end,
                  const TFormatSettings& s, TFields& f) {
    const auto& elements = picture.Elements;
    const std::size_t count = elements.size();
    for (std::size_t i = 0; i < count; ++i) {
        const TPictureElement& e = elements[i];
        const char* before = p;
        int* target = nullptr;
        int maxDigits = 2;
        switch (e.Kind) {
        case K::Literal: {
            bool matched = MatchLiteral(e, picture.Literals.data() + e.Offset, p, end);
            if (e.StartsSeconds) {
                // Seconds are often left out when a person types a time.
                if (!matched || p == end || !IsDigit(*p)) {
                    p = before;
                    ++i;
                }
            } else if (!matched) {
                if (!e.Optional)
                    return false;
                p = before;
            }
            continue;
        }
        case K::DayName:
        case K::DayLong:
            // The weekday says nothing the date does not; any name will do.
            if (MatchName(p, end, s.ShortDayNames, s.LongDayNames, 7) < 0)
                return false;
            continue;
        case K::MonthName:
        case K::MonthLong: {
            int month = MatchName(p, end, s.ShortMonthNames, s.LongMonthNames, 12);
            if (month < 0)
                return false;
            f.Month = month + 1;
            continue;
        }
        case K::AmPmChar:
        case K::AmPm: {
            // Missing AM/PM: the hour is read on the 24-hour clock.
            int ampm = MatchAmPm(p, end, s, e.Kind == K::AmPmChar);
            if (ampm >= 0)
                f.AmPm = ampm;
            continue;
        }
        case K::Day:
        case K::Day2:
            target = &f.Day;
            break;
        case K::Month:
        case K::Month2:
            target = &f.Month;
            break;
        case K::Year:
        case K::Year2:
        case K::Year4:
            target = &f.Year;
            maxDigits = 4;
            break;
        case K::Hour12:
        case K::Hour12x2:
        case K::Hour24:
        case K::Hour24x2:
            target = &f.Hour;
            break;
        case K::Minute:
        case K::Minute2:
            target = &f.Minute;
            break;
        case K::Second:
        case K::Second2:
            target = &f.Second;
            break;
        }
        int value = 0, digits = 0;
        if (!ReadNumber(p, end, maxDigits, value, digits))
            return false;
        if (digits != WrittenWidth(e.Kind, value))
            ++f.Deviation;
        if (target == &f.Year && digits <= 2)
            value += value < 30 ? 2000 : 1900; // the usual two-digit year window
        *target = value;
    }
    if (!picture.HasAmPm && picture.HasHour) {
        // A 24-hour picture still takes "9:30 PM" as people write it.
        const char* before = p;
        SkipBlanks(p, end);
        int ampm = MatchAmPm(p, end, s, false);
        if (ampm >= 0)
            f.AmPm = ampm;
        else
            p = before;
    }
    return true;
}

bool DateOf(const TFields& f, TLocalDateTime& date) {
    if (f.Year < 0 || f.Month < 0 || f.Day < 0)
        return false;
    return TryEncodeDate(static_cast<std::uint16_t>(f.Year), static_cast<std::uint16_t>(f.Month),
                         static_cast<std::uint16_t>(f.Day), date);
}

bool TimeOf(const TFields& f, TLocalDateTime& time) {
    if (f.Hour < 0)
        return false;
    int hour = f.Hour;
    if (f.AmPm >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (f.AmPm == 1 ? 12 : 0);
    }
    return TryEncodeTime(static_cast<std::uint16_t>(hour),
                         static_cast<std::uint16_t>(f.Minute < 0 ? 0 : f.Minute),
                         static_cast<std::uint16_t>(f.Second < 0 ? 0 : f.Second), 0, time);
}

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool Read(const std::string& text, const TFormatSettings& s, bool timeOnly, TLocalDateTime& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsTrimmed(*p))
        ++p;
    while (end > p && IsTrimmed(end[-1]))
        --end;
    if (p == end)
        return false;

    const TDateTimePicture& timePicture = CachedPicture(s.LongTimeFormat);
    bool dateAlone = false;
    TLocalDateTime date = 0;
    int dateDeviation = 0;
    if (!timeOnly) {
        const TDateTimePicture& datePicture = CachedPicture(s.ShortDateFormat);
        const char* q = p;
        TFields f;
        if (MatchPicture(datePicture, q, end, s, f) && DateOf(f, date)) {
            if (q == end) {
                dateAlone = true;
                dateDeviation = f.Deviation;
            } else if (SkipBlanks(q, end) != 0) {
                TFields g;
                TLocalDateTime time = 0;
                if (MatchPicture(timePicture, q, end, s, g) && q == end && TimeOf(g, time)) {
                    value = ComposeDateTime(date, time);
                    return true;
                }
            }
        }
    }

    const char* q = p;
    TFields g;
    TLocalDateTime time = 0;
    bool timeAlone = MatchPicture(timePicture, q, end, s, g) && q == end && TimeOf(g, time);
    // "1.05.20" in d.M.yyyy and H.mm.ss settings is both; take the reading
    // closer to how the settings write it.
    if (dateAlone && (!timeAlone || dateDeviation <= g.Deviation)) {
        value = date;
        return true;
    }
    if (timeAlone) {
        value = time;
        return true;
    }
    return false;
}

} // namespace

bool TryStrToDateTime(const std::string& text, TLocalDateTime& value,
                      const TFormatSettings& settings) {
    return Read(text, settings, false, value);
}

TLocalDateTime StrToDateTime(const std::string& text, const TFormatSettings& settings) {
    TLocalDateTime value = 0;
    if (!Read(text, settings, false, value))
        throw EConvertError(FormatMessage("'%s' is not a valid date and time", text));
    return value;
}

TLocalDateTime StrToTime(const std::string& text, const TFormatSettings& settings) {
    TLocalDateTime value = 0;
    if (!Read(text, settings, true, value))
        throw EConvertError(FormatMessage("'%s' is not a valid time", text));
    return value;
}
