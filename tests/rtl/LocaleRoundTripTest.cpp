// Every locale of the Windows table must read back what it writes: the alarm
// list keeps its times as text and matches alarms on the values read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "rtl/DateTimeText.h"
#include "rtl/DateUtils.h"
#include "rtl/SysUtils.h"
#include "tests/fakes/LocaleTable.h"

namespace {

struct Instant {
    std::uint16_t y, mo, d, h, mi, s, ms;
    const char* what;
};

const Instant kInstants[] = {
    {2024, 12, 9, 0, 0, 0, 0, "midnight"},
    {2003, 6, 11, 0, 0, 1, 0, "first second after midnight"},
    {2003, 6, 11, 23, 59, 59, 0, "last second of a day"},
    {2003, 6, 11, 12, 0, 0, 0, "noon"},
    {2003, 6, 11, 0, 0, 0, 999, "within the first second"},
    {1899, 12, 30, 0, 0, 0, 0, "day 0"},
    {1899, 12, 29, 6, 0, 0, 0, "before day 0, with a time"},
    {2024, 2, 29, 14, 30, 15, 678, "leap day with milliseconds"},
    {9999, 12, 31, 23, 59, 59, 0, "last second of the calendar"},
    {1, 1, 1, 0, 0, 0, 0, "first day of the calendar"},
    {1, 1, 1, 13, 7, 9, 0, "first day of the calendar, afternoon"},
    {2003, 6, 1, 9, 5, 7, 500, "single digits everywhere"},
    {2010, 10, 10, 10, 10, 10, 0, "day equals month"},
};

// Times alone, chosen so that some also look like dates where the two
// formats share a separator ("1.01.20" in d.M.yyyy and H.mm.ss).
const std::uint16_t kTimes[][3] = {{0, 0, 0},    {0, 0, 1},  {1, 1, 20},   {9, 5, 7},   {12, 0, 0},
                                   {12, 10, 11}, {13, 1, 1}, {14, 30, 15}, {23, 59, 59}};

TLocalDateTime ValueOf(const Instant& i, std::uint16_t ms) {
    return ComposeDateTime(EncodeDate(i.y, i.mo, i.d), EncodeTime(i.h, i.mi, i.s, ms));
}

// Empty when the locale passes; otherwise what went wrong first.
std::string CheckLocale(const TFormatSettings& settings) {
    std::ostringstream fault;
    for (const Instant& i : kInstants) {
        const TLocalDateTime expected = ValueOf(i, 0);
        const std::string text = DateTimeToStr(ValueOf(i, i.ms), settings);
        TLocalDateTime read = -1;
        if (!TryStrToDateTime(text, read, settings)) {
            fault << i.what << ": '" << text << "' does not read back";
            return fault.str();
        }
        if (read != expected) {
            fault << i.what << ": '" << text << "' reads as " << read << ", expected " << expected;
            return fault.str();
        }
    }
    for (const auto& t : kTimes) {
        const TLocalDateTime expected = EncodeTime(t[0], t[1], t[2], 0);
        const std::string text = TimeToStr(expected, settings);
        TLocalDateTime read = -1;
        if (!TryStrToDateTime(text, read, settings) || read != expected) {
            fault << "time alone: '" << text << "' does not read back as " << expected;
            return fault.str();
        }
        try {
            if (StrToTime(text, settings) != expected) {
                fault << "StrToTime: '" << text << "' reads wrong";
                return fault.str();
            }
        } catch (const EConvertError& e) {
            fault << "StrToTime: " << e.Message();
            return fault.str();
        }
    }
    return std::string();
}

TEST(LocaleRoundTrip, EveryLocaleReadsBackWhatItWrites) {
    const std::vector<fakes::LocaleRow> table =
        fakes::ReadLocaleTable(VELMORA_TEST_DATA "/windows-locales.tsv");
    ASSERT_EQ(table.size(), 895u);

    std::size_t passed = 0;
    std::ostringstream failures;
    for (const fakes::LocaleRow& row : table) {
        std::string fault = CheckLocale(row.Settings);
        if (fault.empty()) {
            ++passed;
        } else {
            failures << "\n  " << (row.Name.empty() ? "(invariant)" : row.Name) << " ["
                     << row.Settings.ShortDateFormat << " | " << row.Settings.LongTimeFormat
                     << "]: " << fault;
        }
    }
    std::cout << passed << " of " << table.size() << " locales round-trip\n";
    EXPECT_EQ(passed, table.size()) << "locales that fail:" << failures.str();
}

} // namespace
