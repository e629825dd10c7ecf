// The main program on fakes: start-up, the single-instance rule, the boot-time
// pass, the window, the message loop and the exit codes.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "rtl/Application.h"
#include "tests/applet/AppletFixture.h"

namespace {

class SchedulerTest : public AppletFixture {
  protected:
    void SetUp() override {
        AppletFixture::SetUp();
        clock.SetTickCount(3600000); // up for an hour: no boot-time pass
        // The user closes the applet as soon as it waits for input.
        windowing.WhenIdle = [this] {
            if (!windowing.LiveWindows.empty() && !closed_) {
                closed_ = true;
                windowing.PostMessageA(*windowing.LiveWindows.begin(), platform::kWmClose, 0, 0);
            }
        };
    }

    // The whole program as the executable runs it, on the fakes.
    int RunWholeProgram() {
        return RunProgram(KsrAlarmsUnitStart, RunScheduler, KsrAlarmsUnitStop);
    }

    void AnotherCopyHasItsWindow() {
        desktop.Windows.push_back({"Velmora Scheduler", "Velmora Scheduler", 0x9990});
    }

  private:
    bool closed_ = false;
};

TEST_F(SchedulerTest, StartsHiddenRunsTheLoopAndEndsWithCodeZeroOnClose) {
    bool enabledAtCreation = true;
    windowing.OnCall = [&](const std::string& call) {
        if (call == "Shell_NotifyIconA" && windowing.NotifyIcons.size() == 1)
            enabledAtCreation = SchedulingEnabled;
    };
    EXPECT_EQ(RunWholeProgram(), 0);

    ASSERT_EQ(desktop.FindWindows.size(), 1u);
    EXPECT_EQ(desktop.FindWindows[0].ClassName, "Velmora Scheduler");
    EXPECT_EQ(desktop.FindWindows[0].Title, "(null)");

    ASSERT_EQ(windowing.Classes.size(), 1u);
    const platform::WindowClassA& wc = windowing.Classes[0].Class;
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.lpfnWndProc, &TrayWndProc);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_EQ(wc.hInstance, windowing.Instance);
    EXPECT_EQ(wc.hIcon, 0u);
    EXPECT_EQ(wc.hCursor, 0u);
    EXPECT_EQ(wc.hbrBackground, 0u);
    EXPECT_EQ(wc.lpszMenuName, nullptr);
    EXPECT_EQ(windowing.Classes[0].ClassName, "Velmora Scheduler");

    ASSERT_EQ(windowing.CreatedWindows.size(), 1u);
    const fakes::CreateWindowCall& cw = windowing.CreatedWindows[0];
    EXPECT_EQ(cw.ExStyle, 0u);
    EXPECT_EQ(cw.ClassName, "Velmora Scheduler");
    EXPECT_EQ(cw.Title, "Velmora Scheduler");
    EXPECT_EQ(cw.Style, 0x00CF0000u) << "WS_OVERLAPPEDWINDOW, not visible";
    for (int value : {cw.X, cw.Y, cw.Width, cw.Height})
        EXPECT_EQ(static_cast<unsigned>(value), 0x80000000u) << "CW_USEDEFAULT";
    EXPECT_EQ(cw.Parent, platform::kNoWindow);
    EXPECT_EQ(cw.Menu, platform::kNoMenu);
    EXPECT_EQ(cw.Instance, windowing.Instance);
    EXPECT_EQ(cw.CreationData, nullptr);

    EXPECT_FALSE(enabledAtCreation) << "the flag is set after the creation call returns";
    EXPECT_TRUE(SchedulingEnabled);
    ASSERT_EQ(windowing.Shows.size(), 1u);
    EXPECT_EQ(windowing.Shows[0].second, platform::kSwHide);

    // The loop: each message translated, then dispatched; the quit ends it.
    const std::vector<std::string> tail(windowing.Calls.end() - 9, windowing.Calls.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"GetMessageA", "TranslateMessage", "DispatchMessageA",
                                        "DefWindowProcA", "Shell_NotifyIconA", "PostQuitMessage",
                                        "DefWindowProcA", "GetMessageA", "CloseHandle"}));
    EXPECT_EQ(windowing.NotifyIcons.back().Message, platform::kNimDelete);
    EXPECT_TRUE(desktop.MessageBoxes.empty());
    EXPECT_TRUE(windowing.OpenMutexes.empty());
}

TEST_F(SchedulerTest, FailedWindowCreationEndsSilentlyWithCodeZero) {
    windowing.CreateFails = true;
    EXPECT_EQ(RunWholeProgram(), 0);
    EXPECT_TRUE(SchedulingEnabled) << "set whether or not a window was made";
    EXPECT_TRUE(windowing.Shows.empty());
    EXPECT_EQ(std::count(windowing.Calls.begin(), windowing.Calls.end(), "GetMessageA(idle)") +
                  std::count(windowing.Calls.begin(), windowing.Calls.end(), "GetMessageA"),
              0);
    EXPECT_TRUE(desktop.MessageBoxes.empty());
}

TEST_F(SchedulerTest, SecondCopyRefusesWithoutHandingOverAJob) {
    struct Case {
        const char* name;
        bool window;
        bool mutex;
    };
    const Case cases[] = {
        {"the first copy's window exists", true, false},
        {"the first copy is still starting: mutex, no window yet", false, true},
        {"both", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop = fakes::FakeDesktop();
        windowing.OtherMutexes.clear();
        windowing.Classes.clear();
        if (c.window)
            AnotherCopyHasItsWindow();
        if (c.mutex)
            windowing.OtherMutexes.insert("Velmora Scheduler single instance");
        WriteSlot(0, true, 0, "1"); // due within the time the box stays open

        bool activeWhenBoxOpened = true;
        desktop.WhileBoxOpen = [&] {
            activeWhenBoxOpened = SchedulerAlarms->Active();
            timers.RunFor(3 * 60000); // the box's loop delivers ticks
        };
        EXPECT_EQ(RunWholeProgram(), 0);

        ASSERT_EQ(desktop.MessageBoxes.size(), 1u);
        EXPECT_EQ(desktop.MessageBoxes[0].Text, "Velmora Scheduler is already running.");
        EXPECT_EQ(desktop.MessageBoxes[0].Caption, "Velmora Scheduler");
        EXPECT_EQ(desktop.MessageBoxes[0].Flags, platform::kMbOk);
        EXPECT_EQ(desktop.MessageBoxes[0].Owner, platform::kNoWindow);
        EXPECT_FALSE(activeWhenBoxOpened);
        EXPECT_TRUE(desktop.ShellExecutes.empty()) << "the second copy handed a job over";
        EXPECT_TRUE(desktop.SentMessages.empty());
        EXPECT_TRUE(windowing.Classes.empty()) << "went on after the refusal";
        EXPECT_TRUE(windowing.OpenMutexes.empty());
    }
}

TEST_F(SchedulerTest, TheRunningCopyHoldsTheMutexForItsWholeRun) {
    bool heldInLoop = false;
    windowing.OnCall = [&](const std::string& call) {
        if (call == "DispatchMessageA")
            heldInLoop = windowing.OpenMutexes.size() == 1;
    };
    EXPECT_EQ(RunWholeProgram(), 0);
    EXPECT_TRUE(heldInLoop);
    EXPECT_TRUE(windowing.OpenMutexes.empty());
}

TEST_F(SchedulerTest, WithoutTheMutexTheWindowAloneDecides) {
    windowing.MutexFails = true;
    EXPECT_EQ(RunWholeProgram(), 0);
    EXPECT_TRUE(desktop.MessageBoxes.empty());
    EXPECT_EQ(windowing.CreatedWindows.size(), 1u);
}

TEST_F(SchedulerTest, BootTimePassRunsWithinTheFirstMinuteOfUptime) {
    struct Case {
        const char* name;
        std::uint32_t ticks;
        bool runs;
    };
    const Case cases[] = {
        {"0 ms", 0, true},
        {"60000 ms, exactly one minute", 60000, true},
        {"60001 ms", 60001, false},
        {"an hour", 3600000, false},
        {"2^31 ms, not a negative uptime", 0x80000000u, false},
        {"just before the wrap", 0xFFFFFFFFu, false},
        {"half a minute after the wrap", 30000, true},
    };
    WriteSlot(1, true, 5, "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop = fakes::FakeDesktop();
        clock.SetTickCount(c.ticks);
        EXPECT_EQ(RunWholeProgram(), 0);
        EXPECT_EQ(StartedParameters(),
                  c.runs ? std::vector<std::string>{"/s_b"} : std::vector<std::string>{});
    }
}

TEST_F(SchedulerTest, BootTimePassRunsEnabledSlotsOfKindFiveInSlotOrder) {
    struct Slot {
        bool write;
        bool enabled;
        std::int32_t type;
    };
    struct Case {
        const char* name;
        Slot slots[3];
        std::vector<std::string> started;
    };
    const Case cases[] = {
        {"slots 0 and 2 of kind 5",
         {{true, true, 5}, {true, true, 3}, {true, true, 5}},
         {"/s_j", "/s_d"}},
        {"kind 5 but switched off",
         {{true, false, 5}, {true, true, 5}, {false, false, 0}},
         {"/s_b"}},
        {"low byte 5 is not kind 5",
         {{true, true, 0x105}, {true, true, -251}, {true, true, 5}},
         {"/s_d"}},
        {"no values", {{false, false, 0}, {false, false, 0}, {false, false, 0}}, {}},
    };
    clock.SetTickCount(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop = fakes::FakeDesktop();
        store.DeleteKey("Software\\Zandrel\\Velmora\\Settings");
        for (int slot = 0; slot < 3; ++slot)
            if (c.slots[slot].write)
                WriteSlot(slot, c.slots[slot].enabled, c.slots[slot].type, "");
        EXPECT_EQ(RunWholeProgram(), 0);
        EXPECT_EQ(StartedParameters(), c.started);
    }
}

TEST_F(SchedulerTest, BootTimePassContainsErrorsPerSlot) {
    clock.SetTickCount(1000);
    // Slot 0: a type the reader refuses; slot 1: the hand-off fails inside
    // its send; slot 2 is still run.
    store.SetString(SlotKey(0), "ScheduleType", "5");
    store.SetDword(SlotKey(0), "Enabled", 1);
    WriteSlot(1, true, 5, "");
    WriteSlot(2, true, 5, "");
    desktop.Windows.push_back({"TVelmoraMainForm", "Velmora 4.2", 0x7770});
    std::size_t windowsWhenSent = 99;
    desktop.WhileSending = [&](const fakes::SendMessageCall& call) {
        windowsWhenSent = windowing.CreatedWindows.size();
        if (call.CopyBytes == std::string("/s_b", 5))
            throw Exception("the main application went away");
    };
    EXPECT_EQ(RunWholeProgram(), 0);
    ASSERT_EQ(desktop.SentMessages.size(), 2u);
    EXPECT_EQ(desktop.SentMessages[1].CopyBytes, std::string("/s_d", 5));
    EXPECT_EQ(windowsWhenSent, 0u) << "the pass runs before the window is made";
    EXPECT_TRUE(desktop.MessageBoxes.empty()) << "dropped without a message";
}

TEST_F(SchedulerTest, AnErrorInTheWindowProcedureReachesTheDefaultHandling) {
    // Not a user command: removing the icon fails as the window is destroyed.
    windowing.OnCall = [&](const std::string& call) {
        if (call == "Shell_NotifyIconA" &&
            windowing.NotifyIcons.back().Message == platform::kNimDelete)
            throw EOutOfResources("the shell refused");
    };
    EXPECT_EQ(RunWholeProgram(), 1);
    ASSERT_EQ(desktop.MessageBoxes.size(), 1u);
    EXPECT_EQ(desktop.MessageBoxes[0].Caption, "Application Error");
    EXPECT_NE(desktop.MessageBoxes[0].Text.find("EOutOfResources"), std::string::npos);
    EXPECT_NE(desktop.MessageBoxes[0].Text.find("the shell refused"), std::string::npos);
    EXPECT_EQ(SchedulerAlarms, nullptr) << "the unit stop ran";
}

TEST_F(SchedulerTest, AnErrorOfASentMessageIsRaisedWhenGetMessageReturns) {
    // Messages from other programs are handled inside GetMessageA.
    bool sent = false;
    windowing.WhenIdle = [&] {
        if (!sent) {
            sent = true;
            windowing.OnCall = [](const std::string& call) {
                if (call == "DefWindowProcA")
                    throw std::logic_error("inside a sent message");
            };
            windowing.Send(*windowing.LiveWindows.begin(), 0x0113, 0, 0);
            windowing.OnCall = nullptr;
        }
    };
    EXPECT_EQ(RunWholeProgram(), 1);
    ASSERT_EQ(desktop.MessageBoxes.size(), 1u);
    EXPECT_EQ(desktop.MessageBoxes[0].Caption, "Application Error");
}

} // namespace
