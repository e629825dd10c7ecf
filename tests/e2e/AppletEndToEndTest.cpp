// The real VelmoraScheduler.exe of this build folder, driven from outside as
// the user and the main application would: its hidden window, the refusal of
// a second copy, also of two copies started together, WM_CLOSE from another
// program, the reload request, the menu and its commands, the double-click
// that opens the main application, and an error of a user command.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDeadlineMs = 20000;
constexpr const char* kClass = "Velmora Scheduler";
constexpr const char* kSettingsKey = "Software\\Zandrel\\Velmora";
constexpr const char* kMainClass = "TVelmoraMainForm";
constexpr const char* kLogVariable = "VELMORA_STANDIN_LOG";
// Wine's own tray on a display without one: each icon is a child window of this class.
constexpr const char* kTrayIconClass = "__winex11_tray_icon";

// Local time in milliseconds, counted as a FILETIME counts.
using Ms = long long;
constexpr Ms kSecond = 1000;

std::string BinFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// Polls until found() holds or the deadline passes.
bool WaitFor(const std::function<bool()>& found, DWORD deadlineMs = kDeadlineMs) {
    const DWORD start = GetTickCount();
    while (!found()) {
        if (GetTickCount() - start > deadlineMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(50);
    }
    return true;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

Ms ToMs(const SYSTEMTIME& time) {
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return static_cast<Ms>(ticks.QuadPart / 10000);
}

SYSTEMTIME ToSystemTime(Ms ms) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(ms) * 10000;
    FILETIME file{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME time{};
    FileTimeToSystemTime(&file, &time);
    return time;
}

Ms Now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return ToMs(time);
}

// Milliseconds from now until the moment, none when it has passed.
DWORD Until(Ms moment) {
    return static_cast<DWORD>(std::max<Ms>(0, moment - Now()));
}

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

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The lines of a text file, without their line ends; none when it is missing.
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

// The text between `before` and the next `after` in the line; empty when absent.
std::string Between(const std::string& line, const std::string& before, const std::string& after) {
    const std::string::size_type start = line.find(before);
    if (start == std::string::npos)
        return std::string();
    const std::string::size_type from = start + before.size();
    const std::string::size_type end = line.find(after, from);
    return end == std::string::npos ? std::string() : line.substr(from, end - from);
}

struct WindowSearch {
    DWORD pid; // 0: any process
    std::string className;
    std::vector<HWND> found;
};

// Named callbacks: a lambda cannot take the stdcall convention of 32-bit Windows.
BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if ((search->pid == 0 || ProcessOf(window) == search->pid) &&
        ClassOf(window) == search->className)
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChildrenOfTopLevel(HWND window, LPARAM lParam) {
    EnumChildWindows(window, CollectWindow, lParam);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
    auto* out = reinterpret_cast<std::string*>(lParam);
    if (ClassOf(child) == "Static" && !TextOf(child).empty())
        *out = TextOf(child);
    return TRUE;
}

// The top-level windows of one process and class.
std::vector<HWND> WindowsOf(DWORD pid, const std::string& className) {
    WindowSearch search{pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string StaticTextOf(HWND box) {
    std::string text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Top-level windows of the class in any process.
std::vector<HWND> WindowsOfClass(const std::string& className) {
    return WindowsOf(0, className);
}

// The icons shown in the notification area, whoever shows them.
std::size_t TrayIconCount() {
    WindowSearch search{0, kTrayIconClass, {}};
    EnumWindows(CollectChildrenOfTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found.size();
}

// The message boxes of one process that show their text.
std::vector<HWND> BoxesOf(DWORD pid) {
    std::vector<HWND> boxes;
    for (HWND found : WindowsOf(pid, "#32770"))
        if (IsWindowVisible(found) && !StaticTextOf(found).empty())
            boxes.push_back(found);
    return boxes;
}

bool MenuShownBy(DWORD pid) {
    for (HWND menu : WindowsOf(pid, "#32768"))
        if (IsWindowVisible(menu))
            return true;
    return false;
}

// Closes every main application in its orderly way and waits for its process
// to end, so that the next one started is not taken for a second copy.
void CloseMainApplications() {
    for (int i = 0; i < 5; ++i) {
        HWND main = FindWindowA(kMainClass, nullptr);
        if (!main)
            return;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, ProcessOf(main));
        PostMessageA(main, WM_CLOSE, 0, 0);
        if (process) {
            if (WaitForSingleObject(process, kDeadlineMs) == WAIT_TIMEOUT)
                TerminateProcess(process, 99);
            CloseHandle(process);
        } else {
            WaitFor([&] { return !IsWindow(main); });
        }
    }
}

// A value of the settings base key, put back as it was on every way out.
class SavedSettingsValue {
  public:
    explicit SavedSettingsValue(const char* name) : name_(name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            data_.resize(size);
            existed_ =
                RegQueryValueExA(key, name, nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
            data_.resize(size);
        }
        RegCloseKey(key);
    }
    ~SavedSettingsValue() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (existed_)
            RegSetValueExA(key, name_.c_str(), 0, type_, data_.data(),
                           static_cast<DWORD>(data_.size()));
        else
            RegDeleteValueA(key, name_.c_str());
        RegCloseKey(key);
    }
    SavedSettingsValue(const SavedSettingsValue&) = delete;
    SavedSettingsValue& operator=(const SavedSettingsValue&) = delete;

  private:
    std::string name_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
};

// A started program; ended by force only if a test left it running.
class Program {
  public:
    explicit Program(const std::string& exe) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        started_ = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != 0;
    }
    ~Program() {
        if (!started_)
            return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, kDeadlineMs);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit() {
        WaitForSingleObject(info_.hProcess, kDeadlineMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    bool Running() const {
        return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
    }
    // Whether it came to wait for input in its message loop in time.
    bool WaitForInputIdle() { return ::WaitForInputIdle(info_.hProcess, kDeadlineMs) == 0; }
    HWND WaitForWindow(const std::string& className) {
        HWND window = nullptr;
        WaitFor([&] {
            const std::vector<HWND> found = WindowsOf(Id(), className);
            window = found.empty() ? nullptr : found[0];
            return window != nullptr;
        });
        return window;
    }

    // A message box of this program, once it shows its text.
    HWND WaitForBox() {
        HWND box = nullptr;
        WaitFor([&] {
            const std::vector<HWND> boxes = BoxesOf(Id());
            box = boxes.empty() ? nullptr : boxes[0];
            return box != nullptr;
        });
        return box;
    }

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

class AppletEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        // No slot may fire during a test, and the main application is the
        // stand-in beside the applet.
        ClearSlots();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "VelmoraPath");
            RegCloseKey(key);
        }
        ASSERT_EQ(FindWindowA(kClass, nullptr), nullptr) << "an applet is already running";
        // The stand-in logs its starts and jobs here; the applet passes this
        // program's environment on to what it starts.
        log_ = BinFolder() + "e2e-applet.log";
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA(kLogVariable, log_.c_str());
    }

    void TearDown() override {
        // A main application the test opened.
        CloseMainApplications();
        ClearSlots();
        SetEnvironmentVariableA(kLogVariable, nullptr);
        // A failed run keeps the log for the reader.
        if (!HasFailure())
            DeleteFileA(log_.c_str());
    }

    static std::string Applet() { return BinFolder() + "VelmoraScheduler.exe"; }

    static std::string SlotKey(int slot) {
        return std::string(kSettingsKey) + "\\Settings\\Schedule\\" + std::to_string(slot);
    }

    static void ClearSlots() {
        for (int slot = 0; slot < 3; ++slot)
            RegDeleteKeyA(HKEY_CURRENT_USER, SlotKey(slot).c_str());
    }

    // Slot 0 set to a date-time a few seconds ahead; gives that moment.
    static Ms ArmSlotZero() {
        // At least two seconds ahead, at the start of a second.
        const Ms due = Now() + 2 * kSecond;
        const Ms moment = due - due % kSecond + kSecond;
        const std::string params = DateTimeText(moment);
        const DWORD enabled = 1;
        const DWORD dateTimeType = 2;
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SlotKey(0).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const LONG results[] = {
            RegSetValueExA(key, "Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled),
                           sizeof enabled),
            RegSetValueExA(key, "ScheduleType", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&dateTimeType), sizeof dateTimeType),
            RegSetValueExA(key, "Params", 0, REG_SZ, reinterpret_cast<const BYTE*>(params.c_str()),
                           static_cast<DWORD>(params.size() + 1)),
        };
        RegCloseKey(key);
        for (LONG result : results)
            EXPECT_EQ(result, ERROR_SUCCESS) << "slot 0 not written";
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

    // The main application's reload request; served before the send returns.
    static void Reload(HWND window) {
        char text[] = "/u";
        COPYDATASTRUCT record{0, sizeof text, text};
        DWORD_PTR answer = 0;
        ASSERT_NE(SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                      SMTO_ABORTIFHUNG, kDeadlineMs, &answer),
                  0)
            << "the applet did not take the reload request";
    }

    // The stand-in's log lines that hold the text.
    std::vector<std::string> LogLinesWith(const std::string& text) const {
        std::vector<std::string> lines;
        for (const std::string& line : LogLines(log_))
            if (line.find(text) != std::string::npos)
                lines.push_back(line);
        return lines;
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
        EXPECT_EQ(Between(line, " start args=[", "] cwd=["), c.arguments) << line;
        const std::string folder = Between(line, "] cwd=[", "] cmdline=[");
        EXPECT_TRUE(SameTextIgnoringCase(folder, "c:\\")) << "started in " << folder;
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
    Program standIn(BinFolder() + "Velmora.exe");
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
    SYSTEMTIME logged{};
    ASSERT_EQ(sscanf(jobs[0].c_str(), "%hu-%hu-%hu %hu:%hu:%hu.%hu", &logged.wYear, &logged.wMonth,
                     &logged.wDay, &logged.wHour, &logged.wMinute, &logged.wSecond,
                     &logged.wMilliseconds),
              7)
        << jobs[0];
    EXPECT_GE(ToMs(logged), due) << "handed over before its moment " << DateTimeText(due);

    CloseAndExpectCleanEnd(applet, window);
    CloseMainApplications();
    EXPECT_EQ(LogLinesWith(job).size(), 1u) << "jobs beyond the one expected";
}

TEST_F(AppletEndToEnd, ErrorOfAUserCommandIsShownAndTheAppletRunsOn) {
    // The path of the main application stored with the wrong type.
    const SavedSettingsValue saved("VelmoraPath");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 1;
    const LONG written = RegSetValueExA(key, "VelmoraPath", 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
    ASSERT_EQ(written, ERROR_SUCCESS);

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
