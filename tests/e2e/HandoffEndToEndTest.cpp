// The hand-off for real, against the stand-in main application (Velmora.exe
// in the same bin folder): messages to its window and starts of its program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "engine/Handoff.h"
#include "platform/win32/Win32Platform.h"
#include "tests/e2e/E2eSupport.h"

namespace {

// A start through the shell may take longer than the other steps waited for.
constexpr DWORD kDeadlineMs = 30000;

// The first log line holding what; empty when none came before the deadline.
// The stand-in writes each line through at once, but a started program may
// still be on its way when the start call returns.
std::string WaitForLogLine(const std::string& path, const std::string& what) {
    std::vector<std::string> lines;
    e2e::WaitFor([&] { return !(lines = e2e::LogLinesWith(path, what)).empty(); }, kDeadlineMs);
    return lines.empty() ? std::string() : lines[0];
}

// The text between "name=[" and the next "]" of a log line.
std::string Field(const std::string& line, const std::string& name) {
    return e2e::Between(line, name + "=[", "]");
}

HWND WaitForMainWindow() {
    HWND window = nullptr;
    e2e::WaitFor(
        [&] { return (window = FindWindowA(e2e::kMainClass, e2e::kMainTitle)) != nullptr; },
        kDeadlineMs);
    return window;
}

void CloseStandIns() {
    e2e::ClosePrograms(e2e::kMainClass);
}

void SetVelmoraPath(const std::string& value) {
    e2e::WriteSetting("VelmoraPath", REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

class HandoffEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        platform::InstallWin32();
        CloseStandIns();
        e2e::DeleteSetting("VelmoraPath");
        UseLog("start");
    }
    void TearDown() override {
        CloseStandIns();
        e2e::DeleteSetting("VelmoraPath");
        for (const std::string& log : logs_)
            DeleteFileA(log.c_str());
    }

    // A fresh log for the stand-ins started from here on; they inherit it.
    void UseLog(const std::string& name) {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        log = e2e::UseStandInLog(std::string("e2e-handoff-") + test->name() + "-" + name + ".log");
        logs_.push_back(log);
    }

    std::string log;

  private:
    std::vector<std::string> logs_;
};

TEST_F(HandoffEndToEnd, RunningMainWindowReceivesTheSwitch) {
    e2e::Program standIn(e2e::StandInPath());
    ASSERT_TRUE(standIn.Started());
    ASSERT_NE(WaitForMainWindow(), nullptr) << "the stand-in opened no main window";

    RunMainApplication(0, false);

    // The send returns only after the window has handled it.
    const std::vector<std::string> lines = e2e::LogLines(log);
    const auto received = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("copydata") != std::string::npos;
    });
    ASSERT_NE(received, lines.end()) << "no WM_COPYDATA reached the stand-in";
    EXPECT_NE(received->find("from=0x0 dwData=0 cbData=5 bytes=[/s_j\\0]"), std::string::npos)
        << *received;
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find(" start args=") != std::string::npos;
                            }),
              1)
        << "a slot with a main window open must not start the program";
    // Closed the orderly way, not ended at the end of the scope.
    CloseStandIns();
}

TEST_F(HandoffEndToEnd, WithoutMainWindowStartsTheExecutable) {
    enum class Path { Full, Empty, Missing };
    struct {
        const char* what;
        int slot;
        bool setSchedules;
        Path path;
        const char* args;
    } cases[] = {
        {"slot 2, path set", 2, false, Path::Full, "/s_d"},
        {"open, path empty", -1, false, Path::Empty, ""},
        {"schedule settings, path missing", -1, true, Path::Missing, "/SET_SCHEDULES"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseLog(std::to_string(&c - cases));
        e2e::DeleteSetting("VelmoraPath");
        if (c.path == Path::Full)
            SetVelmoraPath(e2e::StandInPath());
        if (c.path == Path::Empty)
            SetVelmoraPath("");

        RunMainApplication(static_cast<std::int8_t>(c.slot), c.setSchedules);

        const std::string start = WaitForLogLine(log, "start args=");
        ASSERT_FALSE(start.empty()) << "the stand-in did not start";
        EXPECT_EQ(Field(start, "args"), c.args) << start;
        EXPECT_EQ(e2e::Lower(Field(start, "cwd")), "c:\\") << start;
        EXPECT_NE(e2e::Lower(Field(start, "cmdline")).find(e2e::Lower(e2e::StandInPath())),
                  std::string::npos)
            << start;
        ASSERT_NE(WaitForMainWindow(), nullptr);
        CloseStandIns();
    }
}

TEST_F(HandoffEndToEnd, MissingExecutableShowsTheFailureBox) {
    SetVelmoraPath(e2e::BinFolder() + "NoSuchVelmora.exe");
    std::atomic<bool> returned{false};
    std::string text;
    bool found = false;
    // The box is modal on this thread; read and close it from another one.
    std::thread user([&] {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < kDeadlineMs && !returned;
             Sleep(50)) {
            HWND box = FindWindowA("#32770", e2e::kAppletClass);
            if (!box)
                continue;
            found = true;
            text = e2e::StaticTextOf(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return;
        }
    });

    RunMainApplication(-1, false);
    returned = true;
    user.join();

    EXPECT_TRUE(found) << "no box captioned \"Velmora Scheduler\" appeared";
    EXPECT_EQ(text, "Failed to open Velmora. Please contact the author.");
    EXPECT_EQ(FindWindowA(e2e::kMainClass, nullptr), nullptr);
}

} // namespace
