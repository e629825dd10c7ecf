// What one running program holds, read from outside it: handles, USER and
// GDI objects, memory and processor time.
#pragma once

#include <windows.h>

#include <string>

namespace soak {

struct ProcessFigures {
    bool Opened = false;
    bool HandleCountAnswered = false;
    DWORD Handles = 0;
    // The same from the system's handle table; -1 when unknown.
    long TableHandles = -1;
    // A stand-in for USER objects where GetGuiResources answers 0.
    DWORD TopLevelWindows = 0;
    DWORD UserObjects = 0;
    DWORD GdiObjects = 0;
    SIZE_T PrivateBytes = 0;
    SIZE_T WorkingSet = 0;
    // 100 ns units, as the system counts them.
    ULONGLONG UserTime = 0;
    ULONGLONG KernelTime = 0;
};

ProcessFigures ReadFigures(DWORD processId);

// key=value lines, one figure a line, each key starting with prefix.
std::string FormatFigures(const ProcessFigures& figures, const std::string& prefix);

} // namespace soak
