// Values of any type number, length and bytes where the applet reads its
// settings: every read gives what the type rules say or raises
// ERegistryException with its message, nothing else leaves the reader, and
// no handle outlives it.
//
// Input: a byte for how many values to store (1 to 8), then per value a byte
// choosing where it goes, four bytes of type number, two bytes of length and
// that many bytes of data. Then operations until the input ends, one byte
// each plus their arguments: sectioned reads checked against the rules, and
// the lower reads of TRegistry on a reader of their own.
#include <cstdint>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <string>

#include "engine/MainApplication.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Platform.h"
#include "rtl/IntText.h"
#include "rtl/SysUtils.h"
#include "settings/CustomRegistry.h"
#include "tests/fakes/MemoryStore.h"

namespace {

using fuzz::Fail;
using fuzz::Quoted;
using fuzz::Require;

const std::string kBase = "Software\\Zandrel\\Velmora";

struct Place {
    const char* section; // below the base key
    const char* name;
};

// Where the applet reads, plus the same names spelled otherwise and a
// section path that begins at the root.
const Place kPlaces[] = {
    {"Settings\\Schedule\\0", "Enabled"},
    {"Settings\\Schedule\\0", "Params"},
    {"Settings\\Schedule\\0", "ScheduleType"},
    {"Settings\\Schedule\\1", "Enabled"},
    {"Settings\\Schedule\\1", "Params"},
    {"Settings\\Schedule\\2", "ScheduleType"},
    {"", "VelmoraPath"},
    {"Settings\\Schedule\\2", "params"},
    {"", "VELMORAPATH"},
    {"Settings\\Schedule\\1\\", "ENABLED"},
    {"\\Software\\Zandrel\\Velmora\\Settings\\Schedule\\0", "Params"},
};
constexpr std::size_t kPlaceCount = sizeof kPlaces / sizeof kPlaces[0];

struct Stored {
    std::uint32_t type;
    std::string bytes;
};

// The store's own view: key paths and names without regard to case or a
// trailing backslash; the rooted section names the same key as slot 0's.
std::string KeyOf(const Place& place) {
    std::string section = place.section;
    const std::string rooted = "\\" + kBase + "\\";
    if (section.compare(0, rooted.size(), rooted) == 0)
        section = section.substr(rooted.size());
    while (!section.empty() && section.back() == '\\')
        section.pop_back();
    std::string key = section + "|" + place.name;
    for (char& c : key)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return key;
}

std::string StorePath(const Place& place) {
    std::string section = place.section;
    if (!section.empty() && section[0] == '\\')
        return section.substr(1);
    return section.empty() ? kBase : kBase + "\\" + section;
}

struct Expected {
    bool raises = false;
    std::string message;
    std::string text;
    std::int32_t number = 0;
};

Expected Raising(const char* pattern, const std::string& name) {
    Expected e;
    e.raises = true;
    e.message = FormatMessage(pattern, name);
    return e;
}

Expected ExpectText(const Stored* value, const std::string& name, const std::string& fallback) {
    Expected e;
    if (!value) {
        e.text = fallback;
        return e;
    }
    if (value->bytes.empty())
        return e;
    if (value->type != platform::kTypeString && value->type != platform::kTypeExpandString)
        return Raising("Invalid data type for '%s'", name);
    e.text = value->bytes.substr(0, value->bytes.find('\0'));
    return e;
}

Expected ExpectNumber(const Stored* value, const std::string& name, std::int32_t fallback) {
    Expected e;
    if (!value) {
        e.number = fallback;
        return e;
    }
    if (value->bytes.size() > 4)
        return Raising("Failed to get data for '%s'", name);
    if (value->type != platform::kTypeDword)
        return Raising("Invalid data type for '%s'", name);
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < value->bytes.size(); ++i)
        n |= static_cast<std::uint32_t>(static_cast<unsigned char>(value->bytes[i])) << (8 * i);
    e.number = static_cast<std::int32_t>(n);
    return e;
}

std::string Raised(const std::exception& error) {
    return std::string(ErrorClassName(error)) + " " + Quoted(error.what());
}

// Runs read; an ERegistryException is compared with the expected one, any
// other error is a finding.
template <typename Read> void Check(const std::string& what, const Expected& expected, Read read) {
    try {
        read();
    } catch (const ERegistryException& error) {
        Require(expected.raises && error.Message() == expected.message,
                what + ": raised " + Quoted(error.Message()) +
                    (expected.raises ? ", expected " + Quoted(expected.message)
                                     : ", expected no error"));
        return;
    } catch (const std::exception& error) {
        Fail(what + ": raised " + Raised(error));
    }
    Require(!expected.raises, what + ": expected " + Quoted(expected.message));
}

// The lower reads on a reader of their own: only ERegistryException may
// leave them, and fetches never write past the buffer they are given.
void LowerReads(fuzz::InputReader& input) {
    TRegistry registry;
    const Place& at = kPlaces[input.Byte() % kPlaceCount];
    const std::uint8_t how = input.Byte();
    const std::string path = (how & 1) ? "\\" + kBase + "\\" + at.section : at.section;
    try {
        registry.OpenPath(path, (how & 2) != 0);
        if (how & 4) {
            platform::StoreKey section = registry.OpenSection(at.section);
            if (section != platform::kNoKey)
                platform::Store().CloseKey(section);
        }
        TValueInfo info;
        const bool found = registry.QueryInfo(at.name, info);
        Require(found == registry.HasValue(at.name), "QueryInfo and HasValue disagree");
        Require(registry.ValueLength(at.name) == (found ? info.ByteCount : -1),
                "QueryInfo and ValueLength disagree");
        const std::int32_t size = static_cast<std::int32_t>(input.U16() % 600) - 50;
        // Exactly size bytes, and never a null pointer, which would ask for the
        // length instead of the data.
        std::unique_ptr<std::uint8_t[]> buffer(
            new std::uint8_t[size > 0 ? static_cast<std::size_t>(size) : 0]);
        TValueKind kind = vkOther;
        try {
            const std::int32_t got = registry.FetchData(at.name, buffer.get(), size, kind);
            Require(got >= 0 && got <= (size > 0 ? size : 0),
                    "FetchData received " + IntToStr(got) + " bytes into " + IntToStr(size));
        } catch (const ERegistryException&) {
        }
        try {
            registry.ReadText(at.name);
        } catch (const ERegistryException&) {
        }
        try {
            registry.ReadNumber(at.name);
        } catch (const ERegistryException&) {
        }
    } catch (const std::exception& error) {
        Fail(std::string("lower reads of ") + Quoted(path) + "/" + at.name + ": raised " +
             Raised(error));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    fakes::MemoryStore store;
    platform::ISettingsStore* previous = platform::SetStore(&store);

    std::map<std::string, Stored> stored;
    const int count = input.Byte() % 8 + 1;
    for (int i = 0; i < count; ++i) {
        const Place& place = kPlaces[input.Byte() % kPlaceCount];
        Stored value;
        value.type = input.U32();
        value.bytes = input.Bytes(input.U16() % 1024);
        store.SetRaw(StorePath(place), place.name, value.type, value.bytes);
        stored[KeyOf(place)] = value;
    }

    {
        TRegIniFile reader(velmora::kSettingsBaseKey);
        Require(store.OpenHandleCount() == 1, "the reader holds other than its base key");
        while (input.Left() > 0) {
            const std::uint8_t op = input.Byte();
            const Place& place = kPlaces[(op >> 2) % kPlaceCount];
            auto found = stored.find(KeyOf(place));
            const Stored* value = found == stored.end() ? nullptr : &found->second;
            const std::string what = std::string(place.section) + "/" + place.name;
            switch (op & 3) {
            case 0: {
                const std::string fallback = input.Bytes(input.Byte() % 8);
                const Expected e = ExpectText(value, place.name, fallback);
                Check("ReadSectionString " + what, e, [&] {
                    const std::string text =
                        reader.ReadSectionString(place.section, place.name, fallback);
                    Require(text == e.text, "ReadSectionString " + what + ": " + Quoted(text) +
                                                ", expected " + Quoted(e.text));
                });
                break;
            }
            case 1: {
                const auto fallback = static_cast<std::int32_t>(input.U32());
                const Expected e = ExpectNumber(value, place.name, fallback);
                Check("ReadSectionInteger " + what, e, [&] {
                    const std::int32_t n =
                        reader.ReadSectionInteger(place.section, place.name, fallback);
                    Require(n == e.number, "ReadSectionInteger " + what + ": " + IntToStr(n) +
                                               ", expected " + IntToStr(e.number));
                });
                break;
            }
            case 2: {
                const bool fallback = (input.Byte() & 1) != 0;
                const Expected e = ExpectNumber(value, place.name, fallback ? 1 : 0);
                Check("ReadSectionBool " + what, e, [&] {
                    const bool b = reader.ReadSectionBool(place.section, place.name, fallback);
                    Require(b == (e.number != 0), "ReadSectionBool " + what);
                });
                break;
            }
            default:
                LowerReads(input);
                Require(store.OpenHandleCount() == 1, "lower reads left a handle open");
                break;
            }
            Require(store.OpenHandleCount() == 1, "a read left a handle open: " + what);
            Require(reader.KeyPath() == kBase + "\\", "the base key is no longer current");
        }
    }
    Require(store.OpenHandleCount() == 0, "a handle outlived its reader");
    platform::SetStore(previous);
    return 0;
}
