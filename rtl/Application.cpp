#include "rtl/Application.h"

#include <string>

#include "platform/Platform.h"
#include "rtl/SysUtils.h"

void ShowApplicationError(const std::exception& error) {
    std::string text = std::string(ErrorClassName(error)) + ": " + error.what();
    platform::Desktop().MessageBoxA(0, text, "Application Error",
                                    platform::kMbOk | platform::kMbIconError);
}

int RunProgram(const std::function<void()>& starts, const std::function<void()>& body,
               const std::function<void()>& stops) {
    int exitCode = 0;
    try {
        starts();
        body();
    } catch (const TerminateProgram& end) {
        exitCode = end.ExitCode;
    } catch (const std::exception& error) {
        ShowApplicationError(error);
        exitCode = 1;
    }
    try {
        stops();
    } catch (const std::exception& error) {
        ShowApplicationError(error);
        exitCode = 1;
    }
    return exitCode;
}
