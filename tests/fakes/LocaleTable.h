// The Windows locale table of tests/data (windows-locales.tsv), one row per
// locale, as regional settings. Month and day names are not in the table;
// they stay the English defaults.
#pragma once

#include <string>
#include <vector>

#include "rtl/FormatSettings.h"

namespace fakes {

struct LocaleRow {
    std::string Name; // "en-US"; empty for the invariant locale
    TFormatSettings Settings;
    int AnsiCodePage = 0;
};

// Reads the table (UTF-8, header row first, LF or CRLF line ends). A missing
// file or a row without all its columns raises std::runtime_error naming it.
std::vector<LocaleRow> ReadLocaleTable(const std::string& path);

// The row of the named locale, or nullptr.
const LocaleRow* FindLocale(const std::vector<LocaleRow>& table, const std::string& name);

} // namespace fakes
