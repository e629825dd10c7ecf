#include <windows.h>

#include <shellapi.h>

#include <cstddef>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

// A CopyDataRecord's address goes to Windows as a COPYDATASTRUCT's.
static_assert(sizeof(CopyDataRecord) == sizeof(COPYDATASTRUCT), "record layout");
static_assert(offsetof(CopyDataRecord, Data) == offsetof(COPYDATASTRUCT, dwData), "dwData");
static_assert(offsetof(CopyDataRecord, ByteCount) == offsetof(COPYDATASTRUCT, cbData), "cbData");
static_assert(offsetof(CopyDataRecord, Bytes) == offsetof(COPYDATASTRUCT, lpData), "lpData");
static_assert(sizeof(WindowHandle) == sizeof(HWND), "handles are pointer-sized");

class Win32DesktopImpl final : public IDesktop {
  public:
    int MessageBoxA(WindowHandle owner, const std::string& text, const std::string& caption,
                    unsigned flags) override {
        return ::MessageBoxA(Hwnd(owner), text.c_str(), caption.c_str(), flags);
    }

    WindowHandle FindWindowA(const char* className, const char* title) override {
        return reinterpret_cast<WindowHandle>(::FindWindowA(className, title));
    }

    std::intptr_t SendMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam) override {
        return ::SendMessageA(Hwnd(window), message, wParam, lParam);
    }

    std::uintptr_t ShellExecuteA(WindowHandle owner, const std::string& operation,
                                 const std::string& file, const std::string& parameters,
                                 const std::string& directory, int show) override {
        return reinterpret_cast<std::uintptr_t>(::ShellExecuteA(Hwnd(owner), operation.c_str(),
                                                                file.c_str(), parameters.c_str(),
                                                                directory.c_str(), show));
    }

    std::string GetModuleFileNameA() override {
        // The function cuts a path that does not fit and reports the buffer
        // full, so grow until the answer leaves room.
        std::string path(MAX_PATH, '\0');
        while (path.size() <= 0x10000) {
            DWORD length = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
            if (length == 0)
                return std::string();
            if (length < path.size()) {
                path.resize(length);
                return path;
            }
            path.resize(path.size() * 2);
        }
        return std::string();
    }
};

} // namespace

IDesktop& Win32Desktop() {
    static Win32DesktopImpl desktop;
    return desktop;
}

} // namespace platform
