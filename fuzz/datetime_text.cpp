// Date-time text in every Windows locale: any text reads as a value or fails
// with EConvertError, and every instant of the calendar reads back from the
// text written for it, cut to the second.
//
// Input: two bytes choose the locale row, then a mode byte. Even mode: the
// rest is text to read. Odd mode: the next byte chooses between an instant
// made of parts (even) and one raw double (odd), then the parts or the double.
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "rtl/DateTimeText.h"
#include "rtl/DateUtils.h"
#include "rtl/SysUtils.h"

namespace {

using fuzz::Fail;
using fuzz::Quoted;
using fuzz::Require;

std::string Describe(const fakes::LocaleRow& row) {
    return (row.Name.empty() ? std::string("(invariant)") : row.Name) + " [" +
           row.Settings.ShortDateFormat + " | " + row.Settings.LongTimeFormat + "]";
}

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// Reads with all three readers; only EConvertError with its message may leave them.
void ReadAnyText(const fakes::LocaleRow& row, const std::string& text) {
    const TFormatSettings& s = row.Settings;
    const std::string where = Describe(row) + " " + Quoted(text);

    TLocalDateTime tried = 0;
    const bool ok = TryStrToDateTime(text, tried, s);
    bool raised = false;
    TLocalDateTime read = 0;
    try {
        read = StrToDateTime(text, s);
    } catch (const EConvertError& error) {
        raised = true;
        Require(error.Message() == "'" + text + "' is not a valid date and time",
                where + ": StrToDateTime message " + Quoted(error.Message()));
    }
    Require(ok != raised, where + ": TryStrToDateTime and StrToDateTime disagree");

    bool timeRead = false;
    TLocalDateTime time = 0;
    try {
        time = StrToTime(text, s);
        timeRead = true;
    } catch (const EConvertError& error) {
        Require(error.Message() == "'" + text + "' is not a valid time",
                where + ": StrToTime message " + Quoted(error.Message()));
    }
    if (timeRead) {
        Require(time >= 0 && time < 1, where + ": a time alone read as " + Number(time));
        Require(ok, where + ": a time alone that StrToDateTime does not read");
    }
    if (!ok)
        return;
    Require(read == tried, where + ": TryStrToDateTime and StrToDateTime read different values");
    Require(std::isfinite(read), where + ": read as " + Number(read));

    // What was read must survive being written and read again: the alarm
    // list keeps its times only as text.
    const std::string again = DateTimeToStr(read, s);
    TLocalDateTime reread = 0;
    Require(TryStrToDateTime(again, reread, s), where + ": read as " + Number(read) +
                                                    ", written as " + Quoted(again) +
                                                    ", which does not read back");
    Require(reread == read, where + ": read as " + Number(read) + ", written as " + Quoted(again) +
                                ", read back as " + Number(reread));
}

// The value that text written for value must read back as: its own calendar
// parts, without the milliseconds.
TLocalDateTime CutToSecond(TLocalDateTime value) {
    std::uint16_t y, mo, d, h, mi, s, ms;
    DecodeDate(value, y, mo, d);
    DecodeTime(value, h, mi, s, ms);
    return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, 0));
}

void RoundTrip(const fakes::LocaleRow& row, TLocalDateTime value) {
    const TLocalDateTime expected = CutToSecond(value);
    const std::string text = DateTimeToStr(value, row.Settings);
    const std::string where = Describe(row) + " " + Number(value) + " written as " + Quoted(text);
    TLocalDateTime read = 0;
    if (!TryStrToDateTime(text, read, row.Settings))
        Fail(where + " does not read back");
    Require(read == expected,
            where + " reads back as " + Number(read) + ", expected " + Number(expected));
}

bool InCalendar(TLocalDateTime value) {
    if (!std::isfinite(value) || std::fabs(value) > 4e6)
        return false;
    std::uint16_t y, mo, d;
    DecodeDate(value, y, mo, d);
    return y >= 1 && y <= 9999;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const fakes::LocaleRow& row = fuzz::PickLocale(input);
    if ((input.Byte() & 1) == 0) {
        ReadAnyText(row, input.Rest());
        return 0;
    }
    if ((input.Byte() & 1) == 0) {
        const std::uint16_t year = static_cast<std::uint16_t>(input.U16() % 9999 + 1);
        const std::uint16_t month = static_cast<std::uint16_t>(input.Byte() % 12 + 1);
        const std::uint16_t day =
            static_cast<std::uint16_t>(input.Byte() % DaysInMonth(year, month) + 1);
        const std::uint16_t hour = static_cast<std::uint16_t>(input.Byte() % 24);
        const std::uint16_t minute = static_cast<std::uint16_t>(input.Byte() % 60);
        const std::uint16_t second = static_cast<std::uint16_t>(input.Byte() % 60);
        const std::uint16_t msec = static_cast<std::uint16_t>(input.U16() % 1000);
        RoundTrip(row, ComposeDateTime(EncodeDate(year, month, day),
                                       EncodeTime(hour, minute, second, msec)));
        return 0;
    }
    const double value = input.Double();
    if (InCalendar(value))
        RoundTrip(row, value);
    return 0;
}
