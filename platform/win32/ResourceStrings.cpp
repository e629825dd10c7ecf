#include "resources/StringTable.h"

#include <windows.h>

std::string LoadResString(unsigned id) {
    char buffer[1024];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}
