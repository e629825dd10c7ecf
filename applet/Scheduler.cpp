#include "applet/Scheduler.h"

#include <cstdint>
#include <exception>
#include <string>

#include "applet/TrayWndProc.h"
#include "engine/Handoff.h"
#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "engine/Schedules.h"
#include "platform/Platform.h"
#include "rtl/Application.h"
#include "rtl/IntText.h"
#include "settings/CustomRegistry.h"

bool SchedulingEnabled = false;
platform::NotifyIconDataA TrayIconData = {};

namespace {

constexpr const char* kRefusalText = "Velmora Scheduler is already running.";
// Held by the running copy, so that a copy starting before the window exists
// is refused as well.
constexpr const char* kInstanceMutexName = "Velmora Scheduler single instance";
constexpr double kBootTimeLimitMinutes = 1.0;
constexpr double kMillisecondsPerMinute = 60000.0;

class InstanceMutex {
  public:
    explicit InstanceMutex(const char* name)
        : handle_(platform::Windowing().CreateMutexA(name, alreadyExists_)) {}
    ~InstanceMutex() {
        if (handle_ != platform::kNoMutex)
            platform::Windowing().CloseHandle(handle_);
    }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    bool AlreadyExists() const { return alreadyExists_; }

  private:
    bool alreadyExists_ = false;
    platform::MutexHandle handle_;
};

bool AnotherCopyRuns(const InstanceMutex& mutex) {
    // The window stays the mark the main application looks for; the mutex
    // covers the time before a starting copy has made its window.
    return mutex.AlreadyExists() || platform::Desktop().FindWindowA(velmora::kAppletWindowClass,
                                                                    nullptr) != platform::kNoWindow;
}

bool StartedWithSystem() {
    // Unsigned: a count past 2^31 is a long uptime, not a negative one.
    const std::uint32_t ticks = platform::Clock().TickCount();
    return static_cast<double>(ticks) / kMillisecondsPerMinute <= kBootTimeLimitMinutes;
}

void RunBootTimeSlots() {
    TRegIniFile reader(velmora::kSettingsBaseKey);
    for (int slot = 0; slot < velmora::kSlotCount; ++slot) {
        try {
            const std::string section = velmora::kScheduleSectionPrefix + IntToStr(slot);
            if (reader.ReadSectionInteger(section, velmora::kValueScheduleType, 0) != stAtStartup)
                continue;
            // A switched-off slot is not run at boot time either.
            if (!reader.ReadSectionBool(section, velmora::kValueEnabled, false))
                continue;
            RunMainApplication(static_cast<std::int8_t>(slot), false);
        } catch (const std::exception&) {
            // Dropped on purpose: one slot's error must not keep the others from running.
        }
    }
}

void RunMessageLoop() {
    platform::IWindowing& windowing = platform::Windowing();
    platform::Message message{};
    for (;;) {
        // Messages sent from other programs are handled inside GetMessageA.
        const int result = windowing.GetMessageA(message, platform::kNoWindow, 0, 0);
        RethrowWindowError();
        if (result == 0)
            break;
        windowing.TranslateMessage(message);
        windowing.DispatchMessageA(message);
        RethrowWindowError();
    }
}

} // namespace

void FatalMessage(const char* Text) {
    if (Text != nullptr)
        platform::Desktop().MessageBoxA(platform::kNoWindow, Text, velmora::kAppletCaption,
                                        platform::kMbOk);
    throw TerminateProgram{0};
}

void RunScheduler() {
    platform::IWindowing& windowing = platform::Windowing();

    const InstanceMutex mutex(kInstanceMutexName);
    if (AnotherCopyRuns(mutex)) {
        // The refusal box runs a message loop, and with it this copy's tick:
        // the running copy alone hands jobs over.
        SchedulerAlarms->SetActive(false);
        FatalMessage(kRefusalText);
    }

    if (StartedWithSystem())
        RunBootTimeSlots();

    const platform::InstanceHandle instance = windowing.GetModuleHandleA();
    platform::WindowClassA windowClass{};
    windowClass.lpfnWndProc = TrayWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = velmora::kAppletWindowClass;
    // Not examined: a failed registration makes the creation fail.
    windowing.RegisterClassA(windowClass);

    const platform::WindowHandle window = windowing.CreateWindowExA(
        0, velmora::kAppletWindowClass, velmora::kAppletCaption, platform::kWsOverlappedWindow,
        platform::kCwUseDefault, platform::kCwUseDefault, platform::kCwUseDefault,
        platform::kCwUseDefault, platform::kNoWindow, platform::kNoMenu, instance, nullptr);
    RethrowWindowError();
    SchedulingEnabled = true;
    if (window == platform::kNoWindow)
        return;
    windowing.ShowWindow(window, platform::kSwHide);

    RunMessageLoop();
}
