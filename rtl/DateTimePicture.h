// A Windows date or time format picture ("M/d/yyyy", "h:mm:ss tt"), taken
// apart once into its elements and kept, so that writing and reading the
// clock's text twice a second does not parse the picture again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TPictureKind : std::uint8_t {
    Literal,
    Day,       // d
    Day2,      // dd
    DayName,   // ddd
    DayLong,   // dddd
    Month,     // M
    Month2,    // MM
    MonthName, // MMM
    MonthLong, // MMMM
    Year,      // y: the last two digits, no leading zero
    Year2,     // yy
    Year4,     // yyyy (and longer runs)
    Hour12,    // h
    Hour12x2,  // hh
    Hour24,    // H
    Hour24x2,  // HH
    Minute,    // m
    Minute2,   // mm
    Second,    // s
    Second2,   // ss
    AmPmChar,  // t
    AmPm,      // tt
};

struct TPictureElement {
    TPictureKind Kind = TPictureKind::Literal;
    // Literal text, unquoted, as offset and length into TDateTimePicture::Literals.
    std::uint32_t Offset = 0;
    std::uint32_t Length = 0;
    // Reading: the literal may be missing from the text (see TDateTimePicture).
    bool Optional = false;
    // Reading: the literal's blanks must be there, not just may.
    bool BlanksRequired = false;
    // Reading: this literal and the seconds after it may both be missing.
    bool StartsSeconds = false;
};

struct TDateTimePicture {
    std::vector<TPictureElement> Elements;
    std::string Literals;
    bool HasAmPm = false; // a t or tt element
    bool HasHour = false;
    bool HasDate = false; // day, month and year all present
};

TDateTimePicture CompilePicture(const std::string& format);

// Blanks and direction marks inside literals, as the locales write them in
// UTF-8: a person types a plain space for a no-break one and leaves the
// marks out. Each gives the length of the character at p, or 0.
inline std::size_t BlankAt(const char* p, const char* end) {
    auto n = static_cast<std::size_t>(end - p);
    if (n >= 1 && p[0] == ' ')
        return 1;
    // No-break space and narrow no-break space.
    if (n >= 2 && p[0] == '\xC2' && p[1] == '\xA0')
        return 2;
    if (n >= 3 && p[0] == '\xE2' && p[1] == '\x80' && p[2] == '\xAF')
        return 3;
    return 0;
}
inline std::size_t MarkAt(const char* p, const char* end) {
    auto n = static_cast<std::size_t>(end - p);
    // Left-to-right, right-to-left and Arabic letter marks.
    if (n >= 3 && p[0] == '\xE2' && p[1] == '\x80' && (p[2] == '\x8E' || p[2] == '\x8F'))
        return 3;
    if (n >= 2 && p[0] == '\xD8' && p[1] == '\x9C')
        return 2;
    return 0;
}

// The first character of an AM/PM text, for the t element: a whole UTF-8
// sequence when the text holds one, else a single byte.
inline std::size_t FirstCharLength(const std::string& text) {
    if (text.empty())
        return 0;
    auto lead = static_cast<unsigned char>(text[0]);
    std::size_t n = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (n > text.size())
        return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 1;
    }
    return n;
}

// The compiled picture of a format text, compiled on first use and kept for
// the run. The reference stays valid for the run. Not thread-safe: the
// applet formats and reads on its one thread.
const TDateTimePicture& CachedPicture(const std::string& format);
