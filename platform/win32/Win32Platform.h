// The Win32 implementations of the platform seams.
#pragma once

#include "platform/Platform.h"

namespace platform {

IClock& Win32Clock();
IDesktop& Win32Desktop();

// Installs every Win32 seam that exists; the program calls this first.
void InstallWin32();

} // namespace platform
