// Where the rest of the system finds the operating system: the Windows build
// installs the Win32 implementations at start, tests install fakes.
#pragma once

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/SettingsStore.h"
#include "platform/Timers.h"
#include "platform/Windowing.h"

namespace platform {

IClock& Clock();
ISettingsStore& Store();
IDesktop& Desktop();
ITimers& Timers();
IWindowing& Windowing();

// Each returns the implementation it replaces.
IClock* SetClock(IClock* clock);
ISettingsStore* SetStore(ISettingsStore* store);
IDesktop* SetDesktop(IDesktop* desktop);
ITimers* SetTimers(ITimers* timers);
IWindowing* SetWindowing(IWindowing* windowing);

} // namespace platform
