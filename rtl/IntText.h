// Integer text: the one reading of numbers typed into schedule slots.
#pragma once

#include <cstdint>
#include <string>

std::string IntToStr(std::int32_t value);

// Optional leading blanks, then an optional sign and decimal digits, or (without
// a sign) a hexadecimal number introduced by "$", "x" or "0x". Anything else,
// trailing blanks included, and decimal values outside 32 bits raise
// EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, std::int32_t& value);
