// The settings store on the registry: one call each, no decisions.
#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

static_assert(kAccessFull == KEY_ALL_ACCESS && kAccessRead == KEY_READ, "access masks");
static_assert(kStoreMoreData == ERROR_MORE_DATA && kStoreNotFound == ERROR_FILE_NOT_FOUND &&
                  kStoreInvalidHandle == ERROR_INVALID_HANDLE,
              "status codes");
static_assert(sizeof(StoreKey) == sizeof(HKEY), "a store key holds an HKEY");

// HKEY_CURRENT_USER is sign-extended on 64-bit Windows; map it by name both
// ways so the root compares equal to kCurrentUserRoot in every build.
HKEY ToHkey(StoreKey key) {
    return key == kCurrentUserRoot ? HKEY_CURRENT_USER : reinterpret_cast<HKEY>(key);
}

StoreKey FromHkey(HKEY key) {
    return key == HKEY_CURRENT_USER ? kCurrentUserRoot : reinterpret_cast<StoreKey>(key);
}

class Win32SettingsStore final : public ISettingsStore {
  public:
    StoreStatus CreateKey(StoreKey parent, const char* path, StoreKey* key) override {
        HKEY result = nullptr;
        LONG status = RegCreateKeyExA(ToHkey(parent), path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &result, nullptr);
        *key = FromHkey(result);
        return status;
    }

    StoreStatus OpenKey(StoreKey parent, const char* path, std::uint32_t access,
                        StoreKey* key) override {
        HKEY result = nullptr;
        LONG status = RegOpenKeyExA(ToHkey(parent), path, 0, access, &result);
        *key = FromHkey(result);
        return status;
    }

    StoreStatus QueryValue(StoreKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size) override {
        // DWORD is unsigned long here, so the counts pass through locals.
        DWORD valueType = 0;
        DWORD byteCount = size ? *size : 0;
        LONG status = RegQueryValueExA(ToHkey(key), name, nullptr, &valueType, data,
                                       size ? &byteCount : nullptr);
        if (type)
            *type = valueType;
        if (size)
            *size = byteCount;
        return status;
    }

    StoreStatus CloseKey(StoreKey key) override { return RegCloseKey(ToHkey(key)); }
};

} // namespace

ISettingsStore& Win32Store() {
    static Win32SettingsStore store;
    return store;
}

} // namespace platform
