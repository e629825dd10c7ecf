// The desktop: windows, messages, timers, the notification icon, menus,
// message boxes, starting programs and the running module's path. The Win32
// implementation forwards each call; decisions live in the callers.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using WindowHandle = std::uintptr_t; // an HWND in the Windows build

constexpr unsigned kMbOk = 0x00000000;
constexpr unsigned kMbIconInformation = 0x00000040;
constexpr unsigned kMbIconError = 0x00000010;

class IDesktop {
  public:
    virtual ~IDesktop() = default;
    // Methods carry the names of the ANSI Win32 functions they stand for.
    // Returns the button pressed.
    virtual int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                            unsigned flags) = 0;
};

} // namespace platform
