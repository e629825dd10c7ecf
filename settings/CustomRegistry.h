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

class TRegistry {
  public:
    TRegistry();
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    bool OpenPath(const std::string& path, bool mayCreate);
    platform::StoreKey OpenSection(const std::string& section);
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
    platform::StoreKey keyHandle_ = platform::kNoKey;
    platform::StoreKey rootHandle_ = platform::kCurrentUserRoot;
    bool deferFlush_ = true;
    std::string keyPath_;
    bool ownsRoot_ = false;
};

class TRegIniFile : public TRegistry {
  public:
    explicit TRegIniFile(const std::string& basePath);
    ~TRegIniFile() override;

    std::string ReadSectionString(const std::string& section, const std::string& name,
                                  const std::string& defaultValue);
    std::int32_t ReadSectionInteger(const std::string& section, const std::string& name,
                                    std::int32_t defaultValue);
    bool ReadSectionBool(const std::string& section, const std::string& name, bool defaultValue);

  private:
    std::string basePath_;
};
