// The per-user settings store: the four registry operations the reader needs,
// so that a store of our own can stand in for the registry.
#pragma once

#include <cstdint>

namespace platform {

using StoreKey = std::uintptr_t; // an HKEY in the Windows build
constexpr StoreKey kNoKey = 0;
// HKEY_CURRENT_USER. On 64-bit Windows the real handle is this value
// sign-extended, so the Win32 store maps it rather than converting it.
constexpr StoreKey kCurrentUserRoot = 0x80000001u;

using StoreStatus = long; // a Win32 error code; 0 is success
constexpr StoreStatus kStoreOk = 0;
constexpr StoreStatus kStoreNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr StoreStatus kStoreAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr StoreStatus kStoreInvalidHandle = 6; // ERROR_INVALID_HANDLE
constexpr StoreStatus kStoreBadPath = 161;     // ERROR_BAD_PATHNAME
constexpr StoreStatus kStoreMoreData = 234;    // ERROR_MORE_DATA
constexpr StoreStatus kStoreKeyDeleted = 1018; // ERROR_KEY_DELETED

constexpr std::uint32_t kAccessFull = 0xF003F; // KEY_ALL_ACCESS
constexpr std::uint32_t kAccessRead = 0x20019; // KEY_READ

// Value type numbers, as the registry numbers them.
constexpr std::uint32_t kTypeNone = 0;         // REG_NONE
constexpr std::uint32_t kTypeString = 1;       // REG_SZ
constexpr std::uint32_t kTypeExpandString = 2; // REG_EXPAND_SZ
constexpr std::uint32_t kTypeBinary = 3;       // REG_BINARY
constexpr std::uint32_t kTypeDword = 4;        // REG_DWORD, little-endian
constexpr std::uint32_t kTypeDwordBigEndian = 5;
constexpr std::uint32_t kTypeMultiString = 7;
constexpr std::uint32_t kTypeQword = 11;

// Paths name keys downwards from the parent, one backslash between names; a
// trailing backslash adds nothing, a leading one is refused. An empty path
// names the parent itself.
class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    // RegCreateKeyExA: creates every missing key on path, then opens the last
    // with full access.
    virtual StoreStatus CreateKey(StoreKey parent, const char* path, StoreKey* key) = 0;
    // RegOpenKeyExA: an empty path gives a new handle to parent itself (the
    // predefined root gives itself back).
    virtual StoreStatus OpenKey(StoreKey parent, const char* path, std::uint32_t access,
                                StoreKey* key) = 0;
    // RegQueryValueExA: without data, gives type and size; with data, fails
    // with kStoreMoreData when the value does not fit *size bytes, and then
    // reports the size needed.
    virtual StoreStatus QueryValue(StoreKey key, const char* name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) = 0;
    // RegCloseKey
    virtual StoreStatus CloseKey(StoreKey key) = 0;
};

} // namespace platform
