// The stand-in's command-line tool: writes the values the applet reads, asks
// a running applet to read them again, and closes a running stand-in.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/MainApplication.h"
#include "tools/StandIn.h"

namespace standin {
namespace {

constexpr const char* kUsage =
    "Velmora.exe - stand-in for the main application\n"
    "\n"
    "  Velmora.exe [/s_j | /s_b | /s_d | /SET_SCHEDULES]\n"
    "      Opens the main window (class TVelmoraMainForm, title \"Velmora 4.2\") and logs\n"
    "      its start and every WM_COPYDATA it receives. A second copy logs and ends.\n"
    "  Velmora.exe --set-slot <0..2> --type <n> [--params <text>] [--disabled]\n"
    "      Writes Enabled, ScheduleType and Params of the slot.\n"
    "  Velmora.exe --clear-slot <0..2>      Removes the slot's values.\n"
    "  Velmora.exe --set-path <path>        Writes VelmoraPath.\n"
    "  Velmora.exe --clear-path             Removes VelmoraPath.\n"
    "  Velmora.exe --reload                 Sends \"/u\" to the running applet.\n"
    "  Velmora.exe --quit                   Closes the running stand-in.\n"
    "  Velmora.exe --help                   This text.\n"
    "Options may be combined; they run in the order given, after all are checked.\n"
    "The log is %VELMORA_STANDIN_LOG%, or Velmora.log beside Velmora.exe.\n"
    "Exit code 0 when everything was done, 1 otherwise, 2 for a usage error.\n";

constexpr DWORD kSendTimeoutMs = 10000;

enum class Command { Help, SetSlot, ClearSlot, SetPath, ClearPath, Reload, Quit };

struct Action {
    Command What;
    int Slot = 0;
    DWORD Type = 0;
    bool Enabled = true;
    std::string Text; // Params, or the path
};

Action Make(Command what, int slot = 0) {
    Action action;
    action.What = what;
    action.Slot = slot;
    return action;
}

struct UsageError {
    std::string Message;
};

std::string BaseKeyPath() {
    // The registry wants the path without its leading backslash.
    std::string path = velmora::kSettingsBaseKey;
    return path.substr(path[0] == '\\' ? 1 : 0);
}

std::string SlotKeyPath(int slot) {
    return BaseKeyPath() + velmora::kScheduleSectionPrefix + std::to_string(slot);
}

long Number(const std::string& option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno == ERANGE)
        throw UsageError{option + " wants a number, not '" + text + "'"};
    return value;
}

int SlotNumber(const std::string& option, const std::string& text) {
    const long slot = Number(option, text);
    if (slot < 0 || slot >= velmora::kSlotCount)
        throw UsageError{option + " wants a slot from 0 to 2, not '" + text + "'"};
    return static_cast<int>(slot);
}

std::vector<Action> Parse(const std::vector<std::string>& args) {
    std::vector<Action> actions;
    // The --set-slot that --type, --params and --disabled refine, by index:
    // the vector may move as it grows.
    std::size_t slot = 0;
    bool refinable = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError{option + " wants a value"};
            return args[++i];
        };
        auto refining = [&]() -> Action& {
            if (!refinable)
                throw UsageError{option + " belongs after --set-slot"};
            return actions[slot];
        };
        if (option == "--help" || option == "-h" || option == "/?") {
            actions.push_back(Make(Command::Help));
        } else if (option == "--set-slot") {
            actions.push_back(Make(Command::SetSlot, SlotNumber(option, value())));
            slot = actions.size() - 1;
            refinable = true;
            continue;
        } else if (option == "--type") {
            refining().Type = static_cast<DWORD>(Number(option, value()));
            continue;
        } else if (option == "--params") {
            refining().Text = value();
            continue;
        } else if (option == "--disabled") {
            refining().Enabled = false;
            continue;
        } else if (option == "--clear-slot") {
            actions.push_back(Make(Command::ClearSlot, SlotNumber(option, value())));
        } else if (option == "--set-path") {
            Action action = Make(Command::SetPath);
            action.Text = value();
            actions.push_back(action);
        } else if (option == "--clear-path") {
            actions.push_back(Make(Command::ClearPath));
        } else if (option == "--reload") {
            actions.push_back(Make(Command::Reload));
        } else if (option == "--quit") {
            actions.push_back(Make(Command::Quit));
        } else {
            throw UsageError{"unknown option '" + option + "'"};
        }
        refinable = false;
    }
    return actions;
}

class Key {
  public:
    explicit Key(const std::string& path) {
        status_ = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~Key() {
        if (status_ == ERROR_SUCCESS)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool SetDword(const char* name, DWORD value) {
        return status_ == ERROR_SUCCESS &&
               RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value) == ERROR_SUCCESS;
    }
    bool SetString(const char* name, const std::string& value) {
        return status_ == ERROR_SUCCESS &&
               RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }
    bool DeleteValue(const char* name) {
        if (status_ != ERROR_SUCCESS)
            return false;
        const LONG result = RegDeleteValueA(key_, name);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }

  private:
    HKEY key_ = nullptr;
    LONG status_ = ERROR_INVALID_HANDLE;
};

bool SetSlot(const Action& action) {
    Key key(SlotKeyPath(action.Slot));
    const bool done = key.SetDword(velmora::kValueEnabled, action.Enabled ? 1 : 0) &&
                      key.SetDword(velmora::kValueScheduleType, action.Type) &&
                      key.SetString(velmora::kValueParams, action.Text);
    Report(std::string(done ? "set" : "failed to set") + " slot " + std::to_string(action.Slot) +
           ": Enabled=" + (action.Enabled ? "1" : "0") +
           " ScheduleType=" + std::to_string(action.Type) + " Params=[" + action.Text + "]");
    return done;
}

bool ClearSlot(int slot) {
    Key key(SlotKeyPath(slot));
    const bool done = key.DeleteValue(velmora::kValueEnabled) &&
                      key.DeleteValue(velmora::kValueScheduleType) &&
                      key.DeleteValue(velmora::kValueParams);
    Report(std::string(done ? "cleared" : "failed to clear") + " slot " + std::to_string(slot));
    return done;
}

bool SetPath(const std::string& path) {
    Key key(BaseKeyPath());
    const bool done = key.SetString(velmora::kValueVelmoraPath, path);
    Report(std::string(done ? "set" : "failed to set") + " VelmoraPath=[" + path + "]");
    return done;
}

bool ClearPath() {
    Key key(BaseKeyPath());
    const bool done = key.DeleteValue(velmora::kValueVelmoraPath);
    Report(done ? "cleared VelmoraPath" : "failed to clear VelmoraPath");
    return done;
}

bool Reload() {
    HWND applet = FindWindowA(velmora::kAppletWindowClass, nullptr);
    if (!applet) {
        Report("reload: no applet window; nothing sent");
        return false;
    }
    const std::string text = velmora::kReloadRequest;
    COPYDATASTRUCT record = {0, static_cast<DWORD>(text.size() + 1),
                             const_cast<char*>(text.c_str())};
    DWORD_PTR answer = 0;
    const bool sent = SendMessageTimeoutA(applet, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                          SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) != 0;
    Report(sent ? "reload: sent \"/u\" to the applet" : "reload: the applet did not answer");
    return sent;
}

bool Quit() {
    HWND window = FindWindowA(velmora::kMainWindowClass, velmora::kMainWindowTitle);
    if (!window) {
        Report("quit: no stand-in running");
        return true;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
    // Done only when the process has gone, so that a caller can start afresh.
    bool ended = true;
    if (process) {
        ended = WaitForSingleObject(process, kSendTimeoutMs) == WAIT_OBJECT_0;
        CloseHandle(process);
    }
    Report(ended ? "quit: the stand-in has ended" : "quit: the stand-in did not end");
    return ended;
}

bool Run(const Action& action) {
    switch (action.What) {
    case Command::Help:
        Report(kUsage);
        return true;
    case Command::SetSlot:
        return SetSlot(action);
    case Command::ClearSlot:
        return ClearSlot(action.Slot);
    case Command::SetPath:
        return SetPath(action.Text);
    case Command::ClearPath:
        return ClearPath();
    case Command::Reload:
        return Reload();
    case Command::Quit:
        return Quit();
    }
    return false;
}

} // namespace

int RunCommands(const std::vector<std::string>& args) {
    std::vector<Action> actions;
    try {
        actions = Parse(args);
    } catch (const UsageError& error) {
        Report("usage error: " + error.Message + "\n" + kUsage);
        return 2;
    }
    bool allDone = true;
    for (const Action& action : actions)
        allDone = Run(action) && allDone;
    return allDone ? 0 : 1;
}

} // namespace standin
