// What the applet and the main application "Velmora" agree on: names, texts and
// values fixed on both sides. Every other part takes them from here.
#pragma once

namespace velmora {

// Settings store
constexpr const char* kSettingsBaseKey = "\\Software\\Zandrel\\Velmora\\";
constexpr const char* kScheduleSectionPrefix = "Settings\\Schedule\\";
constexpr const char* kValueEnabled = "Enabled";
constexpr const char* kValueParams = "Params";
constexpr const char* kValueScheduleType = "ScheduleType";
constexpr const char* kValueVelmoraPath = "VelmoraPath";
constexpr int kSlotCount = 3;

// The main application's window and executable
constexpr const char* kMainWindowClass = "TVelmoraMainForm";
constexpr const char* kMainWindowTitle = "Velmora 4.2";
constexpr const char* kMainExecutableName = "Velmora.exe";

// Switches handed to the main application
constexpr const char* kSwitchSlot0 = "/s_j";
constexpr const char* kSwitchSlot1 = "/s_b";
constexpr const char* kSwitchSlot2 = "/s_d";
constexpr const char* kSwitchSetSchedules = "/SET_SCHEDULES";

// The applet's window: class and title, also the mark of a running applet
constexpr const char* kAppletWindowClass = "Velmora Scheduler";
constexpr const char* kAppletCaption = "Velmora Scheduler";
// The main application's request to read the schedules again
constexpr const char* kReloadRequest = "/u";

} // namespace velmora
