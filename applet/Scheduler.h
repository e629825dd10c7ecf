// The applet's main program: start-up, the single-instance rule, the
// boot-time pass, the hidden window and its message loop.
#pragma once

#include "platform/Windowing.h"

// Whether scheduling is switched on; false until the window exists.
extern bool SchedulingEnabled;
// The one notification-area icon, handed to every Shell_NotifyIconA call.
extern platform::NotifyIconDataA TrayIconData;

// Runs from after the unit starts to the end of the message loop. Refuses to
// run beside another copy by ending the program through FatalMessage.
void RunScheduler();

// Shows Text (when not null) in a box captioned "Velmora Scheduler", then
// ends the program normally with exit code 0.
[[noreturn]] void FatalMessage(const char* Text);
