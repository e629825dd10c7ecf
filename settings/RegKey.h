// Owns one handle of the settings store and releases it on every way out.
#pragma once

#include "platform/Platform.h"

class RegKey {
  public:
    RegKey() = default;
    explicit RegKey(platform::StoreKey key) : key_(key) {}
    ~RegKey() { Reset(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(other.Release()) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            Reset();
            key_ = other.Release();
        }
        return *this;
    }

    platform::StoreKey Get() const { return key_; }
    explicit operator bool() const { return key_ != platform::kNoKey; }

    platform::StoreKey Release() {
        platform::StoreKey key = key_;
        key_ = platform::kNoKey;
        return key;
    }

    void Reset() {
        // A failed close leaves nothing to do: the handle is gone either way.
        if (key_ != platform::kNoKey)
            platform::Store().CloseKey(key_);
        key_ = platform::kNoKey;
    }

  private:
    platform::StoreKey key_ = platform::kNoKey;
};
