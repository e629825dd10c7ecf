// The shared store and reader suites on the real registry. Each test works in
// a key of its own below HKCU\Software\VelmoraTests and deletes it afterwards.
// RegDeleteTreeA needs the Vista headers; only this test uses it.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/settings/StoreHarness.h"

using namespace platform;

namespace storetest {
namespace {

// Counts the handles the registry gives out through the seam, so a test can
// tell that every one was closed again.
class CountingStore final : public ISettingsStore {
  public:
    explicit CountingStore(ISettingsStore& inner) : inner_(inner) {}

    StoreStatus CreateKey(StoreKey parent, const char* path, StoreKey* key) override {
        StoreStatus status = inner_.CreateKey(parent, path, key);
        return Counted(status, *key);
    }
    StoreStatus OpenKey(StoreKey parent, const char* path, std::uint32_t access,
                        StoreKey* key) override {
        StoreStatus status = inner_.OpenKey(parent, path, access, key);
        return Counted(status, *key);
    }
    StoreStatus QueryValue(StoreKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size) override {
        return inner_.QueryValue(key, name, type, data, size);
    }
    StoreStatus CloseKey(StoreKey key) override {
        StoreStatus status = inner_.CloseKey(key);
        if (status == kStoreOk)
            open_.erase(key);
        return status;
    }

    std::size_t OpenCount() const { return open_.size(); }

  private:
    StoreStatus Counted(StoreStatus status, StoreKey key) {
        // The predefined root comes back for an empty path; it is no new handle.
        if (status == kStoreOk && key != kCurrentUserRoot)
            open_.insert(key);
        return status;
    }

    ISettingsStore& inner_;
    std::set<StoreKey> open_;
};

class RegistryHarness final : public StoreHarness {
  public:
    RegistryHarness() : store_(Win32Store()) {
        static int serial = 0;
        area_ = "Software\\VelmoraTests\\Store-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        RegDeleteTreeA(HKEY_CURRENT_USER, area_.c_str());
    }
    ~RegistryHarness() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, area_.c_str());
        // Fails, as it should, while another run still has its area there.
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelmoraTests");
    }

    ISettingsStore& Store() override { return store_; }
    const std::string& Area() const override { return area_; }

    void Put(const std::string& path, const std::string& name, std::uint32_t type,
             const std::string& bytes) override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS)
            << path;
        // RegSetValueExA adds a NUL to string data that lacks one when the byte
        // after it happens to be NUL; a non-NUL byte there keeps the data exact.
        std::vector<BYTE> data(bytes.begin(), bytes.end());
        data.push_back(1);
        EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, data.data(),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS)
            << name;
        RegCloseKey(key);
    }

    bool KeyExists(const std::string& path) override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::size_t OpenHandleCount() const override { return store_.OpenCount(); }

    std::string UnreachablePath() override {
        // The registry refuses key names longer than 255 characters.
        return "\\" + area_ + "\\" + std::string(300, 'x');
    }

  private:
    CountingStore store_;
    std::string area_;
};

} // namespace

std::unique_ptr<StoreHarness> MakeStoreHarness() {
    return std::make_unique<RegistryHarness>();
}

} // namespace storetest
