// Velmora.exe, the stand-in main application. Started with a switch (or none)
// it becomes the main window and logs what reaches it; started with "--..."
// options it is a command-line tool that sets schedules up (StandInCommands).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/MainApplication.h"
#include "tools/StandIn.h"

namespace standin {
namespace {

constexpr const char* kInstanceMutex = "Zandrel.Velmora.StandIn.Instance";

std::string lastEvent = "waiting";

// Printable ASCII as is, the backslash doubled, NUL as \0, anything else \xNN.
std::string Visible(const void* data, DWORD size) {
    std::string text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (DWORD i = 0; bytes && i < size; ++i) {
        const unsigned char c = bytes[i];
        char escaped[8];
        if (c == '\\')
            text += "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            text += static_cast<char>(c);
        else if (c == 0)
            text += "\\0";
        else {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

void Event(HWND window, const std::string& line) {
    Log(line);
    lastEvent = line;
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT OnCopyData(HWND window, WPARAM wParam, const COPYDATASTRUCT& record) {
    char head[128];
    std::snprintf(head, sizeof head, "copydata from=0x%llX dwData=%llu cbData=%lu bytes=[",
                  static_cast<unsigned long long>(wParam),
                  static_cast<unsigned long long>(record.dwData),
                  static_cast<unsigned long>(record.cbData));
    Event(window, head + Visible(record.lpData, record.cbData) + "]");
    return TRUE;
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    const std::string text = "Velmora stand-in. Last event: " + lastEvent;
    DrawTextA(dc, text.c_str(), -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(window, &paint);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (message) {
        case WM_COPYDATA:
            return OnCopyData(window, wParam, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_CLOSE:
            Log("close");
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        }
    } catch (...) {
        // Nothing may unwind through Windows; a lost log line is all it costs.
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The command line without the program's name.
std::string Arguments() {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        for (; *p && *p != ' ' && *p != '\t'; ++p) {
        }
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

int RunMainWindow(HINSTANCE instance) {
    const std::string args = Arguments();
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // The real program would hand the command line to its running copy.
        Log("already running; ending: args=[" + args + "]");
        CloseHandle(mutex);
        return 0;
    }
    Log("start args=[" + args + "] cwd=[" + CurrentDirectory() + "] cmdline=[" + GetCommandLineA() +
        "]");
    if (args == velmora::kSwitchSetSchedules)
        Log("schedule settings requested; the stand-in has none to show");

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = velmora::kMainWindowClass;
    HWND window = nullptr;
    if (RegisterClassA(&windowClass))
        window = CreateWindowExA(0, velmora::kMainWindowClass, velmora::kMainWindowTitle,
                                 WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 160,
                                 nullptr, nullptr, instance, nullptr);
    if (!window) {
        Log("failed to create the main window");
        CloseHandle(mutex);
        return 1;
    }
    // Minimised and not activated: visible to a person trying the applet
    // out, yet it takes the focus from nothing.
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    Log("main window open");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Log("end");
    CloseHandle(mutex);
    return 0;
}

} // namespace
} // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<std::string> args(__argv + 1, __argv + __argc);
    if (!args.empty() && args[0].compare(0, 2, "--") == 0)
        return standin::RunCommands(args);
    return standin::RunMainWindow(instance);
}
