#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/Handoff.h"
#include "platform/Platform.h"
#include "rtl/SysUtils.h"
#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/MemoryStore.h"

namespace {

constexpr const char* kBaseKey = "Software\\Zandrel\\Velmora";
constexpr const char* kModule = "C:\\Program Files\\Zandrel\\VelmoraScheduler.exe";
constexpr const char* kBeside = "C:\\Program Files\\Zandrel\\Velmora.exe";
constexpr platform::WindowHandle kMainWindow = 0x2A0F3C;
constexpr const char* kFailedText = "Failed to open Velmora. Please contact the author.";

constexpr const char* F = "FindWindowA";
constexpr const char* S = "SendMessageA";
constexpr const char* M = "GetModuleFileNameA";
constexpr const char* X = "ShellExecuteA";
constexpr const char* B = "MessageBoxA";

// The fakes installed for one hand-off, and the trace it leaves.
struct World {
    World() {
        previousStore = platform::SetStore(&store);
        previousDesktop = platform::SetDesktop(&desktop);
        desktop.ModulePath = kModule;
        // The reader's lifetime, seen from the desktop's side.
        desktop.OnFindWindow = [this](const char*, const char*) {
            handlesAtFind.push_back(store.OpenHandleCount());
            if (handlesAtFind.size() == 2 && windowAppearsLate)
                AddMainWindow();
        };
        desktop.WhileBoxOpen = [this] { handlesWhileBoxOpen = store.OpenHandleCount(); };
    }
    ~World() {
        platform::SetDesktop(previousDesktop);
        platform::SetStore(previousStore);
    }
    void AddMainWindow() {
        desktop.Windows.push_back({"TVelmoraMainForm", "Velmora 4.2", kMainWindow});
    }

    fakes::MemoryStore store;
    fakes::FakeDesktop desktop;
    bool windowAppearsLate = false;
    std::vector<std::size_t> handlesAtFind;
    std::size_t handlesWhileBoxOpen = 99;
    platform::ISettingsStore* previousStore;
    platform::IDesktop* previousDesktop;
};

enum class Window { None, Running, AppearsAtSecondLook, OtherTitle };
enum class Path { Missing, Empty, Text, Integer };

struct Case {
    const char* what;
    int slot;
    bool setSchedules;
    Window window;
    Path path;
    std::string pathText;
    std::uintptr_t shellResult;
    std::vector<const char*> calls;
    const char* sent = nullptr;     // the switch sent by message
    const char* file = nullptr;     // the file started
    const char* switches = nullptr; // its parameters
    const char* error = nullptr;    // the message of the error passed on
};

// The executable at the stored path, started with the shell's usual answer.
Case StartsStoredPath(const char* what, int slot, bool setSchedules, Window window,
                      std::vector<const char*> calls, const char* switches) {
    const char* path = "D:\\Apps\\Velmora.exe";
    return {what,    slot, setSchedules, window, Path::Text, path, 42, std::move(calls),
            nullptr, path, switches};
}

TEST(HandoffTest, SendsToTheMainWindowOrStartsTheExecutable) {
    const std::string at255 = "D:\\" + std::string(240, 'v') + "\\Velmora.exe";
    const std::string at256 = "D:\\" + std::string(241, 'v') + "\\Velmora.exe";
    ASSERT_EQ(at255.size(), 255u);
    const Case cases[] = {
        // Main application running: a slot's switch goes by message, nothing else.
        {"slot 0, running", 0, false, Window::Running, Path::Missing, "", 42, {F, S}, "/s_j"},
        {"slot 1, running", 1, false, Window::Running, Path::Missing, "", 42, {F, S}, "/s_b"},
        {"slot 2, running", 2, false, Window::Running, Path::Missing, "", 42, {F, S}, "/s_d"},
        {"slot 3, running", 3, false, Window::Running, Path::Missing, "", 42, {F, S}, ""},
        {"slot 127, running", 127, false, Window::Running, Path::Missing, "", 42, {F, S}, ""},
        {"slot with SetSchedules, running",
         0,
         true,
         Window::Running,
         Path::Missing,
         "",
         42,
         {F, S},
         "/SET_SCHEDULES"},
        {"found only at the second look",
         0,
         false,
         Window::AppearsAtSecondLook,
         Path::Missing,
         "",
         42,
         {F, F, S},
         "/s_j"},
        // The user's requests never go by message.
        StartsStoredPath("open, running", -1, false, Window::Running, {X}, ""),
        StartsStoredPath("set schedules, running", -1, true, Window::Running, {X},
                         "/SET_SCHEDULES"),
        StartsStoredPath("slot -128, none", -128, false, Window::None, {X}, ""),
        // No main window: the executable, with the switch as its command line.
        StartsStoredPath("slot 0, none", 0, false, Window::None, {F, F, X}, "/s_j"),
        StartsStoredPath("slot 2, none", 2, false, Window::None, {F, F, X}, "/s_d"),
        StartsStoredPath("slot 3, none", 3, false, Window::None, {F, F, X}, ""),
        StartsStoredPath("class matches, title does not", 1, false, Window::OtherTitle, {F, F, X},
                         "/s_b"),
        // Where the executable is
        {"path missing",
         1,
         false,
         Window::None,
         Path::Missing,
         "",
         42,
         {F, F, M, X},
         nullptr,
         kBeside,
         "/s_b"},
        {"path empty", -1, false, Window::None, Path::Empty, "", 42, {M, X}, nullptr, kBeside, ""},
        {"path of 255 characters",
         -1,
         false,
         Window::None,
         Path::Text,
         at255,
         42,
         {X},
         nullptr,
         at255.c_str(),
         ""},
        {"path of 256 characters", 2, false, Window::None, Path::Text, at256, 42, {F, F, B}},
        {"path an integer",
         2,
         false,
         Window::None,
         Path::Integer,
         "",
         42,
         {F, F},
         nullptr,
         nullptr,
         nullptr,
         "Invalid data type for 'VelmoraPath'"},
        {"path an integer, open",
         -1,
         false,
         Window::None,
         Path::Integer,
         "",
         42,
         {},
         nullptr,
         nullptr,
         nullptr,
         "Invalid data type for 'VelmoraPath'"},
        // The shell's answer, compared without sign
        {"start failed, 32",
         0,
         false,
         Window::None,
         Path::Empty,
         "",
         32,
         {F, F, M, X, B},
         nullptr,
         kBeside,
         "/s_j"},
        {"start failed, 0",
         -1,
         true,
         Window::None,
         Path::Empty,
         "",
         0,
         {M, X, B},
         nullptr,
         kBeside,
         "/SET_SCHEDULES"},
        {"started, 33", -1, false, Window::None, Path::Empty, "", 33, {M, X}, nullptr, kBeside, ""},
        {"started, high bit set",
         -1,
         false,
         Window::None,
         Path::Empty,
         "",
         0x80000000u,
         {M, X},
         nullptr,
         kBeside,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        if (c.window == Window::Running)
            world.AddMainWindow();
        if (c.window == Window::OtherTitle)
            world.desktop.Windows.push_back({"TVelmoraMainForm", "Velmora 4.1", kMainWindow});
        world.windowAppearsLate = c.window == Window::AppearsAtSecondLook;
        if (c.path == Path::Empty || c.path == Path::Text)
            world.store.SetString(kBaseKey, "VelmoraPath", c.pathText);
        if (c.path == Path::Integer)
            world.store.SetDword(kBaseKey, "VelmoraPath", 7);
        world.desktop.ShellExecuteResult = c.shellResult;

        if (c.error) {
            try {
                RunMainApplication(static_cast<std::int8_t>(c.slot), c.setSchedules);
                ADD_FAILURE() << "expected ERegistryException: " << c.error;
            } catch (const ERegistryException& error) {
                EXPECT_EQ(error.Message(), c.error);
            }
        } else {
            RunMainApplication(static_cast<std::int8_t>(c.slot), c.setSchedules);
        }

        EXPECT_EQ(world.desktop.Calls, std::vector<std::string>(c.calls.begin(), c.calls.end()));
        EXPECT_EQ(world.store.OpenHandleCount(), 0u) << "the reader was not freed";
        if (c.path == Path::Missing) {
            // Delivered at the first look, no reader was made to create it.
            const bool sentAtFirstLook = c.calls.size() == 2 && c.calls[1] == std::string(S);
            EXPECT_EQ(world.store.KeyExists(kBaseKey), !sentAtFirstLook);
        }

        // The first look comes before the reader, the second while it lives.
        const std::vector<std::size_t> handlesAtFind = {0, 1};
        EXPECT_EQ(
            world.handlesAtFind,
            std::vector<std::size_t>(handlesAtFind.begin(),
                                     handlesAtFind.begin() + world.desktop.FindWindows.size()));
        for (const fakes::FindWindowCall& find : world.desktop.FindWindows) {
            EXPECT_EQ(find.ClassName, "TVelmoraMainForm");
            EXPECT_EQ(find.Title, "Velmora 4.2");
        }

        if (c.sent) {
            ASSERT_EQ(world.desktop.SentMessages.size(), 1u);
            const fakes::SendMessageCall& sent = world.desktop.SentMessages[0];
            EXPECT_EQ(sent.Window, kMainWindow);
            EXPECT_EQ(sent.Message, 0x004Au);
            EXPECT_EQ(sent.WParam, 0u);
            ASSERT_TRUE(sent.IsCopyData);
            EXPECT_EQ(sent.CopyData, 0u);
            EXPECT_EQ(sent.CopyBytes, std::string(c.sent) + '\0');
            EXPECT_EQ(sent.CopyByteCount, std::string(c.sent).size() + 1);
        }

        if (c.file) {
            ASSERT_EQ(world.desktop.ShellExecutes.size(), 1u);
            const fakes::ShellExecuteCall& start = world.desktop.ShellExecutes[0];
            EXPECT_EQ(start.Owner, platform::kNoWindow);
            EXPECT_EQ(start.Operation, "open");
            EXPECT_EQ(start.File, c.file);
            EXPECT_EQ(start.Parameters, c.switches);
            EXPECT_EQ(start.Directory, "c:\\");
            EXPECT_EQ(start.Show, 1);
        }

        if (!world.desktop.MessageBoxes.empty()) {
            const fakes::MessageBoxCall& box = world.desktop.MessageBoxes[0];
            EXPECT_EQ(box.Owner, platform::kNoWindow);
            EXPECT_EQ(box.Text, kFailedText);
            EXPECT_EQ(box.Caption, "Velmora Scheduler");
            EXPECT_EQ(box.Flags, 0x40u);
            EXPECT_EQ(world.handlesWhileBoxOpen, 1u) << "the reader lives until the box is closed";
        }
    }
}

TEST(HandoffTest, StartsVelmoraFromTheAppletsOwnDirectory) {
    const std::string deep = "C:\\" + std::string(240, 'd') + "\\VelmoraScheduler.exe";
    struct {
        std::string module;
        std::string started; // empty: not started, the failure box instead
    } cases[] = {
        {"C:\\Program Files\\Zandrel\\VelmoraScheduler.exe",
         "C:\\Program Files\\Zandrel\\Velmora.exe"},
        {"\\\\server\\tools\\sched.exe", "\\\\server\\tools\\Velmora.exe"},
        {"C:sched.exe", "C:Velmora.exe"},
        {"D:\\odd\\name:x.exe", "D:\\odd\\name:Velmora.exe"},
        {"sched.exe", "Velmora.exe"},
        {"", "Velmora.exe"},
        // 3 + 240 + 1 + 11 = 255 characters
        {deep, deep.substr(0, deep.rfind('\\') + 1) + "Velmora.exe"},
        {"C:\\" + std::string(241, 'd') + "\\VelmoraScheduler.exe", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        World world;
        world.desktop.ModulePath = c.module;
        RunMainApplication(-1, false);
        if (c.started.empty()) {
            EXPECT_TRUE(world.desktop.ShellExecutes.empty());
            EXPECT_EQ(world.desktop.MessageBoxes.size(), 1u);
        } else {
            ASSERT_EQ(world.desktop.ShellExecutes.size(), 1u);
            EXPECT_EQ(world.desktop.ShellExecutes[0].File, c.started);
            EXPECT_TRUE(world.desktop.MessageBoxes.empty());
        }
    }
}

// A tick handled inside the failure box's modal loop hands its own job over
// while the first call's reader is still open.
TEST(HandoffTest, HandOffWhileTheFailureBoxIsOpen) {
    World world;
    world.desktop.ShellExecuteResult = 2; // file not found
    int nested = 0;
    world.desktop.WhileBoxOpen = [&] {
        if (nested++ > 0)
            return;
        world.AddMainWindow();
        RunMainApplication(1, false);
        EXPECT_EQ(world.store.OpenHandleCount(), 1u);
    };
    RunMainApplication(-1, false);
    EXPECT_EQ(world.desktop.Calls, (std::vector<std::string>{M, X, B, F, S}));
    ASSERT_EQ(world.desktop.SentMessages.size(), 1u);
    EXPECT_EQ(world.desktop.SentMessages[0].CopyBytes, std::string("/s_b") + '\0');
    EXPECT_EQ(world.store.OpenHandleCount(), 0u);
}

} // namespace
