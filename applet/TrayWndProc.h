// The applet window's procedure: the notification icon, its menu and
// commands, the scheduling switch and the reload request.
#pragma once

#include <cstdint>

#include "platform/Windowing.h"

// Menu command identifiers.
constexpr std::uint16_t cmdAbout = 65;
constexpr std::uint16_t cmdSetSchedules = 67;
constexpr std::uint16_t cmdOpen = 79;
constexpr std::uint16_t cmdToggle = 80;
constexpr std::uint16_t cmdClose = 83;

constexpr std::uint32_t kTrayIconId = 1;
constexpr unsigned kTrayCallbackMessage = platform::kWmUser;

// The registered message "TaskbarCreated", known once the window has been
// created; 0 before.
extern unsigned TaskbarCreatedMessage;

// The window procedure of the applet's class. An error of a user command or
// of the reload request is shown and the applet runs on; any other error is
// kept for RethrowWindowError, since it may not unwind through Windows.
std::intptr_t TrayWndProc(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam) noexcept;

void HandleCommand(platform::WindowHandle window, std::uint16_t command);

// Raises the first error that TrayWndProc kept since the last call, if any.
// The message loop calls it whenever Windows has handed control back.
void RethrowWindowError();
