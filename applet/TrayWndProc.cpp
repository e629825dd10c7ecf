#include "applet/TrayWndProc.h"

#include <cstring>
#include <exception>

#include "applet/Scheduler.h"
#include "engine/Handoff.h"
#include "engine/KsrAlarms.h"
#include "engine/MainApplication.h"
#include "engine/Schedules.h"
#include "platform/Platform.h"
#include "rtl/SysUtils.h"

unsigned TaskbarCreatedMessage = 0;

namespace {

constexpr const char* kAboutText = "Velmora Scheduler. A Component of Velmora.\r"
                                   "For product updates please visit https://velmora.example/";
constexpr const char* kStartTip = "Velmora Scheduler";
constexpr const char* kDisabledTip = "Velmora Scheduler is disabled. Right click for options";
constexpr const char* kEnabledTip = "Velmora Scheduler is enabled. Right click for options";
constexpr const char* kTrayIcon = "TRAYICON";
constexpr const char* kDisabledIcon = "MAINICON2";
constexpr const char* kTaskbarCreated = "TaskbarCreated";
constexpr std::uint32_t kTrayIconFlags =
    platform::kNifMessage | platform::kNifIcon | platform::kNifTip;
constexpr unsigned kMenuFlags = platform::kTpmRightAlign | platform::kTpmBottomAlign;

std::exception_ptr pendingError;

// Set only by the user's switch. SchedulingEnabled is also false while the
// window is being made, and a reload arriving then must not switch the alarms off.
bool switchedOffByUser = false;

platform::IconHandle LoadNamedIcon(const char* name) {
    platform::IWindowing& windowing = platform::Windowing();
    return windowing.LoadIconA(windowing.GetModuleHandleA(), name);
}

void SetTip(const char* text) {
    std::strncpy(TrayIconData.szTip, text, sizeof TrayIconData.szTip - 1);
    TrayIconData.szTip[sizeof TrayIconData.szTip - 1] = '\0';
}

void AddTrayIcon(platform::WindowHandle window) {
    switchedOffByUser = false;
    TrayIconData = platform::NotifyIconDataA{};
    TrayIconData.cbSize = platform::kNotifyIconDataV1Size;
    TrayIconData.hWnd = window;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = kTrayIconFlags;
    TrayIconData.uCallbackMessage = kTrayCallbackMessage;
    TrayIconData.hIcon = LoadNamedIcon(kTrayIcon);
    SetTip(kStartTip);
    // Not examined: without a taskbar the applet runs on iconless until one
    // announces itself.
    platform::Windowing().Shell_NotifyIconA(platform::kNimAdd, TrayIconData);
    TaskbarCreatedMessage = platform::Windowing().RegisterWindowMessageA(kTaskbarCreated);
}

// Owns one popup menu for the length of one press.
class PopupMenu {
  public:
    PopupMenu() : handle_(platform::Windowing().CreatePopupMenu()) {}
    ~PopupMenu() {
        if (handle_ != platform::kNoMenu)
            platform::Windowing().DestroyMenu(handle_);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void Append(std::uint16_t command, const char* text) {
        platform::Windowing().AppendMenuA(handle_, platform::kMfString, command, text);
    }
    void AppendSeparator() {
        platform::Windowing().AppendMenuA(handle_, platform::kMfSeparator, 0, nullptr);
    }
    platform::MenuHandle Handle() const { return handle_; }

  private:
    platform::MenuHandle handle_;
};

void ShowMenu(platform::WindowHandle window) {
    platform::IWindowing& windowing = platform::Windowing();
    platform::Point cursor{0, 0};
    windowing.GetCursorPos(cursor);
    PopupMenu menu;
    menu.Append(cmdOpen, "&Open Velmora...");
    menu.Append(cmdSetSchedules, "&Set Schedules...");
    menu.Append(cmdToggle, SchedulingEnabled ? "&Disable Scheduling" : "&Enable Scheduling");
    menu.AppendSeparator();
    menu.Append(cmdAbout, "&About...");
    menu.AppendSeparator();
    menu.Append(cmdClose, "&Close Velmora Scheduler");
    // Without the foreground and a message after the tracking, the menu
    // would stay open after a click elsewhere, or close at once on the next.
    windowing.SetForegroundWindow(window);
    const int chosen =
        windowing.TrackPopupMenu(menu.Handle(), kMenuFlags, cursor.x, cursor.y, 0, window);
    windowing.PostMessageA(window, platform::kWmNull, 0, 0);
    if (chosen != 0)
        windowing.SetForegroundWindow(window);
}

void SwitchScheduling() {
    platform::IWindowing& windowing = platform::Windowing();
    if (SchedulingEnabled) {
        TrayIconData.hIcon = LoadNamedIcon(kDisabledIcon);
        SetTip(kDisabledTip);
        windowing.Shell_NotifyIconA(platform::kNimModify, TrayIconData);
        SchedulingEnabled = false;
        switchedOffByUser = true;
        // The list stays; only the tick stops, so nothing is handed over.
        SchedulerAlarms->SetActive(false);
    } else {
        TrayIconData.hIcon = LoadNamedIcon(kTrayIcon);
        SetTip(kEnabledTip);
        windowing.Shell_NotifyIconA(platform::kNimModify, TrayIconData);
        SchedulingEnabled = true;
        switchedOffByUser = false;
        // Next runs from this moment: seconds missed while off are not caught up.
        LoadSchedules();
    }
}

void ReloadRequest(std::intptr_t lParam) {
    const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
    if (record == nullptr || record->Bytes == nullptr || record->ByteCount == 0)
        return;
    // The text must end inside the block; nothing past cbData is ours to read.
    const char* text = static_cast<const char*>(record->Bytes);
    if (std::memchr(text, '\0', record->ByteCount) == nullptr)
        return;
    if (std::strcmp(text, velmora::kReloadRequest) != 0)
        return;
    LoadSchedules();
    // Loading always makes the component active; switched off, it stays off.
    if (switchedOffByUser)
        SchedulerAlarms->SetActive(false);
}

void IconCallback(platform::WindowHandle window, std::intptr_t lParam) {
    switch (lParam) {
    case platform::kWmLButtonDblClk:
        RunMainApplication(-1, false);
        break;
    case platform::kWmRButtonDown:
        ShowMenu(window);
        break;
    default:
        break;
    }
}

// What the user or the main application asked for failed: say so, and keep
// running and scheduling.
template <typename Action> void ReportingErrors(Action action) {
    try {
        action();
    } catch (const Exception& error) {
        platform::Desktop().MessageBoxA(platform::kNoWindow, error.Message(),
                                        velmora::kAppletCaption,
                                        platform::kMbOk | platform::kMbIconError);
    }
}

std::intptr_t HandleMessage(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
    platform::IWindowing& windowing = platform::Windowing();
    switch (message) {
    case platform::kWmCreate:
        AddTrayIcon(window);
        break;
    case platform::kWmDestroy:
        windowing.Shell_NotifyIconA(platform::kNimDelete, TrayIconData);
        windowing.PostQuitMessage(0);
        break;
    case platform::kWmCopyData:
        ReportingErrors([&] { ReloadRequest(lParam); });
        break;
    case platform::kWmCommand:
        ReportingErrors(
            [&] { HandleCommand(window, static_cast<std::uint16_t>(wParam & 0xFFFF)); });
        return 0;
    case kTrayCallbackMessage:
        // wParam, the icon's identifier, is not looked at: there is one icon.
        ReportingErrors([&] { IconCallback(window, lParam); });
        break;
    default:
        // A restarted taskbar has forgotten the icon.
        if (TaskbarCreatedMessage != 0 && message == TaskbarCreatedMessage)
            windowing.Shell_NotifyIconA(platform::kNimAdd, TrayIconData);
        break;
    }
    return windowing.DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

std::intptr_t TrayWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) noexcept {
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        // The first error is the one to report; later ones are its echoes.
        if (!pendingError)
            pendingError = std::current_exception();
        return 0;
    }
}

void HandleCommand(platform::WindowHandle window, std::uint16_t command) {
    switch (command) {
    case cmdAbout:
        platform::Desktop().MessageBoxA(platform::kNoWindow, kAboutText, velmora::kAppletCaption,
                                        platform::kMbOk);
        break;
    case cmdSetSchedules:
        RunMainApplication(-1, true);
        break;
    case cmdOpen:
        RunMainApplication(-1, false);
        break;
    case cmdToggle:
        SwitchScheduling();
        break;
    case cmdClose:
        platform::Windowing().PostMessageA(window, platform::kWmClose, 0, 0);
        break;
    default:
        break;
    }
}

void RethrowWindowError() {
    if (!pendingError)
        return;
    std::exception_ptr error = pendingError;
    pendingError = nullptr;
    std::rethrow_exception(error);
}
