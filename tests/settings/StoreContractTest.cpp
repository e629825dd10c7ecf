// What the reader relies on from a settings store, run against the memory
// store on the host and against the registry under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "settings/RegKey.h"
#include "tests/settings/StoreHarness.h"

using namespace platform;
using storetest::Bytes;

namespace {

class StoreContract : public ::testing::Test {
  protected:
    void SetUp() override {
        harness_ = storetest::MakeStoreHarness();
        previous_ = SetStore(&harness_->Store());
    }
    void TearDown() override {
        EXPECT_EQ(harness_->OpenHandleCount(), 0u) << "a handle was left open";
        SetStore(previous_);
        harness_.reset();
    }

    ISettingsStore& store() { return harness_->Store(); }
    std::string Area(const std::string& below = "") const {
        return below.empty() ? harness_->Area() : harness_->Area() + "\\" + below;
    }

    RegKey Create(StoreKey parent, const std::string& path, StoreStatus expected = kStoreOk) {
        StoreKey key = kNoKey;
        EXPECT_EQ(store().CreateKey(parent, path.c_str(), &key), expected) << "create " << path;
        return RegKey(key);
    }
    RegKey Open(StoreKey parent, const std::string& path, std::uint32_t access,
                StoreStatus expected = kStoreOk) {
        StoreKey key = kNoKey;
        EXPECT_EQ(store().OpenKey(parent, path.c_str(), access, &key), expected) << "open " << path;
        return RegKey(key);
    }
    // The value's bytes, read with a buffer of exactly its size.
    std::string Read(StoreKey key, const std::string& name) {
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        if (store().QueryValue(key, name.c_str(), &type, nullptr, &size) != kStoreOk)
            return "(no value)";
        std::vector<std::uint8_t> data(size + 1);
        EXPECT_EQ(store().QueryValue(key, name.c_str(), &type, data.data(), &size), kStoreOk);
        return std::string(data.begin(), data.begin() + size);
    }

    std::unique_ptr<storetest::StoreHarness> harness_;
    ISettingsStore* previous_ = nullptr;
};

TEST_F(StoreContract, CreateMakesEveryMissingKeyOnThePath) {
    ASSERT_FALSE(harness_->KeyExists(Area()));
    RegKey key = Create(kCurrentUserRoot, Area("A\\B\\C"));
    EXPECT_TRUE(key);
    for (const char* path : {"", "A", "A\\B", "A\\B\\C"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(harness_->KeyExists(Area(path)));
    }
}

TEST_F(StoreContract, CreateOpensAnExistingKeyWithANewHandle) {
    harness_->Put(Area("Existing"), "Kept", kTypeString, Bytes("still here\0"));
    RegKey first = Create(kCurrentUserRoot, Area("Existing"));
    RegKey second = Create(kCurrentUserRoot, Area("Existing"));
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(Read(second.Get(), "Kept"), Bytes("still here\0"));
}

TEST_F(StoreContract, CreateWithATrailingBackslashNamesTheSameKey) {
    RegKey created = Create(kCurrentUserRoot, Area("Trailing\\"));
    harness_->Put(Area("Trailing"), "Mark", kTypeString, Bytes("x\0"));
    EXPECT_EQ(Read(created.Get(), "Mark"), Bytes("x\0"));
}

TEST_F(StoreContract, OpenFindsExistingKeysOnly) {
    harness_->Put(Area("Alpha\\Beta"), "Mark", kTypeString, Bytes("beta\0"));
    RegKey area = Open(kCurrentUserRoot, Area(), kAccessRead);
    struct Case {
        const char* path;
        StoreStatus status;
    };
    const Case cases[] = {
        {"Alpha\\Beta", kStoreOk},       {"Alpha\\Beta\\", kStoreOk},
        {"ALPHA\\beta", kStoreOk},       {"Alpha\\Gamma", kStoreNotFound},
        {"Gamma\\Beta", kStoreNotFound},
    };
    for (const Case& c : cases) {
        for (std::uint32_t access : {kAccessFull, kAccessRead}) {
            SCOPED_TRACE(std::string(c.path) + (access == kAccessFull ? " full" : " read"));
            RegKey key = Open(area.Get(), c.path, access, c.status);
            if (c.status == kStoreOk) {
                EXPECT_EQ(Read(key.Get(), "Mark"), Bytes("beta\0"));
            } else {
                EXPECT_FALSE(key);
            }
        }
    }
}

TEST_F(StoreContract, ALeadingBackslashIsRefused) {
    harness_->Put(Area("Alpha"), "Mark", kTypeString, Bytes("a\0"));
    RegKey area = Open(kCurrentUserRoot, Area(), kAccessRead);
    StoreKey key = kNoKey;
    EXPECT_NE(store().OpenKey(area.Get(), "\\Alpha", kAccessRead, &key), kStoreOk);
    EXPECT_EQ(key, kNoKey);
}

TEST_F(StoreContract, EmptyPathGivesANewHandleToTheStartingKey) {
    harness_->Put(Area(), "Mark", kTypeString, Bytes("area\0"));
    struct Case {
        const char* what;
        bool create;
        std::uint32_t access;
    };
    const Case cases[] = {{"open full", false, kAccessFull},
                          {"open read", false, kAccessRead},
                          {"create", true, kAccessFull}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegKey parent = Open(kCurrentUserRoot, Area(), kAccessFull);
        RegKey same = c.create ? Create(parent.Get(), "") : Open(parent.Get(), "", c.access);
        EXPECT_TRUE(same);
        EXPECT_NE(same.Get(), parent.Get());
        // The new handle lives on when the one it came from is closed.
        parent.Reset();
        EXPECT_EQ(Read(same.Get(), "Mark"), Bytes("area\0"));
    }
}

TEST_F(StoreContract, EmptyPathOnTheRootGivesTheRootItself) {
    StoreKey key = kNoKey;
    ASSERT_EQ(store().OpenKey(kCurrentUserRoot, "", kAccessRead, &key), kStoreOk);
    EXPECT_EQ(key, kCurrentUserRoot);
    EXPECT_EQ(store().CloseKey(key), kStoreOk);
}

TEST_F(StoreContract, ValuesReadBackByteExactWithTheirTypes) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    };
    const Case cases[] = {
        {"Text", kTypeString, Bytes("Velmora\0")},
        {"InnerNul", kTypeString, Bytes("ab\0cd\0")},
        {"NoNul", kTypeString, Bytes("abc")},
        {"OnlyNul", kTypeString, Bytes("\0")},
        {"EmptyString", kTypeString, ""},
        {"Expand", kTypeExpandString, Bytes("%SystemRoot%\\x\0")},
        {"Binary", kTypeBinary, Bytes("\x00\xff\x80\x01\x00")},
        {"Dword", kTypeDword, Bytes("\x2a\x00\x00\x00")},
        {"ShortDword", kTypeDword, Bytes("\x34\x12")},
        {"BigEndian", kTypeDwordBigEndian, Bytes("\x00\x00\x00\x2a")},
        {"Multi", kTypeMultiString, Bytes("a\0b\0\0")},
        {"None", kTypeNone, ""},
        {"Qword", kTypeQword, Bytes("\x01\x02\x03\x04\x05\x06\x07\x08")},
        {"OddType", 0x1234, Bytes("\x01\x00\xff")},
    };
    for (const Case& c : cases)
        harness_->Put(Area(), c.name, c.type, c.bytes);
    RegKey key = Open(kCurrentUserRoot, Area(), kAccessRead);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto length = static_cast<std::uint32_t>(c.bytes.size());
        // Names compare without case.
        std::string other = c.name;
        for (char& ch : other)
            ch = static_cast<char>(ch ^ 0x20);

        std::uint32_t type = 0xDEAD;
        std::uint32_t size = 0xDEAD;
        ASSERT_EQ(store().QueryValue(key.Get(), other.c_str(), &type, nullptr, &size), kStoreOk);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, length);

        std::vector<std::uint8_t> roomy(length + 8, 0xEE);
        size = static_cast<std::uint32_t>(roomy.size());
        ASSERT_EQ(store().QueryValue(key.Get(), c.name, &type, roomy.data(), &size), kStoreOk);
        EXPECT_EQ(size, length);
        EXPECT_EQ(std::string(roomy.begin(), roomy.begin() + size), c.bytes);

        EXPECT_EQ(Read(key.Get(), c.name), c.bytes);

        if (length > 0) {
            // One byte short, though the buffer itself would hold the value.
            std::vector<std::uint8_t> tight(length, 0xEE);
            size = length - 1;
            EXPECT_EQ(store().QueryValue(key.Get(), c.name, &type, tight.data(), &size),
                      kStoreMoreData);
            EXPECT_EQ(size, length) << "the size needed is reported";
        }
    }
}

TEST_F(StoreContract, AMissingValueIsNotFound) {
    harness_->Put(Area(), "Present", kTypeDword, Bytes("\x01\x00\x00\x00"));
    RegKey key = Open(kCurrentUserRoot, Area(), kAccessRead);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(store().QueryValue(key.Get(), "Absent", &type, nullptr, &size), kStoreNotFound);
    std::uint8_t data[4] = {};
    size = sizeof data;
    EXPECT_EQ(store().QueryValue(key.Get(), "Absent", &type, data, &size), kStoreNotFound);
}

TEST_F(StoreContract, ClosingAClosedOrUnknownHandleFails) {
    harness_->Put(Area(), "Mark", kTypeDword, Bytes("\x01\x00\x00\x00"));
    StoreKey key = kNoKey;
    ASSERT_EQ(store().OpenKey(kCurrentUserRoot, Area().c_str(), kAccessRead, &key), kStoreOk);
    EXPECT_EQ(store().CloseKey(key), kStoreOk);
    EXPECT_EQ(store().CloseKey(key), kStoreInvalidHandle);
    EXPECT_EQ(store().CloseKey(kNoKey), kStoreInvalidHandle);
}

} // namespace
