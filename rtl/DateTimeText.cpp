// Placeholder: replaced by the date-time text reader and writer.
#include "rtl/DateTimeText.h"

#include "rtl/SysUtils.h"

std::string DateTimeToStr(TLocalDateTime, const TFormatSettings&) {
    return std::string();
}
std::string DateToStr(TLocalDateTime, const TFormatSettings&) {
    return std::string();
}
std::string TimeToStr(TLocalDateTime, const TFormatSettings&) {
    return std::string();
}
bool TryStrToDateTime(const std::string&, TLocalDateTime&, const TFormatSettings&) {
    return false;
}
TLocalDateTime StrToDateTime(const std::string& text, const TFormatSettings&) {
    throw EConvertError(FormatMessage("'%s' is not a valid date and time", text));
}
TLocalDateTime StrToTime(const std::string& text, const TFormatSettings&) {
    throw EConvertError(FormatMessage("'%s' is not a valid time", text));
}
