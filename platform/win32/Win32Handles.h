// The seam's handles are the Windows handles, held as integers.
#pragma once

#include <windows.h>

#include "platform/Desktop.h"

namespace platform {

inline HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

} // namespace platform
