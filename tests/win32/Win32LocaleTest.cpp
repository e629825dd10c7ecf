// The reader of the user's regional settings under Wine, which takes the
// user locale from LC_ALL. Each run names the locale it expects in
// VELMORA_EXPECTED_LOCALE; the expected texts come from the locale table.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/fakes/LocaleTable.h"

namespace {

// The table is UTF-8; GetLocaleInfoA answers in the ANSI code page (932 for
// ja-JP), so compare in the latter.
std::string Ansi(const std::string& utf8) {
    int wide =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], wide);
    int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &a[0], narrow, nullptr, nullptr);
    return a;
}

TEST(Win32Locale, ReadsTheFormatsOfTheUserLocale) {
    const char* name = std::getenv("VELMORA_EXPECTED_LOCALE");
    if (name == nullptr)
        GTEST_SKIP() << "VELMORA_EXPECTED_LOCALE not set";
    const std::vector<fakes::LocaleRow> table =
        fakes::ReadLocaleTable(VELMORA_TEST_DATA "/windows-locales.tsv");
    const fakes::LocaleRow* row = fakes::FindLocale(table, name);
    ASSERT_NE(row, nullptr) << name;
    ASSERT_EQ(static_cast<int>(GetACP()), row->AnsiCodePage)
        << "the user locale is not " << name << "; is LC_ALL passed to Wine?";

    const TFormatSettings s = platform::ReadUserFormatSettings();
    EXPECT_EQ(s.ShortDateFormat, Ansi(row->Settings.ShortDateFormat));
    EXPECT_EQ(s.LongTimeFormat, Ansi(row->Settings.LongTimeFormat));
    EXPECT_EQ(s.TimeAMString, Ansi(row->Settings.TimeAMString));
    EXPECT_EQ(s.TimePMString, Ansi(row->Settings.TimePMString));
    EXPECT_EQ(s.DateSeparator, Ansi(row->Settings.DateSeparator));
    EXPECT_EQ(s.TimeSeparator, Ansi(row->Settings.TimeSeparator));
}

TEST(Win32Locale, ReadsTheNamesOfDaysFromSundayOn) {
    // Windows numbers the days from Monday. The table has no names; German
    // ones show they were read at all rather than left at the defaults.
    const char* name = std::getenv("VELMORA_EXPECTED_LOCALE");
    if (name == nullptr || std::string(name) != "de-DE")
        GTEST_SKIP() << "checked in the de-DE run";
    const TFormatSettings s = platform::ReadUserFormatSettings();
    const char* days[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                          "Donnerstag", "Freitag", "Samstag"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(s.LongDayNames[i], days[i]) << i;
    EXPECT_EQ(s.LongMonthNames[0], "Januar");
    EXPECT_EQ(s.LongMonthNames[11], "Dezember");
    EXPECT_EQ(s.ShortMonthNames[11].substr(0, 3), "Dez");
}

} // namespace
