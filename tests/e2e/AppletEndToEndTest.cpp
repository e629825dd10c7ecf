// The real VelmoraScheduler.exe of this build folder, driven from outside as
// the user and the main application would: its hidden window, the refusal of
// a second copy, also of two copies started together, WM_CLOSE from another
// program, the reload request, the menu and its commands, the double-click
// that opens the main application, and an error of a user command.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/E2eSupport.h"

namespace {

using e2e::BoxesOf;
using e2e::kDeadlineMs;
using e2e::kMainClass;
using e2e::kSecond;
using e2e::Ms;
using e2e::Now;
using e2e::ProcessOf;
using e2e::Program;
using e2e::Reload;
using e2e::StaticTextOf;
using e2e::TextOf;
using e2e::ToSystemTime;
using e2e::Until;
using e2e::WaitFor;
using e2e::WindowsOf;
using e2e::WindowsOfClass;

constexpr const char* kClass = e2e::kAppletClass;
// Wine's own tray on a display without one: each icon is a child window of this class.
constexpr const char* kTrayIconClass = "__winex11_tray_icon";

// The date-time text the applet reads: the user's short date, a space and
// the user's long time. The applet inherits this program's regional settings.
std::string DateTimeText(Ms ms) {
    const SYSTEMTIME time = ToSystemTime(ms);
    char date[128] = {};
    char clock[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    return std::string(date) + " " + clock;
}

// The icons shown in the notification area, whoever shows them.
std::size_t TrayIconCount() {
    return e2e::ChildWindowsOfClass(kTrayIconClass).size();
}

bool MenuShownBy(DWORD pid) {
    for (HWND menu : WindowsOf(pid, "#32768"))
        if (IsWindowVisible(menu))
            return true;
    return false;
}

// A main application the test opened; closed before the next one starts.
void CloseMainApplications() {
    e2e::ClosePrograms(kMainClass);
}

class AppletEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        // No slot may fire during a test, and the main application is the
        // stand-in beside the applet.
        e2e::ClearSlots();
        e2e::DeleteSetting("VelmoraPath");
        ASSERT_EQ(FindWindowA(kClass, nullptr), nullptr) << "an applet is already running";
        // The stand-in logs its starts and jobs here; the applet passes this
        // program's environment on to what it starts.
        log_ = e2e::UseStandInLog("e2e-applet.log");
    }

    void TearDown() override {
        // A main application the test opened.
        CloseMainApplications();
        e2e::ClearSlots();
        SetEnvironmentVariableA(e2e::kLogVariable, nullptr);
        // A failed run keeps the log for the reader.
        if (!HasFailure())
            DeleteFileA(log_.c_str());
    }

    static std::string Applet() { return e2e::AppletPath(); }

    // Slot 0 set to a date-time a few seconds ahead; gives that moment.
    static Ms ArmSlotZero() {
        // At least two seconds ahead, at the start of a second.
        const Ms due = Now() + 2 * kSecond;
        const Ms moment = due - due % kSecond + kSecond;
        e2e::WriteSlot(0, 2, DateTimeText(moment)); // a date and time
        return moment;
    }

    // Ends a running applet as another program would, and checks the end.
    static void CloseAndExpectCleanEnd(Program& applet, HWND window) {
        ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
        EXPECT_EQ(applet.WaitForExit(), 0u);
        EXPECT_FALSE(IsWindow(window));
    }

    // A right press on the icon, as the icon reports it to the applet.
    static void OpenMenu(const Program& applet, HWND window) {
        ASSERT_TRUE(PostMessageA(window, WM_USER, 1, WM_RBUTTONDOWN));
        ASSERT_TRUE(WaitFor([&] { return MenuShownBy(applet.Id()); })) << "no popup menu";
    }

    // The open menu takes a key; it closes once the key has chosen an item or
    // dismissed it. A chosen command is then queued behind what came before.
    static void PressInMenu(const Program& applet, HWND window, UINT message, WPARAM key) {
        ASSERT_TRUE(PostMessageA(window, message, key, 0));
        ASSERT_TRUE(WaitFor([&] { return !MenuShownBy(applet.Id()); }))
            << "the menu stayed open after key " << key;
    }

    static void ChooseFromMenu(const Program& applet, HWND window, char mnemonic) {
        ASSERT_NO_FATAL_FAILURE(OpenMenu(applet, window));
        ASSERT_NO_FATAL_FAILURE(PressInMenu(applet, window, WM_CHAR, mnemonic));
    }

    // The stand-in's log lines that hold the text.
    std::vector<std::string> LogLinesWith(const std::string& text) const {
        return e2e::LogLinesWith(log_, text);
    }

    std::string log_;
};

TEST_F(AppletEndToEnd, RunsHiddenAndEndsWithCodeZeroOnWmCloseFromAnotherProgram) {
    Program applet(Applet());
    ASSERT_TRUE(applet.Started());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr) << "no window of class \"Velmora Scheduler\"";
    EXPECT_EQ(TextOf(window), "Velmora Scheduler");
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), nullptr) << "a top-level window";
    EXPECT_EQ(FindWindowA(kClass, nullptr), window);
    CloseAndExpectCleanEnd(applet, window);
    EXPECT_EQ(FindWindowA(kClass, nullptr), nullptr);
}

TEST_F(AppletEndToEnd, SecondCopyRefusesAndEndsWithCodeZero) {
    Program first(Applet());
    HWND window = first.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);

    Program second(Applet());
    ASSERT_TRUE(second.Started());
    HWND box = second.WaitForBox();
    ASSERT_NE(box, nullptr) << "no refusal box";
    EXPECT_EQ(TextOf(box), "Velmora Scheduler");
    EXPECT_EQ(StaticTextOf(box), "Velmora Scheduler is already running.");
    EXPECT_TRUE(WindowsOf(second.Id(), kClass).empty());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.WaitForExit(), 0u);

    EXPECT_TRUE(IsWindow(window)) << "the first copy must run on";
    CloseAndExpectCleanEnd(first, window);
}

TEST_F(AppletEndToEnd, ReloadRequestIsServedWhileTheSenderWaits) {
    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"\"/u\" with its NUL", std::string("/u", 3)},
        {"\"/u\" without NUL", std::string("/u", 2)},
        {"another text", std::string("/x", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string block = c.bytes;
        COPYDATASTRUCT record{0, static_cast<DWORD>(block.size()), &block[0]};
        DWORD_PTR answer = 1;
        EXPECT_NE(SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                      SMTO_ABORTIFHUNG, kDeadlineMs, &answer),
                  0)
            << "not served";
        EXPECT_EQ(answer, 0u) << "DefWindowProcA's answer";
        EXPECT_TRUE(IsWindow(window));
    }
    CloseAndExpectCleanEnd(applet, window);
}

TEST_F(AppletEndToEnd, RightPressOpensTheMenuAndAboutShowsItsText) {
    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);

    ASSERT_NO_FATAL_FAILURE(OpenMenu(applet, window));
    // Escape closes it without a choice; the applet takes input again.
    ASSERT_NO_FATAL_FAILURE(PressInMenu(applet, window, WM_KEYDOWN, VK_ESCAPE));

    ASSERT_NO_FATAL_FAILURE(OpenMenu(applet, window));
    PostMessageA(window, WM_CHAR, 'a', 0); // "&About..."
    HWND box = applet.WaitForBox();
    ASSERT_NE(box, nullptr) << "no About box";
    EXPECT_EQ(TextOf(box), "Velmora Scheduler");
    EXPECT_EQ(StaticTextOf(box), "Velmora Scheduler. A Component of Velmora.\r"
                                 "For product updates please visit https://velmora.example/");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    CloseAndExpectCleanEnd(applet, window);
}

TEST_F(AppletEndToEnd, DoubleClickStartsTheMainApplicationBesideTheApplet) {
    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_USER, 1, WM_LBUTTONDBLCLK);
    HWND main = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        return (main = FindWindowA("TVelmoraMainForm", nullptr)) != nullptr;
    })) << "the stand-in Velmora.exe did not open its window";
    EXPECT_TRUE(IsWindow(window));
    CloseAndExpectCleanEnd(applet, window);
}

TEST_F(AppletEndToEnd, CopiesStartedTogetherLeaveExactlyOneRunning) {
    Program copies[] = {Program(Applet()), Program(Applet())};
    ASSERT_TRUE(copies[0].Started());
    ASSERT_TRUE(copies[1].Started());
    auto Count = [&](const std::function<std::size_t(const Program&)>& of) {
        return of(copies[0]) + of(copies[1]);
    };
    auto Windows = [](const Program& p) { return WindowsOf(p.Id(), kClass).size(); };
    auto Boxes = [](const Program& p) { return BoxesOf(p.Id()).size(); };
    ASSERT_TRUE(WaitFor([&] { return Count(Windows) > 0 && Count(Boxes) > 0; }))
        << Count(Windows) << " applet windows and " << Count(Boxes) << " refusal boxes";
    ASSERT_EQ(Count(Windows), 1u);
    ASSERT_EQ(Count(Boxes), 1u);

    Program& refused = Boxes(copies[0]) == 1 ? copies[0] : copies[1];
    Program& running = &refused == &copies[0] ? copies[1] : copies[0];
    ASSERT_EQ(Windows(running), 1u) << "the copy that shows no box must be the one running";
    HWND box = BoxesOf(refused.Id())[0];
    EXPECT_EQ(TextOf(box), "Velmora Scheduler");
    EXPECT_EQ(StaticTextOf(box), "Velmora Scheduler is already running.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(refused.WaitForExit(), 0u);

    const std::vector<HWND> left = WindowsOfClass(kClass);
    ASSERT_EQ(left.size(), 1u) << "applet windows after the refusal";
    EXPECT_EQ(ProcessOf(left[0]), running.Id());
    EXPECT_TRUE(BoxesOf(running.Id()).empty());
    CloseAndExpectCleanEnd(running, left[0]);
}

TEST_F(AppletEndToEnd, MenuCommandsStartTheMainApplication) {
    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);
    struct Case {
        const char* item;
        char mnemonic;
        const char* arguments;
    };
    const Case cases[] = {
        {"Open Velmora...", 'o', ""},
        {"Set Schedules...", 's', "/SET_SCHEDULES"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const std::size_t before = LogLinesWith(" start args=[").size();
        ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(applet, window, c.mnemonic));
        std::vector<std::string> starts;
        ASSERT_TRUE(WaitFor([&] {
            starts = LogLinesWith(" start args=[");
            return starts.size() > before;
        })) << "the stand-in Velmora.exe did not start";
        ASSERT_EQ(starts.size(), before + 1) << "started more than once";
        const std::string& line = starts.back();
        EXPECT_EQ(e2e::Between(line, " start args=[", "] cwd=["), c.arguments) << line;
        const std::string folder = e2e::Between(line, "] cwd=[", "] cmdline=[");
        EXPECT_EQ(e2e::Lower(folder), "c:\\") << "started in " << folder;
        // Its window open, it can be closed the orderly way before the next case.
        ASSERT_TRUE(WaitFor([] { return FindWindowA(kMainClass, nullptr) != nullptr; }));
        CloseMainApplications();
        EXPECT_TRUE(IsWindow(window));
    }
    CloseAndExpectCleanEnd(applet, window);
}

TEST_F(AppletEndToEnd, CloseCommandEndsTheAppletAndRemovesItsIcon) {
    const std::size_t iconsBefore = TrayIconCount();
    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore + 1; }))
        << "no tray icon appeared";

    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(applet, window, 'c'));
    EXPECT_EQ(applet.WaitForExit(), 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(WaitFor([&] { return TrayIconCount() == iconsBefore; })) << "the tray icon stayed";
}

TEST_F(AppletEndToEnd, SwitchedOffSchedulingHandsNothingOverUntilSwitchedOn) {
    // The main application's window first, so that a job reaches it by
    // WM_COPYDATA and is logged.
    Program standIn(e2e::StandInPath());
    ASSERT_NE(standIn.WaitForWindow(kMainClass), nullptr);
    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(applet.WaitForInputIdle());
    const std::string job = " copydata ";

    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(applet, window, 'd')); // "&Disable Scheduling"
    // The next menu is shown only after the queued switch has been carried out,
    // so the reload below finds scheduling off.
    ASSERT_NO_FATAL_FAILURE(OpenMenu(applet, window));
    ASSERT_NO_FATAL_FAILURE(PressInMenu(applet, window, WM_KEYDOWN, VK_ESCAPE));
    const Ms skipped = ArmSlotZero();
    ASSERT_NO_FATAL_FAILURE(Reload(window));
    ASSERT_FALSE(WaitFor([&] { return !LogLinesWith(job).empty(); }, Until(skipped + 5 * kSecond)))
        << "a job was handed over while scheduling was off: " << LogLinesWith(job)[0];

    // Armed while the menu is open, so that its moment is still ahead when
    // switching on reads the slots.
    ASSERT_NO_FATAL_FAILURE(OpenMenu(applet, window));
    const Ms due = ArmSlotZero();
    ASSERT_NO_FATAL_FAILURE(PressInMenu(applet, window, WM_CHAR, 'e')); // "&Enable Scheduling"
    std::vector<std::string> jobs;
    ASSERT_TRUE(
        WaitFor([&] { return !(jobs = LogLinesWith(job)).empty(); }, Until(due + 5 * kSecond)))
        << "no job after scheduling was switched on again, due at " << DateTimeText(due);
    EXPECT_NE(jobs[0].find("bytes=[/s_j\\0]"), std::string::npos) << jobs[0];
    Ms logged = 0;
    ASSERT_TRUE(e2e::LoggedAt(jobs[0], logged)) << jobs[0];
    EXPECT_GE(logged, due) << "handed over before its moment " << DateTimeText(due);

    CloseAndExpectCleanEnd(applet, window);
    CloseMainApplications();
    EXPECT_EQ(LogLinesWith(job).size(), 1u) << "jobs beyond the one expected";
}

TEST_F(AppletEndToEnd, ErrorOfAUserCommandIsShownAndTheAppletRunsOn) {
    // The path of the main application stored with the wrong type.
    const e2e::SavedSetting saved("VelmoraPath");
    const DWORD number = 1;
    ASSERT_NO_FATAL_FAILURE(e2e::WriteSetting("VelmoraPath", REG_DWORD, &number, sizeof number));

    Program applet(Applet());
    HWND window = applet.WaitForWindow(kClass);
    ASSERT_NE(window, nullptr);
    struct Case {
        const char* command;
        char mnemonic; // 0: a double-click on the icon
    };
    const Case cases[] = {{"double-click", 0}, {"Open Velmora...", 'o'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        if (c.mnemonic) {
            ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(applet, window, c.mnemonic));
        } else {
            ASSERT_TRUE(PostMessageA(window, WM_USER, 1, WM_LBUTTONDBLCLK));
        }
        HWND box = applet.WaitForBox();
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_EQ(TextOf(box), "Velmora Scheduler");
        EXPECT_EQ(StaticTextOf(box), "Invalid data type for 'VelmoraPath'");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));

        DWORD_PTR answer = 0;
        EXPECT_NE(
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kDeadlineMs, &answer), 0)
            << "the applet does not answer";
        EXPECT_TRUE(applet.Running());
        for (HWND other : WindowsOf(applet.Id(), "#32770"))
            EXPECT_FALSE(IsWindowVisible(other)) << "a further box: " << TextOf(other);
        EXPECT_EQ(FindWindowA(kMainClass, nullptr), nullptr) << "a main application started";
    }
    CloseAndExpectCleanEnd(applet, window);
}

} // namespace
