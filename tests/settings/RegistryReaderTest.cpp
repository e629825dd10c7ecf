// The reader against a store: the memory store on the host, the registry
// under Wine. Every case also checks that only the base key stays open.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "rtl/SysUtils.h"
#include "settings/CustomRegistry.h"
#include "tests/settings/StoreHarness.h"

using namespace platform;
using storetest::Bytes;

namespace {

constexpr const char* kInvalidType = "Invalid data type for 'Value'";
constexpr const char* kFailedToGet = "Failed to get data for 'Value'";

// The message a read raised, or "" when it gave a result.
std::string Raised(const std::function<void()>& read) {
    try {
        read();
    } catch (const ERegistryException& error) {
        return error.Message();
    }
    return "";
}

class RegistryReader : public ::testing::Test {
  protected:
    void SetUp() override {
        harness_ = storetest::MakeStoreHarness();
        previous_ = SetStore(&harness_->Store());
    }
    void TearDown() override {
        EXPECT_EQ(harness_->OpenHandleCount(), 0u) << "a handle outlived its reader";
        SetStore(previous_);
        harness_.reset();
    }

    // Shaped as the main application's base key: rooted, with a trailing backslash.
    std::string BasePath() const { return "\\" + BaseKey() + "\\"; }
    std::string BaseKey() const { return harness_->Area() + "\\Zandrel\\Velmora"; }
    void Put(const std::string& section, const std::string& name, std::uint32_t type,
             const std::string& bytes) {
        harness_->Put(section.empty() ? BaseKey() : BaseKey() + "\\" + section, name, type, bytes);
    }

    // What a read after an error must still find.
    void PutMarker() { Put("Marker", "Value", kTypeString, Bytes("still readable\0")); }
    // After a read, raised or not: the base key is current again, only its
    // handle is open, and the reader still reads.
    void ExpectReaderIntact(TRegIniFile& reader, StoreKey baseKey) {
        EXPECT_EQ(reader.KeyHandle(), baseKey);
        EXPECT_EQ(harness_->OpenHandleCount(), 1u);
        EXPECT_EQ(reader.ReadSectionString("Marker", "Value", ""), "still readable");
    }

    std::unique_ptr<storetest::StoreHarness> harness_;
    ISettingsStore* previous_ = nullptr;
};

TEST_F(RegistryReader, TextReadsByType) {
    struct Case {
        const char* what;
        std::uint32_t type;
        std::string bytes;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"string", kTypeString, Bytes("C:\\Apps\\Velmora.exe\0"), "C:\\Apps\\Velmora.exe", ""},
        {"NUL in the middle", kTypeString, Bytes("ab\0cd\0"), "ab", ""},
        {"only its NUL", kTypeString, Bytes("\0"), "", ""},
        {"no terminating NUL", kTypeString, Bytes("abc"), "abc", ""},
        {"expandable, unexpanded", kTypeExpandString, Bytes("%SystemRoot%\\x\0"), "%SystemRoot%\\x",
         ""},
        {"empty string", kTypeString, "", "", ""},
        {"empty integer", kTypeDword, "", "", ""},
        {"empty binary", kTypeBinary, "", "", ""},
        {"empty list of strings", kTypeMultiString, "", "", ""},
        {"empty of no type", kTypeNone, "", "", ""},
        {"integer", kTypeDword, Bytes("\x01\x00\x00\x00"), "", kInvalidType},
        {"binary", kTypeBinary, Bytes("ab\0"), "", kInvalidType},
        {"list of strings", kTypeMultiString, Bytes("a\0b\0\0"), "", kInvalidType},
        {"unknown type", 0x1234, Bytes("abc\0"), "", kInvalidType},
    };
    PutMarker();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("Text", "Value", c.type, c.bytes);
        TRegIniFile reader(BasePath());
        const StoreKey baseKey = reader.KeyHandle();
        std::string text = "(not read)";
        EXPECT_EQ(Raised([&] { text = reader.ReadSectionString("Text", "Value", "default"); }),
                  c.error);
        if (*c.error == '\0') {
            EXPECT_EQ(text, c.text);
        }
        ExpectReaderIntact(reader, baseKey);
    }
}

TEST_F(RegistryReader, IntegerAndBoolReadsByType) {
    struct Case {
        const char* what;
        std::uint32_t type;
        std::string bytes;
        std::int32_t number;
        const char* error;
    };
    const Case cases[] = {
        {"integer", kTypeDword, Bytes("\x2a\x00\x00\x00"), 42, ""},
        {"all bits set", kTypeDword, Bytes("\xff\xff\xff\xff"), -1, ""},
        {"two", kTypeDword, Bytes("\x02\x00\x00\x00"), 2, ""},
        {"zero", kTypeDword, Bytes("\x00\x00\x00\x00"), 0, ""},
        {"lowest", kTypeDword, Bytes("\x00\x00\x00\x80"), INT32_MIN, ""},
        {"short integer", kTypeDword, Bytes("\x34\x12"), 0x1234, ""},
        {"empty integer", kTypeDword, "", 0, ""},
        {"big-endian integer", kTypeDwordBigEndian, Bytes("\x00\x00\x00\x01"), 0, kInvalidType},
        {"string of three", kTypeString, Bytes("123\0"), 0, kInvalidType},
        {"string of only its NUL", kTypeString, Bytes("\0"), 0, kInvalidType},
        {"string of four", kTypeString, Bytes("1234\0"), 0, kFailedToGet},
        {"binary of four", kTypeBinary, Bytes("\x01\x00\x00\x00"), 0, kInvalidType},
        {"empty binary", kTypeBinary, "", 0, kInvalidType},
        {"binary of five", kTypeBinary, Bytes("\x01\x00\x00\x00\x00"), 0, kFailedToGet},
        {"integer of eight", kTypeDword, Bytes("\x01\x00\x00\x00\x00\x00\x00\x00"), 0,
         kFailedToGet},
        {"64-bit integer", kTypeQword, Bytes("\x01\x00\x00\x00\x00\x00\x00\x00"), 0, kFailedToGet},
    };
    PutMarker();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("Number", "Value", c.type, c.bytes);
        TRegIniFile reader(BasePath());
        const StoreKey baseKey = reader.KeyHandle();
        const bool raises = *c.error != '\0';

        std::int32_t number = 777;
        EXPECT_EQ(Raised([&] { number = reader.ReadSectionInteger("Number", "Value", 777); }),
                  c.error);
        if (!raises) {
            EXPECT_EQ(number, c.number);
        }
        ExpectReaderIntact(reader, baseKey);

        // The default never shows through for a value that is present.
        for (bool defaultValue : {false, true}) {
            SCOPED_TRACE(defaultValue ? "bool, default true" : "bool, default false");
            bool flag = !defaultValue;
            EXPECT_EQ(
                Raised([&] { flag = reader.ReadSectionBool("Number", "Value", defaultValue); }),
                c.error);
            if (!raises) {
                EXPECT_EQ(flag, c.number != 0);
            }
            ExpectReaderIntact(reader, baseKey);
        }
    }
}

TEST_F(RegistryReader, ErrorsNameTheValueAsTheCallerSpelledIt) {
    Put("Text", "ScheduleType", kTypeDword, Bytes("\x01\x00\x00\x00"));
    TRegIniFile reader(BasePath());
    EXPECT_EQ(Raised([&] { reader.ReadSectionString("Text", "scheduleTYPE", ""); }),
              "Invalid data type for 'scheduleTYPE'");
}

TEST_F(RegistryReader, MissingSectionOrValueGivesTheDefault) {
    Put("Settings\\Schedule\\0", "Other", kTypeDword, Bytes("\x05\x00\x00\x00"));
    Put("", "Value", kTypeDword, Bytes("\x05\x00\x00\x00"));
    struct Case {
        const char* what;
        const char* section;
    };
    const Case cases[] = {{"section missing", "Settings\\Schedule\\1"},
                          {"value missing", "Settings\\Schedule\\0"},
                          {"value only in the base key", "Settings\\Schedule\\0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRegIniFile reader(BasePath());
        EXPECT_EQ(reader.ReadSectionString(c.section, "Value", "text default"), "text default");
        EXPECT_EQ(reader.ReadSectionInteger(c.section, "Value", -12), -12);
        EXPECT_TRUE(reader.ReadSectionBool(c.section, "Value", true));
        EXPECT_FALSE(reader.ReadSectionBool(c.section, "Value", false));
        EXPECT_EQ(harness_->OpenHandleCount(), 1u);
    }
    EXPECT_FALSE(harness_->KeyExists(BaseKey() + "\\Settings\\Schedule\\1"))
        << "reads create nothing";
}

TEST_F(RegistryReader, MissingBaseKeyIsCreatedAndEveryReadGivesItsDefault) {
    ASSERT_FALSE(harness_->KeyExists(harness_->Area()));

    TRegIniFile reader(BasePath());
    EXPECT_NE(reader.KeyHandle(), kNoKey);
    EXPECT_EQ(reader.KeyPath(), BaseKey() + "\\");
    for (const std::string& key : {harness_->Area(), harness_->Area() + "\\Zandrel", BaseKey()}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(harness_->KeyExists(key));
    }
    for (int slot = 0; slot < 3; ++slot) {
        const std::string section = "Settings\\Schedule\\" + std::to_string(slot);
        SCOPED_TRACE(section);
        EXPECT_FALSE(reader.ReadSectionBool(section, "Enabled", false));
        EXPECT_EQ(reader.ReadSectionString(section, "Params", ""), "");
        EXPECT_EQ(reader.ReadSectionInteger(section, "ScheduleType", 0), 0);
    }
    EXPECT_EQ(reader.ReadSectionString("", "VelmoraPath", ""), "");
    EXPECT_FALSE(harness_->KeyExists(BaseKey() + "\\Settings"));
    EXPECT_EQ(harness_->OpenHandleCount(), 1u);
}

TEST_F(RegistryReader, EmptySectionReadsTheBaseKey) {
    Put("", "VelmoraPath", kTypeString, Bytes("D:\\Velmora\\Velmora.exe\0"));
    Put("", "Count", kTypeDword, Bytes("\x07\x00\x00\x00"));
    TRegIniFile reader(BasePath());
    EXPECT_EQ(reader.ReadSectionString("", "VelmoraPath", ""), "D:\\Velmora\\Velmora.exe");
    EXPECT_EQ(reader.ReadSectionInteger("", "Count", 0), 7);
    EXPECT_EQ(harness_->OpenHandleCount(), 1u);
}

TEST_F(RegistryReader, SectionWithALeadingBackslashIsReadBelowTheRoot) {
    const std::string elsewhere = harness_->Area() + "\\Elsewhere";
    harness_->Put(elsewhere, "Params", kTypeString, Bytes("below the root\0"));
    // The same path taken below the base key holds something else.
    Put(elsewhere, "Params", kTypeString, Bytes("below the base key\0"));
    TRegIniFile reader(BasePath());
    EXPECT_EQ(reader.ReadSectionString("\\" + elsewhere, "Params", ""), "below the root");
    EXPECT_EQ(reader.ReadSectionString(elsewhere, "Params", ""), "below the base key");
}

TEST_F(RegistryReader, WithoutABaseKeySectionsAreLookedForBelowTheRoot) {
    const std::string slot = harness_->Area() + "\\Settings\\Schedule\\0";
    harness_->Put(slot, "ScheduleType", kTypeDword, Bytes("\x03\x00\x00\x00"));
    harness_->Put(slot, "Params", kTypeString, Bytes("at the root\0"));
    {
        TRegIniFile reader(harness_->UnreachablePath());
        EXPECT_EQ(reader.KeyHandle(), kNoKey);
        EXPECT_EQ(reader.KeyPath(), "");
        EXPECT_EQ(reader.ReadSectionInteger(slot, "ScheduleType", 0), 3);
        EXPECT_EQ(reader.ReadSectionString(slot, "Params", ""), "at the root");
        EXPECT_EQ(reader.ReadSectionInteger("Settings\\NoSuchSlot", "ScheduleType", 9), 9);
        EXPECT_EQ(Raised([&] { reader.ReadSectionString(slot, "ScheduleType", ""); }),
                  "Invalid data type for 'ScheduleType'");
        EXPECT_EQ(reader.KeyHandle(), kNoKey);
        EXPECT_EQ(harness_->OpenHandleCount(), 0u);
    }
}

} // namespace
