#include "rtl/IntText.h"

#include "rtl/SysUtils.h"

std::string IntToStr(std::int32_t value) {
    return std::to_string(value);
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHex(const std::string& text, std::size_t at, std::int32_t& value) {
    if (at >= text.size())
        return false;
    std::uint32_t result = 0;
    for (; at < text.size(); ++at) {
        int digit = HexDigit(text[at]);
        if (digit < 0 || result > 0x0FFFFFFFu)
            return false;
        result = result * 16 + static_cast<std::uint32_t>(digit);
    }
    // All 32 bits may be given in hexadecimal: $FFFFFFFF is -1.
    value = static_cast<std::int32_t>(result);
    return true;
}

bool ParseDecimal(const std::string& text, std::size_t at, std::int32_t& value) {
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at >= text.size())
        return false;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t result = 0;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
        if (result > limit)
            return false;
    }
    value = static_cast<std::int32_t>(negative ? -result : result);
    return true;
}

} // namespace

bool TryStrToInt(const std::string& text, std::int32_t& value) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at < text.size() && text[at] == '$')
        return ParseHex(text, at + 1, value);
    if (at < text.size() && (text[at] == 'x' || text[at] == 'X'))
        return ParseHex(text, at + 1, value);
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X'))
        return ParseHex(text, at + 2, value);
    return ParseDecimal(text, at, value);
}

std::int32_t StrToInt(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(FormatMessage("'%s' is not a valid integer value", text));
    return value;
}
