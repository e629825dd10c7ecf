// The per-user settings store: the four registry operations the reader needs,
// so that a store of our own can stand in for the registry.
#pragma once

#include <cstdint>

namespace platform {

using StoreKey = std::uintptr_t; // an HKEY in the Windows build
constexpr StoreKey kNoKey = 0;
constexpr StoreKey kCurrentUserRoot = 0x80000001u; // HKEY_CURRENT_USER

using StoreStatus = long; // a Win32 error code; 0 is success
constexpr StoreStatus kStoreOk = 0;

constexpr std::uint32_t kAccessFull = 0xF003F; // KEY_ALL_ACCESS
constexpr std::uint32_t kAccessRead = 0x20019; // KEY_READ

class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    // RegCreateKeyExA: creates every missing key on path, then opens the last.
    virtual StoreStatus CreateKey(StoreKey parent, const char* path, StoreKey* key) = 0;
    // RegOpenKeyExA: an empty path gives a new handle to parent itself.
    virtual StoreStatus OpenKey(StoreKey parent, const char* path, std::uint32_t access,
                                StoreKey* key) = 0;
    // RegQueryValueExA: without data, gives type and size; with data, fails
    // when the value does not fit *size bytes.
    virtual StoreStatus QueryValue(StoreKey key, const char* name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) = 0;
    // RegCloseKey
    virtual StoreStatus CloseKey(StoreKey key) = 0;
};

} // namespace platform
