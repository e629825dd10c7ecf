// Reader behaviour that needs a store to refuse or change things on cue,
// which only the memory store can do.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "engine/MainApplication.h"
#include "platform/Platform.h"
#include "rtl/SysUtils.h"
#include "settings/CustomRegistry.h"
#include "tests/fakes/MemoryStore.h"

using namespace platform;
using fakes::MemoryStore;

namespace {

const std::string kBaseKey = "Software\\Zandrel\\Velmora";

class ReaderOnMemoryStore : public ::testing::Test {
  protected:
    void SetUp() override { previous_ = SetStore(&store_); }
    void TearDown() override {
        EXPECT_EQ(store_.OpenHandleCount(), 0u) << "a handle outlived its reader";
        SetStore(previous_);
    }

    MemoryStore store_;
    ISettingsStore* previous_ = nullptr;
};

TEST_F(ReaderOnMemoryStore, BaseKeyThatCannotBeCreatedLeavesNoCurrentKey) {
    struct Case {
        const char* what;
        std::function<void(MemoryStore&)> arrange;
        bool opened;
    };
    const Case cases[] = {
        {"base present", [](MemoryStore& s) { s.CreatePath(kBaseKey); }, true},
        {"base missing, creation refused", [](MemoryStore& s) { s.SetCreateFails(true); }, false},
        // Creation also opens, and its failure is not followed by a plain open.
        {"base present, creation refused",
         [](MemoryStore& s) {
             s.CreatePath(kBaseKey);
             s.SetCreateFails(true);
         },
         false},
        {"base refuses full access",
         [](MemoryStore& s) { s.Refuse(kBaseKey, MemoryStore::Refusal::FullAccess); }, false},
        {"base refuses all access",
         [](MemoryStore& s) { s.Refuse(kBaseKey, MemoryStore::Refusal::AllAccess); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStore store;
        SetStore(&store);
        c.arrange(store);
        store.SetDword(kBaseKey + "\\Settings\\Schedule\\0", "ScheduleType", 1);
        store.SetDword("Settings\\Schedule\\0", "ScheduleType", 2);
        store.SetString(kBaseKey, "VelmoraPath", "from the base key");
        store.SetString("", "VelmoraPath", "from the root");
        {
            TRegIniFile reader(velmora::kSettingsBaseKey);
            EXPECT_EQ(reader.KeyHandle() != kNoKey, c.opened);
            EXPECT_EQ(store.OpenHandleCount(), c.opened ? 1u : 0u);
            // Without a base key the slot is looked for directly below the
            // root, and the empty section is the root itself.
            EXPECT_EQ(reader.ReadSectionInteger("Settings\\Schedule\\0", "ScheduleType", 0),
                      c.opened ? 1 : 2);
            EXPECT_EQ(reader.ReadSectionString("", "VelmoraPath", ""),
                      c.opened ? "from the base key" : "from the root");
            EXPECT_EQ(store.OpenHandleCount(), c.opened ? 1u : 0u);
        }
        EXPECT_EQ(store.OpenHandleCount(), 0u);
        SetStore(&store_);
    }
}

TEST_F(ReaderOnMemoryStore, SectionRefusingFullAccessIsReadWithReadAccess) {
    struct Case {
        const char* what;
        MemoryStore::Refusal refusal;
        std::int32_t expected;
    };
    const Case cases[] = {{"full access refused", MemoryStore::Refusal::FullAccess, 4},
                          {"all access refused", MemoryStore::Refusal::AllAccess, -5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_.SetDword(kBaseKey + "\\Settings\\Schedule\\1", "ScheduleType", 4);
        store_.Refuse(kBaseKey + "\\Settings\\Schedule\\1", c.refusal);
        TRegIniFile reader(velmora::kSettingsBaseKey);
        EXPECT_EQ(reader.ReadSectionInteger("Settings\\Schedule\\1", "ScheduleType", -5),
                  c.expected);
        EXPECT_EQ(store_.OpenHandleCount(), 1u);
    }
}

TEST_F(ReaderOnMemoryStore, OpenPathKeepsKeyPathAndReleasesThePreviousKey) {
    store_.CreatePath(kBaseKey + "\\Settings");
    TRegistry registry;
    EXPECT_EQ(registry.KeyHandle(), kNoKey);

    struct Step {
        const char* path;
        bool mayCreate;
        bool opened;
        const char* keyPath;
    };
    const Step steps[] = {
        {"Software", false, true, "Software"}, // relative, no current key: below the root
        {"Zandrel\\Velmora\\", false, true, "Software\\Zandrel\\Velmora\\"},
        {"Missing", false, false, "Software\\Zandrel\\Velmora\\"},
        {"Settings", false, true, "Software\\Zandrel\\Velmora\\\\Settings"},
        {"\\Software\\Zandrel", false, true, "Software\\Zandrel"},
        {"New\\Key", true, true, "Software\\Zandrel\\New\\Key"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.path);
        const StoreKey before = registry.KeyHandle();
        EXPECT_EQ(registry.OpenPath(step.path, step.mayCreate), step.opened);
        EXPECT_EQ(registry.KeyPath(), step.keyPath);
        if (!step.opened) {
            EXPECT_EQ(registry.KeyHandle(), before);
        }
        EXPECT_EQ(store_.OpenHandleCount(), 1u);
    }
    EXPECT_TRUE(store_.KeyExists("Software\\Zandrel\\New\\Key"));
    EXPECT_FALSE(store_.KeyExists("Software\\Zandrel\\Velmora\\Missing"));

    registry.ReleaseCurrent();
    EXPECT_EQ(registry.KeyHandle(), kNoKey);
    EXPECT_EQ(registry.KeyPath(), "");
    EXPECT_EQ(store_.OpenHandleCount(), 0u);
    registry.ReleaseCurrent();
}

TEST_F(ReaderOnMemoryStore, OpenPathWithoutCreateFallsBackToReadAccess) {
    store_.Refuse(kBaseKey, MemoryStore::Refusal::FullAccess);
    TRegistry registry;
    EXPECT_TRUE(registry.OpenPath(velmora::kSettingsBaseKey, false));
    EXPECT_FALSE(registry.OpenPath("\\Software\\Elsewhere", false));
    EXPECT_FALSE(store_.KeyExists("Software\\Elsewhere"));
}

TEST_F(ReaderOnMemoryStore, UseHandleNeitherReleasesNorRenames) {
    store_.SetDword(kBaseKey + "\\Section", "Value", 3);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenPath(velmora::kSettingsBaseKey, false));
    const StoreKey base = registry.KeyHandle();
    const StoreKey section = registry.OpenSection("Section");
    ASSERT_NE(section, kNoKey);
    EXPECT_EQ(registry.KeyHandle(), base) << "OpenSection leaves the current key alone";
    registry.UseHandle(section);
    EXPECT_EQ(registry.ReadNumber("Value"), 3);
    EXPECT_EQ(registry.KeyPath(), kBaseKey + "\\");
    EXPECT_EQ(store_.OpenHandleCount(), 2u);
    registry.UseHandle(base);
    EXPECT_EQ(store_.CloseKey(section), kStoreOk);
}

TEST_F(ReaderOnMemoryStore, ValueQueries) {
    store_.SetRaw(kBaseKey, "Binary", kTypeBinary, std::string("\x01\x02\x03\x04\x05", 5));
    store_.SetRaw(kBaseKey, "Odd", 9, "xy");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenPath(velmora::kSettingsBaseKey, false));

    TValueInfo info;
    EXPECT_TRUE(registry.QueryInfo("binary", info));
    EXPECT_EQ(info.Kind, vkBinary);
    EXPECT_EQ(info.ByteCount, 5);
    EXPECT_TRUE(registry.QueryInfo("Odd", info));
    EXPECT_EQ(info.Kind, vkOther);
    EXPECT_FALSE(registry.QueryInfo("Missing", info));
    EXPECT_EQ(info.Kind, vkOther);
    EXPECT_EQ(info.ByteCount, 0);
    EXPECT_EQ(registry.ValueLength("Binary"), 5);
    EXPECT_EQ(registry.ValueLength("Missing"), -1);
    EXPECT_FALSE(registry.HasValue("Missing"));

    std::uint8_t buffer[8] = {};
    TValueKind kind = vkOther;
    EXPECT_EQ(registry.FetchData("Binary", buffer, 8, kind), 5);
    EXPECT_EQ(kind, vkBinary);
    EXPECT_EQ(std::memcmp(buffer, "\x01\x02\x03\x04\x05", 5), 0);

    const std::function<void()> failing[] = {
        [&] { registry.FetchData("Binary", buffer, 4, kind); },
        [&] { registry.FetchData("Binary", buffer, -1, kind); },
        [&] { registry.FetchData("Missing", buffer, 8, kind); },
    };
    for (const auto& fetch : failing) {
        try {
            fetch();
            ADD_FAILURE() << "the fetch gave a result";
        } catch (const ERegistryException& error) {
            EXPECT_TRUE(error.Message() == "Failed to get data for 'Binary'" ||
                        error.Message() == "Failed to get data for 'Missing'")
                << error.Message();
        }
    }
}

// Changes a value right after its length has been asked for, as another
// program writing at that moment would.
class ChangingStore : public ISettingsStore {
  public:
    ChangingStore(MemoryStore& store, std::function<void()> change)
        : store_(store), change_(std::move(change)) {}
    StoreStatus CreateKey(StoreKey parent, const char* path, StoreKey* key) override {
        return store_.CreateKey(parent, path, key);
    }
    StoreStatus OpenKey(StoreKey parent, const char* path, std::uint32_t access,
                        StoreKey* key) override {
        return store_.OpenKey(parent, path, access, key);
    }
    StoreStatus QueryValue(StoreKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size) override {
        StoreStatus status = store_.QueryValue(key, name, type, data, size);
        // The existence check comes first, then the length query.
        if (!data && ++sizeQueries_ == 2)
            change_();
        return status;
    }
    StoreStatus CloseKey(StoreKey key) override { return store_.CloseKey(key); }

  private:
    MemoryStore& store_;
    std::function<void()> change_;
    int sizeQueries_ = 0;
};

TEST_F(ReaderOnMemoryStore, TextChangedBetweenLengthAndFetch) {
    struct Case {
        const char* what;
        std::string newText;
        std::string text;
        const char* error;
    };
    const Case cases[] = {{"grew", "a longer text", "", "Failed to get data for 'Params'"},
                          {"shrank", "ab", "ab", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store_.SetString(kBaseKey + "\\Settings\\Schedule\\0", "Params", "abcdef");
        ChangingStore changing(store_, [&] {
            store_.SetString(kBaseKey + "\\Settings\\Schedule\\0", "Params", c.newText);
        });
        SetStore(&changing);
        {
            TRegIniFile reader(velmora::kSettingsBaseKey);
            const StoreKey base = reader.KeyHandle();
            std::string error;
            std::string text;
            try {
                text = reader.ReadSectionString("Settings\\Schedule\\0", "Params", "default");
            } catch (const ERegistryException& e) {
                error = e.Message();
            }
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(reader.KeyHandle(), base);
            EXPECT_EQ(store_.OpenHandleCount(), 1u);
        }
        SetStore(&store_);
    }
}

} // namespace
