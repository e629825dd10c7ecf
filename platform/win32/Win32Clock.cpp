#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

class Win32ClockImpl final : public IClock {
  public:
    LocalTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
    }
    std::uint32_t TickCount() override { return GetTickCount(); }
};

} // namespace

IClock& Win32Clock() {
    static Win32ClockImpl clock;
    return clock;
}

} // namespace platform
