#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "rtl/DateTimeText.h"
#include "rtl/DateUtils.h"
#include "rtl/SysUtils.h"
#include "tests/fakes/LocaleTable.h"

namespace {

TLocalDateTime At(std::uint16_t y, std::uint16_t mo, std::uint16_t d, std::uint16_t h = 0,
                  std::uint16_t mi = 0, std::uint16_t s = 0, std::uint16_t ms = 0) {
    return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, ms));
}

TLocalDateTime TimeOfDay(std::uint16_t h, std::uint16_t mi, std::uint16_t s = 0) {
    return EncodeTime(h, mi, s, 0);
}

const TFormatSettings& Locale(const std::string& name) {
    static const std::vector<fakes::LocaleRow> table =
        fakes::ReadLocaleTable(VELMORA_TEST_DATA "/windows-locales.tsv");
    const fakes::LocaleRow* row = fakes::FindLocale(table, name);
    if (row == nullptr)
        throw std::runtime_error("no locale " + name);
    return row->Settings;
}

const TFormatSettings kUnitedStates;

// ---- Writing ----------------------------------------------------------------

TEST(DateTimeText, WritesUnitedStatesText) {
    struct Case {
        TLocalDateTime value;
        const char* text;
    } cases[] = {
        {At(2024, 12, 9, 14, 30), "12/9/2024 2:30:00 PM"},
        // 23:50:00.400 plus ten minutes: within the first second of the day.
        {At(2003, 6, 11, 23, 50, 0, 400) + 10 * EncodeTime(0, 1, 0, 0), "6/12/2003"},
        {At(2003, 6, 12, 0, 0, 1), "6/12/2003 12:00:01 AM"},
        {At(2003, 6, 11, 12, 0, 0), "6/11/2003 12:00:00 PM"},
        {At(2003, 6, 11, 0, 30, 5), "6/11/2003 12:30:05 AM"},
        {At(2003, 6, 11, 9, 5, 7, 999), "6/11/2003 9:05:07 AM"},
        {0, "12/30/1899"},
        {At(1899, 12, 29, 18, 0), "12/29/1899 6:00:00 PM"},
        {At(1, 1, 1), "1/1/0001"},
        {At(9999, 12, 31, 23, 59, 59), "12/31/9999 11:59:59 PM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateTimeToStr(c.value, kUnitedStates), c.text);
    }
    EXPECT_EQ(DateToStr(At(2024, 12, 9, 14, 30), kUnitedStates), "12/9/2024");
    EXPECT_EQ(TimeToStr(At(2024, 12, 9, 14, 30), kUnitedStates), "2:30:00 PM");
    EXPECT_EQ(TimeToStr(0, kUnitedStates), "12:00:00 AM");
}

TEST(DateTimeText, WritesEveryPictureElement) {
    struct Case {
        const char* format;
        const char* text; // of Monday 9 December 2024, 14:05:07
    } cases[] = {
        {"d dd ddd dddd", "9 09 Mon Monday"},
        {"M MM MMM MMMM", "12 12 Dec December"},
        {"y yy yyyy yyyyy", "24 24 2024 2024"},
        {"h hh H HH", "2 02 14 14"},
        {"m mm s ss", "5 05 7 07"},
        {"t tt", "P PM"},
        {"HH 'h' mm 'min' ss 's'", "14 h 05 min 07 s"},
        {"h 'o''clock' tt", "2 o'clock PM"},
        {"''yy", "'24"},
        {"'unclosed d", "unclosed d"},
        {"Y-D-T/g", "Y-D-T/g"}, // not elements: written as they stand
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        TFormatSettings s;
        s.ShortDateFormat = c.format;
        EXPECT_EQ(DateToStr(At(2024, 12, 9, 14, 5, 7), s), c.text);
    }
    TFormatSettings s;
    s.ShortDateFormat = "yy/yyyy tt";
    EXPECT_EQ(DateToStr(At(5, 3, 1, 9), s), "05/0005 AM");
}

TEST(DateTimeText, WritesTheFirstCharacterOfAMultiByteAmPm) {
    TFormatSettings s;
    s.LongTimeFormat = "t h:mm";
    s.TimeAMString = "\xE4\xB8\x8A\xE5\x8D\x88"; // 上午
    s.TimePMString = "\xE4\xB8\x8B\xE5\x8D\x88"; // 下午
    EXPECT_EQ(TimeToStr(TimeOfDay(14, 5), s), "\xE4\xB8\x8B 2:05");
}

// ---- Reading ----------------------------------------------------------------

struct ReadCase {
    const char* text;
    TLocalDateTime value;
};

void ExpectReads(const TFormatSettings& s, const std::vector<ReadCase>& cases) {
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.text);
        TLocalDateTime value = -1;
        EXPECT_TRUE(TryStrToDateTime(c.text, value, s));
        EXPECT_EQ(value, c.value);
    }
}

TEST(DateTimeText, ReadsUnitedStatesText) {
    ExpectReads(kUnitedStates, {
                                   {"12/9/2024 2:30:00 PM", At(2024, 12, 9, 14, 30)},
                                   {"6/12/2003", At(2003, 6, 12)},
                                   {"9:30:00 PM", TimeOfDay(21, 30)},
                                   {"08:00:00", TimeOfDay(8, 0)},
                                   {"12/30/1899", 0},
                                   {"6/20/2003 9:30:00 PM", At(2003, 6, 20, 21, 30)},
                                   {"6/20/2003 9:30:00 pm", At(2003, 6, 20, 21, 30)},
                                   {"6/20/2003 9:30:00 pM", At(2003, 6, 20, 21, 30)},
                                   {"14:30:00", TimeOfDay(14, 30)},
                                   {"6/20/2003 21:30", At(2003, 6, 20, 21, 30)},
                                   {"6/20/2003 9:30 PM", At(2003, 6, 20, 21, 30)},
                                   {"6/20/2003 9:30PM", At(2003, 6, 20, 21, 30)},
                                   {"12:00:00 AM", 0},
                                   {"12:00:00 PM", 0.5},
                                   {"0:00:00", 0},
                                   {"12:00:00", 0.5},
                                   {"06/09/2003 08:05:03 AM", At(2003, 6, 9, 8, 5, 3)},
                                   {"  6/20/2003   9:30:00 PM \t", At(2003, 6, 20, 21, 30)},
                                   {"12/29/1899 6:00:00 PM", At(1899, 12, 29, 18, 0)},
                                   {"1/1/0001 1:00:00 PM", At(1, 1, 1, 13, 0)},
                                   {"12/31/9999 11:59:59 PM", At(9999, 12, 31, 23, 59, 59)},
                                   // A person's short year: 1930 to 2029.
                                   {"6/9/03", At(2003, 6, 9)},
                                   {"6/9/29", At(2029, 6, 9)},
                                   {"6/9/30", At(1930, 6, 9)},
                                   {"6/9/99", At(1999, 6, 9)},
                                   {"6/9/999", At(999, 6, 9)},
                                   {"6/9/0099", At(99, 6, 9)},
                               });
}

TEST(DateTimeText, ReadsTheSameTextAsTheSameValue) {
    // Alarm matching compares values read back with ==.
    const std::string text = DateTimeToStr(At(2003, 6, 11, 10, 15, 30, 250), kUnitedStates);
    TLocalDateTime first = StrToDateTime(text, kUnitedStates);
    EXPECT_EQ(first, At(2003, 6, 11, 10, 15, 30));
    EXPECT_EQ(StrToDateTime(text, kUnitedStates), first);
}

TEST(DateTimeText, ReadsFinnishText) {
    const TFormatSettings& fi = Locale("fi-FI");
    ExpectReads(fi, {
                        {"08.00.00", TimeOfDay(8, 0)},
                        {"11.6.2003 10.15.30", At(2003, 6, 11, 10, 15, 30)},
                        {"11.6.2003", At(2003, 6, 11)},
                        // A time that also reads as 1 May 2020: the time is
                        // nearer to how fi-FI writes.
                        {"1.05.20", TimeOfDay(1, 5, 20)},
                        {"1.5.2020", At(2020, 5, 1)},
                        {"1.5.20", At(2020, 5, 1)},
                    });
    TLocalDateTime value = 7;
    EXPECT_FALSE(TryStrToDateTime("00:00:01", value, fi));
    EXPECT_EQ(value, 7) << "a failed read leaves the value alone";
    EXPECT_THROW(StrToTime("00:00:01", fi), EConvertError);
    EXPECT_EQ(StrToTime("00.00.01", fi), TimeOfDay(0, 0, 1));
}

TEST(DateTimeText, ReadsWhatPeopleTypeInOtherLocales) {
    struct Case {
        const char* locale;
        const char* text;
        TLocalDateTime value;
    } cases[] = {
        // Right-to-left marks around the separators may be left out.
        {"ar-SA", "9‏/12‏/2024 2:30:15 م", At(2024, 12, 9, 14, 30, 15)},
        {"ar-SA", "9/12/2024 2:30:15 م", At(2024, 12, 9, 14, 30, 15)},
        // Blanks and the final dot of "d. M. yyyy." are optional.
        {"sr-Cyrl-RS", "9. 12. 2024. 14:30:15", At(2024, 12, 9, 14, 30, 15)},
        {"sr-Cyrl-RS", "9.12.2024 14:30:15", At(2024, 12, 9, 14, 30, 15)},
        {"ko-KR", "2024. 12. 9. PM 2:30:15", At(2024, 12, 9, 14, 30, 15)},
        {"ko-KR", "2024. 12. 9. 14:30:15", At(2024, 12, 9, 14, 30, 15)},
        {"zh-TW", "2024/12/9 下午2:30:15", At(2024, 12, 9, 14, 30, 15)},
        {"zh-TW", "上午12:00:00", 0},
        {"zh-SG", "2024年12月9日", At(2024, 12, 9)},
        // A literal prefix before the hour, with or without it.
        {"dz-BT", "ཆུ་ཚོད་2:30:15 ཕྱི་ཆ་", TimeOfDay(14, 30, 15)},
        {"dz-BT", "2024-12-9 2:30:15", At(2024, 12, 9, 2, 30, 15)},
        {"fr-CA", "2024-12-09 14 h 30 min 15 s", At(2024, 12, 9, 14, 30, 15)},
        {"fr-CA", "2024-12-09 14 h 30 min 15", At(2024, 12, 9, 14, 30, 15)},
        {"bg-BG", "9.12.2024 г. 14:30:15 ч.", At(2024, 12, 9, 14, 30, 15)},
        {"bg-BG", "9.12.2024 г. 14:30:15", At(2024, 12, 9, 14, 30, 15)},
        {"bg-BG", "9.12.2024 14:30:15", At(2024, 12, 9, 14, 30, 15)},
        // A narrow no-break space in AM/PM typed as a plain space.
        {"es-US", "9/12/2024 2:30:15 p. m.", At(2024, 12, 9, 14, 30, 15)},
        {"es-ES", "9/12/2024 2:30:15 P. M.", At(2024, 12, 9, 14, 30, 15)},
        {"yo-NG", "9/12/2024 14:3:5", At(2024, 12, 9, 14, 3, 5)},
        {"ta-IN", "9/12/2024 பிற்பகல் 2:30:15", At(2024, 12, 9, 14, 30, 15)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.text);
        TLocalDateTime value = -1;
        EXPECT_TRUE(TryStrToDateTime(c.text, value, Locale(c.locale)));
        EXPECT_EQ(value, c.value);
    }
}

TEST(DateTimeText, ReadsEveryPictureElement) {
    struct Case {
        const char* date;
        const char* time;
        const char* text;
        TLocalDateTime value;
    } cases[] = {
        {"dddd, MMMM d, yyyy", "HH:mm", "Monday, December 9, 2024 14:05", At(2024, 12, 9, 14, 5)},
        {"ddd d MMM yyyy", "HH:mm", "mon 9 DEC 2024 14:05", At(2024, 12, 9, 14, 5)},
        {"ddd d MMM yyyy", "HH:mm", "Monday 9 December 2024", At(2024, 12, 9)},
        {"dd/MM/yy", "hh:mm t", "09/12/24 02:05 P", At(2024, 12, 9, 14, 5)},
        {"dd/MM/yy", "hh:mm t", "09/12/24 02:05 PM", At(2024, 12, 9, 14, 5)},
        {"y-M-d", "H:m:s", "24-12-9 14:5:7", At(2024, 12, 9, 14, 5, 7)},
        {"yyyyMMdd", "HHmmss", "20241209 140507", At(2024, 12, 9, 14, 5, 7)},
        {"'day' d 'of' M, yyyy", "h 'o''clock' tt", "day 9 of 12, 2024 2 o'clock PM",
         At(2024, 12, 9, 14, 0)},
        {"M/d/yyyy", "HH 'h' mm", "12/9/2024 14 h 05", At(2024, 12, 9, 14, 5)},
        {"M/d/yyyy", "HH 'h' mm", "12/9/2024 2 h 05 PM", At(2024, 12, 9, 14, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " | " + c.time + ": " + c.text);
        TFormatSettings s;
        s.ShortDateFormat = c.date;
        s.LongTimeFormat = c.time;
        TLocalDateTime value = -1;
        EXPECT_TRUE(TryStrToDateTime(c.text, value, s));
        EXPECT_EQ(value, c.value);
    }
}

TEST(DateTimeText, PrefersTheLongerAmPmWhenOneBeginsTheOther) {
    struct Case {
        const char* am;
        const char* pm;
        const char* text;
        TLocalDateTime value;
    } cases[] = {
        {"x", "xy", "2:00 xy", TimeOfDay(14, 0)},
        {"x", "xy", "2:00 x", TimeOfDay(2, 0)},
        {"xy", "x", "2:00 xy", TimeOfDay(2, 0)},
        {"xy", "x", "2:00 X", TimeOfDay(14, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.am) + "/" + c.pm + ": " + c.text);
        TFormatSettings s;
        s.LongTimeFormat = "h:mm tt";
        s.TimeAMString = c.am;
        s.TimePMString = c.pm;
        EXPECT_EQ(StrToTime(c.text, s), c.value);
    }
}

TEST(DateTimeText, RefusesHostileTextWithTheExactMessage) {
    std::string junk;
    const char pieces[] = "1/: 2PAM\xE2\x80\xAF\xD8\x9C"
                          "9'\t0";
    for (std::size_t i = 0; junk.size() < 10000; ++i)
        junk += pieces[(i * 7 + i / 13) % (sizeof pieces - 1)];
    const std::vector<std::string> texts = {
        "",
        " ",
        "   ",
        "/",
        ":",
        "//",
        "1/",
        "13/1/2003",
        "2/30/2003",
        "2/29/2003",
        "0/1/2003",
        "1/0/2003",
        "1/1/0000",
        "1/1/10000",
        "99999999999999999999/1/1",
        "1/1/2003 25:00:00",
        "1/1/2003 24:00:00",
        "1/1/2003 10:60:00",
        "1/1/2003 10:00:60",
        "1/1/2003 10:00:00 XM",
        "1/1/2003 10:00:00 PM extra",
        "1/1/2003 13:00:00 PM",
        "1/1/2003 0:30:00 AM",
        "1/1/2003 10::00",
        "1/1/2003 10:",
        "1/1/2003 PM",
        "1/1/2003 10:00:00 P",
        "1/1/2003 10:00:00 \xE2\x80",
        "1/1/2003 100:00:00",
        "1/1/2003 10:000:00",
        "1/1/20031",
        "1/1/2003/",
        "1 / 1 / 2003",
        "1/1/2003\t10:00:00",
        "1/1/200310:00:00",
        "+1/1/2003",
        "-1/1/2003",
        "1/1/2003 -10:00:00",
        "AM",
        std::string("1/1/2003\0 10:00:00", 18),
        junk,
        std::string(10000, '7'),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        TLocalDateTime value = 42;
        EXPECT_FALSE(TryStrToDateTime(text, value, kUnitedStates));
        EXPECT_EQ(value, 42);
        try {
            StrToDateTime(text, kUnitedStates);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + text + "' is not a valid date and time");
        }
        try {
            StrToTime(text, kUnitedStates);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + text + "' is not a valid time");
        }
    }
}

TEST(DateTimeText, StrToTimeRefusesADate) {
    EXPECT_EQ(StrToTime("9:30:00 PM", kUnitedStates), TimeOfDay(21, 30));
    try {
        StrToTime("6/20/2003", kUnitedStates);
        ADD_FAILURE() << "a date read as a time";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'6/20/2003' is not a valid time");
    }
}

TEST(DateTimeText, FollowsTheSettingsOfEachCall) {
    // Pictures are kept per format text; another text must not find an old one.
    TFormatSettings s;
    const TLocalDateTime value = At(2003, 6, 11, 10, 15, 30);
    EXPECT_EQ(DateTimeToStr(value, s), "6/11/2003 10:15:30 AM");
    s.ShortDateFormat = "d.M.yyyy";
    s.LongTimeFormat = "H.mm.ss";
    EXPECT_EQ(DateTimeToStr(value, s), "11.6.2003 10.15.30");
    EXPECT_EQ(StrToDateTime("11.6.2003 10.15.30", s), value);
    SetFormatSettings(s);
    EXPECT_EQ(DateTimeToStr(value), "11.6.2003 10.15.30");
    EXPECT_EQ(StrToDateTime("11.6.2003 10.15.30"), value);
    SetFormatSettings(TFormatSettings());
    EXPECT_EQ(DateTimeToStr(value), "6/11/2003 10:15:30 AM");
}

} // namespace
