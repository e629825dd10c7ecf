// A desktop that records every call in order and answers as told.
#pragma once

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

class FakeDesktop : public platform::IDesktop {
  public:
    int MessageBoxA(platform::WindowHandle owner, const std::string& text,
                    const std::string& caption, unsigned flags) override;

    std::vector<MessageBoxCall> MessageBoxes;
    // Runs while a box is "open", to reproduce what a modal loop delivers.
    std::function<void()> WhileBoxOpen;
    // Every call, in order, as one line each ("MessageBox", ...).
    std::vector<std::string> Calls;
};

} // namespace fakes
