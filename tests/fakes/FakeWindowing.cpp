#include "tests/fakes/FakeWindowing.h"

#include <cctype>

namespace fakes {
namespace {

std::string Lower(const char* text) {
    std::string lower = text ? text : "";
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string Named(const char* text) {
    return text ? text : "(null)";
}

} // namespace

void FakeWindowing::Record(const std::string& call) {
    Calls.push_back(call);
    if (OnCall)
        OnCall(call);
}

platform::InstanceHandle FakeWindowing::GetModuleHandleA() {
    Record("GetModuleHandleA");
    return Instance;
}

std::uint16_t FakeWindowing::RegisterClassA(const platform::WindowClassA& windowClass) {
    Classes.push_back({windowClass, Named(windowClass.lpszClassName)});
    Record("RegisterClassA");
    const std::string name = Lower(windowClass.lpszClassName);
    if (windowClass.lpszClassName == nullptr || windowClass.lpfnWndProc == nullptr ||
        procedures_.count(name) != 0)
        return 0;
    procedures_[name] = windowClass.lpfnWndProc;
    return nextAtom_++;
}

platform::WindowHandle
FakeWindowing::CreateWindowExA(std::uint32_t exStyle, const char* className, const char* title,
                               std::uint32_t style, int x, int y, int width, int height,
                               platform::WindowHandle parent, platform::MenuHandle menu,
                               platform::InstanceHandle instance, void* creationData) {
    CreatedWindows.push_back({exStyle, Named(className), Named(title), style, x, y, width, height,
                              parent, menu, instance, creationData});
    Record("CreateWindowExA");
    const auto procedure = procedures_.find(Lower(className));
    if (CreateFails || procedure == procedures_.end())
        return platform::kNoWindow;
    const platform::WindowHandle window = NextWindow;
    NextWindow += 0x10;
    LiveWindows.insert(window);
    windowProcedures_[window] = procedure->second;
    // A real WM_CREATE carries the CREATESTRUCT; nothing here reads it.
    procedure->second(window, platform::kWmCreate, 0, 0);
    return window;
}

bool FakeWindowing::ShowWindow(platform::WindowHandle window, int command) {
    Shows.emplace_back(window, command);
    Record("ShowWindow");
    return false; // it was not visible before
}

std::intptr_t FakeWindowing::DefWindowProcA(platform::WindowHandle window, unsigned message,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
    DefaultHandled.push_back({window, message, wParam, lParam, 0, {0, 0}});
    Record("DefWindowProcA");
    if (message == platform::kWmClose && LiveWindows.count(window) != 0) {
        // DestroyWindow: the procedure sees WM_DESTROY, then the window is gone.
        Send(window, platform::kWmDestroy, 0, 0);
        LiveWindows.erase(window);
    }
    return DefWindowProcResult;
}

int FakeWindowing::GetMessageA(platform::Message& message, platform::WindowHandle, unsigned,
                               unsigned) {
    if (Queue.empty() && WhenIdle)
        WhenIdle();
    if (Queue.empty()) {
        Record("GetMessageA(idle)");
        message = platform::Message{};
        return 0;
    }
    Record("GetMessageA");
    message = Queue.front();
    Queue.pop_front();
    return message.message == 0x0012 ? 0 : 1; // WM_QUIT
}

bool FakeWindowing::TranslateMessage(const platform::Message&) {
    Record("TranslateMessage");
    return false;
}

std::intptr_t FakeWindowing::DispatchMessageA(const platform::Message& message) {
    Dispatched.push_back(message);
    Record("DispatchMessageA");
    return Send(message.hwnd, message.message, message.wParam, message.lParam);
}

bool FakeWindowing::PostMessageA(platform::WindowHandle window, unsigned message,
                                 std::uintptr_t wParam, std::intptr_t lParam) {
    const platform::Message posted{window, message, wParam, lParam, 0, {0, 0}};
    Posted.push_back(posted);
    Record("PostMessageA");
    if (LiveWindows.count(window) == 0)
        return false;
    Queue.push_back(posted);
    return true;
}

void FakeWindowing::PostQuitMessage(int exitCode) {
    QuitCodes.push_back(exitCode);
    Record("PostQuitMessage");
    Queue.push_back(
        {platform::kNoWindow, 0x0012, static_cast<std::uintptr_t>(exitCode), 0, 0, {0, 0}});
}

unsigned FakeWindowing::RegisterWindowMessageA(const char* name) {
    Record("RegisterWindowMessageA");
    return Lower(name) == "taskbarcreated" ? TaskbarCreated : 0xC200;
}

bool FakeWindowing::Shell_NotifyIconA(std::uint32_t message,
                                      const platform::NotifyIconDataA& data) {
    std::string tip(data.szTip, sizeof data.szTip);
    tip.resize(tip.find('\0') == std::string::npos ? tip.size() : tip.find('\0'));
    NotifyIcons.push_back({message, data, tip});
    Record("Shell_NotifyIconA");
    return true;
}

platform::IconHandle FakeWindowing::LoadIconA(platform::InstanceHandle instance, const char* name) {
    LoadedIcons.push_back(Named(name));
    Record("LoadIconA");
    const auto icon = Icons.find(Named(name));
    return instance == Instance && icon != Icons.end() ? icon->second : 0;
}

bool FakeWindowing::GetCursorPos(platform::Point& position) {
    Record("GetCursorPos");
    position = Cursor;
    return true;
}

platform::MenuHandle FakeWindowing::CreatePopupMenu() {
    Record("CreatePopupMenu");
    const platform::MenuHandle menu = nextMenu_++;
    Menus[menu];
    return menu;
}

bool FakeWindowing::AppendMenuA(platform::MenuHandle menu, unsigned flags, std::uintptr_t id,
                                const char* text) {
    Record("AppendMenuA");
    const auto found = Menus.find(menu);
    if (found == Menus.end())
        return false;
    found->second.push_back({flags, id, Named(text), text != nullptr});
    return true;
}

bool FakeWindowing::SetForegroundWindow(platform::WindowHandle window) {
    Foregrounds.push_back(window);
    Record("SetForegroundWindow");
    return true;
}

int FakeWindowing::TrackPopupMenu(platform::MenuHandle menu, unsigned flags, int x, int y,
                                  int reserved, platform::WindowHandle owner) {
    const auto found = Menus.find(menu);
    Tracks.push_back({menu, flags, x, y, reserved, owner,
                      found == Menus.end() ? std::vector<MenuItem>() : found->second});
    Record("TrackPopupMenu");
    if (WhileMenuOpen)
        WhileMenuOpen();
    return found == Menus.end() ? 0 : TrackResult;
}

bool FakeWindowing::DestroyMenu(platform::MenuHandle menu) {
    DestroyedMenus.push_back(menu);
    Record("DestroyMenu");
    return Menus.erase(menu) != 0;
}

platform::MutexHandle FakeWindowing::CreateMutexA(const char* name, bool& alreadyExists) {
    Record("CreateMutexA");
    alreadyExists = false;
    if (MutexFails)
        return platform::kNoMutex;
    const std::string named = Named(name);
    alreadyExists = OtherMutexes.count(named) != 0;
    for (const auto& open : OpenMutexes)
        alreadyExists = alreadyExists || open.second == named;
    const platform::MutexHandle handle = nextMutex_++;
    OpenMutexes[handle] = named;
    return handle;
}

bool FakeWindowing::CloseHandle(platform::MutexHandle handle) {
    Record("CloseHandle");
    return OpenMutexes.erase(handle) != 0;
}

std::intptr_t FakeWindowing::Send(platform::WindowHandle window, unsigned message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
    if (LiveWindows.count(window) == 0)
        return 0;
    return windowProcedures_[window](window, message, wParam, lParam);
}

} // namespace fakes
