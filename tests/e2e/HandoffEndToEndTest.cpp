// The hand-off for real, against the stand-in main application (Velmora.exe
// in the same bin folder): messages to its window and starts of its program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/Handoff.h"
#include "platform/win32/Win32Platform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(30);
constexpr auto kPoll = std::chrono::milliseconds(50);
constexpr const char* kBaseKey = "Software\\Zandrel\\Velmora";

std::string BinDirectory() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string StandInPath() {
    return BinDirectory() + "Velmora.exe";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The first log line holding what; empty when none came before the deadline.
// The stand-in writes each line through at once, but a started program may
// still be on its way when the start call returns.
std::string WaitForLogLine(const std::string& path, const std::string& what) {
    for (auto end = Clock::now() + kDeadline; Clock::now() < end;
         std::this_thread::sleep_for(kPoll))
        for (const std::string& line : LogLines(path))
            if (line.find(what) != std::string::npos)
                return line;
    return std::string();
}

// The text between "name=[" and the next "]" of a log line.
std::string Field(const std::string& line, const std::string& name) {
    const std::string open = name + "=[";
    const auto start = line.find(open);
    if (start == std::string::npos)
        return "(no " + name + ")";
    const auto from = start + open.size();
    return line.substr(from, line.find(']', from) - from);
}

HWND WaitForMainWindow() {
    for (auto end = Clock::now() + kDeadline; Clock::now() < end;
         std::this_thread::sleep_for(kPoll))
        if (HWND window = FindWindowA("TVelmoraMainForm", "Velmora 4.2"))
            return window;
    return nullptr;
}

// Closes every running stand-in and waits for its process to end.
void CloseStandIns() {
    for (int i = 0; i < 10; ++i) {
        HWND window = FindWindowA("TVelmoraMainForm", "Velmora 4.2");
        if (!window)
            return;
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (process) {
            if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0)
                TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
}

void SetVelmoraPath(const std::string& value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kBaseKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "VelmoraPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void DeleteVelmoraPath() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kBaseKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "VelmoraPath");
        RegCloseKey(key);
    }
}

// A message box's text is its one Static child with text; the icon is another.
BOOL CALLBACK CollectText(HWND child, LPARAM into) {
    char name[32], text[256];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
        *reinterpret_cast<std::string*>(into) = text;
    return TRUE;
}

class HandoffEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        platform::InstallWin32();
        CloseStandIns();
        DeleteVelmoraPath();
        UseLog("start");
    }
    void TearDown() override {
        CloseStandIns();
        DeleteVelmoraPath();
        for (const std::string& log : logs_)
            DeleteFileA(log.c_str());
    }

    // A fresh log for the stand-ins started from here on; they inherit it.
    void UseLog(const std::string& name) {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        log = BinDirectory() + "e2e-handoff-" + test->name() + "-" + name + ".log";
        DeleteFileA(log.c_str());
        logs_.push_back(log);
        SetEnvironmentVariableA("VELMORA_STANDIN_LOG", log.c_str());
    }

    std::string log;

  private:
    std::vector<std::string> logs_;
};

TEST_F(HandoffEndToEnd, RunningMainWindowReceivesTheSwitch) {
    std::string command = "\"" + StandInPath() + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_NE(WaitForMainWindow(), nullptr) << "the stand-in opened no main window";

    RunMainApplication(0, false);

    // The send returns only after the window has handled it.
    const std::vector<std::string> lines = LogLines(log);
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
        DeleteVelmoraPath();
        if (c.path == Path::Full)
            SetVelmoraPath(StandInPath());
        if (c.path == Path::Empty)
            SetVelmoraPath("");

        RunMainApplication(static_cast<std::int8_t>(c.slot), c.setSchedules);

        const std::string start = WaitForLogLine(log, "start args=");
        ASSERT_FALSE(start.empty()) << "the stand-in did not start";
        EXPECT_EQ(Field(start, "args"), c.args) << start;
        EXPECT_EQ(Lower(Field(start, "cwd")), "c:\\") << start;
        EXPECT_NE(Lower(Field(start, "cmdline")).find(Lower(StandInPath())), std::string::npos)
            << start;
        ASSERT_NE(WaitForMainWindow(), nullptr);
        CloseStandIns();
    }
}

TEST_F(HandoffEndToEnd, MissingExecutableShowsTheFailureBox) {
    SetVelmoraPath(BinDirectory() + "NoSuchVelmora.exe");
    std::atomic<bool> returned{false};
    std::string text;
    bool found = false;
    // The box is modal on this thread; read and close it from another one.
    std::thread user([&] {
        for (auto end = Clock::now() + kDeadline; Clock::now() < end && !returned;
             std::this_thread::sleep_for(kPoll)) {
            HWND box = FindWindowA("#32770", "Velmora Scheduler");
            if (!box)
                continue;
            found = true;
            EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return;
        }
    });

    RunMainApplication(-1, false);
    returned = true;
    user.join();

    EXPECT_TRUE(found) << "no box captioned \"Velmora Scheduler\" appeared";
    EXPECT_EQ(text, "Failed to open Velmora. Please contact the author.");
    EXPECT_EQ(FindWindowA("TVelmoraMainForm", nullptr), nullptr);
}

} // namespace
