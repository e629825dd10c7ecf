#include "tests/fakes/MemoryStore.h"
#include "tests/settings/StoreHarness.h"

namespace storetest {
namespace {

class MemoryStoreHarness final : public StoreHarness {
  public:
    platform::ISettingsStore& Store() override { return store_; }
    const std::string& Area() const override { return area_; }
    void Put(const std::string& path, const std::string& name, std::uint32_t type,
             const std::string& bytes) override {
        store_.SetRaw(path, name, type, bytes);
    }
    bool KeyExists(const std::string& path) override { return store_.KeyExists(path); }
    std::size_t OpenHandleCount() const override { return store_.OpenHandleCount(); }
    std::string UnreachablePath() override {
        // An existing key that refuses every access cannot be created either.
        const std::string path = area_ + "\\Locked";
        store_.Refuse(path, fakes::MemoryStore::Refusal::AllAccess);
        return "\\" + path;
    }

  private:
    fakes::MemoryStore store_;
    std::string area_ = "Software\\VelmoraTests\\Area";
};

} // namespace

std::unique_ptr<StoreHarness> MakeStoreHarness() {
    return std::make_unique<MemoryStoreHarness>();
}

} // namespace storetest
