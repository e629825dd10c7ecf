// What the shared store and reader suites need of a settings store besides
// its four operations: a private area to work in, a way to put values and
// look at keys, and a count of the handles left open. One harness stands on
// the memory store, one on the registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SettingsStore.h"

namespace storetest {

class StoreHarness {
  public:
    virtual ~StoreHarness() = default;

    // The store under test, with every handle it gives out counted.
    virtual platform::ISettingsStore& Store() = 0;
    // A key path below the per-user root, without leading or trailing
    // backslash, that belongs to this test alone and does not exist yet.
    virtual const std::string& Area() const = 0;

    // Writes a value exactly as given, creating the keys on path (below the root).
    virtual void Put(const std::string& path, const std::string& name, std::uint32_t type,
                     const std::string& bytes) = 0;
    virtual bool KeyExists(const std::string& path) = 0;
    virtual std::size_t OpenHandleCount() const = 0;
    // A rooted path (leading backslash) that the store can neither create nor open.
    virtual std::string UnreachablePath() = 0;
};

std::unique_ptr<StoreHarness> MakeStoreHarness();

// Bytes of a literal, inner NULs kept, the literal's own terminator dropped.
template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

} // namespace storetest
