// The Win32 implementations of the platform seams.
#pragma once

#include "platform/Platform.h"
#include "rtl/FormatSettings.h"

namespace platform {

IClock& Win32Clock();
IDesktop& Win32Desktop();
ISettingsStore& Win32Store();
ITimers& Win32Timers();
IWindowing& Win32Windowing();

// The user's regional settings, from GetLocaleInfoA.
TFormatSettings ReadUserFormatSettings();

// Installs every Win32 seam and takes the user's regional settings, once.
void InstallWin32();

} // namespace platform
