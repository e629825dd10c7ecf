#include "tests/fakes/MemoryStore.h"

#include <cstring>
#include <stdexcept>
#include <vector>

using platform::kCurrentUserRoot;
using platform::kNoKey;
using platform::kStoreOk;
using platform::StoreKey;
using platform::StoreStatus;

namespace fakes {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Empty names between backslashes are skipped, as the registry skips them;
// a leading backslash is refused.
bool SplitPath(const char* path, std::vector<std::string>* names) {
    names->clear();
    if (!path)
        return true;
    if (path[0] == '\\')
        return false;
    std::string name;
    for (const char* p = path;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!name.empty())
                names->push_back(name);
            name.clear();
            if (*p == '\0')
                return true;
        } else {
            name += *p;
        }
    }
}

bool NeedsMoreThanRead(std::uint32_t access) {
    return (access & ~platform::kAccessRead) != 0;
}

bool Refuses(MemoryStore::Refusal refusal, std::uint32_t access) {
    return refusal == MemoryStore::Refusal::AllAccess ||
           (refusal == MemoryStore::Refusal::FullAccess && NeedsMoreThanRead(access));
}

} // namespace

bool MemoryStore::NameLess::operator()(const std::string& a, const std::string& b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char x = Lower(a[i]);
        const char y = Lower(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

MemoryStore::MemoryStore() : root_(std::make_shared<Node>()) {}

MemoryStore::~MemoryStore() = default;

StoreStatus MemoryStore::Resolve(StoreKey key, std::shared_ptr<Node>* node) const {
    if (key == kCurrentUserRoot) {
        *node = root_;
        return kStoreOk;
    }
    auto it = handles_.find(key);
    if (it == handles_.end())
        return platform::kStoreInvalidHandle;
    if (it->second->deleted)
        return platform::kStoreKeyDeleted;
    *node = it->second;
    return kStoreOk;
}

StoreKey MemoryStore::NewHandle(std::shared_ptr<Node> node) {
    // Handles are never reused, so a stale one is always recognised.
    const StoreKey key = nextHandle_;
    nextHandle_ += 4;
    handles_[key] = std::move(node);
    return key;
}

StoreStatus MemoryStore::CreateKey(StoreKey parent, const char* path, StoreKey* key) {
    *key = kNoKey;
    std::shared_ptr<Node> node;
    StoreStatus status = Resolve(parent, &node);
    if (status != kStoreOk)
        return status;
    std::vector<std::string> names;
    if (!SplitPath(path, &names))
        return platform::kStoreBadPath;
    if (createFails_)
        return platform::kStoreAccessDenied;
    for (const std::string& name : names) {
        auto it = node->children.find(name);
        if (it == node->children.end()) {
            // Adding a key needs more than read access to its parent.
            if (node->refusal != Refusal::None)
                return platform::kStoreAccessDenied;
            it = node->children.emplace(name, std::make_shared<Node>()).first;
        }
        node = it->second;
    }
    if (Refuses(node->refusal, platform::kAccessFull))
        return platform::kStoreAccessDenied;
    *key = node == root_ ? kCurrentUserRoot : NewHandle(node);
    return kStoreOk;
}

StoreStatus MemoryStore::OpenKey(StoreKey parent, const char* path, std::uint32_t access,
                                 StoreKey* key) {
    *key = kNoKey;
    std::shared_ptr<Node> node;
    StoreStatus status = Resolve(parent, &node);
    if (status != kStoreOk)
        return status;
    std::vector<std::string> names;
    if (!SplitPath(path, &names))
        return platform::kStoreBadPath;
    for (const std::string& name : names) {
        auto it = node->children.find(name);
        if (it == node->children.end())
            return platform::kStoreNotFound;
        node = it->second;
    }
    if (Refuses(node->refusal, access))
        return platform::kStoreAccessDenied;
    // As with the registry, the predefined root opened by an empty path gives
    // itself back rather than a new handle.
    *key = node == root_ ? kCurrentUserRoot : NewHandle(node);
    return kStoreOk;
}

StoreStatus MemoryStore::QueryValue(StoreKey key, const char* name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) {
    std::shared_ptr<Node> node;
    StoreStatus status = Resolve(key, &node);
    if (status != kStoreOk)
        return status;
    auto it = node->values.find(name ? name : "");
    if (it == node->values.end())
        return platform::kStoreNotFound;
    const Value& value = it->second;
    const auto length = static_cast<std::uint32_t>(value.bytes.size());
    if (data && !size)
        return 87; // ERROR_INVALID_PARAMETER
    if (type)
        *type = value.type;
    if (data) {
        if (*size < length) {
            *size = length;
            return platform::kStoreMoreData;
        }
        if (length > 0)
            std::memcpy(data, value.bytes.data(), length);
    }
    if (size)
        *size = length;
    return kStoreOk;
}

StoreStatus MemoryStore::CloseKey(StoreKey key) {
    if (key == kCurrentUserRoot)
        return kStoreOk;
    return handles_.erase(key) == 1 ? kStoreOk : platform::kStoreInvalidHandle;
}

std::shared_ptr<MemoryStore::Node> MemoryStore::Find(const std::string& path) const {
    std::vector<std::string> names;
    if (!SplitPath(path.c_str(), &names))
        return nullptr;
    std::shared_ptr<Node> node = root_;
    for (const std::string& name : names) {
        auto it = node->children.find(name);
        if (it == node->children.end())
            return nullptr;
        node = it->second;
    }
    return node;
}

std::shared_ptr<MemoryStore::Node> MemoryStore::MakePath(const std::string& path) {
    std::vector<std::string> names;
    if (!SplitPath(path.c_str(), &names))
        throw std::invalid_argument("memory store path begins with a backslash: " + path);
    std::shared_ptr<Node> node = root_;
    for (const std::string& name : names) {
        auto& child = node->children[name];
        if (!child)
            child = std::make_shared<Node>();
        node = child;
    }
    return node;
}

void MemoryStore::CreatePath(const std::string& path) {
    MakePath(path);
}

void MemoryStore::SetString(const std::string& path, const std::string& name,
                            const std::string& text) {
    SetRaw(path, name, platform::kTypeString, std::string(text.c_str(), text.size() + 1));
}

void MemoryStore::SetExpandString(const std::string& path, const std::string& name,
                                  const std::string& text) {
    SetRaw(path, name, platform::kTypeExpandString, std::string(text.c_str(), text.size() + 1));
}

void MemoryStore::SetDword(const std::string& path, const std::string& name, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF),
                           static_cast<char>(value >> 16 & 0xFF),
                           static_cast<char>(value >> 24 & 0xFF)};
    SetRaw(path, name, platform::kTypeDword, std::string(bytes, sizeof bytes));
}

void MemoryStore::SetRaw(const std::string& path, const std::string& name, std::uint32_t type,
                         const std::string& bytes) {
    Value& value = MakePath(path)->values[name];
    value.type = type;
    value.bytes = bytes;
}

namespace {

template <typename NodeT> void MarkSubtreeDeleted(NodeT& node) {
    node.deleted = true;
    for (auto& child : node.children)
        MarkSubtreeDeleted(*child.second);
}

} // namespace

bool MemoryStore::DeleteKey(const std::string& path) {
    std::vector<std::string> names;
    if (!SplitPath(path.c_str(), &names) || names.empty())
        return false;
    const std::string last = names.back();
    names.pop_back();
    std::shared_ptr<Node> parent = root_;
    for (const std::string& name : names) {
        auto it = parent->children.find(name);
        if (it == parent->children.end())
            return false;
        parent = it->second;
    }
    auto it = parent->children.find(last);
    if (it == parent->children.end())
        return false;
    MarkSubtreeDeleted(*it->second);
    parent->children.erase(it);
    return true;
}

bool MemoryStore::KeyExists(const std::string& path) const {
    return Find(path) != nullptr;
}

void MemoryStore::Refuse(const std::string& path, Refusal refusal) {
    MakePath(path)->refusal = refusal;
}

} // namespace fakes
