// Copy-data blocks of any length and content at the applet's window: only
// "/u" with its NUL inside the block reloads, nothing is read past cbData,
// and no error leaves the window procedure.
//
// Input: a flags byte (bit 0: null lpData, bit 1: scheduling switched off
// first), four bytes of dwData, four bytes of cbData (used only with a null
// lpData); the rest is the block, and cbData is its exact length.
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "applet/Scheduler.h"
#include "applet/TrayWndProc.h"
#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "fuzz/FuzzSupport.h"
#include "tests/fakes/InstalledFakes.h"
#include "platform/Platform.h"
#include "rtl/SysUtils.h"
#include "tests/fakes/FakeWindowing.h"

namespace {

using fuzz::Fail;
using fuzz::Quoted;
using fuzz::Require;

struct AlarmUnit {
    AlarmUnit() { KsrAlarmsUnitStart(); }
    ~AlarmUnit() { KsrAlarmsUnitStop(); }
    AlarmUnit(const AlarmUnit&) = delete;
    AlarmUnit& operator=(const AlarmUnit&) = delete;
};

struct InstalledWindowing {
    InstalledWindowing() { platform::SetWindowing(&windowing); }
    ~InstalledWindowing() { platform::SetWindowing(nullptr); }
    InstalledWindowing(const InstalledWindowing&) = delete;
    InstalledWindowing& operator=(const InstalledWindowing&) = delete;
    fakes::FakeWindowing windowing;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint8_t flags = input.Byte();
    const bool nullData = (flags & 1) != 0;
    const bool switchedOff = (flags & 2) != 0;
    const std::uintptr_t dwData = input.U32();
    const std::uint32_t nullByteCount = input.U32();
    const std::string bytes = input.Rest();

    fakes::InstalledFakes engineFakes;
    InstalledWindowing installed;
    fakes::FakeWindowing& windowing = installed.windowing;
    SchedulingEnabled = false;
    TrayIconData = platform::NotifyIconDataA{};
    TaskbarCreatedMessage = 0;
    engineFakes.clock.Set(2003, 6, 11, 10, 15, 30, 250);
    {
        AlarmUnit unit;
        platform::WindowClassA windowClass{};
        windowClass.lpfnWndProc = TrayWndProc;
        windowClass.hInstance = windowing.Instance;
        windowClass.lpszClassName = velmora::kAppletWindowClass;
        windowing.RegisterClassA(windowClass);
        const platform::WindowHandle window =
            windowing.CreateWindowExA(0, velmora::kAppletWindowClass, velmora::kAppletCaption, 0, 0,
                                      0, 0, 0, 0, 0, windowing.Instance, nullptr);
        SchedulingEnabled = true;
        if (switchedOff)
            windowing.Send(window, platform::kWmCommand, cmdToggle, 0);
        // Written after the start, so only a reload gives the slot its entry.
        engineFakes.store.SetDword("Software\\Zandrel\\Velmora\\Settings\\Schedule\\0", "Enabled",
                                   1);
        engineFakes.store.SetString("Software\\Zandrel\\Velmora\\Settings\\Schedule\\0", "Params",
                                    "5");

        // Exactly cbData bytes of its own, so that a read past them is caught.
        std::unique_ptr<char[]> block(new char[bytes.size()]);
        if (!bytes.empty())
            std::memcpy(block.get(), bytes.data(), bytes.size());
        const platform::CopyDataRecord record{
            dwData, nullData ? nullByteCount : static_cast<std::uint32_t>(bytes.size()),
            nullData ? nullptr : block.get()};
        const std::string where =
            std::string(nullData ? "null lpData, cbData " + std::to_string(nullByteCount)
                                 : "block " + Quoted(bytes)) +
            (switchedOff ? ", scheduling off" : "");
        windowing.DefWindowProcResult = 55;
        const std::intptr_t result = windowing.Send(window, platform::kWmCopyData, 0,
                                                    reinterpret_cast<std::intptr_t>(&record));
        Require(result == 55, where + ": the sender did not get the default procedure's answer");
        try {
            RethrowWindowError();
        } catch (const std::exception& error) {
            Fail(where + ": the window procedure kept " + std::string(ErrorClassName(error)) + " " +
                 Quoted(error.what()));
        }
        Require(engineFakes.desktop.MessageBoxes.empty(), where + ": a message box was shown");

        const bool reloads = !nullData && std::memchr(bytes.data(), '\0', bytes.size()) &&
                             std::strcmp(bytes.c_str(), velmora::kReloadRequest) == 0;
        Require(SchedulerAlarms->GetAlarmCount() == (reloads ? 1 : 0),
                where + (reloads ? ": no reload" : ": reloaded"));
        Require(SchedulerAlarms->Active() == !switchedOff,
                where + ": the tick does not follow the scheduling switch");
        Require(engineFakes.store.OpenHandleCount() == 0, where + ": a registry handle left open");
        windowing.Send(window, platform::kWmClose, 0, 0);
    }
    Require(engineFakes.store.OpenHandleCount() == 0, "a registry handle left open");
    Require(engineFakes.timers.WindowCount() == 0, "a timer window left behind");
    return 0;
}
