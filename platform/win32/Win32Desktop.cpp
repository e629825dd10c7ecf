#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

class Win32DesktopImpl final : public IDesktop {
  public:
    int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                    unsigned flags) override {
        return ::MessageBoxA(Hwnd(owner), text.c_str(), caption.c_str(), flags);
    }
};

} // namespace

IDesktop& Win32Desktop() {
    static Win32DesktopImpl desktop;
    return desktop;
}

} // namespace platform
