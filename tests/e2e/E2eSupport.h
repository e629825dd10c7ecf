// Small helpers for the end-to-end suites: the bin folder of this build, the
// programs started from it, their windows, and the stand-in's log.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kDeadlineMs = 20000;

// The folder of the running test program, with its trailing backslash.
std::string BinFolder();

// Polls until found() holds or the deadline passes; pumps this thread's
// messages meanwhile, so a window of the test cannot block a sender.
bool WaitFor(const std::function<bool()>& found, DWORD deadlineMs = kDeadlineMs);

// The top-level windows of one process and class.
std::vector<HWND> WindowsOf(DWORD pid, const std::string& className);

// The lines of a text file, without their line ends; none when it is missing.
std::vector<std::string> LogLines(const std::string& path);

// A started program; ended by force only if a test left it running.
class Program {
  public:
    explicit Program(const std::string& exe, const std::string& arguments = std::string());
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD deadlineMs = kDeadlineMs);
    // Whether it came to wait for input in its message loop in time.
    bool WaitForInputIdle(DWORD deadlineMs = kDeadlineMs);
    // Its first top-level window of the class; null when none came in time.
    HWND WaitForWindow(const std::string& className);

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

} // namespace e2e
