// Read access to the main application's settings below one base key, with
// defaults and strict type rules.
#pragma once

#include <cstdint>
#include <string>

#include "platform/SettingsStore.h"

enum TValueKind { vkOther, vkString, vkExpandString, vkInteger, vkBinary };

struct TValueInfo {
    TValueKind Kind = vkOther;
    std::int32_t ByteCount = 0;
};

// The current key and the typed reads of its values. Reads raise
// ERegistryException; nothing here catches.
class TRegistry {
  public:
    TRegistry();
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // A path beginning with a backslash is taken below the root, any other
    // below the current key (or the root when there is none).
    bool OpenPath(const std::string& path, bool mayCreate);
    // A new handle to the section's key, or kNoKey; never creates it.
    platform::StoreKey OpenSection(const std::string& section);
    // Makes key current without releasing the previous one or changing KeyPath.
    void UseHandle(platform::StoreKey key);
    void ReleaseCurrent();

    bool QueryInfo(const std::string& name, TValueInfo& info);
    bool HasValue(const std::string& name);
    std::int32_t ValueLength(const std::string& name);
    std::int32_t FetchData(const std::string& name, void* buffer, std::int32_t size,
                           TValueKind& kind);
    std::string ReadText(const std::string& name);
    std::int32_t ReadNumber(const std::string& name);

    platform::StoreKey KeyHandle() const { return keyHandle_; }
    const std::string& KeyPath() const { return keyPath_; }

  private:
    // The key a path is taken below.
    platform::StoreKey ParentFor(bool rooted) const;
    // Full access first; a key that refuses it may still be read.
    platform::StoreStatus OpenFullOrRead(platform::StoreKey parent, const std::string& path,
                                         platform::StoreKey* key);

    platform::StoreKey keyHandle_ = platform::kNoKey;
    platform::StoreKey rootHandle_ = platform::kCurrentUserRoot;
    // Releasing a key only closes it; the store is never asked to write it out.
    [[maybe_unused]] bool deferFlush_ = true;
    std::string keyPath_;
    // The root is predefined by the store and never released.
    bool ownsRoot_ = false;
};

class TRegIniFile : public TRegistry {
  public:
    // Opens the base key, creating it when missing; a base key that can be
    // neither created nor opened leaves the reader working below the root.
    explicit TRegIniFile(const std::string& basePath);
    ~TRegIniFile() override;

    // A missing section or value gives the default; a value of the wrong type raises.
    std::string ReadSectionString(const std::string& section, const std::string& name,
                                  const std::string& defaultValue);
    std::int32_t ReadSectionInteger(const std::string& section, const std::string& name,
                                    std::int32_t defaultValue);
    bool ReadSectionBool(const std::string& section, const std::string& name, bool defaultValue);

  private:
    std::string basePath_;
};
