#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

IClock* clock_ = nullptr;
ISettingsStore* store_ = nullptr;
IDesktop* desktop_ = nullptr;
ITimers* timers_ = nullptr;
IWindowing* windowing_ = nullptr;

template <typename T> T& Installed(T* seam, const char* name) {
    if (!seam) {
        // A missing seam is a wiring fault of the program or test, not a user error.
        std::fprintf(stderr, "platform seam '%s' used before it was installed\n", name);
        std::abort();
    }
    return *seam;
}

template <typename T> T* Swap(T*& slot, T* next) {
    T* previous = slot;
    slot = next;
    return previous;
}

} // namespace

IClock& Clock() {
    return Installed(clock_, "clock");
}
ISettingsStore& Store() {
    return Installed(store_, "settings store");
}
IDesktop& Desktop() {
    return Installed(desktop_, "desktop");
}
ITimers& Timers() {
    return Installed(timers_, "timers");
}
IWindowing& Windowing() {
    return Installed(windowing_, "windowing");
}

IClock* SetClock(IClock* clock) {
    return Swap(clock_, clock);
}
ISettingsStore* SetStore(ISettingsStore* store) {
    return Swap(store_, store);
}
IDesktop* SetDesktop(IDesktop* desktop) {
    return Swap(desktop_, desktop);
}
ITimers* SetTimers(ITimers* timers) {
    return Swap(timers_, timers);
}
IWindowing* SetWindowing(IWindowing* windowing) {
    return Swap(windowing_, windowing);
}

} // namespace platform
