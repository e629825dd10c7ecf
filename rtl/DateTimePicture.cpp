#include "rtl/DateTimePicture.h"

#include <unordered_map>

namespace {

using K = TPictureKind;

bool IsPictureLetter(char c) {
    switch (c) {
    case 'd':
    case 'M':
    case 'y':
    case 'h':
    case 'H':
    case 'm':
    case 's':
    case 't':
        return true;
    default:
        return false;
    }
}

TPictureKind KindOf(char letter, std::size_t run) {
    switch (letter) {
    case 'd':
        return run == 1 ? K::Day : run == 2 ? K::Day2 : run == 3 ? K::DayName : K::DayLong;
    case 'M':
        return run == 1 ? K::Month : run == 2 ? K::Month2 : run == 3 ? K::MonthName : K::MonthLong;
    case 'y':
        return run == 1 ? K::Year : run == 2 ? K::Year2 : K::Year4;
    case 'h':
        return run == 1 ? K::Hour12 : K::Hour12x2;
    case 'H':
        return run == 1 ? K::Hour24 : K::Hour24x2;
    case 'm':
        return run == 1 ? K::Minute : K::Minute2;
    case 's':
        return run == 1 ? K::Second : K::Second2;
    default:
        return run == 1 ? K::AmPmChar : K::AmPm;
    }
}

bool IsAmPm(K kind) {
    return kind == K::AmPmChar || kind == K::AmPm;
}

// True when the literal holds nothing but blanks and direction marks.
bool IsBlankOnly(const char* p, const char* end) {
    while (p < end) {
        std::size_t n = BlankAt(p, end);
        if (n == 0)
            n = MarkAt(p, end);
        if (n == 0)
            return false;
        p += n;
    }
    return true;
}

void MarkReadingRules(TDateTimePicture& picture) {
    auto& elements = picture.Elements;
    const std::size_t count = elements.size();
    std::size_t first = count, last = count;
    bool day = false, month = false, year = false;
    for (std::size_t i = 0; i < count; ++i) {
        K kind = elements[i].Kind;
        if (kind == K::Literal)
            continue;
        if (first == count)
            first = i;
        last = i;
        day |= kind == K::Day || kind == K::Day2;
        month |= kind >= K::Month && kind <= K::MonthLong;
        year |= kind >= K::Year && kind <= K::Year4;
        picture.HasHour |= kind >= K::Hour12 && kind <= K::Hour24x2;
        picture.HasAmPm |= IsAmPm(kind);
    }
    picture.HasDate = day && month && year;

    for (std::size_t i = 0; i < count; ++i) {
        TPictureElement& e = elements[i];
        if (e.Kind != K::Literal)
            continue;
        // Text before the first element or after the last one ("yyyy.",
        // "ss 's'") is decoration a person may leave out.
        e.Optional = first == count || i < first || i > last;
        bool nextToAmPm = (i > 0 && IsAmPm(elements[i - 1].Kind)) ||
                          (i + 1 < count && IsAmPm(elements[i + 1].Kind));
        const char* text = picture.Literals.data() + e.Offset;
        // "2:30PM" is as good as "2:30 PM"; and the blank before a missing
        // AM/PM goes with it.
        e.BlanksRequired = !e.Optional && !nextToAmPm && IsBlankOnly(text, text + e.Length);
        e.StartsSeconds =
            i > 0 && i + 1 < count &&
            (elements[i - 1].Kind == K::Minute || elements[i - 1].Kind == K::Minute2) &&
            (elements[i + 1].Kind == K::Second || elements[i + 1].Kind == K::Second2);
    }
}

} // namespace

TDateTimePicture CompilePicture(const std::string& format) {
    TDateTimePicture picture;
    bool quoted = false;
    bool inLiteral = false;
    auto literalChar = [&](char c) {
        if (!inLiteral) {
            TPictureElement e;
            e.Offset = static_cast<std::uint32_t>(picture.Literals.size());
            picture.Elements.push_back(e);
            inLiteral = true;
        }
        picture.Literals += c;
        ++picture.Elements.back().Length;
    };

    const std::size_t n = format.size();
    for (std::size_t i = 0; i < n;) {
        char c = format[i];
        if (c == '\'') {
            // Two quotes are one quote, inside a quoted run or outside it.
            if (i + 1 < n && format[i + 1] == '\'') {
                literalChar('\'');
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        if (quoted || !IsPictureLetter(c)) {
            literalChar(c);
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < n && format[i + run] == c)
            ++run;
        TPictureElement e;
        e.Kind = KindOf(c, run);
        picture.Elements.push_back(e);
        inLiteral = false;
        i += run;
    }
    MarkReadingRules(picture);
    return picture;
}

const TDateTimePicture& CachedPicture(const std::string& format) {
    // A run sees the user's two formats; tests see a few dozen. Nodes of the
    // map never move, so the entries and references handed out stay good.
    using Cache = std::unordered_map<std::string, TDateTimePicture>;
    static Cache cache;
    // The date and the time format alternate on every call: the last two
    // found spare hashing the format text.
    static Cache::value_type* recent[2] = {nullptr, nullptr};
    for (Cache::value_type* entry : recent) {
        if (entry != nullptr && entry->first == format)
            return entry->second;
    }
    auto found = cache.find(format);
    if (found == cache.end())
        found = cache.emplace(format, CompilePicture(format)).first;
    recent[1] = recent[0];
    recent[0] = &*found;
    return found->second;
}
