// A settings store in memory that behaves as the registry does where the
// reader relies on it: names compare without ASCII case, a query that does not
// fit its buffer fails and reports the size needed, values keep their type
// number and bytes exactly, and every handle is counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/SettingsStore.h"

namespace fakes {

class MemoryStore : public platform::ISettingsStore {
  public:
    enum class Refusal { None, FullAccess, AllAccess };

    MemoryStore();
    ~MemoryStore() override;
    MemoryStore(const MemoryStore&) = delete;
    MemoryStore& operator=(const MemoryStore&) = delete;

    platform::StoreStatus CreateKey(platform::StoreKey parent, const char* path,
                                    platform::StoreKey* key) override;
    platform::StoreStatus OpenKey(platform::StoreKey parent, const char* path, std::uint32_t access,
                                  platform::StoreKey* key) override;
    platform::StoreStatus QueryValue(platform::StoreKey key, const char* name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) override;
    platform::StoreStatus CloseKey(platform::StoreKey key) override;

    // Set-up. Paths are below the per-user root; missing keys are created.
    void CreatePath(const std::string& path);
    // Stored with a terminating NUL, as a program writing text would.
    void SetString(const std::string& path, const std::string& name, const std::string& text);
    void SetExpandString(const std::string& path, const std::string& name, const std::string& text);
    void SetDword(const std::string& path, const std::string& name, std::uint32_t value);
    void SetRaw(const std::string& path, const std::string& name, std::uint32_t type,
                const std::string& bytes);
    // Deletes the key with everything below it; open handles to it stay open
    // but find nothing. False when there was no such key.
    bool DeleteKey(const std::string& path);
    bool KeyExists(const std::string& path) const;

    // Opening (or creating) the key at path is refused: with full access
    // only, or with any access.
    void Refuse(const std::string& path, Refusal refusal);
    // Every CreateKey fails with access denied.
    void SetCreateFails(bool fails) { createFails_ = fails; }

    // Handles given out and not yet closed; the predefined root is not one.
    std::size_t OpenHandleCount() const { return handles_.size(); }

  private:
    struct Node;
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Value {
        std::uint32_t type = 0;
        std::string bytes;
    };
    struct Node {
        std::map<std::string, std::shared_ptr<Node>, NameLess> children;
        std::map<std::string, Value, NameLess> values;
        Refusal refusal = Refusal::None;
        bool deleted = false;
    };

    platform::StoreStatus Resolve(platform::StoreKey key, std::shared_ptr<Node>* node) const;
    platform::StoreKey NewHandle(std::shared_ptr<Node> node);
    std::shared_ptr<Node> Find(const std::string& path) const;
    std::shared_ptr<Node> MakePath(const std::string& path);

    std::shared_ptr<Node> root_;
    std::map<platform::StoreKey, std::shared_ptr<Node>> handles_;
    platform::StoreKey nextHandle_ = 0x100;
    bool createFails_ = false;
};

} // namespace fakes
