#include "tests/fakes/FakeDesktop.h"

#include <cctype>

namespace fakes {
namespace {

bool SameText(const std::string& a, const char* b) {
    std::string::size_type i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

std::string Named(const char* text) {
    return text ? text : "(null)";
}

} // namespace

int FakeDesktop::MessageBoxA(platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned flags) {
    Calls.push_back("MessageBoxA");
    MessageBoxes.push_back({owner, text, caption, flags});
    if (WhileBoxOpen)
        WhileBoxOpen();
    return 1; // IDOK
}

platform::WindowHandle FakeDesktop::FindWindowA(const char* className, const char* title) {
    Calls.push_back("FindWindowA");
    if (OnFindWindow)
        OnFindWindow(className, title);
    platform::WindowHandle found = platform::kNoWindow;
    for (const FakeWindow& window : Windows) {
        if ((!className || SameText(window.ClassName, className)) &&
            (!title || SameText(window.Title, title))) {
            found = window.Handle;
            break;
        }
    }
    FindWindows.push_back({Named(className), Named(title), found});
    return found;
}

std::intptr_t FakeDesktop::SendMessageA(platform::WindowHandle window, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
    Calls.push_back("SendMessageA");
    SendMessageCall call{window, message, wParam, lParam, false, 0, 0, {}};
    if (message == platform::kWmCopyData && lParam != 0) {
        const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
        call.IsCopyData = true;
        call.CopyData = record->Data;
        call.CopyByteCount = record->ByteCount;
        if (record->Bytes)
            call.CopyBytes.assign(static_cast<const char*>(record->Bytes), record->ByteCount);
    }
    SentMessages.push_back(call);
    if (WhileSending)
        WhileSending(call);
    return SendMessageResult;
}

std::uintptr_t FakeDesktop::ShellExecuteA(platform::WindowHandle owner,
                                          const std::string& operation, const std::string& file,
                                          const std::string& parameters,
                                          const std::string& directory, int show) {
    Calls.push_back("ShellExecuteA");
    ShellExecutes.push_back({owner, operation, file, parameters, directory, show});
    return ShellExecuteResult;
}

std::string FakeDesktop::GetModuleFileNameA() {
    Calls.push_back("GetModuleFileNameA");
    return ModulePath;
}

} // namespace fakes
