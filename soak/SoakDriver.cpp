// VelmoraSoakDriver.exe: drives a running Velmora Scheduler from outside, as
// the main application and the user would, and reads what it holds. Each
// command prints key=value lines; the exit code is 0 when it went as meant.
//   counts [class]          the figures of the program owning that window
//   reloads <n>             n reload requests ("/u" by WM_COPYDATA)
//   menus <n> [hold ms]     n openings and closings of the icon's menu
//   toggles <n>             n switches off and on again (command 80, twice)
//   due-text <seconds>      a moment that far ahead, in the user's formats
//   start <exe> <class>     starts a program, times it until its window exists
//   close <class>           closes that window's program and waits for its end
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/MainApplication.h"
#include "soak/ProcessFigures.h"

namespace {

constexpr DWORD kStepDeadlineMs = 10000;
constexpr UINT kSendTimeoutMs = 10000;
constexpr UINT kIconCallback = WM_USER;
constexpr WPARAM kToggleCommand = 80;
constexpr const char* kMenuClass = "#32768";

// The local time as the stand-in stamps its log lines.
std::string Stamp(const SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::string Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return Stamp(t);
}

void Print(const std::string& key, const std::string& value) {
    std::printf("%s=%s\n", key.c_str(), value.c_str());
    std::fflush(stdout);
}

void Fail(const std::string& what) {
    Print("error", what);
}

// Polls until done() holds; false when the deadline passed first.
template <typename Condition> bool WaitFor(Condition done, DWORD deadlineMs = kStepDeadlineMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > deadlineMs)
            return false;
        Sleep(1);
    }
    return true;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

HWND Applet() {
    return FindWindowA(velmora::kAppletWindowClass, velmora::kAppletCaption);
}

// A visible popup menu of the given process, or none.
HWND OpenMenuOf(DWORD processId) {
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, kMenuClass, nullptr)) != nullptr)
        if (ProcessOf(menu) == processId && IsWindowVisible(menu))
            return menu;
    return nullptr;
}

// The longest pause between two requests of a run, to show that none left
// room for a due alarm.
class Pacer {
  public:
    Pacer() : last_(GetTickCount()) {}
    void Step() {
        const DWORD now = GetTickCount();
        if (now - last_ > longest_)
            longest_ = now - last_;
        last_ = now;
    }
    DWORD Longest() const { return longest_; }

  private:
    DWORD last_;
    DWORD longest_ = 0;
};

bool SendReload(HWND applet) {
    char text[] = "/u";
    COPYDATASTRUCT record{0, sizeof text, text};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(applet, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                               SMTO_NORMAL, kSendTimeoutMs, &answer) != 0;
}

bool SendToggle(HWND applet) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(applet, WM_COMMAND, kToggleCommand, 0, SMTO_NORMAL, kSendTimeoutMs,
                               &answer) != 0;
}

// holdMs paces the run: the menu stays open that long, with the applet in
// the menu's own message loop.
bool CycleMenu(HWND applet, DWORD processId, DWORD holdMs) {
    if (!PostMessageA(applet, kIconCallback, 1, WM_RBUTTONDOWN))
        return false;
    if (!WaitFor([&] { return OpenMenuOf(processId) != nullptr; }))
        return false;
    if (holdMs != 0)
        Sleep(holdMs);
    if (!PostMessageA(applet, WM_KEYDOWN, VK_ESCAPE, 0))
        return false;
    return WaitFor([&] { return OpenMenuOf(processId) == nullptr; });
}

// Runs step n times against the applet; prints the run's start, end and
// longest pause.
template <typename Step> int Repeat(const std::string& name, long count, Step step) {
    const HWND applet = Applet();
    if (applet == nullptr) {
        Fail("no applet window");
        return 1;
    }
    const DWORD processId = ProcessOf(applet);
    Print(name + "_start", Now());
    const DWORD started = GetTickCount();
    Pacer pacer;
    for (long i = 0; i < count; ++i) {
        if (!step(applet, processId)) {
            Fail(name + " step " + std::to_string(i) + " failed or timed out");
            return 1;
        }
        pacer.Step();
    }
    Print(name + "_end", Now());
    Print(name + "_count", std::to_string(count));
    Print(name + "_ms", std::to_string(GetTickCount() - started));
    Print(name + "_longest_gap_ms", std::to_string(pacer.Longest()));
    return 0;
}

int Counts(const char* className) {
    const HWND window = FindWindowA(className, nullptr);
    if (window == nullptr) {
        Fail(std::string("no window of class ") + className);
        return 1;
    }
    const soak::ProcessFigures figures = soak::ReadFigures(ProcessOf(window));
    std::fputs(soak::FormatFigures(figures, "").c_str(), stdout);
    Print("at", Now());
    return figures.Opened ? 0 : 1;
}

// A whole second, seconds ahead, as date-time text in the user's formats.
int DueText(long seconds) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME local;
    SystemTimeToFileTime(&now, &local);
    ULARGE_INTEGER value{};
    value.LowPart = local.dwLowDateTime;
    value.HighPart = local.dwHighDateTime;
    constexpr ULONGLONG kSecond = 10000000ULL;
    value.QuadPart = (value.QuadPart / kSecond + static_cast<ULONGLONG>(seconds)) * kSecond;
    local.dwLowDateTime = value.LowPart;
    local.dwHighDateTime = value.HighPart;
    SYSTEMTIME due;
    FileTimeToSystemTime(&local, &due);
    char date[128] = {};
    char time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &due, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &due, nullptr, time, sizeof time);
    Print("due", Stamp(due));
    Print("params", std::string(date) + " " + time);
    return 0;
}

int Start(const std::string& exe, const char* className) {
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    QueryPerformanceCounter(&before);
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        Fail("cannot start " + exe);
        return 1;
    }
    const bool found = WaitFor([&] { return FindWindowA(className, nullptr) != nullptr; }, 60000);
    QueryPerformanceCounter(&after);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!found) {
        Fail(std::string("no window of class ") + className);
        return 1;
    }
    const double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms);
    Print("startup_ms", text);
    Print("pid", std::to_string(info.dwProcessId));
    return 0;
}

int Close(const char* className) {
    const HWND window = FindWindowA(className, nullptr);
    if (window == nullptr)
        return 0;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(window));
    PostMessageA(window, WM_CLOSE, 0, 0);
    const bool ended = process != nullptr && WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    if (process != nullptr)
        CloseHandle(process);
    if (!ended)
        Fail(std::string("the program of ") + className + " did not end");
    return ended ? 0 : 1;
}

int Usage() {
    std::fputs("usage: VelmoraSoakDriver counts [class] | reloads <n> | menus <n> [hold ms]"
               " | toggles <n>"
               " | due-text <seconds> | start <exe> <class> | close <class>\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const long n = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 0;
    if (command == "counts")
        return Counts(argc > 2 ? argv[2] : velmora::kAppletWindowClass);
    if (command == "reloads" && argc == 3)
        return Repeat("reloads", n, [](HWND applet, DWORD) { return SendReload(applet); });
    if (command == "menus" && (argc == 3 || argc == 4)) {
        const DWORD holdMs = argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 0;
        return Repeat("menus", n, [holdMs](HWND applet, DWORD processId) {
            return CycleMenu(applet, processId, holdMs);
        });
    }
    if (command == "toggles" && argc == 3)
        return Repeat("toggles", n,
                      [](HWND applet, DWORD) { return SendToggle(applet) && SendToggle(applet); });
    if (command == "due-text" && argc == 3)
        return DueText(n);
    if (command == "start" && argc == 4)
        return Start(argv[2], argv[3]);
    if (command == "close" && argc == 3)
        return Close(argv[2]);
    return Usage();
}
