#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace e2e {
namespace {

struct WindowSearch {
    bool anyProcess;
    DWORD pid;
    std::string className;
    std::vector<HWND> found;
};

// Named callbacks: a lambda cannot take the stdcall convention of 32-bit Windows.
BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if ((search->anyProcess || ProcessOf(window) == search->pid) &&
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
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty())
        *out = TextOf(child);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(bool anyProcess, DWORD pid, const std::string& className) {
    WindowSearch search{anyProcess, pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

std::string BinFolder() {
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string AppletPath() {
    return BinFolder() + "VelmoraScheduler.exe";
}

std::string StandInPath() {
    return BinFolder() + "Velmora.exe";
}

bool WaitFor(const std::function<bool()>& found, DWORD deadlineMs) {
    const DWORD start = GetTickCount();
    while (!found()) {
        if (GetTickCount() - start > deadlineMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
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

std::vector<HWND> WindowsOf(DWORD pid, const std::string& className) {
    return TopLevelWindows(false, pid, className);
}

std::vector<HWND> WindowsOfClass(const std::string& className) {
    return TopLevelWindows(true, 0, className);
}

std::vector<HWND> ChildWindowsOfClass(const std::string& className) {
    WindowSearch search{true, 0, className, {}};
    EnumWindows(CollectChildrenOfTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string StaticTextOf(HWND box) {
    std::string text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::vector<HWND> BoxesOf(DWORD pid) {
    std::vector<HWND> boxes;
    for (HWND found : WindowsOf(pid, "#32770"))
        if (IsWindowVisible(found) && !StaticTextOf(found).empty())
            boxes.push_back(found);
    return boxes;
}

void ClosePrograms(const std::string& className) {
    for (int i = 0; i < 10; ++i) {
        HWND window = FindWindowA(className.c_str(), nullptr);
        if (!window)
            return;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, ProcessOf(window));
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (process) {
            if (WaitForSingleObject(process, kDeadlineMs) != WAIT_OBJECT_0)
                TerminateProcess(process, 99);
            CloseHandle(process);
        } else {
            WaitFor([&] { return !IsWindow(window); });
        }
    }
}

void Reload(HWND appletWindow) {
    char text[] = "/u";
    COPYDATASTRUCT record{0, sizeof text, text};
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutA(appletWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                  SMTO_ABORTIFHUNG, kDeadlineMs, &answer),
              0)
        << "the applet did not take the reload request";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Between(const std::string& line, const std::string& before, const std::string& after) {
    const std::string::size_type start = line.find(before);
    if (start == std::string::npos)
        return "(no " + before + ")";
    const std::string::size_type from = start + before.size();
    const std::string::size_type end = line.find(after, from);
    if (end == std::string::npos)
        return "(no " + after + " after " + before + ")";
    return line.substr(from, end - from);
}

std::string UseStandInLog(const std::string& fileName) {
    const std::string path = BinFolder() + fileName;
    DeleteFileA(path.c_str());
    SetEnvironmentVariableA(kLogVariable, path.c_str());
    return path;
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

std::vector<std::string> LogLinesWith(const std::string& path, const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& line : LogLines(path))
        if (line.find(text) != std::string::npos)
            lines.push_back(line);
    return lines;
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

DWORD Until(Ms moment) {
    return static_cast<DWORD>(std::max<Ms>(0, moment - Now()));
}

bool LoggedAt(const std::string& line, Ms& stamp) {
    SYSTEMTIME t{};
    if (std::sscanf(line.c_str(), "%hu-%hu-%hu %hu:%hu:%hu.%hu", &t.wYear, &t.wMonth, &t.wDay,
                    &t.wHour, &t.wMinute, &t.wSecond, &t.wMilliseconds) != 7)
        return false;
    stamp = ToMs(t);
    return true;
}

std::string SlotKey(int slot) {
    return std::string(kSettingsKey) + "\\Settings\\Schedule\\" + std::to_string(slot);
}

void WriteSlot(int slot, DWORD type, const std::string& params) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SlotKey(slot).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << "slot " << slot << " not written";
    const DWORD enabled = 1;
    const LONG results[] = {
        RegSetValueExA(key, "Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled),
                       sizeof enabled),
        RegSetValueExA(key, "ScheduleType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type),
                       sizeof type),
        RegSetValueExA(key, "Params", 0, REG_SZ, reinterpret_cast<const BYTE*>(params.c_str()),
                       static_cast<DWORD>(params.size() + 1)),
    };
    RegCloseKey(key);
    for (LONG result : results)
        ASSERT_EQ(result, ERROR_SUCCESS) << "slot " << slot << " not written";
}

void ClearSlot(int slot) {
    RegDeleteKeyA(HKEY_CURRENT_USER, SlotKey(slot).c_str());
}

void ClearSlots() {
    for (int slot = 0; slot < kSlots; ++slot)
        ClearSlot(slot);
}

void WriteSetting(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LONG written =
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    ASSERT_EQ(written, ERROR_SUCCESS) << name;
}

void DeleteSetting(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

SavedSetting::SavedSetting(const char* name) : name_(name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
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

SavedSetting::~SavedSetting() {
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

Program::Program(const std::string& exe, const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    started_ = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info_) != 0;
}

Program::~Program() {
    if (!started_)
        return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, kDeadlineMs);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Program::Running() const {
    return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(DWORD deadlineMs) {
    WaitForSingleObject(info_.hProcess, deadlineMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool Program::WaitForInputIdle(DWORD deadlineMs) {
    return ::WaitForInputIdle(info_.hProcess, deadlineMs) == 0;
}

HWND Program::WaitForWindow(const std::string& className) {
    HWND window = nullptr;
    WaitFor([&] {
        const std::vector<HWND> found = WindowsOf(Id(), className);
        window = found.empty() ? nullptr : found[0];
        return window != nullptr;
    });
    return window;
}

HWND Program::WaitForBox() {
    HWND box = nullptr;
    WaitFor([&] {
        const std::vector<HWND> boxes = BoxesOf(Id());
        box = boxes.empty() ? nullptr : boxes[0];
        return box != nullptr;
    });
    return box;
}

} // namespace e2e
