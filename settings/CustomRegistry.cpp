#include "settings/CustomRegistry.h"

#include <cstring>

#include "platform/Platform.h"
#include "resources/StringTable.h"
#include "rtl/SysUtils.h"
#include "settings/RegKey.h"

using platform::kNoKey;
using platform::kStoreOk;
using platform::StoreKey;
using platform::StoreStatus;

namespace {

bool IsRooted(const std::string& path) {
    return !path.empty() && path[0] == '\\';
}

std::string WithoutRoot(const std::string& path) {
    return IsRooted(path) ? path.substr(1) : path;
}

TValueKind KindOf(std::uint32_t type) {
    switch (type) {
    case platform::kTypeString:
        return vkString;
    case platform::kTypeExpandString:
        return vkExpandString;
    case platform::kTypeBinary:
        return vkBinary;
    case platform::kTypeDword:
        return vkInteger;
    default:
        return vkOther;
    }
}

[[noreturn]] void Raise(unsigned messageId, const std::string& name) {
    throw ERegistryException(FormatMessage(LoadResString(messageId), name));
}

// Makes a section's handle current for one read and puts the previous key
// back on every way out.
class CurrentKeySwap {
  public:
    CurrentKeySwap(TRegistry& registry, StoreKey section)
        : registry_(registry), previous_(registry.KeyHandle()) {
        registry_.UseHandle(section);
    }
    ~CurrentKeySwap() { registry_.UseHandle(previous_); }
    CurrentKeySwap(const CurrentKeySwap&) = delete;
    CurrentKeySwap& operator=(const CurrentKeySwap&) = delete;

  private:
    TRegistry& registry_;
    StoreKey previous_;
};

template <typename T, typename Read>
T ReadInSection(TRegistry& registry, const std::string& section, const std::string& name,
                T defaultValue, Read read) {
    RegKey sectionKey(registry.OpenSection(section));
    if (!sectionKey)
        return defaultValue;
    // Declared after sectionKey: the previous key is current again before the
    // section's handle is released.
    CurrentKeySwap swap(registry, sectionKey.Get());
    return registry.HasValue(name) ? read(name) : defaultValue;
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() {
    ReleaseCurrent();
    if (ownsRoot_)
        platform::Store().CloseKey(rootHandle_);
}

StoreKey TRegistry::ParentFor(bool rooted) const {
    return rooted || keyHandle_ == kNoKey ? rootHandle_ : keyHandle_;
}

StoreStatus TRegistry::OpenFullOrRead(StoreKey parent, const std::string& path, StoreKey* key) {
    StoreStatus status =
        platform::Store().OpenKey(parent, path.c_str(), platform::kAccessFull, key);
    if (status != kStoreOk)
        status = platform::Store().OpenKey(parent, path.c_str(), platform::kAccessRead, key);
    return status;
}

bool TRegistry::OpenPath(const std::string& path, bool mayCreate) {
    const bool rooted = IsRooted(path);
    const std::string rest = WithoutRoot(path);
    const StoreKey parent = ParentFor(rooted);
    StoreKey key = kNoKey;
    // Creation opens an existing key too, so a failed create is not retried.
    StoreStatus status = mayCreate && !rest.empty()
                             ? platform::Store().CreateKey(parent, rest.c_str(), &key)
                             : OpenFullOrRead(parent, rest, &key);
    if (status != kStoreOk)
        return false;
    std::string newPath = !rooted && keyHandle_ != kNoKey ? keyPath_ + "\\" + rest : rest;
    ReleaseCurrent();
    keyHandle_ = key;
    keyPath_ = std::move(newPath);
    return true;
}

StoreKey TRegistry::OpenSection(const std::string& section) {
    StoreKey key = kNoKey;
    if (OpenFullOrRead(ParentFor(IsRooted(section)), WithoutRoot(section), &key) != kStoreOk)
        return kNoKey;
    return key;
}

void TRegistry::UseHandle(StoreKey key) {
    keyHandle_ = key;
}

void TRegistry::ReleaseCurrent() {
    if (keyHandle_ == kNoKey)
        return;
    // The reader writes nothing, so with deferFlush_ set a key is only closed.
    platform::Store().CloseKey(keyHandle_);
    keyHandle_ = kNoKey;
    keyPath_.clear();
}

bool TRegistry::QueryInfo(const std::string& name, TValueInfo& info) {
    info = TValueInfo{};
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const bool found =
        platform::Store().QueryValue(keyHandle_, name.c_str(), &type, nullptr, &size) == kStoreOk;
    info.ByteCount = static_cast<std::int32_t>(size);
    info.Kind = KindOf(type);
    return found;
}

bool TRegistry::HasValue(const std::string& name) {
    TValueInfo info;
    return QueryInfo(name, info);
}

std::int32_t TRegistry::ValueLength(const std::string& name) {
    TValueInfo info;
    return QueryInfo(name, info) ? info.ByteCount : -1;
}

std::int32_t TRegistry::FetchData(const std::string& name, void* buffer, std::int32_t size,
                                  TValueKind& kind) {
    std::uint32_t type = 0;
    std::uint32_t byteCount = size > 0 ? static_cast<std::uint32_t>(size) : 0;
    if (platform::Store().QueryValue(keyHandle_, name.c_str(), &type,
                                     static_cast<std::uint8_t*>(buffer), &byteCount) != kStoreOk)
        Raise(kStrFailedToGetData, name);
    kind = KindOf(type);
    return static_cast<std::int32_t>(byteCount);
}

std::string TRegistry::ReadText(const std::string& name) {
    const std::int32_t length = ValueLength(name);
    if (length <= 0)
        return std::string();
    // std::string keeps a NUL beyond its end, so text without one still ends.
    std::string text(static_cast<std::size_t>(length), '\0');
    TValueKind kind = vkOther;
    FetchData(name, &text[0], length, kind);
    if (kind != vkString && kind != vkExpandString)
        Raise(kStrInvalidDataType, name);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::int32_t TRegistry::ReadNumber(const std::string& name) {
    // Bytes an integer value is short of read as zero.
    std::uint8_t bytes[4] = {};
    TValueKind kind = vkOther;
    FetchData(name, bytes, sizeof bytes, kind);
    if (kind != vkInteger)
        Raise(kStrInvalidDataType, name);
    const std::uint32_t value =
        bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
}

TRegIniFile::TRegIniFile(const std::string& basePath) : basePath_(basePath) {
    // Without a base key the reader still works, below the root.
    OpenPath(basePath_, true);
}

TRegIniFile::~TRegIniFile() = default;

std::string TRegIniFile::ReadSectionString(const std::string& section, const std::string& name,
                                           const std::string& defaultValue) {
    return ReadInSection(*this, section, name, defaultValue,
                         [this](const std::string& n) { return ReadText(n); });
}

std::int32_t TRegIniFile::ReadSectionInteger(const std::string& section, const std::string& name,
                                             std::int32_t defaultValue) {
    return ReadInSection(*this, section, name, defaultValue,
                         [this](const std::string& n) { return ReadNumber(n); });
}

bool TRegIniFile::ReadSectionBool(const std::string& section, const std::string& name,
                                  bool defaultValue) {
    return ReadSectionInteger(section, name, defaultValue ? 1 : 0) != 0;
}
