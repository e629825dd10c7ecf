// What the memory store offers beyond the shared contract: refusals, failing
// creation, deleted keys and the handle count.
#include <gtest/gtest.h>

#include <set>

#include "tests/fakes/MemoryStore.h"

using namespace platform;
using fakes::MemoryStore;

namespace {

TEST(MemoryStore, RefusedAccess) {
    struct Case {
        const char* what;
        MemoryStore::Refusal refusal;
        StoreStatus full;
        StoreStatus read;
        StoreStatus create;
    };
    const Case cases[] = {
        {"nothing refused", MemoryStore::Refusal::None, kStoreOk, kStoreOk, kStoreOk},
        {"full access refused", MemoryStore::Refusal::FullAccess, kStoreAccessDenied, kStoreOk,
         kStoreAccessDenied},
        {"all access refused", MemoryStore::Refusal::AllAccess, kStoreAccessDenied,
         kStoreAccessDenied, kStoreAccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStore store;
        store.Refuse("Locked", c.refusal);
        StoreKey key = kNoKey;
        EXPECT_EQ(store.OpenKey(kCurrentUserRoot, "Locked", kAccessFull, &key), c.full);
        store.CloseKey(key);
        EXPECT_EQ(store.OpenKey(kCurrentUserRoot, "Locked", kAccessRead, &key), c.read);
        store.CloseKey(key);
        EXPECT_EQ(store.CreateKey(kCurrentUserRoot, "Locked", &key), c.create);
        store.CloseKey(key);
        // A refusing key lets no key be added below it.
        EXPECT_EQ(store.CreateKey(kCurrentUserRoot, "Locked\\Child", &key), c.create);
        store.CloseKey(key);
        EXPECT_EQ(store.OpenHandleCount(), 0u);
    }
}

TEST(MemoryStore, FailingCreationCreatesNothing) {
    MemoryStore store;
    store.CreatePath("Existing");
    store.SetCreateFails(true);
    StoreKey key = 1;
    EXPECT_EQ(store.CreateKey(kCurrentUserRoot, "New\\Key", &key), kStoreAccessDenied);
    EXPECT_EQ(key, kNoKey);
    EXPECT_EQ(store.CreateKey(kCurrentUserRoot, "Existing", &key), kStoreAccessDenied);
    EXPECT_FALSE(store.KeyExists("New"));
    EXPECT_EQ(store.OpenKey(kCurrentUserRoot, "Existing", kAccessFull, &key), kStoreOk);
    store.CloseKey(key);
}

TEST(MemoryStore, HandlesAreDistinctCountedAndNeverReused) {
    MemoryStore store;
    store.CreatePath("A");
    std::set<StoreKey> seen;
    for (int i = 0; i < 3; ++i) {
        StoreKey key = kNoKey;
        ASSERT_EQ(store.OpenKey(kCurrentUserRoot, "A", kAccessRead, &key), kStoreOk);
        EXPECT_NE(key, kNoKey);
        EXPECT_NE(key, kCurrentUserRoot);
        EXPECT_TRUE(seen.insert(key).second) << "handle " << key << " given twice";
        EXPECT_EQ(store.OpenHandleCount(), 1u);
        EXPECT_EQ(store.CloseKey(key), kStoreOk);
        EXPECT_EQ(store.OpenHandleCount(), 0u);
    }
}

TEST(MemoryStore, DeletedKeyKeepsItsHandlesButFindsNothing) {
    MemoryStore store;
    store.SetDword("A\\B", "Value", 1);
    StoreKey key = kNoKey;
    ASSERT_EQ(store.OpenKey(kCurrentUserRoot, "A\\B", kAccessRead, &key), kStoreOk);
    EXPECT_TRUE(store.DeleteKey("a"));
    EXPECT_FALSE(store.KeyExists("A\\B"));
    std::uint32_t size = 0;
    EXPECT_EQ(store.QueryValue(key, "Value", nullptr, nullptr, &size), kStoreKeyDeleted);
    EXPECT_EQ(store.CloseKey(key), kStoreOk);
    EXPECT_FALSE(store.DeleteKey("A"));
}

TEST(MemoryStore, SetHelpersStoreWhatAProgramWouldWrite) {
    MemoryStore store;
    store.SetString("K", "S", "abc");
    store.SetExpandString("K", "E", "%X%");
    store.SetDword("K", "D", 0x01020304);
    StoreKey key = kNoKey;
    ASSERT_EQ(store.OpenKey(kCurrentUserRoot, "K", kAccessRead, &key), kStoreOk);
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    };
    const Case cases[] = {{"S", kTypeString, std::string("abc\0", 4)},
                          {"E", kTypeExpandString, std::string("%X%\0", 4)},
                          {"D", kTypeDword, std::string("\x04\x03\x02\x01", 4)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t type = 0;
        std::uint8_t data[8] = {};
        std::uint32_t size = sizeof data;
        ASSERT_EQ(store.QueryValue(key, c.name, &type, data, &size), kStoreOk);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), c.bytes);
    }
    EXPECT_EQ(store.CloseKey(key), kStoreOk);
}

} // namespace
