// The desktop: windows, messages, timers, the notification icon, menus,
// message boxes, starting programs and the running module's path. The Win32
// implementation forwards each call; decisions live in the callers.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using WindowHandle = std::uintptr_t; // an HWND in the Windows build
constexpr WindowHandle kNoWindow = 0;

constexpr unsigned kMbOk = 0x00000000;
constexpr unsigned kMbIconInformation = 0x00000040;
constexpr unsigned kMbIconError = 0x00000010;

constexpr unsigned kWmCopyData = 0x004A;
constexpr int kSwShowNormal = 1;

// Field for field the Windows COPYDATASTRUCT, so that its address can be the
// lParam of a WM_COPYDATA as it stands.
struct CopyDataRecord {
    std::uintptr_t Data;     // dwData
    std::uint32_t ByteCount; // cbData
    const void* Bytes;       // lpData
};

class IDesktop {
  public:
    virtual ~IDesktop() = default;
    // Methods carry the names of the ANSI Win32 functions they stand for.

    // Returns the button pressed.
    virtual int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                            unsigned flags) = 0;
    // A null class or title matches any; kNoWindow when none matches.
    virtual WindowHandle FindWindowA(const char* className, const char* title) = 0;
    // For WM_COPYDATA, lParam is the address of a CopyDataRecord.
    virtual std::intptr_t SendMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) = 0;
    // Returns the shell's result: greater than 32 when the start succeeded.
    virtual std::uintptr_t ShellExecuteA(WindowHandle owner, const std::string& operation,
                                         const std::string& file, const std::string& parameters,
                                         const std::string& directory, int show) = 0;
    // The full path of the running executable, however long; empty on failure.
    virtual std::string GetModuleFileNameA() = 0;
};

} // namespace platform
