// The program's entry: the Win32 seams and the alarm unit start before the
// applet runs, and the unit stops after it, on every way out.
#include "applet/Scheduler.h"
#include "engine/KsrAlarms.h"
#include "platform/win32/Win32Platform.h"
#include "rtl/Application.h"

int main() {
    return RunProgram(
        [] {
            platform::InstallWin32();
            KsrAlarmsUnitStart();
        },
        RunScheduler, KsrAlarmsUnitStop);
}
