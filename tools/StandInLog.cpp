#include <windows.h>

#include <cstdio>

#include "tools/StandIn.h"

namespace standin {
namespace {

std::string ModuleDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of("\\:") + 1);
}

HANDLE Console() {
    static HANDLE console = [] {
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out != nullptr && out != INVALID_HANDLE_VALUE)
            return out;
        // A GUI program has no console of its own; borrow the caller's.
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return INVALID_HANDLE_VALUE;
        return CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

void WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

std::string LogPath() {
    char buffer[4096];
    DWORD length = GetEnvironmentVariableA("VELMORA_STANDIN_LOG", buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer)
        return std::string(buffer, length);
    return ModuleDirectory() + "Velmora.log";
}

void Log(const std::string& line) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    // Opened for each line, so that every line is on disk when we return and
    // a second copy of the program can append beside the first.
    HANDLE file = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteAll(file, stamp + line + "\r\n");
    CloseHandle(file);
}

void Report(const std::string& line) {
    Log(line);
    HANDLE console = Console();
    if (console != INVALID_HANDLE_VALUE)
        WriteAll(console, line + "\r\n");
}

} // namespace standin
