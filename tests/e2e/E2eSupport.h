// Small helpers for the end-to-end suites: the bin folder of this build, the
// programs started from it, their windows, the stand-in's log, local time,
// and the settings in the registry the programs share.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kDeadlineMs = 20000;

constexpr const char* kAppletClass = "Velmora Scheduler";
constexpr const char* kMainClass = "TVelmoraMainForm";
constexpr const char* kMainTitle = "Velmora 4.2";
constexpr const char* kSettingsKey = "Software\\Zandrel\\Velmora";
// Where the stand-in logs its starts and the messages it gets.
constexpr const char* kLogVariable = "VELMORA_STANDIN_LOG";
constexpr int kSlots = 3;

// The folder of the running test program, with its trailing backslash.
std::string BinFolder();
std::string AppletPath();
// The stand-in main application beside the applet.
std::string StandInPath();

// Polls until found() holds or the deadline passes; pumps this thread's
// messages meanwhile, so a window of the test cannot block a sender.
bool WaitFor(const std::function<bool()>& found, DWORD deadlineMs = kDeadlineMs);

// ---- Windows

std::string ClassOf(HWND window);
std::string TextOf(HWND window);
DWORD ProcessOf(HWND window);

// The top-level windows of one process and class.
std::vector<HWND> WindowsOf(DWORD pid, const std::string& className);
// The top-level windows of the class in any process.
std::vector<HWND> WindowsOfClass(const std::string& className);
// The children of the class of every top-level window, in any process.
std::vector<HWND> ChildWindowsOfClass(const std::string& className);

// A message box's text: its Static child with text; the icon is another.
std::string StaticTextOf(HWND box);
// The message boxes of one process that show their text.
std::vector<HWND> BoxesOf(DWORD pid);

// Closes each program that shows a top-level window of the class in its
// orderly way and waits for its process to end, so that the next one started
// is not taken for a second copy; one that does not end in time is ended.
void ClosePrograms(const std::string& className);

// The main application's reload request; served before the send returns.
void Reload(HWND appletWindow);

// ---- Text and the stand-in's log

std::string Lower(std::string text);

// The text between `before` and the next `after` in a log line; when either
// is missing, a note saying so, which no expected field text equals.
std::string Between(const std::string& line, const std::string& before, const std::string& after);

// A fresh log of that file name in the bin folder for the stand-ins started
// from here on, directly or by a program started from here: they inherit it.
std::string UseStandInLog(const std::string& fileName);

// The lines of a text file, without their line ends; none when it is missing.
std::vector<std::string> LogLines(const std::string& path);
// Those of its lines that hold the text.
std::vector<std::string> LogLinesWith(const std::string& path, const std::string& text);

// ---- Local time in milliseconds, counted as a FILETIME counts

using Ms = long long;
constexpr Ms kSecond = 1000;

Ms ToMs(const SYSTEMTIME& time);
SYSTEMTIME ToSystemTime(Ms ms);
Ms Now();
// Milliseconds from now until the moment, none when it has passed.
DWORD Until(Ms moment);
// The stand-in's stamp at the start of a log line; false when it has none.
bool LoggedAt(const std::string& line, Ms& stamp);

// ---- Settings

std::string SlotKey(int slot);
// An enabled schedule slot of the type with its parameter text.
void WriteSlot(int slot, DWORD type, const std::string& params);
void ClearSlot(int slot);
void ClearSlots();

// A value of the settings base key.
void WriteSetting(const char* name, DWORD type, const void* data, DWORD size);
void DeleteSetting(const char* name);

// A value of the settings base key, put back as it was on every way out.
class SavedSetting {
  public:
    explicit SavedSetting(const char* name);
    ~SavedSetting();
    SavedSetting(const SavedSetting&) = delete;
    SavedSetting& operator=(const SavedSetting&) = delete;

  private:
    std::string name_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
};

// ---- Started programs

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
    // A message box of this program, once it shows its text.
    HWND WaitForBox();

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

} // namespace e2e
