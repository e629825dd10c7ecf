#include "tests/fakes/LocaleTable.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace fakes {

namespace {

// Columns: locale, short_date, long_time, date_sep, time_sep, am, pm, ansi_cp.
constexpr std::size_t kColumns = 8;

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

std::vector<LocaleRow> ReadLocaleTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open locale table " + path);
    std::vector<LocaleRow> table;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 || line.empty())
            continue; // the header
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() != kColumns)
            throw std::runtime_error(path + ":" + std::to_string(number) + ": expected " +
                                     std::to_string(kColumns) + " columns");
        LocaleRow row;
        row.Name = f[0];
        row.Settings.ShortDateFormat = f[1];
        row.Settings.LongTimeFormat = f[2];
        row.Settings.DateSeparator = f[3];
        row.Settings.TimeSeparator = f[4];
        row.Settings.TimeAMString = f[5];
        row.Settings.TimePMString = f[6];
        row.AnsiCodePage = std::atoi(f[7].c_str());
        table.push_back(std::move(row));
    }
    return table;
}

const LocaleRow* FindLocale(const std::vector<LocaleRow>& table, const std::string& name) {
    for (const LocaleRow& row : table) {
        if (row.Name == name)
            return &row;
    }
    return nullptr;
}

} // namespace fakes
