#include "tests/e2e/E2eSupport.h"

#include <fstream>

namespace e2e {
namespace {

struct WindowSearch {
    DWORD pid;
    std::string className;
    std::vector<HWND> found;
};

// A named callback: a lambda cannot take the stdcall convention of 32-bit Windows.
BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid == search->pid && search->className == name)
        search->found.push_back(window);
    return TRUE;
}

} // namespace

std::string BinFolder() {
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
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

std::vector<HWND> WindowsOf(DWORD pid, const std::string& className) {
    WindowSearch search{pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

} // namespace e2e
