// Handing a job, or the user's request, to the main application: by message
// to its running main window, or by starting its executable.
#pragma once

#include <cstdint>

// Slot 0..2 chooses a job's switch; -1 is the user's request to open the main
// application, with SetSchedules for its schedule settings. Returns once the
// switch was sent, the program started, or the failure box closed. Errors of
// the settings read pass to the caller, before anything is started.
void RunMainApplication(std::int8_t Slot, bool SetSchedules);
