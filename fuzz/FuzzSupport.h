// What the fuzz targets share: how a finding is reported, and the Windows
// locale table as the regional settings an input picks from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "rtl/FormatSettings.h"
#include "tests/fakes/LocaleTable.h"

namespace fuzz {

// A broken property is a finding like a crash: libFuzzer keeps the input.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "FINDING: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool holds, const std::string& what) {
    if (!holds)
        Fail(what);
}

inline const std::vector<fakes::LocaleRow>& Locales() {
    static const std::vector<fakes::LocaleRow> table = fakes::ReadLocaleTable(VELMORA_LOCALE_TABLE);
    return table;
}

// Takes an input apart from its front, so that a starting input's layout can be written
// down; what runs out reads as zeros.
class InputReader {
  public:
    InputReader(const std::uint8_t* data, std::size_t size) : at_(data), end_(data + size) {}

    std::uint8_t Byte() { return at_ < end_ ? *at_++ : 0; }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }
    double Double() {
        std::uint8_t bytes[8] = {};
        for (std::uint8_t& b : bytes)
            b = Byte();
        double value = 0;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    // Up to n bytes.
    std::string Bytes(std::size_t n) {
        std::size_t left = Left();
        if (n > left)
            n = left;
        std::string out(reinterpret_cast<const char*>(at_), n);
        at_ += n;
        return out;
    }
    std::string Rest() { return Bytes(Left()); }
    std::size_t Left() const { return static_cast<std::size_t>(end_ - at_); }

  private:
    const std::uint8_t* at_;
    const std::uint8_t* end_;
};

// The first two bytes (little-endian) choose the row.
inline const fakes::LocaleRow& PickLocale(InputReader& input) {
    const auto& table = Locales();
    return table[input.U16() % table.size()];
}

inline std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "'";
}

} // namespace fuzz
