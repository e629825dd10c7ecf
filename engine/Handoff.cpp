#include "engine/Handoff.h"

#include <string>
#include <vector>

#include "engine/MainApplication.h"
#include "platform/Platform.h"
#include "settings/CustomRegistry.h"

namespace {

// The room the path had in a 256-byte buffer with its NUL. A longer path is
// refused rather than cut, which could start some other program.
constexpr std::string::size_type kMaxExecutablePath = 255;

constexpr const char* kStartFailedText = "Failed to open Velmora. Please contact the author.";
constexpr const char* kStartOperation = "open";
constexpr const char* kStartDirectory = "c:\\";

std::string SwitchText(std::int8_t Slot, bool SetSchedules) {
    if (SetSchedules)
        return velmora::kSwitchSetSchedules;
    switch (Slot) {
    case 0:
        return velmora::kSwitchSlot0;
    case 1:
        return velmora::kSwitchSlot1;
    case 2:
        return velmora::kSwitchSlot2;
    default:
        return std::string();
    }
}

// Up to and including the last backslash or colon; empty when there is none.
std::string DirectoryOf(const std::string& path) {
    const std::string::size_type last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

} // namespace

void RunMainApplication(std::int8_t Slot, bool SetSchedules) {
    platform::IDesktop& desktop = platform::Desktop();
    const std::string switchText = SwitchText(Slot, SetSchedules);

    auto SendToMainWindow = [&]() -> bool {
        const platform::WindowHandle window =
            desktop.FindWindowA(velmora::kMainWindowClass, velmora::kMainWindowTitle);
        if (window == platform::kNoWindow)
            return false;
        // The text and its NUL, in a block that lives for this one send.
        const std::vector<char> block(switchText.c_str(),
                                      switchText.c_str() + switchText.size() + 1);
        const platform::CopyDataRecord record{0, static_cast<std::uint32_t>(block.size()),
                                              block.data()};
        // The answer is not looked at: true means sent, not accepted.
        desktop.SendMessageA(window, platform::kWmCopyData, 0,
                             reinterpret_cast<std::intptr_t>(&record));
        return true;
    };

    if (Slot >= 0 && SendToMainWindow())
        return;

    TRegIniFile registry(velmora::kSettingsBaseKey);
    // The main application may have opened its window while the base key was
    // being created or opened.
    if (Slot >= 0 && SendToMainWindow())
        return;

    std::string path = registry.ReadSectionString("", velmora::kValueVelmoraPath, "");
    if (path.empty())
        path = DirectoryOf(desktop.GetModuleFileNameA()) + velmora::kMainExecutableName;

    bool started = false;
    if (path.size() <= kMaxExecutablePath) {
        const std::uintptr_t result =
            desktop.ShellExecuteA(platform::kNoWindow, kStartOperation, path, switchText,
                                  kStartDirectory, platform::kSwShowNormal);
        started = result > 32;
    }
    if (!started)
        desktop.MessageBoxA(platform::kNoWindow, kStartFailedText, velmora::kAppletCaption,
                            platform::kMbIconInformation);
}
