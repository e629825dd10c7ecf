#include "rtl/SysUtils.h"

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
    std::string result = pattern;
    for (std::size_t at = result.find('%'); at != std::string::npos && at + 1 < result.size();
         at = result.find('%', at + 1)) {
        if (result[at + 1] == 's' || result[at + 1] == 'd') {
            result.replace(at, 2, arg);
            break;
        }
    }
    return result;
}

const char* ErrorClassName(const std::exception& error) {
    if (auto* known = dynamic_cast<const Exception*>(&error)) {
        return known->ClassName();
    }
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        return "EOutOfMemory";
    }
    return "Exception";
}
