// A windowing that records every call in order and behaves as Windows does
// where the applet relies on it: creating a window sends WM_CREATE through the
// registered procedure, DefWindowProcA destroys the window on WM_CLOSE (which
// sends WM_DESTROY), posted messages queue up for GetMessageA, the quit
// message ends the loop, and a named mutex made before reports so.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Windowing.h"

namespace fakes {

struct RegisterClassCall {
    platform::WindowClassA Class;
    std::string ClassName; // "(null)" for a null pointer
};

struct CreateWindowCall {
    std::uint32_t ExStyle;
    std::string ClassName;
    std::string Title;
    std::uint32_t Style;
    int X, Y, Width, Height;
    platform::WindowHandle Parent;
    platform::MenuHandle Menu;
    platform::InstanceHandle Instance;
    void* CreationData;
};

struct NotifyIconCall {
    std::uint32_t Message; // NIM_ADD, NIM_MODIFY, NIM_DELETE
    platform::NotifyIconDataA Data;
    std::string Tip;
};

struct MenuItem {
    unsigned Flags;
    std::uintptr_t Id;
    std::string Text;
    bool HasText;
};

struct TrackCall {
    platform::MenuHandle Menu;
    unsigned Flags;
    int X, Y, Reserved;
    platform::WindowHandle Owner;
    std::vector<MenuItem> Items; // the menu as it was tracked
};

class FakeWindowing : public platform::IWindowing {
  public:
    platform::InstanceHandle GetModuleHandleA() override;
    std::uint16_t RegisterClassA(const platform::WindowClassA& windowClass) override;
    platform::WindowHandle CreateWindowExA(std::uint32_t exStyle, const char* className,
                                           const char* title, std::uint32_t style, int x, int y,
                                           int width, int height, platform::WindowHandle parent,
                                           platform::MenuHandle menu,
                                           platform::InstanceHandle instance,
                                           void* creationData) override;
    bool ShowWindow(platform::WindowHandle window, int command) override;
    std::intptr_t DefWindowProcA(platform::WindowHandle window, unsigned message,
                                 std::uintptr_t wParam, std::intptr_t lParam) override;
    int GetMessageA(platform::Message& message, platform::WindowHandle window, unsigned first,
                    unsigned last) override;
    bool TranslateMessage(const platform::Message& message) override;
    std::intptr_t DispatchMessageA(const platform::Message& message) override;
    bool PostMessageA(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                      std::intptr_t lParam) override;
    void PostQuitMessage(int exitCode) override;
    unsigned RegisterWindowMessageA(const char* name) override;
    bool Shell_NotifyIconA(std::uint32_t message, const platform::NotifyIconDataA& data) override;
    platform::IconHandle LoadIconA(platform::InstanceHandle instance, const char* name) override;
    bool GetCursorPos(platform::Point& position) override;
    platform::MenuHandle CreatePopupMenu() override;
    bool AppendMenuA(platform::MenuHandle menu, unsigned flags, std::uintptr_t id,
                     const char* text) override;
    bool SetForegroundWindow(platform::WindowHandle window) override;
    int TrackPopupMenu(platform::MenuHandle menu, unsigned flags, int x, int y, int reserved,
                       platform::WindowHandle owner) override;
    bool DestroyMenu(platform::MenuHandle menu) override;
    platform::MutexHandle CreateMutexA(const char* name, bool& alreadyExists) override;
    bool CloseHandle(platform::MutexHandle handle) override;

    // Sends a message to a window as SendMessageA would: straight to the
    // procedure of its class. A window that is gone gets nothing.
    std::intptr_t Send(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam);

    // What the windowing holds and answers
    platform::InstanceHandle Instance = 0x400000;
    platform::WindowHandle NextWindow = 0x10010;
    bool CreateFails = false;
    platform::Point Cursor{1000, 740};
    int TrackResult = 0;
    unsigned TaskbarCreated = 0xC0DE;
    std::intptr_t DefWindowProcResult = 0;
    // Icons of the module by name; a missing name loads as 0.
    std::map<std::string, platform::IconHandle> Icons{
        {"MAINICON", 0x1C01}, {"MAINICON2", 0x1C02}, {"TRAYICON", 0x1C03}};
    // Named mutexes that another process made.
    std::set<std::string> OtherMutexes;
    bool MutexFails = false;

    // Run as the call is made, to reproduce what happens meanwhile: the menu's
    // modal loop, or the message loop waiting for input. WhenIdle runs when
    // GetMessageA finds the queue empty; if it is still empty then, the loop
    // is ended (recorded as "GetMessageA(idle)") rather than waiting forever.
    std::function<void()> WhileMenuOpen;
    std::function<void()> WhenIdle;
    // Run after each call is recorded, with its name.
    std::function<void(const std::string& call)> OnCall;

    // The windows that exist, and the queue of posted messages.
    std::set<platform::WindowHandle> LiveWindows;
    std::deque<platform::Message> Queue;

    std::vector<RegisterClassCall> Classes;
    std::vector<CreateWindowCall> CreatedWindows;
    std::vector<std::pair<platform::WindowHandle, int>> Shows;
    std::vector<platform::Message> Posted;
    std::vector<platform::Message> Dispatched;
    std::vector<platform::Message> DefaultHandled;
    std::vector<int> QuitCodes;
    std::vector<NotifyIconCall> NotifyIcons;
    std::vector<std::string> LoadedIcons;
    std::vector<platform::WindowHandle> Foregrounds;
    std::vector<TrackCall> Tracks;
    std::map<platform::MenuHandle, std::vector<MenuItem>> Menus; // menus not yet destroyed
    std::vector<platform::MenuHandle> DestroyedMenus;
    std::map<platform::MutexHandle, std::string> OpenMutexes;
    // Every call, in order, by its function name.
    std::vector<std::string> Calls;

  private:
    void Record(const std::string& call);

    std::map<std::string, platform::WindowProcedure> procedures_; // by class name, lower case
    std::map<platform::WindowHandle, platform::WindowProcedure> windowProcedures_;
    platform::MenuHandle nextMenu_ = 0x3E01;
    platform::MutexHandle nextMutex_ = 0x5E01;
    std::uint16_t nextAtom_ = 0xC101;
};

} // namespace fakes
