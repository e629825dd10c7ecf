// CloseScheduler.exe: asks a running Velmora Scheduler to end, as the user's
// Close command would, by posting WM_CLOSE to its window. Exit code 0 when a
// window was found and the message posted, 1 when no applet runs.
#include <windows.h>

#include "engine/MainApplication.h"

int main() {
    HWND applet = FindWindowA(velmora::kAppletWindowClass, nullptr);
    return applet != nullptr && PostMessageA(applet, WM_CLOSE, 0, 0) ? 0 : 1;
}
