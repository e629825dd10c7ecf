#include "platform/win32/Win32Platform.h"

namespace platform {

void InstallWin32() {
    SetClock(&Win32Clock());
    SetDesktop(&Win32Desktop());
}

} // namespace platform
