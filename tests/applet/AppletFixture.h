// The applet on fakes: the engine's fakes plus a windowing that runs the
// window procedure as Windows would, and the applet's globals as at start.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "applet/Scheduler.h"
#include "applet/TrayWndProc.h"
#include "engine/Schedules.h"
#include "rtl/SysUtils.h"
#include "tests/engine/EngineFixture.h"
#include "tests/fakes/FakeWindowing.h"

class AppletFixture : public EngineFixture {
  protected:
    void SetUp() override {
        EngineFixture::SetUp();
        previousWindowing_ = platform::SetWindowing(&windowing);
        SchedulingEnabled = false;
        TrayIconData = platform::NotifyIconDataA{};
        TaskbarCreatedMessage = 0;
    }

    void TearDown() override {
        try {
            RethrowWindowError();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "an error was left behind by the window procedure: " << error.what();
        }
        EXPECT_TRUE(windowing.Menus.empty()) << "a popup menu was not destroyed";
        platform::SetWindowing(previousWindowing_);
        EngineFixture::TearDown();
    }

    // The applet's window as RunScheduler makes it, without the loop.
    platform::WindowHandle MakeWindow() {
        platform::WindowClassA windowClass{};
        windowClass.lpfnWndProc = TrayWndProc;
        windowClass.hInstance = windowing.Instance;
        windowClass.lpszClassName = "Velmora Scheduler";
        windowing.RegisterClassA(windowClass);
        window = windowing.CreateWindowExA(0, "Velmora Scheduler", "Velmora Scheduler", 0, 0, 0, 0,
                                           0, 0, 0, windowing.Instance, nullptr);
        SchedulingEnabled = true;
        return window;
    }

    std::intptr_t Send(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        return windowing.Send(window, message, wParam, lParam);
    }
    std::intptr_t Command(std::uint16_t command) { return Send(platform::kWmCommand, command); }
    std::intptr_t IconMessage(unsigned mouseMessage) {
        return Send(kTrayCallbackMessage, kTrayIconId, mouseMessage);
    }

    std::vector<std::string> StartedParameters() const {
        std::vector<std::string> started;
        for (const auto& call : desktop.ShellExecutes)
            started.push_back(call.Parameters);
        return started;
    }

    bool TickArmed() const { return timers.IsArmed(SchedulerAlarms->TickTimer()->Handle()); }

    fakes::FakeWindowing windowing;
    platform::WindowHandle window = platform::kNoWindow;

  private:
    platform::IWindowing* previousWindowing_ = nullptr;
};
