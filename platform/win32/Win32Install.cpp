#include "platform/win32/Win32Platform.h"

namespace platform {

void InstallWin32() {
    SetClock(&Win32Clock());
    SetDesktop(&Win32Desktop());
    SetStore(&Win32Store());
    SetTimers(&Win32Timers());
    SetWindowing(&Win32Windowing());
    SetFormatSettings(ReadUserFormatSettings());
}

} // namespace platform
