// The window procedure on fakes: the icon, the menu, the commands, the
// scheduling switch, the reload request and where errors go.
#include <cstring>
#include <stdexcept>
#include <vector>

#include "tests/applet/AppletFixture.h"

namespace {

constexpr const char* kAboutText = "Velmora Scheduler. A Component of Velmora.\r"
                                   "For product updates please visit https://velmora.example/";
constexpr const char* kDisabledTip = "Velmora Scheduler is disabled. Right click for options";
constexpr const char* kEnabledTip = "Velmora Scheduler is enabled. Right click for options";

class TrayWndProcTest : public AppletFixture {
  protected:
    void SetUp() override {
        AppletFixture::SetUp();
        KsrAlarmsUnitStart();
        MakeWindow();
    }

    std::vector<std::string> WindowCallsSince(std::size_t first) const {
        return std::vector<std::string>(windowing.Calls.begin() + first, windowing.Calls.end());
    }

    std::intptr_t CopyData(const void* bytes, std::uint32_t byteCount) {
        const platform::CopyDataRecord record{7, byteCount, bytes};
        return Send(platform::kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&record));
    }
};

TEST_F(TrayWndProcTest, CreationAddsTheTrayIconWithTheStartPictureAndTip) {
    ASSERT_EQ(windowing.NotifyIcons.size(), 1u);
    const fakes::NotifyIconCall& add = windowing.NotifyIcons[0];
    EXPECT_EQ(add.Message, platform::kNimAdd);
    EXPECT_EQ(add.Data.cbSize, platform::kNotifyIconDataV1Size);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(add.Data.cbSize, 88u);
    }
    EXPECT_EQ(add.Data.hWnd, window);
    EXPECT_EQ(add.Data.uID, 1u);
    EXPECT_EQ(add.Data.uFlags, 7u);
    EXPECT_EQ(add.Data.uCallbackMessage, 0x0400u);
    EXPECT_EQ(add.Data.hIcon, windowing.Icons["TRAYICON"]);
    EXPECT_EQ(add.Tip, "Velmora Scheduler");
    EXPECT_EQ(windowing.DefaultHandled.front().message, platform::kWmCreate)
        << "WM_CREATE goes on to DefWindowProcA";
}

TEST_F(TrayWndProcTest, EveryMessageButCommandGoesOnToTheDefaultProcedure) {
    struct Case {
        const char* name;
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool toDefault;
    };
    const Case cases[] = {
        {"WM_COMMAND, unknown id", platform::kWmCommand, 4711, 0, false},
        {"WM_COMMAND, About", platform::kWmCommand, cmdAbout, 0, false},
        {"icon callback, mouse move", kTrayCallbackMessage, 1, 0x0200, true},
        {"icon callback, double-click", kTrayCallbackMessage, 1, platform::kWmLButtonDblClk, true},
        {"WM_TIMER", 0x0113, 5, 6, true},
        {"WM_PAINT", 0x000F, 0, 0, true},
        {"WM_USER + 1", platform::kWmUser + 1, 2, 3, true},
    };
    windowing.DefWindowProcResult = 77;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        windowing.DefaultHandled.clear();
        const std::intptr_t result = Send(c.message, c.wParam, c.lParam);
        if (c.toDefault) {
            EXPECT_EQ(result, 77);
            ASSERT_EQ(windowing.DefaultHandled.size(), 1u);
            EXPECT_EQ(windowing.DefaultHandled[0].hwnd, window);
            EXPECT_EQ(windowing.DefaultHandled[0].message, c.message);
            EXPECT_EQ(windowing.DefaultHandled[0].wParam, c.wParam);
            EXPECT_EQ(windowing.DefaultHandled[0].lParam, c.lParam);
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(windowing.DefaultHandled.empty());
        }
    }
}

TEST_F(TrayWndProcTest, IconCallbackActsOnDoubleClickAndRightPressOnly) {
    struct Case {
        const char* name;
        std::uintptr_t iconId;
        unsigned mouse;
        bool starts;
        bool menu;
    };
    const Case cases[] = {
        {"left press", 1, platform::kWmLButtonDown, false, false},
        {"left release", 1, platform::kWmLButtonUp, false, false},
        {"left double-click", 1, platform::kWmLButtonDblClk, true, false},
        {"right press", 1, platform::kWmRButtonDown, false, true},
        {"right release", 1, platform::kWmRButtonUp, false, false},
        {"mouse move", 1, 0x0200, false, false},
        {"double-click, other icon id", 9, platform::kWmLButtonDblClk, true, false},
        {"right press, other icon id", 0, platform::kWmRButtonDown, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.ShellExecutes.clear();
        windowing.Tracks.clear();
        Send(kTrayCallbackMessage, c.iconId, c.mouse);
        EXPECT_EQ(StartedParameters(),
                  c.starts ? std::vector<std::string>{""} : std::vector<std::string>{});
        EXPECT_EQ(windowing.Tracks.size(), c.menu ? 1u : 0u);
    }
}

TEST_F(TrayWndProcTest, MenuIsBuiltTrackedAndDestroyedInOrder) {
    struct Case {
        const char* name;
        int trackResult;
        std::vector<std::string> tail;
    };
    const Case cases[] = {
        {"item chosen", 1, {"PostMessageA", "SetForegroundWindow", "DestroyMenu"}},
        {"closed without a choice", 0, {"PostMessageA", "DestroyMenu"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        windowing.TrackResult = c.trackResult;
        windowing.Posted.clear();
        const std::size_t first = windowing.Calls.size();
        IconMessage(platform::kWmRButtonDown);

        std::vector<std::string> expected = {"GetCursorPos", "CreatePopupMenu"};
        expected.insert(expected.end(), 7, "AppendMenuA");
        expected.insert(expected.end(), {"SetForegroundWindow", "TrackPopupMenu"});
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        expected.push_back("DefWindowProcA");
        EXPECT_EQ(WindowCallsSince(first), expected);

        const fakes::TrackCall& track = windowing.Tracks.back();
        EXPECT_EQ(track.Flags, 0x0028u);
        EXPECT_EQ(track.X, windowing.Cursor.x);
        EXPECT_EQ(track.Y, windowing.Cursor.y);
        EXPECT_EQ(track.Reserved, 0);
        EXPECT_EQ(track.Owner, window);
        ASSERT_EQ(windowing.Posted.size(), 1u);
        EXPECT_EQ(windowing.Posted[0].hwnd, window);
        EXPECT_EQ(windowing.Posted[0].message, platform::kWmNull);
        EXPECT_EQ(windowing.Posted[0].wParam, 0u);
        EXPECT_EQ(windowing.Posted[0].lParam, 0);
        for (platform::WindowHandle foreground : windowing.Foregrounds)
            EXPECT_EQ(foreground, window);
        EXPECT_EQ(windowing.DestroyedMenus.back(), track.Menu);
    }
}

TEST_F(TrayWndProcTest, MenuItemsFollowTheSchedulingSwitch) {
    auto Items = [&] {
        IconMessage(platform::kWmRButtonDown);
        return windowing.Tracks.back().Items;
    };
    const std::vector<fakes::MenuItem> atStart = Items();
    const std::vector<std::pair<std::uintptr_t, std::string>> expected = {
        {79, "&Open Velmora..."},
        {67, "&Set Schedules..."},
        {80, "&Disable Scheduling"},
        {0, "(null)"},
        {65, "&About..."},
        {0, "(null)"},
        {83, "&Close Velmora Scheduler"}};
    ASSERT_EQ(atStart.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const bool separator = expected[i].first == 0;
        EXPECT_EQ(atStart[i].Flags, separator ? platform::kMfSeparator : platform::kMfString);
        EXPECT_EQ(atStart[i].Id, expected[i].first);
        EXPECT_EQ(atStart[i].Text, expected[i].second);
        EXPECT_EQ(atStart[i].HasText, !separator);
    }

    Command(cmdToggle);
    EXPECT_EQ(Items()[2].Text, "&Enable Scheduling");
    Command(cmdToggle);
    EXPECT_EQ(Items()[2].Text, "&Disable Scheduling");
}

TEST_F(TrayWndProcTest, CommandsDoWhatTheMenuSays) {
    struct Case {
        const char* name;
        std::uintptr_t wParam;
        std::vector<std::string> started;
        bool about;
        bool close;
    };
    const Case cases[] = {
        {"About", cmdAbout, {}, true, false},
        {"Set Schedules", cmdSetSchedules, {"/SET_SCHEDULES"}, false, false},
        {"Open", cmdOpen, {""}, false, false},
        {"Close", cmdClose, {}, false, true},
        {"Open, high word set (from an accelerator)", 0x10000u | cmdOpen, {""}, false, false},
        {"unknown 0", 0, {}, false, false},
        {"unknown 66", 66, {}, false, false},
        {"unknown 0xFFFF", 0xFFFF, {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.ShellExecutes.clear();
        desktop.MessageBoxes.clear();
        windowing.Posted.clear();
        EXPECT_EQ(Send(platform::kWmCommand, c.wParam), 0);
        EXPECT_EQ(StartedParameters(), c.started);
        if (c.about) {
            ASSERT_EQ(desktop.MessageBoxes.size(), 1u);
            EXPECT_EQ(desktop.MessageBoxes[0].Text, kAboutText);
            EXPECT_EQ(desktop.MessageBoxes[0].Caption, "Velmora Scheduler");
            EXPECT_EQ(desktop.MessageBoxes[0].Flags, platform::kMbOk);
            EXPECT_EQ(desktop.MessageBoxes[0].Owner, platform::kNoWindow);
        } else {
            EXPECT_TRUE(desktop.MessageBoxes.empty());
        }
        ASSERT_EQ(windowing.Posted.size(), c.close ? 1u : 0u);
        if (c.close) {
            EXPECT_EQ(windowing.Posted[0].hwnd, window);
            EXPECT_EQ(windowing.Posted[0].message, platform::kWmClose);
            EXPECT_EQ(windowing.Posted[0].wParam, 0u);
            EXPECT_EQ(windowing.Posted[0].lParam, 0);
        }
        EXPECT_TRUE(SchedulingEnabled);
    }
}

TEST_F(TrayWndProcTest, CloseRemovesTheIconAndPostsQuit) {
    Command(cmdClose);
    platform::Message message{};
    ASSERT_EQ(windowing.GetMessageA(message, 0, 0, 0), 1);
    windowing.DispatchMessageA(message);
    EXPECT_EQ(windowing.NotifyIcons.back().Message, platform::kNimDelete);
    EXPECT_EQ(windowing.NotifyIcons.back().Data.uID, 1u);
    EXPECT_EQ(windowing.NotifyIcons.back().Data.hWnd, window);
    EXPECT_EQ(windowing.QuitCodes, std::vector<int>{0});
    EXPECT_EQ(windowing.GetMessageA(message, 0, 0, 0), 0);
    EXPECT_TRUE(windowing.LiveWindows.empty());
}

TEST_F(TrayWndProcTest, SwitchingOffAndOnFollowsItsOrderOfSteps) {
    struct Snapshot {
        bool enabled;
        bool active;
    };
    std::vector<Snapshot> atModify;
    windowing.OnCall = [&](const std::string& call) {
        if (call == "Shell_NotifyIconA")
            atModify.push_back({SchedulingEnabled, SchedulerAlarms->Active()});
    };

    Command(cmdToggle);
    const fakes::NotifyIconCall off = windowing.NotifyIcons.back();
    EXPECT_EQ(off.Message, platform::kNimModify);
    EXPECT_EQ(off.Data.hIcon, windowing.Icons["MAINICON2"]);
    EXPECT_EQ(off.Tip, kDisabledTip);
    EXPECT_EQ(off.Data.uFlags, 7u);
    EXPECT_EQ(off.Data.uID, 1u);
    EXPECT_EQ(windowing.LoadedIcons.back(), "MAINICON2");
    EXPECT_FALSE(SchedulingEnabled);
    EXPECT_FALSE(SchedulerAlarms->Active());
    EXPECT_FALSE(TickArmed());

    // The slot written now shows whether switching on loads afresh.
    WriteSlot(1, true, 0, "5");
    ASSERT_TRUE(Entries().empty());
    Command(cmdToggle);
    const fakes::NotifyIconCall on = windowing.NotifyIcons.back();
    EXPECT_EQ(on.Message, platform::kNimModify);
    EXPECT_EQ(on.Data.hIcon, windowing.Icons["TRAYICON"]);
    EXPECT_EQ(on.Tip, kEnabledTip) << "not the start tip";
    EXPECT_TRUE(SchedulingEnabled);
    EXPECT_TRUE(SchedulerAlarms->Active());
    EXPECT_TRUE(TickArmed());
    EXPECT_EQ(Entries().size(), 1u);

    // The icon was modified while the flag and the component still held the
    // old state: both change after the picture.
    ASSERT_EQ(atModify.size(), 2u);
    EXPECT_TRUE(atModify[0].enabled);
    EXPECT_TRUE(atModify[0].active);
    EXPECT_FALSE(atModify[1].enabled);
    EXPECT_FALSE(atModify[1].active);
}

TEST_F(TrayWndProcTest, NoJobIsHandedOverWhileSchedulingIsOff) {
    WriteSlot(0, true, 0, "1"); // every minute
    LoadSchedules();
    Command(cmdToggle);
    timers.RunFor(3 * 60000);
    EXPECT_TRUE(desktop.ShellExecutes.empty());

    // Switched on again, the next run counts from now: nothing is caught up.
    Command(cmdToggle);
    timers.RunFor(59000);
    EXPECT_TRUE(desktop.ShellExecutes.empty());
    timers.RunFor(2000);
    EXPECT_EQ(StartedParameters(), std::vector<std::string>{"/s_j"});
}

TEST_F(TrayWndProcTest, ReloadRequestOnlyForTheExactNulTerminatedText) {
    struct Case {
        const char* name;
        std::vector<char> block; // exactly cbData bytes, so a read past it is caught
        bool nullData;
        std::uint32_t byteCount;
        bool reloads;
    };
    const Case cases[] = {
        {"\"/u\" with its NUL", {'/', 'u', '\0'}, false, 3, true},
        {"\"/u\", NUL, then more bytes", {'/', 'u', '\0', 'x', 'y'}, false, 5, true},
        {"\"/\"", {'/', '\0'}, false, 2, false},
        {"\"u\"", {'u', '\0'}, false, 2, false},
        {"empty text", {'\0'}, false, 1, false},
        {"\"/u/u\"", {'/', 'u', '/', 'u', '\0'}, false, 5, false},
        {"\"/U\"", {'/', 'U', '\0'}, false, 3, false},
        {"\"/u\" without NUL within cbData", {'/', 'u'}, false, 2, false},
        {"NUL just past cbData", {'/', 'u', '\0'}, false, 2, false},
        {"null lpData", {}, true, 3, false},
        {"cbData 0", {'/', 'u', '\0'}, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.DeleteKey("Software\\Zandrel\\Velmora\\Settings");
        LoadSchedules();
        WriteSlot(2, true, 0, "5");
        std::vector<char> block = c.block;
        windowing.DefWindowProcResult = 55;
        EXPECT_EQ(
            CopyData(c.nullData ? nullptr : (block.empty() ? nullptr : block.data()), c.byteCount),
            55);
        EXPECT_EQ(Entries().size(), c.reloads ? 1u : 0u);
        EXPECT_TRUE(SchedulerAlarms->Active());
    }
}

TEST_F(TrayWndProcTest, ReloadWhileSwitchedOffRebuildsButStaysInactive) {
    Command(cmdToggle);
    WriteSlot(0, true, 0, "1");
    const char text[] = "/u";
    CopyData(text, sizeof text);
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_FALSE(SchedulerAlarms->Active());
    EXPECT_FALSE(TickArmed());
    timers.RunFor(2 * 60000);
    EXPECT_TRUE(desktop.ShellExecutes.empty()) << "a job was handed over while scheduling is off";
    EXPECT_FALSE(SchedulingEnabled);
    EXPECT_EQ(windowing.NotifyIcons.back().Tip, kDisabledTip);
}

TEST_F(TrayWndProcTest, ReloadWhileTheWindowIsBeingMadeKeepsSchedulingOn) {
    // The main application may ask for a reload while the window is still
    // being made, before the flag is set: that is not switched off.
    SchedulingEnabled = false;
    WriteSlot(0, true, 0, "1");
    const char text[] = "/u";
    CopyData(text, sizeof text);
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_TRUE(SchedulerAlarms->Active());
    EXPECT_TRUE(TickArmed());
}

TEST_F(TrayWndProcTest, ErrorsOfUserCommandsAndReloadAreShownAndTheAppletRunsOn) {
    struct Case {
        const char* name;
        std::function<void()> act;
        std::string message;
    };
    const char reload[] = "/u";
    // The last case leaves the tick running, as every case finds it.
    const Case cases[] = {
        {"reload, the tick timer refused",
         [&] {
             timers.RefuseSetTimer = true;
             CopyData(reload, sizeof reload);
         },
         ""},
        {"Open with VelmoraPath stored as an integer", [&] { Command(cmdOpen); },
         "Invalid data type for 'VelmoraPath'"},
        {"Set Schedules, the same", [&] { Command(cmdSetSchedules); },
         "Invalid data type for 'VelmoraPath'"},
        {"double-click, the same", [&] { IconMessage(platform::kWmLButtonDblClk); },
         "Invalid data type for 'VelmoraPath'"},
    };
    store.SetDword("Software\\Zandrel\\Velmora", "VelmoraPath", 1);
    WriteSlot(0, true, 0, "1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadSchedules();
        desktop.MessageBoxes.clear();
        c.act();
        timers.RefuseSetTimer = false;
        EXPECT_NO_THROW(RethrowWindowError()) << "the error went on to the default handling";
        ASSERT_EQ(desktop.MessageBoxes.size(), 1u);
        EXPECT_EQ(desktop.MessageBoxes[0].Caption, "Velmora Scheduler");
        EXPECT_EQ(desktop.MessageBoxes[0].Flags, platform::kMbOk | platform::kMbIconError);
        if (!c.message.empty()) {
            EXPECT_EQ(desktop.MessageBoxes[0].Text, c.message);
        }
        EXPECT_FALSE(desktop.MessageBoxes[0].Text.empty());
        EXPECT_EQ(windowing.LiveWindows.count(window), 1u);
    }
    // Scheduling went on: once the path reads again, the next due job starts.
    store.SetString("Software\\Zandrel\\Velmora", "VelmoraPath", "");
    timers.RunFor(61000);
    EXPECT_EQ(StartedParameters(), std::vector<std::string>{"/s_j"});
}

TEST_F(TrayWndProcTest, OtherErrorsAreKeptForTheMessageLoopNotThrownThroughWindows) {
    struct Case {
        const char* name;
        const char* failingCall;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"removing the icon at WM_DESTROY", "Shell_NotifyIconA",
         [&] { Send(platform::kWmDestroy); }},
        {"a failure that is no Exception, in a command", "PostMessageA",
         [&] { Command(cmdClose); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int raised = 0;
        windowing.OnCall = [&](const std::string& call) {
            if (call == c.failingCall && raised++ == 0)
                throw std::runtime_error(std::string("failed: ") + call);
        };
        EXPECT_NO_THROW(c.act());
        windowing.OnCall = nullptr;
        try {
            RethrowWindowError();
            ADD_FAILURE() << "the error was lost";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), std::string("failed: ") + c.failingCall);
        }
        EXPECT_NO_THROW(RethrowWindowError()) << "raised once only";
        EXPECT_TRUE(desktop.MessageBoxes.empty());
    }
}

TEST_F(TrayWndProcTest, NewTaskbarGetsTheIconAsItIsNow) {
    Command(cmdToggle);
    windowing.DefaultHandled.clear();
    Send(windowing.TaskbarCreated);
    const fakes::NotifyIconCall& again = windowing.NotifyIcons.back();
    EXPECT_EQ(again.Message, platform::kNimAdd);
    EXPECT_EQ(again.Data.hIcon, windowing.Icons["MAINICON2"]);
    EXPECT_EQ(again.Tip, kDisabledTip);
    EXPECT_EQ(again.Data.uFlags, 7u);
    EXPECT_EQ(windowing.DefaultHandled.size(), 1u);
}

TEST_F(TrayWndProcTest, AboutBoxesMayOpenInsideEachOther) {
    int depth = 0;
    desktop.WhileBoxOpen = [&] {
        if (++depth == 1)
            Command(cmdAbout); // chosen again from the menu while the first is open
    };
    Command(cmdAbout);
    EXPECT_EQ(desktop.MessageBoxes.size(), 2u);
}

} // namespace
