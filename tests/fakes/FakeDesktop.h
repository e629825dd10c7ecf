// A desktop that records every call in order and answers as told.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace fakes {

struct MessageBoxCall {
    platform::WindowHandle Owner;
    std::string Text;
    std::string Caption;
    unsigned Flags;
};

struct FindWindowCall {
    // "(null)" stands for a null pointer.
    std::string ClassName;
    std::string Title;
    platform::WindowHandle Result;
};

struct SendMessageCall {
    platform::WindowHandle Window;
    unsigned Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
    // For WM_COPYDATA: the record and its block as they were during the send;
    // the sender may free the block as soon as the call returns.
    bool IsCopyData;
    std::uintptr_t CopyData;
    std::uint32_t CopyByteCount;
    std::string CopyBytes;
};

struct ShellExecuteCall {
    platform::WindowHandle Owner;
    std::string Operation;
    std::string File;
    std::string Parameters;
    std::string Directory;
    int Show;
};

// A top-level window that FindWindowA can find.
struct FakeWindow {
    std::string ClassName;
    std::string Title;
    platform::WindowHandle Handle;
};

class FakeDesktop : public platform::IDesktop {
  public:
    int MessageBoxA(platform::WindowHandle owner, const std::string& text,
                    const std::string& caption, unsigned flags) override;
    // Class and title compare without regard to case, as in Windows.
    platform::WindowHandle FindWindowA(const char* className, const char* title) override;
    std::intptr_t SendMessageA(platform::WindowHandle window, unsigned message,
                               std::uintptr_t wParam, std::intptr_t lParam) override;
    std::uintptr_t ShellExecuteA(platform::WindowHandle owner, const std::string& operation,
                                 const std::string& file, const std::string& parameters,
                                 const std::string& directory, int show) override;
    std::string GetModuleFileNameA() override;

    // What the desktop holds and answers
    std::vector<FakeWindow> Windows;
    std::uintptr_t ShellExecuteResult = 42; // a start that succeeded
    std::string ModulePath = "C:\\Program Files\\Zandrel\\VelmoraScheduler.exe";
    std::intptr_t SendMessageResult = 0;

    // Run as the call is made, before it answers, to reproduce what happens
    // meanwhile: a window appearing, a message sent back, a modal loop's input.
    std::function<void(const char* className, const char* title)> OnFindWindow;
    std::function<void(const SendMessageCall&)> WhileSending;
    std::function<void()> WhileBoxOpen;

    std::vector<MessageBoxCall> MessageBoxes;
    std::vector<FindWindowCall> FindWindows;
    std::vector<SendMessageCall> SentMessages;
    std::vector<ShellExecuteCall> ShellExecutes;
    // Every call, in order, by its function name ("MessageBoxA", "FindWindowA", ...).
    std::vector<std::string> Calls;
};

} // namespace fakes
