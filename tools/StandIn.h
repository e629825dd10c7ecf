// The stand-in for the main application "Velmora": enough of it to try the
// applet out and to test the hand-off end to end.
#pragma once

#include <string>
#include <vector>

namespace standin {

// Appends one line, stamped with the local time to the millisecond, to the
// log ($VELMORA_STANDIN_LOG, else Velmora.log beside the executable). Each
// line is written through at once: tests read the log while we run.
void Log(const std::string& line);
// Log, and also to the console the program was started from, if any.
void Report(const std::string& line);

// The log's place, as Log uses it.
std::string LogPath();

// Runs the command-line tool ("--set-slot", "--reload", ...); returns the
// process's exit code.
int RunCommands(const std::vector<std::string>& args);

} // namespace standin
