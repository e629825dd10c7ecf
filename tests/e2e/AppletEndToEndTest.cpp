// The real VelmoraScheduler.exe of this build folder, driven from outside as
// the user and the main application would: its hidden window, the refusal of
// a second copy, WM_CLOSE from another program, the reload request, the menu
// with its About box, and the double-click that opens the main application.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDeadlineMs = 20000;
constexpr const char* kClass = "Velmora Scheduler";
constexpr const char* kSettingsKey = "Software\\Zandrel\\Velmora";

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

struct WindowSearch {
    DWORD pid;
    std::string className;
    std::vector<HWND> found;
};

// Named callbacks: a lambda cannot take the stdcall convention of 32-bit Windows.
BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if (ProcessOf(window) == search->pid && ClassOf(window) == search->className)
        search->found.push_back(window);
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
            for (HWND found : WindowsOf(Id(), "#32770"))
                if (IsWindowVisible(found) && !StaticTextOf(found).empty()) {
                    box = found;
                    return true;
                }
            return false;
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
        for (int slot = 0; slot < 3; ++slot)
            RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Settings\\Schedule\\" +
                                              std::to_string(slot))
                                                 .c_str());
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "VelmoraPath");
            RegCloseKey(key);
        }
        ASSERT_EQ(FindWindowA(kClass, nullptr), nullptr) << "an applet is already running";
    }

    void TearDown() override {
        // A main application the test opened.
        for (HWND main = FindWindowA("TVelmoraMainForm", nullptr); main;
             main = FindWindowA("TVelmoraMainForm", nullptr)) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            WaitFor([&] { return !IsWindow(main); });
        }
    }

    static std::string Applet() { return BinFolder() + "VelmoraScheduler.exe"; }

    // Ends a running applet as another program would, and checks the end.
    static void CloseAndExpectCleanEnd(Program& applet, HWND window) {
        ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
        EXPECT_EQ(applet.WaitForExit(), 0u);
        EXPECT_FALSE(IsWindow(window));
    }
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

    auto OpenMenu = [&] {
        PostMessageA(window, WM_USER, 1, WM_RBUTTONDOWN);
        return WaitFor([&] {
            for (HWND menu : WindowsOf(applet.Id(), "#32768"))
                if (IsWindowVisible(menu))
                    return true;
            return false;
        });
    };
    ASSERT_TRUE(OpenMenu()) << "no popup menu";
    // Escape closes it without a choice; the applet takes input again.
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] {
        for (HWND menu : WindowsOf(applet.Id(), "#32768"))
            if (IsWindowVisible(menu))
                return false;
        return true;
    }));

    ASSERT_TRUE(OpenMenu());
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

} // namespace
