// Integer text: any bytes read as a 32-bit value or fail with EConvertError,
// and agree with a reading built on the C library's own conversions.
//
// Input: the whole input is the text.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "rtl/IntText.h"
#include "rtl/SysUtils.h"

namespace {

using fuzz::Quoted;
using fuzz::Require;

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool AllOf(const std::string& text, std::size_t from, bool (*digit)(char)) {
    if (from >= text.size())
        return false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (!digit(text[i]))
            return false;
    }
    return true;
}

// The same forms, read with strtoll and strtoull: whether the text is an
// integer, and its value.
bool Reference(const std::string& text, std::int32_t& value) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos)
        return false;
    std::size_t hexFrom = std::string::npos;
    if (text[at] == '$' || text[at] == 'x' || text[at] == 'X')
        hexFrom = at + 1;
    else if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0)
        hexFrom = at + 2;
    if (hexFrom != std::string::npos) {
        if (!AllOf(text, hexFrom, IsHexDigit))
            return false;
        errno = 0;
        const unsigned long long n = std::strtoull(text.c_str() + hexFrom, nullptr, 16);
        if (errno == ERANGE || n > 0xFFFFFFFFull)
            return false;
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
        return true;
    }
    const std::size_t digitsFrom = text[at] == '+' || text[at] == '-' ? at + 1 : at;
    if (!AllOf(text, digitsFrom, IsDecimalDigit))
        return false;
    errno = 0;
    const long long n = std::strtoll(text.c_str() + at, nullptr, 10);
    if (errno == ERANGE || n < INT32_MIN || n > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(n);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string where = Quoted(text);

    std::int32_t tried = 0;
    const bool ok = TryStrToInt(text, tried);
    bool raised = false;
    std::int32_t read = 0;
    try {
        read = StrToInt(text);
    } catch (const EConvertError& error) {
        raised = true;
        Require(error.Message() == "'" + text + "' is not a valid integer value",
                where + ": message " + Quoted(error.Message()));
    }
    Require(ok != raised, where + ": TryStrToInt and StrToInt disagree");

    std::int32_t expected = 0;
    const bool valid = Reference(text, expected);
    Require(ok == valid, where + (valid ? ": refused, but it is " + IntToStr(expected)
                                        : ": read as " + IntToStr(read) + ", but not an integer"));
    if (!ok)
        return 0;
    Require(read == tried, where + ": TryStrToInt and StrToInt read different values");
    Require(read == expected,
            where + ": read as " + IntToStr(read) + ", expected " + IntToStr(expected));
    Require(StrToInt(IntToStr(read)) == read,
            where + ": " + IntToStr(read) + " does not read back");
    return 0;
}
